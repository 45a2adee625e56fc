#pragma once

// What the keyboard, accessibility and scaling tests share: every window of the desktop
// program opened as the user opens it, and the widgets of a window a user operates.
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include <QString>
#include <QTemporaryDir>
#include <QWidget>

#include "dialogs/qt/frm_dialog.h"
#include "shell/qt/desktop_program.h"

namespace corvantile::testing {

// The program on a 1024 x 768 screen, its session file in a scratch folder.
class ProgramWindows {
 public:
  ProgramWindows();
  ~ProgramWindows();

  DesktopProgram& program() { return *program_; }

  // Each opens its window and returns it shown, active and laid out.
  QWidget* OpenOpening();
  QWidget* OpenDesign();
  QWidget* OpenDialog(toolkit::DialogId dialog, int entryKind);
  // The response window on page `page` (0 Response, 1 Parts, 2 Tolerance, 3 Explore), its
  // tolerance run and exploration finished.
  QWidget* OpenResponse(int page);

 private:
  QTemporaryDir dir_;
  std::unique_ptr<DesktopProgram> program_;
  std::unique_ptr<FrmDialog> dialog_;
};

// One window of the program as a test case: a name and how it is opened.
struct WindowCase {
  const char* name;
  std::function<QWidget*(ProgramWindows&)> open;
};
// Every window: the title screen, the design window, the five dialogs (the two entry dialogs in
// a reactance and a part-value form) and the response window on each of its pages.
std::vector<WindowCase> EveryWindow();
// The case's name for GoogleTest.
std::string WindowName(const ::testing::TestParamInfo<WindowCase>& info);

// The widgets of `window` a user operates (buttons, boxes, lists, tables, tab bars, charts and
// whatever else takes the focus), without the parts of composite widgets (a spin box's line
// edit, a table's scroll bars) and without those not shown.
std::vector<QWidget*> OperatedWidgets(QWidget* window);

// "frmDesign/cmdTee (QPushButton)".
QString Describe(const QWidget* widget);

}  // namespace corvantile::testing
