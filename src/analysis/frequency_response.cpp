#include "analysis/frequency_response.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "analysis/touchstone_reader.h"
#include "analysis/two_port.h"

namespace corvantile {
namespace {

constexpr double kTwoPi = 2.0 * std::numbers::pi;
constexpr double kDegreesPerRadian = 180.0 / std::numbers::pi;
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

// The response at one angular frequency, written with real arithmetic only: the sweep runs
// this once per point, so it divides twice and calls four library functions.
ResponsePoint EvaluateWith(const PreparedCircuit& p, double frequency, double omega,
                           double inverseOmega, std::complex<double> zs, std::complex<double> zl) {
  LosslessChain m = ChainAt(p.network, omega, inverseOmega);
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
  point.loadPower = p.emfSquared * std::max(numDotDen * sNorm, 0.0);
  // V2 / V1 = ZL / (A ZL + B): its phase is that of ZL conj(A ZL + B).
  point.transferPhaseDeg =
      kDegreesPerRadian * std::atan2(xl * numR - rl * numI, rl * numR + xl * numI);
  return point;
}

ResponsePoint Evaluate(const PreparedCircuit& p, double frequency, double omega,
                       double inverseOmega) {
  return EvaluateWith(p, frequency, omega, inverseOmega, p.source.Impedance(omega, inverseOmega),
                      p.load.Impedance(omega, inverseOmega));
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

}  // namespace

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

void SweepResponse(const MatchingCircuit& circuit, const SweepSpan& span,
                   const MeasuredSides& sides, std::vector<ResponsePoint>& out) {
  if (sides.source == nullptr && sides.load == nullptr) {
    SweepResponse(circuit, span, out);
    return;
  }
  const std::vector<double> frequencies = SweepFrequencies(span);
  std::vector<std::complex<double>> sourceZ, loadZ;
  if (sides.source != nullptr) sides.source->Impedances(frequencies, sourceZ);
  if (sides.load != nullptr) sides.load->Impedances(frequencies, loadZ);
  out.resize(frequencies.size());
  const PreparedCircuit prepared(circuit);
  FrequencyWalk walk(span);
  for (std::size_t k = 0; k < frequencies.size(); ++k) {
    walk.Step(static_cast<int>(k));
    const double omega = walk.Omega(), inverseOmega = walk.InverseOmega();
    const std::complex<double> zs =
        sides.source != nullptr ? sourceZ[k] : prepared.source.Impedance(omega, inverseOmega);
    const std::complex<double> zl =
        sides.load != nullptr ? loadZ[k] : prepared.load.Impedance(omega, inverseOmega);
    out[k] = EvaluateWith(prepared, walk.Frequency(), omega, inverseOmega, zs, zl);
  }
}

}  // namespace corvantile
