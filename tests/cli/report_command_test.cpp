#include "cli/report_command.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "cli/option_table.h"
#include "cli_test_support.h"
#include "support/files.h"
#include "support/process.h"

namespace corvantile::cli {
namespace {

using testing_support::CliRun;
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

// pdftotext's text of a PDF, every run of blanks and line breaks one blank.
std::string PdfText(const std::string& pdf, const std::string& name) {
  const std::filesystem::path file = TemporaryFile(name);
  corvantile::testing::WriteBytes(file, pdf);
  int status = -1;
  const std::string text = corvantile::testing::RunCommand(
      corvantile::testing::Quoted(corvantile::testing::Environment("CORVANTILE_PDFTOTEXT")) + " " +
          corvantile::testing::Quoted(file) + " -",
      status);
  EXPECT_EQ(status, 0);
  std::string squeezed;
  for (const char c : text) {
    const bool blank = c == ' ' || c == '\n' || c == '\t' || c == '\f' || c == '\r';
    if (!blank) {
      squeezed += c;
    } else if (!squeezed.empty() && squeezed.back() != ' ') {
      squeezed += ' ';
    }
  }
  return squeezed;
}

CliRun RunWith(std::vector<std::string_view> arguments) {
  std::ostringstream out, err;
  CliRun run;
  run.status = RunCommandLine(arguments, out, err);
  run.out = out.str();
  run.err = err.str();
  return run;
}

// A reactive load over a wide band: the search gives a design of every count from 1 to 4.
const std::vector<std::string_view> kBandSearch = {
    "--band", "0.8G:1.8G", "--source", "series:50:0", "--load", "parallel:15:-24.4854"};

// The report's band section holds the design the band command finds for the same options: the
// chosen count's, or without --pick the one with the best worst return loss.
class ReportBandTest : public ::testing::TestWithParam<std::optional<int>> {};

TEST_P(ReportBandTest, SectionHoldsTheChosenDesignOfTheBandCommand) {
  std::vector<std::string_view> band{"band"};
  band.insert(band.end(), kBandSearch.begin(), kBandSearch.end());
  band.insert(band.end(), {"--format", "json"});
  const CliRun found = RunWith(band);
  ASSERT_EQ(found.status, kExitOk) << found.err;
  const nlohmann::json designs = nlohmann::json::parse(found.out)["designs"];
  ASSERT_EQ(designs.size(), 4u);
  // The expected design, picked here from the JSON.
  const nlohmann::json* expected = nullptr;
  for (const nlohmann::json& d : designs) {
    const int count = d["element_count"].get<int>();
    if (GetParam() ? count == *GetParam()
                   : expected == nullptr || d["worst_return_loss_db"].get<double>() >
                                                (*expected)["worst_return_loss_db"].get<double>()) {
      expected = &d;
    }
  }
  ASSERT_NE(expected, nullptr);

  std::vector<std::string_view> report{"report"};
  report.insert(report.end(), kBandSearch.begin(), kBandSearch.end());
  const std::string pick = GetParam() ? std::to_string(*GetParam()) : std::string();
  if (GetParam()) report.insert(report.end(), {"--pick", pick});
  report.insert(report.end(), {"-o", "-"});
  const CliRun written = RunWith(report);
  ASSERT_EQ(written.status, kExitOk) << written.err;
  EXPECT_TRUE(written.err.empty()) << written.err;
  const std::string text = PdfText(written.out, "cli_report_band_" + pick + ".pdf");

  const std::size_t section = text.find("Band match");
  ASSERT_NE(section, std::string::npos) << text;
  EXPECT_NE(text.find("Bands: 800 MHz to 1.8 GHz", section), std::string::npos) << text;
  char worst[64];
  std::snprintf(worst, sizeof worst, "Worst return loss %.2f dB",
                (*expected)["worst_return_loss_db"].get<double>());
  EXPECT_NE(text.find(worst, section), std::string::npos) << worst << " in\n" << text;
  const std::size_t count = (*expected)["elements"].size();
  EXPECT_NE(text.find(std::to_string(count) + " elements: Source - ", section), std::string::npos)
      << text;
  // One line per element, and none beyond.
  EXPECT_NE(text.find("Element " + std::to_string(count) + ": ", section), std::string::npos);
  EXPECT_EQ(text.find("Element " + std::to_string(count + 1) + ": ", section), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(Picks, ReportBandTest,
                         ::testing::Values(std::nullopt, std::optional<int>(1),
                                           std::optional<int>(2), std::optional<int>(3)));

TEST(ReportCommandTest, WithoutBandOptionsTheReportHasNoBandSection) {
  const auto run = RunInProcess({"report", "-o", "-"});
  ASSERT_EQ(run.status, kExitOk) << run.err;
  EXPECT_EQ(PdfText(run.out, "cli_report_plain.pdf").find("Band match"), std::string::npos);
}

TEST(ReportCommandTest, BandPicksRefused) {
  // --pick alone is a usage error; a count the search did not give is no design.
  const CliRun alone = RunInProcess({"report", "--pick", "2", "-o", "-"});
  EXPECT_EQ(alone.status, kExitUsage);
  EXPECT_NE(alone.err.find("--pick needs --band"), std::string::npos) << alone.err;
  std::vector<std::string_view> missing{"report"};
  missing.insert(missing.end(), kBandSearch.begin(), kBandSearch.end());
  missing.insert(missing.end(), {"--elements", "2", "--pick", "3", "-o", "-"});
  const CliRun none = RunWith(missing);
  EXPECT_EQ(none.status, kExitImpossibleDesign);
  EXPECT_NE(none.err.find("no design of 3 elements (the search gave 2)"), std::string::npos)
      << none.err;
  EXPECT_EQ(std::count(none.err.begin(), none.err.end(), '\n'), 1) << none.err;
  EXPECT_TRUE(none.out.empty());
}

TEST(ReportCommandTest, HelpNamesTheRequiredOutput) {
  const auto run = RunInProcess({"report", "--help"});
  EXPECT_EQ(run.status, kExitOk);
  EXPECT_NE(run.out.find("Usage: corvantile-cli report"), std::string::npos);
  EXPECT_NE(run.out.find("-o FILE is required"), std::string::npos);
}

}  // namespace
}  // namespace corvantile::cli
