#include "analysis/studies/standard_design.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "analysis/circuits/element_network.h"
#include "analysis/solvers/frequency_response.h"
#include "analysis/solvers/lossy_network.h"
#include "math/design_network.h"

namespace corvantile {
namespace {

bool Buyable(const CircuitPart& part) {
  return part.kind == PartKind::Inductor || part.kind == PartKind::Capacitor;
}

// The candidates for one part: its nearest standard value and the neighbours, or the part
// alone when it is a short or open.
std::vector<CircuitPart> Candidates(const CircuitPart& part, const StandardChoice& choice) {
  if (!Buyable(part)) return {part};
  std::vector<CircuitPart> out;
  for (double value : StandardNeighbours(part.value, SeriesFor(part, choice), choice.neighbours)) {
    out.push_back({part.kind, value});
  }
  return out;
}

// A state's design, redone with element k's part value fixed at `fixedPart` (the stored sign
// convention: henries, or minus farads) and, for element 2, solution branch `branch`.
CircuitBuild DesignAroundFixedPart(RunState state, int k, float fixedPart, float branch) {
  const int partSlots[] = {NetPart1, NetPart2, NetPart3};
  state.NetValues[DesignDriver] = static_cast<float>(k + 3);
  state.NetValues[partSlots[k - 1]] = fixedPart;
  state.NetValues[SolutionBranch] = branch;
  return DesignCircuit(state);
}

}  // namespace

StandardSeries SeriesFor(const CircuitPart& part, const StandardChoice& choice) {
  return part.kind == PartKind::Inductor ? choice.inductors : choice.capacitors;
}

MatchingCircuit NearestStandardCircuit(const MatchingCircuit& circuit,
                                       const StandardChoice& choice) {
  MatchingCircuit out = circuit;
  for (CircuitPart& part : out.elements) {
    if (Buyable(part)) part.value = NearestStandardValue(part.value, SeriesFor(part, choice));
  }
  return out;
}

MatchScore ScoreAtDesign(const MatchingCircuit& circuit, const LossModel& losses) {
  // Each part's series resistance at f0; all 0 for ideal parts, which is SolveCircuit exactly.
  const double f0 = circuit.designFrequency;
  const double omega = 2.0 * std::numbers::pi * f0;
  const std::array<PartQ, 3> q = CircuitQ(circuit, losses);
  std::array<double, 3> resistance{};
  for (std::size_t k = 0; k < 3; ++k) {
    if (circuit.elements[k].kind == PartKind::Open) continue;
    resistance[k] = SeriesResistance(PartReactance(circuit.elements[k], omega), q[k], f0, f0);
  }
  auto impedances = CircuitElementImpedances(circuit, omega, resistance);
  for (std::size_t k = 0; k < 3; ++k) {
    // A part with parasitics scores as it is built: its whole impedance at f0.
    if (circuit.elements[k].kind != PartKind::Open && HasParasitics(q[k])) {
      const std::complex<double> z = LossyPartImpedance(circuit.elements[k], q[k], f0, f0);
      impedances[k] = {z.real(), z.imag(), false};
    }
  }
  const NetworkSolution s =
      SolveNetwork(circuit.topology, TerminationImpedance(circuit.source, omega),
                   TerminationImpedance(circuit.load, omega), impedances, circuit.sourceEmf);
  // Only real parts count: an open or shorted position (the third of an L) carries no part,
  // whatever the voltage across its place.
  double largest = 0.0;
  for (std::size_t k = 0; k < 3; ++k) {
    const PartKind kind = circuit.elements[k].kind;
    if (kind == PartKind::Open || kind == PartKind::Short) continue;
    largest = std::max(largest, s.partVolts[k]);
  }
  return {s.returnLossDb, largest, s.reflection};
}

bool BetterMatch(const MatchScore& a, const MatchScore& b) {
  if (std::fabs(a.returnLossDb - b.returnLossDb) <= kReturnLossTieDb) {
    return a.maxPartVolts < b.maxPartVolts;
  }
  return a.returnLossDb > b.returnLossDb;
}

MatchingCircuit BestStandardCircuit(const MatchingCircuit& circuit, const StandardChoice& choice,
                                    const LossModel& losses) {
  const std::vector<CircuitPart> c1 = Candidates(circuit.elements[0], choice);
  const std::vector<CircuitPart> c2 = Candidates(circuit.elements[1], choice);
  const std::vector<CircuitPart> c3 = Candidates(circuit.elements[2], choice);
  // The nearest combination is the starting point, so that a tie keeps it.
  MatchingCircuit best = NearestStandardCircuit(circuit, choice);
  MatchScore bestScore = ScoreAtDesign(best, losses);
  MatchingCircuit candidate = circuit;
  for (const CircuitPart& p1 : c1) {
    for (const CircuitPart& p2 : c2) {
      for (const CircuitPart& p3 : c3) {
        candidate.elements = {p1, p2, p3};
        const MatchScore score = ScoreAtDesign(candidate, losses);
        if (BetterMatch(score, bestScore)) {
          bestScore = score;
          best = candidate;
        }
      }
    }
  }
  return best;
}

StandardDesign DescribeStandardDesign(const MatchingCircuit& circuit, const LossModel& losses,
                                      const MeasuredSides& sides) {
  StandardDesign d;
  d.circuit = circuit;
  SweepSpan span = DefaultSweepSpan(circuit.designFrequency);
  span.points = kStandardSummaryPoints;
  if (!sides.Any()) {
    d.summary = SummarizeSweep(circuit, SweepResponse(circuit, span, losses), losses);
  } else {
    span = CutToSides(span, sides);
    // A file of a single frequency leaves nothing to sweep: no band edge is then known.
    std::vector<ResponsePoint> sweep;
    if (SweepSpanProblem(span).empty()) SweepResponse(circuit, span, sides, sweep, losses);
    d.summary = SummarizeSweep(circuit, span, sides, losses, sweep);
  }
  d.maxPartVolts = ScoreAtDesign(circuit, losses).maxPartVolts;
  return d;
}

StandardSolutions SolveStandardValues(const RunState& state, const StandardChoice& choice,
                                      const LossModel& losses, bool compensate,
                                      const MeasuredSides& sides) {
  StandardSolutions out;
  const CircuitBuild ideal = DesignCircuit(state);
  out.problem = ideal.problem;
  if (ideal.problem != CircuitProblem::None) return out;
  const MatchingCircuit circuit =
      compensate ? CompensateLosses(ideal.circuit, losses, state.NetValues[DesignDriver]).circuit
                 : ideal.circuit;
  out.ideal = DescribeStandardDesign(circuit, losses, sides);
  out.nearest = DescribeStandardDesign(NearestStandardCircuit(circuit, choice), losses, sides);
  out.best = DescribeStandardDesign(BestStandardCircuit(circuit, choice, losses), losses, sides);

  // The L families always design from their own phase: nothing is left to re-solve.
  const float family = state.NetValues[NetworkFamily];
  if (family != FamilyPi && family != FamilyTee) return out;
  MatchScore closest{};
  for (int k = 1; k <= 3; ++k) {
    FixedFirstDesign fixed;
    fixed.element = k;
    const CircuitPart& part = circuit.elements[static_cast<std::size_t>(k - 1)];
    if (Buyable(part)) {
      const double standard = NearestStandardValue(part.value, SeriesFor(part, choice));
      // The stored form: henries, or minus farads.
      const float stored =
          static_cast<float>(part.kind == PartKind::Inductor ? standard : -standard);
      std::vector<float> branches = {0.0f};
      if (k == 2) branches = {1.0f, 2.0f};
      MatchScore bestScore{};
      bool bestSameKinds = false;
      for (float branch : branches) {
        const CircuitBuild build = DesignAroundFixedPart(state, k, stored, branch);
        if (build.problem != CircuitProblem::None) continue;
        MatchingCircuit rounded = NearestStandardCircuit(build.circuit, choice);
        // The fixed part exactly at its standard value, not at its single-precision copy.
        rounded.elements[static_cast<std::size_t>(k - 1)].value = standard;
        const MatchScore score = ScoreAtDesign(rounded, losses);
        // The branch that keeps the ideal network's kind of part in every place (its low-pass
        // or high-pass character) wins over a better match that swaps an inductor for a
        // capacitor.
        bool sameKinds = true;
        for (std::size_t j = 0; j < 3; ++j) {
          sameKinds = sameKinds && rounded.elements[j].kind == circuit.elements[j].kind;
        }
        const bool better = sameKinds != bestSameKinds ? sameKinds : BetterMatch(score, bestScore);
        if (!fixed.possible || better) {
          fixed.possible = true;
          bestScore = score;
          bestSameKinds = sameKinds;
          fixed.design.circuit = rounded;
        }
      }
      if (fixed.possible) {
        fixed.design = DescribeStandardDesign(fixed.design.circuit, losses, sides);
        if (out.closestFixedFirst == 0 || BetterMatch(bestScore, closest)) {
          out.closestFixedFirst = k;
          closest = bestScore;
        }
      }
    }
    out.fixedFirst.push_back(fixed);
  }
  return out;
}

}  // namespace corvantile
