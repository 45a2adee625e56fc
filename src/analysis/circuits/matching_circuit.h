#pragma once

// The physical circuit behind a designed state: the source as the user entered it, the
// network's three parts and the load, every part held at the henries or farads its part value
// names, so that the reactances follow the frequency.
#include <array>
#include <complex>
#include <string_view>

#include "math/design_network.h"
#include "state/circuit_state.h"

namespace corvantile {

// A two-terminal part. A short has reactance 0 at every frequency; an open one is absent.
enum class PartKind { Short, Open, Inductor, Capacitor };

struct CircuitPart {
  PartKind kind = PartKind::Short;
  double value = 0.0;  // henries for an inductor, farads (positive) for a capacitor
};

// The word for a kind of part in every output: "inductor", "capacitor", "short", "open".
std::string_view PartKindName(PartKind kind);

// Reactance of a short, an inductor or a capacitor at angular frequency omega:
// 20.13 uH at 2 pi 3.75 MHz -> 474.3 ohm, 117.8 pF -> -360.3 ohm, a short -> 0.
// An open part has no finite reactance: callers treat it as absent instead.
double PartReactance(const CircuitPart& part, double omega);

// How a source's or load's resistance and part are connected.
enum class Connection { Series, Parallel };

// A source or load: its resistance in series with its part (a short part leaves the bare
// resistance), or its resistance with the part across it (an open part leaves the bare
// resistance).
struct Termination {
  Connection connection = Connection::Series;
  double resistance = 0.0;  // ohms, positive
  CircuitPart part;
};

// Impedance of a source or load at omega: 50 ohm in series with 1 uH at 2 pi 1 MHz ->
// 50 + j6.283 ohm; 100 ohm across the same inductor -> 28.30 + j45.04 ohm.
std::complex<double> TerminationImpedance(const Termination& side, double omega);

// Pi: element 1 a shunt across the source, element 2 in series, element 3 a shunt across the
// load (the L networks are Pi networks with one shunt open). Tee: elements 1 and 3 in series,
// element 2 a shunt at the middle node.
enum class NetworkTopology { Pi, Tee };

// True when element k (1, 2, 3) of this topology is a shunt element.
bool IsShuntElement(NetworkTopology topology, int k);

struct MatchingCircuit {
  Termination source;
  Termination load;
  NetworkTopology topology = NetworkTopology::Pi;
  std::string_view familyName = "Pi";   // "Tee", "Pi", "low-pass L" or "high-pass L"
  std::array<CircuitPart, 3> elements;  // element 1 next to the source
  double designFrequency = 0.0;         // Hz
  double designPower = 0.0;             // W, the source's available power at designFrequency
  double sourceEmf = 0.0;  // V RMS behind the source impedance: sqrt(4 designPower Re Zs(f0))
};

// Why a state has no frequency response.
enum class CircuitProblem {
  None,
  Impossible,         // no network can be built for these values (the caution state)
  NotDesigned,        // the design mode only derives part values, or the family is unknown
  UnknownSourceForm,  // the source's entry form is not 1 to 4
  UnknownLoadForm,    // the load's entry form is not 1 to 4
  SourceWithoutR,     // the source resistance is not a positive number
  LoadWithoutR,       // the load resistance is not a positive number
  SourceOpen,         // the source's series part has no finite reactance
  LoadOpen,           // the load's series part has no finite reactance
  SourceShorted,      // the source's parallel part has a reactance of 0
  LoadShorted,        // the load's parallel part has a reactance of 0
  ShuntShorted,       // a shunt element of the network has a reactance of 0
};

// One line saying why there is no response: "no network can be designed for these values".
std::string_view CircuitProblemText(CircuitProblem problem);

struct CircuitBuild {
  CircuitProblem problem = CircuitProblem::None;
  MatchingCircuit circuit;  // meaningful only when problem is None
};

// Above this reactance (ohms, at the design frequency) a shunt element, or a source or load
// part across its resistance, is an open circuit; a series part this large leaves its side open.
// A cut-off for reading a design, not the value the arrays store for an open circuit
// (OpenReactanceStored, 1e15).
inline constexpr double kOpenCircuitCutoff = 1e9;

// Builds the circuit of a state that the design pass has just designed, `outcome` being what
// the pass returned. The source and load take the form their EntryForm names (1 and 3 series,
// 2 and 4 parallel) with the resistance and part value of that form; the network elements take
// NetPart1..3, Tee for the Tee family and Pi for the Pi and both L families.
CircuitBuild BuildCircuit(const RunState& state, DesignOutcome outcome);

// The source or load as a state holds it (its entry form's resistance and part, the part
// taken at `omega`), or the problem it has: what BuildCircuit builds for that side.
CircuitProblem TypedTermination(const RunState& state, bool source, double omega, Termination& out);

// Runs the design pass on a copy of `state` and builds its circuit.
CircuitBuild DesignCircuit(RunState state);

}  // namespace corvantile
