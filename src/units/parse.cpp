#include "units/parse.h"

#include <array>
#include <charconv>
#include <cmath>
#include <cstddef>
#include <limits>
#include <string_view>
#include <system_error>

#include "units/precision.h"

namespace corvantile {
namespace {

using precision::D;
using precision::F;

constexpr std::size_t kMaxCharacters = 12;
constexpr float kLimit = 1e10f;  // exact in float

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// The multiplier of a prefix letter, each held as the float nearest its power of ten, or 0 for
// any other character. Only "m" and "M" differ by case.
float PrefixMultiplier(char c) {
  switch (c) {
    case 'p':
    case 'P':
      return 1e-12f;
    case 'n':
    case 'N':
      return 1e-9f;
    case 'u':
    case 'U':
      return 1e-6f;
    case 'm':
      return 1e-3f;
    case 'k':
    case 'K':
      return 1e3f;
    case 'M':
      return 1e6f;
    case 'g':
    case 'G':
      return 1e9f;
    default:
      return 0.0f;
  }
}

bool EqualsIgnoringCase(char c, char lower) {
  // Setting bit 5 folds ASCII upper case onto lower case and maps no other byte onto a letter.
  return static_cast<char>(c | 0x20) == lower;
}

bool IsOhmAt(std::string_view text, std::size_t i) {
  return i + 3 <= text.size() && EqualsIgnoringCase(text[i], 'o') &&
         EqualsIgnoringCase(text[i + 1], 'h') && EqualsIgnoringCase(text[i + 2], 'm');
}

bool OnlyBlanksBetween(std::string_view text, std::size_t after, std::size_t before) {
  for (std::size_t i = after + 1; i < before; ++i) {
    if (text[i] != ' ') return false;
  }
  return true;
}

// The characters that make up the number, in input order. Every input character adds at most
// one, so it never holds more than the characters read.
class NumberText {
 public:
  void Append(char c) { chars_[size_++] = c; }
  bool Empty() const { return size_ == 0; }
  char Back() const { return chars_[size_ - 1]; }
  std::string_view View() const { return {chars_.data(), size_}; }

 private:
  std::array<char, kMaxCharacters> chars_{};
  std::size_t size_ = 0;
};

NumberText Scan(std::string_view text, float& multiplier) {
  NumberText number;
  bool pointSeen = false;
  bool exponentSeen = false;
  bool prefixSeen = false;
  bool resistorCodeDigits = false;  // taking the digits right after a resistor-code letter
  std::size_t lastTaken = 0;        // input position of the last character taken

  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (resistorCodeDigits) {
      if (IsDigit(c)) {
        number.Append(c);
        lastTaken = i;
        continue;
      }
      resistorCodeDigits = false;
    }
    if (!prefixSeen && IsDigit(c)) {
      number.Append(c);
      lastTaken = i;
      continue;
    }
    if (c == '.' && !prefixSeen && !pointSeen) {
      pointSeen = true;
      number.Append('.');
      lastTaken = i;
      continue;
    }
    if (c == '+' || c == '-') {
      if (number.Empty() || number.Back() == 'E') {
        number.Append(c);
        lastTaken = i;
      }
      continue;
    }
    // An exponent or prefix letter before the first taken character is ignored.
    if (number.Empty()) continue;
    if ((c == 'e' || c == 'E') && !prefixSeen) {
      if (!exponentSeen) {
        exponentSeen = true;
        pointSeen = true;  // no point is taken after the exponent letter
        number.Append('E');
        lastTaken = i;
      }
      continue;
    }
    // After the exponent letter only its digits and sign count; after a prefix nothing does.
    if (exponentSeen || prefixSeen) continue;
    if (IsOhmAt(text, i) && OnlyBlanksBetween(text, lastTaken, i)) {
      i += 2;  // the "m" of the unit word is not a milli prefix
      continue;
    }
    const float prefix = PrefixMultiplier(c);
    if (prefix != 0.0f) {
      multiplier = prefix;
      prefixSeen = true;
      // Resistor code: in "4k7" the letter stands for the decimal point.
      if (!pointSeen && IsDigit(text[i - 1]) && i + 1 < text.size() && IsDigit(text[i + 1])) {
        pointSeen = true;
        number.Append('.');
        resistorCodeDigits = true;
      }
    }
  }
  return number;
}

// The value of a well-formed number text: optional sign, digits with at most one point,
// optionally "E", an optional sign and digits. Sets overflow when the magnitude leaves the float
// range.
double ReadNumber(std::string_view number, bool& negative, bool& overflow) {
  negative = false;
  overflow = false;
  if (!number.empty() && (number.front() == '+' || number.front() == '-')) {
    negative = number.front() == '-';
    number.remove_prefix(1);
  }
  const std::size_t ePosition = number.find('E');
  const std::string_view mantissa = number.substr(0, ePosition);
  bool hasDigit = false;
  for (const char c : mantissa) hasDigit = hasDigit || IsDigit(c);
  if (!hasDigit) return 0.0;  // "", "-", ".", and the digits-only-after-"E" forms "-E5", ".E5"

  double magnitude = 0.0;
  const std::from_chars_result read = std::from_chars(number.data(), number.data() + number.size(),
                                                      magnitude, std::chars_format::general);
  if (read.ec == std::errc::result_out_of_range) {
    // With at most 12 characters only a negative exponent can make the number too small.
    const bool tooSmall = ePosition != std::string_view::npos && ePosition + 1 < number.size() &&
                          number[ePosition + 1] == '-';
    if (tooSmall) return 0.0;
    overflow = true;
    return 0.0;
  }
  if (read.ec != std::errc()) return 0.0;
  if (magnitude > D(std::numeric_limits<float>::max())) overflow = true;
  return negative ? -magnitude : magnitude;
}

}  // namespace

float ParseValue(std::string_view text) {
  const std::size_t first = text.find_first_not_of(' ');
  if (first == std::string_view::npos) return 0.0f;
  const std::size_t last = text.find_last_not_of(' ');
  text = text.substr(first, last - first + 1).substr(0, kMaxCharacters);

  float multiplier = 1.0f;
  const NumberText number = Scan(text, multiplier);

  bool negative = false;
  bool overflow = false;
  const double value = ReadNumber(number.View(), negative, overflow);
  if (overflow) return negative ? -kLimit : kLimit;

  // Both roundings below stay inside the float range (an overflow has been dealt with above).
  const float rounded = F(value);
  const double product = D(rounded) * D(multiplier);
  if (std::fabs(product) > D(std::numeric_limits<float>::max())) {
    return product < 0.0 ? -kLimit : kLimit;
  }
  const float result = F(product);
  if (result > kLimit) return kLimit;
  if (result < -kLimit) return -kLimit;
  return result + 0.0f;  // turns a negative zero ("-0") into 0
}

}  // namespace corvantile
