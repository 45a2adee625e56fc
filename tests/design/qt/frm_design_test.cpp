#include "design/qt/frm_design.h"

#include <cmath>
#include <fstream>
#include <string>
#include <string_view>
#include <vector>

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QDir>
#include <QFontInfo>
#include <QImage>
#include <QPalette>
#include <QTemporaryDir>
#include <QTest>

#include "design/design_controls.h"
#include "design/design_window.h"
#include "model/design_model.h"
#include "state/circuit_state.h"
#include "support/numbers.h"
#include "support/qt/pixels.h"
#include "toolkit/qt/qt_platform.h"

namespace corvantile {
namespace {

using toolkit::Rgb;

constexpr Rgb kDesignTimeFamily{221, 248, 255};

Rgb ButtonColour(QWidget* widget) {
  return testing::RgbOf(widget->palette().color(QPalette::Button));
}

using testing::Round;

// The design window on a 1024 x 768 screen over the default circuit.
class FrmDesignTest : public ::testing::Test {
 protected:
  FrmDesignTest()
      : state(model.state()),
        platform(toolkit::ScreenTwips::FromPixels(1024, 768)),
        design(model, platform) {
    design.Load();
  }

  QWidget* Widget(std::string_view name) { return design.window().Find(name).widget(); }
  void Click(std::string_view name) { QTest::mouseClick(Widget(name), Qt::LeftButton); }
  QImage Drawing() { return design.window().surface().image().copy(); }

