#include "cli/report_command.h"

#include <algorithm>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "cli/option_table.h"
#include "cli_test_support.h"
#include "support/files.h"

namespace corvantile::cli {
namespace {

using testing_support::RunInProcess;
using testing_support::TemporaryFile;

std::string Bytes(const std::filesystem::path& file) {
  return corvantile::testing::ReadBytes(file);
}

TEST(ReportCommandTest, WritesThePdfToTheFileGiven) {
  const std::filesystem::path file = TemporaryFile("cli_report.pdf");
  std::filesystem::remove(file);
  const auto run = RunInProcess({"report", "--family", "tee", "-o", file.string()});
  EXPECT_EQ(run.status, kExitOk) << run.err;
  EXPECT_TRUE(run.err.empty()) << run.err;
  EXPECT_TRUE(run.out.empty());
  const std::string pdf = Bytes(file);
  EXPECT_EQ(pdf.rfind("%PDF-1.4", 0), 0u);
  EXPECT_TRUE(pdf.ends_with("%%EOF\n"));
  // The same inputs give the same file.
  const auto again = RunInProcess({"report", "--family", "tee", "-o", "-"});
  EXPECT_EQ(again.status, kExitOk);
  EXPECT_EQ(again.out, pdf);
}

TEST(ReportCommandTest, LossOptionsAddTheLossPages) {
  const auto ideal = RunInProcess({"report", "-o", "-"});
  const auto lossy = RunInProcess({"report", "--q-inductor", "120", "-o", "-"});
  ASSERT_EQ(ideal.status, kExitOk);
  ASSERT_EQ(lossy.status, kExitOk) << lossy.err;
  EXPECT_EQ(ideal.out.find("(Compensated values)"), std::string::npos);
  EXPECT_NE(lossy.out.find("(Compensated values)"), std::string::npos);
}

struct RefusedCase {
  std::vector<std::string_view> arguments;
  int status;
  std::string_view errorPart;
};

class ReportCommandRefusalTest : public ::testing::TestWithParam<RefusedCase> {};

TEST_P(ReportCommandRefusalTest, RefusesWithOneLine) {
  std::vector<std::string_view> arguments{"report"};
  arguments.insert(arguments.end(), GetParam().arguments.begin(), GetParam().arguments.end());
  std::ostringstream out, err;
  const int status = RunCommandLine(arguments, out, err);
  EXPECT_EQ(status, GetParam().status);
  const std::string error = err.str();
  EXPECT_NE(error.find(GetParam().errorPart), std::string::npos) << error;
  EXPECT_EQ(std::count(error.begin(), error.end(), '\n'), 1) << error;
  EXPECT_TRUE(out.str().empty());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ReportCommandRefusalTest,
    ::testing::Values(RefusedCase{{}, kExitUsage, "-o FILE is required"},
                      RefusedCase{{"--format", "png", "-o", "x.pdf"}, kExitUsage, "unknown format"},
                      RefusedCase{{"--bogus"}, kExitUsage, "unknown option"},
                      RefusedCase{{"--q-inductor", "-3", "-o", "-"}, kExitUsage, ""},
                      RefusedCase{{"--frequency", "0", "-o", "-"}, kExitUsage, ""},
                      RefusedCase{{"--family", "lowpass-l", "--source", "series:300:0", "-o", "-"},
                                  kExitImpossibleDesign,
                                  "no network can be designed"}));

TEST(ReportCommandTest, HelpNamesTheRequiredOutput) {
  const auto run = RunInProcess({"report", "--help"});
  EXPECT_EQ(run.status, kExitOk);
  EXPECT_NE(run.out.find("Usage: corvantile-cli report"), std::string::npos);
  EXPECT_NE(run.out.find("-o FILE is required"), std::string::npos);
}

}  // namespace
}  // namespace corvantile::cli
