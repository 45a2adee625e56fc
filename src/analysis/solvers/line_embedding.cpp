#include "analysis/solvers/line_embedding.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "units/constants.h"

namespace corvantile {
namespace {

using Complex = std::complex<double>;

TouchstoneData OnePort(std::string name, double reference, std::vector<double> hertz,
                       const std::vector<Complex>& z) {
  TouchstoneData data;
  data.name = std::move(name);
  data.version = 1;
  data.ports = 1;
  data.parameter = TouchstoneParameter::S;
  data.format = TouchstoneFormat::RI;
  data.referenceImpedances = {reference};
  data.frequencies = std::move(hertz);
  data.s.reserve(z.size());
  for (const Complex& value : z) data.s.push_back(ReflectionOf(value, reference));
  return data;
}

}  // namespace

std::complex<double> ThroughLine(const TransmissionLine& line, double hertz, std::complex<double> z,
                                 LineDirection direction) {
  return direction == LineDirection::Add ? line.SeenThrough(hertz, z) : line.Removed(hertz, z);
}

std::vector<std::complex<double>> ThroughLine(const TransmissionLine& line,
                                              std::span<const double> hertz,
                                              std::span<const std::complex<double>> z,
                                              LineDirection direction) {
  std::vector<Complex> out(std::min(hertz.size(), z.size()));
  for (std::size_t k = 0; k < out.size(); ++k)
    out[k] = ThroughLine(line, hertz[k], z[k], direction);
  return out;
}

TouchstoneData LineSeenData(const TouchstonePort& port, const TransmissionLine& line,
                            LineDirection direction, double reference, std::string name) {
  std::vector<Complex> z;
  port.Impedances(port.Frequencies(), z);
  return OnePort(std::move(name), reference, port.Frequencies(),
                 ThroughLine(line, port.Frequencies(), z, direction));
}

TouchstoneData LineSeenData(const std::function<std::complex<double>(double)>& impedance,
                            double from, double to, const TransmissionLine& line,
                            LineDirection direction, double reference, std::string name) {
  // The line turns S by 2 beta l over the band: a step of 0.005 radians keeps the chord within
  // (0.005)^2 / 8 of the circle.
  const double turn = 2.0 * line.Propagation(to).imag() * line.Length();
  const double points = std::clamp(std::ceil(turn / 0.005) + 1.0, 2001.0, 200001.0);
  std::vector<double> hertz;
  std::vector<Complex> z;
  const std::size_t n = static_cast<std::size_t>(points);
  hertz.reserve(n);
  z.reserve(n);
  for (std::size_t k = 0; k < n; ++k) {
    const double f = k + 1 == n ? to : from + (to - from) * static_cast<double>(k) / (points - 1.0);
    hertz.push_back(f);
    z.push_back(ThroughLine(line, f, impedance(f), direction));
  }
  return OnePort(std::move(name), reference, std::move(hertz), z);
}

double SeenReference(const TouchstonePort& port) {
  return port.ReferenceImpedance() > 0.0 ? port.ReferenceImpedance() : 50.0;
}

TouchstoneData SideSeenThroughLine(const TouchstonePort* measured,
                                   const std::function<std::complex<double>(double)>& typed,
                                   double f0, const TransmissionLine& line, double nominal,
                                   std::string name) {
  if (measured != nullptr) {
    return LineSeenData(*measured, line, LineDirection::Add, SeenReference(*measured),
                        std::move(name));
  }
  return LineSeenData(typed, f0 / 8.0, 8.0 * f0, line, LineDirection::Add, nominal,
                      std::move(name));
}

}  // namespace corvantile
