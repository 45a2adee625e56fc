#pragma once

// frmOpening: the title screen, whose load is the program's start-up. It scales itself to the
// screen, draws the blue background, sets the start-up values, reads the session file, lays out
// its title lines and buttons and draws the artwork. "Start" opens the design window and unloads
// the title screen; "Exit / Quit" ends the program without writing anything.
#include <filesystem>
#include <span>
#include <string>
#include <string_view>

#include "design/symbols.h"
#include "state/circuit_state.h"
#include "state/session_file.h"
#include "toolkit/control_look.h"
#include "toolkit/toolkit.h"

namespace corvantile {

// The title screen's designed client area, the base of its 12000 x 9000 logical scale.
inline constexpr double kOpeningClientWidthTwips = 11880;
inline constexpr double kOpeningClientHeightTwips = 8490;
// The drawn background's extent in logical units: rows 1 to 9000, each 12100 long.
inline constexpr double kOpeningBackgroundWidth = 12100;
inline constexpr double kOpeningBackgroundHeight = 9000;
// lblTitle keeps its designed size in twips.
inline constexpr double kTitleWidthTwips = 11145;
inline constexpr double kTitleHeightTwips = 2115;

// What "Start" needs from the rest of the program.
class DesignWindowHost {
 public:
  virtual ~DesignWindowHost() = default;
  // Shows the design window, creating and loading it first if it does not exist yet.
  virtual void ShowDesignWindow() = 0;
};

class OpeningScreen {
 public:
  OpeningScreen(RunState& state, toolkit::Window& window, toolkit::Platform& platform,
                DesignWindowHost& host, std::filesystem::path sessionFile = kSessionFileName);

  // The start-up: scale, background, start-up values, session file, caption, texts, layout,
  // artwork, in that order.
  void Form_Load();
  // Shows the design window, then unloads the title screen.
  void cmdStart_Click();
  // Unloads the title screen and ends the program; the session file is not written.
  void cmdExit_Click();

  // PenX, PenY and DrawColour of the window (the background loop counts rows in PenY).
  const Pen& pen() const { return pen_; }

 private:
  RunState& state_;
  toolkit::Window& window_;
  toolkit::Platform& platform_;
  DesignWindowHost& host_;
  std::filesystem::path sessionFile_;
  Pen pen_;
};

// The background colour of row y: blue = y * 255 / 9000 held within 64..200, rounded half to
// even: 2276 -> 64, 2277 -> 65, 2700 (76.5) -> 76, 7042 -> 200.
int BackgroundBlue(float row);

// "Corvantile " + VersionText + SessionFileName: "Corvantile Version 3.01".
std::string OpeningCaption(const StartupValues& startup);

// One placed control: geometry in logical units, font size = fontPerTwip x screen height in
// twips (no font change when 0).
struct OpeningPlacement {
  std::string_view name;
  double left, top, width, height;
  double fontPerTwip;
};

// The layout in the order it is applied. lblTitle's row is not here: its top depends on the
// screen (0.04 x H) and it keeps its size and font.
std::span<const OpeningPlacement> OpeningLayout();

// The design-time look of frmOpening, in focus order ("Start" first).
const toolkit::WindowLook& OpeningLook();

}  // namespace corvantile
