#pragma once

// How wide a band physics allows: the Bode-Fano bound of a reactive source or load, and the
// two-section L network through the geometric-mean resistance.
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "analysis/circuits/ladder_circuit.h"

namespace corvantile {

// |Gamma| of a VSWR: 2 -> 1/3.
double ReflectionForVswr(double vswr);

// The own Q at omega of a side modelled as its connection says: a series R + jX has
// Q = |X| / R, a parallel R || jX has Q = R / |X|; a side without a part has Q = 0.
double TerminationQ(const Termination& side, double omega);

// The largest fractional bandwidth any lossless network can reach with a reflection no larger
// than that of `vswr` over the band, for a side of own Q `q`: pi / (q ln(1 / |Gamma|)); nothing
// when q is 0 (a resistance alone sets no bound).
std::optional<double> BodeFanoBandwidth(double q, double vswr);

enum class BoundSide { None, Source, Load };

struct BodeFanoBound {
  double sourceQ = 0.0;
  double loadQ = 0.0;
  BoundSide limitedBy = BoundSide::None;  // the side whose bound is the tighter one
  std::optional<double> fractional;       // at VSWR 2:1; empty for a resistive pair
};

// The bound for this source and load at `frequency` (Hz) and VSWR 2:1: the tighter of the two
// sides' bounds, each side modelled as its entry form holds it (series or parallel).
BodeFanoBound BodeFanoFor(const Termination& source, const Termination& load, double frequency);

// "no Bode-Fano bound: source and load are resistive" for a resistive pair, else "".
std::string_view BodeFanoNote(const BodeFanoBound& bound);

// A band of frequencies, from <= to, in Hz.
struct FrequencyBand {
  double from = 0.0;
  double to = 0.0;
};

// A side as the bound sees it: its resistance with an inductor, a capacitor or both, all in
// series or all in parallel (a part that is not there is 0).
struct ReactiveModel {
  Connection connection = Connection::Series;
  double resistance = 0.0;   // ohms
  double inductance = 0.0;   // H
  double capacitance = 0.0;  // F
};

// The model of a typed side: its resistance and its one part.
ReactiveModel ModelOf(const Termination& side);

// "series R-C (15 ohm, 5 pF)", "series R-L-C (63.7 ohm, 20.1 uH, 95.6 pF)".
std::string ReactiveModelText(const ReactiveModel& model);

// The smallest reflection |Gamma| a lossless network can hold constant over every band for
// one side, from the Bode-Fano integrals of its model (the bands' widths add up):
//   parallel C  exp(-pi / (R C sum(w2 - w1)))     series C  exp(-pi R C / sum(1/w1 - 1/w2))
//   series L    exp(-pi R / (L sum(w2 - w1)))     parallel L exp(-pi L / (R sum(1/w1 - 1/w2)))
// A model with both parts must meet both integrals: the larger reflection holds.
// 15 ohm in series with 0.5 pF over 8-18 GHz -> 0.1186 (VSWR 1.269). Nothing for a side
// without a part (a resistance alone sets no bound).
std::optional<double> BodeFanoReflection(const ReactiveModel& side,
                                         std::span<const FrequencyBand> bands);
std::optional<double> BodeFanoReflection(const Termination& side,
                                         std::span<const FrequencyBand> bands);

struct BandBound {
  BoundSide limitedBy = BoundSide::None;
  std::optional<double> reflection;  // |Gamma|, empty for a resistive pair
  std::optional<double> ReturnLossDb() const;
  std::optional<double> Vswr() const;
};

// The tighter of the source's and the load's bound over the bands: a lossless two-port
// reflects as much at one port as at the other, so the larger reflection holds.
BandBound BodeFanoForBands(const ReactiveModel& source, const ReactiveModel& load,
                           std::span<const FrequencyBand> bands);

// The two L sections through the geometric mean Rm of the source's and the load's resistance
// (the real parts of their impedances at `frequency`): the first matches the source to Rm, the
// second Rm to the load, each the low-pass L of its step where it has one, so that for a
// resistive pair both sections have the same Q, sqrt(sqrt(Rhigh / Rlow) - 1). Nothing when the
// two resistances are equal (there is nothing to step).
struct TwoSectionL {
  double middleResistance = 0.0;  // ohms
  double firstQ = 0.0;            // loaded Q of the section at the source
  double secondQ = 0.0;           // loaded Q of the section at the load
  LadderCircuit circuit;          // four elements
};
std::optional<TwoSectionL> TwoSectionLThroughMean(const Termination& source,
                                                  const Termination& load, double frequency,
                                                  double power);

}  // namespace corvantile
