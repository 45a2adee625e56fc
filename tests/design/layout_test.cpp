// frmDesign's control table and the load routine's layout on different screens.
#include <algorithm>
#include <cctype>
#include <map>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include <gtest/gtest.h>

#include "design_fixture.h"

namespace corvantile {
namespace {

using toolkit::ControlKind;
using toolkit::ControlLook;
using toolkit::ControlPlacement;
using toolkit::LogicalScale;
using toolkit::RecordingPlatform;
using toolkit::RecordingWindow;
using toolkit::ScreenTwips;

TEST(DesignControlTable, EveryControlIsPlacedOnceAndEveryButtonTakesTheFocus) {
  std::map<std::string, int> placed;
  for (const ControlPlacement& row : DesignPlacements()) ++placed[std::string(row.name)];
  std::set<std::string> buttons;
  for (const ControlLook& look : DesignControls()) {
    EXPECT_EQ(placed[std::string(look.name)], 1) << look.name;
    if (look.kind == ControlKind::CommandButton) buttons.insert(std::string(look.name));
    // Only the fixed-size controls keep their design size at load.
    const ControlPlacement* row = nullptr;
    for (const ControlPlacement& candidate : DesignPlacements()) {
      if (candidate.name == look.name) row = &candidate;
    }
    ASSERT_NE(row, nullptr);
    EXPECT_EQ(row->SetsSizeAndFont(), !look.HasDesignSize()) << look.name;
  }
  EXPECT_EQ(placed.size(), DesignControls().size());

  const auto order = DesignFocusOrder();
  EXPECT_EQ(order.front(), "cmdTee");
  EXPECT_EQ(std::set<std::string>(order.begin(), order.end()), buttons);
  EXPECT_EQ(order.size(), buttons.size());
}

TEST(DesignControlTable, EveryPlacedControlLiesInsideTheLayout) {
  for (const ControlPlacement& row : DesignPlacements()) {
    EXPECT_GE(row.left, 0) << row.name;
    EXPECT_GE(row.top, 0) << row.name;
    EXPECT_LE(row.left + row.width, kLayoutWidth) << row.name;
    EXPECT_LE(row.top + row.height, kLayoutHeight) << row.name;
  }
}

TEST(DesignControlTable, DesignTimeStateHidesThePartLabelsAndTheCaution) {
  RecordingWindow window;
  ApplyDesignTimeState(window);
  std::set<std::string> hidden;
  for (const auto& [name, control] : window.controls()) {
    if (!control->IsVisible()) hidden.insert(name);
  }
  EXPECT_EQ(hidden, (std::set<std::string>{"lblNetPart1Volts", "lblNetPart1Amps",
                                           "lblNetPart2Volts", "lblNetPart2Amps",
                                           "lblNetPart3Volts", "lblNetPart3Amps", "lblCaution"}));
  EXPECT_EQ(window.Find("cmdTee").background(), (toolkit::Rgb{221, 248, 255}));
  EXPECT_EQ(window.Find("lblCaution").Text(), "Illegal operation");
  EXPECT_EQ(window.Find("lblCaution").fontSize(), 14.25);
  const ControlLook* caution = FindDesignControl("lblCaution");
  ASSERT_NE(caution, nullptr);
  EXPECT_EQ(caution->textColour, (toolkit::Rgb{255, 0, 0}));
  EXPECT_EQ(caution->font.family, "Microsoft Sans Serif");
  EXPECT_FALSE(caution->font.bold);
}

// Every command of the window, the designed ones and those added with the response window and
// the measured files and the feedline, says in a sentence of its own what it does; labels say
// nothing.
TEST(DesignControlTable, EveryCommandHasATooltipOfItsOwnAndLabelsNone) {
  RecordingWindow window;
  ApplyDesignTimeState(window);
  std::vector<const ControlLook*> commands;
  for (const ControlLook& look : DesignControls()) {
    if (look.kind == ControlKind::CommandButton) {
      commands.push_back(&look);
      EXPECT_EQ(window.Find(look.name).toolTip(), look.toolTip) << look.name;
    } else {
      EXPECT_EQ(window.Find(look.name).toolTip(), "") << look.name;
    }
  }
  commands.push_back(&ResponseButtonLook());
  commands.push_back(&FeedlineButtonLook());
  for (const MeasuredSideKind side : {MeasuredSideKind::Source, MeasuredSideKind::Load}) {
    commands.push_back(&MeasuredButtonLook(side));
    EXPECT_TRUE(MeasuredLabelLook(side).toolTip.empty());
  }
  std::set<std::string_view> tips;
  for (const ControlLook* look : commands) {
    const std::string_view tip = look->toolTip;
    ASSERT_GT(tip.size(), 10U) << look->name;
    EXPECT_NE(tip, look->text) << look->name;
    EXPECT_TRUE(std::isupper(static_cast<unsigned char>(tip.front()))) << look->name;
    EXPECT_EQ(tip.back(), '.') << look->name;
    EXPECT_LE(tip.size(), 90U) << look->name << ": short enough to read at a glance";
    EXPECT_TRUE(tips.insert(tip).second) << look->name << " repeats another command's tooltip";
  }
  EXPECT_EQ(commands.size(), DesignFocusOrder().size() + 4);
}

struct ScreenCase {
  int widthPx, heightPx;
  double points;  // H x 0.0008
};

class DesignLayoutTest : public ::testing::TestWithParam<ScreenCase> {};

TEST_P(DesignLayoutTest, PlacesEveryControlAndScalesFontsWithTheScreenHeight) {
  const ScreenTwips screen = ScreenTwips::FromPixels(GetParam().widthPx, GetParam().heightPx);
  RunState state = MakeDefaultRunState();
  RecordingWindow window;
  RecordingPlatform platform(screen);
  ApplyDesignTimeState(window);
  DesignWindow design(state, window, platform);
  design.FormLoad();

  const LogicalScale scale = window.scale();
  EXPECT_DOUBLE_EQ(scale.twipsPerUnitX, 11880 * screen.width / 144e6);
  EXPECT_DOUBLE_EQ(scale.twipsPerUnitY, 8190 * screen.height / 81e6);
  EXPECT_DOUBLE_EQ(window.fontSize(), GetParam().points);
  EXPECT_EQ(window.caption(), "Corvantile Version 3.01 - design and analysis ");

  for (const ControlPlacement& row : DesignPlacements()) {
    const toolkit::RecordingControl& control = window.Find(row.name);
    EXPECT_EQ(control.geometry().left, row.left) << row.name;
    EXPECT_EQ(control.geometry().top, row.top) << row.name;
    if (row.SetsSizeAndFont()) {
      EXPECT_EQ(control.geometry().width, row.width) << row.name;
      EXPECT_EQ(control.geometry().height, row.height) << row.name;
      EXPECT_DOUBLE_EQ(control.fontSize(), GetParam().points) << row.name;
    }
  }
  // The phase steps and the caution keep their twips size and design font on every screen.
  const std::map<std::string, std::pair<double, double>> fixed{{"cmdPhasePlusOne", {435, 330}},
                                                               {"cmdPhaseMinusOne", {435, 330}},
                                                               {"lblCaution", {2250, 315}}};
  for (const auto& [name, size] : fixed) {
    const toolkit::RecordingControl& control = window.Find(name);
    EXPECT_NEAR(control.geometry().width * scale.twipsPerUnitX, size.first, 1e-9) << name;
    EXPECT_NEAR(control.geometry().height * scale.twipsPerUnitY, size.second, 1e-9) << name;
  }
  EXPECT_EQ(window.Find("cmdPhasePlusOne").fontSize(), 9.75);
  EXPECT_EQ(window.Find("cmdPhaseMinusOne").fontSize(), 9.75);
  EXPECT_EQ(window.Find("lblCaution").fontSize(), 14.25);
  // The family buttons sit in one row: Pi, Tee, Lowpass L, Highpass L.
  EXPECT_LT(window.Find("cmdPi").geometry().left, window.Find("cmdTee").geometry().left);
  EXPECT_LT(window.Find("cmdTee").geometry().left, window.Find("cmdLPFL").geometry().left);
  EXPECT_LT(window.Find("cmdLPFL").geometry().left, window.Find("cmdHPFL").geometry().left);
}

INSTANTIATE_TEST_SUITE_P(Screens, DesignLayoutTest,
                         ::testing::Values(ScreenCase{1024, 768, 9.216}, ScreenCase{800, 600, 7.2},
                                           ScreenCase{1920, 1080, 12.96}));

TEST(DesignCaption, NamesTheSessionFileOnceWritten) {
  StartupValues startup;
  SetStartupValues(startup);
  startup.SessionFileName = "LastSession.CFG";
  EXPECT_EQ(DesignCaption(startup),
            "Corvantile Version 3.01 - design and analysis LastSession.CFG");
}

}  // namespace
}  // namespace corvantile
