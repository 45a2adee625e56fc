// Cost of the whole band search over one band of 201 points, every element count up to 4 and
// up to 5 (every arrangement of each, seeded, refined to the minimax optimum), and of one
// in-band evaluation of a ladder. Run: corvantile-bench --benchmark_filter=Band

#include <complex>
#include <numbers>
#include <vector>

#include <benchmark/benchmark.h>

#include "analysis/studies/band_match.h"

namespace corvantile {
namespace {

// The published case: 50 ohm to 15 ohm in series with 5 pF over 0.8-1.8 GHz.
void BM_BandSearch(benchmark::State& state) {
  const Termination source{Connection::Series, 50.0, CircuitPart{}};
  const Termination load{Connection::Series, 15.0, CircuitPart{PartKind::Capacitor, 5e-12}};
  BandMatchOptions o;
  o.bands = {{0.8e9, 1.8e9}};
  o.maxElements = static_cast<int>(state.range(0));
  o.pointsPerBand = 201;
  for (auto _ : state) {
    const BandMatch m = MatchOverBands(source, load, 1.3e9, 100.0, o);
    benchmark::DoNotOptimize(m);
  }
}
BENCHMARK(BM_BandSearch)->Arg(4)->Arg(5)->Unit(benchmark::kMillisecond);

// A resistive 50 to 200 ohm step over a 20 % band.
void BM_BandSearchResistive(benchmark::State& state) {
  const Termination source{Connection::Series, 50.0, CircuitPart{}};
  const Termination load{Connection::Series, 200.0, CircuitPart{}};
  BandMatchOptions o;
  o.bands = {{9e6, 11e6}};
  o.maxElements = static_cast<int>(state.range(0));
  for (auto _ : state) {
    const BandMatch m = MatchOverBands(source, load, 10e6, 100.0, o);
    benchmark::DoNotOptimize(m);
  }
}
BENCHMARK(BM_BandSearchResistive)->Arg(4)->Arg(5)->Unit(benchmark::kMillisecond);

// One evaluation of the worst |Gamma|^2 of a five-element ladder at 201 points; the counter
// is the time per point.
void BM_BandGridEvaluation(benchmark::State& state) {
  std::vector<double> f;
  std::vector<std::complex<double>> zs, zl;
  for (int k = 0; k < 201; ++k) {
    f.push_back(0.8e9 + 1e9 * k / 200.0);
    zs.emplace_back(50.0, 0.0);
    zl.emplace_back(15.0, -1.0 / (2.0 * std::numbers::pi * f.back() * 5e-12));
  }
  const BandGrid grid(f, zs, zl, 2.0 * std::numbers::pi * 1.3e9, 27.4);
  const LadderArrangement a{5, false, 0b10101};
  const std::vector<double> x{0.1, -0.3, 0.5, 0.2, -0.1};
  for (auto _ : state) benchmark::DoNotOptimize(grid.WorstReflectionSquared(a, x));
  state.counters["per_point"] =
      benchmark::Counter(201.0 * static_cast<double>(state.iterations()),
                         benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_BandGridEvaluation);

}  // namespace
}  // namespace corvantile
