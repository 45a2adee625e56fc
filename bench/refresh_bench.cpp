// Cost of one full RefreshDesign: reduction, design, every caption and the whole schematic,
// drawn into the recording toolkit (so the drawing calls are counted, not rasterised).

#include <benchmark/benchmark.h>

#include "design/design_controls.h"
#include "design/design_window.h"
#include "state/circuit_state.h"
#include "toolkit/recording_toolkit.h"

namespace corvantile {
namespace {

// The default Pi and a Tee with reactive source and load, drawn with every symbol kind.
void BM_RefreshDesign(benchmark::State& bench, float family, bool reactive) {
  RunState state = MakeDefaultRunState();
  state.NetValues[NetworkFamily] = family;
  if (reactive) {
    state.SourceValues[SeriesX] = 200;
    state.LoadValues[EntryForm] = 2;
    state.LoadValues[ParallelR] = 300;
    state.LoadValues[ParallelX] = -400;
  }
  toolkit::RecordingWindow window;
  toolkit::RecordingPlatform platform;
  ApplyDesignTimeState(window);
  DesignWindow design(state, window, platform);
  design.FormLoad();
  for (auto _ : bench) {
    design.RefreshDesign();
    benchmark::DoNotOptimize(window.surface().calls().data());
  }
  bench.counters["draw_calls"] = static_cast<double>(window.surface().calls().size());
}

BENCHMARK_CAPTURE(BM_RefreshDesign, DefaultPi, FamilyPi, false);
BENCHMARK_CAPTURE(BM_RefreshDesign, ReactiveTee, FamilyTee, true);

}  // namespace
}  // namespace corvantile
