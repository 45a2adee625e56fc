#pragma once

// The response of a matching circuit over frequency: what the source sees, how well it is
// matched and how much of the available power reaches the load.
#include <complex>
#include <string>
#include <string_view>
#include <vector>

#include "analysis/circuits/matching_circuit.h"
#include "analysis/circuits/part_losses.h"
#include "analysis/circuits/two_port.h"

namespace corvantile {

struct ResponsePoint {
  double frequency = 0.0;               // Hz
  std::complex<double> inputImpedance;  // ohms, looking into the network with the load on it
  // Against the conjugate of the source impedance: (Zin - conj Zs) / (Zin + Zs), so that
  // |reflection|^2 is the share of the available power that does not reach a lossless network.
  std::complex<double> reflection;
  double returnLossDb = 0.0;      // -20 log10 |reflection|, at most kMaxReturnLossDb
  double vswr = 0.0;              // (1 + |reflection|) / (1 - |reflection|), finite
  double transducerGainDb = 0.0;  // load power over the source's available power, at least
                                  // -kMaxReturnLossDb
  double transferPhaseDeg = 0.0;  // phase of the load voltage against the network's input
                                  // voltage, (-180, 180]
  double loadPower = 0.0;         // W in the load's resistance, with the source's EMF
};

// A perfect match has no finite return loss; the figures stop here instead.
inline constexpr double kMaxReturnLossDb = 300.0;

// The response at one frequency (Hz, positive): the default circuit at 3.75 MHz gives
// Zin = 1500 ohm, a return loss near kMaxReturnLossDb and a transducer gain of 0 dB.
ResponsePoint EvaluateResponse(const MatchingCircuit& circuit, double frequency);

// The response of a network of pure reactances with chain matrix `m` between the source
// impedance zs and the load impedance zl at `frequency` (Hz), emfSquared being the square of
// the source's EMF (V RMS): the formulas EvaluateResponse uses, for any such network.
ResponsePoint EvaluateChainResponse(std::complex<double> zs, std::complex<double> zl,
                                    LosslessChain m, double frequency, double emfSquared);

struct SweepSpan {
  double from = 0.0;  // Hz
  double to = 0.0;    // Hz
  int points = 0;
  bool logarithmic = true;  // equal ratios between neighbours, else equal steps
};

inline constexpr int kDefaultSweepPoints = 1001;
inline constexpr int kMaxSweepPoints = 1000000;
// Far outside this range the reactances of ordinary parts overflow a double.
inline constexpr double kMinSweepFrequency = 1e-9;  // Hz
inline constexpr double kMaxSweepFrequency = 1e15;  // Hz

// A quarter of to four times the design frequency, kDefaultSweepPoints, logarithmic.
SweepSpan DefaultSweepSpan(double designFrequency);

// Why a span cannot be swept, in one line, or "" when it can: from 0 Hz -> "the sweep must
// start above 0 Hz".
std::string_view SweepSpanProblem(const SweepSpan& span);

// The frequencies of a valid span in ascending order, the ones SweepResponse uses; the first
// is `from` and the last `to` exactly: 1 kHz to 100 kHz in 3 logarithmic points -> 1 kHz,
// 10 kHz, 100 kHz.
std::vector<double> SweepFrequencies(const SweepSpan& span);

// The response at every frequency of a valid span, in ascending order, into `out` (resized to
// the number of points; nothing else is allocated).
void SweepResponse(const MatchingCircuit& circuit, const SweepSpan& span,
                   std::vector<ResponsePoint>& out);
std::vector<ResponsePoint> SweepResponse(const MatchingCircuit& circuit, const SweepSpan& span);

// The same with the parts' series resistances of `losses` (Q following its law over the span):
// the transducer gain then carries the insertion loss, and the load power is what is left of
// the EMF's power after the parts' dissipation. When `losses` leaves every element of the
// circuit ideal these are the lossless functions above, figure for figure.
ResponsePoint EvaluateResponse(const MatchingCircuit& circuit, double frequency,
                               const LossModel& losses);
void SweepResponse(const MatchingCircuit& circuit, const SweepSpan& span,
                   std::vector<ResponsePoint>& out, const LossModel& losses);
std::vector<ResponsePoint> SweepResponse(const MatchingCircuit& circuit, const SweepSpan& span,
                                         const LossModel& losses);
class TouchstonePort;

// Sides whose impedance comes from a measured file instead of the circuit's typed source or
// load: a null pointer leaves that side as the circuit has it.
struct MeasuredSides {
  const TouchstonePort* source = nullptr;
  const TouchstonePort* load = nullptr;

  // Whether every measured side's file reaches `frequency` (Hz); true with none measured.
  bool Covers(double frequency) const;
  bool Any() const { return source != nullptr || load != nullptr; }
};

// `span` with its ends moved into every measured side's band; unchanged with none measured.
// The result may be one SweepSpanProblem refuses (a file of a single frequency).
SweepSpan CutToSides(SweepSpan span, const MeasuredSides& sides);

// Why a span cannot be swept with these measured sides, in one line, or "" when it can:
// SweepSpanProblem's reasons, then "4 MHz is outside antenna.s1p's band (1 MHz to 3 MHz)"
// for an end beyond a file's band.
std::string MeasuredSpanProblem(const SweepSpan& span, const MeasuredSides& sides);

// SweepResponse with each measured side's impedance interpolated from its file at every
// point; with no measured side the result is SweepResponse's, bit for bit. The span must be
// one MeasuredSpanProblem accepts.
void SweepResponse(const MatchingCircuit& circuit, const SweepSpan& span,
                   const MeasuredSides& sides, std::vector<ResponsePoint>& out);

// The response at one frequency (Hz) with the measured sides interpolated there: the point
// SweepResponse with these sides gives at that frequency. Every measured side must cover it.
ResponsePoint EvaluateResponse(const MatchingCircuit& circuit, double frequency,
                               const MeasuredSides& sides);

// The two above with the parts' losses of `losses`: the lossy network between the measured
// sides. Parts that are all ideal give the lossless functions above to the bit; no measured
// side gives the lossy sweep and point to the bit.
void SweepResponse(const MatchingCircuit& circuit, const SweepSpan& span,
                   const MeasuredSides& sides, std::vector<ResponsePoint>& out,
                   const LossModel& losses);
ResponsePoint EvaluateResponse(const MatchingCircuit& circuit, double frequency,
                               const MeasuredSides& sides, const LossModel& losses);

}  // namespace corvantile
