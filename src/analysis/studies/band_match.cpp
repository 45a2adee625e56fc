#include "analysis/studies/band_match.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <numbers>
#include <random>

#include "analysis/formats/touchstone_reader.h"
#include "analysis/studies/l_solutions.h"
#include "analysis/studies/standard_series.h"
#include "math/nelder_mead.h"

namespace corvantile {
namespace {

using Complex = std::complex<double>;

constexpr double kTwoPi = 2.0 * std::numbers::pi;
constexpr int kMaxElements = 6;
// Normalised log-values stay within e^-13.8 .. e^13.8 (a millionth to a million times the
// reference): an element at the lower edge changes the reflection by about a millionth, so a
// ladder with one such element is the ladder without it for every figure shown.
constexpr double kLimit = 13.8;
// |Gamma|^2 below this is a perfect match for the search.
constexpr double kFloor = 1e-24;
// The weight of a missing dB of harmonic attenuation against ln |Gamma|^2.
constexpr double kHarmonicWeight = 5.0;

bool IsShunt(const LadderArrangement& a, int k) { return a.firstShunt == (k % 2 == 0); }
bool IsInductor(const LadderArrangement& a, int k) { return ((a.inductors >> k) & 1u) != 0; }

// Series inductors and shunt capacitors pass low frequencies; the other two pass high ones.
bool Lowpass(bool shunt, bool inductor) { return shunt != inductor; }

bool Accepts(LadderFamily family, const LadderArrangement& a) {
  int low = 0;
  for (int k = 0; k < a.count; ++k) low += Lowpass(IsShunt(a, k), IsInductor(a, k)) ? 1 : 0;
  switch (family) {
    case LadderFamily::Lowpass:
      return low == a.count;
    case LadderFamily::Highpass:
      return low == 0;
    case LadderFamily::Bandpass:
      return low > 0 && low < a.count;
    case LadderFamily::Any:
      break;
  }
  return true;
}

std::size_t KeyOf(const LadderArrangement& a) {
  return (static_cast<std::size_t>(a.count) * 2 + (a.firstShunt ? 1 : 0)) * 64 + a.inductors;
}
constexpr std::size_t kKeys = (kMaxElements + 1) * 2 * 64;

// An element as the search holds it at omega0: the signed reactance of a series element or
// susceptance of a shunt element, in ohms or siemens.
struct SignedElement {
  bool shunt = false;
  double value = 0.0;
};

struct Point {
  LadderArrangement arrangement;
  std::vector<double> x;
};

// Merges neighbours of the same connection (two series reactances add, two shunt
// susceptances add), drops what cancels, and gives the arrangement and log-values.
std::optional<Point> PointFromElements(std::vector<SignedElement> e, double r0) {
  bool merged = true;
  while (merged) {
    merged = false;
    for (std::size_t k = 0; k + 1 < e.size(); ++k) {
      if (e[k].shunt == e[k + 1].shunt) {
        e[k].value += e[k + 1].value;
        e.erase(e.begin() + static_cast<std::ptrdiff_t>(k) + 1);
        merged = true;
        break;
      }
    }
    for (std::size_t k = 0; k < e.size(); ++k) {
      const double normal = e[k].shunt ? e[k].value * r0 : e[k].value / r0;
      if (!(std::fabs(normal) > 1e-6)) {
        e.erase(e.begin() + static_cast<std::ptrdiff_t>(k));
        merged = true;
        break;
      }
    }
  }
  if (e.empty() || e.size() > static_cast<std::size_t>(kMaxElements)) return std::nullopt;
  Point p;
  p.arrangement.count = static_cast<int>(e.size());
  p.arrangement.firstShunt = e.front().shunt;
  for (std::size_t k = 0; k < e.size(); ++k) {
    const bool inductor = e[k].shunt ? e[k].value < 0.0 : e[k].value > 0.0;
    if (inductor) p.arrangement.inductors |= 1u << k;
    const double normal = std::fabs(e[k].shunt ? e[k].value * r0 : e[k].value / r0);
    p.x.push_back(std::clamp(std::log(normal), -kLimit, kLimit));
  }
  return p;
}

// The L sections of a step from `from` to `to` at omega0, each as its signed elements.
std::vector<std::vector<SignedElement>> Sections(const Termination& from, const Termination& to,
                                                 double frequency, double power) {
  std::vector<std::vector<SignedElement>> result;
  const double omega = kTwoPi * frequency;
  for (const LSolution& s : AllLSolutions(from, to, frequency, power)) {
    std::vector<SignedElement> e;
    for (const LadderElement& element : s.circuit.elements) {
      if (element.part.kind != PartKind::Inductor && element.part.kind != PartKind::Capacitor) {
        continue;
      }
      const double x = PartReactance(element.part, omega);
      e.push_back({element.shunt, element.shunt ? -1.0 / x : x});
    }
    result.push_back(std::move(e));
  }
  return result;
}

Termination Resistance(double r) { return {Connection::Series, r, CircuitPart{}}; }

// A side at the centre as a series R with the part of its reactance there.
Termination CentreSide(Complex z, double omega) {
  return {Connection::Series, z.real(), SeriesPartFor(z.imag(), omega)};
}

// The smooth (log-sum-exp) or exact maximum of ln |Gamma|^2 over a grid, with the penalties
// that keep values in their box and ask for the harmonic's attenuation.
class Objective {
 public:
  Objective(const BandGrid& grid, const LadderArrangement& arrangement, const BandGrid* harmonic,
            double harmonicDb)
      : grid_(grid), arrangement_(arrangement), harmonic_(harmonic), harmonicDb_(harmonicDb) {}

