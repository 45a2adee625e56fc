#include "analysis/solvers/frequency_response.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>

#include "analysis/circuits/two_port.h"
#include "analysis/formats/touchstone_reader.h"
#include "units/constants.h"

namespace corvantile {
namespace {

// dB from a power ratio through the natural logarithm, which the C library computes several
// times faster than log10: 10 log10(x) = (10 / ln 10) ln(x).
constexpr double kDecibelsPerNeper = 10.0 / std::numbers::ln10;
// The reflected and the passed share of the available power are held at or above kPowerFloor,
// so that no figure in dB becomes infinite.
const double kPowerFloor = std::pow(10.0, -kMaxReturnLossDb / 10.0);

// A source or load with its part as a FrequencyTerm: the series reactance, or the parallel
// susceptance (0 for an open part).
struct TerminationTerm {
  bool series = true;
  double resistance = 0.0;
  double conductance = 0.0;
  FrequencyTerm part;

  explicit TerminationTerm(const Termination& side)
      : series(side.connection == Connection::Series),
        resistance(side.resistance),
        conductance(1.0 / side.resistance),
        part(series ? ReactanceTerm(side.part) : SusceptanceTerm(side.part)) {}

  std::complex<double> Impedance(double omega, double inverseOmega) const {
    const double q = part.At(omega, inverseOmega);
    if (series) return {resistance, q};
    // 1 / (g + j b) = (g - j b) / (g^2 + b^2)
    const double scale = 1.0 / (conductance * conductance + q * q);
    return {conductance * scale, -q * scale};
  }
};

// Everything of a circuit that does not depend on the frequency.
struct PreparedCircuit {
  TerminationTerm source;
  TerminationTerm load;
  NetworkTerms network;
  double emfSquared;

