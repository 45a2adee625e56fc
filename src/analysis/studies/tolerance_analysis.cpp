#include "analysis/studies/tolerance_analysis.h"

#include <algorithm>
#include <cmath>
#include <complex>
#include <limits>
#include <numbers>
#include <thread>

#include "analysis/circuits/element_network.h"
#include "analysis/formats/touchstone_reader.h"
#include "analysis/solvers/lossy_network.h"

// The loops over a block of builds or over the envelope's frequencies are built twice on x86-64
// with GCC, once for AVX2 (picked when the program starts on a processor that has it) and
// once for the baseline: the same arithmetic on four numbers at a time instead of two, with no
// fused multiply-adds, so both give the same bits.
#if defined(__x86_64__) && defined(__GNUC__) && !defined(__clang__)
#define CORVANTILE_WIDE_LOOP [[gnu::target_clones("avx2", "default")]]
#else
#define CORVANTILE_WIDE_LOOP
#endif

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

// A uniform number in [0, 1) for (run, build, stream): output number build * 8 + stream of
// SplitMix64 started where the run's seed puts it, so that any build's draws are found without
// the builds before it. One finaliser per number.
double Uniform(std::uint64_t start, std::uint64_t build, std::uint64_t stream) {
  const std::uint64_t bits = Mix(start + (build * 8 + stream) * 0x9E3779B97F4A7C15ULL);
  return static_cast<double>(bits >> 11) * 0x1p-53;
}

// A 32-bit integer hash whose output bits all depend on every input bit (Wellons' "lowbias32").
constexpr std::uint32_t Hash32(std::uint32_t x) {
  x ^= x >> 16;
  x *= 0x7FEB352DU;
  x ^= x >> 15;
  x *= 0x846CA68BU;
  x ^= x >> 16;
  return x;
}

// A uniform build's three draws, 21 bits each, from two hashed words of a Weyl sequence keyed by
// the run: word 2 b and 2 b + 1 for build b. 32-bit arithmetic throughout, so that a block of
// builds is drawn several at a time.
struct UniformFields {
  std::uint32_t a, b, c;
};
[[gnu::always_inline]] inline UniformFields UniformFieldsOf(std::uint32_t key,
                                                            std::uint32_t build) {
  constexpr std::uint32_t kWeyl = 0x9E3779B9U;
  const std::uint32_t w0 = Hash32(key + (2 * build) * kWeyl);
  const std::uint32_t w1 = Hash32(key + (2 * build + 1) * kWeyl);
  constexpr std::uint32_t kMask = (1U << 21) - 1;
  return {w0 & kMask, w1 & kMask, ((w0 >> 21) | ((w1 >> 21) << 11)) & kMask};
}

// A field as a deviation within +-t, at the middle of its 2^-21 step: symmetric, never at the
// limits.
[[gnu::always_inline]] inline double UniformDeviation(std::uint32_t field, double t) {
  const double u = (static_cast<double>(static_cast<std::int32_t>(field)) + 0.5) * 0x1p-21;
  return t * (2.0 * u - 1.0);
}

// The scale factors 1 + d of a block of uniform builds from `first` on.
CORVANTILE_WIDE_LOOP void UniformFactors(std::uint32_t key, std::uint32_t first, int count,
                                         const std::array<double, 3>& tolerance,
                                         double* __restrict f0, double* __restrict f1,
                                         double* __restrict f2) {
  const double t0 = tolerance[0], t1 = tolerance[1], t2 = tolerance[2];
  for (int i = 0; i < count; ++i) {
    const UniformFields u = UniformFieldsOf(key, first + static_cast<std::uint32_t>(i));
    f0[i] = std::max(1.0 + UniformDeviation(u.a, t0), 1e-6);
    f1[i] = std::max(1.0 + UniformDeviation(u.b, t1), 1e-6);
    f2[i] = std::max(1.0 + UniformDeviation(u.c, t2), 1e-6);
  }
}

// Where a seed starts its run's numbers: seeds next to each other start far apart.
std::uint64_t StartOf(std::uint64_t seed) { return Mix(seed); }

