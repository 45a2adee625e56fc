// The response window beside the design window: the button and Ctrl+R open or raise it, every
// RefreshDesign redraws it while it is open and no sweep runs while it is closed, and closing
// the design window closes it.
#include "response/qt/response_launcher.h"

#include <cmath>

#include <gtest/gtest.h>

#include <QAreaSeries>
#include <QChart>
#include <QComboBox>
#include <QCoreApplication>
#include <QEvent>
#include <QFontInfo>
#include <QKeySequence>
#include <QLegend>
#include <QLegendMarker>
#include <QLineSeries>
#include <QPalette>
#include <QPushButton>
#include <QShortcut>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>

#include "design/design_controls.h"
#include "model/design_model.h"
#include "response/qt/tolerance_page.h"
#include "support/files.h"
#include "support/numbers.h"
#include "toolkit/qt/qt_platform.h"

namespace corvantile {
namespace {

using testing::Round;

class ResponseLauncherTest : public ::testing::Test {
 protected:
  ResponseLauncherTest()
      : state(model.state()),
        platform(toolkit::ScreenTwips::FromPixels(1024, 768)),
        design(model, platform),
        launcher(ResponseLauncher::Attach(design, model)) {
    design.Load();
  }

  QWidget* Button() { return design.window().Find(kResponseButtonName).widget(); }
  void Click(std::string_view name) {
    QTest::mouseClick(design.window().Find(name).widget(), Qt::LeftButton);
  }
  // Delivers the redraw a refresh leaves for the end of its event.
  void FinishEvent() { QCoreApplication::sendPostedEvents(&launcher, QEvent::MetaCall); }
  void Click(std::string_view name, bool finish) {
    Click(name);
    if (finish) FinishEvent();
  }
  int ResponseWindows() {
    return static_cast<int>(design.window().widget()->findChildren<FrmResponse*>().size());
  }

