#include "cli/value_commands.h"

#include <bit>
#include <cstdint>
#include <cstdio>
#include <random>
#include <string>

#include <gtest/gtest.h>

#include "cli/option_table.h"
#include "cli_test_support.h"

namespace corvantile::cli {
namespace {

using testing_support::RunInProcess;

struct OutputRow {
  const char* name;
  std::vector<std::string_view> args;
  std::string_view out;  // exactly, trailing blanks and newlines included
};

void PrintTo(const OutputRow& row, std::ostream* os) { *os << row.name; }

class ValueCommandOutput : public testing::TestWithParam<OutputRow> {};

TEST_P(ValueCommandOutput, IsExact) {
  const OutputRow& row = GetParam();
  std::vector<std::string_view> args = row.args;
  std::ostringstream out;
  std::ostringstream err;
  const int status = args.front() == "parse"
                         ? RunParseCommand(std::span(args).subspan(1), out, err)
                         : RunFormatCommand(std::span(args).subspan(1), out, err);
  EXPECT_EQ(status, kExitOk) << err.str();
  EXPECT_EQ(out.str(), row.out);
  EXPECT_EQ(err.str(), "");
}

INSTANTIATE_TEST_SUITE_P(
    Rows, ValueCommandOutput,
    testing::Values(OutputRow{"ParseEngineeringNotation",
                              {"parse", "3.75MHz", "-100p", "2k2", "abc", "99999999999", "1.5E3k"},
                              "3750000\n-1.00000001e-10\n2200\n0\n1e+10\n1500\n"},
                    OutputRow{"ParseAfterDoubleDash", {"parse", "--", "--help"}, "0\n"},
                    OutputRow{"FormatFrequencyKeepsBlanks",
                              {"format", "frequency", "3.75M", "0", "0.5", "999.9999", "-.5"},
                              " 3.75 M\n0.0 \n 500 m\n 1000 \n-500 m\n"},
                    OutputRow{
                        "FormatCapacitanceByDecades",
                        {"format", "capacitance", "1e-10", "4.7e-8", "2.2n", "5e-15", "-100p"},
                        "100 pF\n0.047 uF\n2200 pF\n\n-100 pF\n"},
                    OutputRow{"FormatInductance",
                              {"format", "inductance", "4.7u", "2.2e-7", "1u"},
                              "4.7 uH\n220 nH\n1000 nH\n"},
                    OutputRow{"FormatEngineering",
                              {"format", "engineering", "1234.567", "-25.3", "0"},
                              "1.23457 k\n-25.3 \n\n"},
                    OutputRow{"FormatQuantityBeyondTheParserLimit",
                              {"format", "quantity", "1.5e16", "70.7107", "0.0012345", "+1k"},
                              "1.5E+07 G\n70.711 \n0.00123 \n1 k\n"}),
    [](const testing::TestParamInfo<OutputRow>& param) { return std::string(param.param.name); });

struct ErrorRow {
  const char* name;
  std::vector<std::string_view> args;
  std::string_view error;
};

void PrintTo(const ErrorRow& row, std::ostream* os) { *os << row.name; }

class ValueCommandErrors : public testing::TestWithParam<ErrorRow> {};

TEST_P(ValueCommandErrors, GiveOneLineAndStatusTwo) {
  const ErrorRow& row = GetParam();
  std::vector<std::string_view> args = row.args;
  std::ostringstream out;
  std::ostringstream err;
  const int status = args.front() == "parse"
                         ? RunParseCommand(std::span(args).subspan(1), out, err)
                         : RunFormatCommand(std::span(args).subspan(1), out, err);
  EXPECT_EQ(status, kExitUsage);
  EXPECT_EQ(out.str(), "");
  EXPECT_NE(err.str().find(row.error), std::string::npos) << err.str();
  EXPECT_EQ(testing_support::LineCount(err.str()), 1) << err.str();
}

INSTANTIATE_TEST_SUITE_P(
    Rows, ValueCommandErrors,
    testing::Values(
        ErrorRow{"ParseWithoutText", {"parse"}, "parse needs at least one TEXT"},
        ErrorRow{"ParseUnknownOption", {"parse", "--exact", "1"}, "unknown option '--exact'"},
        ErrorRow{"FormatWithoutKind", {"format"}, "format needs a KIND"},
        ErrorRow{"FormatUnknownKind", {"format", "resistance", "1"}, "unknown KIND 'resistance'"},
        ErrorRow{"FormatWithoutValue", {"format", "quantity"}, "at least one VALUE"},
        ErrorRow{"FormatValueWithoutDigit", {"format", "quantity", "1", "k"}, "'k' is not a value"},
        ErrorRow{"FormatOutOfFloatRange",
                 {"format", "quantity", "1e39"},
                 "outside the 32-bit float range"}),
    [](const testing::TestParamInfo<ErrorRow>& param) { return std::string(param.param.name); });

// The parse command's digits are those of C's %.9g, without depending on the locale.
TEST(NineDigits, MatchesPrintfNineSignificantDigits) {
  std::mt19937 random(42);
  for (int i = 0; i < 100000; ++i) {
    const float value = std::bit_cast<float>(static_cast<std::uint32_t>(random()));
    if (!std::isfinite(value)) continue;
    char expected[64];
    std::snprintf(expected, sizeof expected, "%.9g", static_cast<double>(value));
    ASSERT_EQ(NineDigits(value), expected);
  }
}

TEST(ReadFormatValue, ReadsPlainNumbersExactlyAndTheRestWithTheParser) {
  float value = 0.0f;
  std::string error;
  ASSERT_TRUE(ReadFormatValue("1.5e16", value, error));
  EXPECT_EQ(value, 1.5e16f);
  ASSERT_TRUE(ReadFormatValue("0.1", value, error));
  EXPECT_EQ(value, 0.1f);
  ASSERT_TRUE(ReadFormatValue("4.7u", value, error));
  EXPECT_FLOAT_EQ(value, 4.7e-6f);
  ASSERT_TRUE(ReadFormatValue("1.5.3", value, error));  // not a plain number: the parser's reading
  EXPECT_FLOAT_EQ(value, 1.53f);
  EXPECT_FALSE(ReadFormatValue("nan", value, error));
  EXPECT_FALSE(ReadFormatValue("-1e39", value, error));
}

TEST(ValueCommands, HelpDocumentsEveryKind) {
  const auto run = RunInProcess({"format", "--help"});
  EXPECT_EQ(run.status, kExitOk);
  for (const char* kind : {"frequency", "capacitance", "inductance", "engineering", "quantity"}) {
    EXPECT_NE(run.out.find(kind), std::string::npos) << kind;
  }
  EXPECT_EQ(RunInProcess({"parse", "--help"}).status, kExitOk);
}

}  // namespace
}  // namespace corvantile::cli