[[gnu::always_inline]] inline std::array<double, 3> DeviationsOf(
    std::uint64_t start, const std::array<double, 3>& tolerance, ToleranceDistribution distribution,
    std::uint64_t build) {
  std::array<double, 3> d{};
  if (distribution == ToleranceDistribution::Uniform) {
    // One number for all three parts: 21 bits each, taken at the middles of their 2^21 steps so
    // that the draws are symmetric and never reach the limits.
    const UniformFields u =
        UniformFieldsOf(static_cast<std::uint32_t>(start), static_cast<std::uint32_t>(build));
    return {UniformDeviation(u.a, tolerance[0]), UniformDeviation(u.b, tolerance[1]),
            UniformDeviation(u.c, tolerance[2])};
  }
  for (std::size_t k = 0; k < 3; ++k) {
    const double t = tolerance[k];
    if (t == 0.0) continue;
    // Box-Muller; 1 - u keeps the logarithm's argument in (0, 1].
    const double u1 = 1.0 - Uniform(start, build, 2 * k);
    const double u2 = Uniform(start, build, 2 * k + 1);
    d[k] = t / 3.0 * std::sqrt(-2.0 * std::log(u1)) * std::cos(2.0 * std::numbers::pi * u2);
  }
  return d;
}

// Builds handed out together: the unit of progress and of cancelling.
constexpr int kBlock = 1024;

// One frequency of the run: what does not change from build to build. Each element is kept as
// the quantity its place uses, a series impedance or a shunt admittance (with its series
// resistance when the part is lossy), so that a build only scales it; the load is kept the same
// way, as the admittance a Pi's last shunt element sits across or the impedance a Tee's last
// series element feeds.
struct FrequencyPoint {
  double rs = 0.0, xs = 0.0;            // the source impedance
  double startRe = 0.0, startIm = 0.0;  // the load
  std::array<double, 3> re{}, im{};     // each element (0 when open or a short)
};

FrequencyPoint PointAt(const MatchingCircuit& circuit, const std::array<PartQ, 3>& q,
                       const MeasuredSides& sides, double frequency) {
  const double omega = 2.0 * std::numbers::pi * frequency;
  const Complex zs = sides.source != nullptr ? sides.source->Impedance(frequency)
                                             : TerminationImpedance(circuit.source, omega);
  const Complex zl = sides.load != nullptr ? sides.load->Impedance(frequency)
                                           : TerminationImpedance(circuit.load, omega);
  FrequencyPoint p;
  p.rs = zs.real();
  p.xs = zs.imag();
  const Complex start = circuit.topology == NetworkTopology::Pi ? 1.0 / zl : zl;
  p.startRe = start.real();
  p.startIm = start.imag();
  for (std::size_t k = 0; k < 3; ++k) {
    const CircuitPart& part = circuit.elements[k];
    if (part.kind == PartKind::Open) continue;
    const double x = PartReactance(part, omega);
    if (HasParasitics(q[k])) {
      // A part with parasitics: its whole impedance (or admittance) is what a build's factor
      // scales, the parasitics drifting with the nominal value as the part's own tolerance.
      const Complex z = ModelImpedance(x, q[k], frequency, circuit.designFrequency);
      const Complex v = IsShuntElement(circuit.topology, static_cast<int>(k) + 1) ? 1.0 / z : z;
      p.re[k] = v.real();
      p.im[k] = v.imag();
      continue;
    }
    const double r = SeriesResistance(x, q[k], frequency, circuit.designFrequency);
    if (!IsShuntElement(circuit.topology, static_cast<int>(k) + 1)) {
      p.re[k] = r;
      p.im[k] = x;
    } else if (r == 0.0) {
      p.im[k] = -1.0 / x;
    } else {
      const double scale = 1.0 / (r * r + x * x);
      p.re[k] = r * scale;
      p.im[k] = -x * scale;
    }
  }
  return p;
}

// How a build's part values scale each element's term: a series inductor's impedance and a
// shunt capacitor's admittance grow with the part value; a series capacitor's impedance and a
// shunt inductor's admittance shrink with it. A part's series resistance |X| / Q scales as its
// reactance does, so a lossy term scales whole.
struct Scaling {
  std::array<bool, 3> inverse{};  // the term goes with the reciprocal of the part value
  bool anyInverse = false;
};