  DesignModel model;
  RunState& state;
  toolkit::QtPlatform platform;
  FrmDesign design;
};

TEST_F(FrmDesignTest, OpensWithItsCaptionBackgroundAndTheHiddenButtonsLeftOut) {
  EXPECT_EQ(design.window().widget()->objectName(), "frmDesign");
  EXPECT_EQ(design.window().widget()->windowTitle(),
            "Corvantile Version 3.01 - design and analysis ");
  EXPECT_EQ(design.window().widget()->palette().color(QPalette::Window), QColor(238, 255, 255));
  EXPECT_EQ(design.window().widget()->findChild<QWidget*>("cmdChangeSourcePart"), nullptr);
  for (const toolkit::ControlLook& look : DesignControls()) {
    EXPECT_EQ(design.window().widget()->findChild<QWidget*>(
                  QString::fromUtf8(look.name.data(), look.name.size())),
              Widget(look.name))
        << look.name;
  }
}

TEST_F(FrmDesignTest, EveryPlacedControlSitsWhereTheLogicalLayoutPutsIt) {
  const toolkit::LogicalScale scale = design.window().scale();
  for (const toolkit::ControlPlacement& row : DesignPlacements()) {
    const QRect geometry = Widget(row.name)->geometry();
    EXPECT_EQ(geometry.left(), Round(scale.XToPixels(row.left))) << row.name;
    EXPECT_EQ(geometry.top(), Round(scale.YToPixels(row.top))) << row.name;
    if (row.SetsSizeAndFont()) {
      EXPECT_EQ(geometry.right() + 1, Round(scale.XToPixels(row.left + row.width))) << row.name;
      EXPECT_EQ(geometry.bottom() + 1, Round(scale.YToPixels(row.top + row.height))) << row.name;
      // 9.216 pt at 96 dpi.
      EXPECT_EQ(QFontInfo(Widget(row.name)->font()).pixelSize(), 12) << row.name;
    }
  }
  // The design-sized ones: 435 x 330 and 2250 x 315 twips at 15 twips a pixel.
  EXPECT_EQ(Widget("cmdPhasePlusOne")->size(), QSize(29, 22));
  EXPECT_EQ(Widget("cmdPhaseMinusOne")->size(), QSize(29, 22));
  EXPECT_EQ(Widget("lblCaution")->size(), QSize(150, 21));
  EXPECT_EQ(QFontInfo(Widget("cmdPhasePlusOne")->font()).pixelSize(), 13);
  // On this screen the exit button's pixel rectangle, worked out by hand: 9200 units across
  // are 9200 * 11880 * 15360 / 144e6 twips = 777.2 pixels, 7500 down 582.4.
  EXPECT_EQ(Widget("cmdExit")->geometry(), QRect(777, 582, 68, 24));
}

// The designed focus order, with each side's "Measured..." after its last entry command: where
// it stands, above Exit; "Feedline..." after the load's.
TEST_F(FrmDesignTest, TabFollowsTheFocusOrderAndTeeHoldsTheFocusWhenShown) {
  std::vector<std::string> expected;
  for (const std::string_view name : DesignFocusOrder()) {
    expected.emplace_back(name);
    if (name == "CommandSource4") expected.emplace_back(kMeasuredSourceButtonName);
    if (name == "CommandLoad4") {
      expected.emplace_back(kMeasuredLoadButtonName);
      expected.emplace_back(kFeedlineButtonName);
    }
  }
  std::vector<std::string> chain;
  QWidget* widget = Widget("cmdTee");
  for (std::size_t i = 0; i < expected.size(); ++i) {
    chain.push_back(widget->objectName().toStdString());
    do {
      widget = widget->nextInFocusChain();
    } while (widget->focusPolicy() != Qt::StrongFocus);
  }
  EXPECT_EQ(chain, expected);
  EXPECT_EQ(chain.back(), "cmdExit");

  design.Show();
  EXPECT_EQ(design.window().widget()->focusWidget(), Widget("cmdTee"));
  design.window().widget()->hide();
}

TEST_F(FrmDesignTest, TheCautionCoversTheFamilyButtonsItOverlaps) {
  state.NetValues[Frequency] = 0;  // no part values without a frequency
  design.logic().RefreshDesign();
  ASSERT_TRUE(design.window().Find("lblCaution").IsVisible());
  const toolkit::LogicalScale scale = design.window().scale();
  // Inside both the caution and the Pi button.
  const QPoint shared(Round(scale.XToPixels(4100)), Round(scale.YToPixels(4250)));
  ASSERT_TRUE(Widget("cmdPi")->geometry().contains(shared));
  ASSERT_TRUE(Widget("lblCaution")->geometry().contains(shared));
  // Later among the canvas's children is higher in the stack.
  const QObjectList& stack = design.window().canvas()->children();
  for (const char* name : {"cmdPi", "cmdTee", "cmdLPFL"}) {
    EXPECT_GT(stack.indexOf(Widget("lblCaution")), stack.indexOf(Widget(name))) << name;
  }
}

struct FamilyCase {
  const char* button;
  float family;
};

TEST_F(FrmDesignTest, FamilyButtonsKeepTheirDesignColourUntilTheFirstClick) {
  for (const char* name : {"cmdTee", "cmdPi", "cmdLPFL", "cmdHPFL"}) {
    EXPECT_EQ(ButtonColour(Widget(name)), kDesignTimeFamily) << name;
  }
}

TEST_F(FrmDesignTest, ClickingAFamilyRecoloursTheFourButtonsAndRedraws) {
  const std::vector<FamilyCase> clicks{
      {"cmdHPFL", FamilyHighpassL}, {"cmdTee", FamilyTee}, {"cmdLPFL", FamilyLowpassL},
      {"cmdPi", FamilyPi},          {"cmdTee", FamilyTee},
  };
  const toolkit::LogicalScale scale = design.window().scale();
  const QPoint mark(Round(scale.XToPixels(6000)), Round(scale.YToPixels(4600)));
  for (const FamilyCase& click : clicks) {
    // A mark in the panel that only a fresh refresh paints over.
    design.window().surface().Line(5900, 4600, 6100, 4600, {255, 0, 0});
    ASSERT_EQ(Drawing().pixelColor(mark), QColor(255, 0, 0));
    Click(click.button);
    EXPECT_EQ(state.NetValues[NetworkFamily], click.family) << click.button;
    for (const char* name : {"cmdTee", "cmdPi", "cmdLPFL", "cmdHPFL"}) {
      EXPECT_EQ(ButtonColour(Widget(name)), std::string_view(name) == click.button
                                                ? kFamilySelectedColour
                                                : kFamilyUnselectedColour)
          << click.button << " then " << name;
    }
    EXPECT_EQ(Drawing().pixelColor(mark), QColor(221, 248, 255)) << click.button;
  }
}

TEST_F(FrmDesignTest, ReturnClicksTheFocusedButtonAndEscapeDoesNothing) {
  const float phase = state.NetValues[NetworkPhase];
  QTest::keyClick(Widget("cmdPhasePlusOne"), Qt::Key_Return);
  EXPECT_EQ(state.NetValues[NetworkPhase], phase + 1);
  design.Show();
  const RunState kept = state;
  QTest::keyClick(Widget("cmdTee"), Qt::Key_Escape);
  QTest::keyClick(design.window().widget(), Qt::Key_Escape);
  EXPECT_EQ(state.NetValues, kept.NetValues);
  EXPECT_TRUE(design.window().widget()->isVisible());
  design.window().widget()->hide();
}

// The small phase-step buttons have keys, which their tooltips name.
TEST_F(FrmDesignTest, PlusAndMinusKeysStepThePhase) {
  design.Show();
  design.window().widget()->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(design.window().widget()));
  const float phase = state.NetValues[NetworkPhase];
  QTest::keyClick(design.window().widget(), Qt::Key_Plus);
  EXPECT_EQ(state.NetValues[NetworkPhase], phase + 1);
  QTest::keyClick(design.window().widget(), Qt::Key_Minus);
  QTest::keyClick(design.window().widget(), Qt::Key_Minus);
  EXPECT_EQ(state.NetValues[NetworkPhase], phase - 1);
  EXPECT_TRUE(Widget("cmdPhasePlusOne")->toolTip().contains("key +"));
  EXPECT_TRUE(Widget("cmdPhaseMinusOne")->toolTip().contains("key -"));
  design.window().widget()->hide();
}

// Runs the test body in a fresh temporary working directory.
class WorkingDirectory {
 public:
  WorkingDirectory() : previous_(QDir::currentPath()) { QDir::setCurrent(dir_.path()); }
  ~WorkingDirectory() { QDir::setCurrent(previous_); }
  QString File(const char* name) const { return dir_.filePath(QString::fromLatin1(name)); }

