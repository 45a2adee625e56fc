#include "state/settings_file.h"

#include <filesystem>
#include <fstream>

#include <gtest/gtest.h>

namespace corvantile {
namespace {

Settings Measured(std::optional<MeasuredSide> source, std::optional<MeasuredSide> load) {
  Settings settings;
  settings.measuredSource = std::move(source);
  settings.measuredLoad = std::move(load);
  return settings;
}

TEST(SettingsFile, WhatIsWrittenReadsBackAsItWas) {
  const Settings cases[] = {
      Settings{},
      Measured(std::nullopt, MeasuredSide{"/data/antenna.s1p", 1}),
      Measured(MeasuredSide{"amp \"stage 2\".s2p", 2}, MeasuredSide{"dir/ü load.s4p", 4}),
  };
  for (const Settings& settings : cases) {
    const SettingsRead read = ReadSettingsText(SettingsFileText(settings));
    EXPECT_TRUE(read.found);
    EXPECT_FALSE(read.damaged) << SettingsFileText(settings);
    EXPECT_EQ(read.settings, settings) << SettingsFileText(settings);
  }
}

TEST(SettingsFile, MembersOfANewerVersionSurviveARewrite) {
  const SettingsRead read = ReadSettingsText(
      R"({"version": 7, "losses": {"q_inductor": 150}, "measured": {"load": {"file": "a.s1p"}}})");
  EXPECT_FALSE(read.damaged);
  ASSERT_TRUE(read.settings.measuredLoad);
  EXPECT_EQ(read.settings.measuredLoad->port, 1);
  const SettingsRead again = ReadSettingsText(SettingsFileText(read.settings));
  EXPECT_EQ(again.settings, read.settings);
  EXPECT_NE(SettingsFileText(read.settings).find("\"q_inductor\": 150"), std::string::npos);
}

struct DamagedCase {
  const char* text;
  bool keepsLoad;  // the load's member is still read
};

class SettingsDamaged : public testing::TestWithParam<DamagedCase> {};

TEST_P(SettingsDamaged, GivesTheDefaultsForWhatCannotBeRead) {
  const SettingsRead read = ReadSettingsText(GetParam().text);
  EXPECT_TRUE(read.damaged);
  EXPECT_FALSE(read.settings.measuredSource);
  EXPECT_EQ(read.settings.measuredLoad.has_value(), GetParam().keepsLoad);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, SettingsDamaged,
    testing::Values(DamagedCase{"", false}, DamagedCase{"not json", false},
                    DamagedCase{"[1, 2]", false}, DamagedCase{R"({"version": 1, )", false},
                    DamagedCase{R"({"measured": {"load": {"file": "a.s1p"}}})", true},
                    DamagedCase{R"({"version": "1"})", false},
                    DamagedCase{R"({"version": 1, "measured": 3})", false},
                    DamagedCase{R"({"version": 1, "measured": {"source": {"file": ""},
                                   "load": {"file": "a.s1p"}}})",
                                true},
                    DamagedCase{R"({"version": 1, "measured": {"source": {"file": 5}}})", false},
                    DamagedCase{R"({"version": 1, "measured": {"source": {"file": "a", "port": 0},
                                   "load": {"file": "b.s2p", "port": 2.5}}})",
                                false}));

TEST(SettingsFile, AMissingFileIsNotFoundAndNotDamaged) {
  const SettingsRead read = ReadSettings("no such folder/LastSession.json");
  EXPECT_FALSE(read.found);
  EXPECT_FALSE(read.damaged);
  EXPECT_EQ(read.settings, Settings{});
}

TEST(SettingsFile, ReadsAFileFromDisk) {
  const std::string file = testing::TempDir() + "corvantile_settings_test.json";
  std::string error;
  ASSERT_TRUE(WriteSettings(Measured(MeasuredSide{"x.s1p", 1}, std::nullopt), file, error))
      << error;
  const SettingsRead read = ReadSettings(file);
  EXPECT_TRUE(read.found);
  ASSERT_TRUE(read.settings.measuredSource);
  EXPECT_EQ(read.settings.measuredSource->file, "x.s1p");
  std::filesystem::remove(file);
}

TEST(SettingsFile, LivesBesideItsSessionFile) {
  EXPECT_EQ(SettingsFileFor("LastSession.CFG"), "LastSession.json");
  EXPECT_EQ(SettingsFileFor("designs/tank.cfg"), "designs/tank.json");
  EXPECT_EQ(SettingsFileFor("noextension"), "noextension.json");
}

}  // namespace
}  // namespace corvantile
