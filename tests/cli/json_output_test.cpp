#include "cli/json_output.h"

#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <iterator>
#include <limits>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace corvantile::cli {
namespace {

std::string FloatText(float value) {
  char digits[32];
  return std::string(digits, std::to_chars(std::begin(digits), std::end(digits), value).ptr);
}

// Every finite float, whatever its size, is written as the decimal its own shortest text names
// (never the float's binary expansion), and that text reads back bit for bit as the float.
TEST(StoredNumber, IsTheFloatsDecimalAndReadsBackAsTheSameFloat) {
  std::mt19937 random(20261208);
  for (int i = 0; i < 200000; ++i) {
    const float value = std::bit_cast<float>(static_cast<std::uint32_t>(random()));
    if (!std::isfinite(value)) continue;
    const std::string text = StoredNumber(value).dump();
    const std::string shortest = FloatText(value);
    ASSERT_EQ(std::strtod(text.c_str(), nullptr), std::strtod(shortest.c_str(), nullptr))
        << text << " for " << shortest;
    const float back = std::strtof(text.c_str(), nullptr);
    ASSERT_EQ(std::bit_cast<std::uint32_t>(back), std::bit_cast<std::uint32_t>(value)) << text;
    ASSERT_EQ(text.find_first_not_of("0123456789.-+e"), std::string::npos) << text;
  }
}

struct NumberCase {
  float value;
  const char* text;
};

class StoredNumberText : public testing::TestWithParam<NumberCase> {};

TEST_P(StoredNumberText, IsTheShortestDecimal) {
  EXPECT_EQ(StoredNumber(GetParam().value).dump(), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(
    Stored, StoredNumberText,
    testing::Values(NumberCase{0.1f, "0.1"}, NumberCase{1500.0f, "1500"},
                    NumberCase{-135.0f, "-135"}, NumberCase{3750000.0f, "3750000"},
                    NumberCase{1e15f, "1e+15"}, NumberCase{-1e-10f, "-1e-10"},
                    NumberCase{0.0f, "0"}, NumberCase{-0.0f, "-0.0"},
                    NumberCase{4.7e-8f, "4.7e-08"}, NumberCase{1.1755e-38f, "1.1755e-38"},
                    NumberCase{std::numeric_limits<float>::max(), "3.4028235e+38"},
                    NumberCase{std::numeric_limits<float>::quiet_NaN(), "null"},
                    NumberCase{std::numeric_limits<float>::infinity(), "null"},
                    NumberCase{-std::numeric_limits<float>::infinity(), "null"}));

// Computed doubles keep every digit a reader needs; what is not finite or missing is null,
// already in the value and not only in its text.
TEST(ComputedNumber, KeepsTheDoubleAndNullsWhatIsNotFinite) {
  EXPECT_EQ(ComputedNumber(0.1).dump(), "0.1");
  EXPECT_EQ(std::strtod(ComputedNumber(1.0 / 3.0).dump().c_str(), nullptr), 1.0 / 3.0);
  EXPECT_EQ(ComputedNumber(2449.489742783178).dump(), "2449.489742783178");
  EXPECT_TRUE(ComputedNumber(std::nan("")).is_null());
  EXPECT_TRUE(ComputedNumber(HUGE_VAL).is_null());
  EXPECT_TRUE(ComputedNumber(-HUGE_VAL).is_null());
  EXPECT_TRUE(OptionalNumber(std::nullopt).is_null());
  EXPECT_TRUE(OptionalNumber(std::numeric_limits<double>::infinity()).is_null());
  EXPECT_EQ(OptionalNumber(-2.5).dump(), "-2.5");
}

// Members stay in the order they were set in, a member set again keeps its place, and the
// document is one line whatever its strings hold.
TEST(JsonLine, KeepsTheOrderOnOneLine) {
  const std::vector<float> numbers{1.5f, -2.0f};
  Json object;
  object["b"] = false;
  object["a"] = StoredNumbers(numbers);
  object["c"] = {"1.5 k"};
  object["d"] = Json{{"x", StoredNumber(2.0f)}};
  object["e"] = "a\"b\\c\nd\te\x01";
  object["b"] = true;
  EXPECT_EQ(JsonLine(object),
            "{\"b\":true,\"a\":[1.5,-2],\"c\":[\"1.5 k\"],\"d\":{\"x\":2},"
            "\"e\":\"a\\\"b\\\\c\\nd\\te\\u0001\"}\n");
  EXPECT_EQ(JsonLine(Json::object()), "{}\n");
}

// A file name in Latin-1 is no reason to fail: its byte is replaced, the rest written.
TEST(JsonLine, ReplacesBytesThatAreNotUtf8) {
  const std::string line = JsonLine(Json{{"file", "antenne_\xe9t\xe9.s1p"}});
  EXPECT_EQ(line, "{\"file\":\"antenne_\xef\xbf\xbdt\xef\xbf\xbd.s1p\"}\n");
  EXPECT_EQ(Json::parse(line)["file"], "antenne_\xef\xbf\xbdt\xef\xbf\xbd.s1p");
}

}  // namespace
}  // namespace corvantile::cli
