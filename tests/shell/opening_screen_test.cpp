#include "shell/opening_screen.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "state/session_file.h"
#include "support/files.h"
#include "toolkit/recording_toolkit.h"

namespace corvantile {
namespace {

using toolkit::DrawCall;
using toolkit::RecordingPlatform;
using toolkit::RecordingWindow;
using toolkit::Rgb;
using toolkit::ScreenTwips;

namespace fs = std::filesystem;

// Records the order of "Start": whether the title screen was still loaded when the design
// window was shown.
struct HostSpy : DesignWindowHost {
  explicit HostSpy(const RecordingWindow& opening) : opening_(opening) {}
  void ShowDesignWindow() override {
    ++shown;
    openingClosedWhenShown = opening_.closed();
  }
  int shown = 0;
  bool openingClosedWhenShown = false;

 private:
  const RecordingWindow& opening_;
};

class OpeningScreenTest : public ::testing::Test {
 protected:
  void Load(ScreenTwips screen = ScreenTwips::FromPixels(1024, 768)) {
    platform_ = RecordingPlatform(screen);
    screen_ = std::make_unique<OpeningScreen>(state_, window_, platform_, host_, session_);
    screen_->Form_Load();
  }

  std::vector<DrawCall> Artwork() {
    const auto& calls = window_.surface().calls();
    return {calls.begin() + 9000, calls.end()};
  }

