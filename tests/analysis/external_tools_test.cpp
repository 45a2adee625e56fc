// The exports opened in the tools they are written for: ngspice runs the netlist as it stands
// and finds the same input impedance and load power as the engine, and scikit-rf reads the
// Touchstone file back as the same S-parameters.
#include <charconv>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "analysis/frequency_response.h"
#include "analysis/spice_netlist.h"
#include "analysis/touchstone.h"
#include "analysis/two_port.h"
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
