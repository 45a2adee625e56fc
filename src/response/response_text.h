#pragma once

// The response window's texts: the summary lines beside the plots and the values a tooltip
// shows for a point under the mouse. Numbers never read "nan" or "inf".
#include <complex>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "analysis/solvers/frequency_response.h"
#include "analysis/solvers/sweep_summary.h"
#include "response/smith_chart.h"
#include "units/value_text.h"

namespace corvantile {

// "2:1 VSWR bandwidth: 3.462 MHz to 3.987 MHz (14.02 %)", the same for 1.5:1, then
// "Attenuation at 2f (7.5 MHz): 12.34 dB" and "Attenuation at 3f (11.25 MHz): 20.5 dB", or
// "...: not measured" for a harmonic a measured side's file does not reach.
// A band edge beyond the span reads "below 937.5 kHz" or "above 15 MHz"; a band the design
// frequency itself misses reads "none: VSWR 2.5 at 3.75 MHz".
std::vector<std::string> ResponseSummaryLines(const SweepSummary& summary, const SweepSpan& span);

// "1 + j0.5", "0.2 - j3": a normalised impedance, 4 significant digits. An impedance in ohms is
// written by ImpedanceText (units/value_text.h): "1500 + j0.25 ohms".
std::string NormalisedText(std::complex<double> z);

// A sweep point for a tooltip, one item a line:
//   "3.75 MHz", "Return loss 45.21 dB (VSWR 1.011)" ("Return loss > 100 dB" for a perfect
//   match), "Transducer gain -0.0001 dB", "Zin 1500 + j0.25 ohms (z 30 + j0.005)"
std::string SweepPointText(const ResponsePoint& point, double z0);

// A node of the Smith path: its label, then "300 + j0 ohms (z 6 + j0)".
std::string SmithNodeText(const SmithNode& node);

// The point of a sweep, in ascending frequency, whose frequency lies nearest to `frequency` on
// a logarithmic scale (the plot's); the sweep must not be empty.
std::size_t NearestSweepIndex(std::span<const ResponsePoint> sweep, double frequency);

// The unit a plot's frequency axis counts in: the largest of Hz, kHz, MHz and GHz that the
// span's upper end reaches. 937.5 kHz to 15 MHz -> {1e6, "MHz"}.
struct FrequencyUnit {
  double hertz = 1.0;
  std::string_view name = "Hz";
};
FrequencyUnit UnitForSpan(const SweepSpan& span);

// The ranges of the plot's two dB axes: return loss from 0 dB up, transducer gain from 0 dB
// down, both over the same whole number of 10 dB steps so that their ticks share the grid. The
// steps cover the deepest gain of the sweep and its largest return loss, the return loss up to
// kMaxReturnLossSteps only: the near-perfect match at the design frequency (up to
// kMaxReturnLossDb) would otherwise squash every other value against the axis. One step at
// least, kMaxDbSteps at most.
struct DbAxes {
  int steps = 1;
  double returnLossTop = 10.0;  // steps x 10 dB
  double gainBottom = -10.0;    // steps x -10 dB
};
DbAxes PlotDbAxes(std::span<const ResponsePoint> sweep);

inline constexpr int kMaxDbSteps = 8;
inline constexpr int kMaxReturnLossSteps = 6;

}  // namespace corvantile
