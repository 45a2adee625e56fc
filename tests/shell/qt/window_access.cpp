#include "window_access.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAbstractScrollArea>
#include <QAbstractSlider>
#include <QAbstractSpinBox>
#include <QApplication>
#include <QComboBox>
#include <QCoreApplication>
#include <QDialog>
#include <QDir>
#include <QLineEdit>
#include <QTabBar>
#include <QTest>

#include "response/qt/explore_page.h"
#include "response/qt/frm_response.h"
#include "response/qt/tolerance_page.h"
#include "toolkit/geometry.h"

namespace corvantile::testing {
namespace {

constexpr int kWaitMs = 60000;

// Shows `window` as the user would find it: shown, active, laid out.
QWidget* Shown(QWidget* window) {
  if (!window->isVisible()) window->show();
  window->activateWindow();
  EXPECT_TRUE(QTest::qWaitForWindowActive(window)) << window->objectName().toStdString();
  // Texts changed since the last layout (results that came in from a worker) are laid out.
  QCoreApplication::sendPostedEvents();
  QCoreApplication::processEvents();
  return window;
}

// A part of a composite widget the user operates as a whole, or a scroll area's own bars.
bool InsideComposite(const QWidget* widget, const QWidget* window) {
  for (const QWidget* up = widget->parentWidget(); up != nullptr && up != window;
       up = up->parentWidget()) {
    if (qobject_cast<const QAbstractSpinBox*>(up) || qobject_cast<const QComboBox*>(up) ||
        qobject_cast<const QTabBar*>(up) || qobject_cast<const QAbstractScrollArea*>(up)) {
      return true;
    }
  }
  return false;
}

bool IsOperated(const QWidget* widget) {
  // A widget that hands its focus on (a tab widget to its tab bar) is operated through that one.
  if (widget->focusProxy() != nullptr) return false;
  return qobject_cast<const QAbstractButton*>(widget) || qobject_cast<const QLineEdit*>(widget) ||
         qobject_cast<const QAbstractSpinBox*>(widget) || qobject_cast<const QComboBox*>(widget) ||
         qobject_cast<const QAbstractItemView*>(widget) || qobject_cast<const QTabBar*>(widget) ||
         qobject_cast<const QAbstractSlider*>(widget) ||
         (widget->focusPolicy() & Qt::TabFocus) == Qt::TabFocus;
}

}  // namespace

ProgramWindows::ProgramWindows() {
  EXPECT_TRUE(dir_.isValid());
  program_ = std::make_unique<DesktopProgram>(
      toolkit::ScreenTwips::FromPixels(1024, 768),
      std::filesystem::path(dir_.filePath(QStringLiteral("LastSession.CFG")).toStdString()));
}

ProgramWindows::~ProgramWindows() {
  dialog_.reset();
  program_.reset();
}

QWidget* ProgramWindows::OpenOpening() {
  program_->Start();
  return Shown(program_->opening().window().widget());
}

QWidget* ProgramWindows::OpenDesign() {
  program_->opening().Load();
  program_->ShowDesignWindow();
  return Shown(program_->design().window().widget());
}

QWidget* ProgramWindows::OpenDialog(toolkit::DialogId dialog, int entryKind) {
  program_->opening().Load();
  program_->state().EntryKind = static_cast<std::int16_t>(entryKind);
  dialog_ = std::make_unique<FrmDialog>(dialog, program_->state(), program_->platform().screen());
  dialog_->Load();
  // Shown as Exec shows it, without the modal loop the test would have to run inside.
  return Shown(dialog_->window().widget());
}

QWidget* ProgramWindows::OpenResponse(int page) {
  program_->opening().Load();
  program_->design().Load();
  program_->response().Open();
  FrmResponse& window = program_->response().Window();
  window.ShowPage(page);
  EXPECT_TRUE(QTest::qWaitFor(
      [&window] {
        return !window.tolerancePage()->running() && !window.explorePage()->IsExploring();
      },
      kWaitMs));
  return Shown(&window);
}

std::vector<WindowCase> EveryWindow() {
  using toolkit::DialogId;
  auto dialog = [](DialogId id, int kind) {
    return [id, kind](ProgramWindows& w) { return w.OpenDialog(id, kind); };
  };
  auto response = [](int page) {
    return [page](ProgramWindows& w) { return w.OpenResponse(page); };
  };
  return {
      {"Opening", [](ProgramWindows& w) { return w.OpenOpening(); }},
      {"Design", [](ProgramWindows& w) { return w.OpenDesign(); }},
      {"SourceSeriesReactance", dialog(DialogId::Source, 1)},
      {"SourceParallelPart", dialog(DialogId::Source, 4)},
      {"LoadSeriesPart", dialog(DialogId::Load, 3)},
      {"LoadParallelReactance", dialog(DialogId::Load, 2)},
      {"Frequency", dialog(DialogId::Frequency, 1)},
      {"Power", dialog(DialogId::Power, 1)},
      {"Phase", dialog(DialogId::Phase, 1)},
      {"ResponsePage", response(0)},
      {"PartsPage", response(1)},
      {"TolerancePage", response(2)},
      {"ExplorePage", response(3)},
  };
}

std::string WindowName(const ::testing::TestParamInfo<WindowCase>& info) { return info.param.name; }

std::vector<QWidget*> OperatedWidgets(QWidget* window) {
  std::vector<QWidget*> operated;
  for (QWidget* widget : window->findChildren<QWidget*>()) {
    // A window of its own (the response window over the design window) is walked on its own.
    if (widget->window() != window || !widget->isVisibleTo(window)) continue;
    if (InsideComposite(widget, window) || !IsOperated(widget)) continue;
    operated.push_back(widget);
  }
  return operated;
}

QString Describe(const QWidget* widget) {
  if (widget == nullptr) return QStringLiteral("(nothing)");
  const QWidget* window = widget->window();
  return window->objectName() + QLatin1Char('/') + widget->objectName() + QStringLiteral(" (") +
         QString::fromLatin1(widget->metaObject()->className()) + QLatin1Char(')');
}

}  // namespace corvantile::testing
