#pragma once

// The few figures an engineer reads off a sweep: the matched bandwidth and the harmonic
// attenuation.
#include <array>
#include <functional>
#include <optional>
#include <span>
#include <string>

#include "analysis/solvers/frequency_response.h"

namespace corvantile {

// The band around the design frequency in which the VSWR stays at or below `limit`. An edge
// that lies beyond the swept span is not known and stays empty; so does the fractional
// bandwidth unless both edges are known. The edges are found on the exact response between the
// two sweep points that bracket them, so they do not depend on how densely the span is swept.
struct VswrBand {
  double limit = 0.0;                // 2 for 2:1
  std::optional<double> lower;       // Hz
  std::optional<double> upper;       // Hz
  std::optional<double> fractional;  // (upper - lower) / design frequency
  bool matchedAtDesign = false;      // false: the VSWR exceeds `limit` even at the design
                                     // frequency, so there is no band at all
};

struct SweepSummary {
  double designFrequency = 0.0;   // Hz
  ResponsePoint atDesign;         // the response at the design frequency
  std::array<VswrBand, 2> bands;  // VSWR 2:1 and 1.5:1
  // Transducer gain at the design frequency minus that at twice and three times it, dB:
  // positive when the harmonic is attenuated.
  double attenuation2f0Db = 0.0;
  double attenuation3f0Db = 0.0;
  // False when a measured side's file does not reach the harmonic, so there is no measured
  // response there: its attenuation above then means nothing and reads "not measured".
  bool measured2f0 = true;
  bool measured3f0 = true;
};

inline constexpr std::array<double, 2> kVswrBandLimits = {2.0, 1.5};

// The summary of a sweep made with `losses`: the band edges are found on the lossy response and
// the harmonic attenuation includes the insertion loss. Ideal losses give the summary above.
SweepSummary SummarizeSweep(const MatchingCircuit& circuit, std::span<const ResponsePoint> sweep,
                            const LossModel& losses);

// The exact response at one frequency (Hz) of whatever circuit a summary is made for.
using ResponseAt = std::function<ResponsePoint(double)>;

// The summary of `sweep`, made from `evaluate` at ascending frequencies: the band edges are
// refined on `evaluate` between the sweep points that bracket them.
SweepSummary SummarizeResponse(double designFrequency, const ResponseAt& evaluate,
                               std::span<const ResponsePoint> sweep);

// The summary of `sweep`, which SweepResponse made from `circuit` between the measured `sides`
// with `losses` over `span`: the band edges are refined on the measured data, inside the span;
// a harmonic beyond a side's band is held at the span's end and flagged as not measured.
// Without a measured side it is the lossy summary above, figure for figure.
SweepSummary SummarizeSweep(const MatchingCircuit& circuit, const SweepSpan& span,
                            const MeasuredSides& sides, const LossModel& losses,
                            std::span<const ResponsePoint> sweep);

// An attenuation as the summaries write it: "12.34 dB", or "not measured" when `measured` is
// false.
std::string AttenuationText(double db, bool measured);

// The summary of `sweep`, which SweepResponse made from `circuit` (ascending frequencies).
SweepSummary SummarizeSweep(const MatchingCircuit& circuit, std::span<const ResponsePoint> sweep);

}  // namespace corvantile
