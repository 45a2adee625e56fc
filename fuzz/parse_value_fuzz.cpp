// ParseValue on arbitrary bytes: it never fails, its value is finite, within +/-1e10 and never
// a negative zero, the same bytes always read the same, and a value shown by the entry dialogs'
// formatter reads back as the value rounded to the digits shown (what an empty box re-enters).
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

#include "fuzz_check.h"
#include "units/format.h"
#include "units/parse.h"

namespace {

// The smallest magnitude FormatEngineering shows (its pico range starts at 1e-14); below it
// the text is empty and reads back as 0.
constexpr double kSmallestShown = 1e-14;

std::uint32_t Bits(float value) {
  std::uint32_t bits;
  std::memcpy(&bits, &value, sizeof bits);
  return bits;
}

void CheckShownValueReadsBack(float value) {
  const std::string shown = corvantile::FormatEngineering(value);
  const float back = corvantile::ParseValue(shown);
  const double magnitude = std::fabs(static_cast<double>(value));
  if (magnitude < kSmallestShown * 0.99) {
    FUZZ_REQUIRE(back == 0.0f, "%.9g shown as '%s' reads back as %.9g", static_cast<double>(value),
                 shown.c_str(), static_cast<double>(back));
    return;
  }
  if (magnitude < kSmallestShown * 1.01) return;  // either side of the boundary is right
  // At least 6 significant digits are shown, 2 when a pico value is near 0.01 p: the
  // difference is at most half a unit of the last digit shown, plus the float roundings.
  const double shownDecimalsError = magnitude < 1e-12 ? 5e-7 * 1e-12 : 5e-6 * magnitude;
  const double difference = std::fabs(static_cast<double>(back) - static_cast<double>(value));
  FUZZ_REQUIRE(difference <= shownDecimalsError * 1.01 + 1e-7 * magnitude,
               "%.9g shown as '%s' reads back as %.9g", static_cast<double>(value), shown.c_str(),
               static_cast<double>(back));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const float value = corvantile::ParseValue(text);

  FUZZ_REQUIRE(std::isfinite(value), "'%.*s' -> %g", static_cast<int>(size), text.data(),
               static_cast<double>(value));
  FUZZ_REQUIRE(std::fabs(value) <= 1e10f, "'%.*s' -> %.9g", static_cast<int>(size), text.data(),
               static_cast<double>(value));
  FUZZ_REQUIRE(!(value == 0.0f && std::signbit(value)), "'%.*s' -> -0", static_cast<int>(size),
               text.data());

  // The same text elsewhere in memory (a text box's own copy) reads bit for bit the same.
  const std::string copy(text);
  const float again = corvantile::ParseValue(copy);
  FUZZ_REQUIRE(Bits(again) == Bits(value), "'%.*s' -> %.9g, then %.9g", static_cast<int>(size),
               text.data(), static_cast<double>(value), static_cast<double>(again));

  CheckShownValueReadsBack(value);
  return 0;
}
