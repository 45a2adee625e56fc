// The session reader on arbitrary bytes (a LastSession.CFG edited or damaged by hand): it
// never fails; it yields either 63 finite values or the defaults over what it read; and the
// file written from the result reads back to the same values within the 7 significant digits
// the file keeps, whatever its line ends or separators, and is written again byte for byte.
#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

#include "fuzz_check.h"
#include "session_values.h"
#include "state/circuit_state.h"
#include "state/session_file.h"

namespace {

using corvantile::RunState;
using corvantile::SessionValueCount;
using corvantile::hardening::InFileOrder;
using corvantile::hardening::Marked;
using corvantile::hardening::Replaced;

// The defaults, and which indexes they cover: StoreDefaults over NaN marks the covered ones.
struct Defaults {
  RunState values;
  std::array<bool, SessionValueCount> covered{};
};

const Defaults& TheDefaults() {
  static const Defaults defaults = [] {
    Defaults d;
    for (int k = 0; k < SessionValueCount; ++k) InFileOrder(d.values, k) = std::nanf("");
    corvantile::StoreDefaults(d.values);
    for (int k = 0; k < SessionValueCount; ++k) {
      d.covered[static_cast<std::size_t>(k)] = !std::isnan(InFileOrder(d.values, k));
    }
    return d;
  }();
  return defaults;
}

std::uint32_t Bits(float value) {
  std::uint32_t bits;
  std::memcpy(&bits, &value, sizeof bits);
  return bits;
}

// A value line: a blank or "-", a number of at most 7 significant digits, a blank.
bool IsValueLine(std::string_view line) {
  if (line.size() < 3 || (line.front() != ' ' && line.front() != '-') || line.back() != ' ') {
    return false;
  }
  const std::string_view number = line.substr(1, line.size() - 2);
  const std::size_t e = number.find('E');
  const std::string_view mantissa = number.substr(0, e);
  int digits = 0;
  bool leading = true;
  for (const char c : mantissa) {
    if (c == '.') continue;
    if (c < '0' || c > '9') return false;
    if (c != '0') leading = false;
    if (!leading) ++digits;
  }
  if (digits > 7) return false;
  if (e == std::string_view::npos) return true;
  const std::string_view exponent = number.substr(e + 1);
  return exponent.size() >= 3 && (exponent[0] == '+' || exponent[0] == '-') &&
         std::all_of(exponent.begin() + 1, exponent.end(),
                     [](char c) { return c >= '0' && c <= '9'; });
}

void CheckWrittenForm(const std::string& written) {
  std::size_t start = 0;
  int line = 0;
  for (std::size_t end; (end = written.find("\r\n", start)) != std::string::npos; start = end + 2) {
    const std::string_view text(written.data() + start, end - start);
    if (line == 0) {
      FUZZ_REQUIRE(text == corvantile::kSessionHeader, "header '%.*s'",
                   static_cast<int>(text.size()), text.data());
    } else {
      FUZZ_REQUIRE(IsValueLine(text), "line %d '%.*s'", line + 1, static_cast<int>(text.size()),
                   text.data());
    }
    ++line;
  }
  FUZZ_REQUIRE(line == 1 + SessionValueCount && start == written.size(), "%d lines", line);
}

void CheckSameValues(const RunState& left, const RunState& right, const char* how) {
  for (int k = 0; k < SessionValueCount; ++k) {
    FUZZ_REQUIRE(Bits(InFileOrder(left, k)) == Bits(InFileOrder(right, k)),
                 "%s: value %d reads %.9g instead of %.9g", how, k,
                 static_cast<double>(InFileOrder(left, k)),
                 static_cast<double>(InFileOrder(right, k)));
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  RunState state = Marked();
  const bool complete = corvantile::ReadSessionText(text, state);

  const Defaults& defaults = TheDefaults();
  for (int k = 0; k < SessionValueCount; ++k) {
    const float value = InFileOrder(state, k);
    FUZZ_REQUIRE(std::isfinite(value), "value %d is %g", k, static_cast<double>(value));
    if (!complete && defaults.covered[static_cast<std::size_t>(k)]) {
      const float expected = InFileOrder(defaults.values, k);
      FUZZ_REQUIRE(Bits(value) == Bits(expected), "incomplete file: value %d is %.9g, not %.9g", k,
                   static_cast<double>(value), static_cast<double>(expected));
    }
  }

  const std::string written = corvantile::SessionFileText(state);
  CheckWrittenForm(written);

  RunState reread = Marked();
  FUZZ_REQUIRE(corvantile::ReadSessionText(written, reread), "the written file reads short");
  for (int k = 0; k < SessionValueCount; ++k) {
    const double before = static_cast<double>(InFileOrder(state, k));
    const double after = static_cast<double>(InFileOrder(reread, k));
    // Half a unit of the seventh digit, the float rounding of the digits read, and the
    // spacing of the smallest (subnormal) floats.
    const double allowed = 5.7e-7 * std::fabs(before) + 1.5e-45;
    FUZZ_REQUIRE(std::fabs(after - before) <= allowed, "value %d: %.9g written, %.9g read", k,
                 before, after);
  }
  const std::string rewritten = corvantile::SessionFileText(reread);
  FUZZ_REQUIRE(rewritten == written, "written again differently:\n%s\nthen\n%s", written.c_str(),
               rewritten.c_str());

  // The same file with LF line ends, and with its values separated by commas, reads the same.
  RunState lf = Marked();
  FUZZ_REQUIRE(corvantile::ReadSessionText(Replaced(written, "\r\n", "\n"), lf), "LF file short");
  CheckSameValues(lf, reread, "LF line ends");
  RunState commas = Marked();
  const std::size_t headerEnd = written.find("\r\n");
  const std::string commaText =
      written.substr(0, headerEnd) + "," + Replaced(written.substr(headerEnd + 2), " \r\n", ",");
  FUZZ_REQUIRE(corvantile::ReadSessionText(commaText, commas), "comma file short: %s",
               commaText.c_str());
  CheckSameValues(commas, reread, "comma separated");
  return 0;
}
