#pragma once

// Where the plots put their labelled ticks: at round values a reader takes in at a glance, on
// the response window's frequency axis and the Explore page's two axes.
#include <vector>

namespace corvantile {

// A linear axis from `low` to `high` with a labelled tick every `step` from `first`, each
// label with `decimals` decimals. `low` and `high` may lie between ticks.
struct LinearTicks {
  double low = 0.0, high = 1.0;
  double first = 0.0;
  double step = 1.0;  // 1, 2 or 5 times a power of ten
  int decimals = 0;
  std::vector<double> values;  // the labelled ticks, from first up to high
};

// Round ticks over the data's range [low, high], at most `maxTicks` of them and as many as that
// allows: 3.4 to 4.1 -> 3.4, 3.5 ... 4.1 (step 0.1, one decimal) for 8; 0 to 37 -> 0, 10, 20,
// 30 for 5. The range is kept as given.
LinearTicks RoundTicks(double low, double high, int maxTicks);

// The range of a plot of points from `low` to `high`: widened by a margin, then out to the
// round ticks around it, and never below zero when no point is: a bandwidth of 0.8 % to 25 %
// -> 0 to 30 with ticks 0, 5 ... 30 for 7, where a bare 5 % margin gave -0.4 to 26.2. A
// single value gets a range around it.
LinearTicks RoundRange(double low, double high, int maxTicks);

// The response plot's frequency axis over [from, to] in the axis's unit. A span that reaches
// tenfold is logarithmic: it holds at least one power of ten to label, and the octaves of the
// harmonics stay evenly spread. A narrower one (3.4 to 4.1 MHz, typical of a measured
// antenna's file) holds perhaps no power of ten, so it is linear with round ticks.
struct FrequencyTicks {
  bool logarithmic = true;
  LinearTicks linear;  // when not logarithmic
};
FrequencyTicks ChooseFrequencyTicks(double from, double to, int maxTicks = 8);

}  // namespace corvantile
