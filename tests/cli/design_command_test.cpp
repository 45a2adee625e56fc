#include "cli/design_command.h"

#include <cmath>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include <gtest/gtest.h>

#include "cli/design_report.h"
#include "cli/json_output.h"
#include "cli/option_table.h"
#include "cli_test_support.h"
#include "math/design_network.h"
#include "support/files.h"

namespace corvantile::cli {
namespace {

using testing_support::DataFile;
using testing_support::JsonFloats;
using testing_support::LineCount;
using testing_support::RunInProcess;
using testing_support::TemporaryFile;

std::string FileText(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The known default design: a Pi between 1500 and 300 ohms at -135 degrees, 3.75 MHz, 1 kW.
TEST(DesignCommand, DefaultJsonHoldsTheKnownDesign) {
  const auto run = RunInProcess({"design", "--json"});
  ASSERT_EQ(run.status, kExitOk) << run.err;
  EXPECT_EQ(run.err, "");
  EXPECT_EQ(LineCount(run.out), 1);
  const std::vector<float> net = JsonFloats(run.out, "NetValues");
  ASSERT_EQ(net.size(), 31u);
  EXPECT_EQ(JsonFloats(run.out, "SourceValues").size(), 16u);
  EXPECT_EQ(JsonFloats(run.out, "LoadValues").size(), 16u);
  EXPECT_NE(run.out.find("\"caution\":false}"), std::string::npos);
  const struct {
    int index;
    double value;
    double tolerance;
  } known[] = {{NetX1, -360.4, 0.05},          {NetX2, 474.3, 0.05},
               {NetX3, -183.8, 0.05},          {NetPart1, -117.8e-12, 0.05e-12},
               {NetPart2, 20.13e-6, 0.005e-6}, {NetPart3, -230.9e-12, 0.05e-12},
               {InputQ, 4.162, 0.0005},        {OutputQ, 1.632, 0.0005},
               {IntermediateR, 81.86, 0.005},  {NetPart1Volts, 1225, 0.5},
               {NetPart2Volts, 1658, 0.5},     {NetPart3Volts, 547.7, 0.05},
               {NetPart1Amps, 3.398, 0.0005},  {NetPart2Amps, 3.495, 0.0005},
               {NetPart3Amps, 2.980, 0.0005},  {NetworkPhase, -135, 0}};
  for (const auto& k : known) {
    EXPECT_NEAR(static_cast<double>(net[static_cast<std::size_t>(k.index)]), k.value, k.tolerance)
        << "NetValues(" << k.index << ")";
  }
}

// The JSON numbers are the stored floats exactly, not a rounded display.
TEST(DesignCommand, JsonNumbersAreTheStateBitForBit) {
  RunState state = MakeDefaultRunState();
  RunDesignPass(state);
  const auto run = RunInProcess({"design", "--json"});
  const std::vector<float> net = JsonFloats(run.out, "NetValues");
  const std::vector<float> source = JsonFloats(run.out, "SourceValues");
  ASSERT_EQ(net.size(), state.NetValues.size());
  ASSERT_EQ(source.size(), state.SourceValues.size());
  for (std::size_t i = 0; i < net.size(); ++i) EXPECT_EQ(net[i], state.NetValues[i]) << i;
  for (std::size_t i = 0; i < source.size(); ++i) EXPECT_EQ(source[i], state.SourceValues[i]) << i;
}

TEST(DesignCommand, DefaultReportShowsTheDesignWithUnits) {
  const auto run = RunInProcess({"design"});
  ASSERT_EQ(run.status, kExitOk) << run.err;
  for (const char* text :
       {"Pi network", "3.75 MHz", "1 kW", "-135 deg", "117.768 pF", "-360.38 ohms", "20.1317 uH",
        "474.342 ohms", "230.945 pF", "-183.772 ohms", "1.225 kV", "3.3985 A", "1.658 kV",
        "3.4952 A", "547.72 V", "2.9804 A", "4.1623", "1.6325", "81.857 ohms"}) {
    EXPECT_NE(run.out.find(text), std::string::npos) << text << "\n" << run.out;
  }
  EXPECT_EQ(run.out.find("impossible"), std::string::npos);
  EXPECT_EQ(run.out.find("absent"), std::string::npos);
  EXPECT_EQ(run.out.find(" \n"), std::string::npos) << "no trailing blanks in the report";
}

TEST(DesignCommand, LNetworkReportNamesTheAbsentElement) {
  const auto high = RunInProcess({"design", "--family", "highpass-l"});
  ASSERT_EQ(high.status, kExitOk) << high.err;
  EXPECT_NE(high.out.find("3  shunt   absent"), std::string::npos) << high.out;
  EXPECT_NE(high.out.find("750 ohms"), std::string::npos) << high.out;
  EXPECT_NE(high.out.find("-600 ohms"), std::string::npos) << high.out;
  // A 50-ohm source and a 200-ohm load put the shunt across the load: element 1 is absent.
  const auto low = RunInProcess(
      {"design", "--family", "lowpass-l", "--source", "series:50:0", "--load", "series:200:0"});
  ASSERT_EQ(low.status, kExitOk) << low.err;
  EXPECT_NE(low.out.find("1  shunt   absent"), std::string::npos) << low.out;
  EXPECT_EQ(low.out.find("3  shunt   absent"), std::string::npos) << low.out;
}

// A session file keeps what it stores; a stored phase that names no network is the caution
// state with its reason, as the window shows it, not a design at a wrapped phase.
TEST(DesignCommand, SessionPhaseOutsideItsRangeIsImpossibleWithTheReason) {
  const corvantile::testing::ScratchFolder folder;
  const std::string file = (folder.path() / "phase.CFG").string();
  ASSERT_EQ(RunInProcess({"design", "--family", "tee", "--save", file}).status, kExitOk);
  std::string text = corvantile::testing::ReadBytes(file);
  const std::string stored = "\n-135 \r\n";  // the phase line
  ASSERT_NE(text.find(stored), std::string::npos);
  text.replace(text.find(stored), stored.size(), "\n 360 \r\n");
  corvantile::testing::WriteBytes(file, text);
  const auto report = RunInProcess({"design", "--session", file});
  EXPECT_EQ(report.status, kExitImpossibleDesign) << report.out;
  EXPECT_NE(report.out.find("why: the network phase is outside -180 to 180 degrees"),
            std::string::npos)
      << report.out;
}

TEST(DesignCommand, ImpossibleDesignIsObviousAndExitsOne) {
  const auto report = RunInProcess({"design", "--family", "lowpass-l", "--source", "series:300:0"});
  EXPECT_EQ(report.status, kExitImpossibleDesign);
  EXPECT_NE(report.out.find(kImpossibleDesignLine), std::string::npos) << report.out;
  const auto json =
      RunInProcess({"design", "--family", "lowpass-l", "--source", "series:300:0", "--json"});
  EXPECT_EQ(json.status, kExitImpossibleDesign);
  EXPECT_NE(json.out.find("\"caution\":true}"), std::string::npos) << json.out;
  const std::vector<float> net = JsonFloats(json.out, "NetValues");
  ASSERT_EQ(net.size(), 31u);
  EXPECT_EQ(net[NetX1], 0.0f);
  EXPECT_EQ(net[InputQ], 0.0f);
}

// The JSON carries what the design window would show for the same circuit: its captions and
// which labels it shows, with the caution label following the design.
TEST(DesignCommand, JsonShowsTheDesignWindowsCaptionsAndLabels) {
  const auto run = RunInProcess({"design", "--json"});
  ASSERT_EQ(run.status, kExitOk) << run.err;
  for (const char* member :
       {"\"cmdFrequency\":\"Frequency:   3.75 MHz\"", "\"cmdPhase\":\"Phase (r-r):  -135 deg\"",
        "\"lblChangeNetPart2\":\"20.1317 uH\"", "\"lblChangeNetX1\":\"-360.38 ohms\"",
        "\"lblCaution\":false", "\"lblNetPart2Amps\":true"}) {
    EXPECT_NE(run.out.find(member), std::string::npos) << member << " in " << run.out;
  }
  // A low-pass L from a 300-ohm source to a 300-ohm load: no network, the caution label shows
  // and the cleared results hide their labels.
  const auto impossible =
      RunInProcess({"design", "--family", "lowpass-l", "--source", "series:300:0", "--json"});
  EXPECT_NE(impossible.out.find("\"lblCaution\":true"), std::string::npos) << impossible.out;
  EXPECT_NE(impossible.out.find("\"lblChangeNetPart1\":false"), std::string::npos);
  EXPECT_NE(impossible.out.find("\"lblNetPart1Volts\":false"), std::string::npos);
}

// Fixing the first element at the reactance the phase-driven design found gives that design
// back: the fixed-element path and the phase path agree.
TEST(DesignCommand, FixingADesignedElementGivesTheSameNetwork) {
  const auto byPhase = RunInProcess({"design", "--family", "tee", "--phase", "-100", "--json"});
  const std::vector<float> phaseNet = JsonFloats(byPhase.out, "NetValues");
  ASSERT_EQ(phaseNet.size(), 31u);
  const std::string fix = "x1=" + StoredNumber(phaseNet[NetX1]).dump();
  const auto byElement = RunInProcess({"design", "--family", "tee", "--fix", fix, "--json"});
  ASSERT_EQ(byElement.status, kExitOk) << byElement.err;
  const std::vector<float> fixedNet = JsonFloats(byElement.out, "NetValues");
  ASSERT_EQ(fixedNet.size(), 31u);
  EXPECT_EQ(fixedNet[DesignDriver], 1.0f);
  EXPECT_NEAR(static_cast<double>(fixedNet[NetworkPhase]), -100.0, 0.01);
  EXPECT_NEAR(static_cast<double>(fixedNet[NetX3]), static_cast<double>(phaseNet[NetX3]), 0.05);
}

// What --save writes, --session reads back into the same design.
TEST(DesignCommand, SavedSessionReadsBackToTheSameDesign) {
  const std::string file = TemporaryFile("cli_saved.CFG").string();
  const auto first = RunInProcess({"design", "--family", "tee", "--load", "parallel-part:50:-100p",
                                   "--frequency", "7.1M", "--json", "--save", file});
  ASSERT_EQ(first.status, kExitOk) << first.err;
  const std::string saved = FileText(file);
  EXPECT_TRUE(saved.starts_with("Corvantile last-session circuit file\r\n"));
  EXPECT_EQ(LineCount(saved), 64);
  const auto second = RunInProcess({"design", "--session", file, "--json"});
  ASSERT_EQ(second.status, kExitOk) << second.err;
  EXPECT_EQ(second.out, first.out);
  std::filesystem::remove(file);
}

TEST(DesignCommand, SessionWithFixedMiddlePartHonoursItsBranch) {
  const std::string file = DataFile("pi_middle_part_fixed.CFG").string();
  const auto saved = RunInProcess({"design", "--session", file, "--json"});
  ASSERT_EQ(saved.status, kExitOk) << saved.err;
  const auto options = RunInProcess({"design", "--fix", "part2=20u", "--branch", "2", "--json"});
  EXPECT_EQ(saved.out, options.out);
  const auto other = RunInProcess({"design", "--session", file, "--branch", "1", "--json"});
  ASSERT_EQ(other.status, kExitOk) << other.err;
  const std::vector<float> second = JsonFloats(saved.out, "NetValues");
  const std::vector<float> first = JsonFloats(other.out, "NetValues");
  ASSERT_EQ(first.size(), 31u);
  ASSERT_EQ(second.size(), 31u);
  EXPECT_EQ(first[NetX2], second[NetX2]);                // the fixed element is the same ...
  EXPECT_NE(first[NetworkPhase], second[NetworkPhase]);  // ... in the other solution
}

TEST(DesignCommand, ShortSessionGivesANoteAndTheDefaults) {
  const auto run =
      RunInProcess({"design", "--session", DataFile("short_session.CFG").string(), "--json"});
  EXPECT_EQ(run.status, kExitOk);
  EXPECT_NE(run.err.find("note:"), std::string::npos) << run.err;
  EXPECT_EQ(LineCount(run.err), 1);
  const std::vector<float> source = JsonFloats(run.out, "SourceValues");
  ASSERT_EQ(source.size(), 16u);
  EXPECT_EQ(source[SeriesR], 1500.0f);
  EXPECT_EQ(source[12], 7.0f);
}

TEST(DesignCommand, FailedSaveLeavesStdoutEmpty) {
  const auto run = RunInProcess({"design", "--save", "/nonexistent-directory/x.CFG"});
  EXPECT_EQ(run.status, kExitUsage);
  EXPECT_EQ(run.out, "");
  EXPECT_EQ(run.err,
            "corvantile-cli: --save: cannot write '/nonexistent-directory/x.CFG': No such file or "
            "directory\n");
}

TEST(DesignCommand, HelpDocumentsEveryOptionAndTheExitStatus) {
  const auto run = RunInProcess({"design", "--help"});
  EXPECT_EQ(run.status, kExitOk);
  for (const char* text : {"--session", "--source", "--load", "--family", "--phase", "--frequency",
                           "--power", "--fix", "--branch", "--json", "--save", "series-part",
                           "parallel-part", "lowpass-l", "highpass-l", "Exit status", "Examples"}) {
    EXPECT_NE(run.out.find(text), std::string::npos) << text;
  }
}

}  // namespace
}  // namespace corvantile::cli