  // p = 0: the exact maximum.
  double operator()(std::span<const double> x, double p) const {
    double penalty = 0.0;
    for (double v : x) {
      const double over = std::fabs(v) - kLimit;
      if (over > 0.0) penalty += 10.0 * over * over;
    }
    if (harmonic_ != nullptr) penalty += kHarmonicWeight * HarmonicDeficit(x);
    if (p <= 0.0) {
      return std::log(std::max(grid_.WorstReflectionSquared(arrangement_, x), kFloor)) + penalty;
    }
    grid_.LogReflections(arrangement_, x, logs_);
    const double top = *std::max_element(logs_.begin(), logs_.end());
    double sum = 0.0;
    for (double g : logs_) sum += std::exp(p * (g - top));
    return top + std::log(sum) / p + penalty;
  }

  // dB of attenuation missing at the harmonic, 0 when there is enough.
  double HarmonicDeficit(std::span<const double> x) const {
    if (harmonic_ == nullptr) return 0.0;
    const double gamma2 = std::min(harmonic_->WorstReflectionSquared(arrangement_, x), 1.0);
    const double lossDb = gamma2 >= 1.0 ? 1e3 : -10.0 * std::log10(1.0 - gamma2);
    return std::max(harmonicDb_ - lossDb, 0.0);
  }

