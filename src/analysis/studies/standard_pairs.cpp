#include "analysis/studies/standard_pairs.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "analysis/circuits/circuit_text.h"
#include "analysis/solvers/lossy_network.h"
#include "math/design_network.h"

namespace corvantile {
namespace {

bool Buyable(const CircuitPart& part) {
  return part.kind == PartKind::Inductor || part.kind == PartKind::Capacitor;
}

// Two totals closer than this (relative) are one value: 10p + 10p is the E24 20p.
constexpr double kSameTotal = 1e-9;

// The standard values a pair is made from, ascending: a decade below the first standard value
// at or above `value`, up to it (E12 100e-12 -> 10p, 12p, ..., 82p, 100p).
std::vector<double> PairParts(double value, StandardSeries series) {
  StandardValue top = NearestStandard(value, series);
  if (top.Value() < value * (1.0 - kSameTotal)) top = top.Shifted(1);
  const int n = SeriesCount(series);
  std::vector<double> parts;
  for (int step = -n; step <= 0; ++step) parts.push_back(top.Shifted(step).Value());
  return parts;
}

// The better of two pairs making the same total: fewer parts, then the larger first part (one
// main value and a small one beside it).
bool SimplerPair(const PartPair& a, const PartPair& b) {
  if (a.Parts() != b.Parts()) return a.Parts() < b.Parts();
  return a.first > b.first;
}

std::array<std::vector<PartPair>, 3> CandidatesOf(const MatchingCircuit& circuit,
                                                  const PairChoice& choice) {
  std::array<std::vector<PartPair>, 3> out;
  for (std::size_t k = 0; k < 3; ++k) {
    const CircuitPart& part = circuit.elements[k];
    out[k] = Buyable(part)
                 ? PairCandidates(part.value, SeriesFor(part, choice.series), choice.window)
                 : std::vector<PartPair>{PartPair{}};
  }
  return out;
}

// The candidate nearest the designed value: the middle of a full window, else the closest.
PartPair NearestCandidate(const std::vector<PartPair>& candidates, double value) {
  return *std::min_element(candidates.begin(), candidates.end(),
                           [value](const PartPair& a, const PartPair& b) {
                             return std::fabs(a.Total() - value) < std::fabs(b.Total() - value);
                           });
}

// A trimmed design's standing: its return loss counted up to an exact match, then fewer parts,
// then the trimmer nearer the middle of its range (room to follow drift either way), then the
// plain score.
struct TrimmedScore {
  MatchScore score;
  int parts = 0;
  double offCentre = 0.0;  // |setting - middle| / range
};

bool BetterTrimmed(const TrimmedScore& a, const TrimmedScore& b) {
  const double ra = std::min(a.score.returnLossDb, kExactMatchDb);
  const double rb = std::min(b.score.returnLossDb, kExactMatchDb);
  if (std::fabs(ra - rb) > kReturnLossTieDb) return ra > rb;
  if (a.parts != b.parts) return a.parts < b.parts;
  if (std::fabs(a.offCentre - b.offCentre) > 1e-9) return a.offCentre < b.offCentre;
  return BetterMatch(a.score, b.score);
}

// The trimmer setting in [lo, hi] with the best return loss for element k at `fixed` + setting:
// 32 samples, then a golden-section search between the best sample's neighbours. Along one
// element's value the reflection traces an arc of a circle, so the return loss has at most one
// interior peak, which the samples bracket.
double BestSetting(MatchingCircuit& circuit, std::size_t k, double fixed, double lo, double hi,
                   const LossModel& losses) {
  auto returnLoss = [&](double setting) {
    circuit.elements[k].value = fixed + setting;
    return ScoreAtDesign(circuit, losses).returnLossDb;
  };
  constexpr int kSamples = 32;
  const double step = (hi - lo) / (kSamples - 1);
  int best = 0;
  double bestRl = returnLoss(lo);
  for (int i = 1; i < kSamples; ++i) {
    const double rl = returnLoss(lo + i * step);
    if (rl > bestRl) {
      bestRl = rl;
      best = i;
    }
  }
  double a = lo + std::max(best - 1, 0) * step;
  double b = lo + std::min(best + 1, kSamples - 1) * step;
  const double ratio = (std::sqrt(5.0) - 1.0) / 2.0;
  double c = b - ratio * (b - a);
  double d = a + ratio * (b - a);
  double rc = returnLoss(c);
  double rd = returnLoss(d);
  for (int i = 0; i < 48 && b - a > 1e-9 * (hi - lo); ++i) {
    if (rc > rd) {
      b = d;
      d = c;
      rd = rc;
      c = b - ratio * (b - a);
      rc = returnLoss(c);
    } else {
      a = c;
      c = d;
      rc = rd;
      d = a + ratio * (b - a);
      rd = returnLoss(d);
    }
  }
  const double inner = rc > rd ? c : d;
  // The sample itself when the search found nothing better (a peak at an end of the range).
  return std::max(rc, rd) > bestRl ? inner : lo + best * step;
}

}  // namespace

std::string PairValueText(const CircuitPart& element, const PartPair& pair) {
  if (pair.Parts() == 0) return PartValueText(element);
  const std::string first = PartValueText({element.kind, pair.first});
  if (pair.Parts() == 1) return first;
  return first + " + " + PartValueText({element.kind, pair.second}) + " = " +
         PartValueText({element.kind, pair.Total()});
}

std::vector<PartPair> PairTotals(double value, StandardSeries series) {
  const std::vector<double> parts = PairParts(value, series);
  std::vector<PartPair> all;
  for (std::size_t i = 0; i < parts.size(); ++i) {
    all.push_back({parts[i], 0.0});
    for (std::size_t j = 0; j <= i; ++j) all.push_back({parts[i], parts[j]});
  }
  std::sort(all.begin(), all.end(),
            [](const PartPair& a, const PartPair& b) { return a.Total() < b.Total(); });
  std::vector<PartPair> out;
  for (const PartPair& p : all) {
    if (!out.empty() && p.Total() - out.back().Total() <= kSameTotal * p.Total()) {
      if (SimplerPair(p, out.back())) out.back() = p;
      continue;
    }
    out.push_back(p);
  }
  return out;
}

std::vector<PartPair> PairCandidates(double value, StandardSeries series, int window) {
  const std::vector<PartPair> totals = PairTotals(value, series);
  std::size_t nearest = 0;
  for (std::size_t i = 1; i < totals.size(); ++i) {
    if (std::fabs(totals[i].Total() - value) < std::fabs(totals[nearest].Total() - value)) {
      nearest = i;
    }
  }
  const std::size_t w = static_cast<std::size_t>(std::max(window, 0));
  const std::size_t first = nearest >= w ? nearest - w : 0;
  const std::size_t last = std::min(nearest + w, totals.size() - 1);
  return {totals.begin() + static_cast<std::ptrdiff_t>(first),
          totals.begin() + static_cast<std::ptrdiff_t>(last) + 1};
}

MatchingCircuit WithPairs(const MatchingCircuit& circuit, const std::array<PartPair, 3>& pairs) {
  MatchingCircuit out = circuit;
  for (std::size_t k = 0; k < 3; ++k) {
    if (Buyable(out.elements[k])) out.elements[k].value = pairs[k].Total();
  }
  return out;
}

std::array<PartPair, 3> BestPairs(const MatchingCircuit& circuit, const PairChoice& choice,
                                  const LossModel& losses) {
  const std::array<std::vector<PartPair>, 3> c = CandidatesOf(circuit, choice);
  std::array<PartPair, 3> best;
  for (std::size_t k = 0; k < 3; ++k) {
    best[k] = NearestCandidate(c[k], circuit.elements[k].value);
  }
  MatchScore bestScore = ScoreAtDesign(WithPairs(circuit, best), losses);
  MatchingCircuit candidate = circuit;
  for (const PartPair& p1 : c[0]) {
    for (const PartPair& p2 : c[1]) {
      for (const PartPair& p3 : c[2]) {
        const std::array<PartPair, 3> pairs = {p1, p2, p3};
        for (std::size_t k = 0; k < 3; ++k) {
          if (Buyable(circuit.elements[k])) candidate.elements[k].value = pairs[k].Total();
        }
        const MatchScore score = ScoreAtDesign(candidate, losses);
        if (BetterMatch(score, bestScore)) {
          bestScore = score;
          best = pairs;
        }
      }
    }
  }
  return best;
}

TrimmedDesign BestTrimmed(const MatchingCircuit& circuit, const PairChoice& choice,
                          const LossModel& losses, const MeasuredSides& sides) {
  TrimmedDesign out;
  if (!choice.trimmer) return out;
  const TrimmerRange range = *choice.trimmer;
  if (!(range.min >= 0.0 && range.max > range.min && std::isfinite(range.max))) return out;
  const std::array<std::vector<PartPair>, 3> c = CandidatesOf(circuit, choice);
  TrimmedScore bestScore;
  MatchingCircuit bestCircuit;
  for (std::size_t k = 0; k < 3; ++k) {
    const CircuitPart& part = circuit.elements[k];
    if (part.kind != PartKind::Capacitor) continue;
    const double windowLo = c[k].front().Total();
    const double windowHi = c[k].back().Total();
    std::vector<double> fixedValues = {0.0};
    for (double v : PairParts(part.value, SeriesFor(part, choice.series))) fixedValues.push_back(v);
    // The other two elements' candidates; this element's own list stands in as one entry.
    std::array<std::vector<PartPair>, 3> others = c;
    others[k] = {PartPair{}};
    for (double fixed : fixedValues) {
      if (fixed + range.max < windowLo || fixed + range.min > windowHi) continue;
      for (const PartPair& p1 : others[0]) {
        for (const PartPair& p2 : others[1]) {
          for (const PartPair& p3 : others[2]) {
            std::array<PartPair, 3> pairs = {p1, p2, p3};
            pairs[k] = {fixed, 0.0};
            MatchingCircuit candidate = WithPairs(circuit, pairs);
            const double setting = BestSetting(candidate, k, fixed, range.min, range.max, losses);
            candidate.elements[k].value = fixed + setting;
            TrimmedScore score;
            score.score = ScoreAtDesign(candidate, losses);
            score.parts = 1;
            for (const PartPair& p : pairs) score.parts += p.Parts();
            score.offCentre =
                std::fabs(setting - (range.min + range.max) / 2.0) / (range.max - range.min);
            if (!out.possible || BetterTrimmed(score, bestScore)) {
              out.possible = true;
              out.element = static_cast<int>(k) + 1;
              out.fixed = fixed;
              out.setting = setting;
              out.pairs = pairs;
              out.partCount = score.parts;
              bestScore = score;
              bestCircuit = candidate;
            }
          }
        }
      }
    }
  }
  if (out.possible) out.design = DescribeStandardDesign(bestCircuit, losses, sides);
  return out;
}

StandardPairs SolveStandardPairs(const RunState& state, const PairChoice& choice,
                                 const LossModel& losses, bool compensate,
                                 const MeasuredSides& sides) {
  StandardPairs out;
  const CircuitBuild ideal = DesignCircuit(state);
  out.problem = ideal.problem;
  if (ideal.problem != CircuitProblem::None) return out;
  const MatchingCircuit circuit =
      compensate ? CompensateLosses(ideal.circuit, losses, state.NetValues[DesignDriver]).circuit
                 : ideal.circuit;
  out.ideal = DescribeStandardDesign(circuit, losses, sides);
  out.pairs = BestPairs(circuit, choice, losses);
  out.design = DescribeStandardDesign(WithPairs(circuit, out.pairs), losses, sides);
  for (const PartPair& p : out.pairs) out.partCount += p.Parts();
  if (choice.trimmer) out.trimmed = BestTrimmed(circuit, choice, losses, sides);
  return out;
}

}  // namespace corvantile