  explicit PreparedCircuit(const MatchingCircuit& c)
      : source(c.source),
        load(c.load),
        network(MakeNetworkTerms(c)),
        emfSquared(c.sourceEmf * c.sourceEmf) {}
};

// The response of the chain matrix m between zs and zl: EvaluateChainResponse, kept here where
// the sweep's loop can inline it.
inline ResponsePoint ChainResponse(std::complex<double> zs, std::complex<double> zl,
                                   LosslessChain m, double frequency, double emfSquared) {
  // Far from the design frequency the matrix grows with a power of omega. Every figure below
  // is a ratio in which a common factor of the matrix cancels, so it is scaled down before its
  // squares can overflow.
  const double largest =
      std::max(std::max(std::fabs(m.a), std::fabs(m.b)), std::max(std::fabs(m.c), std::fabs(m.d)));
  if (largest > 1e60) [[unlikely]] {
    const double scale = 1.0 / largest;
    m = {m.a * scale, m.b * scale, m.c * scale, m.d * scale};
  }
  const double rs = zs.real(), xs = zs.imag();
  const double rl = zl.real(), xl = zl.imag();

  // With the load on port 2: V1 = (A ZL + B) I2 and I1 = (C ZL + D) I2.
  const double numR = m.a * rl, numI = m.a * xl + m.b;  // A ZL + B
  const double denR = m.d - m.c * xl, denI = m.c * rl;  // C ZL + D
  const double numDotDen = numR * denR + numI * denI;
  // E = I2 (Zs (C ZL + D) + A ZL + B) = I2 s.
  const double sR = rs * denR - xs * denI + numR;
  const double sI = rs * denI + xs * denR + numI;
  // (Zin - conj Zs) / (Zin + Zs) = (A ZL + B - conj Zs (C ZL + D)) / s
  const double gR = numR - (rs * denR + xs * denI);
  const double gI = numI - (rs * denI - xs * denR);
  // 1 / |C ZL + D|^2 and 1 / |s|^2 from one division.
  const double denSquared = denR * denR + denI * denI;
  const double sSquared = sR * sR + sI * sI;
  const double inverseProduct = 1.0 / (denSquared * sSquared);
  const double denNorm = sSquared * inverseProduct;
  const double sNorm = denSquared * inverseProduct;

  ResponsePoint point;
  point.frequency = frequency;
  point.inputImpedance = {numDotDen * denNorm, (numI * denR - numR * denI) * denNorm};
  point.reflection = {(gR * sR + gI * sI) * sNorm, (gI * sR - gR * sI) * sNorm};
  // The shares of the available power reflected and taken by the network add up to 1; each is
  // computed on its own (the taken share as 4 Rs Re Zin / |Zin + Zs|^2) so that neither loses
  // its digits to a subtraction from 1 near a perfect match or a total mismatch.
  const double reflected = std::max((gR * gR + gI * gI) * sNorm, kPowerFloor);
  const double taken = std::max(4.0 * rs * numDotDen * sNorm, kPowerFloor);
  point.returnLossDb = -kDecibelsPerNeper * std::log(reflected);
  // (1 + |G|) / (1 - |G|) = (1 + |G|)^2 / (1 - |G|^2)
  const double magnitude = std::sqrt(std::min(reflected, 1.0));
  point.vswr = (1.0 + magnitude) * (1.0 + magnitude) / taken;
  // The network is lossless: what it takes from the source reaches the load.
  point.transducerGainDb = kDecibelsPerNeper * std::log(taken);
  // E^2 / (4 Rs) times the taken share; Rs itself varies with frequency for a parallel part.
  point.loadPower = emfSquared * std::max(numDotDen * sNorm, 0.0);
  // V2 / V1 = ZL / (A ZL + B): its phase is that of ZL conj(A ZL + B).
  point.transferPhaseDeg =
      kDegreesPerRadian * std::atan2(xl * numR - rl * numI, rl * numR + xl * numI);
  return point;
}

// A circuit with lossy parts: every element as its reactance term with the reciprocal of its
// Q0 and its law, so that a point costs one extra division per shunt element.
struct PreparedLossyCircuit {
  TerminationTerm source;
  TerminationTerm load;
  NetworkTopology topology;
  // The reactance of a series element, the susceptance of a shunt one.
  std::array<FrequencyTerm, 3> term;
  std::array<bool, 3> shunt{}, open{};
  std::array<double, 3> inverseQ{}, law{};
  // A shunt of reactance x and loss ratio c = R / |x| = 1 / Q(f) has the admittance
  // 1 / (x (sign c + j)) = -b (sign c - j) / (1 + c^2): sign is +1 for an inductor, -1 for a
  // capacitor, and 1 / (1 + c^2) is held here for a constant Q.
  std::array<double, 3> sign{}, constantScale{};
  // A part with parasitics (an equivalent circuit or a file) is evaluated whole.
  std::array<bool, 3> modelled{};
  std::array<CircuitPart, 3> part;
  std::array<PartQ, 3> model;
  double designFrequency;
  double designOmega;
  double emfSquared;

