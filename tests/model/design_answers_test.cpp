// The answers every front end renders, held against the pieces they are made of: when losses
// are switched on, the report's text and the PDF's inputs.
#include "model/design_answers.h"

#include <cmath>
#include <string>

#include <gtest/gtest.h>

#include "analysis/solvers/lossy_network.h"
#include "analysis/studies/standard_design.h"

namespace corvantile {
namespace {

struct LossesCase {
  const char* name;
  std::optional<LossSettings> losses;
  bool on;
};

class LossesSwitchedOnTest : public ::testing::TestWithParam<LossesCase> {};

TEST_P(LossesSwitchedOnTest, OnlyAPartWithAQAboveZeroSwitchesThemOn) {
  EXPECT_EQ(LossesSwitchedOn(GetParam().losses), GetParam().on);
}

INSTANTIATE_TEST_SUITE_P(
    Settings, LossesSwitchedOnTest,
    ::testing::Values(
        LossesCase{"NoMember", std::nullopt, false},
        LossesCase{"EveryPartIdeal", LossSettings{}, false},
        LossesCase{"CompensateAlone", LossSettings{0, 0.5, 0, 0, {}, true}, false},
        LossesCase{"Inductors", LossSettings{100, 0.5, 0, 0, {}, false}, true},
        LossesCase{"Capacitors", LossSettings{0, 0.5, 1000, 0, {}, false}, true},
        LossesCase{"OneElement", LossSettings{0, 0.5, 0, 0, {std::nullopt, 80.0, std::nullopt}},
                   true},
        LossesCase{"ElementIdealToo", LossSettings{0, 0.5, 0, 0, {0.0, std::nullopt, 0.0}}, false},
        LossesCase{"NotANumber", LossSettings{std::nan(""), 0.5, -3, 0, {}, false}, false}),
    [](const ::testing::TestParamInfo<LossesCase>& tested) {
      return std::string(tested.param.name);
    });

class DesignReportTest : public ::testing::Test {
 protected:
  DesignReportTest() { outcome = RunDesignPass(state); }
  // The model of `settings` over the default design.
  std::string Text() const { return ReportTextOf(DesignModel(MakeDefaultRunState(), settings)); }
  RunState state = MakeDefaultRunState();
  DesignOutcome outcome = DesignOutcome::NotDesigned;
  Settings settings;
};

TEST_F(DesignReportTest, TextIsTheReportAloneWithoutLossesOrMeasuredSides) {
  EXPECT_EQ(Text(), report::DesignReport(state, outcome));
}

TEST_F(DesignReportTest, LossesAddTheLossesBlockOfTheSettingsModel) {
  settings.losses = LossSettings{150, 0.5, 900, 0, {std::nullopt, std::nullopt, 60.0}, true};
  const std::string text = Text();
  const std::string block = report::LossesBlock(state, outcome, LossModelOf(settings.losses), true);
  EXPECT_EQ(text, report::DesignReport(state, outcome) + block);
  EXPECT_NE(block.find("Compensated for losses"), std::string::npos);
  EXPECT_NE(block.find("60 (constant Q)"), std::string::npos) << block;
}

TEST_F(DesignReportTest, InputsCarryTheStateTheSwitchedOnLossesTheSidesAndTheLines) {
  report::ReportInputs inputs =
      ReportOf(DesignModel(MakeDefaultRunState(), settings), {"one", "two"});
  EXPECT_EQ(inputs.state.NetValues, state.NetValues);
  EXPECT_EQ(inputs.outcome, DesignOutcome::Designed);
  EXPECT_FALSE(inputs.losses);
  EXPECT_FALSE(inputs.measuredSource);
  EXPECT_FALSE(inputs.measuredLoad);
  EXPECT_EQ(inputs.toleranceLines, (std::vector<std::string>{"one", "two"}));

  settings.losses = LossSettings{0, 0.5, 700, 0.25, {}, false};
  inputs = ReportOf(DesignModel(MakeDefaultRunState(), settings));
  ASSERT_TRUE(inputs.losses);
  EXPECT_EQ(inputs.losses->capacitor.q0, 700);
  EXPECT_EQ(inputs.losses->capacitor.law, 0.25);
  EXPECT_FALSE(IsLossy(inputs.losses->inductor));
  EXPECT_TRUE(inputs.toleranceLines.empty());
}

TEST(ToleranceOf, EverySeriesCountNamesItsSeries) {
  for (int count : kSeriesCounts) {
    EXPECT_EQ(SeriesCount(SeriesOfCount(count)), count);
    EXPECT_EQ(SeriesName(SeriesOfCount(count)), "E" + std::to_string(count));
  }
  EXPECT_EQ(SeriesOfCount(7), StandardSeries::E12);
}

TEST(ToleranceOf, TheRequestBuildsTheChosenNetworkWithTheSettings) {
  const DesignModel model;
  const RunState& state = model.state();
  ToleranceSettings s;
  s.standard = ToleranceStandard::Nearest;
  s.inductorSeries = 6;
  s.inductorTolerance = 0.1;
  s.capacitorTolerance = 0.02;
  s.normal = true;
  s.builds = 123;
  s.seed = 99;
  const ToleranceRequest r = ToleranceOf(model, s);
  ASSERT_TRUE(r.hasNetwork);
  StandardChoice choice;
  choice.inductors = StandardSeries::E6;
  const MatchingCircuit nearest = NearestStandardCircuit(DesignCircuit(state).circuit, choice);
  for (std::size_t k = 0; k < 3; ++k) {
    EXPECT_EQ(r.circuit.elements[k].kind, nearest.elements[k].kind);
    EXPECT_EQ(r.circuit.elements[k].value, nearest.elements[k].value);
    // Each part's tolerance follows its kind.
    const PartKind kind = r.circuit.elements[k].kind;
    const double expected = kind == PartKind::Inductor    ? 0.1
                            : kind == PartKind::Capacitor ? 0.02
                                                          : 0.0;
    EXPECT_EQ(r.options.tolerance[k], expected) << k;
  }
  EXPECT_EQ(r.options.distribution, ToleranceDistribution::Normal);
  EXPECT_EQ(r.options.builds, 123);
  EXPECT_EQ(r.options.seed, 99u);
  ASSERT_TRUE(r.options.envelope);
  EXPECT_EQ(r.options.envelope->from, DefaultSweepSpan(r.circuit.designFrequency).from);
  EXPECT_EQ(r.options.progress, nullptr);
}

// With the Response page's losses the request builds with them, picks the best combination by
// them and, compensated, starts from the design the Response page shows.
TEST(ToleranceOf, TheRequestCarriesTheLossesAndTheCompensatedDesign) {
  DesignModel model;
  const RunState& state = model.state();
  LossModel losses;
  losses.inductor = {30.0, 0.5};
  losses.capacitor = {200.0, 0.0};
  model.settings().losses = LossSettingsOf(losses, false);
  ToleranceSettings s;
  s.standard = ToleranceStandard::Best;
  const MatchingCircuit designed = DesignCircuit(state).circuit;
  const ToleranceRequest lossy = ToleranceOf(model, s);
  EXPECT_EQ(lossy.options.losses.inductor.q0, 30.0);
  EXPECT_EQ(lossy.options.losses.capacitor.q0, 200.0);
  const MatchingCircuit best = BestStandardCircuit(designed, {}, losses);
  for (std::size_t k = 0; k < 3; ++k) {
    EXPECT_EQ(lossy.circuit.elements[k].value, best.elements[k].value);
  }
  s.standard = ToleranceStandard::None;
  model.settings().losses = LossSettingsOf(losses, true);
  const ToleranceRequest compensated = ToleranceOf(model, s);
  const MatchingCircuit expected =
      CompensateLosses(designed, losses, state.NetValues[DesignDriver]).circuit;
  for (std::size_t k = 0; k < 3; ++k) {
    EXPECT_EQ(compensated.circuit.elements[k].value, expected.elements[k].value);
  }
  EXPECT_NE(compensated.circuit.elements[0].value, designed.elements[0].value);
  // Without losses the request is the lossless one.
  model.settings().losses.reset();
  EXPECT_FALSE(IsLossy(ToleranceOf(model, s).options.losses.inductor));
}

TEST(ToleranceOf, AnImpossibleDesignAsksForNoRun) {
  DesignModel model;
  model.state().NetValues[NetworkPhase] = 0.0f;
  const ToleranceRequest r = ToleranceOf(model, {});
  EXPECT_FALSE(r.hasNetwork);
  EXPECT_EQ(r.noNetworkReason, "no network can be designed for these values");
}

}  // namespace
}  // namespace corvantile