  DesignModel model;
  RunState& state;
  toolkit::QtPlatform platform;
  FrmDesign design;
  ResponseLauncher& launcher;
};

TEST_F(ResponseLauncherTest, TheButtonIsPlacedAndLooksLikeTheOtherGreyButtons) {
  QWidget* button = Button();
  EXPECT_EQ(button->objectName(), "cmdResponse");
  EXPECT_EQ(static_cast<QPushButton*>(button)->text(), "Response...");
  const toolkit::LogicalScale scale = design.window().scale();
  const toolkit::ControlPlacement& place = ResponseButtonPlacement();
  EXPECT_EQ(button->geometry(),
            QRect(QPoint(Round(scale.XToPixels(place.left)), Round(scale.YToPixels(place.top))),
                  QPoint(Round(scale.XToPixels(place.left + place.width)) - 1,
                         Round(scale.YToPixels(place.top + place.height)) - 1)));
  QWidget* power = design.window().Find("cmdPower").widget();
  EXPECT_EQ(button->width(), power->width());
  EXPECT_EQ(button->palette().color(QPalette::Button), QColor(224, 224, 224));
  EXPECT_EQ(button->font(), power->font());
  EXPECT_EQ(QFontInfo(button->font()).pixelSize(), 12);  // 9.216 pt at 96 dpi
  // Last in the focus order, after Exit and the design window's own measured-file commands.
  QWidget* next = design.window().Find("cmdExit").widget()->nextInFocusChain();
  while (next->focusPolicy() != Qt::StrongFocus || next->objectName().startsWith("cmdMeasured")) {
    next = next->nextInFocusChain();
  }
  EXPECT_EQ(next, button);
  EXPECT_EQ(launcher.shortcut()->key(), QKeySequence(QStringLiteral("Ctrl+R")));
}

TEST_F(ResponseLauncherTest, ClickingOpensOneWindowAndClickingAgainRaisesIt) {
  EXPECT_EQ(ResponseWindows(), 0);
  Click(kResponseButtonName);
  ASSERT_TRUE(launcher.IsOpen());
  EXPECT_EQ(launcher.Window().windowTitle(), "Corvantile - response");
  EXPECT_FALSE(launcher.Window().isModal());
  Click(kResponseButtonName);
  emit launcher.shortcut()->activated();
  EXPECT_EQ(ResponseWindows(), 1);
  EXPECT_TRUE(launcher.IsOpen());

  launcher.Window().close();
  EXPECT_FALSE(launcher.IsOpen());
  emit launcher.shortcut()->activated();
  EXPECT_TRUE(launcher.IsOpen());
  EXPECT_EQ(ResponseWindows(), 1);
  design.window().widget()->hide();
  launcher.Window().hide();
}

TEST_F(ResponseLauncherTest, EveryRefreshRedrawsItWhileOpenAndNoneWhileClosed) {
  Click(kResponseButtonName);
  FrmResponse& window = launcher.Window();
  const QList<QPointF> pi = window.gainSeries()->points();
  Click("cmdTee", true);
  const QList<QPointF> tee = window.gainSeries()->points();
  EXPECT_NE(tee, pi);
  EXPECT_EQ(window.view().circuit.familyName, "Tee");

  platform.RegisterDialog(toolkit::DialogId::Frequency,
                          [this] { state.NetValues[Frequency] = 7e6f; });
  Click("cmdFrequency", true);
  EXPECT_DOUBLE_EQ(window.view().markers[1].frequency, 14e6);

  state.NetValues[NetworkPhase] = 0.0f;
  design.logic().RefreshDesign();
  FinishEvent();
  EXPECT_FALSE(window.view().hasNetwork);
  EXPECT_TRUE(window.gainSeries()->points().isEmpty());

  // Closed, it is left as it was: the refresh ran no sweep for it.
  window.close();
  state.NetValues[NetworkPhase] = -135.0f;
  Click("cmdPi", true);
  EXPECT_FALSE(launcher.RedrawPending());
  EXPECT_FALSE(window.view().hasNetwork);
  Click(kResponseButtonName);
  EXPECT_TRUE(window.view().hasNetwork);
  EXPECT_EQ(window.view().circuit.familyName, "Pi");
  window.close();
}

// The refresh leaves the sweep to the end of its event, and several refreshes in one event
// redraw once, with the last design.
TEST_F(ResponseLauncherTest, TheRedrawFollowsTheRefreshesOfAnEvent) {
  Click(kResponseButtonName);
  FrmResponse& window = launcher.Window();
  Click("cmdTee");
  Click("cmdLPFL");
  EXPECT_TRUE(launcher.RedrawPending());
  EXPECT_EQ(window.view().circuit.familyName, "Pi");
  FinishEvent();
  EXPECT_FALSE(launcher.RedrawPending());
  EXPECT_EQ(window.view().circuit.familyName, "low-pass L");
  window.close();
}

// Whether the Response page's legend names the Tolerance page's envelope.
bool EnvelopeInLegend(FrmResponse& window) {
  bool shown = false;
  for (QLegendMarker* m : window.chart()->legend()->markers(window.envelopeSeries())) {
    shown = shown || m->isVisible();
  }
  return shown;
}

// "Measured..." while the window is open: the window follows the file at once (its band, its
// name, the envelope of builds against it) and the envelope keeps its legend entry.
TEST_F(ResponseLauncherTest, AMeasuredLoadChosenWhileOpenIsFollowedWithItsEnvelope) {
  const std::filesystem::path file = testing::TemporaryFile("launcher_load.s1p");
  testing::WriteBytes(file,
                      "# MHz S RI R 50\n3.4 0.6 0.3\n3.75 0.7142857142857143 0\n"
                      "4.1 0.6 -0.3\n");
  Click(kResponseButtonName);
  FrmResponse& window = launcher.Window();
  QSignalSpy finished(window.tolerancePage(), &TolerancePage::finished);
  ASSERT_TRUE(finished.wait(60000));
  ASSERT_TRUE(EnvelopeInLegend(window));

  design.SetMeasuredFileChooser([&file](const QString&) { return QString::fromStdString(file); });
  Click(kMeasuredLoadButtonName, true);
  EXPECT_EQ(window.view().measuredLoadFile, file.filename().string());
  EXPECT_NEAR(window.view().span.from, 3.4e6, 1.0);
  EXPECT_NEAR(window.view().span.to, 4.1e6, 1.0);
  ASSERT_TRUE(QTest::qWaitFor([&] { return !window.tolerancePage()->running(); }, 60000));
  EXPECT_FALSE(window.envelopeSeries()->upperSeries()->points().isEmpty());
  EXPECT_TRUE(EnvelopeInLegend(window));
  window.close();
}

TEST_F(ResponseLauncherTest, ClosingTheDesignWindowClosesIt) {
  design.Show();
  Click(kResponseButtonName);
  ASSERT_TRUE(launcher.IsOpen());
  design.window().Close();
  EXPECT_FALSE(launcher.IsOpen());
  EXPECT_FALSE(design.window().widget()->isVisible());
}

TEST_F(ResponseLauncherTest, RendersTheWindowForAScreenWithoutShowingIt) {
  const QImage image = launcher.Render(QSize(1024, 768));
  EXPECT_EQ(image.size(), FrmResponse::DefaultSize(QSize(1024, 768)));
  EXPECT_FALSE(launcher.IsOpen());
  EXPECT_TRUE(launcher.Window().view().hasNetwork);
}

// The Tolerance page's settings belong to the design: each change is one undo step that undo
// takes back on the page, and Exit's settings file brings them back at the next start.
TEST(ResponseLauncherSettings, ToleranceSettingsAreUndoStepsAndSurviveARestart) {
  QTemporaryDir dir;
  const std::filesystem::path file = dir.filePath("LastSession.json").toStdString();
  toolkit::QtPlatform platform(toolkit::ScreenTwips::FromPixels(1024, 768));
  DesignModel model;
  auto design = std::make_unique<FrmDesign>(model, platform, file);
  ResponseLauncher* launcher = &ResponseLauncher::Attach(*design, model);
  design->Load();
  launcher->Open();
  TolerancePage* page = launcher->Window().tolerancePage();
  DesignDocument& document = design->document();
  const std::size_t steps = document.history().UndoCount();

  page->buildsBox()->setValue(2500);
  ASSERT_TRUE(document.settings().tolerance);
  EXPECT_EQ(document.settings().tolerance->builds, 2500);
  page->standardBox()->setCurrentIndex(2);
  EXPECT_EQ(document.settings().tolerance->standard, ToleranceStandard::Best);
  EXPECT_EQ(document.history().UndoCount(), steps + 2);

  design->Undo();
  QCoreApplication::sendPostedEvents(launcher, QEvent::MetaCall);
  EXPECT_EQ(document.settings().tolerance->standard, ToleranceStandard::None);
  EXPECT_EQ(page->standardBox()->currentIndex(), 0);
  EXPECT_EQ(page->buildsBox()->value(), 2500);
  EXPECT_EQ(page->settings().standard, ToleranceStandard::None);
  design->Undo();
  QCoreApplication::sendPostedEvents(launcher, QEvent::MetaCall);
  EXPECT_EQ(page->buildsBox()->value(), ToleranceSettings{}.builds);
  design->Redo();
  design->Redo();
  QCoreApplication::sendPostedEvents(launcher, QEvent::MetaCall);
  EXPECT_EQ(page->standardBox()->currentIndex(), 2);
  EXPECT_EQ(page->buildsBox()->value(), 2500);
  // Filling the controls from the design is no change of its own.
  EXPECT_EQ(document.history().UndoCount(), steps + 2);

  std::string error;
  ASSERT_TRUE(document.WriteProgramSettings(error)) << error;
  const std::optional<ToleranceSettings> written = ReadSettings(file.string()).settings.tolerance;
  ASSERT_TRUE(written);
  EXPECT_EQ(*written, page->settings());
  launcher->Window().close();
  design.reset();

  DesignModel nextModel;
  FrmDesign again(nextModel, platform, file);
  ResponseLauncher& nextLauncher = ResponseLauncher::Attach(again, nextModel);
  again.Load();
  nextLauncher.Open();
  TolerancePage* shown = nextLauncher.Window().tolerancePage();
  EXPECT_EQ(shown->settings(), *written);
  EXPECT_EQ(shown->buildsBox()->value(), 2500);
  EXPECT_EQ(shown->standardBox()->currentIndex(), 2);
  EXPECT_EQ(shown->request().options.builds, 2500);
  EXPECT_EQ(again.document().history().UndoCount(), 0u);
  nextLauncher.Window().close();
}

}  // namespace
}  // namespace corvantile
