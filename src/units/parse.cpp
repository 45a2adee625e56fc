#include "units/parse.h"

#include <array>
#include <charconv>
#include <cmath>
#include <cstddef>
#include <limits>
#include <optional>
#include <string>
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

namespace corvantile {
namespace {

constexpr std::string_view kNotAValue =
    "is not a value (a number with an optional prefix p, n, u, m, k, M or G: 3.75M, -100p, 4k7)";

// The power of ten of a prefix letter, or nothing for any other character.
std::optional<int> PrefixExponent(char c) {
  switch (c) {
    case 'p':
    case 'P':
      return -12;
    case 'n':
    case 'N':
      return -9;
    case 'u':
    case 'U':
      return -6;
    case 'm':
      return -3;
    case 'k':
    case 'K':
      return 3;
    case 'M':
      return 6;
    case 'g':
    case 'G':
      return 9;
    default:
      return std::nullopt;
  }
}

std::size_t Digits(std::string_view text, std::size_t at) {
  std::size_t end = at;
  while (end < text.size() && IsDigit(text[end])) ++end;
  return end - at;
}

}  // namespace

StrictValue ParseValueStrict(std::string_view text) {
  StrictValue read;
  read.problem = StrictProblem::NotAValue;
  const std::size_t first = text.find_first_not_of(' ');
  if (first == std::string_view::npos) return read;
  text = text.substr(first, text.find_last_not_of(' ') - first + 1);
  // The number as std::from_chars reads it, a prefix turned into its exponent.
  std::string number;
  std::size_t k = 0;
  if (text[k] == '+' || text[k] == '-') {
    if (text[k] == '-') number += '-';
    ++k;
  }
  const std::size_t whole = Digits(text, k);
  number += text.substr(k, whole);
  k += whole;
  std::size_t fraction = 0;
  bool point = false;
  if (k < text.size() && text[k] == '.') {
    point = true;
    fraction = Digits(text, k + 1);
    number += text.substr(k, fraction + 1);
    k += fraction + 1;
  }
  if (whole + fraction == 0) return read;
  if (k < text.size() && (text[k] == 'e' || text[k] == 'E')) {
    std::size_t e = k + 1;
    if (e < text.size() && (text[e] == '+' || text[e] == '-')) ++e;
    const std::size_t digits = Digits(text, e);
    if (digits == 0) return read;
    number += 'e';
    number += text.substr(k + 1, e + digits - k - 1);
    k = e + digits;
  } else if (k < text.size() && PrefixExponent(text[k])) {
    const int scale = *PrefixExponent(text[k]);
    ++k;
    // The resistor code: "4k7" is 4.7k.
    const std::size_t code = Digits(text, k);
    if (code > 0 && !point && whole > 0) {
      number += '.';
      number += text.substr(k, code);
      k += code;
    }
    number += 'e' + std::to_string(scale);
  }
  if (k != text.size()) return read;
  const auto [ptr, ec] = std::from_chars(number.data(), number.data() + number.size(), read.value,
                                         std::chars_format::general);
  if (ec == std::errc::result_out_of_range) {
    // from_chars leaves the value alone: which way it went is in the exponent's sign.
    const bool small = number.find("e-") != std::string::npos;
    read.value = small ? 0.0 : (number.front() == '-' ? -1.0 : 1.0) * HUGE_VAL;
    read.problem = small ? StrictProblem::TooSmall : StrictProblem::TooLarge;
    return read;
  }
  if (ec != std::errc() || ptr != number.data() + number.size()) return read;
  read.value += 0.0;  // no negative zero
  if (std::fabs(read.value) > kValueLimit) {
    read.problem = StrictProblem::TooLarge;
  } else if (read.value != 0.0 && std::fabs(read.value) < D(std::numeric_limits<float>::min())) {
    read.problem = StrictProblem::TooSmall;
  } else if (text.size() > kValueCharacters &&
             std::fabs(D(ParseValue(text)) - read.value) > 1e-6 * std::fabs(read.value)) {
    // Past 12 characters the entry dialogs read a different value; digits beyond a float's
    // precision ("61.234567891234567") change nothing and are taken.
    read.problem = StrictProblem::TooLong;
  } else {
    read.problem = StrictProblem::None;
  }
  return read;
}

std::string StrictProblemText(StrictProblem problem) {
  switch (problem) {
    case StrictProblem::None:
      return "";
    case StrictProblem::NotAValue:
      return std::string(kNotAValue);
    case StrictProblem::TooLarge:
      return "is outside -10G to 10G, the range of a value";
    case StrictProblem::TooSmall:
      return "is too small: a value other than 0 is at least 1.2e-38";
    case StrictProblem::TooLong:
      return "has more than " + std::to_string(kValueCharacters) +
             " characters, and the entry dialogs would read it as another value";
  }
  return "";
}

}  // namespace corvantile
