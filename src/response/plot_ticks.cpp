#include "response/plot_ticks.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace corvantile {
namespace {

// Slack for values that are a tick in decimal but not quite in binary (3.4 / 0.1).
constexpr double kSlack = 1e-9;

// Tick indexes; + 0.0 turns the -0 that ceil(-1e-9) gives into 0, never printed "-0".
double FirstIndex(double low, double step) { return std::ceil(low / step - kSlack) + 0.0; }
double LastIndex(double high, double step) { return std::floor(high / step + kSlack) + 0.0; }

// The smallest of the steps 1, 2, 5 x 10^k for which the ticks `count(step)` counts are at
// most maxTicks.
template <typename Count>
double SmallestStep(double width, int maxTicks, Count count) {
  const int limit = std::max(maxTicks, 2);
  double decade = std::pow(10.0, std::floor(std::log10(width / limit)) - 1.0);
  for (;;) {
    for (const double multiple : std::array{1.0, 2.0, 5.0}) {
      const double step = multiple * decade;
      if (count(step) <= limit) return step;
    }
    decade *= 10.0;
  }
}

LinearTicks TicksOver(double low, double high, double step) {
  LinearTicks ticks;
  ticks.low = low;
  ticks.high = high;
  ticks.step = step;
  ticks.decimals = std::max(0, static_cast<int>(-std::floor(std::log10(step) + kSlack)));
  const double firstIndex = FirstIndex(low, step);
  const double lastIndex = LastIndex(high, step);
  ticks.first = firstIndex * step;
  for (double n = firstIndex; n <= lastIndex; n += 1.0) ticks.values.push_back(n * step);
  return ticks;
}

// A usable range: finite, and wider than nothing.
bool Usable(double low, double high) {
  return std::isfinite(low) && std::isfinite(high) && high > low;
}

}  // namespace

LinearTicks RoundTicks(double low, double high, int maxTicks) {
  if (!Usable(low, high)) return TicksOver(0.0, 1.0, 0.2);
  const double step = SmallestStep(high - low, maxTicks, [&](double s) {
    return LastIndex(high, s) - FirstIndex(low, s) + 1.0;
  });
  return TicksOver(low, high, step);
}

LinearTicks RoundRange(double low, double high, int maxTicks) {
  if (!std::isfinite(low) || !std::isfinite(high) || high < low) return TicksOver(0.0, 1.0, 0.2);
  const bool nonNegative = low >= 0.0;
  if (high == low) {
    const double margin = low != 0.0 ? 0.1 * std::abs(low) : 1.0;
    low -= margin;
    high += margin;
  } else {
    const double margin = 0.05 * (high - low);
    low -= margin;
    high += margin;
  }
  if (nonNegative) low = std::max(low, 0.0);
  const double step = SmallestStep(high - low, maxTicks, [&](double s) {
    return std::ceil(high / s - kSlack) - std::floor(low / s + kSlack) + 1.0;
  });
  return TicksOver((std::floor(low / step + kSlack) + 0.0) * step,
                   (std::ceil(high / step - kSlack) + 0.0) * step, step);
}

FrequencyTicks ChooseFrequencyTicks(double from, double to, int maxTicks) {
  FrequencyTicks ticks;
  if (!(from > 0.0) || !Usable(from, to) || to >= 10.0 * from) return ticks;
  ticks.logarithmic = false;
  ticks.linear = RoundTicks(from, to, maxTicks);
  return ticks;
}

}  // namespace corvantile
