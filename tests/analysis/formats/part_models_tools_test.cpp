// Parts with their parasitics in the tools they are checked by: ngspice runs the netlist with
// the equivalent circuits as extra R, L and C elements and finds the program's sweep across
// the parts' self-resonances; scikit-rf builds makers'-style part files from equivalent circuits,
// and the program reads each file back as that equivalent circuit.
#include <charconv>
#include <cmath>
#include <filesystem>
#include <map>
#include <numbers>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "analysis/circuits/part_losses.h"
#include "analysis/formats/part_file.h"
#include "analysis/formats/spice_netlist.h"
#include "analysis/solvers/frequency_response.h"
#include "support/files.h"
#include "support/process.h"

namespace corvantile {
namespace {

namespace fs = std::filesystem;
using Complex = std::complex<double>;
using testing::Environment;
using testing::Quoted;
using testing::RunCommand;

std::vector<double> Numbers(const std::string& line) {
  std::istringstream in(line);
  std::vector<double> values;
  for (std::string w; in >> w;) {
    double v = 0.0;
    const auto r = std::from_chars(w.data(), w.data() + w.size(), v);
    if (r.ec != std::errc() || r.ptr != w.data() + w.size()) return {};
    values.push_back(v);
  }
  return values;
}

PartParasitics Parts(double esr, double esl, double leakage, double cp) {
  PartParasitics p;
  p.esr = esr;
  p.esl = esl;
  p.leakage = leakage;
  p.cp = cp;
  return p;
}

MatchingCircuit Circuit(NetworkTopology topology, std::array<CircuitPart, 3> elements) {
  MatchingCircuit c;
  c.topology = topology;
  c.designFrequency = 433e6;
  c.designPower = 5.0;
  c.source = {Connection::Series, 15.6, CircuitPart{}};
  c.load = {Connection::Series, 50.0, CircuitPart{}};
  c.sourceEmf = std::sqrt(4.0 * 5.0 * 15.6);
  c.elements = elements;
  return c;
}

double Db(double ratio) { return 10.0 * std::log10(ratio); }

// The reference Pi and a Tee of 0402-like parts, every resistance in ohms (a SPICE resistor is
// exact at every frequency), swept from 100 MHz to 6 GHz across the capacitors' series
// resonances near 1.2 GHz and the inductors' parallel ones near 5 GHz.
TEST(PartModelToolsTest, NgspiceAgreesAcrossTheSelfResonances) {
  const std::string ngspice = Environment("CORVANTILE_NGSPICE");
  ASSERT_FALSE(ngspice.empty()) << "ngspice was not found when the build was configured";
  const testing::ScratchFolder folder;
  LossModel model = IdealLossModel();
  model.capacitorParts = Parts(0.1, 0.4e-9, 0.0, 0.0);
  model.inductorParts = Parts(0.4, 0.0, 0.0, 0.14e-12);
  model.elementParts[2] = Parts(0.2, 0.5e-9, 2e3, 0.05e-12);
  const std::vector<MatchingCircuit> circuits = {
      Circuit(NetworkTopology::Pi, {CircuitPart{PartKind::Capacitor, 42.174e-12},
                                    CircuitPart{PartKind::Inductor, 7.25879e-9},
                                    CircuitPart{PartKind::Capacitor, 25.9636e-12}}),
      Circuit(NetworkTopology::Tee, {CircuitPart{PartKind::Inductor, 20.2516e-9},
                                     CircuitPart{PartKind::Capacitor, 9.30615e-12},
                                     CircuitPart{PartKind::Inductor, 32.8958e-9}}),
  };
  int number = 0;
  for (const MatchingCircuit& circuit : circuits) {
    SCOPED_TRACE("circuit " + std::to_string(++number));
    const SweepSpan span{100e6, 6e9, 201, true};
    const std::string netlist = SpiceNetlist(circuit, span, model);
    ASSERT_NE(netlist.find("\nLS"), std::string::npos) << netlist;
    ASSERT_NE(netlist.find("\nRP3 "), std::string::npos) << netlist;
    const fs::path file = folder.path() / ("parts" + std::to_string(number) + ".cir");
    testing::WriteBytes(file, netlist);
    int status = 0;
    const std::string output =
        RunCommand("LC_ALL=C " + Quoted(ngspice) + " -b " + Quoted(file) + " 2>&1", status);
    ASSERT_EQ(status, 0) << output;
    int rows = 0;
    bool above = false;
    std::istringstream lines(output);
    for (std::string line; std::getline(lines, line);) {
      const std::vector<double> v = Numbers(line);
      if (v.size() != 5) continue;
      ++rows;
      const double f = v[1];
      const Complex zin{v[2], v[3]};
      const ResponsePoint p = EvaluateResponse(circuit, f, model);
      const Complex zs{15.6, 0.0};
      const double returnLoss = -20.0 * std::log10(std::abs((zin - zs) / (zin + zs)));
      EXPECT_NEAR(returnLoss, p.returnLossDb, 0.01) << "at " << f << " Hz";
      EXPECT_NEAR(Db(v[4]), Db(p.loadPower), 0.01) << "at " << f << " Hz";
      above = above || f > 2e9;
    }
    EXPECT_TRUE(above);
    EXPECT_GE(rows, span.points - 2) << output;
  }
}

struct PartFileCase {
  std::string file;
  PartFileMounting mounting;
  CircuitPart part;
  PartParasitics parasitics;
  double resonance;  // the lossless 1 / (2 pi sqrt(L C))
};

std::vector<PartFileCase> PartFileCases() {
  const double pi = std::numbers::pi;
  const PartParasitics cap = Parts(0.12, 0.45e-9, 0.0, 0.0);
  const PartParasitics ind = Parts(0.8, 0.0, 0.0, 0.16e-12);
  const double capSrf = 1.0 / (2.0 * pi * std::sqrt(0.45e-9 * 47e-12));
  const double indSrf = 1.0 / (2.0 * pi * std::sqrt(12e-9 * 0.16e-12));
  return {{"cap_series.s2p", PartFileMounting::Series, {PartKind::Capacitor, 47e-12}, cap, capSrf},
          {"cap_shunt.s2p", PartFileMounting::Shunt, {PartKind::Capacitor, 47e-12}, cap, capSrf},
          {"ind_series.s2p", PartFileMounting::Series, {PartKind::Inductor, 12e-9}, ind, indSrf},
          {"ind_shunt.s2p", PartFileMounting::Shunt, {PartKind::Inductor, 12e-9}, ind, indSrf}};
}

// scikit-rf writes each part as its maker would measure it; the file read back is the same
// part as the equivalent circuit it was made from, at its points, between them, at its
// self-resonance and inside a network.
TEST(PartModelToolsTest, ScikitRfPartFilesAreTheirEquivalentCircuits) {
  const std::string python = Environment("CORVANTILE_PYTHON");
  const std::string script = Environment("CORVANTILE_PART_FILE_CASES");
  ASSERT_FALSE(python.empty() || script.empty()) << "python3 was not found when configuring";
  const testing::ScratchFolder folder;
  int status = 0;
  const std::string output = RunCommand(
      Quoted(python) + " " + Quoted(script) + " " + Quoted(folder.path()) + " 2>&1", status);
  ASSERT_EQ(status, 0) << output;

  std::map<std::string, std::shared_ptr<const PartFile>> read;
  for (const PartFileCase& c : PartFileCases()) {
    SCOPED_TRACE(c.file);
    ASSERT_NE(output.find("PART " + c.file), std::string::npos) << output;
    const PartFileRead r = ReadPartFile((folder.path() / c.file).string(), c.mounting);
    ASSERT_EQ(r.error, "");
    read[c.file] = r.part;
    PartQ model;
    model.esr = c.parasitics.esr;
    model.esl = c.parasitics.esl;
    model.cp = c.parasitics.cp;
    for (double f = 100e6; f <= 6e9; f += 10e6) {
      const Complex circuit = LossyPartImpedance(c.part, model, f, 433e6);
      EXPECT_LT(std::abs(r.part->Impedance(f) - circuit), 1e-6 * std::abs(circuit) + 1e-9)
          << "at " << f << " Hz";
    }
    // Between the file's points the part is interpolated: within half a percent, away from the
    // self-resonance.
    for (double f = 105e6; f < 0.7 * c.resonance; f += 50e6) {
      const Complex circuit = LossyPartImpedance(c.part, model, f, 433e6);
      EXPECT_LT(std::abs(r.part->Impedance(f) - circuit), 5e-3 * std::abs(circuit))
          << "at " << f << " Hz";
    }
    PartQ filed;
    filed.file = r.part;
    EXPECT_NEAR(SelfResonantFrequency(c.part, filed), c.resonance, 2e-3 * c.resonance);
  }

  // The reference Pi built of the filed parts sweeps as the Pi of their equivalent circuits.
  const MatchingCircuit pi =
      Circuit(NetworkTopology::Pi,
              {CircuitPart{PartKind::Capacitor, 47e-12}, CircuitPart{PartKind::Inductor, 12e-9},
               CircuitPart{PartKind::Capacitor, 47e-12}});
  LossModel circuitModel = IdealLossModel();
  circuitModel.capacitorParts = Parts(0.12, 0.45e-9, 0.0, 0.0);
  circuitModel.inductorParts = Parts(0.8, 0.0, 0.0, 0.16e-12);
  LossModel fileModel = IdealLossModel();
  fileModel.elementParts[0] = PartParasitics{};
  fileModel.elementParts[0]->file = read["cap_shunt.s2p"];
  fileModel.elementParts[1] = PartParasitics{};
  fileModel.elementParts[1]->file = read["ind_series.s2p"];
  fileModel.elementParts[2] = fileModel.elementParts[0];
  const SweepSpan span{100e6, 6e9, 591, false};
  const std::vector<ResponsePoint> fromCircuit = SweepResponse(pi, span, circuitModel);
  const std::vector<ResponsePoint> fromFile = SweepResponse(pi, span, fileModel);
  ASSERT_EQ(fromCircuit.size(), fromFile.size());
  for (std::size_t i = 0; i < fromFile.size(); ++i) {
    EXPECT_NEAR(fromFile[i].returnLossDb, fromCircuit[i].returnLossDb, 0.01)
        << "at " << fromFile[i].frequency << " Hz";
    EXPECT_NEAR(fromFile[i].transducerGainDb, fromCircuit[i].transducerGainDb, 0.01)
        << "at " << fromFile[i].frequency << " Hz";
  }
}

}  // namespace
}  // namespace corvantile
