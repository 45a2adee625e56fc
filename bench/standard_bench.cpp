// Cost of standard values and tolerances on the default Pi design: the best-combination search
// with its 125 candidates and the summaries shown beside it, the best pairs of standard values,
// and Monte Carlo runs of part tolerances at the design frequency and over an envelope span.

#include <benchmark/benchmark.h>

#include "analysis/studies/standard_design.h"
#include "analysis/studies/standard_pairs.h"
#include "analysis/studies/tolerance_analysis.h"

namespace corvantile {
namespace {

MatchingCircuit DefaultCircuit() { return DesignCircuit(MakeDefaultRunState()).circuit; }

// The search over 5 x 5 x 5 neighbouring values, then the nearest and the best design with
// their return loss, VSWR, 2:1 band and harmonic attenuation.
void BM_BestCombinationPi(benchmark::State& state) {
  const MatchingCircuit circuit = DefaultCircuit();
  const StandardChoice choice;
  for (auto _ : state) {
    const MatchingCircuit best = BestStandardCircuit(circuit, choice);
    StandardDesign shownBest = DescribeStandardDesign(best);
    StandardDesign shownNearest = DescribeStandardDesign(NearestStandardCircuit(circuit, choice));
    benchmark::DoNotOptimize(shownBest);
    benchmark::DoNotOptimize(shownNearest);
  }
}
BENCHMARK(BM_BestCombinationPi)->Unit(benchmark::kMicrosecond);

// Everything the standard-value report holds: ideal, nearest, best and the three fixed-first
// designs (each one a design pass) with their summaries.
void BM_StandardSolutions(benchmark::State& state) {
  const RunState run = MakeDefaultRunState();
  for (auto _ : state) {
    StandardSolutions s = SolveStandardValues(run);
    benchmark::DoNotOptimize(s);
  }
}
BENCHMARK(BM_StandardSolutions)->Unit(benchmark::kMicrosecond);

// The best pairs of the default Pi (its Parts page asks this at every redraw): 41 x 41 totals of
// elements 1 and 2, each with element 3's turning values, then the two summaries. Argument 0:
// E12 inductors and E24 capacitors; 1: E192 for both; 2: E24 with a 2-10 pF trimmer.
void BM_StandardPairsPi(benchmark::State& state) {
  const RunState run = MakeDefaultRunState();
  PairChoice choice;
  if (state.range(0) == 1) {
    choice.series.inductors = StandardSeries::E192;
    choice.series.capacitors = StandardSeries::E192;
  }
  if (state.range(0) == 2) choice.trimmer = TrimmerRange{2e-12, 10e-12};
  for (auto _ : state) {
    StandardPairs p = SolveStandardPairs(run, choice);
    benchmark::DoNotOptimize(p);
  }
}
BENCHMARK(BM_StandardPairsPi)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);

// The counters carry the circuit and the yield, so that bench/tolerance_numpy.py can repeat the
// same run.
void ReportCircuit(benchmark::State& state, const MatchingCircuit& c, const ToleranceResult& r) {
  state.counters["c1_farads"] = c.elements[0].value;
  state.counters["l2_henries"] = c.elements[1].value;
  state.counters["c3_farads"] = c.elements[2].value;
  state.counters["yield_vswr15"] = r.atDesign.vswr15;
  state.counters["yield_vswr2"] = r.atDesign.vswr2;
}

// 100,000 builds of the nearest standard-value design, 5 % uniform, at f0.
void BM_Tolerance100kAtDesign(benchmark::State& state) {
  const MatchingCircuit circuit = NearestStandardCircuit(DefaultCircuit(), {});
  ToleranceOptions options;
  options.builds = 100000;
  options.threads = static_cast<int>(state.range(0));
  ToleranceResult r;
  for (auto _ : state) {
    r = RunTolerance(circuit, options);
    benchmark::DoNotOptimize(r.percentilesDb);
  }
  ReportCircuit(state, circuit, r);
  state.SetItemsProcessed(state.iterations() * options.builds);
}
// Argument: threads (0 for one per core, 1 for a single thread).
BENCHMARK(BM_Tolerance100kAtDesign)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();

// 10,000 builds with the envelope over a 201-point span, a quarter to four times f0.
void BM_Tolerance10kEnvelope201(benchmark::State& state) {
  const MatchingCircuit circuit = NearestStandardCircuit(DefaultCircuit(), {});
  ToleranceOptions options;
  options.builds = 10000;
  options.threads = static_cast<int>(state.range(0));
  SweepSpan span = DefaultSweepSpan(circuit.designFrequency);
  span.points = 201;
  options.envelope = span;
  ToleranceResult r;
  for (auto _ : state) {
    r = RunTolerance(circuit, options);
    benchmark::DoNotOptimize(r.envelopeMinDb.data());
  }
  ReportCircuit(state, circuit, r);
  state.SetItemsProcessed(state.iterations() * options.builds * span.points);
}
BENCHMARK(BM_Tolerance10kEnvelope201)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
}  // namespace corvantile
