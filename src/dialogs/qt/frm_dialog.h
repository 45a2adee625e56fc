#pragma once

// The five entry dialogs on Qt: a modal dialog built from the dialog's look, placed on the
// screen by its rule, whose "Enter" runs the dialog's logic. Escape and the window frame close
// it without "Enter".
#include <functional>
#include <memory>

#include <QImage>

#include "dialogs/dialog_logic.h"
#include "state/circuit_state.h"
#include "toolkit/qt/qt_platform.h"
#include "toolkit/qt/qt_window.h"
#include "toolkit/toolkit.h"

class QWidget;

namespace corvantile {

class FrmDialog {
 public:
  FrmDialog(toolkit::DialogId dialog, RunState& state, toolkit::ScreenTwips screen,
            QWidget* parent = nullptr);

  // Sizes and places the dialog and runs its Form_Load; once.
  void Load();
  // Loads the dialog, shows it modally and returns when it has closed.
  void Exec();
  // Loads the dialog and pictures it at its own size without showing it.
  QImage Render();

  toolkit::QtWindow& window() { return window_; }
  DialogLogic& logic() { return *logic_; }

 private:
  toolkit::DialogId dialog_;
  toolkit::ScreenTwips screen_;
  toolkit::QtWindow window_;
  std::unique_ptr<DialogLogic> logic_;
  bool loaded_ = false;
};

// Registers the five dialogs with the platform: each time the design window asks for one it is
// created over `parent()` (which may be null), loaded, shown modally and destroyed once closed.
void RegisterDialogs(toolkit::QtPlatform& platform, RunState& state,
                     std::function<QWidget*()> parent);

}  // namespace corvantile
