#pragma once

// frmOpening on Qt: the title screen built from its look, its load run once, shown maximised
// with the focus on "Start"; the two buttons run the screen's commands.
#include <filesystem>

#include <QImage>
#include <QSize>

#include "shell/opening_screen.h"
#include "state/circuit_state.h"
#include "toolkit/qt/qt_window.h"
#include "toolkit/toolkit.h"

namespace corvantile {

class FrmOpening {
 public:
  FrmOpening(RunState& state, toolkit::Platform& platform, DesignWindowHost& host,
             const std::filesystem::path& sessionFile);

  // Runs the screen's load (the program's start-up) once; later calls do nothing.
  void Load();
  // Loads the screen if needed and shows it maximised with the focus on "Start".
  void Show();
  // Loads the screen if needed and pictures it at `size` pixels without showing it.
  QImage Render(QSize size);

  toolkit::QtWindow& window() { return window_; }
  OpeningScreen& logic() { return logic_; }

 private:
  toolkit::QtWindow window_;
  OpeningScreen logic_;
  bool loaded_ = false;
};

}  // namespace corvantile
