// The option parser on a table of its own.
#include "cli/option_table.h"

#include <string>
#include <string_view>
#include <vector>

#include <gtest/gtest.h>

namespace corvantile::cli {
namespace {

namespace testing = ::testing;

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
