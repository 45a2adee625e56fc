// Cost of the lossy parts: the loss analysis at the design frequency on top of the design pass,
// the compensated design, and a 10,001-point sweep with losses beside the lossless one
// (BM_Sweep in sweep_bench.cpp).

#include <vector>

#include <benchmark/benchmark.h>

#include "analysis/solvers/frequency_response.h"
#include "analysis/solvers/lossy_network.h"
#include "analysis/circuits/part_losses.h"

namespace corvantile {
namespace {

constexpr int kSweepPoints = 10001;

// The design pass and the circuit build alone, the baseline of the next one.
void BM_DesignCircuit(benchmark::State& state) {
  const RunState run = MakeDefaultRunState();
  for (auto _ : state) {
    CircuitBuild build = DesignCircuit(run);
    benchmark::DoNotOptimize(build);
  }
}
BENCHMARK(BM_DesignCircuit);

// The same followed by the loss analysis at f0 with the default Q values.
void BM_DesignCircuitAndLosses(benchmark::State& state) {
  const RunState run = MakeDefaultRunState();
  const LossModel model;
  for (auto _ : state) {
    const CircuitBuild build = DesignCircuit(run);
    LossAnalysis analysis = AnalyzeLosses(build.circuit, model);
    benchmark::DoNotOptimize(analysis);
  }
}
BENCHMARK(BM_DesignCircuitAndLosses);

// The loss analysis alone.
void BM_AnalyzeLosses(benchmark::State& state) {
  const MatchingCircuit circuit = DesignCircuit(MakeDefaultRunState()).circuit;
  const LossModel model;
  for (auto _ : state) {
    LossAnalysis analysis = AnalyzeLosses(circuit, model);
    benchmark::DoNotOptimize(analysis);
  }
}
BENCHMARK(BM_AnalyzeLosses);

// The compensated design of the default Pi (outer elements re-solved) with the default Q values,
// and of the transmitter tank with its fixed element 1.
void BM_CompensateLosses(benchmark::State& state) {
  const MatchingCircuit circuit = DesignCircuit(MakeDefaultRunState()).circuit;
  const LossModel model;
  int iterations = 0;
  for (auto _ : state) {
    CompensatedDesign design = CompensateLosses(circuit, model, DriverPhase);
    iterations = design.iterations;
    benchmark::DoNotOptimize(design);
  }
  state.counters["newton_steps"] = iterations;
}
BENCHMARK(BM_CompensateLosses);

void BM_CompensateTank(benchmark::State& state) {
  RunState run = MakeDefaultRunState();
  run.SourceValues[SeriesR] = 2500.0f;
  run.SourceValues[ParallelR] = 2500.0f;
  run.LoadValues[SeriesR] = 50.0f;
  run.LoadValues[ParallelR] = 50.0f;
  run.NetValues[Power] = 1500.0f;
  run.NetValues[DesignDriver] = 1.0f;
  run.NetValues[NetX1] = -208.33f;
  const MatchingCircuit circuit = DesignCircuit(run).circuit;
  LossModel model;
  model.inductor = {200.0, 0.0};
  model.capacitor = {2000.0, 0.0};
  int iterations = 0;
  for (auto _ : state) {
    CompensatedDesign design = CompensateLosses(circuit, model, 1.0f);
    iterations = design.iterations;
    benchmark::DoNotOptimize(design);
  }
  state.counters["newton_steps"] = iterations;
}
BENCHMARK(BM_CompensateTank);

// The sweep with losses (a skin-effect coil, constant-Q capacitors), into a vector that keeps
// its capacity between runs, as BM_Sweep does without them.
void BM_LossySweep(benchmark::State& state) {
  const MatchingCircuit circuit = DesignCircuit(MakeDefaultRunState()).circuit;
  SweepSpan span = DefaultSweepSpan(circuit.designFrequency);
  span.points = kSweepPoints;
  const LossModel model;
  std::vector<ResponsePoint> sweep;
  for (auto _ : state) {
    SweepResponse(circuit, span, sweep, model);
    benchmark::DoNotOptimize(sweep.data());
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * kSweepPoints);
}
BENCHMARK(BM_LossySweep)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace corvantile
