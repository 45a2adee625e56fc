// Every command's option table against its parser and its help: what the help lists, the
// parser takes, and the other way round, so that neither can drift from the other. The man
// page and the bash completion are made from the same help.
#include "cli/option_table.h"

#include <array>
#include <string>
#include <string_view>
#include <vector>

#include <gtest/gtest.h>

#include "cli/command_line.h"
#include "cli_test_support.h"

namespace corvantile::cli {
namespace {

using testing_support::CliRun;
using testing_support::RunInProcess;

// Values of which each value option takes at least one when read alone.
constexpr std::array<std::string_view, 19> kSampleValues{"1",
                                                         "2",
                                                         "json",
                                                         "best",
                                                         "tee",
                                                         "series:50:0",
                                                         "3M:4M",
                                                         "2f:30",
                                                         "load",
                                                         "RG-213:30",
                                                         "x2=5",
                                                         "lowpass",
                                                         "E12",
                                                         "normal",
                                                         "5%",
                                                         "bandwidth",
                                                         "2p:10p",
                                                         "2=q:60,cp:0.15p",
                                                         "1=" CORVANTILE_TEST_DATA_DIR
                                                         "/ring_slot_measured.s1p"};

struct Accepted {
  bool found = false;
  std::string value;  // the first sample the option takes; empty for a flag
};

// The first sample value the option is taken with, read by a fresh table of the command.
Accepted AcceptedValue(std::string_view command, const OptionDecl& decl) {
  std::string error;
  if (decl.value_name.empty()) {
    const std::vector<std::string_view> args{decl.name};
    return {ParseOptions(*OptionsOfCommand(command), args, error) == ParseResult::Ready, ""};
  }
  for (const std::string_view value : kSampleValues) {
    const std::vector<std::string_view> args{decl.name, value};
    if (ParseOptions(*OptionsOfCommand(command), args, error) == ParseResult::Ready) {
      return {true, std::string(value)};
    }
  }
  return {};
}

class EveryCommandsOptions : public testing::TestWithParam<std::string_view> {};

TEST_P(EveryCommandsOptions, AreListedInItsHelpAndTakenByItsParser) {
  const std::string_view command = GetParam();
  const CliRun help = RunInProcess({command, "--help"});
  ASSERT_EQ(help.status, kExitOk) << help.err;
  const CommandOptions options = *OptionsOfCommand(command);
  ASSERT_FALSE(AllOptions(options).empty());
  for (const OptionDecl* decl : AllOptions(options)) {
    std::string listed = std::string(decl->name);
    if (!decl->value_name.empty()) listed += " " + std::string(decl->value_name);
    const bool inHelp = help.out.find("  " + listed) != std::string::npos ||
                        help.out.find(", " + listed) != std::string::npos;
    EXPECT_TRUE(inHelp) << command << " --help lacks " << listed;
    if (decl->name == "--help") continue;
    EXPECT_TRUE(AcceptedValue(command, *decl).found) << command << " refuses " << decl->name;
  }
}

TEST_P(EveryCommandsOptions, RefuseASecondOfASingleOption) {
  const std::string_view command = GetParam();
  const CommandOptions options = *OptionsOfCommand(command);
  for (const OptionDecl* decl : AllOptions(options)) {
    if (decl->name == "--help") continue;
    const Accepted accepted = AcceptedValue(command, *decl);
    if (!accepted.found) continue;  // reported by the test above
    std::vector<std::string_view> args{decl->name};
    if (!decl->value_name.empty()) args.push_back(accepted.value);
    const std::vector<std::string_view> once = args;
    args.insert(args.end(), once.begin(), once.end());
    std::string error;
    const ParseResult twice = ParseOptions(*OptionsOfCommand(command), args, error);
    if (decl->repeats) {
      EXPECT_EQ(twice, ParseResult::Ready) << command << " " << decl->name << ": " << error;
    } else {
      EXPECT_EQ(twice, ParseResult::Failed) << command << " " << decl->name;
      EXPECT_NE(error.find(std::string(decl->name) + " may be given only once"), std::string::npos)
          << command << ": " << error;
    }
  }
}

// "--power=" and "--power ''" name no value ("--save=" no file); "--json=" gives a flag one.
TEST_P(EveryCommandsOptions, RefuseAnEmptyValueAndAValueForAFlag) {
  const std::string_view command = GetParam();
  const CommandOptions options = *OptionsOfCommand(command);
  for (const OptionDecl* decl : AllOptions(options)) {
    const std::string inlineEmpty = std::string(decl->name) + "=";
    const bool flag = decl->value_name.empty();
    const std::string expected =
        std::string(decl->name) + (flag                         ? " takes no value"
                                   : decl->value_name == "FILE" ? " needs a file name"
                                                                : " needs a value");
    for (const std::vector<std::string_view>& args :
         {std::vector<std::string_view>{inlineEmpty},
          flag ? std::vector<std::string_view>{inlineEmpty}
               : std::vector<std::string_view>{decl->name, ""}}) {
      std::string error;
      EXPECT_EQ(ParseOptions(*OptionsOfCommand(command), args, error), ParseResult::Failed)
          << command << " " << args.front();
      EXPECT_NE(error.find(expected), std::string::npos) << command << ": " << error;
    }
  }
}

TEST_P(EveryCommandsOptions, RefuseAnUnknownOptionInOneLineWithStatusTwo) {
  const std::string_view command = GetParam();
  for (const char* form : {"--no-such-option", "--no-such-option=1"}) {
    const CliRun run = RunInProcess({command, form});
    EXPECT_EQ(run.status, kExitUsage) << command;
    EXPECT_EQ(run.out, "");
    EXPECT_TRUE(run.err.starts_with("corvantile-cli: " + std::string(command) +
                                    ": unknown option '--no-such-option' ("))
        << run.err;
    EXPECT_EQ(run.err.find('\n'), run.err.size() - 1) << run.err;
  }
}

INSTANTIATE_TEST_SUITE_P(Commands, EveryCommandsOptions, testing::ValuesIn(CommandNamesInOrder()),
                         [](const testing::TestParamInfo<std::string_view>& param) {
                           return std::string(param.param);
                         });

// What the parser does with the words around an option, on one small table.
struct Walk {
  std::vector<std::string_view> args;
  ParseResult result;
  std::string error;  // the whole message
  std::string power;  // what --power read
  std::vector<std::string> operands;
};

void PrintTo(const Walk& walk, std::ostream* os) {
  for (const std::string_view a : walk.args) *os << a << ' ';
}

class ParserWalk : public testing::TestWithParam<Walk> {};

TEST_P(ParserWalk, TakesValuesAndOperandsAsDeclared) {
  std::string power;
  std::vector<std::string> operands;
  bool quiet = false;
  const CommandOptions options{
      .command = "demo",
      .groups = {{"Options:\n",
                  {{.name = "--power",
                    .value_name = "W",
                    .help = "power",
                    .read =
                        [&](std::string_view v, std::string&) {
                          power = std::string(v);
                          return true;
                        }},
                   {.name = "--quiet",
                    .help = "quiet",
                    .read =
                        [&](std::string_view, std::string&) {
                          quiet = true;
                          return true;
                        }},
                   HelpOption()}}},
      .operand =
          [&](std::string_view a, std::string&) {
            operands.emplace_back(a);
            return true;
          },
      .text_operands = true,
  };
  std::string error;
  const Walk& walk = GetParam();
  EXPECT_EQ(ParseOptions(options, walk.args, error), walk.result);
  EXPECT_EQ(error, walk.error);
  EXPECT_EQ(power, walk.power);
  EXPECT_EQ(operands, walk.operands);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, ParserWalk,
    testing::Values(
        Walk{{"--power", "-90"}, ParseResult::Ready, "", "-90", {}},
        Walk{{"--power=a=b"}, ParseResult::Ready, "", "a=b", {}},
        Walk{{"-100p", "--power", "1k", "-"}, ParseResult::Ready, "", "1k", {"-100p", "-"}},
        Walk{{"--", "--power", "-h"}, ParseResult::Ready, "", "", {"--power", "-h"}},
        Walk{{"x", "-h", "--power"}, ParseResult::Help, "", "", {"x"}},
        Walk{{"--power"}, ParseResult::Failed, "demo: --power needs a value", "", {}},
        Walk{{"--quiet=no"}, ParseResult::Failed, "demo: --quiet takes no value", "", {}},
        Walk{{"--help=me"}, ParseResult::Failed, "demo: --help takes no value", "", {}},
        Walk{{"--loud"},
             ParseResult::Failed,
             "demo: unknown option '--loud' (put -- before a text that starts with --)",
             "",
             {}}));

}  // namespace
}  // namespace corvantile::cli
