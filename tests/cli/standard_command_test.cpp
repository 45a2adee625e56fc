// `corvantile-cli standard` in-process: the three standard-value solutions in a table and in
// JSON, and the exit statuses the other commands use.
#include <array>
#include <ostream>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "analysis/circuits/circuit_text.h"
#include "cli/design_options.h"
#include "cli_test_support.h"
#include "model/design_answers.h"
#include "units/value_text.h"

namespace corvantile::cli {
namespace {

using testing_support::RunInProcess;

TEST(StandardCommandTest, DefaultCircuitRoundsToBuyableParts) {
  const auto run = RunInProcess({"standard"});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_TRUE(run.err.empty());
  EXPECT_NE(run.out.find("Nearest standard values"), std::string::npos);
  EXPECT_NE(run.out.find("element 1: 120 pF"), std::string::npos) << run.out;
  EXPECT_NE(run.out.find("element 2: 22 uH"), std::string::npos) << run.out;
  EXPECT_NE(run.out.find("Element 3 fixed first"), std::string::npos);
  EXPECT_NE(run.out.find("lands closest"), std::string::npos);
}

TEST(StandardCommandTest, JsonHoldsEverySolutionWithSnakeCaseKeys) {
  const auto run =
      RunInProcess({"standard", "--family", "tee", "--series-capacitor=E12", "--format", "json"});
  ASSERT_EQ(run.status, 0) << run.err;
  for (const char* key : {"\"capacitor_series\":\"E12\"", "\"nearest\":{", "\"best\":{",
                          "\"fixed_first\":{", "\"element_1\":", "\"return_loss_db\":",
                          "\"bandwidth_2_to_1\":", "\"closest_fixed_first\":"}) {
    EXPECT_NE(run.out.find(key), std::string::npos) << key << "\n" << run.out;
  }
  EXPECT_EQ(run.out.back(), '\n');
}

TEST(StandardCommandTest, AnLHasNoFixedFirstDesigns) {
  const auto run = RunInProcess({"standard", "--family", "lowpass-l"});
  if (run.status == 2) GTEST_SKIP() << "family name not accepted: " << run.err;
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out.find("fixed first"), std::string::npos);
}

TEST(StandardCommandTest, BadCommandLinesGiveOneLineAndStatusTwo) {
  for (auto run : {RunInProcess({"standard", "--series-inductor", "E7"}),
                   RunInProcess({"standard", "--format", "csv"}),
                   RunInProcess({"standard", "--bogus"}), RunInProcess({"standard", "extra"})}) {
    EXPECT_EQ(run.status, 2);
    EXPECT_TRUE(run.out.empty());
    EXPECT_EQ(run.err.find('\n'), run.err.size() - 1) << run.err;
  }
}

TEST(StandardCommandTest, HelpOnBothSpellings) {
  for (auto run : {RunInProcess({"standard", "-h"}), RunInProcess({"standard", "--help"})}) {
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out.rfind("Usage: corvantile-cli standard", 0), 0u);
  }
}

TEST(StandardCommandTest, NoNetworkIsStatusOne) {
  const auto run = RunInProcess({"standard", "--fix=x2=1e6"});
  if (run.status == 2) GTEST_SKIP() << "fix syntax not accepted: " << run.err;
  EXPECT_EQ(run.status, 1) << run.out;
  EXPECT_TRUE(run.out.empty());
  EXPECT_FALSE(run.err.empty());
}

// The 13.56 MHz antenna: a 1.5 uH coil with 1.2 ohm in series, from 50 ohm, by a low-pass L
// whose two parts are both capacitors.
std::vector<std::string_view> Antenna(std::initializer_list<std::string_view> more = {}) {
  std::vector<std::string_view> args = {
      "standard",    "--source", "series:50:0", "--load",   "series-part:1.2:1.5u",
      "--frequency", "13.56M",   "--family",    "lowpass-l"};
  args.insert(args.end(), more.begin(), more.end());
  return args;
}

testing_support::CliRun RunArgs(const std::vector<std::string_view>& args) {
  std::ostringstream out, err;
  testing_support::CliRun run;
  run.status = RunCommandLine(args, out, err);
  run.out = out.str();
  run.err = err.str();
  return run;
}

// The model's answer for the antenna, asked directly.
StandardPairs AntennaPairs(const PairChoice& choice) {
  DesignRequest request;
  const std::vector<std::string_view> args = Antenna();
  for (std::size_t i = 1; i + 1 < args.size(); i += 2) {
    request.settings.push_back({std::string(args[i]), std::string(args[i + 1])});
  }
  DesignModel model;
  std::string error;
  std::vector<std::string> notes;
  EXPECT_TRUE(BuildDesignModel(request, model, error, notes)) << error;
  return StandardPairsOf(model, choice);
}

