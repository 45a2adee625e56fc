// The design window's "Response..." button: like the other grey buttons, clear of every
// control and of the drawn panel on every screen, and placed by the same rule.
#include "response/response_button.h"

#include <gtest/gtest.h>

#include "toolkit/geometry.h"

namespace corvantile {
namespace {

struct Box {
  double left, top, right, bottom;
  bool Overlaps(const Box& other) const {
    return left < other.right && other.left < right && top < other.bottom && other.top < bottom;
  }
};

Box BoxOf(const ControlPlacement& row, const toolkit::LogicalScale& scale) {
  double width = row.width, height = row.height;
  if (!row.SetsSizeAndFont()) {
    const ControlSpec* look = FindDesignControl(row.name);
    width = look->fixedWidthTwips / scale.twipsPerUnitX;
    height = look->fixedHeightTwips / scale.twipsPerUnitY;
  }
  return {row.left, row.top, row.left + width, row.top + height};
}

class ResponseButtonPlace : public ::testing::TestWithParam<std::pair<int, int>> {};

TEST_P(ResponseButtonPlace, OverlapsNoControlNorThePanel) {
  const auto [w, h] = GetParam();
  const toolkit::LogicalScale scale = toolkit::LogicalScale::ForMainWindow(
      toolkit::ScreenTwips::FromPixels(w, h), kDesignClientWidthTwips, kDesignClientHeightTwips);
  const Box button = BoxOf(kResponseButtonPlacement, scale);
  for (const ControlPlacement& row : DesignPlacements()) {
    EXPECT_FALSE(button.Overlaps(BoxOf(row, scale))) << row.name;
  }
  EXPECT_FALSE(button.Overlaps({3450, 200, 8500, 4800}));
  EXPECT_GE(button.left, 0);
  EXPECT_LE(button.right, kLayoutWidth);
  EXPECT_LE(button.bottom, kLayoutHeight);
}

INSTANTIATE_TEST_SUITE_P(Screens, ResponseButtonPlace,
                         ::testing::Values(std::pair{800, 600}, std::pair{1024, 768},
                                           std::pair{1920, 1080}, std::pair{1280, 1024}));

TEST(ResponseButtonLook, IsAGreyButtonSizedAndFontedByTheLoad) {
  const ControlSpec* grey = FindDesignControl("cmdPower");
  ASSERT_NE(grey, nullptr);
  EXPECT_EQ(FindDesignControl(kResponseButtonName), nullptr);
  EXPECT_EQ(kResponseButtonLook.kind, ControlKind::Button);
  EXPECT_EQ(kResponseButtonLook.text, "Response...");
  EXPECT_EQ(kResponseButtonLook.background, grey->background);
  EXPECT_EQ(kResponseButtonLook.background, (toolkit::Rgb{224, 224, 224}));
  EXPECT_EQ(kResponseButtonLook.foreground, grey->foreground);
  EXPECT_EQ(kResponseButtonLook.fontFamily, grey->fontFamily);
  EXPECT_EQ(kResponseButtonLook.bold, grey->bold);
  EXPECT_FALSE(kResponseButtonLook.HasFixedSize());
  EXPECT_TRUE(kResponseButtonPlacement.SetsSizeAndFont());
}

}  // namespace
}  // namespace corvantile
