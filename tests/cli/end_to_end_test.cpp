// Runs the built corvantile-cli as a script would and checks its exit status, its exact
// standard output and its one-line errors.
#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "cli_test_support.h"
#include "state/circuit_state.h"
#include "support/process.h"

namespace corvantile::cli {
namespace {

using testing_support::DataFile;
using testing_support::JsonFloats;
using testing_support::LineCount;
using testing_support::TemporaryFile;

using corvantile::testing::ProgramRun;
using corvantile::testing::ReadBytes;

ProgramRun RunProgram(const std::vector<std::string>& arguments) {
  return corvantile::testing::RunProgram(CORVANTILE_CLI_PATH, arguments);
}

TEST(EndToEnd, DefaultDesignAsJson) {
  const ProgramRun run = RunProgram({"design", "--json"});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.err, "");
  const std::vector<float> net = JsonFloats(run.out, "NetValues");
  ASSERT_EQ(net.size(), 31u);
  EXPECT_NEAR(static_cast<double>(net[NetX1]), -360.4, 0.05);
  EXPECT_NEAR(static_cast<double>(net[NetX2]), 474.3, 0.05);
  EXPECT_NEAR(static_cast<double>(net[NetX3]), -183.8, 0.05);
  EXPECT_NEAR(static_cast<double>(net[IntermediateR]), 81.86, 0.005);
  EXPECT_TRUE(run.out.ends_with(",\"caution\":false}\n")) << run.out;
}

TEST(EndToEnd, FormatPrintsExactTextsWithTrailingBlanks) {
  const ProgramRun frequency = RunProgram({"format", "frequency", "3.75M", "0", "14.2M", "50"});
  EXPECT_EQ(frequency.status, 0);
  EXPECT_EQ(frequency.out, " 3.75 M\n0.0 \n 14.2 M\n 50 \n");
}

TEST(EndToEnd, TeeSessionWithParallelPartLoad) {
  const std::string file = DataFile("tee_parallel_part_load.CFG").string();
  const ProgramRun run = RunProgram({"design", "--session", file});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.err, "");
  for (const char* text :
       {"Tee network", "7.1 MHz", "100 W", "-100 deg", "Load: entered as parallel R, part value",
        "100 pF", "1  series", "2  shunt", "3  series"}) {
    EXPECT_NE(run.out.find(text), std::string::npos) << text << "\n" << run.out;
  }
  // The same circuit given as options designs the same network.
  const ProgramRun options = RunProgram(
      {"design", "--json", "--family", "tee", "--phase", "-100", "--source", "series:1.5k:75",
       "--load", "parallel-part:50:-100p", "--frequency", "7.1M", "--power", "100"});
  const ProgramRun session = RunProgram({"design", "--json", "--session", file});
  EXPECT_EQ(options.out, session.out);
}

TEST(EndToEnd, ImpossibleDesignExitsOne) {
  const ProgramRun run =
      RunProgram({"design", "--family", "highpass-l", "--load", "series:1.5k:0"});
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.out.find("impossible design"), std::string::npos) << run.out;
}

TEST(EndToEnd, SaveWritesASessionFile) {
  const std::string file = TemporaryFile("e2e.CFG").string();
  const ProgramRun run = RunProgram({"design", "--power=250", "--save", file});
  ASSERT_EQ(run.status, 0) << run.err;
  const std::string text = ReadBytes(file);
  EXPECT_EQ(LineCount(text), 64);
  EXPECT_NE(text.find("\r\n 250 \r\n"), std::string::npos);
  std::filesystem::remove(file);
}

struct BadCall {
  const char* name;
  std::vector<std::string> args;
  std::string_view error;
};

void PrintTo(const BadCall& call, std::ostream* os) { *os << call.name; }

class BadCommandLine : public testing::TestWithParam<BadCall> {};

TEST_P(BadCommandLine, OneLineOnStderrAndStatusTwo) {
  const BadCall& call = GetParam();
  const ProgramRun run = RunProgram(call.args);
  EXPECT_EQ(run.status, 2);
  EXPECT_EQ(run.out, "");
  EXPECT_TRUE(run.err.starts_with("corvantile-cli: ")) << run.err;
  EXPECT_EQ(LineCount(run.err), 1) << run.err;
  EXPECT_NE(run.err.find(call.error), std::string::npos) << run.err;
}

INSTANTIATE_TEST_SUITE_P(
    Calls, BadCommandLine,
    testing::Values(
        BadCall{"UnknownCommand", {"plot"}, "unknown command 'plot'"},
        BadCall{"UnknownOption", {"design", "--colour", "red"}, "unknown option '--colour'"},
        BadCall{"UnknownFamily", {"design", "--family", "bandpass"}, "unknown family 'bandpass'"},
        BadCall{"MissingValue", {"design", "--frequency"}, "--frequency needs a value"},
        BadCall{"MissingPart", {"design", "--source", "series-part:50"}, "second value is missing"},
        BadCall{"PhaseInLNetwork",
                {"design", "--family", "lowpass-l", "--phase", "-30"},
                "You cannot specify the phase in an L-network"},
        BadCall{"UnreadableSession",
                {"design", "--session", "/nonexistent/LastSession.CFG"},
                "cannot open session file"},
        BadCall{"StrayArgument", {"design", "pi"}, "unexpected argument 'pi'"}),
    [](const testing::TestParamInfo<BadCall>& param) { return std::string(param.param.name); });

TEST(EndToEnd, NoCommandGivesUsageAndStatusTwo) {
  const ProgramRun run = RunProgram({});
  EXPECT_EQ(run.status, 2);
  EXPECT_EQ(run.out, "");
  EXPECT_TRUE(run.err.starts_with("Usage: corvantile-cli")) << run.err;
}

TEST(EndToEnd, HelpListsTheCommands) {
  const ProgramRun run = RunProgram({"--help"});
  EXPECT_EQ(run.status, 0);
  for (const char* text : {"design", "parse", "format", "Exit status"}) {
    EXPECT_NE(run.out.find(text), std::string::npos) << text;
  }
}

}  // namespace
}  // namespace corvantile::cli
