#pragma once

// frmDesign on Qt: builds the window's widgets from the design-time table, connects every
// button to the window's logic by name and shows the window maximised.
#include <QImage>

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

  toolkit::QtWindow& window() { return window_; }
  DesignWindow& logic() { return logic_; }

 private:
  void BuildControls();

  toolkit::QtWindow window_;
  DesignWindow logic_;
  bool loaded_ = false;
};

}  // namespace corvantile
