#include "support/measured_files.h"

#include <algorithm>
#include <complex>
#include <numbers>
#include <string>

#include <gtest/gtest.h>

#include "analysis/formats/number_text.h"

namespace corvantile::testing {

TouchstonePort TypedSideFile(const Termination& side, std::vector<double> at,
                             std::string_view name) {
  std::sort(at.begin(), at.end());
  at.erase(std::unique(at.begin(), at.end()), at.end());
  std::string text = "# Hz Z RI R 1\n";
  for (const double f : at) {
    const std::complex<double> z = TerminationImpedance(side, 2.0 * std::numbers::pi * f);
    text += ExactNumber(f) + " " + ExactNumber(z.real()) + " " + ExactNumber(z.imag()) + "\n";
  }
  const TouchstoneRead read = ReadTouchstoneText(text, name);
  EXPECT_TRUE(read.Ok()) << read.error;
  return TouchstonePort(read.data, 1);
}

}  // namespace corvantile::testing
