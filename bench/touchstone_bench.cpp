// Cost of reading measured data: a 100,001-point 2-port Touchstone file from disk (an
// analyser's longest sweep), and the impedance of its port 1 at each of the 10,001 points of a
// sweep (compare BM_Sweep, the sweep itself). bench/touchstone_vs_skrf.py times scikit-rf on
// the same file and sets CORVANTILE_BENCH_S2P to it; without it a file is written here.

#include <cmath>
#include <complex>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <benchmark/benchmark.h>
#include <unistd.h>

#include "analysis/solvers/frequency_response.h"
#include "analysis/formats/number_text.h"
#include "analysis/formats/touchstone_reader.h"

namespace corvantile {
namespace {

constexpr int kFilePoints = 100001;
constexpr int kSweepPoints = 10001;

// A 2-port of kFilePoints from 1 MHz to 1 GHz in RI: a resonant reflection and a delayed
// transmission, written with the full digits an analyser's export keeps.
std::string TwoPortText(int points) {
  std::string text = "! 2-port benchmark file\n# Hz S RI R 50\n";
  for (int k = 0; k < points; ++k) {
    const double f = 1e6 + (1e9 - 1e6) * k / (points - 1);
    const double phase = f * 2e-9;
    const std::complex<double> s11 = 0.6 * std::polar(1.0, -phase) + 0.1;
    const std::complex<double> s21 = 0.7 * std::polar(1.0, -3.0 * phase);
    text += ExactNumber(f);
    for (const std::complex<double> v : {s11, s21, s21, -s11}) {
      text += ' ' + ExactNumber(v.real()) + ' ' + ExactNumber(v.imag());
    }
    text += '\n';
  }
  return text;
}

// The file named by CORVANTILE_BENCH_S2P, or one written for this run and removed at exit.
class BenchFile {
 public:
  BenchFile() {
    if (const char* given = std::getenv("CORVANTILE_BENCH_S2P")) {
      path_ = given;
      return;
    }
    path_ = (std::filesystem::temp_directory_path() /
             ("corvantile-bench-" + std::to_string(static_cast<long>(::getpid())) + ".s2p"))
                .string();
    std::ofstream(path_, std::ios::binary) << TwoPortText(kFilePoints);
    owned_ = true;
  }
  ~BenchFile() {
    std::error_code ignored;
    if (owned_) std::filesystem::remove(path_, ignored);
  }
  const std::string& Path() const { return path_; }

 private:
  std::string path_;
  bool owned_ = false;
};

void BM_ReadTouchstone2Port(benchmark::State& state) {
  static const BenchFile file;
  const std::string& path = file.Path();
  std::size_t points = 0;
  for (auto _ : state) {
    const TouchstoneRead read = ReadTouchstoneFile(path);
    if (!read.Ok()) {
      state.SkipWithError(read.error.c_str());
      return;
    }
    points = read.data.Points();
    benchmark::DoNotOptimize(read.data.s.data());
  }
  state.SetItemsProcessed(state.iterations() * static_cast<long>(points));
}
BENCHMARK(BM_ReadTouchstone2Port)->Unit(benchmark::kMillisecond);

// Port 1's impedance at every point of a logarithmic sweep across the file's band, into a
// vector that keeps its capacity between runs.
void BM_PortImpedanceSweep(benchmark::State& state) {
  const TouchstoneRead read = ReadTouchstoneText(TwoPortText(1001), "bench.s2p");
  const TouchstonePort port(read.data, 1);
  const std::vector<double> at = SweepFrequencies({port.From(), port.To(), kSweepPoints, true});
  std::vector<std::complex<double>> impedances;
  for (auto _ : state) {
    port.Impedances(at, impedances);
    benchmark::DoNotOptimize(impedances.data());
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * kSweepPoints);
}
BENCHMARK(BM_PortImpedanceSweep)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace corvantile
