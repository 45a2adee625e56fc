// Cost of a frequency sweep of the default design: 10,001 points over a quarter to four
// times the design frequency, the size an engineer asks for when looking at a passband
// closely. Also the cost of the summary and the exports over the same points.

#include <string>
#include <vector>

#include <benchmark/benchmark.h>

#include "analysis/solvers/frequency_response.h"
#include "analysis/formats/spice_netlist.h"
#include "analysis/formats/sweep_csv.h"
#include "analysis/solvers/sweep_summary.h"
#include "analysis/formats/touchstone.h"

namespace corvantile {
namespace {

constexpr int kSweepPoints = 10001;

MatchingCircuit DefaultCircuit() { return DesignCircuit(MakeDefaultRunState()).circuit; }

SweepSpan BenchSpan(const MatchingCircuit& circuit) {
  SweepSpan span = DefaultSweepSpan(circuit.designFrequency);
  span.points = kSweepPoints;
  return span;
}

// The sweep alone, into a vector that keeps its capacity between runs.
void BM_Sweep(benchmark::State& state) {
  const MatchingCircuit circuit = DefaultCircuit();
  const SweepSpan span = BenchSpan(circuit);
  std::vector<ResponsePoint> sweep;
  for (auto _ : state) {
    SweepResponse(circuit, span, sweep);
    benchmark::DoNotOptimize(sweep.data());
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * kSweepPoints);
}
BENCHMARK(BM_Sweep)->Unit(benchmark::kMicrosecond);

// From the state to the summary figures: design, build, sweep into a fresh vector, summarise.
void BM_SweepAndSummary(benchmark::State& state) {
  const RunState run = MakeDefaultRunState();
  for (auto _ : state) {
    const CircuitBuild build = DesignCircuit(run);
    const std::vector<ResponsePoint> sweep = SweepResponse(build.circuit, BenchSpan(build.circuit));
    SweepSummary summary = SummarizeSweep(build.circuit, sweep);
    benchmark::DoNotOptimize(summary);
  }
}
BENCHMARK(BM_SweepAndSummary)->Unit(benchmark::kMicrosecond);

void BM_TouchstoneExport(benchmark::State& state) {
  const MatchingCircuit circuit = DefaultCircuit();
  for (auto _ : state) {
    std::string text = TouchstoneS2p(circuit, BenchSpan(circuit), kDefaultReferenceImpedance);
    benchmark::DoNotOptimize(text);
  }
}
BENCHMARK(BM_TouchstoneExport)->Unit(benchmark::kMillisecond);

void BM_CsvExport(benchmark::State& state) {
  const MatchingCircuit circuit = DefaultCircuit();
  const std::vector<ResponsePoint> sweep = SweepResponse(circuit, BenchSpan(circuit));
  for (auto _ : state) {
    std::string text = SweepCsv(sweep);
    benchmark::DoNotOptimize(text);
  }
}
BENCHMARK(BM_CsvExport)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace corvantile
