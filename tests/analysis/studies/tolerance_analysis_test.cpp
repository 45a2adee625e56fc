// The tolerance analysis against what must hold whatever its implementation: no tolerance means
// every build is the nominal design, the yield settles as builds are added, thread counts do not
// change the numbers, and the sensitivity ranking matches one part toleranced at a time.
#include "analysis/studies/tolerance_analysis.h"

#include <algorithm>
#include <cmath>
#include <complex>
#include <cstring>
#include <numbers>
#include <numeric>

#include <gtest/gtest.h>

#include "analysis/circuits/element_network.h"
#include "analysis/solvers/lossy_network.h"
#include "analysis/formats/number_text.h"
#include "analysis/studies/standard_design.h"
#include "analysis/formats/touchstone_reader.h"
#include "support/circuit_solver.h"
#include "support/design_cases.h"
#include "support/measured_files.h"

namespace corvantile {
namespace {

MatchingCircuit Designed(const testing::DesignCase& c) {
  const CircuitBuild build = DesignCircuit(testing::StateFor(c));
  EXPECT_EQ(build.problem, CircuitProblem::None);
  return build.circuit;
}

MatchingCircuit DefaultCircuit() { return DesignCircuit(MakeDefaultRunState()).circuit; }

// The circuit with each part value scaled by 1 + deviation.
MatchingCircuit Built(MatchingCircuit c, const std::array<double, 3>& deviation) {
  for (std::size_t k = 0; k < 3; ++k) c.elements[k].value *= 1.0 + deviation[k];
  return c;
}

double ReturnLossBySolving(const MatchingCircuit& c) {
  const testing::Solution s = testing::Solve(c, c.designFrequency);
  const auto gamma =
      (s.inputImpedance - std::conj(s.sourceImpedance)) / (s.inputImpedance + s.sourceImpedance);
  return -20.0 * std::log10(std::max(std::abs(gamma), 1e-15));
}

// The return loss with every part lossy, from the tests' own ladder solver.
double LossyReturnLossBySolving(const MatchingCircuit& c, const LossModel& model, double f) {
  return testing::ReturnLossDb(testing::Solve(c, f, model));
}

// Inductors of Q 60 with the skin effect, capacitors of Q 400 and constant Q.
LossModel SomeLosses() {
  LossModel m;
  m.inductor = {60.0, 0.5};
  m.capacitor = {400.0, 0.0};
  return m;
}

template <typename T>
bool SameBits(const std::vector<T>& a, const std::vector<T>& b) {
  return a.size() == b.size() && std::memcmp(a.data(), b.data(), a.size() * sizeof(T)) == 0;
}

std::vector<testing::DesignCase> SomeDesigns() {
  std::vector<testing::DesignCase> out;
  testing::DesignCase pi;
  out.push_back(pi);
  testing::DesignCase tee;
  tee.family = FamilyTee;
  tee.source = {1, 50.0f, 25.0f};
  tee.load = {4, 200.0f, -300.0f};
  tee.phase = -120.0f;
  out.push_back(tee);
  testing::DesignCase l;
  l.family = FamilyLowpassL;
  l.source = {3, 300.0f, -150.0f};
  l.load = {1, 50.0f, -20.0f};
  out.push_back(l);
  testing::DesignCase pi2;
  pi2.source = {2, 1500.0f, 2000.0f};
  pi2.load = {3, 75.0f, 40.0f};
  pi2.phase = -60.0f;
  out.push_back(pi2);
  return out;
}

TEST(ToleranceAnalysisTest, ZeroToleranceBuildsTheNominalDesignEveryTime) {
  for (const testing::DesignCase& c : SomeDesigns()) {
    const MatchingCircuit nearest = NearestStandardCircuit(Designed(c), {});
    ToleranceOptions options;
    options.tolerance = {0.0, 0.0, 0.0};
    options.builds = 3000;
    SweepSpan span = DefaultSweepSpan(nearest.designFrequency);
    span.points = 31;
    options.envelope = span;
    const ToleranceResult r = RunTolerance(nearest, options);
    const double nominal = SolveCircuit(nearest, nearest.designFrequency).returnLossDb;
    EXPECT_NEAR(r.nominalReturnLossDb, nominal, 1e-9 * nominal);
    for (double rl : r.returnLossDb) ASSERT_EQ(rl, r.nominalReturnLossDb);
    for (double p : r.percentilesDb) EXPECT_EQ(p, r.nominalReturnLossDb);
    const double expectedYield = SolveCircuit(nearest, nearest.designFrequency).vswr <= 2.0;
    EXPECT_EQ(r.atDesign.vswr2, expectedYield);
    EXPECT_EQ(r.worst.returnLossDb, r.nominalReturnLossDb);
    for (std::size_t i = 0; i < r.envelopeFrequencies.size(); ++i) {
      const double rl = SolveCircuit(nearest, r.envelopeFrequencies[i]).returnLossDb;
      EXPECT_NEAR(r.envelopeMinDb[i], rl, 1e-6 * rl + 1e-9);
      EXPECT_NEAR(r.envelopeMaxDb[i], rl, 1e-6 * rl + 1e-9);
    }
    for (const Sensitivity& s : r.sensitivities) EXPECT_EQ(s.share, 0.0);
  }
}

// Every build is the circuit its draws describe, solved independently, and the draws lie within
// the tolerance.
TEST(ToleranceAnalysisTest, EachBuildIsTheCircuitOfItsDraws) {
  for (const testing::DesignCase& c : SomeDesigns()) {
    const MatchingCircuit circuit = Designed(c);
    ToleranceOptions options;
    options.tolerance = {0.05, 0.1, 0.02};
    options.builds = 500;
    options.seed = 99;
    const ToleranceResult r = RunTolerance(circuit, options);
    for (int b = 0; b < options.builds; b += 7) {
      const std::array<double, 3> d = BuildDeviations(options, static_cast<std::uint64_t>(b));
      for (std::size_t k = 0; k < 3; ++k) EXPECT_LE(std::fabs(d[k]), options.tolerance[k]);
      const double rl = ReturnLossBySolving(Built(circuit, d));
      if (rl < 150.0) {
        EXPECT_NEAR(r.returnLossDb[static_cast<std::size_t>(b)], rl, 1e-6 * rl);
      }
    }
  }
}

TEST(ToleranceAnalysisTest, YieldFromNBuildsAgreesWithTenTimesAsMany) {
  const MatchingCircuit circuit = DefaultCircuit();
  ToleranceOptions small;
  small.builds = 4000;
  small.seed = 7;
  small.band = std::array<double, 2>{3.6e6, 3.9e6};
  ToleranceOptions large = small;
  large.builds = 40000;
  large.seed = 8;  // independent draws
  const ToleranceResult a = RunTolerance(circuit, small);
  const ToleranceResult b = RunTolerance(circuit, large);
  auto agree = [&](double p, double q) {
    const double pooled = (p * 4000 + q * 40000) / 44000;
    const double sigma = std::sqrt(pooled * (1 - pooled) * (1.0 / 4000 + 1.0 / 40000));
    EXPECT_LE(std::fabs(p - q), 4.0 * sigma + 1e-12) << p << " vs " << q;
  };
  agree(a.atDesign.vswr15, b.atDesign.vswr15);
  agree(a.atDesign.vswr2, b.atDesign.vswr2);
  ASSERT_TRUE(a.overBand && b.overBand);
  agree(a.overBand->vswr15, b.overBand->vswr15);
  agree(a.overBand->vswr2, b.overBand->vswr2);
  // A figure that says something: neither all nor none of the builds pass at 1.5:1.
  EXPECT_GT(b.atDesign.vswr15, 0.05);
  EXPECT_LT(b.overBand->vswr15, 0.95);
  // Passing over the band is harder than passing at f0.
  EXPECT_LE(b.overBand->vswr15, b.atDesign.vswr15);
}

TEST(ToleranceAnalysisTest, SameSeedGivesTheSameNumbersOnOneTwoOrThreeThreads) {
  for (ToleranceDistribution distribution :
       {ToleranceDistribution::Uniform, ToleranceDistribution::Normal}) {
    const MatchingCircuit circuit = NearestStandardCircuit(DefaultCircuit(), {});
    ToleranceOptions options;
    options.builds = 5000;
    options.seed = 12345;
    options.distribution = distribution;
    options.band = std::array<double, 2>{3.5e6, 4.0e6};
    SweepSpan span = DefaultSweepSpan(circuit.designFrequency);
    span.points = 41;
    options.envelope = span;
    options.threads = 1;
    const ToleranceResult one = RunTolerance(circuit, options);
    for (int threads : {2, 3}) {
      options.threads = threads;
      const ToleranceResult many = RunTolerance(circuit, options);
      EXPECT_EQ(many.returnLossDb, one.returnLossDb);
      EXPECT_EQ(many.atDesign.vswr15, one.atDesign.vswr15);
      EXPECT_EQ(many.atDesign.vswr2, one.atDesign.vswr2);
      EXPECT_EQ(many.overBand->vswr15, one.overBand->vswr15);
      EXPECT_EQ(many.overBand->vswr2, one.overBand->vswr2);
      EXPECT_EQ(many.percentilesDb, one.percentilesDb);
      EXPECT_EQ(many.meanReflectedShare, one.meanReflectedShare);
      EXPECT_EQ(many.histogram.counts, one.histogram.counts);
      EXPECT_EQ(many.envelopeMinDb, one.envelopeMinDb);
      EXPECT_EQ(many.envelopeMaxDb, one.envelopeMaxDb);
    }
    options.seed = 12346;
    EXPECT_NE(RunTolerance(circuit, options).returnLossDb, one.returnLossDb);
  }
}

// Each part toleranced on its own: the mean reflected power it adds ranks the parts as the
// sensitivities do.
TEST(ToleranceAnalysisTest, SensitivityRankingMatchesOnePartAtATime) {
  for (const testing::DesignCase& c : SomeDesigns()) {
    for (bool standard : {false, true}) {
      MatchingCircuit circuit = Designed(c);
      if (standard) circuit = BestStandardCircuit(circuit, {});
      SCOPED_TRACE(testing::Describe(c) + (standard ? " best" : " ideal"));
      ToleranceOptions options;
      options.tolerance = {0.05, 0.03, 0.08};
      options.builds = 20000;
      const ToleranceResult all = RunTolerance(circuit, options);
      const double nominalShare = SolveCircuit(circuit, circuit.designFrequency).reflectedShare;
      std::array<double, 3> added{};
      for (std::size_t k = 0; k < 3; ++k) {
        ToleranceOptions alone = options;
        alone.tolerance = {0.0, 0.0, 0.0};
        alone.tolerance[k] = options.tolerance[k];
        added[k] = RunTolerance(circuit, alone).meanReflectedShare - nominalShare;
      }
      double total = added[0] + added[1] + added[2];
      for (const Sensitivity& s : all.sensitivities) {
        const double measured = added[static_cast<std::size_t>(s.element - 1)] / total;
        EXPECT_NEAR(s.share, measured, 0.05) << "element " << s.element;
      }
      // The ranking, wherever the shares are clearly apart.
      for (std::size_t i = 0; i + 1 < 3; ++i) {
        const auto& hi = all.sensitivities[i];
        const auto& lo = all.sensitivities[i + 1];
        EXPECT_GE(hi.share, lo.share);
        if (hi.share > lo.share + 0.1) {
          EXPECT_GT(added[static_cast<std::size_t>(hi.element - 1)],
                    added[static_cast<std::size_t>(lo.element - 1)]);
        }
      }
    }
  }
}

TEST(ToleranceAnalysisTest, WorstCornerIsTheWorstOfTheBoxCornersSolvedIndependently) {
  for (const testing::DesignCase& c : SomeDesigns()) {
    const MatchingCircuit circuit = NearestStandardCircuit(Designed(c), {});
    ToleranceOptions options;
    options.builds = 2000;
    const ToleranceResult r = RunTolerance(circuit, options);
    const std::array<double, 3> t = DefaultTolerances(circuit);
    double worst = ReturnLossBySolving(circuit);
    for (int corner = 0; corner < 8; ++corner) {
      std::array<double, 3> d{};
      for (std::size_t k = 0; k < 3; ++k) d[k] = ((corner >> k) & 1) != 0 ? t[k] : -t[k];
      worst = std::min(worst, ReturnLossBySolving(Built(circuit, d)));
    }
    EXPECT_NEAR(r.worst.returnLossDb, worst, 1e-6 * worst);
    std::array<double, 3> d{};
    for (std::size_t k = 0; k < 3; ++k) d[k] = r.worst.signs[k] * t[k];
    EXPECT_NEAR(ReturnLossBySolving(Built(circuit, d)), worst, 1e-6 * worst);
    // Uniform draws stay inside the box; here the corner is the least return loss of all.
    EXPECT_LE(r.worst.returnLossDb, r.percentilesDb[0]);
  }
}

TEST(ToleranceAnalysisTest, DistributionHistogramAndPercentilesAreConsistent) {
  const MatchingCircuit circuit = DefaultCircuit();
  ToleranceOptions options;
  options.distribution = ToleranceDistribution::Normal;
  options.builds = 20000;
  const ToleranceResult r = RunTolerance(circuit, options);
  EXPECT_EQ(std::accumulate(r.histogram.counts.begin(), r.histogram.counts.end(), 0),
            options.builds);
  EXPECT_TRUE(std::is_sorted(r.percentilesDb.begin(), r.percentilesDb.end()));
  std::vector<double> sorted = r.returnLossDb;
  std::sort(sorted.begin(), sorted.end());
  EXPECT_NEAR(r.percentilesDb[2], sorted[sorted.size() / 2], 0.01);
  EXPECT_NEAR(r.percentilesDb[0], sorted[sorted.size() / 100], 0.05);
  // Normal draws: three standard deviations at the tolerance.
  double sum2 = 0.0;
  for (int b = 0; b < options.builds; ++b) {
    const double d = BuildDeviations(options, static_cast<std::uint64_t>(b))[1];
    sum2 += d * d;
  }
  EXPECT_NEAR(std::sqrt(sum2 / options.builds), 0.05 / 3.0, 0.0005);
}

TEST(ToleranceAnalysisTest, ProgressCountsEveryBuildAndCancelStops) {
  const MatchingCircuit circuit = DefaultCircuit();
  std::atomic<int> progress{0};
  std::atomic<bool> cancel{false};
  ToleranceOptions options;
  options.builds = 10000;
  options.progress = &progress;
  options.cancel = &cancel;
  EXPECT_FALSE(RunTolerance(circuit, options).cancelled);
  EXPECT_EQ(progress.load(), 10000);
  cancel = true;
  progress = 0;
  EXPECT_TRUE(RunTolerance(circuit, options).cancelled);
  EXPECT_LT(progress.load(), 10000);
}

// A model that leaves every part ideal (Q 0 for both kinds, whatever the laws) gives the run
// without losses bit for bit.
TEST(ToleranceAnalysisTest, IdealPartsGiveTheLosslessRunBitForBit) {
  for (const testing::DesignCase& c : SomeDesigns()) {
    const MatchingCircuit circuit = NearestStandardCircuit(Designed(c), {});
    ToleranceOptions lossless;
    lossless.builds = 3000;
    lossless.band =
        std::array<double, 2>{0.95 * circuit.designFrequency, 1.05 * circuit.designFrequency};
    SweepSpan span = DefaultSweepSpan(circuit.designFrequency);
    span.points = 51;
    lossless.envelope = span;
    ToleranceOptions ideal = lossless;
    ideal.losses.inductor = {0.0, 0.5};
    ideal.losses.capacitor = {0.0, 1.0};
    ideal.losses.elementQ = {0.0, std::nullopt, std::nullopt};
    const ToleranceResult a = RunTolerance(circuit, lossless);
    const ToleranceResult b = RunTolerance(circuit, ideal);
    EXPECT_TRUE(SameBits(a.returnLossDb, b.returnLossDb));
    EXPECT_TRUE(SameBits(a.envelopeMinDb, b.envelopeMinDb));
    EXPECT_TRUE(SameBits(a.envelopeMaxDb, b.envelopeMaxDb));
    EXPECT_EQ(std::memcmp(&a.percentilesDb, &b.percentilesDb, sizeof a.percentilesDb), 0);
    EXPECT_EQ(a.nominalReturnLossDb, b.nominalReturnLossDb);
    EXPECT_EQ(a.meanReflectedShare, b.meanReflectedShare);
    EXPECT_EQ(a.overBand->vswr15, b.overBand->vswr15);
    EXPECT_EQ(a.worst.returnLossDb, b.worst.returnLossDb);
    for (std::size_t k = 0; k < 3; ++k) {
      EXPECT_EQ(a.sensitivities[k].element, b.sensitivities[k].element);
      EXPECT_EQ(a.sensitivities[k].share, b.sensitivities[k].share);
    }
  }
}

// With lossy parts each build is its drawn circuit with the losses of its own part values, as
// the tests' own solver finds it, at f0 and over the envelope.
TEST(ToleranceAnalysisTest, LossyBuildsAreTheLossyCircuitsOfTheirDraws) {
  const LossModel losses = SomeLosses();
  for (const testing::DesignCase& c : SomeDesigns()) {
    SCOPED_TRACE(testing::Describe(c));
    const MatchingCircuit circuit = Designed(c);
    ToleranceOptions options;
    options.tolerance = {0.05, 0.1, 0.02};
    options.builds = 400;
    options.seed = 3;
    options.losses = losses;
    const ToleranceResult r = RunTolerance(circuit, options);
    const double f0 = circuit.designFrequency;
    EXPECT_NEAR(r.nominalReturnLossDb, LossyReturnLossBySolving(circuit, losses, f0), 1e-6);
    EXPECT_NEAR(r.nominalReturnLossDb, AnalyzeLosses(circuit, losses).returnLossDb, 1e-9);
    // Losses spoil the lossless design's perfect match.
    EXPECT_LT(r.nominalReturnLossDb, 100.0);
    for (int b = 0; b < options.builds; b += 7) {
      const std::array<double, 3> d = BuildDeviations(options, static_cast<std::uint64_t>(b));
      const double rl = LossyReturnLossBySolving(Built(circuit, d), losses, f0);
      EXPECT_NEAR(r.returnLossDb[static_cast<std::size_t>(b)], rl, 1e-6 * rl);
    }
    // No tolerance: the envelope is the lossy response itself, its law followed over the span.
    options.tolerance = {0.0, 0.0, 0.0};
    SweepSpan span = DefaultSweepSpan(f0);
    span.points = 25;
    options.envelope = span;
    const ToleranceResult still = RunTolerance(circuit, options);
    ASSERT_EQ(still.envelopeFrequencies.size(), 25u);
    for (std::size_t i = 0; i < still.envelopeFrequencies.size(); ++i) {
      const double f = still.envelopeFrequencies[i];
      const double rl = LossyReturnLossBySolving(circuit, losses, f);
      EXPECT_NEAR(still.envelopeMinDb[i], rl, 1e-6 * rl + 1e-9);
      EXPECT_NEAR(still.envelopeMaxDb[i], rl, 1e-6 * rl + 1e-9);
      EXPECT_NEAR(still.envelopeMinDb[i], EvaluateResponse(circuit, f, losses).returnLossDb,
                  1e-6 * rl + 1e-9);
    }
  }
}

// The worst corner and the sensitivities carry the losses too: the corners solved
// independently with their losses, and the ranking against one lossy part toleranced at a time.
TEST(ToleranceAnalysisTest, LossyWorstCornerAndRankingMatchIndependentRuns) {
  const LossModel losses = SomeLosses();
  for (const testing::DesignCase& c : SomeDesigns()) {
    SCOPED_TRACE(testing::Describe(c));
    const MatchingCircuit circuit = BestStandardCircuit(Designed(c), {}, losses);
    const double f0 = circuit.designFrequency;
    ToleranceOptions options;
    options.tolerance = {0.05, 0.03, 0.08};
    options.builds = 20000;
    options.losses = losses;
    const ToleranceResult all = RunTolerance(circuit, options);
    double worst = LossyReturnLossBySolving(circuit, losses, f0);
    for (int corner = 0; corner < 8; ++corner) {
      std::array<double, 3> d{};
      for (std::size_t k = 0; k < 3; ++k) {
        const double t = circuit.elements[k].kind == PartKind::Inductor ||
                                 circuit.elements[k].kind == PartKind::Capacitor
                             ? options.tolerance[k]
                             : 0.0;
        d[k] = ((corner >> k) & 1) != 0 ? t : -t;
      }
      worst = std::min(worst, LossyReturnLossBySolving(Built(circuit, d), losses, f0));
    }
    EXPECT_NEAR(all.worst.returnLossDb, worst, 1e-6 * worst);

    const double nominalShare = std::pow(10.0, -all.nominalReturnLossDb / 10.0);
    std::array<double, 3> added{};
    for (std::size_t k = 0; k < 3; ++k) {
      ToleranceOptions alone = options;
      alone.tolerance = {0.0, 0.0, 0.0};
      alone.tolerance[k] = options.tolerance[k];
      added[k] = RunTolerance(circuit, alone).meanReflectedShare - nominalShare;
    }
    const double total = added[0] + added[1] + added[2];
    double shares = 0.0;
    for (const Sensitivity& s : all.sensitivities) {
      shares += s.share;
      EXPECT_NEAR(s.share, added[static_cast<std::size_t>(s.element - 1)] / total, 0.05)
          << "element " << s.element;
    }
    EXPECT_NEAR(shares, 1.0, 1e-12);
  }
}

// The uniform draws are uniform within the tolerance and independent between the parts: their
// means, spreads, cross-correlations and the share below every tenth of the range agree with
// the distribution within four standard errors.
TEST(ToleranceAnalysisTest, UniformDrawsAreUniformAndIndependent) {
  ToleranceOptions options;
  options.tolerance = {0.05, 0.1, 0.2};
  options.seed = 2024;
  constexpr int kDraws = 200000;
  const double n = kDraws;
  std::array<double, 3> sum{}, sum2{};
  std::array<double, 3> cross{};  // 0-1, 1-2, 0-2
  std::array<std::array<int, 10>, 3> below{};
  for (int b = 0; b < kDraws; ++b) {
    const std::array<double, 3> d = BuildDeviations(options, static_cast<std::uint64_t>(b));
    std::array<double, 3> x{};
    for (std::size_t k = 0; k < 3; ++k) {
      ASSERT_LT(std::fabs(d[k]), options.tolerance[k]);
      x[k] = d[k] / options.tolerance[k];  // uniform on (-1, 1)
      sum[k] += x[k];
      sum2[k] += x[k] * x[k];
      for (int q = 0; q < 10; ++q) below[k][static_cast<std::size_t>(q)] += x[k] < -0.8 + 0.2 * q;
    }
    cross[0] += x[0] * x[1];
    cross[1] += x[1] * x[2];
    cross[2] += x[0] * x[2];
  }
  for (std::size_t k = 0; k < 3; ++k) {
    EXPECT_NEAR(sum[k] / n, 0.0, 4.0 * std::sqrt(1.0 / 3.0 / n)) << k;
    // x^2 has mean 1/3 and variance 4/45.
    EXPECT_NEAR(sum2[k] / n, 1.0 / 3.0, 4.0 * std::sqrt(4.0 / 45.0 / n)) << k;
    for (int q = 0; q < 10; ++q) {
      const double p = 0.1 * (q + 1);
      EXPECT_NEAR(below[k][static_cast<std::size_t>(q)] / n, p, 4.0 * std::sqrt(p * (1 - p) / n))
          << k << " " << q;
    }
  }
  for (double c : cross) EXPECT_NEAR(c / n, 0.0, 4.0 * (1.0 / 3.0) / std::sqrt(n));
}

// A measured side whose file holds the typed side's own impedance at every frequency the run
// judges (f0, the band, the envelope) gives the typed run's figures: the file is read at those
// frequencies and nowhere else.
TEST(ToleranceAnalysisTest, AFileOfTheTypedSidesGivesTheTypedRun) {
  for (const testing::DesignCase& c : SomeDesigns()) {
    const MatchingCircuit circuit = Designed(c);
    ToleranceOptions options;
    options.builds = 2000;
    options.band =
        std::array<double, 2>{0.97 * circuit.designFrequency, 1.03 * circuit.designFrequency};
    SweepSpan span = DefaultSweepSpan(circuit.designFrequency);
    span.points = 41;
    options.envelope = span;
    std::vector<double> at = SweepFrequencies(span);
    at.push_back(circuit.designFrequency);
    const int n = options.bandPoints;
    for (int i = 0; i < n; ++i) {
      const double f1 = (*options.band)[0], f2 = (*options.band)[1];
      at.push_back(f1 + (f2 - f1) * static_cast<double>(i) / static_cast<double>(n - 1));
    }
    const TouchstonePort source = testing::TypedSideFile(circuit.source, at, "source.s1p");
    const TouchstonePort load = testing::TypedSideFile(circuit.load, at, "load.s1p");
    const ToleranceResult typed = RunTolerance(circuit, options);
    options.sides = {&source, &load};
    const ToleranceResult measured = RunTolerance(circuit, options);
    const double oneBuild = 1.0 / options.builds;
    EXPECT_NEAR(measured.atDesign.vswr15, typed.atDesign.vswr15, 2 * oneBuild);
    EXPECT_NEAR(measured.atDesign.vswr2, typed.atDesign.vswr2, 2 * oneBuild);
    ASSERT_TRUE(measured.overBand && typed.overBand);
    EXPECT_NEAR(measured.overBand->vswr15, typed.overBand->vswr15, 2 * oneBuild);
    EXPECT_NEAR(measured.overBand->vswr2, typed.overBand->vswr2, 2 * oneBuild);
    for (std::size_t i = 0; i < typed.percentilesDb.size(); ++i) {
      EXPECT_NEAR(measured.percentilesDb[i], typed.percentilesDb[i], 1e-6 * typed.percentilesDb[i]);
    }
    ASSERT_EQ(measured.envelopeFrequencies, typed.envelopeFrequencies);
    for (std::size_t i = 0; i < typed.envelopeMinDb.size(); ++i) {
      EXPECT_NEAR(measured.envelopeMinDb[i], typed.envelopeMinDb[i], 1e-6 * typed.envelopeMinDb[i]);
      EXPECT_NEAR(measured.envelopeMaxDb[i], typed.envelopeMaxDb[i], 1e-6 * typed.envelopeMaxDb[i]);
    }
    EXPECT_EQ(measured.worst.signs, typed.worst.signs);
  }
}

}  // namespace
}  // namespace corvantile
