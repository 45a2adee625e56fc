#include "cli/json_writer.h"

#include <array>
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <random>
#include <string>

#include <gtest/gtest.h>

namespace corvantile::cli {
namespace {

// Every finite float, whatever its size, reads back bit for bit from its JSON text.
TEST(JsonNumber, ReadsBackAsTheSameFloat) {
  std::mt19937 random(20261208);
  for (int i = 0; i < 200000; ++i) {
    const float value = std::bit_cast<float>(static_cast<std::uint32_t>(random()));
    if (!std::isfinite(value)) continue;
    const std::string text = JsonNumber(value);
    const float back = std::strtof(text.c_str(), nullptr);
    ASSERT_EQ(std::bit_cast<std::uint32_t>(back), std::bit_cast<std::uint32_t>(value)) << text;
    ASSERT_EQ(text.find_first_not_of("0123456789.-+e"), std::string::npos) << text;
  }
}

TEST(JsonNumber, WritesTheStoredValuesPlainly) {
  EXPECT_EQ(JsonNumber(1500.0f), "1500");
  EXPECT_EQ(JsonNumber(-135.0f), "-135");
  EXPECT_EQ(JsonNumber(1e15f), "1e+15");
  EXPECT_EQ(JsonNumber(0.0f), "0");
}

TEST(JsonNumber, NonFiniteValuesAreNull) {
  EXPECT_EQ(JsonNumber(std::numeric_limits<float>::quiet_NaN()), "null");
  EXPECT_EQ(JsonNumber(std::numeric_limits<float>::infinity()), "null");
  EXPECT_EQ(JsonNumber(-std::numeric_limits<float>::infinity()), "null");
}

TEST(JsonString, EscapesWhatJsonRequires) {
  EXPECT_EQ(JsonString("Input Q:  4.16"), "\"Input Q:  4.16\"");
  EXPECT_EQ(JsonString("a\"b\\c\nd\te\x01"), "\"a\\\"b\\\\c\\nd\\te\\u0001\"");
}

TEST(JsonObject, KeepsTheOrderAndReplacesARepeatedKeyInPlace) {
  JsonObject object;
  const std::array<float, 2> numbers{1.5f, -2.0f};
  const std::array<bool, 2> flags{true, false};
  const std::array<std::string, 1> texts{"1.5 k"};
  object.AddNumberArray("a", numbers).AddBool("b", false).AddStringArray("c", texts);
  object.AddBoolArray("d", flags).AddObject("e", JsonObject().AddNumber("x", 2.0f));
  object.AddBool("b", true);
  EXPECT_TRUE(object.Has("e"));
  EXPECT_FALSE(object.Has("f"));
  EXPECT_EQ(object.Text(),
            "{\"a\":[1.5,-2],\"b\":true,\"c\":[\"1.5 k\"],\"d\":[true,false],\"e\":{\"x\":2}}");
  EXPECT_EQ(JsonObject().Text(), "{}");
}

// Doubles keep every digit; nested objects and arrays of objects nest as written; a value that is
// not finite, optional or not, is null and never NaN or inf.
TEST(JsonObject, NestsDoublesObjectsAndArraysOfObjects) {
  JsonArray rows;
  rows.AddObject(JsonObject().AddDouble("f", 0.1).AddOptionalDouble("r", std::nullopt));
  rows.AddObject(JsonObject().AddDouble("f", std::nan("")).AddOptionalDouble("r", 1.0 / 3.0));
  JsonObject object;
  object.AddArray("rows", rows)
      .AddObject("inner", JsonObject().AddNull("n").AddDouble("x", -HUGE_VAL))
      .AddOptionalDouble("o", std::numeric_limits<double>::infinity());
  EXPECT_EQ(object.Text(),
            "{\"rows\":[{\"f\":0.1,\"r\":null},{\"f\":null,\"r\":0.3333333333333333}],"
            "\"inner\":{\"n\":null,\"x\":null},\"o\":null}");
  EXPECT_EQ(std::strtod(JsonDouble(1.0 / 3.0).c_str(), nullptr), 1.0 / 3.0);
}

}  // namespace
}  // namespace corvantile::cli