TEST(StandardPairsCommandTest, JsonIsTheModelsAnswer) {
  const auto run = RunArgs(Antenna());
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out.find("\"pairs\""), std::string::npos);  // only when asked

  const auto json = RunArgs(Antenna({"--trimmer", "2p:10p", "--format", "json"}));
  ASSERT_EQ(json.status, 0) << json.err;
  const nlohmann::json o = nlohmann::json::parse(json.out);
  PairChoice choice;
  choice.trimmer = TrimmerRange{2e-12, 10e-12};
  const StandardPairs p = AntennaPairs(choice);
  const nlohmann::json& pairs = o["pairs"];
  EXPECT_NEAR(pairs["return_loss_db"].get<double>(), p.design.summary.atDesign.returnLossDb,
              1e-9 * p.design.summary.atDesign.returnLossDb);
  EXPECT_EQ(pairs["part_count"].get<int>(), p.partCount);
  for (std::size_t k = 0; k < 3; ++k) {
    const nlohmann::json& parts = pairs["element_parts"][k];
    ASSERT_EQ(static_cast<int>(parts.size()), p.pairs[k].Parts()) << k;
    const std::array<double, 2> values = {p.pairs[k].first, p.pairs[k].second};
    for (std::size_t i = 0; i < parts.size(); ++i) {
      EXPECT_NEAR(parts[i].get<double>(), values[i], 1e-21);
    }
  }
  ASSERT_TRUE(p.trimmed && p.trimmed->possible);
  const nlohmann::json& t = o["trimmed"];
  EXPECT_TRUE(t["possible"].get<bool>());
  EXPECT_EQ(t["element"].get<int>(), p.trimmed->element);
  EXPECT_NEAR(t["fixed"].get<double>(), p.trimmed->fixed, 1e-21);
  EXPECT_NEAR(t["trimmer_setting"].get<double>(), p.trimmed->setting, 1e-21);
  EXPECT_GE(t["trimmer_setting"].get<double>(), t["trimmer_min"].get<double>());
  EXPECT_LE(t["trimmer_setting"].get<double>(), t["trimmer_max"].get<double>());
  EXPECT_EQ(t["part_count"].get<int>(), p.trimmed->partCount);
}

TEST(StandardPairsCommandTest, TextShowsEachElementsPairTheMatchAndThePartCount) {
  const auto run = RunArgs(Antenna({"--pairs"}));
  ASSERT_EQ(run.status, 0) << run.err;
  const StandardPairs p = AntennaPairs({});
  const std::size_t at = run.out.find("Pairs of standard values");
  ASSERT_NE(at, std::string::npos) << run.out;
  const std::string section = run.out.substr(at);
  for (std::size_t k = 0; k < 3; ++k) {
    const std::string line = "element " + std::to_string(k + 1) + ": " +
                             PairValueText(p.design.circuit.elements[k], p.pairs[k]) + "\n";
    EXPECT_NE(section.find(line), std::string::npos) << line << section;
  }
  EXPECT_NE(
      section.find("return loss " + ReturnLossText(p.design.summary.atDesign.returnLossDb, 2)),
      std::string::npos)
      << section;
  EXPECT_NE(section.find("parts: " + std::to_string(p.partCount) + "\n"), std::string::npos);
  EXPECT_EQ(section.find("Trimmer"), std::string::npos);
}

TEST(StandardPairsCommandTest, BadTrimmersGiveOneLineAndStatusTwo) {
  for (std::string_view bad : {"10p", "10p:2p", "2p:2p", "x:10p", "2p:2F", "-1p:2p", "0:10p"}) {
    const auto run = RunArgs({"standard", "--trimmer", bad});
    EXPECT_EQ(run.status, 2) << bad;
    EXPECT_TRUE(run.out.empty());
    EXPECT_EQ(run.err.find('\n'), run.err.size() - 1) << run.err;
    EXPECT_NE(run.err.find("--trimmer"), std::string::npos) << run.err;
  }
}

}  // namespace
}  // namespace corvantile::cli

