#pragma once

// The desktop program's windows and their wiring: the run state, the Qt platform, the title
// screen that starts everything, the design window it opens (created once) with its response
// window, and the five dialogs the design window asks for.
#include <filesystem>
#include <memory>
#include <optional>

#include "design/qt/frm_design.h"
#include "model/design_model.h"
#include "response/qt/response_launcher.h"
#include "shell/opening_screen.h"
#include "shell/qt/frm_opening.h"
#include "state/circuit_state.h"
#include "state/session_file.h"
#include "toolkit/geometry.h"
#include "toolkit/qt/qt_platform.h"

namespace corvantile {

class DesktopProgram : public DesignWindowHost {
 public:
  // `forcedScreen` lays the windows out for that screen instead of the real one; the title
  // screen reads `sessionFile` at load.
  explicit DesktopProgram(std::optional<toolkit::ScreenTwips> forcedScreen = std::nullopt,
                          const std::filesystem::path& sessionFile = kSessionFileName);

  // Loads and shows the title screen: the program's start.
  void Start();
  // "Start": the design window, created and loaded the first time, shown maximised.
  void ShowDesignWindow() override;
  // `corvantile FILE`: the start-up without the title screen, then the design window with the
  // design file open (a file that cannot be opened says why and leaves the last session's).
  bool StartWithDesign(const std::filesystem::path& designFile);

  RunState& state() { return model_.state(); }
  DesignModel& model() { return model_; }
  toolkit::QtPlatform& platform() { return platform_; }
  FrmOpening& opening() { return opening_; }
  // The design window, created on first use.
  FrmDesign& design();
  bool HasDesignWindow() const { return design_ != nullptr; }
  // The response window's launcher on the design window (which it creates on first use).
  ResponseLauncher& response();

 private:
  // The one design every window shows and changes.
  DesignModel model_;
  std::filesystem::path sessionFile_;
  toolkit::QtPlatform platform_;
  std::unique_ptr<FrmDesign> design_;
  ResponseLauncher* response_ = nullptr;  // belongs to the design window
  FrmOpening opening_;
};

}  // namespace corvantile
