#include "support/circuit_solver.h"

#include <cmath>

namespace corvantile::testing {

LadderSolution SolveLadder(Ladder ladder, const std::array<LadderElement, 3>& elements,
                           Complex load) {
  auto shuntCurrent = [](Complex voltage, const LadderElement& element) {
    return element.open ? Complex{} : voltage / element.impedance;
  };
  const Complex& z1 = elements[0].impedance;
  const Complex& z2 = elements[1].impedance;
  const Complex& z3 = elements[2].impedance;
  // Work back from a load current of 1 A.
  const Complex loadCurrent{1.0, 0.0};
  LadderSolution solution{};
  Complex inputVoltage, inputCurrent;
  if (ladder == Ladder::SeriesShuntSeries) {
    const Complex middle = loadCurrent * (load + z3);
    const Complex shunt2Current = shuntCurrent(middle, elements[1]);
    inputCurrent = loadCurrent + shunt2Current;
    inputVoltage = middle + inputCurrent * z1;
    solution.volts = {inputCurrent * z1, middle, loadCurrent * z3};
    solution.amps = {inputCurrent, shunt2Current, loadCurrent};
  } else {
    const Complex loadVoltage = loadCurrent * load;
    const Complex shunt3Current = shuntCurrent(loadVoltage, elements[2]);
    const Complex seriesCurrent = loadCurrent + shunt3Current;
    inputVoltage = loadVoltage + seriesCurrent * z2;
    const Complex shunt1Current = shuntCurrent(inputVoltage, elements[0]);
    inputCurrent = seriesCurrent + shunt1Current;
    solution.volts = {inputVoltage, seriesCurrent * z2, loadVoltage};
    solution.amps = {shunt1Current, seriesCurrent, shunt3Current};
  }
  solution.inputImpedance = inputVoltage / inputCurrent;
  solution.transfer = loadCurrent * load / inputVoltage;
  return solution;
}

CircuitSolution SolveNetwork(const RunState& state) {
  const NetworkValues& net = state.NetValues;
  const Complex zs = SeriesImpedance(state.SourceValues);
  const Complex zl = SeriesImpedance(state.LoadValues);
  const Ladder ladder =
      net[NetworkFamily] == FamilyTee ? Ladder::SeriesShuntSeries : Ladder::ShuntSeriesShunt;
  const LadderSolution ladderSolution =
      SolveLadder(ladder,
                  {LadderElement{{0.0, Wide(net[NetX1])}}, LadderElement{{0.0, Wide(net[NetX2])}},
                   LadderElement{{0.0, Wide(net[NetX3])}}},
                  zl);
  CircuitSolution solution{};
  solution.inputImpedance = ladderSolution.inputImpedance;
  solution.transfer = ladderSolution.transfer;
  // The ladder carries 1 A in the load; the volts and amps scale to the design's Power.
  const double scale = std::sqrt(Wide(net[Power]) / zl.real());
  for (std::size_t k = 0; k < 3; ++k) {
    solution.volts[k] = std::abs(ladderSolution.volts[k]) * scale;
    solution.amps[k] = std::abs(ladderSolution.amps[k]) * scale;
  }
  const Complex reflection =
      (solution.inputImpedance - std::conj(zs)) / (solution.inputImpedance + zs);
  solution.returnLossDb = -20.0 * std::log10(std::abs(reflection));
  return solution;
}

Complex PartImpedance(const CircuitPart& part, double omega) {
  if (part.kind == PartKind::Inductor) return {0.0, omega * part.value};
  if (part.kind == PartKind::Capacitor) return {0.0, -1.0 / (omega * part.value)};
  return {0.0, 0.0};
}

Complex SideImpedance(const Termination& side, double omega) {
  const Complex r{side.resistance, 0.0};
  if (side.part.kind == PartKind::Short || side.part.kind == PartKind::Open) return r;
  const Complex part = PartImpedance(side.part, omega);
  return side.connection == Connection::Series ? r + part : Parallel(r, part);
}

Solution Solve(const MatchingCircuit& circuit, double frequency) {
  return Solve(circuit, frequency, IdealLossModel());
}

Solution Solve(const MatchingCircuit& circuit, double frequency, const LossModel& model) {
  const double omega = 2.0 * 3.14159265358979323846 * frequency;
  const Complex zl = SideImpedance(circuit.load, omega);
  const Complex zs = SideImpedance(circuit.source, omega);
  std::array<LadderElement, 3> elements;
  for (std::size_t k = 0; k < 3; ++k) {
    const CircuitPart& part = circuit.elements[k];
    const Complex z = PartImpedance(part, omega);
    const bool inductor = part.kind == PartKind::Inductor;
    const bool real = inductor || part.kind == PartKind::Capacitor;
    const PartQ& kind = inductor ? model.inductor : model.capacitor;
    const double q0 = model.elementQ[k].value_or(kind.q0);
    const double q = q0 * std::pow(frequency / circuit.designFrequency, kind.law);
    const double r = real && q0 > 0.0 ? std::fabs(z.imag()) / q : 0.0;
    elements[k] = {z + r, part.kind == PartKind::Open};
  }
  const Ladder ladder = circuit.topology == NetworkTopology::Pi ? Ladder::ShuntSeriesShunt
                                                                : Ladder::SeriesShuntSeries;
  const LadderSolution ladderSolution = SolveLadder(ladder, elements, zl);
  Solution solution;
  solution.inputImpedance = ladderSolution.inputImpedance;
  solution.sourceImpedance = zs;
  const Complex emf{circuit.sourceEmf, 0.0};
  const Complex inputVoltage = emf * solution.inputImpedance / (zs + solution.inputImpedance);
  const Complex loadVoltage = inputVoltage * ladderSolution.transfer;
  solution.loadPower = std::norm(loadVoltage) * zl.real() / std::norm(zl);
  return solution;
}

double ReturnLossDb(const Solution& s) {
  const Complex gamma =
      (s.inputImpedance - std::conj(s.sourceImpedance)) / (s.inputImpedance + s.sourceImpedance);
  return -20.0 * std::log10(std::max(std::abs(gamma), 1e-15));
}

Complex LadderInputImpedance(const std::vector<corvantile::LadderElement>& elements, Complex load,
                             double omega) {
  Complex z = load;
  for (std::size_t k = elements.size(); k-- > 0;) {
    const corvantile::LadderElement& e = elements[k];
    if (e.part.kind == PartKind::Open) continue;
    const Complex part = PartImpedance(e.part, omega);
    z = e.shunt ? Parallel(z, part) : z + part;
  }
  return z;
}

double LadderTransducerGain(const std::vector<corvantile::LadderElement>& elements, Complex source,
                            Complex load, double omega) {
  Complex v = load;  // 1 A in the load
  Complex i{1.0, 0.0};
  for (std::size_t k = elements.size(); k-- > 0;) {
    const corvantile::LadderElement& e = elements[k];
    if (e.part.kind == PartKind::Open) continue;
    const Complex part = PartImpedance(e.part, omega);
    if (e.shunt) {
      i += v / part;
    } else {
      v += i * part;
    }
  }
  const Complex emf = v + i * source;
  const double loadPower = load.real();  // |1 A|^2 R
  const double available = std::norm(emf) / (4.0 * source.real());
  return loadPower / available;
}

double ReturnLossDb(Complex input, Complex source) {
  return -20.0 * std::log10(std::abs((input - std::conj(source)) / (input + source)));
}

}  // namespace corvantile::testing