 private:
  QTemporaryDir dir_;
  QString previous_;
};

int CountLines(const QString& path) {
  std::ifstream file(path.toStdString());
  int lines = 0;
  for (std::string line; std::getline(file, line);) ++lines;
  return lines;
}

TEST_F(FrmDesignTest, ExitWritesTheSessionFileAndClosesTheWindow) {
  WorkingDirectory dir;
  design.Show();
  Click("cmdExit");
  EXPECT_EQ(CountLines(dir.File("LastSession.CFG")), 64);
  EXPECT_FALSE(design.window().widget()->isVisible());
}

TEST_F(FrmDesignTest, ClosingTheFrameWritesNothing) {
  WorkingDirectory dir;
  design.Show();
  EXPECT_TRUE(design.window().widget()->close());
  EXPECT_FALSE(QFile::exists(dir.File("LastSession.CFG")));
}

TEST_F(FrmDesignTest, TheRenderedWindowShowsTheSchematicUnderTheControls) {
  const QImage picture = design.Render(QSize(1024, 768));
  ASSERT_EQ(picture.size(), QSize(1024, 768));
  const toolkit::LogicalScale scale = design.window().scale();
  const auto dark = [&](double x, double y) {
    return qGray(picture.pixel(Round(scale.XToPixels(x)), Round(scale.YToPixels(y)))) < 100;
  };
  // The source's rails leave its resistor at x 1560 on y 800 and 1840.
  EXPECT_TRUE(dark(1700, 800));
  EXPECT_TRUE(dark(1700, 1840));
  EXPECT_FALSE(dark(1700, 1300));
  // The panel behind the network.
  const QColor panel =
      picture.pixelColor(Round(scale.XToPixels(3600)), Round(scale.YToPixels(1000)));
  EXPECT_EQ(panel, QColor(221, 248, 255));
}

}  // namespace
}  // namespace corvantile
