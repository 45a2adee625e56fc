// The sweep and export commands in-process: what they print for each format, that they print
// what the analysis library computes for the same circuit, and their one-line errors.
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "analysis/formats/spice_netlist.h"
#include "analysis/formats/sweep_csv.h"
#include "analysis/formats/touchstone.h"
#include "cli/option_table.h"
#include "cli_test_support.h"

namespace corvantile::cli {
namespace {

using testing_support::CliRun;
using testing_support::LineCount;
using testing_support::RunInProcess;
using testing_support::TemporaryFile;

// The circuit the options below describe, designed and built directly.
MatchingCircuit TeeCircuit() {
  RunState state = MakeDefaultRunState();
  state.NetValues[NetworkFamily] = FamilyTee;
  state.NetValues[NetworkPhase] = -100.0f;
  state.NetValues[Frequency] = 7.1e6f;
  state.LoadValues[EntryForm] = 4.0f;
  state.LoadValues[ParallelR] = 50.0f;
  state.LoadValues[ParallelPart] = -1e-10f;
  const CircuitBuild build = DesignCircuit(state);
  EXPECT_EQ(build.problem, CircuitProblem::None);
  return build.circuit;
}

TEST(SweepCommandTest, TablePrintsTheSummaryThenOneRowPerPoint) {
  const CliRun run = RunInProcess({"sweep", "--points", "21"});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.err, "");
  for (const char* text : {"Pi network", "VSWR <= 2:1: 3.462 MHz to 3.987 MHz",
                           "fractional bandwidth 14.02 %", "VSWR <= 1.5:1", "23.34 dB at 2 f0",
                           "35.28 dB at 3 f0", "Sweep: 937.5 kHz to 15 MHz, 21 points"}) {
    EXPECT_NE(run.out.find(text), std::string::npos) << text << "\n" << run.out;
  }
  // Six circuit lines, span, design point, two bands, attenuation, blank, two heading rows.
  EXPECT_EQ(LineCount(run.out), 11 + 1 + 2 + 21);
}

TEST(SweepCommandTest, CsvIsTheExportBehindTheSummaryLines) {
  const std::vector<std::string_view> options = {
      "--family",    "tee",  "--phase", "-100",
      "--frequency", "7.1M", "--load",  "parallel-part:50:-100p",
      "--points",    "31"};
  std::vector<std::string_view> sweep = {"sweep", "--format", "csv"};
  sweep.insert(sweep.end(), options.begin(), options.end());
  std::vector<std::string_view> exported = {"export", "csv"};
  exported.insert(exported.end(), options.begin(), options.end());
  std::ostringstream sweepOut, exportOut, err;
  ASSERT_EQ(RunCommandLine(sweep, sweepOut, err), 0) << err.str();
  ASSERT_EQ(RunCommandLine(exported, exportOut, err), 0) << err.str();

  const MatchingCircuit circuit = TeeCircuit();
  SweepSpan span = DefaultSweepSpan(circuit.designFrequency);
  span.points = 31;
  const std::string expected = SweepCsv(SweepResponse(circuit, span));
  EXPECT_EQ(exportOut.str(), expected);
  const std::string text = sweepOut.str();
  const std::size_t header = text.find(SweepCsvHeader());
  ASSERT_NE(header, std::string::npos);
  EXPECT_EQ(text.substr(header), expected);
  for (std::size_t line = 0; line < header; line = text.find('\n', line) + 1) {
    EXPECT_EQ(text[line], '#') << text.substr(line, 40);
  }
}

TEST(SweepCommandTest, ExportsMatchTheLibraryForTheSameCircuit) {
  const MatchingCircuit circuit = TeeCircuit();
  const SweepSpan span{1e6, 3e7, 40, false};
  const std::vector<std::string_view> options = {
      "--family",    "tee",  "--phase", "-100",
      "--frequency", "7.1M", "--load",  "parallel-part:50:-100p",
      "--from",      "1M",   "--to",    "30M",
      "--points",    "40",   "--linear"};
  auto run = [&](std::string_view format, std::vector<std::string_view> extra) {
    std::vector<std::string_view> args = {"export", format};
    args.insert(args.end(), options.begin(), options.end());
    args.insert(args.end(), extra.begin(), extra.end());
    std::ostringstream out, err;
    EXPECT_EQ(RunCommandLine(args, out, err), 0) << err.str();
    EXPECT_EQ(err.str(), "");
    return out.str();
  };
  EXPECT_EQ(run("spice", {}), SpiceNetlist(circuit, span));
  EXPECT_EQ(run("touchstone", {}), TouchstoneS2p(circuit, span, 50.0));
  EXPECT_EQ(run("touchstone", {"--z0", "75"}), TouchstoneS2p(circuit, span, 75.0));
  EXPECT_EQ(run("csv", {}), SweepCsv(SweepResponse(circuit, span)));
}

TEST(SweepCommandTest, OutputFileHoldsWhatStandardOutputWouldShow) {
  const std::string file = TemporaryFile("export.s2p").string();
  const CliRun toFile = RunInProcess({"export", "touchstone", "--points", "11", "-o", file});
  ASSERT_EQ(toFile.status, 0) << toFile.err;
  EXPECT_EQ(toFile.out, "");
  const CliRun toOut = RunInProcess({"export", "touchstone", "--points=11"});
  std::ifstream in(file, std::ios::binary);
  const std::string written{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  EXPECT_EQ(written, toOut.out);
  std::filesystem::remove(file);
}

// A value typed on the command line leaves in an export as it was typed, not as the digits of
// the float it is stored in (75.3 is 75.30000305175781 as a float widened to double).
struct TypedValueCase {
  const char* name;
  std::vector<std::string_view> args;
  const char* written;
  const char* floatDigits;  // what the float widened to double would have written
};

class TypedValueInExport : public testing::TestWithParam<TypedValueCase> {};

TEST_P(TypedValueInExport, IsWrittenAsTyped) {
  std::ostringstream out, err;
  ASSERT_EQ(RunCommandLine(GetParam().args, out, err), 0) << err.str();
  EXPECT_NE(out.str().find(GetParam().written), std::string::npos) << out.str();
  EXPECT_EQ(out.str().find(GetParam().floatDigits), std::string::npos) << out.str();
}

INSTANTIATE_TEST_SUITE_P(
    Exports, TypedValueInExport,
    testing::Values(TypedValueCase{"SpiceLoadResistance",
                                   {"export", "spice", "--load", "series:75.3:0"},
                                   " 0 75.3\n",
                                   "75.30000305"},
                    TypedValueCase{"SpiceSourceResistance",
                                   {"export", "spice", "--source", "series:1234.1:0"},
                                   " 1234.1\n",
                                   "1234.0999755"},
                    TypedValueCase{"TouchstoneReference",
                                   {"export", "touchstone", "--z0", "75.3"},
                                   "# Hz S RI R 75.3\n",
                                   "75.30000305"}),
    [](const testing::TestParamInfo<TypedValueCase>& param) { return param.param.name; });

TEST(SweepCommandTest, JsonCarriesSummaryColumnsAndPoints) {
  const CliRun run = RunInProcess({"sweep", "--format=json", "--points", "5"});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(LineCount(run.out), 1);
  const nlohmann::ordered_json json = nlohmann::ordered_json::parse(run.out);
  std::vector<std::string> keys;
  for (const auto& member : json.items()) keys.push_back(member.key());
  EXPECT_EQ(keys, (std::vector<std::string>{"circuit", "span", "summary", "columns", "points"}));
  EXPECT_EQ(json["summary"]["design_frequency_hz"], 3750000.0);
  EXPECT_EQ(json["summary"]["vswr_bands"][0]["vswr_limit"], 2.0);
  EXPECT_EQ(json["summary"]["vswr_bands"][1]["vswr_limit"], 1.5);
  EXPECT_EQ(json["columns"][0], "frequency_Hz");
  EXPECT_EQ(json["columns"][1], "zin_real_ohm");
  ASSERT_EQ(json["points"].size(), 5u);
  EXPECT_EQ(json["points"][0][0], 937500.0);
  EXPECT_EQ(json["points"][4][0], 15000000.0);
  EXPECT_EQ(json["span"],
            nlohmann::ordered_json::parse(R"({"from_hz":937500.0,"to_hz":15000000.0,"points":5,)"
                                          R"("logarithmic":true})"));
  // A span that stops inside the band leaves the edges unknown.
  const CliRun narrow = RunInProcess(
      {"sweep", "--format", "json", "--from", "3.7M", "--to", "3.8M", "--points", "5"});
  EXPECT_NE(narrow.out.find("\"lower_hz\":null,\"upper_hz\":null,\"fractional_bandwidth\":null"),
            std::string::npos)
      << narrow.out;
}

struct BadSweep {
  const char* name;
  std::vector<std::string_view> args;
  std::string_view error;
  int status = kExitUsage;  // kExitImpossibleDesign when the values admit no network
};

void PrintTo(const BadSweep& call, std::ostream* os) { *os << call.name; }

class BadSweepCall : public ::testing::TestWithParam<BadSweep> {};

TEST_P(BadSweepCall, OneLineOnStderrAndItsStatus) {
  std::ostringstream out, err;
  EXPECT_EQ(RunCommandLine(GetParam().args, out, err), GetParam().status);
  EXPECT_EQ(out.str(), "");
  EXPECT_TRUE(err.str().starts_with("corvantile-cli: ")) << err.str();
  EXPECT_EQ(LineCount(err.str()), 1) << err.str();
  EXPECT_NE(err.str().find(GetParam().error), std::string::npos) << err.str();
}

INSTANTIATE_TEST_SUITE_P(
    Calls, BadSweepCall,
    ::testing::Values(
        BadSweep{"ImpossibleSweep",
                 {"sweep", "--family", "highpass-l", "--load", "series:1.5k:0"},
                 "no network can be designed for these values",
                 kExitImpossibleDesign},
        BadSweep{"ImpossibleExport",
                 {"export", "spice", "--family", "lowpass-l", "--load", "series:1.5k:0"},
                 "no network can be designed for these values",
                 kExitImpossibleDesign},
        BadSweep{"EndBelowStart", {"sweep", "--from", "5M", "--to", "1M"}, "must end above"},
        BadSweep{"StartAtZero", {"export", "csv", "--from", "0"}, "must start above 0 Hz"},
        BadSweep{"FromWithoutDigits", {"sweep", "--from", "low"}, "--from: 'low' is not a value"},
        BadSweep{"TooFewPoints", {"sweep", "--points", "1"}, "between 2 and 1000000 points"},
        BadSweep{"PointsNotWhole", {"sweep", "--points", "10.5"}, "not a whole number"},
        BadSweep{"UnknownSweepFormat", {"sweep", "--format", "xml"}, "unknown format 'xml'"},
        BadSweep{"UnknownExportFormat", {"export", "gerber"}, "unknown format 'gerber'"},
        BadSweep{"NoExportFormat", {"export", "--points", "11"}, "name a format first"},
        BadSweep{"Z0ForCsv", {"export", "csv", "--z0", "75"}, "touchstone export only"},
        BadSweep{"NegativeZ0",
                 {"export", "touchstone", "--z0", "-50"},
                 "--z0: '-50' is outside 1 mohms to 10 Gohms"},
        BadSweep{"UnwritableFile",
                 {"export", "spice", "-o", "/nonexistent/dir/match.cir"},
                 "cannot write '/nonexistent/dir/match.cir'"},
        BadSweep{"LinearWithValue", {"sweep", "--linear=yes"}, "--linear takes no value"},
        BadSweep{"UnknownOption", {"sweep", "--colour", "red"}, "unknown option '--colour'"},
        BadSweep{"MissingPointsValue", {"sweep", "--points"}, "--points needs a value"}),
    [](const ::testing::TestParamInfo<BadSweep>& param) { return std::string(param.param.name); });

}  // namespace
}  // namespace corvantile::cli
