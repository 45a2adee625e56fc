#include "app/app_options.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace corvantile {
namespace {

// The arguments and the options they give (session file, screenshot, screen, help).
struct OptionsCase {
  std::vector<std::string> args;
  std::optional<std::string> sessionFile;
  std::optional<std::string> screenshot;
  std::optional<ScreenPixels> screen;
  bool help;
  std::optional<std::string> designFile = std::nullopt;
  bool version = false;
};

class AppOptionsTest : public testing::TestWithParam<OptionsCase> {};

TEST_P(AppOptionsTest, ReadsTheCommandLine) {
  const OptionsCase& row = GetParam();
  const auto parsed = ParseAppOptions(row.args);
  ASSERT_TRUE(std::holds_alternative<AppOptions>(parsed))
      << std::get<AppOptionsError>(parsed).message;
  AppOptions expected;
  expected.sessionFile = row.sessionFile;
  expected.screenshot = row.screenshot;
  expected.screen = row.screen;
  expected.help = row.help;
  expected.designFile = row.designFile;
  expected.version = row.version;
  EXPECT_EQ(std::get<AppOptions>(parsed), expected);
}

constexpr std::nullopt_t kNone = std::nullopt;

INSTANTIATE_TEST_SUITE_P(
    Valid, AppOptionsTest,
    testing::Values(
        OptionsCase{{}, kNone, kNone, kNone, false},
        OptionsCase{{"--help"}, kNone, kNone, kNone, true},
        OptionsCase{{"-h"}, kNone, kNone, kNone, true},
        OptionsCase{{"--version"}, kNone, kNone, kNone, false, kNone, true},
        OptionsCase{{"--session", "a.cfg"}, "a.cfg", kNone, kNone, false},
        OptionsCase{{"--screenshot", "w.png"}, kNone, "w.png", kNone, false},
        OptionsCase{{"--screenshot", "w.png", "--screen", "1920x1080"},
                    kNone,
                    "w.png",
                    ScreenPixels{1920, 1080},
                    false},
        OptionsCase{{"--screen", "320x240", "--session", "s", "--screenshot", "p.png"},
                    "s",
                    "p.png",
                    ScreenPixels{320, 240},
                    false},
        // A design file opens straight into the design window.
        OptionsCase{{"tank.cfg"}, kNone, kNone, kNone, false, "tank.cfg"},
        OptionsCase{{"--session", "s.cfg", "dir/tank"}, "s.cfg", kNone, kNone, false, "dir/tank"},
        // The last of a repeated option counts.
        OptionsCase{{"--session", "a", "--session", "b"}, "b", kNone, kNone, false}));

struct BadCase {
  std::vector<std::string> args;
  const char* mentions;
};

class AppOptionsErrorTest : public testing::TestWithParam<BadCase> {};

TEST_P(AppOptionsErrorTest, RefusesWithOneLine) {
  const auto parsed = ParseAppOptions(GetParam().args);
  ASSERT_TRUE(std::holds_alternative<AppOptionsError>(parsed));
  const std::string& message = std::get<AppOptionsError>(parsed).message;
  EXPECT_NE(message.find(GetParam().mentions), std::string::npos) << message;
  EXPECT_EQ(message.find('\n'), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(
    Invalid, AppOptionsErrorTest,
    testing::Values(BadCase{{"--bogus"}, "--bogus"}, BadCase{{"design"}, "design"},
                    BadCase{{"--session"}, "--session needs a value"},
                    BadCase{{"--screenshot", ""}, "--screenshot needs a value"},
                    BadCase{{"--screen", "1024"}, "1024"}, BadCase{{"--screen", "0x600"}, "0x600"},
                    BadCase{{"--screen", "1024x768x2"}, "1024x768x2"},
                    BadCase{{"--screen", "99999x1000"}, "99999x1000"},
                    BadCase{{"--screen", "-800x600"}, "-800x600"},
                    BadCase{{"--screen", " 800x600"}, " 800x600"},
                    BadCase{{"a.cfg", "b.cfg"}, "b.cfg"},
                    BadCase{{"--screenshot", "p.png", "a.cfg"}, "--screenshot"}));

}  // namespace
}  // namespace corvantile
