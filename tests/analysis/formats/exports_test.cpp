// The exported files read back as the numbers the engine computed: the Touchstone data of the
// lossless network conserve power and are reciprocal, the CSV rows parse back exactly, and the
// netlist holds one line per part with the circuit's own values.
#include <algorithm>
#include <charconv>
#include <cmath>
#include <complex>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "analysis/solvers/lossy_network.h"
#include "analysis/formats/number_text.h"
#include "analysis/formats/spice_netlist.h"
#include "analysis/formats/sweep_csv.h"
#include "analysis/formats/touchstone.h"
#include "analysis/circuits/two_port.h"
#include "support/circuit_solver.h"
#include "support/design_cases.h"

namespace corvantile {
namespace {

double Number(std::string_view text) {
  double value = 0.0;
  const auto result = std::from_chars(text.data(), text.data() + text.size(), value);
  EXPECT_EQ(result.ptr, text.data() + text.size()) << "not a whole number: " << text;
  return value;
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

std::vector<std::string> Fields(const std::string& line, char separator) {
  std::vector<std::string> fields;
  std::string field;
  std::istringstream in(line);
  while (std::getline(in, field, separator)) {
    if (!field.empty()) fields.push_back(field);
  }
  return fields;
}

std::vector<MatchingCircuit> ExportCircuits() {
  std::vector<MatchingCircuit> circuits;
  for (float family : {FamilyTee, FamilyPi, FamilyLowpassL, FamilyHighpassL}) {
    testing::DesignCase d;
    d.family = family;
    d.source = {2, 1200.0f, 900.0f};
    d.load = {3, 50.0f, -30.0f};
    d.phase = 100.0f;
    const CircuitBuild build = DesignCircuit(testing::StateFor(d));
    EXPECT_EQ(build.problem, CircuitProblem::None) << testing::Describe(d);
    circuits.push_back(build.circuit);
  }
  return circuits;
}

struct TouchstonePoint {
  double frequency;
  std::complex<double> s11, s21, s12, s22;
};

std::vector<TouchstonePoint> ReadTouchstone(const std::string& text, std::string& optionLine) {
  std::vector<TouchstonePoint> points;
  for (const std::string& line : Lines(text)) {
    if (line.empty() || line[0] == '!') continue;
    if (line[0] == '#') {
      optionLine = line;
      continue;
    }
    const std::vector<std::string> f = Fields(line, ' ');
    EXPECT_EQ(f.size(), 9u) << line;
    if (f.size() != 9u) continue;
    auto c = [&](std::size_t i) { return std::complex<double>{Number(f[i]), Number(f[i + 1])}; };
    points.push_back({Number(f[0]), c(1), c(3), c(5), c(7)});
  }
  return points;
}

TEST(TouchstoneTest, LosslessNetworkConservesPowerAndIsReciprocal) {
  for (const MatchingCircuit& circuit : ExportCircuits()) {
    for (double z0 : {50.0, 75.0, 1500.0}) {
      const SweepSpan span = DefaultSweepSpan(circuit.designFrequency);
      std::string option;
      const std::vector<TouchstonePoint> points =
          ReadTouchstone(TouchstoneS2p(circuit, span, z0), option);
      EXPECT_EQ(option, "# Hz S RI R " + ExactNumber(z0));
      ASSERT_EQ(points.size(), static_cast<std::size_t>(span.points));
      for (const TouchstonePoint& p : points) {
        EXPECT_NEAR(std::norm(p.s11) + std::norm(p.s21), 1.0, 1e-12) << p.frequency;
        EXPECT_NEAR(std::norm(p.s22) + std::norm(p.s12), 1.0, 1e-12) << p.frequency;
        EXPECT_LT(std::abs(p.s12 - p.s21), 1e-12) << p.frequency;
      }
      EXPECT_EQ(points.front().frequency, span.from);
      EXPECT_EQ(points.back().frequency, span.to);
    }
  }
}

// S11 of the network is the reflection the engine finds when the source and load are both the
// bare reference resistance: two different routes to one number.
TEST(TouchstoneTest, S11IsTheReflectionBetweenReferenceTerminations) {
  for (MatchingCircuit circuit : ExportCircuits()) {
    circuit.source = {Connection::Series, 50.0, {}};
    circuit.load = {Connection::Parallel, 50.0, {PartKind::Open, 0.0}};
    for (double f : {1e5, circuit.designFrequency, 7.3e7}) {
      const SParameters s = NetworkSParameters(circuit, f, 50.0);
      EXPECT_LT(std::abs(s.s11 - EvaluateResponse(circuit, f).reflection), 1e-12) << f;
    }
  }
}

TEST(SweepCsvTest, RowsReadBackAsTheSweep) {
  const MatchingCircuit circuit = ExportCircuits()[0];
  const std::vector<ResponsePoint> sweep = SweepResponse(circuit, {1e6, 2e7, 57, false});
  const std::vector<std::string> lines = Lines(SweepCsv(sweep));
  ASSERT_EQ(lines.size(), sweep.size() + 1);
  EXPECT_EQ(lines[0], SweepCsvHeader());
  EXPECT_EQ(Fields(lines[0], ',').size(), 10u);
  for (std::size_t k = 0; k < sweep.size(); ++k) {
    const std::vector<std::string> f = Fields(lines[k + 1], ',');
    ASSERT_EQ(f.size(), 10u);
    const ResponsePoint& p = sweep[k];
    const double expected[] = {p.frequency,
                               p.inputImpedance.real(),
                               p.inputImpedance.imag(),
                               p.reflection.real(),
                               p.reflection.imag(),
                               p.returnLossDb,
                               p.vswr,
                               p.transducerGainDb,
                               p.transferPhaseDeg,
                               p.loadPower};
    for (std::size_t i = 0; i < 10; ++i) EXPECT_EQ(Number(f[i]), expected[i]);
  }
}

TEST(SpiceNetlistTest, OneLinePerPartWithTheCircuitValues) {
  for (const MatchingCircuit& circuit : ExportCircuits()) {
    const std::string netlist = SpiceNetlist(circuit, DefaultSweepSpan(circuit.designFrequency));
    int partLines = 0;
    for (const std::string& line : Lines(netlist)) {
      if (line.empty() || line[0] == '*' || line[0] == '.') continue;
      const std::vector<std::string> f = Fields(line, ' ');
      if (f.size() != 4 || (f[0][0] != 'L' && f[0][0] != 'C')) continue;
      ++partLines;
      const char k = f[0][1];
      if (k >= '1' && k <= '3') {
        const CircuitPart& part = circuit.elements[static_cast<std::size_t>(k - '1')];
        EXPECT_EQ(part.kind, f[0][0] == 'L' ? PartKind::Inductor : PartKind::Capacitor);
        EXPECT_EQ(Number(f[3]), part.value);
      }
    }
    int expected = 0;
    for (const CircuitPart& part : circuit.elements) expected += part.kind != PartKind::Open;
    expected += 2;  // the source's and the load's parts
    EXPECT_EQ(partLines, expected);
    EXPECT_NE(netlist.find("VEMF emf 0 DC 0 AC " + ExactNumber(circuit.sourceEmf)),
              std::string::npos);
  }
}

// The lossy netlist is the lossless one plus, per lossy element, a resistor of its series
// resistance at f0 through a node of its own and a comment with its Q; ideal parts change
// nothing.
TEST(SpiceNetlistTest, LossyPartsAddTheirSeriesResistance) {
  LossModel allIdeal;
  allIdeal.elementQ = {0.0, 0.0, 0.0};
  for (const MatchingCircuit& circuit : ExportCircuits()) {
    const SweepSpan span = DefaultSweepSpan(circuit.designFrequency);
    const std::string lossless = SpiceNetlist(circuit, span);
    EXPECT_EQ(SpiceNetlist(circuit, span, IdealLossModel()), lossless);
    EXPECT_EQ(SpiceNetlist(circuit, span, allIdeal), lossless);

    const LossModel model;  // the default Q values
    const std::string lossy = SpiceNetlist(circuit, span, model);
    const LossAnalysis a = AnalyzeLosses(circuit, model);
    const std::vector<std::string> lossyLines = Lines(lossy);
    int resistors = 0;
    for (const std::string& line : lossyLines) {
      const std::vector<std::string> f = Fields(line, ' ');
      if (f.size() != 4 || f[0].size() != 2 || f[0][0] != 'R') continue;
      ++resistors;
      const std::size_t k = static_cast<std::size_t>(f[0][1] - '1');
      EXPECT_EQ(f[1], "e" + f[0].substr(1));
      EXPECT_NEAR(Number(f[3]), a.parts[k].resistance, 1e-12 * a.parts[k].resistance);
      EXPECT_NE(lossy.find("* " + f[0] + ": series resistance of element"), std::string::npos);
    }
    int lossyParts = 0;
    for (const PartStress& p : a.parts) lossyParts += p.resistance > 0.0;
    EXPECT_EQ(resistors, lossyParts);
    // Every line of the lossless netlist but the lossy parts' own stays as it was.
    for (const std::string& line : Lines(lossless)) {
      const std::vector<std::string> f = Fields(line, ' ');
      const bool lossyPart = f.size() == 4 && f[0].size() == 2 && f[0][1] >= '1' &&
                             f[0][1] <= '3' &&
                             a.parts[static_cast<std::size_t>(f[0][1] - '1')].resistance > 0.0;
      if (lossyPart) continue;
      EXPECT_NE(std::find(lossyLines.begin(), lossyLines.end(), line), lossyLines.end()) << line;
    }
  }
}

// A series wire joins its two nodes; an open shunt is left out.
TEST(SpiceNetlistTest, ShortsJoinNodesAndOpenPartsAreLeftOut) {
  MatchingCircuit c;
  c.topology = NetworkTopology::Tee;
  c.source = {Connection::Series, 50.0, {}};
  c.load = {Connection::Parallel, 200.0, {PartKind::Open, 0.0}};
  c.elements = {CircuitPart{}, CircuitPart{PartKind::Capacitor, 1e-10},
                CircuitPart{PartKind::Inductor, 1e-6}};
  c.designFrequency = 1e7;
  const std::string netlist = SpiceNetlist(c, {1e6, 1e8, 11, true});
  EXPECT_NE(netlist.find("\nC2 in 0 1e-10\n"), std::string::npos) << netlist;
  EXPECT_NE(netlist.find("\nL3 in out 1e-06\n"), std::string::npos) << netlist;
  EXPECT_NE(netlist.find("\nRLOAD out 0 200\n"), std::string::npos) << netlist;
  EXPECT_EQ(netlist.find("LLOAD"), std::string::npos);
  EXPECT_EQ(netlist.find("CLOAD"), std::string::npos);
  EXPECT_EQ(netlist.find("mid"), std::string::npos);
}

TEST(SpiceNetlistTest, AcCardCoversTheSpan) {
  const MatchingCircuit circuit = ExportCircuits()[1];
  EXPECT_NE(SpiceNetlist(circuit, {1e6, 2e7, 57, false}).find("\n.ac lin 57 1000000 20000000\n"),
            std::string::npos);
  EXPECT_NE(SpiceNetlist(circuit, {1e6, 1e8, 201, true}).find("\n.ac dec 100 1000000 100000000\n"),
            std::string::npos);
  EXPECT_EQ(SpicePointsPerDecade({937500.0, 15e6, 1001, true}), 831);
}

struct NumberCase {
  double value;
  const char* exact;
  const char* engineering;  // with unit "F"
};

class NumberTextTest : public ::testing::TestWithParam<NumberCase> {};

TEST_P(NumberTextTest, WritesNumbersOtherProgramsRead) {
  EXPECT_EQ(ExactNumber(GetParam().value), GetParam().exact);
  EXPECT_EQ(EngineeringText(GetParam().value, "F"), GetParam().engineering);
}

INSTANTIATE_TEST_SUITE_P(
    Numbers, NumberTextTest,
    ::testing::Values(NumberCase{0.0, "0", "0 F"}, NumberCase{-0.0, "0", "0 F"},
                      NumberCase{1.178e-10, "1.178e-10", "117.8 pF"},
                      NumberCase{3750000.0, "3750000", "3.75 MF"},
                      NumberCase{999.96e3, "999960", "1 MF"},
                      NumberCase{-2.5e-3, "-0.0025", "-2.5 mF"}, NumberCase{0.1, "0.1", "100 mF"},
                      NumberCase{NAN, "0", "0 F"}, NumberCase{INFINITY, "0", "0 F"},
                      NumberCase{1e-14, "1e-14", "0.01 pF"},
                      NumberCase{4.7e12, "4700000000000", "4700 GF"},
                      NumberCase{2e15, "2e+15", "2000000 GF"}, NumberCase{1e-3, "0.001", "1 mF"}));

TEST(NumberTextTest, ShortAndFixedForms) {
  EXPECT_EQ(ShortNumber(1.0 / 3.0, 4), "0.3333");
  EXPECT_EQ(ShortNumber(3750000.0, 6), "3750000");
  EXPECT_EQ(ShortNumber(1.5e20, 4), "1.5e+20");
  EXPECT_EQ(ShortNumber(2.0e-7, 3), "2e-07");
  EXPECT_EQ(FixedNumber(12.3456, 2), "12.35");
  EXPECT_EQ(FixedNumber(-0.001, 2), "0.00");
}

}  // namespace
}  // namespace corvantile
