#pragma once

// frmDesign on Qt: builds the window's widgets from its design-time look (as every window is
// built), connects every button to the window's logic by name and shows the window maximised.
#include <functional>
#include <vector>

#include <QImage>

#include "design/design_controls.h"
#include "design/design_window.h"
#include "state/circuit_state.h"
#include "toolkit/qt/qt_platform.h"
#include "toolkit/qt/qt_window.h"

namespace corvantile {

class FrmDesign {
 public:
  FrmDesign(RunState& state, toolkit::Platform& platform);

  // Runs the window's load (scale, caption, placement, first RefreshDesign) once; later calls
  // do nothing.
  void Load();
  // Loads the window if needed and shows it maximised with the focus on cmdTee.
  void Show();
  // Loads the window if needed and renders it at `size` device-independent pixels without
  // showing it: controls over the drawing, as the screen would show it.
  QImage Render(QSize size);

  // A command button beyond the designed controls, built with the same look rules: placed at
  // load (or at once when the window is loaded) in logical units, sized and given the H x 0.0008
  // font when `place` sets a size, and last in the focus order. A click runs `onClick`.
  toolkit::QtControl& AddCommandButton(const toolkit::ControlLook& look,
                                       const toolkit::ControlPlacement& place,
                                       std::function<void()> onClick);

  toolkit::QtWindow& window() { return window_; }
  DesignWindow& logic() { return logic_; }

 private:
  struct AddedButton {
    toolkit::ControlLook look;
    toolkit::ControlPlacement place;
  };
  void Place(const AddedButton& added);

  toolkit::Platform& platform_;
  toolkit::QtWindow window_;
  DesignWindow logic_;
  bool loaded_ = false;
  std::vector<AddedButton> added_;
  QWidget* lastInFocusOrder_ = nullptr;
};

}  // namespace corvantile
