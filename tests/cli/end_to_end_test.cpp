// Runs the built corvantile-cli as a script would and checks its exit status, its exact
// standard output and its one-line errors.
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <iterator>
#include <regex>
#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "cli/project_version.h"
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
                "cannot read session file '/nonexistent/LastSession.CFG': No such file"},
        BadCall{"StrayArgument", {"design", "pi"}, "unexpected argument 'pi'"}),
    [](const testing::TestParamInfo<BadCall>& param) { return std::string(param.param.name); });

TEST(EndToEnd, NoCommandGivesUsageAndStatusTwo) {
  const ProgramRun run = RunProgram({});
  EXPECT_EQ(run.status, 2);
  EXPECT_EQ(run.out, "");
  // One line, as every error.
  EXPECT_EQ(run.err,
            "corvantile-cli: needs a command (design, sweep, export, report, touchstone, standard, "
            "tolerance, explore, band, parse or format; see corvantile-cli --help)\n");
}

TEST(EndToEnd, HelpListsTheCommands) {
  const ProgramRun run = RunProgram({"--help"});
  EXPECT_EQ(run.status, 0);
  for (const char* text : {"design", "sweep", "export", "touchstone", "standard", "tolerance",
                           "explore", "parse", "format", "Exit status", "--load-file"}) {
    EXPECT_NE(run.out.find(text), std::string::npos) << text;
  }
}

// The commands the main help's "Commands:" section lists.
std::vector<std::string> ListedCommands() {
  const std::string help = RunProgram({"--help"}).out;
  std::vector<std::string> commands;
  const std::regex line("\n  ([a-z]+) +[^ ]");
  const std::size_t start = help.find("Commands:\n");
  const std::size_t end = help.find("\n\n", start);
  for (auto it = std::sregex_iterator(help.begin() + static_cast<std::ptrdiff_t>(start),
                                      help.begin() + static_cast<std::ptrdiff_t>(end), line);
       it != std::sregex_iterator(); ++it) {
    commands.push_back((*it)[1]);
  }
  return commands;
}

// "design, sweep and export" -> {design, sweep, export}, across line breaks.
std::set<std::string> NamesInList(std::string list) {
  std::replace(list.begin(), list.end(), '\n', ' ');
  std::set<std::string> names;
  const std::regex word("[a-z]+");
  for (auto it = std::sregex_iterator(list.begin(), list.end(), word); it != std::sregex_iterator();
       ++it) {
    if (it->str() != "and" && it->str() != "or") names.insert(it->str());
  }
  return names;
}

TEST(EndToEnd, UsageWithoutArgumentsNamesEveryCommand) {
  const std::vector<std::string> listed = ListedCommands();
  ASSERT_GE(listed.size(), 10u);
  const std::string usage = RunProgram({}).err;
  const std::size_t start = usage.find("needs a command (");
  ASSERT_NE(start, std::string::npos) << usage;
  const std::size_t end = usage.find(';', start);
  const std::set<std::string> named = NamesInList(usage.substr(start + 17, end - start - 17));
  EXPECT_EQ(named, std::set<std::string>(listed.begin(), listed.end())) << usage;
}

// The main help names exactly the commands whose own help offers the measured-side options.
TEST(EndToEnd, MainHelpNamesTheCommandsThatTakeMeasuredFiles) {
  // Its paragraphs with their lines joined.
  std::string help = RunProgram({"--help"}).out;
  for (std::size_t i = 0; i + 1 < help.size(); ++i) {
    if (help[i] == '\n' && help[i + 1] != '\n' && (i == 0 || help[i - 1] != '\n')) help[i] = ' ';
  }
  const std::size_t take = help.find(" take --source-file FILE and --load-file FILE");
  ASSERT_NE(take, std::string::npos) << help;
  const std::size_t start = help.rfind("\n\n", take) + 2;
  const std::set<std::string> named = NamesInList(help.substr(start, take - start));
  for (const std::string& command : ListedCommands()) {
    const std::string own = RunProgram({command, "--help"}).out;
    const bool offers = own.find("  --load-file FILE") != std::string::npos &&
                        own.find("  --source-file FILE") != std::string::npos;
    EXPECT_EQ(named.count(command) == 1, offers) << command;
  }
}

// A help that says "see X below" explains X further down that same help.
TEST(EndToEnd, EveryHelpExplainsWhatItRefersToBelow) {
  const std::regex see("see ([^ ]+) below");
  for (const std::string& command : ListedCommands()) {
    const std::string help = RunProgram({command, "--help"}).out;
    for (auto it = std::sregex_iterator(help.begin(), help.end(), see);
         it != std::sregex_iterator(); ++it) {
      const std::size_t after = static_cast<std::size_t>(it->position() + it->length());
      EXPECT_NE(help.find("  " + (*it)[1].str() + " describes", after), std::string::npos)
          << command << ": " << it->str();
    }
  }
}