  PreparedLossyCircuit(const MatchingCircuit& c, const std::array<PartQ, 3>& q)
      : source(c.source),
        load(c.load),
        topology(c.topology),
        designFrequency(c.designFrequency),
        designOmega(kTwoPi * c.designFrequency),
        emfSquared(c.sourceEmf * c.sourceEmf) {
    for (std::size_t k = 0; k < 3; ++k) {
      shunt[k] = IsShuntElement(c.topology, static_cast<int>(k) + 1);
      term[k] = shunt[k] ? SusceptanceTerm(c.elements[k]) : ReactanceTerm(c.elements[k]);
      open[k] = c.elements[k].kind == PartKind::Open;
      inverseQ[k] = IsLossy(q[k]) ? 1.0 / q[k].q0 : 0.0;
      law[k] = IsLossy(q[k]) ? q[k].law : 0.0;
      sign[k] = c.elements[k].kind == PartKind::Inductor ? 1.0 : -1.0;
      constantScale[k] = 1.0 / (1.0 + inverseQ[k] * inverseQ[k]);
      modelled[k] = !open[k] && HasParasitics(q[k]);
      part[k] = c.elements[k];
      model[k] = q[k];
    }
  }
};

// (f / f0)^-law from f0 / f = omega0 / omega, with the three usual laws spared the general
// power.
double InverseQFactor(double law, double inverseRatio) {
  if (law == 0.0) return 1.0;
  if (law == 0.5) return std::sqrt(inverseRatio);
  if (law == 1.0) return inverseRatio;
  return std::exp(law * std::log(inverseRatio));
}

struct Cx {
  double re, im;
};
inline Cx operator+(Cx a, Cx b) { return {a.re + b.re, a.im + b.im}; }
inline Cx operator*(Cx a, Cx b) { return {a.re * b.re - a.im * b.im, a.re * b.im + a.im * b.re}; }

// The response of the lossy network, the chain matrix now complex in every entry.
// The source and load impedances zsc and zlc are given, so that a measured side can stand in
// for the circuit's own.
ResponsePoint EvaluateLossyWith(const PreparedLossyCircuit& p, double frequency, double omega,
                                double inverseOmega, std::complex<double> zsc,
                                std::complex<double> zlc) {
  const double inverseRatio = p.designOmega * inverseOmega;
  // Series elements as impedances r + jx, shunt elements as admittances; a constant-Q shunt
  // costs no division.
  std::array<Cx, 3> e;
  for (std::size_t k = 0; k < 3; ++k) {
    if (p.modelled[k]) {
      const std::complex<double> z =
          ModelImpedance(PartReactance(p.part[k], omega), p.model[k], frequency, p.designFrequency);
      const std::complex<double> v = p.shunt[k] ? 1.0 / z : z;
      e[k] = {v.real(), v.imag()};
      continue;
    }
    const double t = p.term[k].At(omega, inverseOmega);
    if (!p.shunt[k]) {
      const double r = std::fabs(t) * p.inverseQ[k] * InverseQFactor(p.law[k], inverseRatio);
      e[k] = {r, t};
    } else if (p.open[k]) {
      e[k] = {0.0, 0.0};
    } else if (p.law[k] == 0.0) {
      const double scaled = -t * p.constantScale[k];
      e[k] = {scaled * p.sign[k] * p.inverseQ[k], -scaled};
    } else {
      const double ratio = p.inverseQ[k] * InverseQFactor(p.law[k], inverseRatio);
      const double scaled = -t / (1.0 + ratio * ratio);
      e[k] = {scaled * p.sign[k] * ratio, -scaled};
    }
  }
  const Cx one{1.0, 0.0};
  Cx a, b, c, d;
  if (p.topology == NetworkTopology::Pi) {
    // [1 0; Y1 1] [1 Z2; 0 1] [1 0; Y3 1]
    const Cx y1 = e[0], z2 = e[1], y3 = e[2];
    const Cx z2y3 = z2 * y3;
    a = one + z2y3;
    b = z2;
    c = y1 + y3 + y1 * z2y3;
    d = one + y1 * z2;
  } else {
    // [1 Z1; 0 1] [1 0; Y2 1] [1 Z3; 0 1]
    const Cx z1 = e[0], y2 = e[1], z3 = e[2];
    a = one + z1 * y2;
    b = a * z3 + z1;
    c = y2;
    d = one + y2 * z3;
  }
  const double largest = std::max(std::max(std::max(std::fabs(a.re), std::fabs(a.im)),
                                           std::max(std::fabs(b.re), std::fabs(b.im))),
                                  std::max(std::max(std::fabs(c.re), std::fabs(c.im)),
                                           std::max(std::fabs(d.re), std::fabs(d.im))));
  if (largest > 1e60) [[unlikely]] {
    const Cx scale{1.0 / largest, 0.0};
    a = a * scale;
    b = b * scale;
    c = c * scale;
    d = d * scale;
  }
  const Cx zs{zsc.real(), zsc.imag()}, zl{zlc.real(), zlc.imag()};
  const Cx num = a * zl + b;  // V1 / I2
  const Cx den = c * zl + d;  // I1 / I2
  const Cx s = zs * den + num;
  const Cx g = num + Cx{-zs.re, zs.im} * den;  // A ZL + B - conj Zs (C ZL + D)
  const double numDotDen = num.re * den.re + num.im * den.im;
  const double denSquared = den.re * den.re + den.im * den.im;
  const double sSquared = s.re * s.re + s.im * s.im;
  const double inverseProduct = 1.0 / (denSquared * sSquared);
  const double denNorm = sSquared * inverseProduct;
  const double sNorm = denSquared * inverseProduct;

  ResponsePoint point;
  point.frequency = frequency;
  point.inputImpedance = {numDotDen * denNorm, (num.im * den.re - num.re * den.im) * denNorm};
  point.reflection = {(g.re * s.re + g.im * s.im) * sNorm, (g.im * s.re - g.re * s.im) * sNorm};
  const double reflected = std::max((g.re * g.re + g.im * g.im) * sNorm, kPowerFloor);
  const double taken = std::max(4.0 * zs.re * numDotDen * sNorm, kPowerFloor);
  point.returnLossDb = -kDecibelsPerNeper * std::log(reflected);
  const double magnitude = std::sqrt(std::min(reflected, 1.0));
  point.vswr = (1.0 + magnitude) * (1.0 + magnitude) / taken;
  // What reaches the load's resistance: E^2 Re ZL / |s|^2 of the available E^2 / (4 Rs).
  const double delivered = std::max(zl.re * sNorm, 0.0);
  point.transducerGainDb =
      kDecibelsPerNeper * std::log(std::max(4.0 * zs.re * delivered, kPowerFloor));
  point.loadPower = p.emfSquared * delivered;
  point.transferPhaseDeg = kDegreesPerRadian * std::atan2(zl.im * num.re - zl.re * num.im,
                                                          zl.re * num.re + zl.im * num.im);
  return point;
}

ResponsePoint EvaluateLossy(const PreparedLossyCircuit& p, double frequency, double omega,
                            double inverseOmega) {
  return EvaluateLossyWith(p, frequency, omega, inverseOmega,
                           p.source.Impedance(omega, inverseOmega),
                           p.load.Impedance(omega, inverseOmega));
}

// The response at one angular frequency, written with real arithmetic only: the sweep runs
// this once per point, so it divides twice and calls four library functions.
ResponsePoint Evaluate(const PreparedCircuit& p, double frequency, double omega,
                       double inverseOmega) {
  return ChainResponse(p.source.Impedance(omega, inverseOmega),
                       p.load.Impedance(omega, inverseOmega),
                       ChainAt(p.network, omega, inverseOmega), frequency, p.emfSquared);
}

// The response with the source and load impedances given, as a measured side needs them.
ResponsePoint EvaluateWith(const PreparedCircuit& p, double frequency, double omega,
                           double inverseOmega, std::complex<double> zs, std::complex<double> zl) {
  return ChainResponse(zs, zl, ChainAt(p.network, omega, inverseOmega), frequency, p.emfSquared);
}

ResponsePoint Evaluate(const PreparedCircuit& p, double frequency) {
  const double omega = kTwoPi * frequency;
  return Evaluate(p, frequency, omega, 1.0 / omega);
}

// Walks the frequencies of a valid span in order, with omega and 1 / omega. Logarithmic steps
// multiply by the step ratio and are re-anchored on the exact exponential every kAnchorEvery
// points, so rounding cannot build up beyond a few parts in 1e14; the ends are exact.
class FrequencyWalk {
 public:
  explicit FrequencyWalk(const SweepSpan& span)
      : span_(span),
        last_(span.points - 1),
        logStep_(std::log(span.to / span.from) / static_cast<double>(last_)),
        ratio_(std::exp(logStep_)),
        inverseRatio_(1.0 / ratio_),
        linearStep_((span.to - span.from) / static_cast<double>(last_)) {}

