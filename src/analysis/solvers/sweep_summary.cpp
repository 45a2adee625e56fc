#include "analysis/solvers/sweep_summary.h"

#include <algorithm>
#include <cmath>
#include <functional>

#include "analysis/formats/number_text.h"

namespace corvantile {
namespace {

// The frequency between `inside` (VSWR at or below the limit) and `outside` (above it) where
// the VSWR crosses the limit, by bisection on the exact response, to a relative width of 1e-12.
double CrossingBetween(const ResponseAt& evaluate, double limit, double inside, double outside) {
  for (int step = 0; step < 200; ++step) {
    const double middle = 0.5 * (inside + outside);
    if (std::fabs(outside - inside) <= 1e-12 * std::fabs(middle)) break;
    if (evaluate(middle).vswr <= limit) {
      inside = middle;
    } else {
      outside = middle;
    }
  }
  return 0.5 * (inside + outside);
}

VswrBand FindBand(const ResponseAt& evaluate, std::span<const ResponsePoint> sweep, double f0,
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
      band.upper = CrossingBetween(evaluate, limit, inside, point.frequency);
      break;
    }
    inside = point.frequency;
  }
  inside = f0;
  for (auto it = sweep.rbegin(); it != sweep.rend(); ++it) {
    if (it->frequency >= f0) continue;
    if (it->vswr > limit) {
      band.lower = CrossingBetween(evaluate, limit, inside, it->frequency);
      break;
    }
    inside = it->frequency;
  }
  if (band.lower && band.upper) band.fractional = (*band.upper - *band.lower) / f0;
  return band;
}

}  // namespace

SweepSummary SummarizeResponse(double designFrequency, const ResponseAt& evaluate,
                               std::span<const ResponsePoint> sweep) {
  SweepSummary summary;
  const double f0 = designFrequency;
  summary.designFrequency = f0;
  summary.atDesign = evaluate(f0);
  for (std::size_t i = 0; i < kVswrBandLimits.size(); ++i) {
    summary.bands[i] = FindBand(evaluate, sweep, f0, summary.atDesign.vswr, kVswrBandLimits[i]);
  }
  const double gain0 = summary.atDesign.transducerGainDb;
  summary.attenuation2f0Db = gain0 - evaluate(2.0 * f0).transducerGainDb;
  summary.attenuation3f0Db = gain0 - evaluate(3.0 * f0).transducerGainDb;
  return summary;
}

SweepSummary SummarizeSweep(const MatchingCircuit& circuit, std::span<const ResponsePoint> sweep) {
  return SummarizeResponse(
      circuit.designFrequency,
      [&circuit](double frequency) { return EvaluateResponse(circuit, frequency); }, sweep);
}

SweepSummary SummarizeSweep(const MatchingCircuit& circuit, std::span<const ResponsePoint> sweep,
                            const LossModel& losses) {
  return SummarizeResponse(
      circuit.designFrequency,
      [&circuit, &losses](double frequency) {
        return EvaluateResponse(circuit, frequency, losses);
      },
      sweep);
}

SweepSummary SummarizeSweep(const MatchingCircuit& circuit, const SweepSpan& span,
                            const MeasuredSides& sides, const LossModel& losses,
                            std::span<const ResponsePoint> sweep) {
  if (sides.source == nullptr && sides.load == nullptr) {
    return SummarizeSweep(circuit, sweep, losses);
  }
  // Band edges are refined between sweep points, inside the span; only a harmonic can fall
  // beyond it, and that one is held at the span's end and flagged.
  const double low = span.from, high = span.to;
  SweepSummary summary = SummarizeResponse(
      circuit.designFrequency,
      [&](double f) { return EvaluateResponse(circuit, std::clamp(f, low, high), sides, losses); },
      sweep);
  summary.measured2f0 = sides.Covers(2.0 * circuit.designFrequency);
  summary.measured3f0 = sides.Covers(3.0 * circuit.designFrequency);
  return summary;
}

std::string AttenuationText(double db, bool measured) {
  return measured ? FixedNumber(db, 2) + " dB" : std::string("not measured");
}

}  // namespace corvantile
