// The exports opened in the tools they are written for: ngspice runs the netlist as it stands
// and finds the same input impedance and load power as the engine, and scikit-rf reads the
// Touchstone file back as the same S-parameters.
#include <charconv>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "analysis/circuits/two_port.h"
#include "analysis/formats/spice_netlist.h"
#include "analysis/formats/touchstone.h"
#include "analysis/solvers/frequency_response.h"
#include "analysis/solvers/lossy_network.h"
#include "analysis/studies/band_match.h"
#include "analysis/studies/explore.h"
#include "support/circuit_solver.h"
#include "support/design_cases.h"
#include "support/files.h"
#include "support/process.h"

namespace corvantile {
namespace {

namespace fs = std::filesystem;
using testing::Environment;
using testing::Quoted;
using testing::RunCommand;

bool ParseNumber(const std::string& text, double& value) {
  const auto result = std::from_chars(text.data(), text.data() + text.size(), value);
  return result.ec == std::errc() && result.ptr == text.data() + text.size();
}

std::vector<std::string> Words(const std::string& line) {
  std::istringstream in(line);
  std::vector<std::string> words;
  for (std::string w; in >> w;) words.push_back(w);
  return words;
}

double RelativeError(double actual, double expected) {
  return std::fabs(actual - expected) / std::fabs(expected);
}

class ExternalToolsTest : public ::testing::Test {
 protected:
  fs::path Write(const std::string& name, const std::string& text) {
    const fs::path path = folder_.path() / name;
    testing::WriteBytes(path, text);
    return path;
  }
  const testing::ScratchFolder folder_;
};

struct ToolCase {
  std::string name;
  RunState state;
  bool logarithmic;
};

// One design of each family, with reactive sources and loads in every entry form, the default
// circuit, and a Tee whose first element is fixed at 0 ohm (a plain wire).
std::vector<ToolCase> ToolCases() {
  std::vector<ToolCase> cases;
  auto add = [&](float family, testing::SideEntry source, testing::SideEntry load, float phase,
                 bool logarithmic) {
    testing::DesignCase d;
    d.family = family;
    d.source = source;
    d.load = load;
    d.phase = phase;
    d.frequency = 7.1e6f;
    d.power = 100.0f;
    cases.push_back({testing::Describe(d), testing::StateFor(d), logarithmic});
  };
  add(FamilyTee, {1, 50.0f, 25.0f}, {4, 200.0f, -300.0f}, -120.0f, true);
  add(FamilyPi, {2, 1500.0f, 2000.0f}, {3, 75.0f, 40.0f}, -135.0f, false);
  add(FamilyLowpassL, {3, 300.0f, -150.0f}, {1, 50.0f, -20.0f}, 0.0f, true);
  add(FamilyHighpassL, {4, 800.0f, 500.0f}, {2, 100.0f, -300.0f}, 0.0f, true);
  cases.push_back({"default circuit", MakeDefaultRunState(), true});
  RunState wire = MakeDefaultRunState();
  wire.NetValues[NetworkFamily] = FamilyTee;
  wire.NetValues[DesignDriver] = 1.0f;
  wire.NetValues[NetX1] = 0.0f;
  cases.push_back({"Tee with element 1 fixed at 0 ohm", wire, false});
  return cases;
}

TEST_F(ExternalToolsTest, NgspiceAgreesWithTheEngine) {
  const std::string ngspice = Environment("CORVANTILE_NGSPICE");
  ASSERT_FALSE(ngspice.empty()) << "ngspice was not found when the build was configured; "
                                   "scripts/install-deps.sh installs it";
  int caseNumber = 0;
  for (const ToolCase& tc : ToolCases()) {
    SCOPED_TRACE(tc.name);
    const CircuitBuild build = DesignCircuit(tc.state);
    ASSERT_EQ(build.problem, CircuitProblem::None);
    const MatchingCircuit& circuit = build.circuit;
    SweepSpan span = DefaultSweepSpan(circuit.designFrequency);
    span.points = 121;
    span.logarithmic = tc.logarithmic;
    const fs::path file =
        Write("case" + std::to_string(++caseNumber) + ".cir", SpiceNetlist(circuit, span));

    int status = 0;
    const std::string output =
        RunCommand("LC_ALL=C " + Quoted(ngspice) + " -b " + Quoted(file) + " 2>&1", status);
    ASSERT_EQ(status, 0) << output;

    // The printed table: "index frequency zin_re zin_im pload" per row.
    int rows = 0;
    std::istringstream lines(output);
    for (std::string line; std::getline(lines, line);) {
      const std::vector<std::string> w = Words(line);
      double index, f, zinRe, zinIm, pload;
      if (w.size() != 5 || !ParseNumber(w[0], index) || !ParseNumber(w[1], f) ||
          !ParseNumber(w[2], zinRe) || !ParseNumber(w[3], zinIm) || !ParseNumber(w[4], pload)) {
        continue;
      }
      ++rows;
      const ResponsePoint p = EvaluateResponse(circuit, f);
      const double zinError = std::abs(std::complex<double>{zinRe, zinIm} - p.inputImpedance) /
                              std::abs(p.inputImpedance);
      EXPECT_LT(zinError, 1e-4) << "input impedance at " << f << " Hz";
      EXPECT_LT(RelativeError(pload, p.loadPower), 1e-4) << "load power at " << f << " Hz";
    }
    EXPECT_GE(rows, span.points - 2) << output;
    EXPECT_LE(rows, span.points + 5) << output;
  }
}

// The netlist with the parts' series resistances, run at the design frequency, where each
// resistor is exact: ngspice's dissipation in every resistor and its load power agree with the
// loss analysis. The test's copy of the netlist also prints the power in each resistor.
TEST_F(ExternalToolsTest, NgspiceConfirmsTheDissipationOfLossyParts) {
  const std::string ngspice = Environment("CORVANTILE_NGSPICE");
  ASSERT_FALSE(ngspice.empty()) << "ngspice was not found when the build was configured";
  int caseNumber = 0;
  const double laws[] = {0.0, 0.5, 1.0};
  for (const ToolCase& tc : ToolCases()) {
    SCOPED_TRACE(tc.name);
    const CircuitBuild build = DesignCircuit(tc.state);
    ASSERT_EQ(build.problem, CircuitProblem::None);
    const MatchingCircuit& circuit = build.circuit;
    LossModel model;
    model.inductor = {80.0 + 40.0 * caseNumber, laws[caseNumber % 3]};
    model.capacitor = {300.0 + 200.0 * caseNumber, laws[(caseNumber + 1) % 3]};
    if (caseNumber == 1) model.elementQ[0] = 25.0;
    const double f0 = circuit.designFrequency;
    const SweepSpan span{f0, f0 * 1.01, 3, false};
    std::string netlist = SpiceNetlist(circuit, span, model);

    // Each "Rk a b value" line gives a "let prk" measurement printed beside the others.
    std::string lets, printed;
    std::vector<int> resistors;
    std::istringstream in(netlist);
    for (std::string line; std::getline(in, line);) {
      const std::vector<std::string> w = Words(line);
      if (w.size() != 4 || w[0].size() != 2 || w[0][0] != 'R') continue;
      const std::string v = w[2] == "0" ? "v(" + w[1] + ")" : "(v(" + w[1] + ")-v(" + w[2] + "))";
      lets += "let p" + w[0] + " = mag(" + v + ")*mag(" + v + ")/" + w[3] + "\n";
      printed += " p" + w[0];
      resistors.push_back(w[0][1] - '0');
    }
    const LossAnalysis a = AnalyzeLosses(circuit, model);
    int lossyParts = 0;
    for (const PartStress& p : a.parts) lossyParts += p.watts > 0.0 ? 1 : 0;
    ASSERT_EQ(static_cast<int>(resistors.size()), lossyParts) << netlist;
    const std::string print = "print zin_re zin_im pload\n";
    const std::size_t at = netlist.find(print);
    ASSERT_NE(at, std::string::npos);
    netlist.replace(at, print.size(), lets + "print zin_re zin_im pload" + printed + "\n");
    const fs::path file = Write("lossy" + std::to_string(++caseNumber) + ".cir", netlist);

    int status = 0;
    const std::string output =
        RunCommand("LC_ALL=C " + Quoted(ngspice) + " -b " + Quoted(file) + " 2>&1", status);
    ASSERT_EQ(status, 0) << output;

    // The sweep's EMF makes the design power available; the analysis drives the design power
    // into the network.
    const double scale = std::pow(circuit.sourceEmf / a.sourceEmf, 2.0);
    bool found = false;
    std::istringstream lines(output);
    for (std::string line; std::getline(lines, line);) {
      const std::vector<std::string> w = Words(line);
      std::vector<double> v(w.size());
      bool numbers = w.size() == 5 + resistors.size();
      for (std::size_t i = 0; numbers && i < w.size(); ++i) numbers = ParseNumber(w[i], v[i]);
      if (!numbers || v[0] != 0.0) continue;
      found = true;
      EXPECT_LT(RelativeError(v[1], f0), 1e-12);
      EXPECT_LT(std::abs(std::complex<double>{v[2], v[3]} - a.inputImpedance) /
                    std::abs(a.inputImpedance),
                1e-4);
      EXPECT_LT(RelativeError(v[4], a.loadPower * scale), 1e-3) << "load power";
      for (std::size_t i = 0; i < resistors.size(); ++i) {
        const int k = resistors[i];
        EXPECT_LT(RelativeError(v[5 + i], a.parts[static_cast<std::size_t>(k - 1)].watts * scale),
                  1e-3)
            << "element " << k;
      }
    }
    EXPECT_TRUE(found) << output;
  }
}

// A sample of the explored candidates, each as the netlist ngspice runs: at the design
// Every band design of a reactive and of a resistive case, as the ladder netlist ngspice runs
// over the band's points: its worst return loss there is the one the search reports.
TEST_F(ExternalToolsTest, NgspiceConfirmsEveryBandDesign) {
  const std::string ngspice = Environment("CORVANTILE_NGSPICE");
  ASSERT_FALSE(ngspice.empty()) << "ngspice was not found when the build was configured";
  const Termination source{Connection::Series, 50.0, CircuitPart{}};
  const std::vector<Termination> loads = {
      {Connection::Parallel, 15.0, CircuitPart{PartKind::Capacitor, 5e-12}},
      {Connection::Series, 200.0, CircuitPart{}},
      {Connection::Series, 20.0, CircuitPart{PartKind::Inductor, 30e-9}},
  };
  int checked = 0;
  for (const Termination& load : loads) {
    BandMatchOptions o;
    o.bands = {{0.8e9, 1.8e9}};
    o.maxElements = 5;
    const BandMatch m = MatchOverBands(source, load, 1.3e9, 1.0, o);
    ASSERT_EQ(m.designs.size(), 5u);
    for (const BandDesign& d : m.designs) {
      SCOPED_TRACE(std::to_string(d.circuit.elements.size()) + " elements");
      const SweepSpan span{0.8e9, 1.8e9, 201, false};
      const fs::path file =
          Write("band" + std::to_string(++checked) + ".cir", SpiceNetlist(d.circuit, span));
      int status = 0;
      const std::string output =
          RunCommand("LC_ALL=C " + Quoted(ngspice) + " -b " + Quoted(file) + " 2>&1", status);
      ASSERT_EQ(status, 0) << output;
      double worst = HUGE_VAL;
      int points = 0;
      std::istringstream lines(output);
      for (std::string line; std::getline(lines, line);) {
        const std::vector<std::string> w = Words(line);
        double index, f, zinRe, zinIm, pload;
        if (w.size() != 5 || !ParseNumber(w[0], index) || !ParseNumber(w[1], f) ||
            !ParseNumber(w[2], zinRe) || !ParseNumber(w[3], zinIm) || !ParseNumber(w[4], pload)) {
          continue;
        }
        ++points;
        const std::complex<double> zs =
            TerminationImpedance(source, 2.0 * 3.14159265358979323846 * f);
        const std::complex<double> zin{zinRe, zinIm};
        worst =
            std::min(worst, -20.0 * std::log10(std::abs(zin - std::conj(zs)) / std::abs(zin + zs)));
      }
      EXPECT_EQ(points, 201) << output;
      EXPECT_NEAR(worst, d.figures.worstReturnLossDb, 0.01) << output;
    }
  }
}

// frequency the source sees its own conjugate, to a return loss above 40 dB.
TEST_F(ExternalToolsTest, NgspiceSeesEveryExploredKindMatched) {
  const std::string ngspice = Environment("CORVANTILE_NGSPICE");
  ASSERT_FALSE(ngspice.empty()) << "ngspice was not found when the build was configured; "
                                   "scripts/install-deps.sh installs it";
  testing::DesignCase d;
  d.source = {1, 50.0f, 25.0f};
  d.load = {4, 200.0f, -300.0f};
  d.frequency = 7.1e6f;
  d.power = 100.0f;
  const Exploration e = Explore(testing::StateFor(d));
  ASSERT_EQ(e.problem, CircuitProblem::None);
  std::vector<const Candidate*> sample;
  std::size_t phaseIndex = 0;
  for (const Candidate& c : e.candidates) {
    const bool phased = c.kind == CandidateKind::Pi || c.kind == CandidateKind::Tee;
    if (!phased || c.atUserPhase || phaseIndex++ % 40 == 0) sample.push_back(&c);
  }
  int checked = 0;
  for (const Candidate* c : sample) {
    SCOPED_TRACE(c->name);
    // The two-section L has four elements, beyond the three-element netlist.
    const std::optional<MatchingCircuit> circuit = MatchingFromLadder(c->circuit);
    if (!circuit) continue;
    const SweepSpan span{circuit->designFrequency, 1.5 * circuit->designFrequency, 3, false};
    const fs::path file =
        Write("explored" + std::to_string(++checked) + ".cir", SpiceNetlist(*circuit, span));
    int status = 0;
    const std::string output =
        RunCommand("LC_ALL=C " + Quoted(ngspice) + " -b " + Quoted(file) + " 2>&1", status);
    ASSERT_EQ(status, 0) << output;
    bool found = false;
    std::istringstream lines(output);
    for (std::string line; std::getline(lines, line);) {
      const std::vector<std::string> w = Words(line);
      double index, f, zinRe, zinIm, pload;
      if (w.size() != 5 || !ParseNumber(w[0], index) || !ParseNumber(w[1], f) ||
          !ParseNumber(w[2], zinRe) || !ParseNumber(w[3], zinIm) || !ParseNumber(w[4], pload)) {
        continue;
      }
      if (RelativeError(f, circuit->designFrequency) > 1e-9) continue;
      found = true;
      const double omega = 2.0 * 3.14159265358979323846 * f;
      const std::complex<double> zs = TerminationImpedance(circuit->source, omega);
      const std::complex<double> zin{zinRe, zinIm};
      const double returnLoss =
          -20.0 * std::log10(std::abs(zin - std::conj(zs)) / std::abs(zin + zs));
      EXPECT_GT(returnLoss, 40.0) << output;
      EXPECT_LT(RelativeError(pload, circuit->designPower), 1e-4) << output;
    }
    EXPECT_TRUE(found) << output;
  }
  EXPECT_GE(checked, 8);
}

TEST_F(ExternalToolsTest, ScikitRfReadsTheTouchstoneFile) {
  const std::string python = Environment("CORVANTILE_PYTHON");
  const std::string reader = Environment("CORVANTILE_TOUCHSTONE_READER");
  ASSERT_FALSE(python.empty() || reader.empty())
      << "python3 was not found when the build was configured";
  std::vector<MatchingCircuit> circuits;
  std::vector<double> references;
  std::string command = Quoted(python) + " " + Quoted(reader);
  int caseNumber = 0;
  for (const ToolCase& tc : ToolCases()) {
    const CircuitBuild build = DesignCircuit(tc.state);
    ASSERT_EQ(build.problem, CircuitProblem::None);
    SweepSpan span = DefaultSweepSpan(build.circuit.designFrequency);
    span.points = 51;
    span.logarithmic = tc.logarithmic;
    const double z0 = caseNumber % 2 == 0 ? kDefaultReferenceImpedance : 75.0;
    command += " " + Quoted(Write("case" + std::to_string(++caseNumber) + ".s2p",
                                  TouchstoneS2p(build.circuit, span, z0)));
    circuits.push_back(build.circuit);
    references.push_back(z0);
  }
  int status = 0;
  const std::string output = RunCommand(command + " 2>&1", status);
  ASSERT_EQ(status, 0) << output;

  int file = -1;
  int points = 0;
  std::istringstream lines(output);
  for (std::string line; std::getline(lines, line);) {
    const std::vector<std::string> w = Words(line);
    if (w.empty()) continue;
    if (w[0] == "FILE") {
      ASSERT_EQ(w.size(), 4u);
      ++file;
      EXPECT_EQ(w[2], "2");
      EXPECT_EQ(w[3], "51");
      continue;
    }
    if (w[0] == "Z0") {
      ASSERT_EQ(w.size(), 3u);
      double re = 0.0, im = 1.0;
      ASSERT_TRUE(ParseNumber(w[1], re) && ParseNumber(w[2], im)) << line;
      EXPECT_EQ(re, references[static_cast<std::size_t>(file)]);
      EXPECT_EQ(im, 0.0);
      continue;
    }
    if (w[0] != "S") continue;
    ASSERT_EQ(w.size(), 10u) << line;
    std::vector<double> v(9);
    for (std::size_t i = 0; i < 9; ++i) ASSERT_TRUE(ParseNumber(w[i + 1], v[i])) << line;
    ++points;
    const SParameters s = NetworkSParameters(circuits[static_cast<std::size_t>(file)], v[0],
                                             references[static_cast<std::size_t>(file)]);
    const std::complex<double> expected[] = {s.s11, s.s21, s.s12, s.s22};
    for (std::size_t i = 0; i < 4; ++i) {
      EXPECT_LT(std::abs(std::complex<double>{v[1 + 2 * i], v[2 + 2 * i]} - expected[i]), 1e-12)
          << "S-parameter " << i << " at " << v[0] << " Hz";
    }
  }
  EXPECT_EQ(file + 1, static_cast<int>(circuits.size())) << output;
  EXPECT_EQ(points, 51 * static_cast<int>(circuits.size()));
}

}  // namespace
}  // namespace corvantile
