#include "cli/json_output.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <iterator>
#include <string_view>

#include "units/precision.h"

namespace corvantile::cli {

Json StoredNumber(float value) {
  if (!std::isfinite(value)) return nullptr;
  // A whole number that the float's shortest text writes without an exponent goes in as an
  // integer, so it reads as it was entered ("1500", not the library's "1500.0" for a double);
  // -0 stays a double to keep its sign.
  char digits[32];
  const char* end = std::to_chars(std::begin(digits), std::end(digits), value).ptr;
  const std::string_view text(digits, static_cast<std::size_t>(end - digits));
  if (text.find_first_not_of("-0123456789") == std::string_view::npos && text != "-0") {
    std::int64_t whole = 0;
    std::from_chars(text.data(), text.data() + text.size(), whole);
    return whole;
  }
  return precision::Decimal(value);
}

Json StoredNumbers(std::span<const float> values) {
  Json array = Json::array();
  for (const float value : values) array.push_back(StoredNumber(value));
  return array;
}

Json ComputedNumber(double value) {
  if (!std::isfinite(value)) return nullptr;
  return value;
}

Json OptionalNumber(const std::optional<double>& value) {
  return value ? ComputedNumber(*value) : Json(nullptr);
}

std::string JsonLine(const Json& json) {
  return json.dump(-1, ' ', false, Json::error_handler_t::replace) + '\n';
}

}  // namespace corvantile::cli
