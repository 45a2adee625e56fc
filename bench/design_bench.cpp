// Cost of what the design window does on every change (reduce both sides, design the network)
// and of saving and restoring the circuit.
#include <cstdint>
#include <string>

#include <benchmark/benchmark.h>

#include "math/design_network.h"
#include "state/circuit_state.h"
#include "state/session_file.h"

namespace corvantile {
namespace {

// The full pass on the default circuit (1500 to 300 ohm, 3.75 MHz) in one family.
void BM_DesignPass(benchmark::State& bench, float family) {
  RunState state = MakeDefaultRunState();
  state.NetValues[NetworkFamily] = family;
  for (auto _ : bench) {
    // An L design rewrites the phase; start every pass from the same phase.
    state.NetValues[NetworkPhase] = -135.0f;
    benchmark::DoNotOptimize(RunDesignPass(state));
    benchmark::ClobberMemory();
  }
  if (state.NetValues[NetX2] == 0.0f) bench.SkipWithError("the default circuit was not designed");
}
BENCHMARK_CAPTURE(BM_DesignPass, Tee, FamilyTee);
BENCHMARK_CAPTURE(BM_DesignPass, Pi, FamilyPi);
BENCHMARK_CAPTURE(BM_DesignPass, LowPassL, FamilyLowpassL);
BENCHMARK_CAPTURE(BM_DesignPass, HighPassL, FamilyHighpassL);

RunState DesignedDefault() {
  RunState state = MakeDefaultRunState();
  RunDesignPass(state);
  return state;
}

void BM_SessionFileText(benchmark::State& bench) {
  const RunState state = DesignedDefault();
  for (auto _ : bench) {
    std::string text = SessionFileText(state);
    benchmark::DoNotOptimize(text);
  }
}
BENCHMARK(BM_SessionFileText);

void BM_ReadSessionText(benchmark::State& bench) {
  const std::string text = SessionFileText(DesignedDefault());
  RunState state = MakeDefaultRunState();
  for (auto _ : bench) {
    benchmark::DoNotOptimize(ReadSessionText(text, state));
    benchmark::ClobberMemory();
  }
  bench.SetBytesProcessed(static_cast<std::int64_t>(bench.iterations()) *
                          static_cast<std::int64_t>(text.size()));
}
BENCHMARK(BM_ReadSessionText);

}  // namespace
}  // namespace corvantile
