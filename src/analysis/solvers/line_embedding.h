#pragma once

// A load seen through a feedline, over frequency: a measured port or a typed impedance with a
// line added in front of it (what the radio end sees when the antenna is at the far end), or a
// radio-end measurement with the line taken away (the antenna's own impedance). The result is
// a one-port file like any measured one, so every sweep, loss and band figure takes it as it
// takes a measurement.
#include <complex>
#include <functional>
#include <span>
#include <string>
#include <vector>

#include "analysis/circuits/transmission_line.h"
#include "analysis/formats/touchstone_reader.h"

namespace corvantile {

// Add: the impedance at the near end of the line with the load at its far end. Remove: the
// impedance at the far end that shows the measured one at the near end.
enum class LineDirection { Add, Remove };

std::complex<double> ThroughLine(const TransmissionLine& line, double hertz, std::complex<double> z,
                                 LineDirection direction);

// The impedances `z` at frequencies `hertz`, each seen through the line.
std::vector<std::complex<double>> ThroughLine(const TransmissionLine& line,
                                              std::span<const double> hertz,
                                              std::span<const std::complex<double>> z,
                                              LineDirection direction);

// Port `port`'s impedance seen through the line, as a one-port S file against a real
// `reference` (ohms), named `name`. The far end's impedance is interpolated from its file first
// and then seen through the line, over the file's band at the fine steps of the typed overload
// below plus the file's own frequencies (exact there), since a long line turns the phase far
// between a sparse file's points. An impedance that comes out open (S = 1) stays open.
TouchstoneData LineSeenData(const TouchstonePort& port, const TransmissionLine& line,
                            LineDirection direction, double reference, std::string name);

// The same for an impedance given over frequency (a typed load), sampled from `from` to `to`
// (Hz) finely enough that straight-line interpolation of S between samples stays within about
// 1e-6 of the line's rotation: at least 2001 points, more for a long line (at most 200001).
TouchstoneData LineSeenData(const std::function<std::complex<double>(double)>& impedance,
                            double from, double to, const TransmissionLine& line,
                            LineDirection direction, double reference, std::string name);

// What a file seen through a line is written against: its port's own real reference, or 50
// ohms for a field solver's reactive one.
double SeenReference(const TouchstonePort& port);

// A side of a design seen through a line from the network, as every sweep takes it: a measured
// port (`measured`) over its file's band against SeenReference, else the typed impedance
// `typed` sampled from f0 / 8 to 8 f0 against the line's nominal impedance `nominal`. The
// command line's --line and the design model's feedline both see a side through this.
TouchstoneData SideSeenThroughLine(const TouchstonePort* measured,
                                   const std::function<std::complex<double>(double)>& typed,
                                   double f0, const TransmissionLine& line, double nominal,
                                   std::string name);

}  // namespace corvantile