namespace corvantile::cli {
namespace {

using testing_support::RunInProcess;

TEST(ToleranceCommandTest, TablePrintsYieldPercentilesWorstCaseAndRanking) {
  const auto run = RunInProcess({"tolerance", "--standard", "nearest", "--trials", "2000"});
  ASSERT_EQ(run.status, 0) << run.err;
  for (const char* text : {"2000 builds", "Yield at f0:", "percentiles",
                           "Worst corner:", "Sensitivity, most first: element"}) {
    EXPECT_NE(run.out.find(text), std::string::npos) << text << "\n" << run.out;
  }
}

// The same seed gives the same JSON; another seed other numbers.
TEST(ToleranceCommandTest, JsonIsReproducibleFromTheSeed) {
  const auto a = RunInProcess({"tolerance", "--trials=3000", "--seed", "5", "--band", "3.6M:3.9M",
                               "--distribution", "normal", "--format", "json"});
  const auto b = RunInProcess({"tolerance", "--trials=3000", "--seed", "5", "--band", "3.6M:3.9M",
                               "--distribution", "normal", "--format", "json"});
  const auto c = RunInProcess({"tolerance", "--trials=3000", "--seed", "6", "--band", "3.6M:3.9M",
                               "--distribution", "normal", "--format", "json"});
  ASSERT_EQ(a.status, 0) << a.err;
  EXPECT_EQ(a.out, b.out);
  EXPECT_NE(a.out, c.out);
  for (const char* key : {"\"histogram\":{", "\"counts\":[",
                          "\"band_yield_vswr_2\":", "\"percentile_return_loss_db\":[",
                          "\"sensitivity_ranking\":[", "\"worst_case\":{"}) {
    EXPECT_NE(a.out.find(key), std::string::npos) << key;
  }
}

TEST(ToleranceCommandTest, ZeroToleranceYieldsAllOrNothing) {
  const auto run =
      RunInProcess({"tolerance", "--tolerance", "0%", "--trials", "500", "--format", "json"});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(nlohmann::json::parse(run.out)["yield_vswr_1_5"], 1.0) << run.out;
}

TEST(ToleranceCommandTest, BadCommandLinesGiveOneLineAndStatusTwo) {
  for (auto run : {RunInProcess({"tolerance", "--tolerance", "60%"}),
                   RunInProcess({"tolerance", "--trials", "0"}),
                   RunInProcess({"tolerance", "--band", "4M:3M"}),
                   RunInProcess({"tolerance", "--standard", "cheapest"}),
                   RunInProcess({"tolerance", "--distribution", "poisson"})}) {
    EXPECT_EQ(run.status, 2);
    EXPECT_TRUE(run.out.empty());
    EXPECT_EQ(run.err.find('\n'), run.err.size() - 1) << run.err;
  }
  for (auto run : {RunInProcess({"tolerance", "--series-inductor", "E7"}),
                   RunInProcess({"tolerance", "--series-capacitor=X12"})}) {
    EXPECT_EQ(run.status, 2);
    EXPECT_NE(run.err.find("unknown series"), std::string::npos) << run.err;
  }
  EXPECT_EQ(RunInProcess({"tolerance", "-h"}).status, 0);
  EXPECT_EQ(RunInProcess({"tolerance", "--fix=x2=1e6"}).status, 1);
}

// The number after `label` in a table, as printed: "return loss 10.00 dB" -> "10.00".
std::string FigureAfter(const std::string& text, const std::string& label, std::size_t from = 0) {
  const std::size_t at = text.find(label, from);
  if (at == std::string::npos) return "(no " + label + ")";
  const std::size_t start = at + label.size();
  return text.substr(start, text.find(' ', start) - start);
}

struct SeriesCase {
  std::string_view standard;  // nearest or best
  std::string_view row;       // the standard command's row for that choice
  const char* inductors;
  const char* capacitors;
};

void PrintTo(const SeriesCase& c, std::ostream* os) {
  *os << c.standard << ' ' << c.inductors << '/' << c.capacitors;
}

class ToleranceSeriesTest : public testing::TestWithParam<SeriesCase> {};

// The tolerance run builds the network the standard command lists for the same series: the
// nominal return loss of its builds is that network's.
TEST_P(ToleranceSeriesTest, BuildsTheStandardCommandsNetwork) {
  const SeriesCase& c = GetParam();
  const auto standard = RunInProcess({"standard", "--family", "tee", "--series-inductor",
                                      c.inductors, "--series-capacitor", c.capacitors});
  ASSERT_EQ(standard.status, 0) << standard.err;
  const std::size_t row = standard.out.find(std::string(c.row) + "\n");
  ASSERT_NE(row, std::string::npos) << standard.out;
  const auto tolerance = RunInProcess({"tolerance", "--family", "tee", "--standard", c.standard,
                                       "--trials", "20", "--series-inductor", c.inductors,
                                       "--series-capacitor=" + std::string(c.capacitors)});
  ASSERT_EQ(tolerance.status, 0) << tolerance.err;
  EXPECT_EQ(FigureAfter(tolerance.out, "Nominal return loss: "),
            FigureAfter(standard.out, "return loss ", row))
      << standard.out << tolerance.out;
}

INSTANTIATE_TEST_SUITE_P(
    Series, ToleranceSeriesTest,
    testing::Values(SeriesCase{"nearest", "Nearest standard values", "E12", "E24"},
                    SeriesCase{"nearest", "Nearest standard values", "E3", "E3"},
                    SeriesCase{"nearest", "Nearest standard values", "E96", "E6"},
                    SeriesCase{"best", "Best combination of neighbouring values", "E6", "E3"},
                    SeriesCase{"best", "Best combination of neighbouring values", "E192", "E12"}));

// The series change the network: E3 capacitors give another nominal figure than E24 ones.
TEST(ToleranceCommandTest, SeriesChangeTheBuiltNetwork) {
  const auto e24 =
      RunInProcess({"tolerance", "--family", "tee", "--standard", "nearest", "--trials", "20"});
  const auto e3 = RunInProcess({"tolerance", "--family", "tee", "--standard", "nearest", "--trials",
                                "20", "--series-capacitor", "E3"});
  ASSERT_EQ(e3.status, 0) << e3.err;
  EXPECT_NE(FigureAfter(e24.out, "Nominal return loss: "),
            FigureAfter(e3.out, "Nominal return loss: "));
}

}  // namespace
}  // namespace corvantile::cli
