// Cost of the whole exploration of the default circuit: the design window's L networks, every
// other L, the two-section L, and the Pi and Tee at 1-degree steps, each summarised from a
// 201-point sweep. Run: corvantile-bench --benchmark_filter=Explore

#include <benchmark/benchmark.h>

#include "analysis/studies/explore.h"

namespace corvantile {
namespace {

void BM_ExploreDefault(benchmark::State& state) {
  const RunState run = MakeDefaultRunState();
  std::size_t candidates = 0;
  for (auto _ : state) {
    Exploration e = Explore(run);
    candidates = e.candidates.size();
    benchmark::DoNotOptimize(e);
  }
  state.counters["candidates"] = static_cast<double>(candidates);
}
BENCHMARK(BM_ExploreDefault)->Unit(benchmark::kMillisecond);

// Reactive ends in parallel and series form: up to four L solutions and a Bode-Fano bound.
void BM_ExploreReactive(benchmark::State& state) {
  RunState run = MakeDefaultRunState();
  run.LoadValues[EntryForm] = 2.0f;
  run.LoadValues[EntryFormCopy] = 2.0f;
  run.LoadValues[ParallelR] = 300.0f;
  run.LoadValues[ParallelX] = -600.0f;
  std::size_t candidates = 0;
  for (auto _ : state) {
    Exploration e = Explore(run);
    candidates = e.candidates.size();
    benchmark::DoNotOptimize(e);
  }
  state.counters["candidates"] = static_cast<double>(candidates);
}
BENCHMARK(BM_ExploreReactive)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace corvantile
