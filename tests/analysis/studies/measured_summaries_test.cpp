// The standard-value designs and the exploration between measured sides: a file holding
// exactly the typed sides' impedances gives the typed figures, a harmonic beyond a file is not
// measured, and without a file every figure is the one the typed sweep gives.
#include <algorithm>
#include <complex>
#include <numbers>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "analysis/studies/explore.h"
#include "analysis/formats/number_text.h"
#include "analysis/studies/standard_design.h"
#include "analysis/formats/touchstone_reader.h"
#include "math/design_network.h"
#include "support/design_cases.h"
#include "support/measured_files.h"

namespace corvantile {
namespace {

// Reactive and resistive ends, a Pi and a Tee.
std::vector<testing::DesignCase> Cases() {
  std::vector<testing::DesignCase> out;
  const std::vector<std::pair<testing::SideEntry, testing::SideEntry>> sides = {
      {{1, 1500.0f, 0.0f}, {1, 300.0f, 0.0f}},
      {{1, 50.0f, 25.0f}, {4, 200.0f, -300.0f}},
      {{2, 1500.0f, 2000.0f}, {3, 75.0f, 40.0f}},
  };
  for (const auto& [source, load] : sides) {
    for (const auto& [family, phase] : {std::pair{FamilyPi, -135.0f}, {FamilyTee, -120.0f}}) {
      testing::DesignCase d;
      d.family = family;
      d.phase = phase;
      d.source = source;
      d.load = load;
      d.frequency = 7.1e6f;
      d.power = 100.0f;
      out.push_back(d);
    }
  }
  return out;
}

// The sweep points, f0 and its harmonics, and every band edge the typed summaries found: at
// those the file is the typed side exactly, so the measured edges land where the typed ones do.
std::vector<double> FilePoints(double f0, int points, const std::vector<SweepSummary>& typed) {
  SweepSpan span = DefaultSweepSpan(f0);
  span.points = points;
  std::vector<double> at = SweepFrequencies(span);
  for (const double f : {f0, 2.0 * f0, 3.0 * f0}) at.push_back(f);
  for (const SweepSummary& s : typed) {
    for (const VswrBand& b : s.bands) {
      if (b.lower) at.push_back(*b.lower);
      if (b.upper) at.push_back(*b.upper);
    }
  }
  return at;
}

void ExpectSameFigures(const SweepSummary& measured, const SweepSummary& typed) {
  EXPECT_TRUE(measured.measured2f0);
  EXPECT_TRUE(measured.measured3f0);
  EXPECT_NEAR(measured.atDesign.vswr, typed.atDesign.vswr, 1e-9);
  EXPECT_NEAR(measured.attenuation2f0Db, typed.attenuation2f0Db, 1e-7);
  EXPECT_NEAR(measured.attenuation3f0Db, typed.attenuation3f0Db, 1e-7);
  for (std::size_t i = 0; i < typed.bands.size(); ++i) {
    const VswrBand& m = measured.bands[i];
    const VswrBand& t = typed.bands[i];
    EXPECT_EQ(m.matchedAtDesign, t.matchedAtDesign) << i;
    ASSERT_EQ(m.lower.has_value(), t.lower.has_value()) << i;
    ASSERT_EQ(m.upper.has_value(), t.upper.has_value()) << i;
    if (t.lower) {
      EXPECT_NEAR(*m.lower, *t.lower, 1e-8 * *t.lower) << i;
    }
    if (t.upper) {
      EXPECT_NEAR(*m.upper, *t.upper, 1e-8 * *t.upper) << i;
    }
  }
}

// Every figure of two summaries to the bit.
void ExpectIdentical(const SweepSummary& a, const SweepSummary& b) {
  EXPECT_EQ(a.atDesign.returnLossDb, b.atDesign.returnLossDb);
  EXPECT_EQ(a.atDesign.vswr, b.atDesign.vswr);
  EXPECT_EQ(a.atDesign.transducerGainDb, b.atDesign.transducerGainDb);
  EXPECT_EQ(a.attenuation2f0Db, b.attenuation2f0Db);
  EXPECT_EQ(a.attenuation3f0Db, b.attenuation3f0Db);
  EXPECT_EQ(a.measured2f0, b.measured2f0);
  EXPECT_EQ(a.measured3f0, b.measured3f0);
  for (std::size_t i = 0; i < a.bands.size(); ++i) {
    EXPECT_EQ(a.bands[i].lower, b.bands[i].lower);
    EXPECT_EQ(a.bands[i].upper, b.bands[i].upper);
    EXPECT_EQ(a.bands[i].fractional, b.bands[i].fractional);
    EXPECT_EQ(a.bands[i].matchedAtDesign, b.bands[i].matchedAtDesign);
  }
}

std::vector<SweepSummary> Summaries(const StandardSolutions& s) {
  std::vector<SweepSummary> out = {s.ideal.summary, s.nearest.summary, s.best.summary};
  for (const FixedFirstDesign& f : s.fixedFirst) {
    if (f.possible) out.push_back(f.design.summary);
  }
  return out;
}

TEST(MeasuredSummariesTest, AFileOfTheTypedSidesGivesTheTypedStandardDesigns) {
  for (const testing::DesignCase& d : Cases()) {
    SCOPED_TRACE(testing::Describe(d));
    const RunState state = testing::StateFor(d);
    const StandardSolutions typed = SolveStandardValues(state);
    ASSERT_EQ(typed.problem, CircuitProblem::None);
    const MatchingCircuit& circuit = typed.ideal.circuit;
    const std::vector<double> at =
        FilePoints(circuit.designFrequency, kStandardSummaryPoints, Summaries(typed));
    const TouchstonePort source = testing::TypedSideFile(circuit.source, at, "source.s1p");
    const TouchstonePort load = testing::TypedSideFile(circuit.load, at, "load.s1p");
    for (const MeasuredSides sides :
         {MeasuredSides{nullptr, &load}, MeasuredSides{&source, &load}}) {
      const StandardSolutions measured =
          SolveStandardValues(state, {}, IdealLossModel(), false, sides);
      ASSERT_EQ(measured.fixedFirst.size(), typed.fixedFirst.size());
      EXPECT_EQ(measured.best.circuit.elements[2].value, typed.best.circuit.elements[2].value);
      const std::vector<SweepSummary> m = Summaries(measured), t = Summaries(typed);
      ASSERT_EQ(m.size(), t.size());
      for (std::size_t k = 0; k < t.size(); ++k) {
        SCOPED_TRACE(k);
        ExpectSameFigures(m[k], t[k]);
      }
    }
  }
}

TEST(MeasuredSummariesTest, WithoutFilesTheStandardSummaryIsTheTypedSweepsToTheBit) {
  const LossModel lossy{};  // the default inductor and capacitor Q
  for (const testing::DesignCase& d : Cases()) {
    SCOPED_TRACE(testing::Describe(d));
    const CircuitBuild build = DesignCircuit(testing::StateFor(d));
    ASSERT_EQ(build.problem, CircuitProblem::None);
    for (const LossModel& losses : {IdealLossModel(), lossy}) {
      SweepSpan span = DefaultSweepSpan(build.circuit.designFrequency);
      span.points = kStandardSummaryPoints;
      const SweepSummary typed =
          SummarizeSweep(build.circuit, SweepResponse(build.circuit, span, losses), losses);
      ExpectIdentical(DescribeStandardDesign(build.circuit, losses, MeasuredSides{}).summary,
                      typed);
    }
  }
}

TEST(MeasuredSummariesTest, AFileOfTheTypedSidesGivesTheTypedExploration) {
  for (const testing::DesignCase& d : Cases()) {
    SCOPED_TRACE(testing::Describe(d));
    const RunState state = testing::StateFor(d);
    ExploreOptions options;
    options.phaseStep = 30.0;
    const Exploration typed = Explore(state, options);
    ASSERT_EQ(typed.problem, CircuitProblem::None);
    EXPECT_FALSE(typed.measuredSides);
    std::vector<SweepSummary> summaries;
    for (const Candidate& c : typed.candidates) summaries.push_back(c.summary);
    const std::vector<double> at =
        FilePoints(typed.designFrequency, options.sweepPoints, summaries);
    const CircuitBuild build = DesignCircuit(state);
    ASSERT_EQ(build.problem, CircuitProblem::None);
    const TouchstonePort source = testing::TypedSideFile(build.circuit.source, at, "source.s1p");
    const TouchstonePort load = testing::TypedSideFile(build.circuit.load, at, "load.s1p");
    options.sides = {&source, &load};
    const Exploration measured = Explore(state, options);
    EXPECT_TRUE(measured.measuredSides);
    // The bound stays the typed sides' at f0.
    EXPECT_EQ(measured.bound.fractional, typed.bound.fractional);
    ASSERT_EQ(measured.candidates.size(), typed.candidates.size());
    for (std::size_t k = 0; k < typed.candidates.size(); ++k) {
      SCOPED_TRACE(typed.candidates[k].name);
      EXPECT_EQ(measured.candidates[k].name, typed.candidates[k].name);
      ExpectSameFigures(measured.candidates[k].summary, typed.candidates[k].summary);
    }
  }
}

// A load file from f0 / 4 to 2.5 f0: the second harmonic is measured, the third is not, and a
// sort by it leaves the order as found, as for any missing figure.
TEST(MeasuredSummariesTest, AHarmonicBeyondTheFileIsNotMeasured) {
  const testing::DesignCase d = Cases()[2];
  const RunState state = testing::StateFor(d);
  const CircuitBuild build = DesignCircuit(state);
  ASSERT_EQ(build.problem, CircuitProblem::None);
  const double f0 = build.circuit.designFrequency;
  SweepSpan span{f0 / 4.0, 2.5 * f0, 101, true};
  const TouchstonePort load =
      testing::TypedSideFile(build.circuit.load, SweepFrequencies(span), "load.s1p");
  const MeasuredSides sides{nullptr, &load};

  const StandardSolutions s = SolveStandardValues(state, {}, IdealLossModel(), false, sides);
  for (const SweepSummary& summary : Summaries(s)) {
    EXPECT_TRUE(summary.measured2f0);
    EXPECT_FALSE(summary.measured3f0);
  }

  ExploreOptions options;
  options.phaseStep = 30.0;
  options.sides = sides;
  Exploration e = Explore(state, options);
  ASSERT_FALSE(e.candidates.empty());
  std::vector<std::string> found;
  for (const Candidate& c : e.candidates) {
    found.push_back(c.name);
    EXPECT_TRUE(FigureValue(c, Figure::Attenuation2f).has_value()) << c.name;
    EXPECT_FALSE(FigureValue(c, Figure::Attenuation3f).has_value()) << c.name;
  }
  SortCandidates(e.candidates, Figure::Attenuation3f);
  for (std::size_t k = 0; k < found.size(); ++k) EXPECT_EQ(e.candidates[k].name, found[k]);
  EXPECT_TRUE(ParetoFront(e.candidates, Figure::Bandwidth, Figure::Attenuation3f).empty());
}

}  // namespace
}  // namespace corvantile
