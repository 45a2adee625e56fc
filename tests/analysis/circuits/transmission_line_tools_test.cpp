// The line model against the tools engineers trust: scikit-rf's own transmission-line media
// give the same impedance through a lossless and a lossy line within 1e-6, and ngspice's lossy
// transmission line behind a matching network gives the sweep the program makes of the same
// network with the line folded into its load.
#include <charconv>
#include <cmath>
#include <complex>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <unistd.h>

#include "analysis/circuits/matching_circuit.h"
#include "analysis/circuits/transmission_line.h"
#include "analysis/solvers/frequency_response.h"
#include "analysis/solvers/line_embedding.h"
#include "support/process.h"
#include "units/constants.h"

namespace corvantile {
namespace {

namespace fs = std::filesystem;
using Complex = std::complex<double>;
using testing::Environment;
using testing::Quoted;
using testing::RunCommand;

double Number(const std::string& text) {
  double value = 0.0;
  const auto result = std::from_chars(text.data(), text.data() + text.size(), value);
  EXPECT_TRUE(result.ec == std::errc() && result.ptr == text.data() + text.size()) << text;
  return value;
}

std::string Exact(double value) {
  std::ostringstream out;
  out.imbue(std::locale::classic());
  out.precision(17);
  out << value;
  return out.str();
}

// Runs line_cases.py and checks every LINE it prints against `line`; returns how many.
int CompareWithScikitRf(const TransmissionLine& line, const std::string& arguments) {
  const std::string python = Environment("CORVANTILE_PYTHON");
  int status = 0;
  const std::string output =
      RunCommand(Quoted(python) + " " + Quoted(Environment("CORVANTILE_LINE_CASES")) + " " +
                     arguments + " 2>&1",
                 status);
  EXPECT_EQ(status, 0) << output;
  int cases = 0;
  std::istringstream lines(output);
  for (std::string text; std::getline(lines, text);) {
    std::istringstream words(text);
    std::string word, f, lr, lx, r, x;
    if (!(words >> word) || word != "LINE") continue;
    EXPECT_TRUE(words >> f >> lr >> lx >> r >> x) << text;
    const double hertz = Number(f);
    const Complex load(Number(lr), Number(lx)), expected(Number(r), Number(x));
    const Complex ours = line.SeenThrough(hertz, load);
    EXPECT_LE(std::abs(ours - expected), 1e-6 * std::abs(expected))
        << arguments << " at " << f << " Hz, load " << load << ": " << ours << " against "
        << expected;
    ++cases;
  }
  return cases;
}

TEST(TransmissionLineToolsTest, ScikitRfLosslessLineAgrees) {
  if (Environment("CORVANTILE_PYTHON").empty()) GTEST_SKIP() << "no python3 with scikit-rf";
  const TransmissionLine line(ConstantsFromLoss(50.0, 0.66, LossFit{}), 30.0);
  EXPECT_EQ(CompareWithScikitRf(line, "lossless 50 0.66 30"), 36);
}

TEST(TransmissionLineToolsTest, ScikitRfLossyLineAgrees) {
  if (Environment("CORVANTILE_PYTHON").empty()) GTEST_SKIP() << "no python3 with scikit-rf";
  // RG-58 from its datasheet figures, and the same with a DC resistance and leakage added.
  for (const double extra : {0.0, 1.0}) {
    LineConstants c = FindCable("RG-58")->Line(1.0).Constants();
    c.rDc += 0.02 * extra;
    c.gDc += 1e-7 * extra;
    const TransmissionLine line(c, 42.7);
    const std::string arguments = "rlgc " + Exact(c.rDc) + " " + Exact(c.rSqrt) + " " +
                                  Exact(c.inductance) + " " + Exact(c.gDc) + " " + Exact(c.gPerHz) +
                                  " " + Exact(c.capacitance) + " 42.7";
    EXPECT_EQ(CompareWithScikitRf(line, arguments), 36);
  }
}

// ngspice: a Pi network driven at its input by a 1 A current source, so v(in) is the input
// impedance, with an LTRA lossy line (constant R, L and C: LTRA takes no G beside R and L) between
// the network and a series RL load. The program: the same network with the load seen through the
// line as a measured side.
TEST(TransmissionLineToolsTest, NgspiceNetworkPlusLineAgrees) {
  const std::string ngspice = Environment("CORVANTILE_NGSPICE");
  if (ngspice.empty()) GTEST_SKIP() << "ngspice was not found when the build was configured";
  LineConstants c;
  c.rDc = 0.012;
  c.inductance = 2.5e-7;
  c.capacitance = 1.0e-10;
  const TransmissionLine line(c, 30.0);
  const double rl = 20.0, ll = 1.2e-6;

  MatchingCircuit circuit;
  circuit.source = {Connection::Series, 50.0, {PartKind::Short, 0.0}};
  circuit.load = {Connection::Series, rl, {PartKind::Inductor, ll}};
  circuit.topology = NetworkTopology::Pi;
  circuit.elements = {CircuitPart{PartKind::Capacitor, 330e-12},
                      CircuitPart{PartKind::Inductor, 2.2e-6},
                      CircuitPart{PartKind::Capacitor, 820e-12}};
  circuit.designFrequency = 3.6e6;
  circuit.designPower = 100.0;
  circuit.sourceEmf = std::sqrt(4.0 * 100.0 * 50.0);

  const fs::path directory =
      fs::temp_directory_path() / ("corvantile-line-" + std::to_string(::getpid()));
  fs::create_directories(directory);
  const fs::path netlist = directory / "line.cir";
  {
    std::ofstream out(netlist);
    out.imbue(std::locale::classic());
    out.precision(17);
    out << "* Pi network and lossy line\n"
        << "I1 0 in DC 0 AC 1\n"
        << "C1 in 0 330p\nL2 in mid 2.2u\nC3 mid 0 820p\n"
        << "O1 mid 0 far 0 feed\n"
        << ".model feed LTRA R=" << c.rDc << " L=" << c.inductance << " G=" << c.gDc
        << " C=" << c.capacitance << " LEN=" << line.Length() << "\n"
        << "RL far x " << rl << "\nLL x 0 " << ll << "\n"
        << ".ac lin 21 3e6 4e6\n"
        << ".control\nrun\nset numdgt=15\nprint frequency real(v(in)) imag(v(in))\nquit "
           "0\n.endc\n.end\n";
  }
  int status = 0;
  const std::string output =
      RunCommand("LC_ALL=C " + Quoted(ngspice) + " -b " + Quoted(netlist) + " 2>&1", status);
  ASSERT_EQ(status, 0) << output;

  const auto load = [&](double f) { return Complex(rl, kTwoPi * f * ll); };
  const TouchstoneData seen =
      LineSeenData(load, 2.9e6, 4.1e6, line, LineDirection::Add, 50.0, "load through line");
  const TouchstonePort port(seen, 1);
  MeasuredSides sides;
  sides.load = &port;
  int rows = 0;
  std::istringstream lines(output);
  for (std::string text; std::getline(lines, text);) {
    std::istringstream words(text);
    std::string index, f, r, x;
    if (!(words >> index >> f >> r >> x) ||
        index.find_first_not_of("0123456789") != std::string::npos) {
      continue;
    }
    const double hertz = Number(f);
    const Complex spice(Number(r), Number(x));
    const Complex ours = EvaluateResponse(circuit, hertz, sides).inputImpedance;
    // The load file is interpolated between samples; ngspice prints 15 digits.
    EXPECT_LE(std::abs(ours - spice), 1e-5 * std::abs(spice))
        << "at " << f << " Hz: " << ours << " against ngspice " << spice;
    ++rows;
  }
  EXPECT_EQ(rows, 21) << output;
  std::error_code ignored;
  fs::remove_all(directory, ignored);
}

}  // namespace
}  // namespace corvantile
