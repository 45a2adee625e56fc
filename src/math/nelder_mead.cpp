#include "math/nelder_mead.h"

#include <algorithm>
#include <cmath>
#include <numeric>

namespace corvantile {

SimplexResult MinimizeSimplex(const std::function<double(std::span<const double>)>& f,
                              std::span<const double> start, double step, double tolerance,
                              int maxEvaluations) {
  const std::size_t n = start.size();
  SimplexResult result;
  std::vector<std::vector<double>> points(n + 1, std::vector<double>(start.begin(), start.end()));
  std::vector<double> values(n + 1);
  auto call = [&](std::span<const double> x) {
    ++result.evaluations;
    const double v = f(x);
    return std::isnan(v) ? HUGE_VAL : v;
  };
  for (std::size_t i = 0; i < n; ++i) points[i + 1][i] += step;
  for (std::size_t i = 0; i <= n; ++i) values[i] = call(points[i]);
  std::vector<std::size_t> order(n + 1);
  std::vector<double> centre(n), trial(n), second(n);
  auto blend = [&](double t, std::vector<double>& out) {
    // centre + t (centre - worst)
    const std::vector<double>& worst = points[order[n]];
    for (std::size_t i = 0; i < n; ++i) out[i] = centre[i] + t * (centre[i] - worst[i]);
  };
  while (n > 0) {
    std::iota(order.begin(), order.end(), std::size_t{0});
    // Stable, so ties keep the earlier vertex: the run does not depend on sort internals.
    std::stable_sort(order.begin(), order.end(),
                     [&](std::size_t a, std::size_t b) { return values[a] < values[b]; });
    const double best = values[order[0]];
    const double worstValue = values[order[n]];
    if (std::fabs(worstValue - best) <= tolerance || result.evaluations >= maxEvaluations) break;
    std::fill(centre.begin(), centre.end(), 0.0);
    for (std::size_t k = 0; k < n; ++k) {
      for (std::size_t i = 0; i < n; ++i) centre[i] += points[order[k]][i];
    }
    for (double& c : centre) c /= static_cast<double>(n);
    const std::size_t w = order[n];
    const double secondWorst = values[order[n - 1]];
    blend(1.0, trial);
    const double reflected = call(trial);
    if (reflected < best) {
      blend(2.0, second);
      const double expanded = call(second);
      if (expanded < reflected) {
        points[w] = second;
        values[w] = expanded;
      } else {
        points[w] = trial;
        values[w] = reflected;
      }
      continue;
    }
    if (reflected < secondWorst) {
      points[w] = trial;
      values[w] = reflected;
      continue;
    }
    // Contract towards the better of the worst vertex and its reflection.
    const bool outside = reflected < worstValue;
    blend(outside ? 0.5 : -0.5, second);
    const double contracted = call(second);
    if (contracted < (outside ? reflected : worstValue)) {
      points[w] = second;
      values[w] = contracted;
      continue;
    }
    const std::vector<double> anchor = points[order[0]];
    for (std::size_t k = 1; k <= n; ++k) {
      std::vector<double>& p = points[order[k]];
      for (std::size_t i = 0; i < n; ++i) p[i] = anchor[i] + 0.5 * (p[i] - anchor[i]);
      values[order[k]] = call(p);
    }
  }
  const std::size_t bestIndex =
      static_cast<std::size_t>(std::min_element(values.begin(), values.end()) - values.begin());
  result.x = points[bestIndex];
  result.value = values[bestIndex];
  return result;
}

}  // namespace corvantile
