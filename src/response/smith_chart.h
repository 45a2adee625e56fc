#pragma once

// The Smith chart's geometry: impedances normalised to a reference and mapped to reflection
// coefficients, the chart's grid circles, and the path of the impedance through a matching
// network from the load to the source side.
#include <complex>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "analysis/circuits/matching_circuit.h"
#include "analysis/circuits/transmission_line.h"

namespace corvantile {

// The reflection coefficient of a normalised impedance, (z - 1) / (z + 1): z = 1 -> 0,
// z = 0 -> -1, z = 3 -> 0.5, z = j -> j. An impedance too large for the division (or not
// finite) maps to the open circuit, 1.
std::complex<double> ReflectionOf(std::complex<double> z);

// A circle in the reflection plane.
struct SmithCircle {
  std::complex<double> centre;
  double radius = 0.0;
};

// Every z = r + j x with this r >= 0 lies on it: r = 1 -> centre 0.5, radius 0.5.
SmithCircle ResistanceCircle(double r);
// Every z = r + j x with this x != 0 lies on it (the part inside the unit circle is the arc
// the chart draws): x = 1 -> centre 1 + j, radius 1.
SmithCircle ReactanceCircle(double x);

// The grid values the chart labels: the same for resistances and, with both signs, reactances.
std::span<const double> SmithGridValues();

// One impedance on the way from the load to the source side.
struct SmithNode {
  std::string label;                // "Load", "After element 3 (shunt capacitor 230.9 pF)"
  std::complex<double> impedance;   // ohms
  std::complex<double> normalised;  // impedance / z0
  std::complex<double> reflection;  // ReflectionOf(normalised)
  int element = 0;                  // the element just passed, 1..3; 0 for any other point
};

struct SmithPath {
  // The load first, then the impedance after each element that changes it (an open shunt or a
  // shorted series element does not); the last is the network's input impedance.
  std::vector<SmithNode> nodes;
  // The reflection coefficient all along the way: a series element moves along a circle of
  // constant resistance, a shunt element along one of constant conductance, each sampled in
  // kSmithArcSteps equal steps of its reactance or susceptance. Starts at the load's node and
  // passes through every other node.
  std::vector<std::complex<double>> trace;
};

inline constexpr int kSmithArcSteps = 64;

// The path at `frequency` (Hz, positive) for reference impedance z0 (ohms, positive). For a
// designed circuit at its design frequency it ends at the conjugate of the source impedance.
SmithPath ImpedancePath(const MatchingCircuit& circuit, double frequency, double z0);

// A feedline's impedance along its length at one frequency, from its far end to its near end:
// z(d) = (A zfar + B) / (C zfar + D) with the chain matrix of the d metres nearest the far end,
// as reflections against z0. On a lossless line a circle about its own impedance, on a lossy
// one a spiral inward; a 50 ohm line ends where it starts with a 50 ohm load.
struct SmithLinePath {
  SmithNode far, near;  // labelled "Feedline's far end", "Feedline's near end"
  // From far.reflection to near.reflection in equal steps of length: at least
  // kSmithLineSteps, and kSmithLineStepsPerTurn for every turn the line makes.
  std::vector<std::complex<double>> trace;
};
inline constexpr int kSmithLineSteps = 256;
inline constexpr int kSmithLineStepsPerTurn = 96;
SmithLinePath FeedlinePath(const TransmissionLine& line, double frequency, std::complex<double> far,
                           double z0);

// The index of the point nearest to `at` if it lies within `radius`, else nothing.
std::optional<std::size_t> NearestPoint(std::span<const std::complex<double>> points,
                                        std::complex<double> at, double radius);

}  // namespace corvantile
