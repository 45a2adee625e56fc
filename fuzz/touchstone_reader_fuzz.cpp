// The Touchstone reader on arbitrary bytes. The first byte picks the port count the file's name
// gives (".s1p" to ".s4p"), the rest is the file. It never crashes or hangs; it either fails
// with one line naming the file, or yields rising finite frequencies with finite S matrices of
// the stated size against positive references; the same file with CR LF line ends reads the
// same; and every port's impedance is exactly the file point's at a file point and finite or
// open between.
#include <cmath>
#include <complex>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "analysis/formats/touchstone_reader.h"
#include "fuzz_check.h"

namespace {

using corvantile::TouchstoneData;
using corvantile::TouchstonePort;
using corvantile::TouchstoneRead;

std::string WithCrLf(std::string_view text) {
  std::string out;
  out.reserve(text.size() + text.size() / 8);
  for (const char c : text) {
    if (c == '\n') out += '\r';
    out += c;
  }
  return out;
}

bool Finite(std::complex<double> z) { return std::isfinite(z.real()) && std::isfinite(z.imag()); }

void CheckData(const TouchstoneData& data) {
  FUZZ_REQUIRE(data.ports >= 1 && data.ports <= corvantile::kMaxTouchstonePorts, "%d ports",
               data.ports);
  const std::size_t n = static_cast<std::size_t>(data.ports);
  FUZZ_REQUIRE(!data.frequencies.empty(), "no frequencies");
  FUZZ_REQUIRE(data.s.size() == data.Points() * n * n, "%zu values for %zu points", data.s.size(),
               data.Points());
  FUZZ_REQUIRE(data.referenceImpedances.size() == n, "%zu references",
               data.referenceImpedances.size());
  // A field solver's per-frequency references may be reactive (a mode below cut-off); the
  // option line's and [Reference]'s are positive.
  if (data.pointReferences.empty()) {
    for (const double r : data.referenceImpedances) {
      FUZZ_REQUIRE(r > 0.0 && std::isfinite(r), "reference %g", r);
    }
  } else {
    FUZZ_REQUIRE(data.pointReferences.size() == data.Points() * n, "%zu point references",
                 data.pointReferences.size());
    for (const std::complex<double>& r : data.pointReferences) {
      FUZZ_REQUIRE(Finite(r), "point reference not finite");
    }
  }
  for (std::size_t k = 0; k < data.Points(); ++k) {
    const double f = data.frequencies[k];
    FUZZ_REQUIRE(std::isfinite(f) && f >= 0.0, "frequency %g", f);
    if (k > 0) FUZZ_REQUIRE(f > data.frequencies[k - 1], "frequency %zu does not rise", k);
  }
  for (const std::complex<double>& s : data.s) FUZZ_REQUIRE(Finite(s), "S not finite");
}

void CheckPorts(const TouchstoneData& data) {
  for (int port = 1; port <= data.ports && port <= 4; ++port) {
    const TouchstonePort p(data, port);
    for (std::size_t k = 0; k < data.Points() && k < 64; ++k) {
      const double f = data.frequencies[k];
      FUZZ_REQUIRE(p.Reflection(f) == data.S(k, port - 1, port - 1), "port %d point %zu", port, k);
      if (k + 1 < data.Points()) {
        const double middle = f + 0.5 * (data.frequencies[k + 1] - f);
        const std::complex<double> z = p.Impedance(middle);
        FUZZ_REQUIRE(Finite(p.Reflection(middle)), "reflection between points not finite");
        FUZZ_REQUIRE(!std::isnan(z.real()) && !std::isnan(z.imag()), "impedance is NaN");
      }
    }
    FUZZ_REQUIRE(!p.Covers(p.To() * 2.0 + 1.0), "the band covers beyond its end");
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const std::string name = "input.s" + std::to_string(data[0] % 4 + 1) + "p";
  const std::string_view text(reinterpret_cast<const char*>(data) + 1, size - 1);
  const TouchstoneRead read = corvantile::ReadTouchstoneText(text, name);
  if (!read.Ok()) {
    FUZZ_REQUIRE(read.error.rfind(name + ":", 0) == 0, "error '%s'", read.error.c_str());
    FUZZ_REQUIRE(read.error.find('\n') == std::string::npos, "error over lines '%s'",
                 read.error.c_str());
    FUZZ_REQUIRE(read.data.frequencies.empty(), "a failed read kept data");
  } else {
    CheckData(read.data);
    CheckPorts(read.data);
  }
  const TouchstoneRead crlf = corvantile::ReadTouchstoneText(WithCrLf(text), name);
  FUZZ_REQUIRE(crlf.error == read.error, "CR LF: '%s' against '%s'", crlf.error.c_str(),
               read.error.c_str());
  FUZZ_REQUIRE(crlf.data.frequencies == read.data.frequencies, "CR LF frequencies differ");
  FUZZ_REQUIRE(crlf.data.s == read.data.s, "CR LF values differ");
  return 0;
}
