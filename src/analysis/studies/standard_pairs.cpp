#include "analysis/studies/standard_pairs.h"

#include <algorithm>
#include <cmath>
#include <complex>
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

// The values of element k within [lo, hi] (positive, lo < hi) where the return loss, with only
// that element changing, may turn from rising to falling or back. The element's impedance is a
// Moebius function of its value (proportional to an inductance, inverse to a capacitance, with
// its Q), and so is the reflection, fitted here through three values as (a x + b) / (c x + 1)
// with x the value over the middle one; |reflection|^2 is then a ratio of two quadratics in x,
// whose slope is zero where a quadratic is. Between two turning values the return loss only
// rises or only falls, so the best of any set of values lies beside a turning value or at an end.
std::vector<double> TurningValues(MatchingCircuit& circuit, std::size_t k, double lo, double hi,
                                  const LossModel& losses) {
  using Complex = std::complex<double>;
  const double mid = std::sqrt(lo * hi);
  const std::array<double, 3> x = {lo / mid, 1.0, hi / mid};
  std::array<Complex, 3> g;
  for (std::size_t i = 0; i < 3; ++i) {
    circuit.elements[k].value = x[i] * mid;
    g[i] = ScoreAtDesign(circuit, losses).reflection;
  }
  // a x_i + b - c x_i g_i = g_i, solved by Cramer's rule.
  const std::array<std::array<Complex, 3>, 3> m = {
      {{x[0], 1.0, -x[0] * g[0]}, {x[1], 1.0, -x[1] * g[1]}, {x[2], 1.0, -x[2] * g[2]}}};
  auto det = [](const std::array<std::array<Complex, 3>, 3>& a) {
    return a[0][0] * (a[1][1] * a[2][2] - a[1][2] * a[2][1]) -
           a[0][1] * (a[1][0] * a[2][2] - a[1][2] * a[2][0]) +
           a[0][2] * (a[1][0] * a[2][1] - a[1][1] * a[2][0]);
  };
  const Complex d = det(m);
  if (std::abs(d) == 0.0) return {};
  std::array<Complex, 3> coef;
  for (std::size_t col = 0; col < 3; ++col) {
    std::array<std::array<Complex, 3>, 3> mc = m;
    for (std::size_t row = 0; row < 3; ++row) mc[row][col] = g[row];
    coef[col] = det(mc) / d;
  }
  const Complex a = coef[0], b = coef[1], c = coef[2];
  // |a x + b|^2 = A x^2 + B x + C and |c x + 1|^2 = E x^2 + F x + 1; the slope of their ratio
  // is zero where (A F - B E) x^2 + 2 (A - C E) x + (B - C F) is.
  const double A = std::norm(a), B = 2.0 * std::real(a * std::conj(b)), C = std::norm(b);
  const double E = std::norm(c), F = 2.0 * std::real(c);
  const double p = A * F - B * E, q = 2.0 * (A - C * E), r = B - C * F;
  std::vector<double> roots;
  if (p == 0.0) {
    if (q != 0.0) roots.push_back(-r / q);
  } else {
    const double disc = q * q - 4.0 * p * r;
    if (disc >= 0.0) {
      // The stable form of the two roots.
      const double h = -0.5 * (q + std::copysign(std::sqrt(disc), q));
      roots.push_back(h / p);
      if (h != 0.0) roots.push_back(r / h);
    }
  }
  std::vector<double> out;
  for (double root : roots) {
    const double value = root * mid;
    if (std::isfinite(value) && value > lo && value < hi) out.push_back(value);
  }
  return out;
}

// The best of `totals` (ascending) for element k, the others as `circuit` holds them: the ends
// and the totals beside each turning value.
std::size_t BestOnLine(MatchingCircuit& circuit, std::size_t k, const std::vector<PartPair>& totals,
                       const LossModel& losses, MatchScore& score) {
  std::vector<std::size_t> tried = {0, totals.size() - 1};
  if (totals.size() > 2) {
    for (double turn :
         TurningValues(circuit, k, totals.front().Total(), totals.back().Total(), losses)) {
      const auto above =
          std::lower_bound(totals.begin(), totals.end(), turn,
                           [](const PartPair& p, double value) { return p.Total() < value; });
      const std::size_t i = static_cast<std::size_t>(above - totals.begin());
      tried.push_back(i);
      if (i > 0) tried.push_back(i - 1);
    }
  }
  std::size_t best = tried.front();
  for (std::size_t n = 0; n < tried.size(); ++n) {
    circuit.elements[k].value = totals[tried[n]].Total();
    const MatchScore s = ScoreAtDesign(circuit, losses);
    if (n == 0 || BetterMatch(s, score)) {
      score = s;
      best = tried[n];
    }
  }
  return best;
}

