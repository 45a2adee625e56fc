#include "analysis/sweep_summary.h"

#include <cmath>

namespace corvantile {
namespace {

// The exact response the summary reads between sweep points: lossless, or with `losses`.
struct Response {
  const MatchingCircuit& circuit;
  const LossModel* losses;
  ResponsePoint operator()(double frequency) const {
    return losses == nullptr ? EvaluateResponse(circuit, frequency)
                             : EvaluateResponse(circuit, frequency, *losses);
  }
};

// The frequency between `inside` (VSWR at or below the limit) and `outside` (above it) where
// the VSWR crosses the limit, by bisection on the exact response, to a relative width of 1e-12.
double CrossingBetween(const Response& response, double limit, double inside, double outside) {
  for (int step = 0; step < 200; ++step) {
    const double middle = 0.5 * (inside + outside);
    if (std::fabs(outside - inside) <= 1e-12 * std::fabs(middle)) break;
    if (response(middle).vswr <= limit) {
      inside = middle;
    } else {
      outside = middle;
    }
  }
  return 0.5 * (inside + outside);
}

VswrBand FindBand(const Response& response, std::span<const ResponsePoint> sweep, double f0,
                  double vswrAtDesign, double limit) {
  VswrBand band;
  band.limit = limit;
  band.matchedAtDesign = vswrAtDesign <= limit;
  if (!band.matchedAtDesign) return band;

  // Upwards: the first swept point above f0 that leaves the band, bracketed by the last one
  // (or f0 itself) inside it.
  double inside = f0;
  for (const ResponsePoint& point : sweep) {
    if (point.frequency <= f0) continue;
    if (point.vswr > limit) {
      band.upper = CrossingBetween(response, limit, inside, point.frequency);
      break;
    }
    inside = point.frequency;
  }
  inside = f0;
  for (auto it = sweep.rbegin(); it != sweep.rend(); ++it) {
    if (it->frequency >= f0) continue;
    if (it->vswr > limit) {
      band.lower = CrossingBetween(response, limit, inside, it->frequency);
      break;
    }
    inside = it->frequency;
  }
  if (band.lower && band.upper) band.fractional = (*band.upper - *band.lower) / f0;
  return band;
}

SweepSummary Summarize(const Response& response, std::span<const ResponsePoint> sweep) {
  const MatchingCircuit& circuit = response.circuit;
  SweepSummary summary;
  const double f0 = circuit.designFrequency;
  summary.designFrequency = f0;
  summary.atDesign = response(f0);
  for (std::size_t i = 0; i < kVswrBandLimits.size(); ++i) {
    summary.bands[i] = FindBand(response, sweep, f0, summary.atDesign.vswr, kVswrBandLimits[i]);
  }
  const double gain0 = summary.atDesign.transducerGainDb;
  summary.attenuation2f0Db = gain0 - response(2.0 * f0).transducerGainDb;
  summary.attenuation3f0Db = gain0 - response(3.0 * f0).transducerGainDb;
  return summary;
}

}  // namespace

SweepSummary SummarizeSweep(const MatchingCircuit& circuit, std::span<const ResponsePoint> sweep) {
  return Summarize(Response{circuit, nullptr}, sweep);
}

SweepSummary SummarizeSweep(const MatchingCircuit& circuit, std::span<const ResponsePoint> sweep,
                            const LossModel& losses) {
  return Summarize(Response{circuit, &losses}, sweep);
}

}  // namespace corvantile
