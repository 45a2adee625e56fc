// The bandwidth and harmonic figures: edges where the VSWR crosses its limit, found the same
// however densely the span is swept.
#include "analysis/solvers/sweep_summary.h"

#include <cmath>

#include <gtest/gtest.h>

#include "support/circuit_solver.h"
#include "support/design_cases.h"

namespace corvantile {
namespace {

MatchingCircuit Built(const testing::DesignCase& d) {
  const CircuitBuild build = DesignCircuit(testing::StateFor(d));
  EXPECT_EQ(build.problem, CircuitProblem::None) << testing::Describe(d);
  return build.circuit;
}

std::vector<testing::DesignCase> SummaryCases() {
  std::vector<testing::DesignCase> cases;
  for (float family : {FamilyTee, FamilyPi, FamilyLowpassL, FamilyHighpassL}) {
    testing::DesignCase d;
    d.family = family;
    d.source = {1, 1500.0f, 0.0f};
    d.load = {4, 300.0f, -600.0f};
    d.phase = -120.0f;
    cases.push_back(d);
  }
  return cases;
}

TEST(SweepSummaryTest, BandEdgesAreWhereTheVswrCrossesItsLimit) {
  for (const testing::DesignCase& d : SummaryCases()) {
    const MatchingCircuit c = Built(d);
    const std::vector<ResponsePoint> sweep = SweepResponse(c, DefaultSweepSpan(c.designFrequency));
    const SweepSummary summary = SummarizeSweep(c, sweep);
    for (const VswrBand& band : summary.bands) {
      ASSERT_TRUE(band.matchedAtDesign);
      ASSERT_TRUE(band.lower && band.upper) << testing::Describe(d);
      EXPECT_LT(*band.lower, c.designFrequency);
      EXPECT_GT(*band.upper, c.designFrequency);
      EXPECT_NEAR(EvaluateResponse(c, *band.lower).vswr, band.limit, 1e-6);
      EXPECT_NEAR(EvaluateResponse(c, *band.upper).vswr, band.limit, 1e-6);
      EXPECT_NEAR(*band.fractional, (*band.upper - *band.lower) / c.designFrequency, 1e-12);
      for (const ResponsePoint& p : sweep) {
        if (p.frequency > *band.lower && p.frequency < *band.upper) {
          EXPECT_LE(p.vswr, band.limit + 1e-9) << "inside the band at " << p.frequency;
        }
      }
    }
    // The 1.5:1 band lies inside the 2:1 band.
    EXPECT_GT(*summary.bands[1].lower, *summary.bands[0].lower);
    EXPECT_LT(*summary.bands[1].upper, *summary.bands[0].upper);
  }
}

TEST(SweepSummaryTest, EdgesDoNotDependOnHowDenselyTheSpanIsSwept) {
  for (const testing::DesignCase& d : SummaryCases()) {
    const MatchingCircuit c = Built(d);
    SweepSpan coarse = DefaultSweepSpan(c.designFrequency);
    coarse.points = 7;
    SweepSpan fine = coarse;
    fine.points = 4001;
    fine.logarithmic = false;
    const SweepSummary a = SummarizeSweep(c, SweepResponse(c, coarse));
    const SweepSummary b = SummarizeSweep(c, SweepResponse(c, fine));
    for (std::size_t i = 0; i < a.bands.size(); ++i) {
      ASSERT_TRUE(a.bands[i].lower && b.bands[i].lower && a.bands[i].upper && b.bands[i].upper);
      EXPECT_NEAR(*a.bands[i].lower, *b.bands[i].lower, 1e-9 * c.designFrequency);
      EXPECT_NEAR(*a.bands[i].upper, *b.bands[i].upper, 1e-9 * c.designFrequency);
    }
  }
}

TEST(SweepSummaryTest, EdgesBeyondTheSweptSpanAreUnknown) {
  const MatchingCircuit c = Built(SummaryCases()[1]);
  const SweepSpan narrow{c.designFrequency * 0.999, c.designFrequency * 1.001, 11, true};
  const SweepSummary summary = SummarizeSweep(c, SweepResponse(c, narrow));
  for (const VswrBand& band : summary.bands) {
    EXPECT_TRUE(band.matchedAtDesign);
    EXPECT_FALSE(band.lower);
    EXPECT_FALSE(band.upper);
    EXPECT_FALSE(band.fractional);
  }
}

// Low-pass networks attenuate the harmonics more and more; a high-pass network tends to a plain
// wire above its design frequency, so it never loses more than the wire's mismatch
// (50 against 1000 ohm: 4 * 50 * 1000 / 1050^2, 7.4 dB).
TEST(SweepSummaryTest, HarmonicAttenuationFollowsTheFamily) {
  for (float family : {FamilyLowpassL, FamilyHighpassL}) {
    testing::DesignCase d;
    d.family = family;
    d.source = {1, 50.0f, 0.0f};
    d.load = {1, 1000.0f, 0.0f};
    const MatchingCircuit c = Built(d);
    const SweepSummary s = SummarizeSweep(c, SweepResponse(c, DefaultSweepSpan(c.designFrequency)));
    const double gain2 = EvaluateResponse(c, 2.0 * c.designFrequency).transducerGainDb;
    EXPECT_NEAR(s.attenuation2f0Db, s.atDesign.transducerGainDb - gain2, 1e-12);
    if (family == FamilyLowpassL) {
      EXPECT_GT(s.attenuation2f0Db, 3.0);
      EXPECT_GT(s.attenuation3f0Db, s.attenuation2f0Db);
    } else {
      const double wireLossDb = -10.0 * std::log10(4.0 * 50.0 * 1000.0 / (1050.0 * 1050.0));
      EXPECT_LT(s.attenuation2f0Db, wireLossDb);
      EXPECT_LT(s.attenuation3f0Db, wireLossDb);
    }
  }
}

}  // namespace
}  // namespace corvantile