// explore lists every candidate as designed: its help does not offer --compensate, and the
// option is refused in one line.
TEST(EndToEnd, ExploreOffersNoCompensation) {
  const std::string help = RunProgram({"explore", "--help"}).out;
  EXPECT_EQ(help.find("--compensate"), std::string::npos);
  EXPECT_NE(help.find("--q-inductor Q"), std::string::npos);
  for (const char* form : {"--compensate", "--compensate=1"}) {
    const ProgramRun run = RunProgram({"explore", "--step", "45", form});
    EXPECT_EQ(run.status, 2) << form;
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err, "corvantile-cli: explore: --compensate does not apply to explore\n");
  }
}

// ---- The rules every command follows, run on the built program ----

// One command as a script calls it, and what one of its formats writes.
struct CommandCase {
  const char* name;
  std::vector<std::string> args;        // a call that succeeds
  std::vector<std::string> formatArgs;  // the call with --format FORMAT, not the default one
  std::string formatOutput;             // how that format's output starts
  bool statusOne;                       // status 1 (no network) can happen: the help says so
};

void PrintTo(const CommandCase& c, std::ostream* os) { *os << c.name; }

std::vector<std::string> With(std::vector<std::string> args,
                              std::initializer_list<std::string> more) {
  args.insert(args.end(), more);
  return args;
}

class EveryCommand : public testing::TestWithParam<CommandCase> {};

TEST_P(EveryCommand, HelpBothWays) {
  for (const char* help : {"-h", "--help"}) {
    const ProgramRun run = RunProgram(With(GetParam().args, {help}));
    EXPECT_EQ(run.status, 0) << help << ": " << run.err;
    EXPECT_EQ(run.err, "") << help;
    EXPECT_TRUE(run.out.starts_with("Usage: corvantile-cli " + std::string(GetParam().args[0])))
        << help << "\n"
        << run.out;
    for (const char* text : {"--format FORMAT", "-o FILE, --output FILE", "-h, --help",
                             "Exit status: 0", "2 bad command"}) {
      EXPECT_NE(run.out.find(text), std::string::npos) << help << ": " << text;
    }
    if (GetParam().statusOne) {
      EXPECT_NE(run.out.find("1 no network can be designed"), std::string::npos) << help;
    }
  }
}

TEST_P(EveryCommand, BadOptionIsOneLineAndStatusTwo) {
  const ProgramRun run = RunProgram(With(GetParam().args, {"--no-such-option"}));
  EXPECT_EQ(run.status, 2);
  EXPECT_EQ(run.out, "");
  EXPECT_TRUE(run.err.starts_with("corvantile-cli: ")) << run.err;
  EXPECT_EQ(LineCount(run.err), 1) << run.err;
  EXPECT_NE(run.err.find("'--no-such-option'"), std::string::npos) << run.err;
}

TEST_P(EveryCommand, OutputFileHoldsWhatStdoutWouldBoth_oAndOutput) {
  const ProgramRun toStdout = RunProgram(GetParam().args);
  ASSERT_EQ(toStdout.status, 0) << toStdout.err;
  ASSERT_FALSE(toStdout.out.empty());
  for (const char* option : {"-o", "--output"}) {
    const std::string file = TemporaryFile(std::string(GetParam().name) + ".out").string();
    const ProgramRun toFile = RunProgram(With(GetParam().args, {option, file}));
    EXPECT_EQ(toFile.status, 0) << option << ": " << toFile.err;
    EXPECT_EQ(toFile.out, "") << option;
    EXPECT_EQ(ReadBytes(file), toStdout.out) << option;
    std::filesystem::remove(file);
  }
  const ProgramRun unwritable = RunProgram(With(GetParam().args, {"-o", "/nonexistent/dir/x"}));
  EXPECT_EQ(unwritable.status, 2);
  EXPECT_EQ(unwritable.out, "");
  EXPECT_EQ(LineCount(unwritable.err), 1) << unwritable.err;
  EXPECT_NE(unwritable.err.find("cannot write '/nonexistent/dir/x'"), std::string::npos)
      << unwritable.err;
}

TEST_P(EveryCommand, FormatChoosesTheOutputAndRefusesAnUnknownOne) {
  std::vector<std::string> args = GetParam().formatArgs;
  const ProgramRun chosen = RunProgram(args);
  EXPECT_EQ(chosen.status, 0) << chosen.err;
  EXPECT_TRUE(chosen.out.starts_with(GetParam().formatOutput)) << chosen.out.substr(0, 200);
  const auto format = std::find(args.begin(), args.end(), "--format");
  ASSERT_NE(format, args.end());
  ASSERT_NE(format + 1, args.end());
  const std::string name = *(format + 1);
  *format = "--format=" + name;
  args.erase(format + 1);
  EXPECT_EQ(RunProgram(args).out, chosen.out);
  args = GetParam().formatArgs;
  *(std::find(args.begin(), args.end(), "--format") + 1) = "bogus";
  const ProgramRun unknown = RunProgram(args);
  EXPECT_EQ(unknown.status, 2);
  EXPECT_EQ(unknown.out, "");
  EXPECT_EQ(LineCount(unknown.err), 1) << unknown.err;
  EXPECT_NE(unknown.err.find("unknown format 'bogus'"), std::string::npos) << unknown.err;
}