 private:
  const BandGrid& grid_;
  LadderArrangement arrangement_;
  const BandGrid* harmonic_;
  double harmonicDb_;
  mutable std::vector<double> logs_;
};

struct Found {
  Point point;
  double value = HUGE_VAL;  // the exact objective on the grid it was found on
};

// Minimises from `start`: the smooth objective with a rising exponent, then the exact one
// with restarts of a shrinking simplex.
Found Refine(const Objective& objective, std::vector<double> start,
             std::span<const double> exponents, int budget) {
  const int n = static_cast<int>(start.size());
  double step = 0.6;
  for (double p : exponents) {
    const SimplexResult r = MinimizeSimplex(
        [&](std::span<const double> x) { return objective(x, p); }, start, step, 1e-7, budget);
    start = r.x;
    step = std::max(step * 0.5, 0.05);
  }
  double value = objective(start, 0.0);
  for (double s : {0.1, 0.03, 0.01}) {
    const SimplexResult r =
        MinimizeSimplex([&](std::span<const double> x) { return objective(x, 0.0); }, start, s,
                        1e-9, budget / 2 + 20 * n);
    if (r.value < value) {
      value = r.value;
      start = r.x;
    }
  }
  Found f;
  f.point.x = std::move(start);
  f.value = value;
  return f;
}

double Uniform(std::mt19937_64& random) { return static_cast<double>(random() >> 11) * 0x1.0p-53; }

// Impedances of a side at the frequencies: from its file when measured, else its circuit.
std::vector<Complex> SideImpedances(const Termination& typed, const TouchstonePort* port,
                                    const std::vector<double>& frequencies) {
  std::vector<Complex> z(frequencies.size());
  if (port != nullptr) {
    port->Impedances(frequencies, z);
  } else {
    for (std::size_t k = 0; k < frequencies.size(); ++k) {
      z[k] = TerminationImpedance(typed, kTwoPi * frequencies[k]);
    }
  }
  return z;
}

// Least squares of y(w) = a w - b / w over the points, a part of a non-positive coefficient
// refitted without it: a series reactance gives a = L and b = 1 / C, a parallel susceptance
// a = C and b = 1 / L.
std::pair<double, double> FitRising(const std::vector<double>& omega,
                                    const std::vector<double>& y) {
  double s11 = 0.0, s12 = 0.0, s22 = 0.0, r1 = 0.0, r2 = 0.0;
  for (std::size_t k = 0; k < omega.size(); ++k) {
    const double u = omega[k], v = -1.0 / omega[k];
    s11 += u * u;
    s12 += u * v;
    s22 += v * v;
    r1 += u * y[k];
    r2 += v * y[k];
  }
  const double det = s11 * s22 - s12 * s12;
  double a = det != 0.0 ? (r1 * s22 - r2 * s12) / det : 0.0;
  double b = det != 0.0 ? (r2 * s11 - r1 * s12) / det : 0.0;
  if (!(a > 0.0) || !(b > 0.0)) {
    const double onlyA = s11 > 0.0 ? r1 / s11 : 0.0;
    const double onlyB = s22 > 0.0 ? r2 / s22 : 0.0;
    // The single term that leaves the smaller residual: sum y^2 - (projection)^2 / norm.
    const double gainA = onlyA > 0.0 ? r1 * onlyA : 0.0;
    const double gainB = onlyB > 0.0 ? r2 * onlyB : 0.0;
    a = gainA >= gainB ? std::max(onlyA, 0.0) : 0.0;
    b = gainA >= gainB ? 0.0 : std::max(onlyB, 0.0);
  }
  // A term a ten-thousandth of the other over the band is noise of the fit, not a part.
  const double middle = omega.empty() ? 1.0 : std::sqrt(omega.front() * omega.back());
  if (a * middle < 1e-4 * b / middle) a = 0.0;
  if (b / middle < 1e-4 * a * middle) b = 0.0;
  return {a, b};
}

ReactiveModel FitSide(Complex zc, const std::vector<double>& frequencies,
                      const std::vector<Complex>& z) {
  std::vector<double> omega(frequencies.size()), x(frequencies.size()), b(frequencies.size());
  for (std::size_t k = 0; k < frequencies.size(); ++k) {
    omega[k] = kTwoPi * frequencies[k];
    x[k] = z[k].imag();
    b[k] = (1.0 / z[k]).imag();
  }
  const auto [ls, inverseCs] = FitRising(omega, x);
  const auto [cp, inverseLp] = FitRising(omega, b);
  const ReactiveModel series{Connection::Series, zc.real(), ls,
                             inverseCs > 0.0 ? 1.0 / inverseCs : 0.0};
  const ReactiveModel parallel{Connection::Parallel, 1.0 / (1.0 / zc).real(),
                               inverseLp > 0.0 ? 1.0 / inverseLp : 0.0, cp};
  auto misfit = [&](const ReactiveModel& m) {
    double sum = 0.0;
    for (std::size_t k = 0; k < frequencies.size(); ++k) {
      const double w = omega[k];
      Complex model;
      if (m.connection == Connection::Series) {
        double reactance = w * m.inductance;
        if (m.capacitance > 0.0) reactance -= 1.0 / (w * m.capacitance);
        model = {m.resistance, reactance};
      } else {
        double susceptance = w * m.capacitance;
        if (m.inductance > 0.0) susceptance -= 1.0 / (w * m.inductance);
        model = 1.0 / Complex(1.0 / m.resistance, susceptance);
      }
      sum += std::norm(model - z[k]) / std::max(std::norm(z[k]), 1e-30);
    }
    return sum;
  };
  return misfit(parallel) < misfit(series) ? parallel : series;
}

CircuitPart PartOf(bool shunt, bool inductor, double x, double omega0, double r0) {
  const double v = std::exp(x);
  if (shunt) {
    const double b = v / r0;  // |susceptance| at omega0
    return inductor ? CircuitPart{PartKind::Inductor, 1.0 / (omega0 * b)}
                    : CircuitPart{PartKind::Capacitor, b / omega0};
  }
  const double reactance = v * r0;
  return inductor ? CircuitPart{PartKind::Inductor, reactance / omega0}
                  : CircuitPart{PartKind::Capacitor, 1.0 / (omega0 * reactance)};
}

// The arrangement one element longer: `atLoad` appends, else prepends; the new element gets
// the smallest value, so the ladder is the shorter one in all but name.
Point Extend(const Point& p, bool atLoad, bool inductor) {
  Point q = p;
  LadderArrangement& a = q.arrangement;
  if (atLoad) {
    if (inductor) a.inductors |= 1u << a.count;
    q.x.push_back(-kLimit);
  } else {
    a.firstShunt = !a.firstShunt;
    a.inductors = (a.inductors << 1) | (inductor ? 1u : 0u);
    q.x.insert(q.x.begin(), -kLimit);
  }
  ++a.count;
  return q;
}

}  // namespace

std::string_view LadderFamilyName(LadderFamily family) {
  switch (family) {
    case LadderFamily::Lowpass:
      return "lowpass";
    case LadderFamily::Highpass:
      return "highpass";
    case LadderFamily::Bandpass:
      return "bandpass";
    case LadderFamily::Any:
      break;
  }
  return "any";
}

std::optional<LadderFamily> LadderFamilyFromName(std::string_view name) {
  for (LadderFamily f :
       {LadderFamily::Any, LadderFamily::Lowpass, LadderFamily::Highpass, LadderFamily::Bandpass}) {
    if (LadderFamilyName(f) == name) return f;
  }
  return std::nullopt;
}

bool InLadderFamily(std::span<const LadderElement> elements, LadderFamily family) {
  int low = 0, total = 0;
  for (const LadderElement& e : elements) {
    if (e.part.kind != PartKind::Inductor && e.part.kind != PartKind::Capacitor) continue;
    ++total;
    low += Lowpass(e.shunt, e.part.kind == PartKind::Inductor) ? 1 : 0;
  }
  switch (family) {
    case LadderFamily::Lowpass:
      return low == total;
    case LadderFamily::Highpass:
      return low == 0;
    case LadderFamily::Bandpass:
      return low > 0 && low < total;
    case LadderFamily::Any:
      break;
  }
  return true;
}

std::string BandMatchProblem(const BandMatchOptions& options) {
  if (options.bands.empty()) return "no band given";
  if (options.maxElements < 1 || options.maxElements > kMaxElements) {
    return "the number of elements must be 1 to 6";
  }
  if (options.pointsPerBand < 2 || options.pointsPerBand > 100000) {
    return "the points per band must be 2 to 100000";
  }
  for (const FrequencyBand& b : options.bands) {
    if (!(b.from > 0.0) || !(b.to > 0.0)) return "a band must start above 0 Hz";
    if (!(b.from < b.to)) {
      return "band " + FrequencyText(b.from) + " to " + FrequencyText(b.to) +
             " is empty or reversed";
    }
    if (!(b.to <= kMaxSweepFrequency) || !(b.from >= kMinSweepFrequency)) {
      return "band " + FrequencyText(b.from) + " to " + FrequencyText(b.to) +
             " is beyond the frequencies the program handles";
    }
    for (const TouchstonePort* port : {options.sides.source, options.sides.load}) {
      if (port == nullptr) continue;
      if (!port->Covers(b.from)) return port->OutsideBandText(b.from);
      if (!port->Covers(b.to)) return port->OutsideBandText(b.to);
    }
  }
  if (options.harmonic && options.harmonic->harmonic != 2 && options.harmonic->harmonic != 3) {
    return "the attenuation must be asked at 2f or 3f";
  }
  return "";
}

std::vector<double> BandFrequencies(const BandMatchOptions& options) {
  std::vector<double> f;
  const int n = options.pointsPerBand;
  for (const FrequencyBand& b : options.bands) {
    for (int k = 0; k < n; ++k) {
      // The last point is the upper edge exactly.
      f.push_back(k == n - 1 ? b.to : b.from + (b.to - b.from) * k / (n - 1));
    }
  }
  std::sort(f.begin(), f.end());
  f.erase(std::unique(f.begin(), f.end()), f.end());
  return f;
}

BandFigures LadderBandFigures(const LadderCircuit& ladder, std::span<const double> frequencies,
                              const MeasuredSides& sides) {
  BandFigures figures;
  if (frequencies.empty()) return figures;
  const std::vector<double> f(frequencies.begin(), frequencies.end());
  const std::vector<Complex> zs = SideImpedances(ladder.source, sides.source, f);
  const std::vector<Complex> zl = SideImpedances(ladder.load, sides.load, f);
  double sum = 0.0;
  figures.worstReturnLossDb = HUGE_VAL;
  for (std::size_t k = 0; k < f.size(); ++k) {
    const ResponsePoint p = EvaluateChainResponse(zs[k], zl[k], LadderChain(ladder, kTwoPi * f[k]),
                                                  f[k], ladder.sourceEmf * ladder.sourceEmf);
    sum += p.returnLossDb;
    if (p.returnLossDb < figures.worstReturnLossDb) {
      figures.worstReturnLossDb = p.returnLossDb;
      figures.worstVswr = p.vswr;
      figures.worstFrequency = f[k];
    }
  }
  figures.meanReturnLossDb = sum / static_cast<double>(f.size());
  return figures;
}

std::vector<ResponsePoint> LadderResponse(const LadderCircuit& ladder,
                                          std::span<const double> frequencies,
                                          const MeasuredSides& sides) {
  const std::vector<double> f(frequencies.begin(), frequencies.end());
  const std::vector<Complex> zs = SideImpedances(ladder.source, sides.source, f);
  const std::vector<Complex> zl = SideImpedances(ladder.load, sides.load, f);
  std::vector<ResponsePoint> points(f.size());
  for (std::size_t k = 0; k < f.size(); ++k) {
    points[k] = EvaluateChainResponse(zs[k], zl[k], LadderChain(ladder, kTwoPi * f[k]), f[k],
                                      ladder.sourceEmf * ladder.sourceEmf);
  }
  return points;
}

BandLosses LadderBandLosses(const LadderCircuit& ladder, std::span<const double> frequencies,
                            const LossModel& model, const MeasuredSides& sides) {
  BandLosses losses;
  if (frequencies.empty()) return losses;
  const std::vector<double> f(frequencies.begin(), frequencies.end());
  const std::vector<Complex> zl = SideImpedances(ladder.load, sides.load, f);
  const std::size_t n = ladder.elements.size();
  std::vector<double> watts(n);
  double sum = 0.0;
  losses.lowestEfficiency = HUGE_VAL;
  for (std::size_t p = 0; p < f.size(); ++p) {
    // From 1 A in the load back to the input.
    Complex v = zl[p];
    Complex i{1.0, 0.0};
    for (std::size_t k = n; k-- > 0;) {
      const LadderElement& e = ladder.elements[k];
      if (e.part.kind != PartKind::Inductor && e.part.kind != PartKind::Capacitor) {
        watts[k] = 0.0;
        continue;
      }
      // Elements beyond the third take their kind's Q: the model names only three.
      const PartQ q = k < 3 ? ElementQ(model, static_cast<int>(k) + 1, e.part.kind)
                      : e.part.kind == PartKind::Inductor ? model.inductor
                                                          : model.capacitor;
      const Complex z = LossyPartImpedance(e.part, q, f[p], ladder.designFrequency);
      if (e.shunt) {
        const Complex through = v / z;
        watts[k] = std::norm(through) * z.real();
        i += through;
      } else {
        watts[k] = std::norm(i) * z.real();
        v += i * z;
      }
    }
    const double input = (v * std::conj(i)).real();
    const double load = zl[p].real();
    const double efficiency = input > 0.0 ? load / input : 0.0;
    sum += efficiency;
    losses.lowestEfficiency = std::min(losses.lowestEfficiency, efficiency);
    const double scale = input > 0.0 ? ladder.designPower / input : 0.0;
    for (std::size_t k = 0; k < n; ++k) {
      if (watts[k] * scale > losses.hottestPartWatts) {
        losses.hottestPartWatts = watts[k] * scale;
        losses.hottestPart = static_cast<int>(k) + 1;
      }
    }
  }
  losses.meanEfficiency = sum / static_cast<double>(f.size());
  return losses;
}

StandardLadder BestStandardLadder(const LadderCircuit& ladder, std::span<const double> frequencies,
                                  const StandardChoice& choice, const MeasuredSides& sides) {
  const std::vector<double> f(frequencies.begin(), frequencies.end());
  const std::vector<Complex> zs = SideImpedances(ladder.source, sides.source, f);
  const std::vector<Complex> zl = SideImpedances(ladder.load, sides.load, f);
  const std::size_t n = ladder.elements.size();
  int k = std::max(choice.neighbours, 0);
  auto combinations = [&](int side) {
    double total = 1.0;
    for (std::size_t i = 0; i < n; ++i) total *= 2.0 * side + 1.0;
    return total;
  };
  if (combinations(k) > 3125.0) k = std::min(k, 1);
  std::vector<std::vector<double>> values(n);
  for (std::size_t i = 0; i < n; ++i) {
    const CircuitPart& part = ladder.elements[i].part;
    if (part.kind == PartKind::Inductor || part.kind == PartKind::Capacitor) {
      values[i] = StandardNeighbours(part.value, SeriesFor(part, choice), k);
    } else {
      values[i] = {part.value};
    }
  }
  // The worst |Gamma|^2 of the ladder as it stands in `trial`, by the response's formulas.
  LadderCircuit trial = ladder;
  auto worst = [&]() {
    double w = 0.0;
    for (std::size_t p = 0; p < f.size(); ++p) {
      const ResponsePoint r =
          EvaluateChainResponse(zs[p], zl[p], LadderChain(trial, kTwoPi * f[p]), f[p], 1.0);
      w = std::max(w, std::norm(r.reflection));
    }
    return w;
  };
  std::vector<std::size_t> at(n, 0);
  double best = HUGE_VAL;
  std::vector<std::size_t> bestAt(n, 0);
  while (true) {
    for (std::size_t i = 0; i < n; ++i) trial.elements[i].part.value = values[i][at[i]];
    const double w = worst();
    if (w < best) {
      best = w;
      bestAt = at;
    }
    std::size_t i = 0;
    while (i < n && ++at[i] == values[i].size()) at[i++] = 0;
    if (i == n) break;
  }
  StandardLadder result;
  result.circuit = ladder;
  for (std::size_t i = 0; i < n; ++i) result.circuit.elements[i].part.value = values[i][bestAt[i]];
  result.figures = LadderBandFigures(result.circuit, frequencies, sides);
  return result;
}

BandYield LadderBandYield(const LadderCircuit& ladder, std::span<const double> frequencies,
                          const BandYieldOptions& options, const MeasuredSides& sides) {
  const std::vector<double> f(frequencies.begin(), frequencies.end());
  const std::vector<Complex> zs = SideImpedances(ladder.source, sides.source, f);
  const std::vector<Complex> zl = SideImpedances(ladder.load, sides.load, f);
  const double gamma15 = ReflectionForVswr(1.5), gamma2 = ReflectionForVswr(2.0);
  std::mt19937_64 random(options.seed);
  // A relative change within the tolerance: uniform, or normal with the tolerance at 3 sigma
  // (Box-Muller from two uniforms, so the draws are the same with any standard library).
  auto draw = [&](double tolerance) {
    const double u = Uniform(random);
    if (options.distribution == ToleranceDistribution::Uniform) {
      return tolerance * (2.0 * u - 1.0);
    }
    const double v = Uniform(random);
    return tolerance / 3.0 * std::sqrt(-2.0 * std::log(1.0 - u)) * std::cos(kTwoPi * v);
  };
  BandYield yield;
  yield.builds = std::max(options.builds, 0);
  std::vector<double> worst(static_cast<std::size_t>(yield.builds));
  LadderCircuit build = ladder;
  int pass15 = 0, pass2 = 0;
  for (int b = 0; b < yield.builds; ++b) {
    for (std::size_t i = 0; i < ladder.elements.size(); ++i) {
      const CircuitPart& part = ladder.elements[i].part;
      if (part.kind != PartKind::Inductor && part.kind != PartKind::Capacitor) continue;
      const double tolerance =
          part.kind == PartKind::Inductor ? options.inductorTolerance : options.capacitorTolerance;
      build.elements[i].part.value = part.value * std::max(1.0 + draw(tolerance), 1e-6);
    }
    double g = 0.0;
    for (std::size_t p = 0; p < f.size(); ++p) {
      const ResponsePoint r =
          EvaluateChainResponse(zs[p], zl[p], LadderChain(build, kTwoPi * f[p]), f[p], 1.0);
      g = std::max(g, std::abs(r.reflection));
    }
    pass15 += g <= gamma15 ? 1 : 0;
    pass2 += g <= gamma2 ? 1 : 0;
    worst[static_cast<std::size_t>(b)] =
        g > 0.0 ? std::min(-20.0 * std::log10(g), kMaxReturnLossDb) : kMaxReturnLossDb;
  }
  if (yield.builds > 0) {
    yield.vswr15 = static_cast<double>(pass15) / yield.builds;
    yield.vswr2 = static_cast<double>(pass2) / yield.builds;
    std::nth_element(worst.begin(), worst.begin() + static_cast<std::ptrdiff_t>(worst.size() / 2),
                     worst.end());
    yield.medianWorstReturnLossDb = worst[worst.size() / 2];
  }
  return yield;
}

BandGrid::BandGrid(std::span<const double> frequencies, std::span<const Complex> zs,
                   std::span<const Complex> zl, double omega0, double r0) {
  const std::size_t n = frequencies.size();
  ratio_.resize(n);
  inverse_.resize(n);
  rs_.resize(n);
  xs_.resize(n);
  rl_.resize(n);
  xl_.resize(n);
  for (std::size_t k = 0; k < n; ++k) {
    ratio_[k] = kTwoPi * frequencies[k] / omega0;
    inverse_[k] = 1.0 / ratio_[k];
    rs_[k] = zs[k].real() / r0;
    xs_[k] = zs[k].imag() / r0;
    rl_[k] = zl[k].real() / r0;
    xl_[k] = zl[k].imag() / r0;
  }
}

namespace {

// The chain matrix [a jb; jc d] of the normalised ladder at one point and its reflection
// against the conjugate of the source: the arithmetic of ChainResponse, without its other
// figures. `up` and `down` are each element's factor of omega / omega0 and of its inverse.
inline double PointReflection(int count, const bool* shunt, const double* up, const double* down,
                              double r, double ir, double rs, double xs, double rl, double xl) {
  double a = 1.0, b = 0.0, c = 0.0, d = 1.0;
  for (int k = 0; k < count; ++k) {
    const double t = up[k] * r - down[k] * ir;
    if (shunt[k]) {
      a -= b * t;
      c += d * t;
    } else {
      b += a * t;
      d -= c * t;
    }
  }
  const double numR = a * rl, numI = a * xl + b;
  const double denR = d - c * xl, denI = c * rl;
  const double sR = rs * denR - xs * denI + numR;
  const double sI = rs * denI + xs * denR + numI;
  const double gR = numR - (rs * denR + xs * denI);
  const double gI = numI - (rs * denI - xs * denR);
  return (gR * gR + gI * gI) / (sR * sR + sI * sI);
}

}  // namespace

double BandGrid::WorstReflectionSquared(const LadderArrangement& a,
                                        std::span<const double> x) const {
  bool shunt[kMaxElements];
  double up[kMaxElements], down[kMaxElements];
  for (int k = 0; k < a.count; ++k) {
    const double v = std::exp(x[static_cast<std::size_t>(k)]);
    shunt[k] = IsShunt(a, k);
    // A series inductor's reactance and a shunt capacitor's susceptance rise with omega.
    const bool rising = Lowpass(shunt[k], IsInductor(a, k));
    up[k] = rising ? v : 0.0;
    down[k] = rising ? 0.0 : v;
  }
  double worst = 0.0;
  const std::size_t n = ratio_.size();
  for (std::size_t k = 0; k < n; ++k) {
    const double g = PointReflection(a.count, shunt, up, down, ratio_[k], inverse_[k], rs_[k],
                                     xs_[k], rl_[k], xl_[k]);
    worst = std::max(worst, g);
  }
  return std::isnan(worst) ? 1.0 : worst;
}

void BandGrid::LogReflections(const LadderArrangement& a, std::span<const double> x,
                              std::vector<double>& out) const {
  bool shunt[kMaxElements];
  double up[kMaxElements], down[kMaxElements];
  for (int k = 0; k < a.count; ++k) {
    const double v = std::exp(x[static_cast<std::size_t>(k)]);
    shunt[k] = IsShunt(a, k);
    const bool rising = Lowpass(shunt[k], IsInductor(a, k));
    up[k] = rising ? v : 0.0;
    down[k] = rising ? 0.0 : v;
  }
  const std::size_t n = ratio_.size();
  out.resize(n);
  for (std::size_t k = 0; k < n; ++k) {
    const double g = PointReflection(a.count, shunt, up, down, ratio_[k], inverse_[k], rs_[k],
                                     xs_[k], rl_[k], xl_[k]);
    out[k] = std::isnan(g) ? 0.0 : std::log(std::max(g, kFloor));
  }
}

int BandSearchSteps(const BandMatchOptions& options) {
  int steps = 0;
  for (int count = 1; count <= options.maxElements; ++count) steps += 2 << count;
  return steps;
}

BandMatch MatchOverBands(const Termination& source, const Termination& load, double designFrequency,
                         double power, const BandMatchOptions& options) {
  BandMatch result;
  result.frequencies = BandFrequencies(options);
  const std::vector<double>& f = result.frequencies;
  double low = HUGE_VAL, high = 0.0;
  for (const FrequencyBand& b : options.bands) {
    low = std::min(low, b.from);
    high = std::max(high, b.to);
  }
  const double fc = 0.5 * (low + high);
  const double omegaC = kTwoPi * fc;
  result.centreFrequency = fc;

  const std::vector<Complex> zs = SideImpedances(source, options.sides.source, f);
  const std::vector<Complex> zl = SideImpedances(load, options.sides.load, f);
  // A side at the centre: from its file there, or at the in-band point nearest the centre
  // when bands apart leave the centre outside the file.
  auto atCentre = [&](const TouchstonePort* port, const Termination& typed,
                      const std::vector<Complex>& z) {
    if (port == nullptr) return TerminationImpedance(typed, omegaC);
    if (port->Covers(fc)) return port->Impedance(fc);
    std::size_t nearest = 0;
    for (std::size_t k = 1; k < f.size(); ++k) {
      if (std::fabs(f[k] - fc) < std::fabs(f[nearest] - fc)) nearest = k;
    }
    return z[nearest];
  };
  const Complex zsC = atCentre(options.sides.source, source, zs);
  const Complex zlC = atCentre(options.sides.load, load, zl);
  result.sourceModel = options.sides.source != nullptr ? FitSide(zsC, f, zs) : ModelOf(source);
  result.loadModel = options.sides.load != nullptr ? FitSide(zlC, f, zl) : ModelOf(load);
  result.bound = BodeFanoForBands(result.sourceModel, result.loadModel, options.bands);

  const double r0 = std::sqrt(std::max(zsC.real(), 1e-9) * std::max(zlC.real(), 1e-9));
  const BandGrid full(f, zs, zl, omegaC, r0);
  // The coarse grid: about 21 points of each band, its edges among them.
  std::vector<double> fCoarse;
  std::vector<Complex> zsCoarse, zlCoarse;
  {
    const std::size_t per = static_cast<std::size_t>(options.pointsPerBand);
    const std::size_t take = std::min<std::size_t>(per, 21);
    for (const FrequencyBand& b : options.bands) {
      for (std::size_t k = 0; k < take; ++k) {
        const double fk =
            b.from + (b.to - b.from) * static_cast<double>(k) / static_cast<double>(take - 1);
        const std::size_t at = static_cast<std::size_t>(
            std::lower_bound(f.begin(), f.end(), fk * (1.0 - 1e-12)) - f.begin());
        if (at >= f.size()) continue;
        fCoarse.push_back(f[at]);
        zsCoarse.push_back(zs[at]);
        zlCoarse.push_back(zl[at]);
      }
    }
  }
  const BandGrid coarse(fCoarse, zsCoarse, zlCoarse, omegaC, r0);
  std::optional<BandGrid> harmonic;
  double harmonicDb = 0.0;
  if (options.harmonic) {
    const double fh = options.harmonic->harmonic * fc;
    const std::vector<double> fhs{fh};
    const bool inSource = options.sides.source != nullptr && options.sides.source->Covers(fh);
    const bool inLoad = options.sides.load != nullptr && options.sides.load->Covers(fh);
    const std::vector<Complex> zsh{inSource ? options.sides.source->Impedance(fh)
                                            : TerminationImpedance(source, kTwoPi * fh)};
    const std::vector<Complex> zlh{inLoad ? options.sides.load->Impedance(fh)
                                          : TerminationImpedance(load, kTwoPi * fh)};
    harmonic.emplace(fhs, zsh, zlh, omegaC, r0);
    harmonicDb = options.harmonic->attenuationDb;
  }
  const BandGrid* harmonicGrid = harmonic ? &*harmonic : nullptr;

  // Seeds: single L sections, two sections through a virtual resistance (the Pi and the Tee
  // at every loaded Q, the two-section L), three sections through two.
  std::vector<std::vector<std::vector<double>>> seeds(kKeys);
  auto addSeed = [&](std::vector<SignedElement> e) {
    const std::optional<Point> p = PointFromElements(std::move(e), r0);
    if (p && p->arrangement.count <= options.maxElements) {
      seeds[KeyOf(p->arrangement)].push_back(p->x);
    }
  };
  const Termination s = CentreSide(zsC, omegaC);
  const Termination l = CentreSide(zlC, omegaC);
  if (s.resistance > 0.0 && l.resistance > 0.0) {
    for (auto& e : Sections(s, l, fc, power)) addSeed(e);
    const double rLow = std::min(s.resistance, l.resistance);
    const double rHigh = std::max(s.resistance, l.resistance);
    constexpr int kVirtual = 40;
    for (int i = 0; i < kVirtual; ++i) {
      const double rv = rLow / 10.0 * std::pow(100.0 * rHigh / rLow, i / (kVirtual - 1.0));
      const auto first = Sections(s, Resistance(rv), fc, power);
      const auto second = Sections(Resistance(rv), l, fc, power);
      for (const auto& a : first) {
        for (const auto& b : second) {
          std::vector<SignedElement> e = a;
          e.insert(e.end(), b.begin(), b.end());
          addSeed(std::move(e));
        }
      }
    }
    if (options.maxElements >= 4) {
      constexpr int kThirds = 7;
      for (int i = 0; i < kThirds; ++i) {
        for (int j = 0; j < kThirds; ++j) {
          const double t1 = 0.05 + 0.9 * i / (kThirds - 1.0);
          const double t2 = 0.05 + 0.9 * j / (kThirds - 1.0);
          if (t2 <= t1) continue;
          const double r1 = s.resistance * std::pow(l.resistance / s.resistance, t1);
          const double r2 = s.resistance * std::pow(l.resistance / s.resistance, t2);
          for (const auto& a : Sections(s, Resistance(r1), fc, power)) {
            for (const auto& b : Sections(Resistance(r1), Resistance(r2), fc, power)) {
              for (const auto& c : Sections(Resistance(r2), l, fc, power)) {
                std::vector<SignedElement> e = a;
                e.insert(e.end(), b.begin(), b.end());
                e.insert(e.end(), c.begin(), c.end());
                addSeed(std::move(e));
              }
            }
          }
        }
      }
    }
  }

  constexpr int kRandomStarts = 24;
  constexpr int kStartsRefined = 2;
  constexpr int kArrangementsRefined = 4;
  constexpr double kCoarseExponents[] = {25.0};
  constexpr double kFullExponents[] = {25.0, 100.0, 400.0};

  std::vector<Found> previous;  // the refined ladders of the count before, best first
  int steps = 0;
  const auto stopped = [&options] { return options.cancel != nullptr && options.cancel->load(); };
  for (int count = 1; count <= options.maxElements; ++count) {
    if (stopped()) {
      result.cancelled = true;
      return result;
    }
    std::vector<Found> candidates;
    std::vector<Found> extensions;
    for (const Found& p : previous) {
      for (bool atLoad : {true, false}) {
        for (bool inductor : {false, true}) {
          Found e;
          e.point = Extend(p.point, atLoad, inductor);
          if (Accepts(options.family, e.point.arrangement)) extensions.push_back(std::move(e));
        }
      }
    }
    for (int first = 0; first < 2; ++first) {
      for (unsigned mask = 0; mask < (1u << count); ++mask) {
        const LadderArrangement a{count, first == 1, mask};
        if (options.progress != nullptr) *options.progress = ++steps;
        if (!Accepts(options.family, a) || stopped()) continue;
        const Objective objective(coarse, a, harmonicGrid, harmonicDb);
        // Seeds and random starts are ranked apart, so that a well-placed seed in a poor
        // valley does not crowd out the random starts.
        std::vector<std::pair<double, std::vector<double>>> seeded, drawn;
        for (const std::vector<double>& x : seeds[KeyOf(a)])
          seeded.emplace_back(objective(x, 0.0), x);
        for (const Found& e : extensions) {
          if (KeyOf(e.point.arrangement) != KeyOf(a)) continue;
          // The new element small but not negligible, where the simplex can feel it.
          std::vector<double> x = e.point.x;
          for (double& v : x) v = std::max(v, -3.0);
          seeded.emplace_back(objective(x, 0.0), std::move(x));
        }
        std::mt19937_64 random(0x9E3779B97F4A7C15ull ^ KeyOf(a));
        for (int r = 0; r < kRandomStarts; ++r) {
          std::vector<double> x(static_cast<std::size_t>(count));
          for (double& v : x) v = -3.0 + 6.0 * Uniform(random);
          drawn.emplace_back(objective(x, 0.0), std::move(x));
        }
        Found best;
        for (auto* starts : {&seeded, &drawn}) {
          std::stable_sort(starts->begin(), starts->end(),
                           [](const auto& p, const auto& q) { return p.first < q.first; });
          for (int k = 0; k < kStartsRefined && k < static_cast<int>(starts->size()); ++k) {
            Found r = Refine(objective, (*starts)[static_cast<std::size_t>(k)].second,
                             kCoarseExponents, 80 * count + 80);
            if (r.value < best.value) best = std::move(r);
          }
        }
        best.point.arrangement = a;
        candidates.push_back(std::move(best));
      }
    }
    if (stopped()) {  // this count's search is not whole: it gives no design
      result.cancelled = true;
      return result;
    }
    std::stable_sort(candidates.begin(), candidates.end(),
                     [](const Found& p, const Found& q) { return p.value < q.value; });
    std::vector<Found> refined;
    for (int k = 0; k < kArrangementsRefined && k < static_cast<int>(candidates.size()); ++k) {
      const Found& c = candidates[static_cast<std::size_t>(k)];
      const Objective objective(full, c.point.arrangement, harmonicGrid, harmonicDb);
      Found r = Refine(objective, c.point.x, kFullExponents, 150 * count + 150);
      r.point.arrangement = c.point.arrangement;
      refined.push_back(std::move(r));
    }
    // The shorter ladders with an element of the smallest value: a longer ladder is never
    // worse than a shorter one.
    for (Found& e : extensions) {
      const Objective objective(full, e.point.arrangement, harmonicGrid, harmonicDb);
      e.value = objective(e.point.x, 0.0);
      refined.push_back(std::move(e));
    }
    std::stable_sort(refined.begin(), refined.end(),
                     [](const Found& p, const Found& q) { return p.value < q.value; });
    if (refined.empty()) {
      previous.clear();
      continue;
    }
    const Found& best = refined.front();
    const Objective check(full, best.point.arrangement, harmonicGrid, harmonicDb);
    if (check.HarmonicDeficit(best.point.x) <= 1e-6) {
      BandDesign design;
      LadderCircuit& c = design.circuit;
      c.source = source;
      c.load = load;
      c.designFrequency = designFrequency;
      c.designPower = power;
      c.sourceEmf = EmfForPower(source, kTwoPi * designFrequency, power);
      for (int k = 0; k < count; ++k) {
        const bool shunt = IsShunt(best.point.arrangement, k);
        c.elements.push_back(
            {shunt, PartOf(shunt, IsInductor(best.point.arrangement, k),
                           best.point.x[static_cast<std::size_t>(k)], omegaC, r0)});
      }
      design.figures = LadderBandFigures(c, f, options.sides);
      if (const std::optional<double> bound = result.bound.ReturnLossDb()) {
        design.boundReturnLossDb = bound;
        design.distanceFromBoundDb = *bound - design.figures.worstReturnLossDb;
      }
      if (options.harmonic) {
        const double gamma2 =
            harmonic->WorstReflectionSquared(best.point.arrangement, best.point.x);
        design.harmonicAttenuationDb =
            gamma2 >= 1.0 ? kMaxReturnLossDb
                          : std::min(-10.0 * std::log10(1.0 - gamma2), kMaxReturnLossDb);
      }
      result.designs.push_back(std::move(design));
    }
    refined.resize(std::min<std::size_t>(refined.size(), 2));
    previous = std::move(refined);
  }
  return result;
}

}  // namespace corvantile
