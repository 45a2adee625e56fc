// Cost of seeing a measured far end through a feedline, paid each time the line or the file
// changes: a sparse antenna file (4 points, 1 to 30 MHz) behind 100 m of RG-58, sampled at the
// line's fine steps over the file's band (about 95,000 points), the case the design model and
// --line take for a long line over a wide band; and a typed load at 14 MHz behind 30 m of
// RG-213, sampled from f0 / 8 to 8 f0, paid at each change of the design frequency or the far
// end's values.

#include <complex>

#include <benchmark/benchmark.h>

#include "analysis/circuits/transmission_line.h"
#include "analysis/solvers/line_embedding.h"

namespace corvantile {
namespace {

void BM_SparseFileThroughLongLine(benchmark::State& state) {
  TouchstoneData file;
  file.name = "antenna.s1p";
  file.version = 1;
  file.ports = 1;
  file.referenceImpedances = {50.0};
  file.frequencies = {1e6, 10e6, 20e6, 30e6};
  for (const double f : file.frequencies) {
    file.s.push_back(ReflectionOf(std::complex<double>(20.0 + f * 1e-6, f * 2e-6 - 30.0), 50.0));
  }
  const TouchstonePort far(file, 1);
  const TransmissionLine line = FindCable("RG-58")->Line(100.0);
  std::size_t points = 0;
  for (auto _ : state) {
    const TouchstoneData seen = LineSeenData(far, line, LineDirection::Add, 50.0, "seen.s1p");
    points = seen.frequencies.size();
    benchmark::DoNotOptimize(seen.s.data());
  }
  state.counters["points"] = static_cast<double>(points);
}
BENCHMARK(BM_SparseFileThroughLongLine)->Unit(benchmark::kMillisecond);

void BM_TypedLoadThroughLine(benchmark::State& state) {
  const TransmissionLine line = FindCable("RG-213")->Line(30.0);
  const auto load = [](double f) { return std::complex<double>(12.0, f * 2e-6 - 30.0); };
  std::size_t points = 0;
  for (auto _ : state) {
    const TouchstoneData seen = SideSeenThroughLine(nullptr, load, 14e6, line, 50.0, "load");
    points = seen.frequencies.size();
    benchmark::DoNotOptimize(seen.s.data());
  }
  state.counters["points"] = static_cast<double>(points);
}
BENCHMARK(BM_TypedLoadThroughLine)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace corvantile
