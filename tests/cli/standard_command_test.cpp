// `corvantile-cli standard` in-process: the three standard-value solutions in a table and in
// JSON, and the exit statuses the other commands use.
#include <gtest/gtest.h>

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
  EXPECT_NE(run.out.find("\"yield_vswr_1_5\":1,"), std::string::npos) << run.out;
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
  EXPECT_EQ(RunInProcess({"tolerance", "-h"}).status, 0);
  EXPECT_EQ(RunInProcess({"tolerance", "--fix=x2=1e6"}).status, 1);
}

}  // namespace
}  // namespace corvantile::cli
