#include "analysis/tolerance_analysis.h"

#include <algorithm>
#include <cmath>
#include <complex>
#include <limits>
#include <numbers>
#include <thread>

#include "analysis/element_network.h"

namespace corvantile {
namespace {

using Complex = std::complex<double>;

// SplitMix64's finaliser: a bijection whose output bits all depend on every input bit.
constexpr std::uint64_t Mix(std::uint64_t z) {
  z += 0x9E3779B97F4A7C15ULL;
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
  return z ^ (z >> 31);
}

// A uniform number in [0, 1) for (seed, build, stream), independent of every other triple.
double Uniform(std::uint64_t key, std::uint64_t build, std::uint64_t stream) {
  const std::uint64_t bits = Mix(key ^ Mix(build * 8 + stream));
  return static_cast<double>(bits >> 11) * 0x1p-53;
}

// Builds handed out together: the unit of progress and of cancelling.
constexpr int kBlock = 1024;

// One frequency of the run: what does not change from build to build. With ideal parts the
// elements are kept as the quantity their place uses (a series reactance, a shunt susceptance),
// so that a build only scales them and the ladder divides three times.
struct FrequencyPoint {
  Complex zs, zl;
  ElementImpedances nominal;
  bool lossless = true;
  double loadG = 0.0, loadB = 0.0;  // 1 / zl
  std::array<double, 3> term{};     // series reactance or shunt susceptance (0 when open)
};

FrequencyPoint PointAt(const MatchingCircuit& circuit, double frequency) {
  const double omega = 2.0 * std::numbers::pi * frequency;
  FrequencyPoint p{TerminationImpedance(circuit.source, omega),
                   TerminationImpedance(circuit.load, omega),
                   CircuitElementImpedances(circuit, omega)};
  const Complex y = 1.0 / p.zl;
  p.loadG = y.real();
  p.loadB = y.imag();
  for (std::size_t k = 0; k < 3; ++k) {
    const ElementImpedance& e = p.nominal[k];
    p.lossless = p.lossless && e.resistance == 0.0;
    const bool shunt = IsShuntElement(circuit.topology, static_cast<int>(k) + 1);
    p.term[k] = !shunt ? e.reactance : e.open ? 0.0 : -1.0 / e.reactance;
  }
  return p;
}

// How one build scales each element: an inductor's reactance grows with its part value, a
// capacitor's shrinks; a susceptance goes the other way.
struct BuildScale {
  std::array<double, 3> reactance{};
  std::array<double, 3> susceptance{};
};

BuildScale ScaleOf(const MatchingCircuit& circuit, const std::array<double, 3>& deviation) {
  BuildScale out;
  for (std::size_t k = 0; k < 3; ++k) {
    // A draw far in a normal tail could make a part value negative; no part is that bad.
    const double scale = std::max(1.0 + deviation[k], 1e-6);
    const PartKind kind = circuit.elements[k].kind;
    out.reactance[k] = kind == PartKind::Inductor    ? scale
                       : kind == PartKind::Capacitor ? 1.0 / scale
                                                     : 1.0;
    out.susceptance[k] = kind == PartKind::Inductor    ? 1.0 / scale
                         : kind == PartKind::Capacitor ? scale
                                                       : 1.0;
  }
  return out;
}

[[gnu::always_inline]] inline double ShareAt(const MatchingCircuit& circuit,
                                             const FrequencyPoint& p, const BuildScale& scale) {
  if (!p.lossless) {
    ElementImpedances e = p.nominal;
    for (std::size_t k = 0; k < 3; ++k) e[k].reactance *= scale.reactance[k];
    return ReflectedShare(circuit.topology, p.zs, p.zl, e);
  }
  const double rs = p.zs.real(), xs = p.zs.imag();
  auto invert = [](double& re, double& im) {
    const double inverse = 1.0 / (re * re + im * im);
    re *= inverse;
    im *= -inverse;
  };
  if (circuit.topology == NetworkTopology::Pi) {
    double re = p.loadG, im = p.loadB + p.term[2] * scale.susceptance[2];
    invert(re, im);
    im += p.term[1] * scale.reactance[1];
    invert(re, im);
    im += p.term[0] * scale.susceptance[0];
    // With Zin = 1 / Y: (1 - Y conj Zs) / (1 + Y Zs).
    const double numR = 1.0 - (re * rs + im * xs), numI = im * rs - re * xs;
    const double denR = 1.0 + (re * rs - im * xs), denI = im * rs + re * xs;
    return (numR * numR + numI * numI) / (denR * denR + denI * denI);
  }
  double re = p.zl.real(), im = p.zl.imag() + p.term[2] * scale.reactance[2];
  invert(re, im);
  im += p.term[1] * scale.susceptance[1];
  invert(re, im);
  im += p.term[0] * scale.reactance[0];
  const double numR = re - rs, numI = im + xs;
  const double denR = re + rs, denI = im + xs;
  return (numR * numR + numI * numI) / (denR * denR + denI * denI);
}

// The reflected share at which the VSWR is exactly `limit`.
double ShareLimit(double limit) {
  const double magnitude = (limit - 1.0) / (limit + 1.0);
  return magnitude * magnitude;
}

// The kReturnLossPercentiles of `values`, interpolating between order statistics; `values` is
// reordered. Each selection works only within the part its neighbours left, and each upper
// neighbour lies between its pivot and the next, so the cost is a few passes, not a sort.
std::array<double, 5> Percentiles(std::vector<double>& values) {
  const std::size_t n = values.size();
  std::array<std::size_t, 5> lower{};
  std::array<double, 5> fraction{};
  for (std::size_t i = 0; i < 5; ++i) {
    const double position = kReturnLossPercentiles[i] / 100.0 * static_cast<double>(n - 1);
    lower[i] = static_cast<std::size_t>(std::floor(position));
    fraction[i] = position - static_cast<double>(lower[i]);
  }
  auto select = [&](std::size_t from, std::size_t k, std::size_t to) {
    if (k < from || k >= to) return;  // already in place: an equal neighbouring position
    std::nth_element(values.begin() + static_cast<std::ptrdiff_t>(from),
                     values.begin() + static_cast<std::ptrdiff_t>(k),
                     values.begin() + static_cast<std::ptrdiff_t>(to));
  };
  select(0, lower[2], n);
  select(0, lower[1], lower[2]);
  select(0, lower[0], lower[1]);
  select(lower[2] + 1, lower[3], n);
  select(lower[3] + 1, lower[4], n);
  std::array<double, 5> out{};
  for (std::size_t i = 0; i < 5; ++i) {
    const double a = values[lower[i]];
    if (lower[i] + 1 >= n) {
      out[i] = a;
      continue;
    }
    std::size_t next = n - 1;
    for (std::size_t j = i + 1; j < 5; ++j) {
      if (lower[j] > lower[i]) {
        next = lower[j];
        break;
      }
    }
    const double b = *std::min_element(values.begin() + static_cast<std::ptrdiff_t>(lower[i]) + 1,
                                       values.begin() + static_cast<std::ptrdiff_t>(next) + 1);
    out[i] = a + (b - a) * fraction[i];
  }
  return out;
}

ReturnLossHistogram MakeHistogram(const std::vector<double>& returnLoss, double lowest,
                                  double top) {
  ReturnLossHistogram h;
  h.firstDb = std::floor(lowest);
  const double span = std::max(std::ceil(top) - h.firstDb, 1.0);
  // Half-dB steps, about forty bins up to the 99th percentile.
  h.binDb = std::max(0.5, std::ceil(span / 40.0 * 2.0) / 2.0);
  const int bins = std::max(1, static_cast<int>(std::ceil(span / h.binDb)));
  h.counts.assign(static_cast<std::size_t>(bins), 0);
  for (double rl : returnLoss) {
    const int bin = static_cast<int>(std::floor((rl - h.firstDb) / h.binDb));
    ++h.counts[static_cast<std::size_t>(std::clamp(bin, 0, bins - 1))];
  }
  return h;
}

// The per-thread part of the run.
struct Tally {
  int within15 = 0, within2 = 0, band15 = 0, band2 = 0;
  std::vector<double> envelopeMin, envelopeMax;  // reflected shares
};

}  // namespace

std::array<double, 3> DefaultTolerances(const MatchingCircuit& circuit, double inductor,
                                        double capacitor) {
  std::array<double, 3> t{};
  for (std::size_t k = 0; k < 3; ++k) {
    const PartKind kind = circuit.elements[k].kind;
    t[k] = kind == PartKind::Inductor ? inductor : kind == PartKind::Capacitor ? capacitor : 0.0;
  }
  return t;
}

std::array<double, 3> BuildDeviations(const ToleranceOptions& options, std::uint64_t build) {
  const std::uint64_t key = Mix(options.seed);
  std::array<double, 3> d{};
  for (std::size_t k = 0; k < 3; ++k) {
    const double t = options.tolerance[k];
    if (t == 0.0) continue;
    if (options.distribution == ToleranceDistribution::Uniform) {
      d[k] = t * (2.0 * Uniform(key, build, 2 * k) - 1.0);
    } else {
      // Box-Muller; 1 - u keeps the logarithm's argument in (0, 1].
      const double u1 = 1.0 - Uniform(key, build, 2 * k);
      const double u2 = Uniform(key, build, 2 * k + 1);
      d[k] = t / 3.0 * std::sqrt(-2.0 * std::log(u1)) * std::cos(2.0 * std::numbers::pi * u2);
    }
  }
  return d;
}

ToleranceResult RunTolerance(const MatchingCircuit& circuit, const ToleranceOptions& given) {
  ToleranceOptions options = given;
  for (std::size_t k = 0; k < 3; ++k) {
    const PartKind kind = circuit.elements[k].kind;
    if (kind != PartKind::Inductor && kind != PartKind::Capacitor) options.tolerance[k] = 0.0;
  }
  ToleranceResult result;
  const int builds = std::max(options.builds, 1);
  result.builds = builds;

  const FrequencyPoint design = PointAt(circuit, circuit.designFrequency);
  const double nominalShare = ShareAt(circuit, design, ScaleOf(circuit, {}));
  result.nominalReturnLossDb = ReturnLossOfShare(nominalShare);

  std::vector<FrequencyPoint> bandPoints;
  if (options.band) {
    const int n = std::max(options.bandPoints, 2);
    const double f1 = (*options.band)[0], f2 = (*options.band)[1];
    for (int i = 0; i < n; ++i) {
      bandPoints.push_back(
          PointAt(circuit, f1 + (f2 - f1) * static_cast<double>(i) / static_cast<double>(n - 1)));
    }
  }
  std::vector<FrequencyPoint> envelopePoints;
  if (options.envelope && SweepSpanProblem(*options.envelope).empty()) {
    result.envelopeFrequencies = SweepFrequencies(*options.envelope);
    for (double f : result.envelopeFrequencies) envelopePoints.push_back(PointAt(circuit, f));
  }

  const double limit15 = ShareLimit(1.5), limit2 = ShareLimit(2.0);
  result.returnLossDb.assign(static_cast<std::size_t>(builds), 0.0);
  std::vector<double> shares(static_cast<std::size_t>(builds), 0.0);
  const int blocks = (builds + kBlock - 1) / kBlock;
  unsigned hardware = std::thread::hardware_concurrency();
  int threads = options.threads > 0 ? options.threads : static_cast<int>(std::max(hardware, 1u));
  threads = std::clamp(threads, 1, blocks);
  std::vector<Tally> tallies(static_cast<std::size_t>(threads));
  std::atomic<bool> stopped{false};

  auto work = [&](int thread) {
    Tally& tally = tallies[static_cast<std::size_t>(thread)];
    tally.envelopeMin.assign(envelopePoints.size(), std::numeric_limits<double>::infinity());
    tally.envelopeMax.assign(envelopePoints.size(), 0.0);
    for (int block = thread; block < blocks; block += threads) {
      if (options.cancel != nullptr && options.cancel->load(std::memory_order_relaxed)) {
        stopped = true;
        return;
      }
      const int end = std::min(builds, (block + 1) * kBlock);
      for (int b = block * kBlock; b < end; ++b) {
        const BuildScale factor =
            ScaleOf(circuit, BuildDeviations(options, static_cast<std::uint64_t>(b)));
        const double share = ShareAt(circuit, design, factor);
        shares[static_cast<std::size_t>(b)] = share;
        tally.within15 += share <= limit15;
        tally.within2 += share <= limit2;
        if (!bandPoints.empty()) {
          double worst = 0.0;
          for (const FrequencyPoint& p : bandPoints) {
            worst = std::max(worst, ShareAt(circuit, p, factor));
          }
          tally.band15 += worst <= limit15;
          tally.band2 += worst <= limit2;
        }
        for (std::size_t i = 0; i < envelopePoints.size(); ++i) {
          const double s = ShareAt(circuit, envelopePoints[i], factor);
          tally.envelopeMin[i] = std::min(tally.envelopeMin[i], s);
          tally.envelopeMax[i] = std::max(tally.envelopeMax[i], s);
        }
      }
      for (int b = block * kBlock; b < end; ++b) {
        result.returnLossDb[static_cast<std::size_t>(b)] =
            ReturnLossOfShare(shares[static_cast<std::size_t>(b)]);
      }
      if (options.progress != nullptr) options.progress->fetch_add(end - block * kBlock);
    }
  };
  if (threads == 1) {
    work(0);
  } else {
    std::vector<std::thread> pool;
    for (int t = 0; t < threads; ++t) pool.emplace_back(work, t);
    for (std::thread& t : pool) t.join();
  }
  if (stopped) {
    result.cancelled = true;
    return result;
  }

  // Integer counts and minima do not depend on how the builds were split; sums are taken in
  // build order below for the same reason.
  Tally total;
  total.envelopeMin.assign(envelopePoints.size(), std::numeric_limits<double>::infinity());
  total.envelopeMax.assign(envelopePoints.size(), 0.0);
  for (const Tally& t : tallies) {
    total.within15 += t.within15;
    total.within2 += t.within2;
    total.band15 += t.band15;
    total.band2 += t.band2;
    for (std::size_t i = 0; i < envelopePoints.size(); ++i) {
      total.envelopeMin[i] = std::min(total.envelopeMin[i], t.envelopeMin[i]);
      total.envelopeMax[i] = std::max(total.envelopeMax[i], t.envelopeMax[i]);
    }
  }
  const double n = static_cast<double>(builds);
  result.atDesign = {total.within15 / n, total.within2 / n};
  if (!bandPoints.empty()) result.overBand = YieldFigures{total.band15 / n, total.band2 / n};
  for (std::size_t i = 0; i < envelopePoints.size(); ++i) {
    // The least return loss comes from the most reflected power.
    result.envelopeMinDb.push_back(ReturnLossOfShare(total.envelopeMax[i]));
    result.envelopeMaxDb.push_back(ReturnLossOfShare(total.envelopeMin[i]));
  }
  double sum = 0.0;
  for (double s : shares) sum += s;
  result.meanReflectedShare = sum / n;

  std::vector<double> sorted = result.returnLossDb;
  result.percentilesDb = Percentiles(sorted);
  // The selections leave the least value in the part below the first percentile.
  const double lowest = *std::min_element(
      sorted.begin(), sorted.begin() + static_cast<std::ptrdiff_t>(
                                           std::min(sorted.size(), sorted.size() / 100 + 1)));
  result.histogram = MakeHistogram(result.returnLossDb, lowest, result.percentilesDb[4]);

  // The worst case: every corner of the tolerance box, and the nominal design.
  result.worst = {{0, 0, 0}, result.nominalReturnLossDb, VswrOfShare(nominalShare)};
  double worstShare = nominalShare;
  for (int corner = 0; corner < 8; ++corner) {
    std::array<int, 3> signs{};
    std::array<double, 3> deviation{};
    for (std::size_t k = 0; k < 3; ++k) {
      signs[k] = options.tolerance[k] == 0.0 ? 0 : ((corner >> k) & 1) != 0 ? 1 : -1;
      deviation[k] = static_cast<double>(signs[k]) * options.tolerance[k];
    }
    const double share = ShareAt(circuit, design, ScaleOf(circuit, deviation));
    if (share > worstShare) {
      worstShare = share;
      result.worst = {signs, ReturnLossOfShare(share), VswrOfShare(share)};
    }
  }

  // Sensitivities from the reflection's slope against each part value (a central difference),
  // weighted by the part's standard deviation.
  const double sigmaPerTolerance =
      options.distribution == ToleranceDistribution::Uniform ? 1.0 / std::sqrt(3.0) : 1.0 / 3.0;
  double total2 = 0.0;
  std::array<double, 3> spread{};
  for (std::size_t k = 0; k < 3; ++k) {
    Sensitivity& s = result.sensitivities[k];
    s.element = static_cast<int>(k) + 1;
    const PartKind kind = circuit.elements[k].kind;
    if (kind != PartKind::Inductor && kind != PartKind::Capacitor) continue;
    constexpr double h = 1e-5;
    MatchingCircuit up = circuit, down = circuit;
    up.elements[k].value *= 1.0 + h;
    down.elements[k].value *= 1.0 - h;
    const Complex slope = (SolveCircuit(up, circuit.designFrequency).reflection -
                           SolveCircuit(down, circuit.designFrequency).reflection) /
                          (2.0 * h);
    s.reflectionPerUnit = std::abs(slope);
    const double sigma = options.tolerance[k] * sigmaPerTolerance;
    spread[k] = std::norm(slope) * sigma * sigma;
    total2 += spread[k];
  }
  for (std::size_t k = 0; k < 3; ++k) {
    result.sensitivities[k].share = total2 > 0.0 ? spread[k] / total2 : 0.0;
  }
  std::stable_sort(result.sensitivities.begin(), result.sensitivities.end(),
                   [](const Sensitivity& a, const Sensitivity& b) { return a.share > b.share; });
  return result;
}

}  // namespace corvantile
