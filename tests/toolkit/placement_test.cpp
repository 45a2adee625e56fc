// The windows' one placement rule, on the recording toolkit: a row with a size sets that
// rectangle and the load's font; a row with only a corner moves the control and leaves it its
// design size in twips and its design font, whatever the scale.
#include "toolkit/placement.h"

#include <array>

#include <gtest/gtest.h>

#include "toolkit/recording_toolkit.h"

namespace corvantile::toolkit {
namespace {

constexpr ControlLook kStepButton{
    .name = "cmdStep", .kind = ControlKind::CommandButton, .text = "+1", .rect = {0, 0, 435, 330}};
constexpr ControlLook kWideButton{
    .name = "cmdWide", .kind = ControlKind::CommandButton, .text = "Wide"};

struct ScaleCase {
  int widthPx, heightPx;
};

class PlacementTest : public testing::TestWithParam<ScaleCase> {
 protected:
  LogicalScale Scale() const {
    return LogicalScale::ForMainWindow(
        ScreenTwips::FromPixels(GetParam().widthPx, GetParam().heightPx), 11880, 8190);
  }
};

TEST_P(PlacementTest, ARowWithASizeSetsItAndTheFont) {
  RecordingControl control;
  const ControlPlacement row{"cmdWide", 4000, 7900, 2000, 300};
  PlaceControl(control, row, kWideButton, Scale(), 9.216);
  EXPECT_EQ(control.geometry(), (LogicalRect{4000, 7900, 2000, 300}));
  EXPECT_EQ(control.fontSize(), 9.216);
}

TEST_P(PlacementTest, ACornerOnlyMovesAndKeepsTheDesignSizeInTwipsAndTheFont) {
  RecordingControl control;
  control.SetFontSize(9.75);
  const LogicalScale scale = Scale();
  const ControlPlacement row{"cmdStep", 6200, 5205, 0, 0};
  PlaceControl(control, row, kStepButton, scale, 12.96);
  EXPECT_EQ(control.geometry().left, 6200);
  EXPECT_EQ(control.geometry().top, 5205);
  EXPECT_NEAR(control.geometry().width * scale.twipsPerUnitX, 435, 1e-9);
  EXPECT_NEAR(control.geometry().height * scale.twipsPerUnitY, 330, 1e-9);
  // In device pixels: 435 x 330 twips are 29 x 22 pixels on every screen.
  EXPECT_NEAR(scale.XToPixels(control.geometry().width), 29, 1e-9);
  EXPECT_NEAR(scale.YToPixels(control.geometry().height), 22, 1e-9);
  EXPECT_EQ(control.fontSize(), 9.75);
  EXPECT_EQ(PlacedRect(row, kStepButton, scale), control.geometry());
}

INSTANTIATE_TEST_SUITE_P(Screens, PlacementTest,
                         testing::Values(ScaleCase{800, 600}, ScaleCase{1024, 768},
                                         ScaleCase{1920, 1080}, ScaleCase{1280, 1024}));

TEST(PlacementExample, TheHeaderExampleHolds) {
  // 1024 x 768: 1.2672 x 1.1648 twips a unit.
  const LogicalScale scale =
      LogicalScale::ForMainWindow(ScreenTwips::FromPixels(1024, 768), 11880, 8190);
  const LogicalRect rect = PlacedRect({"cmdStep", 6200, 5205, 0, 0}, kStepButton, scale);
  EXPECT_NEAR(rect.width, 343.3, 0.05);
  EXPECT_NEAR(rect.height, 283.3, 0.05);
}

TEST(FindLook, FindsByNameOrGivesNone) {
  constexpr std::array kLooks{kStepButton, kWideButton};
  ASSERT_NE(FindLook(kLooks, "cmdWide"), nullptr);
  EXPECT_EQ(FindLook(kLooks, "cmdWide")->text, "Wide");
  EXPECT_EQ(FindLook(kLooks, "cmdNone"), nullptr);
}

}  // namespace
}  // namespace corvantile::toolkit
