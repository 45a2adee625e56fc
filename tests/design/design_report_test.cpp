// The design report's window side without a display: when the settings switch losses on, what
// the copied text and the PDF's inputs are made of, the name the report is offered under, and
// the write's error.
#include "design/design_report.h"

#include <gtest/gtest.h>

#include "analysis/circuits/part_losses.h"
#include "report/report_text.h"
#include "state/names.h"
#include "support/files.h"

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
  RunState state = MakeDefaultRunState();
  DesignOutcome outcome = DesignOutcome::NotDesigned;
  Settings settings;
};

TEST_F(DesignReportTest, TextIsTheReportAloneWithoutLossesOrMeasuredSides) {
  EXPECT_EQ(DesignReportText(state, outcome, settings), report::DesignReport(state, outcome));
}

TEST_F(DesignReportTest, LossesAddTheLossesBlockOfTheSettingsModel) {
  settings.losses = LossSettings{150, 0.5, 900, 0, {std::nullopt, std::nullopt, 60.0}, true};
  const std::string text = DesignReportText(state, outcome, settings);
  const std::string block = report::LossesBlock(state, outcome, LossModelOf(settings.losses), true);
  EXPECT_EQ(text, report::DesignReport(state, outcome) + block);
  EXPECT_NE(block.find("Compensated for losses"), std::string::npos);
  EXPECT_NE(block.find("60 (constant Q)"), std::string::npos) << block;
}

TEST_F(DesignReportTest, AMeasuredFileThatNoLongerReadsGivesTheStatesValues) {
  settings.measuredLoad = MeasuredSide{"/nowhere/gone.s2p", 2};
  const std::string text = DesignReportText(state, outcome, settings);
  EXPECT_EQ(text, report::DesignReport(state, outcome) +
                      "Load: measured, gone.s2p port 2: " + "300 + j0 ohms at 3.75 MHz\n");
}

TEST_F(DesignReportTest, InputsCarryTheStateTheSwitchedOnLossesTheSidesAndTheLines) {
  settings.measuredSource = MeasuredSide{"a.s1p", 1};
  report::ReportInputs inputs = DesignReportInputs(state, outcome, settings, {"one", "two"});
  EXPECT_EQ(inputs.state.NetValues, state.NetValues);
  EXPECT_EQ(inputs.outcome, DesignOutcome::Designed);
  EXPECT_FALSE(inputs.losses);
  EXPECT_EQ(inputs.measuredSource, settings.measuredSource);
  EXPECT_FALSE(inputs.measuredLoad);
  EXPECT_EQ(inputs.toleranceLines, (std::vector<std::string>{"one", "two"}));

  settings.losses = LossSettings{0, 0.5, 700, 0.25, {}, false};
  inputs = DesignReportInputs(state, outcome, settings);
  ASSERT_TRUE(inputs.losses);
  EXPECT_EQ(inputs.losses->capacitor.q0, 700);
  EXPECT_EQ(inputs.losses->capacitor.law, 0.25);
  EXPECT_FALSE(IsLossy(inputs.losses->inductor));
  EXPECT_TRUE(inputs.toleranceLines.empty());
}

TEST(SuggestedReportFile, TheDesignFilesNameWithPdfOrDesignPdf) {
  EXPECT_EQ(SuggestedReportFile(std::nullopt), "design.pdf");
  EXPECT_EQ(SuggestedReportFile(std::filesystem::path("designs/tank.cfg")), "designs/tank.pdf");
  EXPECT_EQ(SuggestedReportFile(std::filesystem::path("LastSession.CFG")), "LastSession.pdf");
  EXPECT_EQ(SuggestedReportFile(std::filesystem::path("noextension")), "noextension.pdf");
}

TEST(WriteDesignReport, WritesThePdfOrSaysWhyNotInOneLine) {
  const testing::ScratchFolder folder;
  report::ReportInputs inputs;
  inputs.state = MakeDefaultRunState();
  inputs.outcome = RunDesignPass(inputs.state);
  std::string error;
  ASSERT_TRUE(WriteDesignReport(inputs, folder.path() / "r.pdf", error)) << error;
  EXPECT_EQ(testing::ReadBytes(folder.path() / "r.pdf"), report::DesignReportPdf(inputs));
  EXPECT_FALSE(WriteDesignReport(inputs, folder.path() / "missing" / "r.pdf", error));
  EXPECT_NE(error.find("cannot write"), std::string::npos) << error;
  EXPECT_EQ(error.find('\n'), std::string::npos);
}

}  // namespace
}  // namespace corvantile
