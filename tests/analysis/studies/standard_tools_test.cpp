// Every standard-value design run in ngspice from its own netlist: the return loss ngspice's
// input impedance gives agrees with ours within 0.01 dB, with ideal parts and with lossy ones
// (each part's series resistance in the netlist).
#include <charconv>
#include <complex>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include "analysis/circuits/element_network.h"
#include "analysis/solvers/lossy_network.h"
#include "analysis/formats/spice_netlist.h"
#include "analysis/studies/standard_design.h"
#include "support/design_cases.h"
#include "support/process.h"

namespace corvantile {
namespace {

namespace fs = std::filesystem;

bool Number(const std::string& text, double& value) {
  const auto r = std::from_chars(text.data(), text.data() + text.size(), value);
  return r.ec == std::errc() && r.ptr == text.data() + text.size();
}

// Inductors of Q 50 with the skin effect and capacitors of Q 400, or every part ideal.
LossModel TestLosses(bool lossy) {
  if (!lossy) return IdealLossModel();
  LossModel m;
  m.inductor = {50.0, 0.5};
  m.capacitor = {400.0, 0.0};
  return m;
}

class StandardToolsTest : public ::testing::TestWithParam<bool> {};

TEST_P(StandardToolsTest, NgspiceConfirmsEveryStandardValueDesign) {
  const LossModel losses = TestLosses(GetParam());
  const char* env = std::getenv("CORVANTILE_NGSPICE");
  const std::string ngspice = env == nullptr ? "" : env;
  ASSERT_FALSE(ngspice.empty()) << "ngspice was not found when the build was configured";
  const fs::path dir = fs::temp_directory_path() /
                       ("corvantile-standard-" + std::to_string(static_cast<long>(::getpid())));
  fs::create_directories(dir);

  std::vector<testing::DesignCase> cases;
  cases.push_back({});
  const auto grid = testing::DesignGrid();
  for (std::size_t i = 3; i < grid.size(); i += 97) cases.push_back(grid[i]);
  int designs = 0;
  for (const testing::DesignCase& c : cases) {
    const StandardSolutions s = SolveStandardValues(testing::StateFor(c), {}, losses);
    if (s.problem != CircuitProblem::None) continue;
    std::vector<const StandardDesign*> all = {&s.nearest, &s.best};
    for (const FixedFirstDesign& f : s.fixedFirst) {
      if (f.possible) all.push_back(&f.design);
    }
    for (const StandardDesign* d : all) {
      SCOPED_TRACE(testing::Describe(c));
      const MatchingCircuit& circuit = d->circuit;
      const double f0 = circuit.designFrequency;
      const SweepSpan span{f0, f0 * 1.01, 2, false};
      const fs::path file = dir / ("design" + std::to_string(++designs) + ".cir");
      std::ofstream(file) << (GetParam() ? SpiceNetlist(circuit, span, losses)
                                         : SpiceNetlist(circuit, span));
      int status = 0;
      const std::string out =
          testing::RunCommand("LC_ALL=C '" + ngspice + "' -b '" + file.string() + "' 2>&1", status);
      ASSERT_EQ(status, 0) << out;
      // ngspice prints one point as "zin_re = ..." lines and several as a table
      // "index frequency zin_re zin_im pload"; the first point is f0 either way.
      bool found = false;
      double f = f0, re = 0.0, im = 0.0;
      int named = 0;
      std::istringstream lines(out);
      for (std::string line; std::getline(lines, line);) {
        std::istringstream words(line);
        std::vector<std::string> w;
        for (std::string x; words >> x;) w.push_back(x);
        double index, pload;
        if (w.size() == 3 && w[1] == "=" && (w[0] == "zin_re" || w[0] == "zin_im")) {
          named += Number(w[2], w[0] == "zin_re" ? re : im) ? 1 : 0;
          if (named < 2) continue;
        } else if (w.size() != 5 || !Number(w[0], index) || !Number(w[1], f) || !Number(w[2], re) ||
                   !Number(w[3], im) || !Number(w[4], pload) || index != 0.0) {
          continue;
        }
        const double omega = 2.0 * 3.14159265358979323846 * f;
        const std::complex<double> zs = TerminationImpedance(circuit.source, omega);
        const std::complex<double> zin{re, im};
        const double rl = -20.0 * std::log10(std::abs((zin - std::conj(zs)) / (zin + zs)));
        EXPECT_NEAR(rl, d->summary.atDesign.returnLossDb, 0.01);
        if (GetParam()) {
          EXPECT_NEAR(rl, AnalyzeLosses(circuit, losses, f).returnLossDb, 0.01);
          // The losses are in the netlist: the ideal network's figure is another one.
          EXPECT_GT(std::fabs(rl - SolveCircuit(circuit, f).returnLossDb), 0.01);
        } else {
          EXPECT_NEAR(rl, SolveCircuit(circuit, f).returnLossDb, 0.01);
        }
        found = true;
      }
      EXPECT_TRUE(found) << out;
    }
  }
  EXPECT_GT(designs, 20);
  std::error_code ignored;
  fs::remove_all(dir, ignored);
}

INSTANTIATE_TEST_SUITE_P(Parts, StandardToolsTest, ::testing::Values(false, true),
                         [](const ::testing::TestParamInfo<bool>& param) {
                           return param.param ? "Lossy" : "Ideal";
                         });

}  // namespace
}  // namespace corvantile
