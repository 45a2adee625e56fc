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

// Frequencies from `from` to `to` close enough that the line turns S by at most 0.002 radians
// between neighbours: a chord of that arc stays within (0.002)^2 / 8 = 5e-7 of the circle, so
// S interpolated straight between them keeps the impedance to about 1e-6. At least 2001.
std::vector<double> FineGrid(const TransmissionLine& line, double from, double to) {
  const double turn = 2.0 * line.Propagation(to).imag() * line.Length();
  const double points = std::clamp(std::ceil(turn / 0.002) + 1.0, 2001.0, 200001.0);
  const std::size_t n = static_cast<std::size_t>(points);
  std::vector<double> hertz;
  hertz.reserve(n);
  for (std::size_t k = 0; k < n; ++k) {
    hertz.push_back(k + 1 == n ? to : from + (to - from) * static_cast<double>(k) / (points - 1.0));
  }
  return hertz;
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
  // The file's own frequencies stay in the grid so that each of its points comes out exact: a
  // line removed and added again gives the file back there.
  std::vector<double> hertz =
      port.Frequencies().size() < 2 ? port.Frequencies() : FineGrid(line, port.From(), port.To());
  hertz.insert(hertz.end(), port.Frequencies().begin(), port.Frequencies().end());
  std::sort(hertz.begin(), hertz.end());
  hertz.erase(std::unique(hertz.begin(), hertz.end()), hertz.end());
  std::vector<Complex> z;
  port.Impedances(hertz, z);
  const std::vector<Complex> seen = ThroughLine(line, hertz, z, direction);
  return OnePort(std::move(name), reference, std::move(hertz), seen);
}

TouchstoneData LineSeenData(const std::function<std::complex<double>(double)>& impedance,
                            double from, double to, const TransmissionLine& line,
                            LineDirection direction, double reference, std::string name) {
  std::vector<double> hertz = FineGrid(line, from, to);
  std::vector<Complex> z;
  z.reserve(hertz.size());
  for (const double f : hertz) z.push_back(ThroughLine(line, f, impedance(f), direction));
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