INSTANTIATE_TEST_SUITE_P(
    Rules, EveryCommand,
    testing::Values(
        CommandCase{
            "Design", {"design"}, {"design", "--format", "json"}, "{\"SourceValues\":[", true},
        CommandCase{"Sweep",
                    {"sweep", "--points", "5"},
                    {"sweep", "--points", "5", "--format", "json"},
                    "{\"circuit\":[",
                    true},
        CommandCase{"Export",
                    {"export", "spice", "--points", "5"},
                    {"export", "--format", "csv", "--points", "5"},
                    "frequency_Hz,",
                    true},
        CommandCase{"Standard",
                    {"standard"},
                    {"standard", "--format", "json"},
                    "{\"inductor_series\":\"E12\"",
                    true},
        CommandCase{"Tolerance",
                    {"tolerance", "--trials", "50"},
                    {"tolerance", "--trials", "50", "--format", "json"},
                    "{\"design\":\"ideal\"",
                    true},
        CommandCase{"Explore",
                    {"explore", "--step", "45"},
                    {"explore", "--step", "45", "--format", "csv"},
                    "name,kind,",
                    true},
        CommandCase{"Touchstone",
                    {"touchstone", DataFile("ring_slot_measured.s1p").string()},
                    {"touchstone", DataFile("ring_slot_measured.s1p").string(), "--format", "csv"},
                    "# File:",
                    false},
        CommandCase{"Parse",
                    {"parse", "1k", "-100p"},
                    {"parse", "1k", "-100p", "--format", "json"},
                    "{\"values\":[1000,-1e-10]}",
                    true},
        CommandCase{"Format",
                    {"format", "engineering", "1500"},
                    {"format", "--format", "json", "engineering", "1500"},
                    "{\"kind\":\"engineering\",\"texts\":[",
                    true}),
    [](const testing::TestParamInfo<CommandCase>& param) { return std::string(param.param.name); });

// The export names its format as a word or with --format, the same file either way.
TEST(EndToEnd, ExportFormatAsWordOrOption) {
  for (const char* format : {"spice", "touchstone", "csv"}) {
    const ProgramRun word = RunProgram({"export", format, "--points", "5"});
    const ProgramRun option = RunProgram({"export", "--points", "5", "--format", format});
    EXPECT_EQ(word.status, 0) << word.err;
    EXPECT_EQ(word.out, option.out) << format;
  }
  const ProgramRun both = RunProgram({"export", "spice", "--format", "csv"});
  EXPECT_EQ(both.status, 2);
  EXPECT_EQ(LineCount(both.err), 1) << both.err;
}

// No network for these values is status 1 on every command that designs one.
TEST(EndToEnd, ImpossibleDesignIsStatusOneEverywhere) {
  const std::vector<std::string> impossible{"--family", "highpass-l", "--load", "series:1.5k:0"};
  const std::vector<std::vector<std::string>> commands{{"design"},
                                                       {"design", "--format", "json"},
                                                       {"sweep"},
                                                       {"export", "spice"},
                                                       {"export", "csv"}};
  for (const std::vector<std::string>& command : commands) {
    std::vector<std::string> args = command;
    args.insert(args.end(), impossible.begin(), impossible.end());
    const ProgramRun run = RunProgram(args);
    EXPECT_EQ(run.status, 1) << command[0] << ": " << run.err;
  }
}

// --json and --save keep working beside --format and -o.
TEST(EndToEnd, DesignAliasesStillWork) {
  const ProgramRun alias = RunProgram({"design", "--json"});
  const ProgramRun format = RunProgram({"design", "--format", "json"});
  EXPECT_EQ(alias.out, format.out);
  const ProgramRun clash = RunProgram({"design", "--format", "report", "--json"});
  EXPECT_EQ(clash.status, 2);
  const std::string session = TemporaryFile("alias.CFG").string();
  const std::string report = TemporaryFile("alias.txt").string();
  const ProgramRun both = RunProgram({"design", "--save", session, "-o", report});
  EXPECT_EQ(both.status, 0) << both.err;
  EXPECT_EQ(LineCount(ReadBytes(session)), 64);
  EXPECT_TRUE(ReadBytes(report).starts_with("Corvantile design: Pi network"));
  std::filesystem::remove(session);
  std::filesystem::remove(report);
}

TEST(EndToEnd, VersionIsTheProjectVersion) {
  const ProgramRun run = RunProgram({"--version"});
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.out, "corvantile-cli " + std::string(kProjectVersion) + "\n");
  EXPECT_EQ(std::to_string(kProjectVersionMajor) + "." + std::to_string(kProjectVersionMinor),
            kProjectVersion);
}

// The window's own "Version 3.01" is the same number written the window's way: the minor
// version in two digits.
TEST(EndToEnd, WindowVersionTextFollowsTheProjectVersion) {
  StartupValues startup;
  SetStartupValues(startup);
  char minor[8];
  std::snprintf(minor, sizeof minor, "%02d", kProjectVersionMinor);
  EXPECT_EQ(startup.VersionText, "Version " + std::to_string(kProjectVersionMajor) + "." + minor);
}

}  // namespace
}  // namespace corvantile::cli
