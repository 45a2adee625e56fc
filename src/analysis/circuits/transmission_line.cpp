#include "analysis/circuits/transmission_line.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cmath>
#include <limits>

#include "units/constants.h"

namespace corvantile {
namespace {

using Complex = std::complex<double>;

// dB per neper: 20 log10(e).
constexpr double kDbPerNeper = 8.685889638065035;

// Nominal matched loss, dB per 100 ft, as each maker's datasheet lists it. Cross-checked
// against two independently published cable tables that cite the same datasheets: RG-213,
// RG-8X, LMR-400, LMR-240, RG-174 (above 10 MHz), 9913 and RG-59 (against RG-59B) agree within
// 10 %, RG-6 (1694A) within 8 %. RG-58 (8240) sits between the two (4.9 dB at 100 MHz in one,
// 3.8 in the other's two-term fit); RG-174's 10 MHz figure is the copper-clad steel centre's,
// above what a two-term fit gives there. A cable's own datasheet outranks this table: type its
// figures.
constexpr std::array kRg58Loss{LossPoint{1e6, 0.4},   LossPoint{10e6, 1.4},  LossPoint{50e6, 3.3},
                               LossPoint{100e6, 4.9}, LossPoint{200e6, 7.3}, LossPoint{400e6, 11.2},
                               LossPoint{1e9, 21.5}};
constexpr std::array kRg8xLoss{LossPoint{1e6, 0.3},   LossPoint{10e6, 1.0},  LossPoint{50e6, 2.5},
                               LossPoint{100e6, 3.7}, LossPoint{200e6, 5.4}, LossPoint{400e6, 8.0},
                               LossPoint{1e9, 13.5}};
constexpr std::array kRg213Loss{LossPoint{1e6, 0.2},   LossPoint{10e6, 0.6},  LossPoint{50e6, 1.6},
                                LossPoint{100e6, 2.2}, LossPoint{200e6, 3.3}, LossPoint{400e6, 4.8},
                                LossPoint{1e9, 8.2}};
constexpr std::array kLmr400Loss{
    LossPoint{30e6, 0.7},  LossPoint{50e6, 0.9},  LossPoint{150e6, 1.5},  LossPoint{220e6, 1.8},
    LossPoint{450e6, 2.7}, LossPoint{900e6, 3.9}, LossPoint{1500e6, 5.1}, LossPoint{2400e6, 6.6}};
constexpr std::array kLmr240Loss{
    LossPoint{30e6, 1.3},  LossPoint{50e6, 1.7},  LossPoint{150e6, 3.0},  LossPoint{220e6, 3.7},
    LossPoint{450e6, 5.3}, LossPoint{900e6, 7.6}, LossPoint{1500e6, 9.9}, LossPoint{2400e6, 12.7}};
constexpr std::array kRg6Loss{LossPoint{5e6, 0.38},   LossPoint{55e6, 1.6},
                              LossPoint{211e6, 3.0},  LossPoint{500e6, 4.6},
                              LossPoint{1000e6, 6.5}, LossPoint{2150e6, 9.7}};
constexpr std::array kRg59Loss{LossPoint{10e6, 1.1},  LossPoint{50e6, 2.4},  LossPoint{100e6, 3.4},
                               LossPoint{200e6, 4.9}, LossPoint{400e6, 7.0}, LossPoint{1e9, 12.0}};
constexpr std::array kRg174Loss{LossPoint{10e6, 3.3},   LossPoint{50e6, 5.8},
                                LossPoint{100e6, 8.4},  LossPoint{200e6, 12.5},
                                LossPoint{400e6, 19.0}, LossPoint{1e9, 31.0}};
constexpr std::array k9913Loss{LossPoint{10e6, 0.4},  LossPoint{50e6, 0.9},  LossPoint{100e6, 1.3},
                               LossPoint{200e6, 1.8}, LossPoint{400e6, 2.6}, LossPoint{1e9, 4.5}};

const std::array kCables{
    CableType{"RG-58", 50.0, 0.66, kRg58Loss, "Belden 8240 RG-58/U datasheet"},
    CableType{"RG-8X", 50.0, 0.78, kRg8xLoss, "Belden 9258 RG-8X datasheet"},
    CableType{"RG-213", 50.0, 0.66, kRg213Loss, "Belden 8267 RG-213/U datasheet"},
    CableType{"LMR-400", 50.0, 0.85, kLmr400Loss, "Times Microwave Systems LMR-400 datasheet"},
    CableType{"LMR-240", 50.0, 0.84, kLmr240Loss, "Times Microwave Systems LMR-240 datasheet"},
    CableType{"9913", 50.0, 0.84, k9913Loss, "Belden 9913 datasheet"},
    CableType{"RG-174", 50.0, 0.66, kRg174Loss, "Belden 8216 RG-174/U datasheet"},
    CableType{"RG-6", 75.0, 0.83, kRg6Loss, "Belden 1694A RG-6/U datasheet"},
    CableType{"RG-59", 75.0, 0.66, kRg59Loss, "Belden 8241 RG-59/U datasheet"},
};

// "RG-213" -> "rg213": the letters and digits only, lower case.
std::string Folded(std::string_view name) {
  std::string folded;
  for (const char c : name) {
    if (std::isalnum(static_cast<unsigned char>(c))) {
      folded += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
  }
  return folded;
}

}  // namespace

double LineConstants::Resistance(double hertz) const { return rDc + rSqrt * std::sqrt(hertz); }
double LineConstants::Conductance(double hertz) const { return gDc + gPerHz * hertz; }

double LossFit::DbPerMetre(double hertz) const { return k1 * std::sqrt(hertz) + k2 * hertz; }

std::optional<LossFit> FitLoss(std::span<const LossPoint> points, LossLength per,
                               std::string& error) {
  if (points.size() < 2) {
    error = "the loss needs figures at two or more frequencies";
    return std::nullopt;
  }
  const double metres = per == LossLength::Per100Feet ? 100.0 * kMetresPerFoot : 100.0;
  // Weighted by 1 / y^2: each figure counts by its relative error, so the low-frequency
  // figures that matter at HF are not swamped by the large ones at UHF.
  double ss = 0.0, sf = 0.0, ff = 0.0, sy = 0.0, fy = 0.0;
  for (const LossPoint& point : points) {
    if (!(point.hertz > 0.0) || !std::isfinite(point.hertz)) {
      error = "a loss figure's frequency must be above 0";
      return std::nullopt;
    }
    if (!(point.dbPer100 > 0.0) || !std::isfinite(point.dbPer100)) {
      error = "a loss figure must be above 0 dB";
      return std::nullopt;
    }
    const double y = point.dbPer100 / metres;
    const double w = 1.0 / (y * y);
    const double s = std::sqrt(point.hertz), f = point.hertz;
    ss += w * s * s;
    sf += w * s * f;
    ff += w * f * f;
    sy += w * s * y;
    fy += w * f * y;
  }
  const double determinant = ss * ff - sf * sf;
  LossFit fit;
  if (determinant > 1e-12 * ss * ff) {
    fit.k1 = (sy * ff - fy * sf) / determinant;
    fit.k2 = (fy * ss - sy * sf) / determinant;
  } else {
    fit.k1 = -1.0;  // every figure at one frequency: one term only
  }
  if (fit.k1 < 0.0 || fit.k2 < 0.0) {
    // One term alone: the one that leaves the smaller weighted residual.
    const LossFit skin{sy / ss, 0.0}, dielectric{0.0, fy / ff};
    const auto residual = [&](const LossFit& candidate) {
      double sum = 0.0;
      for (const LossPoint& point : points) {
        const double y = point.dbPer100 / metres;
        const double e = (candidate.DbPerMetre(point.hertz) - y) / y;
        sum += e * e;
      }
      return sum;
    };
    fit = residual(skin) <= residual(dielectric) ? skin : dielectric;
  }
  return fit;
}

LineConstants ConstantsFromLoss(double z0, double velocityFactor, const LossFit& loss) {
  const double v = velocityFactor * kSpeedOfLight;
  LineConstants constants;
  constants.inductance = z0 / v;
  constants.capacitance = 1.0 / (z0 * v);
  // alpha_c = R / (2 z0), alpha_d = G z0 / 2, in nepers per metre.
  constants.rSqrt = 2.0 * z0 * loss.k1 / kDbPerNeper;
  constants.gPerHz = 2.0 * loss.k2 / (kDbPerNeper * z0);
  return constants;
}

std::complex<double> TransmissionLine::CharacteristicImpedance(double hertz) const {
  const double omega = kTwoPi * hertz;
  const Complex z(constants_.Resistance(hertz), omega * constants_.inductance);
  const Complex y(constants_.Conductance(hertz), omega * constants_.capacitance);
  if (y == Complex(0.0, 0.0)) {
    return std::sqrt(Complex(constants_.inductance / constants_.capacitance, 0.0));
  }
  return std::sqrt(z / y);
}

std::complex<double> TransmissionLine::Propagation(double hertz) const {
  const double omega = kTwoPi * hertz;
  const Complex z(constants_.Resistance(hertz), omega * constants_.inductance);
  const Complex y(constants_.Conductance(hertz), omega * constants_.capacitance);
  return std::sqrt(z * y);
}

ChainMatrix TransmissionLine::ChainAt(double hertz, double metres) const {
  const Complex gl = Propagation(hertz) * metres;
  const Complex z0 = CharacteristicImpedance(hertz);
  const Complex ch = std::cosh(gl), sh = std::sinh(gl);
  return {ch, z0 * sh, sh / z0, ch};
}

std::complex<double> TransmissionLine::SeenThrough(double hertz, std::complex<double> far) const {
  const ChainMatrix m = ChainAt(hertz);
  if (!std::isfinite(far.real()) || !std::isfinite(far.imag())) return m.a / m.c;  // open
  return (m.a * far + m.b) / (m.c * far + m.d);
}

std::complex<double> TransmissionLine::Removed(double hertz, std::complex<double> near) const {
  // The inverse chain, [D -B; -C A], since AD - BC = 1.
  const ChainMatrix m = ChainAt(hertz);
  if (!std::isfinite(near.real()) || !std::isfinite(near.imag())) return -m.d / m.c;
  return (m.d * near - m.b) / (m.a - m.c * near);
}

double TransmissionLine::MatchedLossDb(double hertz) const {
  return kDbPerNeper * Propagation(hertz).real() * metres_;
}

TransmissionLine CableType::Line(double metres) const {
  std::string ignored;
  const std::optional<LossFit> fit = FitLoss(loss, LossLength::Per100Feet, ignored);
  return TransmissionLine(ConstantsFromLoss(impedance, velocityFactor, fit.value_or(LossFit{})),
                          metres);
}

std::span<const CableType> CableTable() { return kCables; }

const CableType* FindCable(std::string_view name) {
  const std::string wanted = Folded(name);
  for (const CableType& cable : kCables) {
    if (Folded(cable.name) == wanted) return &cable;
  }
  return nullptr;
}

std::complex<double> ReflectionOf(std::complex<double> z, double reference) {
  if (!std::isfinite(z.real()) || !std::isfinite(z.imag())) return {1.0, 0.0};
  return (z - reference) / (z + reference);
}

double VswrOf(std::complex<double> z, double reference) {
  const double g = std::abs(ReflectionOf(z, reference));
  if (!(g < 1.0)) return std::numeric_limits<double>::infinity();
  return (1.0 + g) / (1.0 - g);
}

LineFigures LineFiguresAt(const TransmissionLine& line, double hertz, std::complex<double> far,
                          double watts, double reference) {
  LineFigures figures;
  figures.farImpedance = far;
  figures.nearImpedance = line.SeenThrough(hertz, far);
  figures.nearVswr = VswrOf(figures.nearImpedance, reference);
  figures.farVswr = VswrOf(far, reference);
  figures.matchedLossDb = line.MatchedLossDb(hertz);
  figures.wattsIn = watts;
  // The near-end voltage that puts `watts` into the line: P = |V|^2 Re(1 / Zin) / 2.
  const Complex yIn = 1.0 / figures.nearImpedance;
  if (!(yIn.real() > 0.0)) {
    // No power goes in at all (a lossless line ending in a pure reactance).
    figures.lossDb = figures.matchedLossDb;
    return figures;
  }
  const double vIn = std::sqrt(2.0 * watts / yIn.real());
  const Complex iIn = vIn * yIn;
  const ChainMatrix m = line.ChainAt(hertz);
  const Complex vOut = m.d * vIn - m.b * iIn;
  const Complex iOut = -m.c * vIn + m.a * iIn;
  figures.wattsOut = 0.5 * (vOut * std::conj(iOut)).real();
  figures.lossDb = figures.wattsOut > 0.0 ? 10.0 * std::log10(watts / figures.wattsOut)
                                          : std::numeric_limits<double>::infinity();
  figures.mismatchLossDb = figures.lossDb - figures.matchedLossDb;
  // What the line would lose matched with the same watts in, against what it does lose.
  const double matchedOut = watts * std::pow(10.0, -figures.matchedLossDb / 10.0);
  figures.mismatchWatts = matchedOut - figures.wattsOut;

  // The voltage along the line, V(x) = cosh(g x) Vin - Z0 sinh(g x) Iin, sampled at least 400
  // times a wavelength and then refined around the highest sample.
  const Complex gamma = line.Propagation(hertz), z0 = line.CharacteristicImpedance(hertz);
  const auto volts = [&](double x) {
    return std::abs(std::cosh(gamma * x) * vIn - z0 * std::sinh(gamma * x) * iIn);
  };
  const double length = line.Length();
  const double wavelength = gamma.imag() > 0.0 ? kTwoPi / gamma.imag() : length;
  const double samples = std::clamp(std::ceil(400.0 * length / wavelength), 400.0, 400000.0);
  const double step = length / samples;
  double best = 0.0, bestVolts = volts(0.0);
  for (double k = 1.0; k <= samples; k += 1.0) {
    const double x = std::min(length, k * step);
    const double v = volts(x);
    if (v > bestVolts) {
      best = x;
      bestVolts = v;
    }
  }
  double low = std::max(0.0, best - step), high = std::min(length, best + step);
  for (int iteration = 0; iteration < 60; ++iteration) {
    const double a = low + (high - low) / 3.0, b = high - (high - low) / 3.0;
    if (volts(a) < volts(b)) {
      low = a;
    } else {
      high = b;
    }
  }
  const double refined = 0.5 * (low + high);
  if (volts(refined) > bestVolts) {
    best = refined;
    bestVolts = volts(refined);
  }
  figures.peakVolts = bestVolts;
  figures.peakAtMetres = best;
  return figures;
}

std::vector<LineMeasurementPoint> CharacteriseLine(std::span<const double> hertz,
                                                   std::span<const std::complex<double>> open,
                                                   std::span<const std::complex<double>> shorted) {
  std::vector<LineMeasurementPoint> points;
  const std::size_t n = std::min({hertz.size(), open.size(), shorted.size()});
  points.reserve(n);
  for (std::size_t k = 0; k < n; ++k) {
    LineMeasurementPoint point;
    point.hertz = hertz[k];
    point.impedance = std::sqrt(open[k] * shorted[k]);
    if (point.impedance.real() < 0.0) point.impedance = -point.impedance;
    // Zsc = Z0 tanh(gl) fixes the sign that sqrt(Zsc / Zoc) leaves open.
    const Complex principal = std::atanh(shorted[k] / point.impedance);
    double predicted = 0.0;
    if (points.size() >= 2) {
      const LineMeasurementPoint& p1 = points[points.size() - 1];
      const LineMeasurementPoint& p0 = points[points.size() - 2];
      const double slope =
          (p1.propagationL.imag() - p0.propagationL.imag()) / (p1.hertz - p0.hertz);
      predicted = p1.propagationL.imag() + slope * (point.hertz - p1.hertz);
    } else if (points.size() == 1) {
      // The phase grows in proportion to the frequency.
      predicted = points[0].propagationL.imag() * point.hertz / points[0].hertz;
    }
    const double turns = std::round((predicted - principal.imag()) / kPi);
    point.propagationL = principal + Complex(0.0, kPi * turns);
    points.push_back(point);
  }
  return points;
}

std::optional<FittedLine> FitMeasuredLine(std::span<const LineMeasurementPoint> points,
                                          double metres, std::string& error) {
  if (points.size() < 2) {
    error = "the open and short measurements share fewer than two frequencies";
    return std::nullopt;
  }
  if (!(metres > 0.0)) {
    error = "the line's length must be above 0";
    return std::nullopt;
  }
  double impedance = 0.0, wp = 0.0, ww = 0.0;
  std::vector<LossPoint> loss;
  for (const LineMeasurementPoint& point : points) {
    impedance += point.impedance.real();
    const double omega = kTwoPi * point.hertz;
    wp += omega * point.propagationL.imag();
    ww += omega * omega;
    loss.push_back({point.hertz, 100.0 * kDbPerNeper * point.propagationL.real() / metres});
  }
  FittedLine fitted;
  fitted.impedance = impedance / static_cast<double>(points.size());
  // phase = omega l / v: the slope of phase over omega is l / v.
  const double slope = wp / ww;
  if (!(slope > 0.0)) {
    error = "the measured phase does not grow with frequency";
    return std::nullopt;
  }
  fitted.velocityFactor = metres / (slope * kSpeedOfLight);
  const std::optional<LossFit> fit = FitLoss(loss, LossLength::Per100Metres, error);
  if (!fit) return std::nullopt;
  fitted.loss = *fit;
  fitted.line = TransmissionLine(
      ConstantsFromLoss(fitted.impedance, fitted.velocityFactor, fitted.loss), metres);
  return fitted;
}

}  // namespace corvantile