Scaling ScalingOf(const MatchingCircuit& circuit) {
  Scaling s;
  for (std::size_t k = 0; k < 3; ++k) {
    const PartKind kind = circuit.elements[k].kind;
    const bool shunt = IsShuntElement(circuit.topology, static_cast<int>(k) + 1);
    s.inverse[k] = shunt ? kind == PartKind::Inductor : kind == PartKind::Capacitor;
    s.anyInverse = s.anyInverse || s.inverse[k];
  }
  return s;
}

[[gnu::always_inline]] inline std::array<double, 3> FactorsOf(
    const Scaling& scaling, const std::array<double, 3>& deviation) {
  // A draw far in a normal tail could make a part value negative; no part is that bad.
  const std::array<double, 3> f = {std::max(1.0 + deviation[0], 1e-6),
                                   std::max(1.0 + deviation[1], 1e-6),
                                   std::max(1.0 + deviation[2], 1e-6)};
  if (!scaling.anyInverse) return f;
  // One division for every reciprocal: 1 / a = b c / (a b c).
  double product = 1.0;
  for (std::size_t k = 0; k < 3; ++k) {
    if (scaling.inverse[k]) product *= f[k];
  }
  const double reciprocal = 1.0 / product;
  std::array<double, 3> out = f;
  for (std::size_t k = 0; k < 3; ++k) {
    if (!scaling.inverse[k]) continue;
    double others = reciprocal;
    for (std::size_t j = 0; j < 3; ++j) {
      if (j != k && scaling.inverse[j]) others *= f[j];
    }
    out[k] = others;
  }
  return out;
}

// The reflected share of the ladder with each element's term times f[k], in real arithmetic
// with a single division: from the load, W3 = start + t3 = a + jb; 1 / W3 + t2 = (u + jv) / d
// with d = |W3|^2; its reciprocal plus t1 is W = (m + jn) / e with e = u^2 + v^2. W is the
// input admittance of a Pi, the input impedance of a Tee; the share |W - conj Zs|^2 /
// |W + Zs|^2 (for an admittance |1 - W conj Zs|^2 / |1 + W Zs|^2) is taken with both sides
// times e.
[[gnu::always_inline]] inline double ShareAt(bool pi, const FrequencyPoint& p,
                                             const std::array<double, 3>& f) {
  const double a = p.startRe + p.re[2] * f[2], b = p.startIm + p.im[2] * f[2];
  const double d = a * a + b * b;
  const double u = a + p.re[1] * f[1] * d, v = p.im[1] * f[1] * d - b;
  const double e = u * u + v * v;
  const double m = d * u + p.re[0] * f[0] * e, n = p.im[0] * f[0] * e - d * v;
  const double rs = p.rs, xs = p.xs;
  if (pi) {
    const double numR = e - (m * rs + n * xs), numI = n * rs - m * xs;
    const double denR = e + (m * rs - n * xs), denI = n * rs + m * xs;
    return (numR * numR + numI * numI) / (denR * denR + denI * denI);
  }
  const double numR = m - e * rs, numI = n + e * xs;
  const double denR = m + e * rs;
  return (numR * numR + numI * numI) / (denR * denR + numI * numI);
}

// Frequency points side by side, one array per quantity, so that the loop over them for one
// build works on several frequencies at once.
struct FrequencyColumns {
  std::size_t size = 0;
  std::vector<double> rs, xs, startRe, startIm, re0, im0, re1, im1, re2, im2;

  void Append(const FrequencyPoint& p) {
    ++size;
    rs.push_back(p.rs);
    xs.push_back(p.xs);
    startRe.push_back(p.startRe);
    startIm.push_back(p.startIm);
    re0.push_back(p.re[0]);
    im0.push_back(p.im[0]);
    re1.push_back(p.re[1]);
    im1.push_back(p.im[1]);
    re2.push_back(p.re[2]);
    im2.push_back(p.im[2]);
  }
};