  const testing::ScratchFolder folder_;
  const fs::path session_ = folder_.path() / "LastSession.CFG";
  RunState state_;
  RecordingWindow window_;
  RecordingPlatform platform_;
  HostSpy host_{window_};
  std::unique_ptr<OpeningScreen> screen_;
};

TEST(BackgroundBlue, DarkBandRampAndLightBand) {
  const std::pair<float, int> rows[] = {{1, 64},    {2276, 64},  {2277, 65},  {2700, 76},
                                        {3300, 94}, {7041, 199}, {7042, 200}, {9000, 200}};
  for (const auto& [row, blue] : rows) EXPECT_EQ(BackgroundBlue(row), blue) << row;
}

TEST_F(OpeningScreenTest, BackgroundIsNineThousandRowsGettingLighterDownwards) {
  Load();
  const auto& calls = window_.surface().calls();
  ASSERT_GE(calls.size(), 9000u);
  int previousBlue = 64;
  for (int row = 1; row <= 9000; ++row) {
    const DrawCall& line = calls[static_cast<std::size_t>(row - 1)];
    ASSERT_EQ(line.kind, DrawCall::Kind::Line);
    ASSERT_EQ(line.x1, 0);
    ASSERT_EQ(line.x2, 12100);
    ASSERT_EQ(line.y1, row);
    ASSERT_EQ(line.y2, row);
    ASSERT_EQ(line.width, 1);
    ASSERT_EQ(line.colour.r, 0);
    ASSERT_EQ(line.colour.g, 0);
    ASSERT_EQ(line.colour.b, BackgroundBlue(static_cast<float>(row)));
    ASSERT_GE(line.colour.b, previousBlue);
    ASSERT_LE(line.colour.b, previousBlue + 1) << "the ramp never skips a shade";
    previousBlue = line.colour.b;
  }
}

TEST_F(OpeningScreenTest, ScaleOnAnEightHundredBySixHundredScreen) {
  Load(ScreenTwips::FromPixels(800, 600));
  EXPECT_NEAR(window_.scale().twipsPerUnitX, 0.99, 1e-12);
  EXPECT_NEAR(window_.scale().twipsPerUnitY, 0.943333, 1e-6);
  const auto title = window_.Find("lblTitle").geometry();
  EXPECT_DOUBLE_EQ(title.left, 2000);
  EXPECT_DOUBLE_EQ(title.top, 360);
  // The title keeps its designed 11145 x 2115 twips.
  EXPECT_DOUBLE_EQ(title.width * window_.scale().twipsPerUnitX, 11145);
  EXPECT_DOUBLE_EQ(title.height * window_.scale().twipsPerUnitY, 2115);
}

TEST_F(OpeningScreenTest, CaptionTextsAndFontsOnA768PixelScreen) {
  Load();
  EXPECT_EQ(window_.caption(), "Corvantile Version 3.01");
  EXPECT_EQ(window_.Find("lblVersion").Text(), "Version 3.01");
  EXPECT_EQ(window_.Find("lblCopyright").Text(), state_.startup.NoticeText);
  EXPECT_EQ(window_.Find("lblWebsite").Text(), state_.startup.WebsiteText);
  EXPECT_FALSE(state_.startup.NoticeText.empty());
  EXPECT_FALSE(state_.startup.WebsiteText.empty());
  EXPECT_DOUBLE_EQ(window_.Find("lblTitle").geometry().top, 460.8);

  const std::pair<const char*, double> fonts[] = {
      {"lblTitle2", 13.824}, {"lblTitle6", 13.824}, {"lblVersion", 11.52}, {"lblCopyright", 11.52},
      {"lblWebsite", 11.52}, {"cmdStart", 9.216},   {"cmdExit", 9.216}};
  for (const auto& [name, points] : fonts) {
    EXPECT_NEAR(window_.Find(name).fontSize(), points, 1e-9) << name;
  }
  EXPECT_EQ(window_.Find("lblTitle").fontSize(), 0) << "the title keeps its 90 pt";
  EXPECT_EQ(window_.Find("cmdStart").geometry(), (toolkit::LogicalRect{6500, 5200, 1000, 300}));
  EXPECT_EQ(window_.Find("cmdExit").geometry(), (toolkit::LogicalRect{6500, 6000, 1000, 300}));
  EXPECT_EQ(window_.Find("lblTitle5").geometry(), (toolkit::LogicalRect{1500, 3900, 3800, 300}));
}

TEST_F(OpeningScreenTest, MissingSessionFileGivesTheDefaults) {
  Load();
  EXPECT_EQ(state_.NetValues[Frequency], 3.75e6f);
  EXPECT_EQ(state_.SourceValues[SeriesR], 1500.0f);
  EXPECT_FALSE(fs::exists(session_)) << "loading never writes the session file";
}

TEST_F(OpeningScreenTest, SessionFileIsReadAfterTheStartupValues) {
  RunState saved = MakeDefaultRunState();
  saved.NetValues[Frequency] = 14.2e6f;
  saved.LoadValues[SeriesR] = 75;
  ASSERT_TRUE(WriteSession(saved, session_));
  Load();
  EXPECT_EQ(state_.NetValues[Frequency], 14.2e6f);
  EXPECT_EQ(state_.LoadValues[SeriesR], 75.0f);
  EXPECT_EQ(state_.startup.VersionText, "Version 3.01");
  EXPECT_EQ(window_.caption(), "Corvantile Version 3.01");
}

TEST_F(OpeningScreenTest, ArtworkIsWhiteAtWidthTwoOnTopOfABlueBox) {
  Load();
  const std::vector<DrawCall> art = Artwork();
  ASSERT_FALSE(art.empty());
  int boxes = 0;
  for (const DrawCall& call : art) {
    if (call.kind == DrawCall::Kind::FillRect) {
      ++boxes;
      EXPECT_EQ(call.colour, (Rgb{0, 0, 255}));
      EXPECT_EQ(std::make_pair(call.x1, call.y1), std::make_pair(6500.0, 2800.0));
      EXPECT_EQ(std::make_pair(call.x2, call.y2), std::make_pair(8730.0, 4600.0));
    } else {
      EXPECT_EQ(call.colour, (Rgb{255, 255, 255}));
      EXPECT_EQ(call.width, 2);
    }
  }
  EXPECT_EQ(boxes, 1);
  // After the picture the pen is at the load resistor, on the same rail, back to width 1.
  EXPECT_FLOAT_EQ(screen_->pen().x, 9700);
  EXPECT_FLOAT_EQ(screen_->pen().y, 3200);
  EXPECT_EQ(screen_->pen().width, 1);
  EXPECT_EQ(screen_->pen().colour, (Rgb{255, 255, 255}));
}

TEST_F(OpeningScreenTest, ArtworkPartsAreWhereThePenLeavesThem) {
  Load();
  const std::vector<DrawCall> art = Artwork();
  auto vertical = [&](double x, double y1, double y2) {
    return std::count_if(art.begin(), art.end(), [&](const DrawCall& c) {
      return c.kind == DrawCall::Kind::Line && c.x1 == x && c.x2 == x && c.y1 == y1 && c.y2 == y2;
    });
  };
  auto humpsAt = [&](double x) {
    return std::count_if(art.begin(), art.end(), [&](const DrawCall& c) {
      return c.kind == DrawCall::Kind::Arc && c.x1 == x && c.y1 == 3200 && c.radius == 80;
    });
  };
  // Series capacitor plates at 6140 and 6204.
  EXPECT_EQ(vertical(6140, 3080, 3320), 1);
  EXPECT_EQ(vertical(6204, 3080, 3320), 1);
  // Shunt capacitors at 6820 and 8420.
  EXPECT_EQ(vertical(6820, 3200, 3680), 1);
  EXPECT_EQ(vertical(8420, 3200, 3680), 1);
  // Coil humps of the two series inductors.
  for (double x : {7460, 7620, 7780, 9060, 9220, 9380}) EXPECT_EQ(humpsAt(x), 1) << x;
  // The two box edges, dotted, ten units apart from the box on the right.
  std::vector<double> edges;
  for (const DrawCall& c : art) {
    if (c.kind == DrawCall::Kind::Line && c.style == toolkit::LineStyle::Dotted) {
      EXPECT_EQ(c.y1, 2800);
      EXPECT_EQ(c.y2, 4600);
      edges.push_back(c.x1);
    }
  }
  EXPECT_EQ(edges, (std::vector<double>{6500, 8740}));
}

// Both resistors have the same zigzag, at 5500 and 9700.
TEST_F(OpeningScreenTest, SourceAndLoadResistorsAreTheSameShape) {
  Load();
  auto zigzagAt = [&](double x) {
    std::vector<std::pair<double, double>> points;
    for (const DrawCall& c : Artwork()) {
      const bool near = std::abs(c.x1 - x) <= 60 && std::abs(c.x2 - x) <= 60;
      if (c.kind == DrawCall::Kind::Line && near && c.y1 != c.y2) {
        points.emplace_back(c.x1 - x, c.y1 - 3200);
        points.emplace_back(c.x2 - x, c.y2 - 3200);
      }
    }
    return points;
  };
  const auto source = zigzagAt(5500);
  EXPECT_EQ(source.size(), 18u);  // nine connected segments
  EXPECT_EQ(source, zigzagAt(9700));
}

// The lower rail runs unbroken from the source resistor to the load resistor.
TEST_F(OpeningScreenTest, LowerRailIsUnbroken) {
  Load();
  std::vector<std::pair<double, double>> spans;
  for (const DrawCall& c : Artwork()) {
    if (c.kind == DrawCall::Kind::Line && c.y1 == 4240 && c.y2 == 4240) {
      spans.emplace_back(std::min(c.x1, c.x2), std::max(c.x1, c.x2));
    }
  }
  std::sort(spans.begin(), spans.end());
  ASSERT_FALSE(spans.empty());
  double reach = spans.front().first;
  EXPECT_EQ(reach, 5500);
  for (const auto& [from, to] : spans) {
    EXPECT_LE(from, reach) << "gap before " << from;
    reach = std::max(reach, to);
  }
  EXPECT_EQ(reach, 9700);
}

TEST_F(OpeningScreenTest, StartShowsTheDesignWindowBeforeUnloading) {
  Load();
  screen_->cmdStart_Click();
  EXPECT_EQ(host_.shown, 1);
  EXPECT_FALSE(host_.openingClosedWhenShown);
  EXPECT_TRUE(window_.closed());
  EXPECT_FALSE(platform_.quit());
}

TEST_F(OpeningScreenTest, ExitQuitEndsWithoutWritingTheSession) {
  Load();
  screen_->cmdExit_Click();
  EXPECT_TRUE(window_.closed());
  EXPECT_TRUE(platform_.quit());
  EXPECT_EQ(host_.shown, 0);
  EXPECT_FALSE(fs::exists(session_));
}

TEST_F(OpeningScreenTest, ExitQuitLeavesAnExistingSessionAsItWas) {
  { std::ofstream(session_) << "not a session file\n"; }
  Load();
  screen_->cmdExit_Click();
  std::ifstream in(session_);
  std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  EXPECT_EQ(text, "not a session file\n");
}

TEST(OpeningLook, StartHoldsTheFocus) {
  const toolkit::WindowLook& look = OpeningLook();
  EXPECT_EQ(look.name, "frmOpening");
  ASSERT_GE(look.controls.size(), 2u);
  EXPECT_EQ(look.controls[0].name, "cmdStart");
  EXPECT_EQ(look.controls[0].text, "Start");
  EXPECT_EQ(look.controls[1].name, "cmdExit");
  EXPECT_EQ(look.controls[1].text, "Exit / Quit");
  // Every placed control has a look, and every look but the title is placed.
  for (const OpeningPlacement& row : OpeningLayout()) {
    EXPECT_TRUE(std::any_of(look.controls.begin(), look.controls.end(), [&](const auto& c) {
      return c.name == row.name;
    })) << row.name;
  }
  EXPECT_EQ(OpeningLayout().size() + 1, look.controls.size());
}

}  // namespace
}  // namespace corvantile
