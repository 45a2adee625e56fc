// The simplex minimiser finds the minimum of smooth and of kinked functions, and stops at its
// budget.
#include "math/nelder_mead.h"

#include <cmath>

#include <gtest/gtest.h>

namespace corvantile {
namespace {

TEST(NelderMeadTest, FindsTheMinimumOfARosenbrockValley) {
  const std::vector<double> start{-1.2, 1.0};
  const SimplexResult r = MinimizeSimplex(
      [](std::span<const double> x) {
        return 100.0 * std::pow(x[1] - x[0] * x[0], 2) + std::pow(1.0 - x[0], 2);
      },
      start, 0.5, 1e-14, 5000);
  EXPECT_NEAR(r.x[0], 1.0, 1e-3);
  EXPECT_NEAR(r.x[1], 1.0, 1e-3);
  EXPECT_LT(r.evaluations, 5000);
}

// A minimax of three lines meets at a kink, where no gradient exists.
TEST(NelderMeadTest, FindsTheKinkOfAMaximum) {
  const std::vector<double> start{3.0, -2.0};
  const SimplexResult r = MinimizeSimplex(
      [](std::span<const double> x) {
        return std::max({std::fabs(x[0] - 1.0), std::fabs(x[1] + 0.5), 0.1});
      },
      start, 1.0, 1e-12, 4000);
  EXPECT_NEAR(r.value, 0.1, 1e-9);
}

TEST(NelderMeadTest, StopsAtItsBudget) {
  const std::vector<double> start{10.0, 10.0, 10.0};
  const SimplexResult r = MinimizeSimplex(
      [](std::span<const double> x) { return x[0] * x[0] + x[1] * x[1] + x[2] * x[2]; }, start, 1.0,
      0.0, 50);
  // Each step may take a few calls beyond the budget's check.
  EXPECT_LE(r.evaluations, 50 + 4);
  EXPECT_LT(r.value, 300.0);
}

}  // namespace
}  // namespace corvantile
