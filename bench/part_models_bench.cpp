// Cost of real parts with their parasitics: the re-solve of the 433 MHz amplifier's Pi with
// 0402 equivalent circuits, and a 10,001-point sweep with them (beside BM_LossySweep's Q alone).

#include <cmath>
#include <vector>

#include <benchmark/benchmark.h>

#include "analysis/circuits/part_losses.h"
#include "analysis/solvers/frequency_response.h"
#include "analysis/solvers/lossy_network.h"

namespace corvantile {
namespace {

constexpr int kSweepPoints = 10001;

MatchingCircuit AmplifierPi() {
  MatchingCircuit c;
  c.topology = NetworkTopology::Pi;
  c.designFrequency = 433e6;
  c.designPower = 5.0;
  c.source = {Connection::Series, 15.6, CircuitPart{}};
  c.load = {Connection::Series, 50.0, CircuitPart{}};
  c.sourceEmf = std::sqrt(4.0 * 5.0 * 15.6);
  c.elements = {CircuitPart{PartKind::Capacitor, 42.174e-12},
                CircuitPart{PartKind::Inductor, 7.25879e-9},
                CircuitPart{PartKind::Capacitor, 25.9636e-12}};
  return c;
}

// 0402 parts: C0G capacitors of 0.1 ohm ESR and 0.4 nH ESL, wire-wound inductors of Q 50 with
// 0.14 pF across them.
LossModel Parts0402() {
  LossModel m;
  m.capacitorParts.esr = 0.1;
  m.capacitorParts.esl = 0.4e-9;
  m.inductor = {50.0, 0.5};
  m.inductorParts.cp = 0.14e-12;
  return m;
}

void BM_CompensateEquivalentCircuits(benchmark::State& state) {
  const MatchingCircuit circuit = AmplifierPi();
  const LossModel model = Parts0402();
  for (auto _ : state) {
    CompensatedDesign design = CompensateLosses(circuit, model, 0.0f);
    benchmark::DoNotOptimize(design);
  }
}
BENCHMARK(BM_CompensateEquivalentCircuits)->Unit(benchmark::kMicrosecond);

void BM_EquivalentCircuitSweep(benchmark::State& state) {
  const MatchingCircuit circuit = AmplifierPi();
  const SweepSpan span{100e6, 6e9, kSweepPoints, true};
  const LossModel model = Parts0402();
  std::vector<ResponsePoint> sweep;
  for (auto _ : state) {
    SweepResponse(circuit, span, sweep, model);
    benchmark::DoNotOptimize(sweep.data());
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * kSweepPoints);
}
BENCHMARK(BM_EquivalentCircuitSweep)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace corvantile