  // Moves to point k, which is 0 or the point after the previous one.
  void Step(int k) {
    if (!span_.logarithmic || k % kAnchorEvery == 0 || k == last_) {
      frequency_ = Exact(k);
      omega_ = kTwoPi * frequency_;
      inverseOmega_ = 1.0 / omega_;
      return;
    }
    frequency_ *= ratio_;
    omega_ *= ratio_;
    inverseOmega_ *= inverseRatio_;
  }

  double Frequency() const { return frequency_; }
  double Omega() const { return omega_; }
  double InverseOmega() const { return inverseOmega_; }

 private:
  static constexpr int kAnchorEvery = 32;

  double Exact(int k) const {
    if (k <= 0) return span_.from;
    if (k >= last_) return span_.to;
    if (span_.logarithmic) return span_.from * std::exp(static_cast<double>(k) * logStep_);
    return span_.from + static_cast<double>(k) * linearStep_;
  }

  SweepSpan span_;
  int last_;
  double logStep_, ratio_, inverseRatio_, linearStep_;
  double frequency_ = 0.0, omega_ = 0.0, inverseOmega_ = 0.0;
};

// The sweep of a prepared circuit with a measured side's impedance, interpolated at every point,
// in place of that side's modelled one; `evaluate` is EvaluateWith or EvaluateLossyWith.
template <typename Prepared, typename Evaluate>
void SweepMeasured(const Prepared& prepared, const SweepSpan& span, const MeasuredSides& sides,
                   std::vector<ResponsePoint>& out, Evaluate evaluate) {
  const std::vector<double> frequencies = SweepFrequencies(span);
  std::vector<std::complex<double>> sourceZ, loadZ;
  if (sides.source != nullptr) sides.source->Impedances(frequencies, sourceZ);
  if (sides.load != nullptr) sides.load->Impedances(frequencies, loadZ);
  out.resize(frequencies.size());
  FrequencyWalk walk(span);
  for (std::size_t k = 0; k < frequencies.size(); ++k) {
    walk.Step(static_cast<int>(k));
    const double omega = walk.Omega(), inverseOmega = walk.InverseOmega();
    const std::complex<double> zs =
        sides.source != nullptr ? sourceZ[k] : prepared.source.Impedance(omega, inverseOmega);
    const std::complex<double> zl =
        sides.load != nullptr ? loadZ[k] : prepared.load.Impedance(omega, inverseOmega);
    out[k] = evaluate(prepared, walk.Frequency(), omega, inverseOmega, zs, zl);
  }
}

// One point of a prepared circuit with the measured sides' impedances at that frequency.
template <typename Prepared, typename Evaluate>
ResponsePoint EvaluateMeasured(const Prepared& prepared, double frequency,
                               const MeasuredSides& sides, Evaluate evaluate) {
  const double omega = kTwoPi * frequency, inverseOmega = 1.0 / omega;
  const std::complex<double> zs = sides.source != nullptr
                                      ? sides.source->Impedance(frequency)
                                      : prepared.source.Impedance(omega, inverseOmega);
  const std::complex<double> zl = sides.load != nullptr
                                      ? sides.load->Impedance(frequency)
                                      : prepared.load.Impedance(omega, inverseOmega);
  return evaluate(prepared, frequency, omega, inverseOmega, zs, zl);
}

}  // namespace

ResponsePoint EvaluateChainResponse(std::complex<double> zs, std::complex<double> zl,
                                    LosslessChain m, double frequency, double emfSquared) {
  return ChainResponse(zs, zl, m, frequency, emfSquared);
}

ResponsePoint EvaluateResponse(const MatchingCircuit& circuit, double frequency) {
  return Evaluate(PreparedCircuit(circuit), frequency);
}

SweepSpan DefaultSweepSpan(double designFrequency) {
  return {designFrequency / 4.0, designFrequency * 4.0, kDefaultSweepPoints, true};
}

std::string_view SweepSpanProblem(const SweepSpan& span) {
  if (!(span.from > 0.0)) return "the sweep must start above 0 Hz";
  if (!(span.to > span.from)) return "the sweep must end above the frequency it starts at";
  if (!(span.from >= kMinSweepFrequency && span.to <= kMaxSweepFrequency)) {
    return "the sweep must lie between 1e-9 Hz and 1e15 Hz";
  }
  if (span.points < 2 || span.points > kMaxSweepPoints) {
    return "the sweep needs between 2 and 1000000 points";
  }
  return "";
}

std::vector<double> SweepFrequencies(const SweepSpan& span) {
  std::vector<double> frequencies(static_cast<std::size_t>(std::max(span.points, 0)));
  FrequencyWalk walk(span);
  for (int k = 0; k < span.points; ++k) {
    walk.Step(k);
    frequencies[static_cast<std::size_t>(k)] = walk.Frequency();
  }
  return frequencies;
}

void SweepResponse(const MatchingCircuit& circuit, const SweepSpan& span,
                   std::vector<ResponsePoint>& out) {
  out.resize(static_cast<std::size_t>(std::max(span.points, 0)));
  const PreparedCircuit prepared(circuit);
  FrequencyWalk walk(span);
  for (int k = 0; k < span.points; ++k) {
    walk.Step(k);
    out[static_cast<std::size_t>(k)] =
        Evaluate(prepared, walk.Frequency(), walk.Omega(), walk.InverseOmega());
  }
}

std::vector<ResponsePoint> SweepResponse(const MatchingCircuit& circuit, const SweepSpan& span) {
  std::vector<ResponsePoint> out;
  SweepResponse(circuit, span, out);
  return out;
}

ResponsePoint EvaluateResponse(const MatchingCircuit& circuit, double frequency,
                               const LossModel& losses) {
  if (IsIdealFor(circuit, losses)) return EvaluateResponse(circuit, frequency);
  const std::array<PartQ, 3> q = CircuitQ(circuit, losses);
  const double omega = kTwoPi * frequency;
  return EvaluateLossy(PreparedLossyCircuit(circuit, q), frequency, omega, 1.0 / omega);
}

void SweepResponse(const MatchingCircuit& circuit, const SweepSpan& span,
                   std::vector<ResponsePoint>& out, const LossModel& losses) {
  if (IsIdealFor(circuit, losses)) {
    SweepResponse(circuit, span, out);
    return;
  }
  out.resize(static_cast<std::size_t>(std::max(span.points, 0)));
  const PreparedLossyCircuit prepared(circuit, CircuitQ(circuit, losses));
  FrequencyWalk walk(span);
  for (int k = 0; k < span.points; ++k) {
    walk.Step(k);
    out[static_cast<std::size_t>(k)] =
        EvaluateLossy(prepared, walk.Frequency(), walk.Omega(), walk.InverseOmega());
  }
}

std::vector<ResponsePoint> SweepResponse(const MatchingCircuit& circuit, const SweepSpan& span,
                                         const LossModel& losses) {
  std::vector<ResponsePoint> out;
  SweepResponse(circuit, span, out, losses);
  return out;
}

std::string MeasuredSpanProblem(const SweepSpan& span, const MeasuredSides& sides) {
  const std::string_view problem = SweepSpanProblem(span);
  if (!problem.empty()) return std::string(problem);
  for (const TouchstonePort* side : {sides.source, sides.load}) {
    if (side == nullptr) continue;
    if (!side->Covers(span.from)) return side->OutsideBandText(span.from);
    if (!side->Covers(span.to)) return side->OutsideBandText(span.to);
  }
  return "";
}

SweepSpan CutToSides(SweepSpan span, const MeasuredSides& sides) {
  for (const TouchstonePort* side : {sides.source, sides.load}) {
    if (side == nullptr) continue;
    span.from = std::max(span.from, side->From());
    span.to = std::min(span.to, side->To());
  }
  return span;
}

void SweepResponse(const MatchingCircuit& circuit, const SweepSpan& span,
                   const MeasuredSides& sides, std::vector<ResponsePoint>& out) {
  if (sides.source == nullptr && sides.load == nullptr) {
    SweepResponse(circuit, span, out);
    return;
  }
  SweepMeasured(PreparedCircuit(circuit), span, sides, out, EvaluateWith);
}

ResponsePoint EvaluateResponse(const MatchingCircuit& circuit, double frequency,
                               const MeasuredSides& sides) {
  return EvaluateMeasured(PreparedCircuit(circuit), frequency, sides, EvaluateWith);
}

bool MeasuredSides::Covers(double frequency) const {
  return (source == nullptr || source->Covers(frequency)) &&
         (load == nullptr || load->Covers(frequency));
}

void SweepResponse(const MatchingCircuit& circuit, const SweepSpan& span,
                   const MeasuredSides& sides, std::vector<ResponsePoint>& out,
                   const LossModel& losses) {
  if (IsIdealFor(circuit, losses)) {
    SweepResponse(circuit, span, sides, out);
    return;
  }
  if (sides.source == nullptr && sides.load == nullptr) {
    SweepResponse(circuit, span, out, losses);
    return;
  }
  SweepMeasured(PreparedLossyCircuit(circuit, CircuitQ(circuit, losses)), span, sides, out,
                EvaluateLossyWith);
}

ResponsePoint EvaluateResponse(const MatchingCircuit& circuit, double frequency,
                               const MeasuredSides& sides, const LossModel& losses) {
  if (IsIdealFor(circuit, losses)) return EvaluateResponse(circuit, frequency, sides);
  return EvaluateMeasured(PreparedLossyCircuit(circuit, CircuitQ(circuit, losses)), frequency,
                          sides, EvaluateLossyWith);
}

}  // namespace corvantile