// ShareAt at every point of `c` for one build, folded into the least and most share so far.
template <bool kPi>
CORVANTILE_WIDE_LOOP void EnvelopeOfBuild(const FrequencyColumns& c, const std::array<double, 3>& f,
                                          double* __restrict least, double* __restrict most) {
  const double* __restrict rsOf = c.rs.data();
  const double* __restrict xsOf = c.xs.data();
  const double* __restrict startReOf = c.startRe.data();
  const double* __restrict startImOf = c.startIm.data();
  const double* __restrict re0 = c.re0.data();
  const double* __restrict im0 = c.im0.data();
  const double* __restrict re1 = c.re1.data();
  const double* __restrict im1 = c.im1.data();
  const double* __restrict re2 = c.re2.data();
  const double* __restrict im2 = c.im2.data();
  const double f0 = f[0], f1 = f[1], f2 = f[2];
  for (std::size_t i = 0; i < c.size; ++i) {
    const double a = startReOf[i] + re2[i] * f2, b = startImOf[i] + im2[i] * f2;
    const double d = a * a + b * b;
    const double u = a + re1[i] * f1 * d, v = im1[i] * f1 * d - b;
    const double e = u * u + v * v;
    const double m = d * u + re0[i] * f0 * e, n = im0[i] * f0 * e - d * v;
    const double rs = rsOf[i], xs = xsOf[i];
    double share;
    if constexpr (kPi) {
      const double numR = e - (m * rs + n * xs), numI = n * rs - m * xs;
      const double denR = e + (m * rs - n * xs), denI = n * rs + m * xs;
      share = (numR * numR + numI * numI) / (denR * denR + denI * denI);
    } else {
      const double numR = m - e * rs, numI = n + e * xs;
      const double denR = m + e * rs;
      share = (numR * numR + numI * numI) / (denR * denR + numI * numI);
    }
    least[i] = std::min(least[i], share);
    most[i] = std::max(most[i], share);
  }
}

// ShareAt at one point for `count` builds, whose factors are given side by side: the same
// arithmetic, several builds at once.
template <bool kPi>
CORVANTILE_WIDE_LOOP void SharesOfBuilds(const FrequencyPoint& p, const double* __restrict f0,
                                         const double* __restrict f1, const double* __restrict f2,
                                         double* __restrict out, int count) {
  const double startRe = p.startRe, startIm = p.startIm, rs = p.rs, xs = p.xs;
  const double re0 = p.re[0], im0 = p.im[0], re1 = p.re[1], im1 = p.im[1];
  const double re2 = p.re[2], im2 = p.im[2];
  for (int i = 0; i < count; ++i) {
    const double a = startRe + re2 * f2[i], b = startIm + im2 * f2[i];
    const double d = a * a + b * b;
    const double u = a + re1 * f1[i] * d, v = im1 * f1[i] * d - b;
    const double e = u * u + v * v;
    const double m = d * u + re0 * f0[i] * e, n = im0 * f0[i] * e - d * v;
    if constexpr (kPi) {
      const double numR = e - (m * rs + n * xs), numI = n * rs - m * xs;
      const double denR = e + (m * rs - n * xs), denI = n * rs + m * xs;
      out[i] = (numR * numR + numI * numI) / (denR * denR + denI * denI);
    } else {
      const double numR = m - e * rs, numI = n + e * xs;
      const double denR = m + e * rs;
      out[i] = (numR * numR + numI * numI) / (denR * denR + numI * numI);
    }
  }
}

void SharesOfBuilds(bool pi, const FrequencyPoint& p, const double* f0, const double* f1,
                    const double* f2, double* out, int count) {
  if (pi) {
    SharesOfBuilds<true>(p, f0, f1, f2, out, count);
  } else {
    SharesOfBuilds<false>(p, f0, f1, f2, out, count);
  }
}

void EnvelopeOfBuild(bool pi, const FrequencyColumns& c, const std::array<double, 3>& f,
                     double* least, double* most) {
  if (pi) {
    EnvelopeOfBuild<true>(c, f, least, most);
  } else {
    EnvelopeOfBuild<false>(c, f, least, most);
  }
}

// The reflection of `circuit` at `frequency` with its parts' losses, as a circuit solver finds it.
Complex ReflectionAt(const MatchingCircuit& circuit, const LossModel& losses, double frequency) {
  if (IsIdealFor(circuit, losses)) return SolveCircuit(circuit, frequency).reflection;
  return AnalyzeLosses(circuit, losses, frequency).reflection;
}