// The element searched along its whole list of totals (the last inductor or capacitor), or 3
// for none.
std::size_t LineElement(const MatchingCircuit& circuit) {
  std::size_t line = 3;
  for (std::size_t k = 0; k < 3; ++k) {
    if (Buyable(circuit.elements[k])) line = k;
  }
  return line;
}

// The totals the other elements take: every one of PairTotals for the one other part of an L,
// the windows for the two of a Pi or Tee; the line element's own entry is one empty pair.
std::array<std::vector<PartPair>, 3> OuterTotals(const MatchingCircuit& circuit,
                                                 const PairChoice& choice, std::size_t line) {
  std::array<std::vector<PartPair>, 3> out = CandidatesOf(circuit, choice);
  int others = 0;
  for (std::size_t k = 0; k < 3; ++k) others += (k != line && Buyable(circuit.elements[k])) ? 1 : 0;
  for (std::size_t k = 0; k < 3; ++k) {
    if (k == line) {
      out[k] = {PartPair{}};
    } else if (others == 1 && Buyable(circuit.elements[k])) {
      out[k] = PairTotals(circuit.elements[k].value, SeriesFor(circuit.elements[k], choice.series));
    }
  }
  return out;
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
  const std::array<std::vector<PartPair>, 3> windows = CandidatesOf(circuit, choice);
  std::array<PartPair, 3> best;
  for (std::size_t k = 0; k < 3; ++k) {
    best[k] = NearestCandidate(windows[k], circuit.elements[k].value);
  }
  const std::size_t line = LineElement(circuit);
  if (line == 3) return best;
  MatchScore bestScore = ScoreAtDesign(WithPairs(circuit, best), losses);
  const std::vector<PartPair> lineTotals =
      PairTotals(circuit.elements[line].value, SeriesFor(circuit.elements[line], choice.series));
  const std::array<std::vector<PartPair>, 3> outer = OuterTotals(circuit, choice, line);
  MatchingCircuit candidate = circuit;
  for (const PartPair& p1 : outer[0]) {
    for (const PartPair& p2 : outer[1]) {
      for (const PartPair& p3 : outer[2]) {
        std::array<PartPair, 3> pairs = {p1, p2, p3};
        for (std::size_t k = 0; k < 3; ++k) {
          if (k != line && Buyable(circuit.elements[k])) {
            candidate.elements[k].value = pairs[k].Total();
          }
        }
        MatchScore score;
        pairs[line] = lineTotals[BestOnLine(candidate, line, lineTotals, losses, score)];
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
  if (!(range.min > 0.0 && range.max > range.min && std::isfinite(range.max))) return out;
  const std::array<std::vector<PartPair>, 3> windows = CandidatesOf(circuit, choice);
  TrimmedScore bestScore;
  MatchingCircuit bestCircuit;
  for (std::size_t k = 0; k < 3; ++k) {
    const CircuitPart& part = circuit.elements[k];
    if (part.kind != PartKind::Capacitor) continue;
    // The fixed values whose range reaches the element's window of pair totals.
    std::vector<double> fixedValues;
    for (double v : PairParts(part.value, SeriesFor(part, choice.series))) {
      fixedValues.push_back(v);
    }
    fixedValues.insert(fixedValues.begin(), 0.0);
    std::erase_if(fixedValues, [&](double v) {
      return v + range.max < windows[k].front().Total() ||
             v + range.min > windows[k].back().Total();
    });
    if (fixedValues.empty()) continue;
    const double lo = fixedValues.front() + range.min;
    const double hi = fixedValues.back() + range.max;
    const std::array<std::vector<PartPair>, 3> others = OuterTotals(circuit, choice, k);
    for (const PartPair& p1 : others[0]) {
      for (const PartPair& p2 : others[1]) {
        for (const PartPair& p3 : others[2]) {
          std::array<PartPair, 3> pairs = {p1, p2, p3};
          MatchingCircuit candidate = circuit;
          for (std::size_t j = 0; j < 3; ++j) {
            if (j != k && Buyable(circuit.elements[j])) {
              candidate.elements[j].value = pairs[j].Total();
            }
          }
          // One fit serves every fixed value: the turning values of the element's total.
          const std::vector<double> turns = TurningValues(candidate, k, lo, hi, losses);
          for (double fixed : fixedValues) {
            std::vector<double> settings = {range.min, range.max};
            for (double turn : turns) {
              if (turn - fixed > range.min && turn - fixed < range.max) {
                settings.push_back(turn - fixed);
              }
            }
            pairs[k] = {fixed, 0.0};
            for (double setting : settings) {
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
