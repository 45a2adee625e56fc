#pragma once

// Small numeric helpers of the tests.
#include <cmath>

namespace corvantile::testing {

// The nearest whole number, halves away from zero: a logical coordinate as a pixel.
inline int Round(double value) { return static_cast<int>(std::lround(value)); }

}  // namespace corvantile::testing