// The reflected share at which the VSWR is exactly `limit`.
double ShareLimit(double limit) {
  const double magnitude = (limit - 1.0) / (limit + 1.0);
  return magnitude * magnitude;
}

// The kReturnLossPercentiles of `values` (none NaN), interpolating between order statistics,
// and the least value. The values are first counted into buckets of equal width between the
// least and the most (the bucket of a value never decreases as the value grows), then only
// the few buckets holding a wanted order statistic are gathered and searched, so the cost is
// three plain passes rather than a sort or repeated selections over all of them.
struct OrderFigures {
  std::array<double, 5> percentiles{};
  double lowest = 0.0;
};

OrderFigures Percentiles(const std::vector<double>& values) {
  const std::size_t n = values.size();
  OrderFigures out;
  double lo = values[0], hi = values[0];
  for (double v : values) {
    lo = std::min(lo, v);
    hi = std::max(hi, v);
  }
  out.lowest = lo;
  if (!(hi > lo)) {
    out.percentiles.fill(lo);
    return out;
  }
  // The order statistics wanted: the one at or below each percentile's position and the next.
  std::array<std::size_t, 5> lower{};
  std::array<double, 5> fraction{};
  for (std::size_t i = 0; i < 5; ++i) {
    const double position = kReturnLossPercentiles[i] / 100.0 * static_cast<double>(n - 1);
    lower[i] = static_cast<std::size_t>(std::floor(position));
    fraction[i] = position - static_cast<double>(lower[i]);
  }
  constexpr int kBuckets = 4096;
  const double scale = kBuckets / (hi - lo);
  auto bucketOf = [&](double v) {
    return std::min(static_cast<int>((v - lo) * scale), kBuckets - 1);
  };
  std::vector<std::uint32_t> first(kBuckets + 1, 0);  // counts, then each bucket's first rank
  for (double v : values) ++first[static_cast<std::size_t>(bucketOf(v)) + 1];
  for (std::size_t b = 1; b <= kBuckets; ++b) first[b] += first[b - 1];
  auto bucketOfRank = [&](std::size_t rank) {
    return static_cast<int>(std::upper_bound(first.begin(), first.end(), rank) - first.begin()) - 1;
  };
  std::array<int, 10> wanted{};
  std::size_t count = 0;
  for (std::size_t i = 0; i < 5; ++i) {
    wanted[count++] = bucketOfRank(lower[i]);
    wanted[count++] = bucketOfRank(std::min(lower[i] + 1, n - 1));
  }
  std::sort(wanted.begin(), wanted.end());
  count = static_cast<std::size_t>(std::unique(wanted.begin(), wanted.end()) - wanted.begin());
  std::vector<std::vector<double>> gathered(count);
  std::vector<std::int8_t> slot(kBuckets, -1);  // which of `gathered` a bucket goes to
  for (std::size_t j = 0; j < count; ++j) {
    slot[static_cast<std::size_t>(wanted[j])] = static_cast<std::int8_t>(j);
    gathered[j].reserve(first[static_cast<std::size_t>(wanted[j]) + 1] -
                        first[static_cast<std::size_t>(wanted[j])]);
  }
  for (double v : values) {
    const int j = slot[static_cast<std::size_t>(bucketOf(v))];
    if (j >= 0) gathered[static_cast<std::size_t>(j)].push_back(v);
  }
  auto orderStatistic = [&](std::size_t rank) {
    const int b = bucketOfRank(rank);
    const std::size_t j = static_cast<std::size_t>(
        std::find(wanted.begin(), wanted.begin() + static_cast<std::ptrdiff_t>(count), b) -
        wanted.begin());
    std::vector<double>& bucket = gathered[j];
    const auto k = static_cast<std::ptrdiff_t>(rank - first[static_cast<std::size_t>(b)]);
    std::nth_element(bucket.begin(), bucket.begin() + k, bucket.end());
    return bucket[static_cast<std::size_t>(k)];
  };
  for (std::size_t i = 0; i < 5; ++i) {
    const double a = orderStatistic(lower[i]);
    if (lower[i] + 1 >= n) {
      out.percentiles[i] = a;
      continue;
    }
    const double b = orderStatistic(lower[i] + 1);
    out.percentiles[i] = a + (b - a) * fraction[i];
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
  return DeviationsOf(StartOf(options.seed), options.tolerance, options.distribution, build);
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

  const std::array<PartQ, 3> q = CircuitQ(circuit, options.losses);
  const bool pi = circuit.topology == NetworkTopology::Pi;
  const Scaling scaling = ScalingOf(circuit);
  const std::uint64_t start = StartOf(options.seed);
  const FrequencyPoint design = PointAt(circuit, q, options.sides, circuit.designFrequency);
  const double nominalShare = ShareAt(pi, design, {1.0, 1.0, 1.0});
  result.nominalReturnLossDb = ReturnLossOfShare(nominalShare);

  std::vector<FrequencyPoint> bandPoints;
  if (options.band) {
    const int n = std::max(options.bandPoints, 2);
    const double f1 = (*options.band)[0], f2 = (*options.band)[1];
    for (int i = 0; i < n; ++i) {
      bandPoints.push_back(
          PointAt(circuit, q, options.sides,
                  f1 + (f2 - f1) * static_cast<double>(i) / static_cast<double>(n - 1)));
    }
  }
  FrequencyColumns envelope;
  if (options.envelope && SweepSpanProblem(*options.envelope).empty()) {
    result.envelopeFrequencies = SweepFrequencies(*options.envelope);
    for (double f : result.envelopeFrequencies)
      envelope.Append(PointAt(circuit, q, options.sides, f));
  }

  const double limit15 = ShareLimit(1.5), limit2 = ShareLimit(2.0);
  result.returnLossDb.assign(static_cast<std::size_t>(builds), 0.0);
  // Each block's shares summed on their own, then the sums in block order: the same total
  // whichever thread ran a block.
  std::vector<double> blockSums(static_cast<std::size_t>((builds + kBlock - 1) / kBlock), 0.0);
  const int blocks = (builds + kBlock - 1) / kBlock;
  unsigned hardware = std::thread::hardware_concurrency();
  int threads = options.threads > 0 ? options.threads : static_cast<int>(std::max(hardware, 1u));
  threads = std::clamp(threads, 1, blocks);
  std::vector<Tally> tallies(static_cast<std::size_t>(threads));
  std::atomic<bool> stopped{false};

  std::atomic<int> nextBlock{0};
  auto work = [&](int thread) {
    // Local copies: the stores of the loop below cannot alias them, so they stay in registers.
    const FrequencyPoint at = design;
    const Scaling scale = scaling;
    const std::array<double, 3> tolerance = options.tolerance;
    const ToleranceDistribution distribution = options.distribution;
    // The shares are kept where their return losses go, and turned into them block by block.
    double* const shareOf = result.returnLossDb.data();
    double* const returnLossOf = result.returnLossDb.data();
    Tally& tally = tallies[static_cast<std::size_t>(thread)];
    tally.envelopeMin.assign(envelope.size, std::numeric_limits<double>::infinity());
    tally.envelopeMax.assign(envelope.size, 0.0);
    int within15 = 0, within2 = 0, band15 = 0, band2 = 0;
    std::array<std::vector<double>, 3> factors;
    for (std::vector<double>& f : factors) f.resize(kBlock);
    // Blocks go to whichever thread asks next: on a busy machine a thread that gets no time
    // leaves its share to the others. Which thread ran a build changes none of the figures.
    for (int block = nextBlock.fetch_add(1); block < blocks; block = nextBlock.fetch_add(1)) {
      if (options.cancel != nullptr && options.cancel->load(std::memory_order_relaxed)) {
        stopped = true;
        return;
      }
      const int first = block * kBlock;
      const int end = std::min(builds, first + kBlock);
      const int count = end - first;
      // The block's part values first, then its shares at f0 several builds at a time.
      if (distribution == ToleranceDistribution::Uniform && !scale.anyInverse) {
        UniformFactors(static_cast<std::uint32_t>(start), static_cast<std::uint32_t>(first), count,
                       tolerance, factors[0].data(), factors[1].data(), factors[2].data());
      } else {
        for (int i = 0; i < count; ++i) {
          const std::array<double, 3> factor = FactorsOf(
              scale,
              DeviationsOf(start, tolerance, distribution, static_cast<std::uint64_t>(first + i)));
          factors[0][static_cast<std::size_t>(i)] = factor[0];
          factors[1][static_cast<std::size_t>(i)] = factor[1];
          factors[2][static_cast<std::size_t>(i)] = factor[2];
        }
      }
      SharesOfBuilds(pi, at, factors[0].data(), factors[1].data(), factors[2].data(),
                     shareOf + first, count);
      for (int i = 0; i < count; ++i) {
        within15 += shareOf[first + i] <= limit15;
        within2 += shareOf[first + i] <= limit2;
      }
      if (!bandPoints.empty() || envelope.size > 0) {
        for (int i = 0; i < count; ++i) {
          const auto k = static_cast<std::size_t>(i);
          const std::array<double, 3> factor = {factors[0][k], factors[1][k], factors[2][k]};
          if (!bandPoints.empty()) {
            double worst = 0.0;
            for (const FrequencyPoint& p : bandPoints) {
              worst = std::max(worst, ShareAt(pi, p, factor));
            }
            band15 += worst <= limit15;
            band2 += worst <= limit2;
          }
          if (envelope.size > 0) {
            EnvelopeOfBuild(pi, envelope, factor, tally.envelopeMin.data(),
                            tally.envelopeMax.data());
          }
        }
      }
      double blockSum = 0.0;
      for (int b = first; b < end; ++b) {
        blockSum += shareOf[b];
        returnLossOf[b] = ReturnLossOfShare(shareOf[b]);
      }
      blockSums[static_cast<std::size_t>(block)] = blockSum;
      if (options.progress != nullptr) options.progress->fetch_add(count);
    }
    tally.within15 = within15;
    tally.within2 = within2;
    tally.band15 = band15;
    tally.band2 = band2;
  };
  // The calling thread works too, beside threads - 1 others.
  std::vector<std::thread> pool;
  for (int t = 1; t < threads; ++t) pool.emplace_back(work, t);
  work(0);
  for (std::thread& t : pool) t.join();
  if (stopped) {
    result.cancelled = true;
    return result;
  }

  // Integer counts and minima do not depend on how the builds were split; sums are taken in
  // build order below for the same reason.
  Tally total;
  total.envelopeMin.assign(envelope.size, std::numeric_limits<double>::infinity());
  total.envelopeMax.assign(envelope.size, 0.0);
  for (const Tally& t : tallies) {
    total.within15 += t.within15;
    total.within2 += t.within2;
    total.band15 += t.band15;
    total.band2 += t.band2;
    for (std::size_t i = 0; i < envelope.size; ++i) {
      total.envelopeMin[i] = std::min(total.envelopeMin[i], t.envelopeMin[i]);
      total.envelopeMax[i] = std::max(total.envelopeMax[i], t.envelopeMax[i]);
    }
  }
  const double n = static_cast<double>(builds);
  result.atDesign = {total.within15 / n, total.within2 / n};
  if (!bandPoints.empty()) result.overBand = YieldFigures{total.band15 / n, total.band2 / n};
  for (std::size_t i = 0; i < envelope.size; ++i) {
    // The least return loss comes from the most reflected power.
    result.envelopeMinDb.push_back(ReturnLossOfShare(total.envelopeMax[i]));
    result.envelopeMaxDb.push_back(ReturnLossOfShare(total.envelopeMin[i]));
  }
  double sum = 0.0;
  for (double s : blockSums) sum += s;
  result.meanReflectedShare = sum / n;

  const OrderFigures order = Percentiles(result.returnLossDb);
  result.percentilesDb = order.percentiles;
  result.histogram = MakeHistogram(result.returnLossDb, order.lowest, result.percentilesDb[4]);

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
    const double share = ShareAt(pi, design, FactorsOf(scaling, deviation));
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
    const Complex slope = (ReflectionAt(up, options.losses, circuit.designFrequency) -
                           ReflectionAt(down, options.losses, circuit.designFrequency)) /
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
