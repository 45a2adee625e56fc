#include "state/settings_file.h"

#include <cmath>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>
#include <sys/stat.h>
#include <unistd.h>

namespace corvantile {
namespace {

Settings Measured(std::optional<MeasuredSide> source, std::optional<MeasuredSide> load) {
  Settings settings;
  settings.measuredSource = std::move(source);
  settings.measuredLoad = std::move(load);
  return settings;
}

Settings Lossy(LossSettings losses) {
  Settings settings;
  settings.losses = losses;
  return settings;
}

TEST(SettingsFile, WhatIsWrittenReadsBackAsItWas) {
  const Settings cases[] = {
      Settings{},
      Lossy(LossSettings{}),
      Lossy(LossSettings{200.0, 0.0, 2000.0, 0.25, {std::nullopt, 150.0, 0.0}, true}),
      Lossy(LossSettings{0.1, 1.0, 1e6, 0.5, {1.0 / 3.0, std::nullopt, std::nullopt}, false}),
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

TEST(SettingsFile, TheLossesMembersReadAsWritten) {
  const SettingsRead read = ReadSettingsText(R"({"version": 1, "losses": {
      "inductor_q": 200, "capacitor_q": 2000, "capacitor_law": 1,
      "element_q": [null, 150], "compensate": true}})");
  EXPECT_FALSE(read.damaged);
  ASSERT_TRUE(read.settings.losses);
  const LossSettings& losses = *read.settings.losses;
  EXPECT_EQ(losses.inductorQ, 200.0);
  EXPECT_EQ(losses.inductorLaw, LossSettings{}.inductorLaw);  // absent: the default
  EXPECT_EQ(losses.capacitorQ, 2000.0);
  EXPECT_EQ(losses.capacitorLaw, 1.0);
  EXPECT_EQ(losses.elementQ[0], std::nullopt);
  EXPECT_EQ(losses.elementQ[1], 150.0);
  EXPECT_EQ(losses.elementQ[2], std::nullopt);
  EXPECT_TRUE(losses.compensate);
}

TEST(SettingsFile, DamagedLossesKeepTheirDefaultsAndTheRestOfTheFile) {
  for (
      const char* text : {
          R"({"version": 1, "losses": 3, "measured": {"load": {"file": "a.s1p"}}})",
          R"({"version": 1, "losses": {"inductor_q": "high"}, "measured": {"load": {"file": "a.s1p"}}})",
          R"({"version": 1, "losses": {"element_q": [1, 2, 3, 4]}, "measured": {"load": {"file": "a.s1p"}}})",
          R"({"version": 1, "losses": {"element_q": ["x"]}, "measured": {"load": {"file": "a.s1p"}}})",
          R"({"version": 1, "losses": {"compensate": 1}, "measured": {"load": {"file": "a.s1p"}}})",
      }) {
    const SettingsRead read = ReadSettingsText(text);
    EXPECT_TRUE(read.damaged) << text;
    EXPECT_TRUE(read.settings.measuredLoad) << text;
    if (read.settings.losses) {
      EXPECT_EQ(read.settings.losses->inductorQ, 0.0) << text;
      EXPECT_FALSE(read.settings.losses->compensate) << text;
    }
  }
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

std::string Nested(int depth, std::string_view inside = "") {
  return R"({"version": 1, "measured": {"load": {"file": "a.s1p"}}, "x": )" +
         std::string(static_cast<std::size_t>(depth - 1), '[') + std::string(inside) +
         std::string(static_cast<std::size_t>(depth - 1), ']') + "}";
}

TEST(SettingsFile, NestingPastTheLimitIsDamagedNotACrash) {
  // At the limit every member reads; past it (and far past it, where the JSON library's
  // recursion would end the program) the file is damaged and nothing of it is used.
  const SettingsRead deepest = ReadSettingsText(Nested(kMaxSettingsDepth));
  EXPECT_FALSE(deepest.damaged);
  EXPECT_TRUE(deepest.settings.measuredLoad);
  for (const int depth : {kMaxSettingsDepth + 1, 100000}) {
    const SettingsRead read = ReadSettingsText(Nested(depth));
    EXPECT_TRUE(read.damaged) << depth;
    EXPECT_FALSE(read.settings.measuredLoad) << depth;
  }
  // Brackets inside strings are text, not nesting.
  const SettingsRead quoted = ReadSettingsText(Nested(2, R"("[[[[\"{{{{")"));
  EXPECT_FALSE(quoted.damaged);
}

TEST(SettingsFile, AFolderOrFifoOfThatNameIsFoundDamagedWithTheReason) {
  const std::filesystem::path folder = std::filesystem::path(testing::TempDir()) /
                                       ("corvantile_settings_" + std::to_string(::getpid()));
  std::filesystem::create_directories(folder / "LastSession.json");
  ::mkfifo((folder / "fifo.json").c_str(), 0600);
  const SettingsRead asFolder = ReadSettings((folder / "LastSession.json").string());
  EXPECT_TRUE(asFolder.found && asFolder.damaged);
  EXPECT_EQ(asFolder.problem, "Is a directory");
  const SettingsRead asFifo = ReadSettings((folder / "fifo.json").string());  // must not wait
  EXPECT_TRUE(asFifo.found && asFifo.damaged);
  EXPECT_EQ(asFifo.problem, "it is a FIFO or pipe, not a regular file");
  std::filesystem::remove_all(folder);
}

TEST(SettingsFile, LivesBesideItsSessionFile) {
  EXPECT_EQ(SettingsFileFor("LastSession.CFG"), "LastSession.json");
  EXPECT_EQ(SettingsFileFor("designs/tank.cfg"), "designs/tank.json");
  EXPECT_EQ(SettingsFileFor("noextension"), "noextension.json");
}

// The recent list as files are opened or saved one after another, newest first.
struct RecentCase {
  std::vector<std::string> before;
  std::string added;
  std::vector<std::string> after;
};

class RecentFiles : public testing::TestWithParam<RecentCase> {};

TEST_P(RecentFiles, TheAddedFileGoesFirstOnceAndTheOldestPastEightGoes) {
  EXPECT_EQ(WithRecentFile(GetParam().before, GetParam().added), GetParam().after);
}

INSTANTIATE_TEST_SUITE_P(Cases, RecentFiles,
                         testing::Values(RecentCase{{}, "a", {"a"}}, RecentCase{{"a"}, "a", {"a"}},
                                         RecentCase{{"b", "a"}, "a", {"a", "b"}},
                                         RecentCase{{"c", "b", "a"}, "b", {"b", "c", "a"}},
                                         RecentCase{{"1", "2", "3", "4", "5", "6", "7", "8"},
                                                    "9",
                                                    {"9", "1", "2", "3", "4", "5", "6", "7"}},
                                         RecentCase{{"1", "2", "3", "4", "5", "6", "7", "8"},
                                                    "8",
                                                    {"8", "1", "2", "3", "4", "5", "6", "7"}}));

TEST(SettingsFile, RecentFilesLiveBesideTheOtherMembersAndReadBack) {
  const Settings measured = Measured(std::nullopt, MeasuredSide{"antenna.s1p", 1});
  const Settings withList = WithRecentFiles(measured, {"/d/tank.cfg", "/d/pi.cfg"});
  const SettingsRead read = ReadSettingsText(SettingsFileText(withList));
  EXPECT_FALSE(read.damaged);
  EXPECT_EQ(RecentFilesOf(read.settings), (std::vector<std::string>{"/d/tank.cfg", "/d/pi.cfg"}));
  EXPECT_EQ(read.settings.measuredLoad, measured.measuredLoad);
  EXPECT_NE(SettingsFileText(withList).find("\"recent_files\""), std::string::npos);
  // An empty list takes the member away: the settings are as they were.
  EXPECT_EQ(WithRecentFiles(withList, {}), WithRecentFiles(measured, {}));
  EXPECT_TRUE(RecentFilesOf(measured).empty());
}

TEST(SettingsFile, DamagedRecentEntriesAreSkippedAndTheListIsCut) {
  const SettingsRead read = ReadSettingsText(
      R"({"version": 1, "recent_files": ["a", 3, "", null, "b", "c", "d", "e", "f", "g", "h",)"
      R"( "i"]})");
  EXPECT_EQ(RecentFilesOf(read.settings),
            (std::vector<std::string>{"a", "b", "c", "d", "e", "f", "g", "h"}));
  EXPECT_TRUE(
      RecentFilesOf(ReadSettingsText(R"({"version": 1, "recent_files": "a"})").settings).empty());
}

}  // namespace
}  // namespace corvantile

namespace corvantile {
namespace {

Settings WithTolerance(ToleranceSettings tolerance) {
  Settings settings;
  settings.tolerance = tolerance;
  return settings;
}

TEST(SettingsFile, ToleranceSettingsReadBackAsTheyWere) {
  ToleranceSettings changed;
  changed.standard = ToleranceStandard::Best;
  changed.inductorSeries = 192;
  changed.capacitorSeries = 3;
  changed.inductorTolerance = 0.1 / 3.0;  // not a short decimal: the text must keep every digit
  changed.capacitorTolerance = 0.0;
  changed.normal = true;
  changed.builds = 1;
  changed.seed = 18446744073709551615ull;
  changed.band = std::array<double, 2>{3.6e6, 3.9e6};
  ToleranceSettings nearest;
  nearest.standard = ToleranceStandard::Nearest;
  for (const Settings& settings :
       {WithTolerance({}), WithTolerance(changed), WithTolerance(nearest)}) {
    const SettingsRead read = ReadSettingsText(SettingsFileText(settings));
    EXPECT_FALSE(read.damaged) << SettingsFileText(settings);
    EXPECT_EQ(read.settings, settings) << SettingsFileText(settings);
    EXPECT_EQ(read.settings.otherMembers, "{}");
  }
  EXPECT_EQ(SettingsFileText(Settings{}).find("tolerance"), std::string::npos);
}

struct DamagedTolerance {
  const char* member;  // the "tolerance" member's text
};

class ToleranceDamaged : public testing::TestWithParam<DamagedTolerance> {};

// A bad member gives its default alone: the other members of the object are still read.
TEST_P(ToleranceDamaged, KeepsTheDefaultForTheBadMemberAndReadsTheRest) {
  const std::string text = std::string(R"({"version": 1, "tolerance": )") + GetParam().member + "}";
  const SettingsRead read = ReadSettingsText(text);
  EXPECT_TRUE(read.damaged) << text;
  ASSERT_TRUE(read.settings.tolerance) << text;
  const ToleranceSettings& t = *read.settings.tolerance;
  const ToleranceSettings defaults;
  EXPECT_EQ(t.standard, defaults.standard);
  EXPECT_EQ(t.inductorSeries, defaults.inductorSeries);
  EXPECT_EQ(t.capacitorSeries, defaults.capacitorSeries);
  EXPECT_EQ(t.inductorTolerance, defaults.inductorTolerance);
  EXPECT_EQ(t.normal, defaults.normal);
  EXPECT_EQ(t.builds, defaults.builds);
  EXPECT_EQ(t.seed, defaults.seed);
  EXPECT_FALSE(t.band);
  if (std::string(GetParam().member).find("\"capacitor\": 0.1") != std::string::npos) {
    EXPECT_EQ(t.capacitorTolerance, 0.1);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Members, ToleranceDamaged,
    testing::Values(DamagedTolerance{"3"},
                    DamagedTolerance{R"({"standard": "worst", "capacitor": 0.1})"},
                    DamagedTolerance{R"({"series_inductor": "E7", "capacitor": 0.1})"},
                    DamagedTolerance{R"({"series_capacitor": 24, "capacitor": 0.1})"},
                    DamagedTolerance{R"({"inductor": 0.6, "capacitor": 0.1})"},
                    DamagedTolerance{R"({"inductor": -0.01})"},
                    DamagedTolerance{R"({"distribution": "gauss", "capacitor": 0.1})"},
                    DamagedTolerance{R"({"builds": 0, "capacitor": 0.1})"},
                    DamagedTolerance{R"({"builds": 2.5})"}, DamagedTolerance{R"({"seed": -1})"},
                    DamagedTolerance{R"({"band": [3.9e6, 3.6e6], "capacitor": 0.1})"},
                    DamagedTolerance{R"({"band": [1e6]})"},
                    DamagedTolerance{R"({"band": "1M:2M"})"}));

// A feedline reads back as it was written, its far values to the last bit of every float (a
// value no decimal of fewer than nine digits gives among them), beside the other members.
TEST(SettingsFile, TheFeedlineReadsBackExactly) {
  ImpedanceValues far{};
  for (std::size_t i = 0; i < far.size(); ++i) {
    far[i] = std::nextafter(static_cast<float>(i) * 37.3f + 0.1f, 1e9f);
  }
  Settings settings = Measured(std::nullopt, MeasuredSide{"/data/antenna.s1p", 1});
  for (const FeedlineSetting& feedline :
       {FeedlineSetting{"RG-213:30", false, far}, FeedlineSetting{"50:0.66:0:12.5ft", true, {}}}) {
    settings.feedline = feedline;
    const SettingsRead read = ReadSettingsText(SettingsFileText(settings));
    EXPECT_FALSE(read.damaged) << SettingsFileText(settings);
    EXPECT_EQ(read.settings, settings) << SettingsFileText(settings);
  }
  settings.feedline.reset();
  EXPECT_EQ(SettingsFileText(settings).find("feedline"), std::string::npos);
}

struct DamagedFeedline {
  const char* name;
  const char* member;  // the feedline member's JSON
};

class FeedlineDamaged : public testing::TestWithParam<DamagedFeedline> {};

// A feedline member that cannot be used is no line (never half a line), the file is damaged,
// and every other member still reads.
TEST_P(FeedlineDamaged, IsNoLineAndTheRestReads) {
  const std::string text =
      std::string(R"({"version": 1, "measured": {"load": {"file": "a.s1p"}},)") +
      R"( "future": {"x": 1}, "feedline": )" + GetParam().member + "}";
  const SettingsRead read = ReadSettingsText(text);
  EXPECT_TRUE(read.damaged);
  EXPECT_FALSE(read.settings.feedline);
  ASSERT_TRUE(read.settings.measuredLoad);
  EXPECT_EQ(read.settings.measuredLoad->file, "a.s1p");
  EXPECT_NE(read.settings.otherMembers.find("future"), std::string::npos);
  EXPECT_EQ(read.settings.otherMembers.find("feedline"), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(
    Members, FeedlineDamaged,
    testing::Values(
        DamagedFeedline{"NotAnObject", R"("RG-213:30")"},
        DamagedFeedline{"NoLine", R"({"at": "load"})"},
        DamagedFeedline{"EmptyLine", R"({"line": ""})"},
        DamagedFeedline{"LineNotText", R"({"line": 30})"},
        DamagedFeedline{"UnknownSide", R"({"line": "RG-213:30", "at": "middle"})"},
        DamagedFeedline{"ShortFarValues", R"({"line": "RG-213:30", "far_values": [1]})"},
        DamagedFeedline{"FarValueBeyondAFloat", R"({"line": "RG-213:30", "far_values": )"
                                                R"([0,1e300,0,0,0,0,0,1,0,1,0,0,0,0,0,0]})"},
        DamagedFeedline{"FarValueNotANumber", R"({"line": "RG-213:30", "far_values": )"
                                              R"([0,300,0,0,0,0,0,1,0,1,0,0,0,0,0,"x"]})"}),
    [](const testing::TestParamInfo<DamagedFeedline>& tested) {
      return std::string(tested.param.name);
    });

// The member as a person would write it by hand: the side defaults to the load, and no far
// values (the design's own values are then the far end).
TEST(SettingsFile, AHandWrittenFeedlineNeedsOnlyItsLine) {
  const SettingsRead read =
      ReadSettingsText(R"({"version": 1, "feedline": {"line": "RG-213:30", "extra": true}})");
  EXPECT_FALSE(read.damaged);
  ASSERT_TRUE(read.settings.feedline);
  EXPECT_EQ(read.settings.feedline->line, "RG-213:30");
  EXPECT_FALSE(read.settings.feedline->atSource);
  EXPECT_FALSE(read.settings.feedline->farValues);
}

}  // namespace
}  // namespace corvantile

namespace corvantile {
namespace {

LossSettings WithModels() {
  LossSettings losses;
  losses.inductorQ = 60.0;
  losses.capacitorQ = 1000.0;
  losses.models.inductorModel = "cp:0.15p";
  losses.models.capacitorModel = "esr:0.05,esl:0.4n";
  losses.models.elementModel = {std::nullopt, "", "q:60,cp:1.5e-13"};
  losses.models.elementFile = {std::nullopt,
                               PartFileSetting{"/parts/cap 100p.s2p", PartConnection::Shunt},
                               PartFileSetting{"ind.s1p", PartConnection::OnePort}};
  return losses;
}

TEST(SettingsFilePartModels, TextsAndFilesReadBackAsTyped) {
  const Settings settings = Lossy(WithModels());
  const std::string text = SettingsFileText(settings);
  const SettingsRead read = ReadSettingsText(text);
  EXPECT_FALSE(read.damaged);
  EXPECT_EQ(read.settings, settings);
  // Written again unchanged, and the members named as the file documents them.
  EXPECT_EQ(SettingsFileText(read.settings), text);
  const nlohmann::json j = nlohmann::json::parse(text)["losses"];
  EXPECT_EQ(j["capacitor_model"], "esr:0.05,esl:0.4n");
  EXPECT_EQ(j["element_model"], nlohmann::json::parse(R"([null, "", "q:60,cp:1.5e-13"])"));
  EXPECT_EQ(j["element_file"][1]["connection"], "shunt");
  EXPECT_EQ(j["element_file"][2]["connection"], "one-port");
}

TEST(SettingsFilePartModels, NoModelsWriteNoMembersAndTakingThemAwayRemovesThem) {
  Settings settings = Lossy(WithModels());
  const SettingsRead read = ReadSettingsText(SettingsFileText(settings));
  Settings plain = read.settings;
  plain.losses->models = {};
  const nlohmann::json j = nlohmann::json::parse(SettingsFileText(plain))["losses"];
  for (const char* member : {"inductor_model", "capacitor_model", "element_model", "element_file"})
    EXPECT_FALSE(j.contains(member)) << member;
}

TEST(SettingsFilePartModels, ANewerVersionsLossMembersSurvive) {
  const SettingsRead read = ReadSettingsText(
      R"({"version": 2, "losses": {"capacitor_model": "esl:1n", "element_temperature": [25]}})");
  EXPECT_FALSE(read.damaged);
  ASSERT_TRUE(read.settings.losses);
  EXPECT_EQ(read.settings.losses->models.capacitorModel, "esl:1n");
  const nlohmann::json j = nlohmann::json::parse(SettingsFileText(read.settings))["losses"];
  EXPECT_EQ(j["element_temperature"], nlohmann::json::parse("[25]"));
  EXPECT_EQ(j["capacitor_model"], "esl:1n");
}

struct PartModelDamage {
  const char* losses;  // the losses member's inside
  PartModelSettings kept;
};

class SettingsPartModelDamaged : public testing::TestWithParam<PartModelDamage> {};

// A bad member is damage and reads as none; the other members and Q still read.
TEST_P(SettingsPartModelDamaged, TheBadMemberIsNone) {
  const std::string text =
      std::string(R"({"version": 1, "losses": {"inductor_q": 80, )") + GetParam().losses + "}}";
  const SettingsRead read = ReadSettingsText(text);
  EXPECT_TRUE(read.damaged) << text;
  ASSERT_TRUE(read.settings.losses);
  EXPECT_EQ(read.settings.losses->inductorQ, 80.0);
  EXPECT_EQ(read.settings.losses->models, GetParam().kept) << text;
}

PartModelSettings Kept(std::string capacitor, std::optional<PartFileSetting> file2 = {}) {
  PartModelSettings m;
  m.capacitorModel = std::move(capacitor);
  m.elementFile[1] = std::move(file2);
  return m;
}

INSTANTIATE_TEST_SUITE_P(
    Members, SettingsPartModelDamaged,
    testing::Values(
        PartModelDamage{R"("capacitor_model": 3)", Kept("")},
        PartModelDamage{R"("inductor_model": ["esl:1n"], "capacitor_model": "esl:1n")",
                        Kept("esl:1n")},
        PartModelDamage{R"("element_model": [null, null, null, "cp:1p"])", Kept("")},
        PartModelDamage{R"("element_model": "cp:1p", "capacitor_model": "esr:1")", Kept("esr:1")},
        PartModelDamage{R"("element_model": [5])", Kept("")},
        PartModelDamage{R"("element_file": [null, {"file": ""}])", Kept("")},
        PartModelDamage{R"("element_file": [null, {"file": "a.s2p", "connection": "parallel"}])",
                        Kept("")},
        PartModelDamage{R"("element_file": [{"path": "a.s2p"}, {"file": "b.s2p"}])",
                        Kept("", PartFileSetting{"b.s2p", PartConnection::Series})},
        PartModelDamage{R"("element_file": {"file": "a.s2p"})", Kept("")}));

}  // namespace
}  // namespace corvantile
