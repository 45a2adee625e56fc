// The design window's "Response..." and "Report..." buttons: like the other grey buttons, clear
// of every control and of the drawn panel on every screen, and placed by the same rule.
#include <gtest/gtest.h>

#include "design/design_controls.h"
#include "toolkit/geometry.h"
#include "toolkit/placement.h"

namespace corvantile {
namespace {

struct Box {
  double left, top, right, bottom;
  bool Overlaps(const Box& other) const {
    return left < other.right && other.left < right && top < other.bottom && other.top < bottom;
  }
};

using toolkit::ControlLook;
using toolkit::ControlPlacement;

// Where the load puts a row, by the windows' one placement rule.
Box BoxOf(const ControlPlacement& row, const ControlLook& look,
          const toolkit::LogicalScale& scale) {
  const toolkit::LogicalRect rect = toolkit::PlacedRect(row, look, scale);
  return {rect.left, rect.top, rect.left + rect.width, rect.top + rect.height};
}

class ResponseButtonPlace : public ::testing::TestWithParam<std::pair<int, int>> {};

TEST_P(ResponseButtonPlace, OverlapsNoControlNorThePanel) {
  const auto [w, h] = GetParam();
  const toolkit::LogicalScale scale = toolkit::LogicalScale::ForMainWindow(
      toolkit::ScreenTwips::FromPixels(w, h), kDesignClientWidthTwips, kDesignClientHeightTwips);
  const Box button = BoxOf(ResponseButtonPlacement(), ResponseButtonLook(), scale);
  for (const ControlPlacement& row : DesignPlacements()) {
    EXPECT_FALSE(button.Overlaps(BoxOf(row, *FindDesignControl(row.name), scale))) << row.name;
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
  const ControlLook* grey = FindDesignControl("cmdPower");
  ASSERT_NE(grey, nullptr);
  const ControlLook& look = ResponseButtonLook();
  EXPECT_EQ(FindDesignControl(kResponseButtonName), nullptr);
  EXPECT_EQ(look.name, kResponseButtonName);
  EXPECT_EQ(ResponseButtonPlacement().name, kResponseButtonName);
  EXPECT_EQ(look.kind, toolkit::ControlKind::CommandButton);
  EXPECT_EQ(look.text, "Response...");
  EXPECT_EQ(look.background, grey->background);
  EXPECT_EQ(look.background, (toolkit::Rgb{224, 224, 224}));
  EXPECT_EQ(look.textColour, grey->textColour);
  EXPECT_EQ(look.font.family, grey->font.family);
  EXPECT_EQ(look.font.bold, grey->font.bold);
  EXPECT_FALSE(look.HasDesignSize());
  EXPECT_TRUE(ResponseButtonPlacement().SetsSizeAndFont());
}

// "Report..." under it: as wide, as grey, placed by the same rule and clear of everything.
class ReportButtonPlace : public ::testing::TestWithParam<std::pair<int, int>> {};

TEST_P(ReportButtonPlace, SitsUnderResponseOverlappingNothing) {
  const auto [w, h] = GetParam();
  const toolkit::LogicalScale scale = toolkit::LogicalScale::ForMainWindow(
      toolkit::ScreenTwips::FromPixels(w, h), kDesignClientWidthTwips, kDesignClientHeightTwips);
  const Box button = BoxOf(ReportButtonPlacement(), ReportButtonLook(), scale);
  const Box response = BoxOf(ResponseButtonPlacement(), ResponseButtonLook(), scale);
  for (const ControlPlacement& row : DesignPlacements()) {
    EXPECT_FALSE(button.Overlaps(BoxOf(row, *FindDesignControl(row.name), scale))) << row.name;
  }
  EXPECT_FALSE(button.Overlaps(response));
  EXPECT_FALSE(button.Overlaps({3450, 200, 8500, 4800}));
  EXPECT_EQ(button.left, response.left);
  EXPECT_EQ(button.right, response.right);
  EXPECT_GT(button.top, response.top);
  EXPECT_LE(button.bottom, kLayoutHeight);
}

INSTANTIATE_TEST_SUITE_P(Screens, ReportButtonPlace,
                         ::testing::Values(std::pair{800, 600}, std::pair{1024, 768},
                                           std::pair{1920, 1080}, std::pair{1280, 1024}));

TEST(ReportButtonLook, LooksLikeTheResponseButton) {
  const ControlLook& look = ReportButtonLook();
  const ControlLook& response = ResponseButtonLook();
  EXPECT_EQ(FindDesignControl(kReportButtonName), nullptr);
  EXPECT_EQ(look.name, kReportButtonName);
  EXPECT_EQ(ReportButtonPlacement().name, kReportButtonName);
  EXPECT_EQ(look.kind, toolkit::ControlKind::CommandButton);
  EXPECT_EQ(look.text, "Report...");
  EXPECT_EQ(look.background, response.background);
  EXPECT_EQ(look.textColour, response.textColour);
  EXPECT_EQ(look.font.family, response.font.family);
  EXPECT_EQ(look.font.bold, response.font.bold);
  EXPECT_FALSE(look.HasDesignSize());
  EXPECT_TRUE(ReportButtonPlacement().SetsSizeAndFont());
  EXPECT_EQ(kReportShortcut, "Ctrl+P");
  EXPECT_EQ(kCopyReportShortcut, "Ctrl+C");
}

// "Feedline..." under Exit in the load's column: as wide as the load's entry commands, grey,
// placed by the same rule and clear of every control, the added ones and the panel.
class FeedlineButtonPlace : public ::testing::TestWithParam<std::pair<int, int>> {};

TEST_P(FeedlineButtonPlace, SitsUnderExitOverlappingNothing) {
  const auto [w, h] = GetParam();
  const toolkit::LogicalScale scale = toolkit::LogicalScale::ForMainWindow(
      toolkit::ScreenTwips::FromPixels(w, h), kDesignClientWidthTwips, kDesignClientHeightTwips);
  const Box button = BoxOf(FeedlineButtonPlacement(), FeedlineButtonLook(), scale);
  for (const ControlPlacement& row : DesignPlacements()) {
    EXPECT_FALSE(button.Overlaps(BoxOf(row, *FindDesignControl(row.name), scale))) << row.name;
  }
  EXPECT_FALSE(button.Overlaps(BoxOf(ResponseButtonPlacement(), ResponseButtonLook(), scale)));
  EXPECT_FALSE(button.Overlaps(BoxOf(ReportButtonPlacement(), ReportButtonLook(), scale)));
  for (const MeasuredSideKind side : {MeasuredSideKind::Source, MeasuredSideKind::Load}) {
    EXPECT_FALSE(
        button.Overlaps(BoxOf(MeasuredButtonPlacement(side), MeasuredButtonLook(side), scale)));
    EXPECT_FALSE(
        button.Overlaps(BoxOf(MeasuredLabelPlacement(side), MeasuredLabelLook(side), scale)));
  }
  EXPECT_FALSE(button.Overlaps({3450, 200, 8500, 4800}));
  const Box load = BoxOf(MeasuredButtonPlacement(MeasuredSideKind::Load),
                         MeasuredButtonLook(MeasuredSideKind::Load), scale);
  EXPECT_EQ(button.left, load.left);
  EXPECT_EQ(button.right, load.right);
  EXPECT_LE(button.right, kLayoutWidth);
  EXPECT_LE(button.bottom, kLayoutHeight);
  EXPECT_EQ(FeedlineButtonLook().text, "Feedline...");
  EXPECT_EQ(FeedlineButtonLook().background, (toolkit::Rgb{224, 224, 224}));
  EXPECT_EQ(FindDesignControl(kFeedlineButtonName), nullptr);
}

INSTANTIATE_TEST_SUITE_P(Screens, FeedlineButtonPlace,
                         ::testing::Values(std::pair{800, 600}, std::pair{1024, 768},
                                           std::pair{1920, 1080}, std::pair{1280, 1024}));

}  // namespace
}  // namespace corvantile
