// The explore command in-process: every candidate the library finds, in each format, sorted
// on request, and its one-line errors.
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "analysis/studies/explore.h"
#include "cli/option_table.h"
#include "cli_test_support.h"

namespace corvantile::cli {
namespace {

using testing_support::CliRun;
using testing_support::RunInProcess;

std::size_t Count(const std::string& text, const std::string& what) {
  std::size_t n = 0;
  for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) {
    ++n;
  }
  return n;
}

TEST(ExploreCommandTest, JsonListsEveryCandidateWithEveryFigure) {
  const CliRun run = RunInProcess({"explore", "--step", "10", "--format", "json"});
  ASSERT_EQ(run.status, kExitOk) << run.err;
  ExploreOptions options;
  options.phaseStep = 10.0;
  const Exploration e = Explore(MakeDefaultRunState(), options);
  EXPECT_EQ(Count(run.out, "{\"name\":"), e.candidates.size());
  for (const char* key :
       {"\"bode_fano\":", "\"bandwidth_2to1\":", "\"bandwidth_1_5to1\":", "\"attenuation_2f_db\":",
        "\"attenuation_3f_db\":", "\"largest_volts\":", "\"largest_amps\":", "\"passes_dc\":",
        "\"input_q\":", "\"output_q\":", "\"efficiency\":null", "\"hottest_part_watts\":null",
        "\"standard_return_loss_db\":null", "\"in_design_window\":false"}) {
    EXPECT_NE(run.out.find(key), std::string::npos) << key;
  }
  EXPECT_NE(run.out.find("no Bode-Fano bound: source and load are resistive"), std::string::npos);
  EXPECT_TRUE(run.err.empty()) << run.err;
}

TEST(ExploreCommandTest, SortPutsTheWidestBandFirst) {
  const CliRun run =
      RunInProcess({"explore", "--step", "5", "--sort", "bandwidth", "--format", "csv"});
  ASSERT_EQ(run.status, kExitOk) << run.err;
  // The first data row is the two-section L, wider than any single network here.
  const std::size_t second = run.out.find('\n') + 1;
  EXPECT_EQ(run.out.compare(second, 18, "\"two-section L thr"), 0) << run.out.substr(0, 400);
  const CliRun table = RunInProcess({"explore", "--step", "5"});
  ASSERT_EQ(table.status, kExitOk);
  EXPECT_NE(table.out.find("*Pi at -135 degrees"), std::string::npos);
  EXPECT_NE(table.out.find("+two-section L"), std::string::npos);
}

TEST(ExploreCommandTest, OutputFileHoldsWhatStandardOutputWouldShow) {
  const std::filesystem::path file =
      std::filesystem::temp_directory_path() / ("explore-" + std::to_string(::getpid()) + ".json");
  const CliRun toFile =
      RunInProcess({"explore", "--step", "20", "--format", "json", "-o", file.string()});
  ASSERT_EQ(toFile.status, kExitOk) << toFile.err;
  const CliRun toOut = RunInProcess({"explore", "--step", "20", "--format", "json"});
  std::ifstream in(file, std::ios::binary);
  const std::string written((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  EXPECT_EQ(written, toOut.out);
  std::filesystem::remove(file);
}

TEST(ExploreCommandTest, BadArgumentsGiveOneLineAndStatusTwo) {
  for (std::initializer_list<std::string_view> args :
       {std::initializer_list<std::string_view>{"explore", "--sort", "loudness"},
        {"explore", "--step", "0"},
        {"explore", "--step", "abc"},
        {"explore", "--format", "xml"},
        {"explore", "--frobnicate"},
        {"explore", "stray"}}) {
    const CliRun run = RunInProcess(args);
    EXPECT_EQ(run.status, kExitUsage);
    EXPECT_TRUE(run.out.empty());
    EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
    EXPECT_EQ(run.err.rfind("corvantile-cli: explore: ", 0), 0u) << run.err;
  }
  for (std::string_view help : {"-h", "--help"}) {
    const CliRun run = RunInProcess({"explore", help});
    EXPECT_EQ(run.status, kExitOk);
    EXPECT_EQ(run.out.rfind("Usage: corvantile-cli explore", 0), 0u);
  }
}

// The measured dipole reaches 10 MHz: at 3.75 MHz its third harmonic lies beyond the file, its
// second inside. The standard command's ideal design and the explore command's Pi at the design
// window's phase are the sweep command's network, so their 2:1 bands are the sweep's.
TEST(ExploreCommandTest, AMeasuredLoadGivesTheSweepsBandAndNoThirdHarmonic) {
  const std::string dipole = std::string(CORVANTILE_TEST_DATA_DIR) + "/../../docs/dipole80m.s1p";
  const CliRun sweep = RunInProcess({"sweep", "--load-file", dipole, "--format", "json"});
  ASSERT_EQ(sweep.status, kExitOk) << sweep.err;
  const nlohmann::json swept = nlohmann::json::parse(sweep.out)["summary"];
  const double band = swept["vswr_bands"][0]["fractional_bandwidth"].get<double>();
  ASSERT_TRUE(swept["attenuation_3f0_db"].is_null());

  const CliRun standard = RunInProcess({"standard", "--load-file", dipole, "--format", "json"});
  ASSERT_EQ(standard.status, kExitOk) << standard.err;
  const nlohmann::json ideal = nlohmann::json::parse(standard.out)["ideal"];
  EXPECT_NEAR(ideal["bandwidth_2_to_1"].get<double>(), band, 1e-6 * band);
  EXPECT_TRUE(ideal["attenuation_3f0_db"].is_null());
  EXPECT_NEAR(ideal["attenuation_2f0_db"].get<double>(), swept["attenuation_2f0_db"].get<double>(),
              1e-4);
  EXPECT_TRUE(nlohmann::json::parse(standard.out).contains("measured"));

  const CliRun table = RunInProcess({"standard", "--load-file", dipole});
  ASSERT_EQ(table.status, kExitOk) << table.err;
  EXPECT_NE(table.out.find("at 3f0 not measured"), std::string::npos) << table.out;
  EXPECT_NE(table.out.find("Load: measured, dipole80m.s1p port 1"), std::string::npos);

  const CliRun explore =
      RunInProcess({"explore", "--load-file", dipole, "--step", "45", "--format", "json"});
  ASSERT_EQ(explore.status, kExitOk) << explore.err;
  const nlohmann::json explored = nlohmann::json::parse(explore.out);
  EXPECT_TRUE(explored["bode_fano"].contains("measured_note"));
  bool found = false;
  for (const nlohmann::json& c : explored["candidates"]) {
    EXPECT_TRUE(c["attenuation_3f_db"].is_null()) << c["name"];
    EXPECT_TRUE(c["attenuation_2f_db"].is_number()) << c["name"];
    if (c["kind"] == "Pi" && c["at_user_phase"].get<bool>()) {
      found = true;
      EXPECT_NEAR(c["bandwidth_2to1"].get<double>(), band, 1e-9 * band);
    }
  }
  EXPECT_TRUE(found);

  const CliRun listed = RunInProcess({"explore", "--load-file", dipole, "--step", "45"});
  ASSERT_EQ(listed.status, kExitOk) << listed.err;
  EXPECT_NE(listed.out.find("Note: the Bode-Fano bound uses each measured side's impedance"),
            std::string::npos)
      << listed.out;
  EXPECT_NE(listed.out.find("not measured"), std::string::npos);
  EXPECT_EQ(listed.out.find("nan"), std::string::npos);
}

}  // namespace
}  // namespace corvantile::cli
