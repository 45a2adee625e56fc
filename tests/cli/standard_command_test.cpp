// `corvantile-cli standard` in-process: the three standard-value solutions in a table and in
// JSON, and the exit statuses the other commands use.
#include <ostream>
#include <string>
#include <string_view>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "cli_test_support.h"

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
