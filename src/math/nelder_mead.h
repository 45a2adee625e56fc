#pragma once

// A small derivative-free minimiser for the few variables of a matching ladder: the
// Nelder-Mead simplex with the usual coefficients (reflect 1, expand 2, contract 1/2,
// shrink 1/2). Deterministic: the same start and function give the same steps.
#include <functional>
#include <span>
#include <vector>

namespace corvantile {

struct SimplexResult {
  std::vector<double> x;  // the best point found
  double value = 0.0;     // f there
  int evaluations = 0;
};

// Minimises f from `start`, the first simplex spanning `step` along each axis, until the
// simplex's values differ by less than `tolerance` (absolute) or `maxEvaluations` calls:
// f(x, y) = (x - 1)^2 + (y + 2)^2 from (0, 0), step 0.5 -> (1, -2) within 1e-4.
SimplexResult MinimizeSimplex(const std::function<double(std::span<const double>)>& f,
                              std::span<const double> start, double step, double tolerance,
                              int maxEvaluations);

}  // namespace corvantile
