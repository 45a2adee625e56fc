// The captions and label visibility RefreshDesign writes.
#include <cmath>
#include <ostream>
#include <string>

#include <gtest/gtest.h>

#include "design/display_capture.h"
#include "design_fixture.h"
#include "units/format.h"

namespace corvantile {
namespace {

using testing::DesignWindowTest;

// An unknown family designs nothing, so the network values set here reach the display as
// they are.
void KeepNetworkValues(RunState& state) { state.NetValues[NetworkFamily] = 0; }

struct PartCase {
  float part;
  bool shown;
  std::string text;  // lblChangeNetPart2
};

void PrintTo(const PartCase& c, std::ostream* os) { *os << c.part; }

class PartCaptionTest : public DesignWindowTest, public ::testing::WithParamInterface<PartCase> {};

TEST_P(PartCaptionTest, ShownOnlyBetweenTinyAndTen) {
  KeepNetworkValues(state);
  state.NetValues[NetPart2] = GetParam().part;
  state.NetValues[NetX2] = -25.3f;
  Load();
  EXPECT_EQ(Shown("lblChangeNetPart2"), GetParam().shown);
  EXPECT_EQ(Shown("lblChangeNetX2"), GetParam().shown);
  EXPECT_EQ(Caption("lblChangeNetPart2"), GetParam().text);
  EXPECT_EQ(Caption("lblChangeNetX2"), "-25.3 ohms");
}

INSTANTIATE_TEST_SUITE_P(Thresholds, PartCaptionTest,
                         ::testing::Values(PartCase{0.0f, false, FormatInductance(0.0f)},
                                           PartCase{1e-13f, true, FormatInductance(1e-13f)},
                                           PartCase{9e-14f, false, FormatInductance(9e-14f)},
                                           PartCase{10.0f, true, FormatInductance(10.0f)},
                                           PartCase{10.5f, false, FormatInductance(10.5f)},
                                           PartCase{-20.0f, false, FormatCapacitance(20.0f)},
                                           PartCase{-10.0f, true, FormatCapacitance(10.0f)},
                                           PartCase{2.2e-7f, true, "220 nH"},
                                           PartCase{-2.2e-9f, true, "2200 pF"}));

TEST_F(DesignWindowTest, EachElementWritesItsOwnLabels) {
  KeepNetworkValues(state);
  state.NetValues[NetPart1] = 2.2e-7f;
  state.NetValues[NetPart2] = -2.2e-9f;
  state.NetValues[NetPart3] = 0.5f;
  state.NetValues[NetX1] = 1234.567f;
  state.NetValues[NetX2] = -25.3f;
  state.NetValues[NetX3] = 0;
  Load();
  EXPECT_EQ(Caption("lblChangeNetPart1"), "220 nH");
  EXPECT_EQ(Caption("lblChangeNetPart2"), "2200 pF");
  EXPECT_EQ(Caption("lblChangeNetPart3"), "500 mH");
  EXPECT_EQ(Caption("lblChangeNetX1"), "1.23457 kohms");
  EXPECT_EQ(Caption("lblChangeNetX2"), "-25.3 ohms");
  EXPECT_EQ(Caption("lblChangeNetX3"), FormatEngineering(0) + "ohms");
}

struct PartLoadCase {
  std::string name;
  float volts, amps, power;
  bool shown;
};

void PrintTo(const PartLoadCase& c, std::ostream* os) { *os << c.name; }

class PartVoltsAmpsTest : public DesignWindowTest,
                          public ::testing::WithParamInterface<PartLoadCase> {};

TEST_P(PartVoltsAmpsTest, ShownOnlyWithPowerAndBothInRange) {
  KeepNetworkValues(state);
  for (int k = 0; k < 3; ++k) {
    state.NetValues[NetPart1Volts + k] = 100;
    state.NetValues[NetPart1Amps + k] = 2;
  }
  state.NetValues[NetPart2Volts] = GetParam().volts;
  state.NetValues[NetPart2Amps] = GetParam().amps;
  state.NetValues[Power] = GetParam().power;
  Load();
  EXPECT_EQ(Shown("lblNetPart2Volts"), GetParam().shown);
  EXPECT_EQ(Shown("lblNetPart2Amps"), GetParam().shown);
  const bool othersShown = GetParam().power > 0;  // hidden from design time otherwise
  for (const char* other :
       {"lblNetPart1Volts", "lblNetPart1Amps", "lblNetPart3Volts", "lblNetPart3Amps"}) {
    EXPECT_EQ(Shown(other), othersShown) << other;
  }
  EXPECT_EQ(Caption("lblNetPart2Volts"), FormatQuantity(GetParam().volts) + "V");
  EXPECT_EQ(Caption("lblNetPart2Amps"), FormatQuantity(GetParam().amps) + "A");
}

INSTANTIATE_TEST_SUITE_P(
    Ranges, PartVoltsAmpsTest,
    ::testing::Values(PartLoadCase{"InRange", 100, 2, 1000, true},
                      PartLoadCase{"CurrentAbove1e5", 100, 2e5f, 1000, false},
                      PartLoadCase{"CurrentAt1e5", 100, 1e5f, 1000, true},
                      PartLoadCase{"CurrentAtMinimum", 100, 1e-6f, 1000, true},
                      PartLoadCase{"CurrentBelowMinimum", 100, 9e-7f, 1000, false},
                      PartLoadCase{"VoltsAtMinimum", 1e-7f, 2, 1000, true},
                      PartLoadCase{"VoltsBelowMinimum", 9e-8f, 2, 1000, false},
                      PartLoadCase{"VoltsAtMaximum", 1e6f, 2, 1000, true},
                      PartLoadCase{"VoltsAboveMaximum", 1.1e6f, 2, 1000, false},
                      PartLoadCase{"NegativeVolts", -5, 2, 1000, false},
                      PartLoadCase{"NoPower", 100, 2, 0, false},
                      PartLoadCase{"NegativePower", 100, 2, -1, false}),
    [](const auto& param) { return param.param.name; });

TEST_F(DesignWindowTest, WithoutPowerThePartLabelsKeepTheirVisibilityUnlessOutOfRange) {
  KeepNetworkValues(state);
  for (int k = 0; k < 3; ++k) {
    state.NetValues[NetPart1Volts + k] = 100;
    state.NetValues[NetPart1Amps + k] = 2;
  }
  Load();
  ASSERT_TRUE(Shown("lblNetPart1Volts"));
  state.NetValues[Power] = 0;
  design.RefreshDesign();
  EXPECT_TRUE(Shown("lblNetPart1Volts"));
  EXPECT_TRUE(Shown("lblNetPart3Amps"));
  state.NetValues[NetPart3Amps] = 2e5f;
  design.RefreshDesign();
  EXPECT_FALSE(Shown("lblNetPart3Volts"));
  EXPECT_FALSE(Shown("lblNetPart3Amps"));
  state.NetValues[NetPart3Amps] = 2;
  design.RefreshDesign();  // no power: nothing shows them again
  EXPECT_FALSE(Shown("lblNetPart3Amps"));
  EXPECT_TRUE(Shown("lblNetPart1Amps"));
}

// The same 50 + j50 ohm in each entry form: an angle of -45 degrees.
void EnterFiftyPlusJFifty(ImpedanceValues& values, float form, double omega) {
  values[EntryForm] = form;
  values[SeriesR] = 50;
  values[SeriesX] = 50;
  values[SeriesPart] = static_cast<float>(50.0 / omega);
  values[ParallelR] = 100;
  values[ParallelX] = 100;
  values[ParallelPart] = static_cast<float>(100.0 / omega);
}

struct FormPair {
  int source, load;
};

void PrintTo(const FormPair& c, std::ostream* os) { *os << c.source << "/" << c.load; }

class ShownPhaseTest : public DesignWindowTest, public ::testing::WithParamInterface<FormPair> {};

// Only sides not entered as parallel R, jX take their angle off the phase shown.
TEST_P(ShownPhaseTest, SubtractsTheAnglesOfSidesNotInParallelReactanceForm) {
  KeepNetworkValues(state);
  const double omega = state.startup.TwoPi * 3750000.0;
  EnterFiftyPlusJFifty(state.SourceValues, static_cast<float>(GetParam().source), omega);
  EnterFiftyPlusJFifty(state.LoadValues, static_cast<float>(GetParam().load), omega);
  Load();
  const int counted = (GetParam().source != 2) + (GetParam().load != 2);
  EXPECT_NEAR(static_cast<double>(design.ShownPhase()), -135.0 + 45.0 * counted, 1e-3);
  EXPECT_EQ(Caption("lblNetworkPhase"),
            "Network phase:  " + FormatEngineering(design.ShownPhase()));
  EXPECT_EQ(Caption("cmdPhase"), "Phase (r-r):  -135 deg");
}

INSTANTIATE_TEST_SUITE_P(AllFormPairs, ShownPhaseTest,
                         ::testing::Values(FormPair{1, 1}, FormPair{1, 2}, FormPair{1, 3},
                                           FormPair{1, 4}, FormPair{2, 1}, FormPair{2, 2},
                                           FormPair{2, 3}, FormPair{2, 4}, FormPair{3, 1},
                                           FormPair{3, 2}, FormPair{3, 3}, FormPair{3, 4},
                                           FormPair{4, 1}, FormPair{4, 2}, FormPair{4, 3},
                                           FormPair{4, 4}));

TEST_F(DesignWindowTest, ResultLinesAndButtonsCarryTheirPrefixes) {
  KeepNetworkValues(state);
  state.NetValues[InputQ] = 2.5f;
  state.NetValues[OutputQ] = 12345;
  state.NetValues[IntermediateR] = 0.0012345f;
  Load();
  EXPECT_EQ(Caption("lblInputQ"), "Input Q:  " + FormatQuantity(2.5f));
  EXPECT_EQ(Caption("lblOutputQ"), "Output Q:  12.345 k");
  EXPECT_EQ(Caption("lblIntermediateR"), "Intermediate r:   0.00123 ");
  EXPECT_EQ(Caption("cmdFrequency"), "Frequency:   3.75 MHz");
  EXPECT_EQ(Caption("cmdPower"), "Power:  " + FormatQuantity(1000) + "W");
  EXPECT_EQ(Caption("cmdPhase"), "Phase (r-r):  -135 deg");
}

TEST_F(DesignWindowTest, DefaultCircuitShowsAPiWithEveryLabelAndNoCaution) {
  Load();
  for (const char* name :
       {"lblChangeNetPart1", "lblChangeNetPart2", "lblChangeNetPart3", "lblChangeNetX1",
        "lblChangeNetX2", "lblChangeNetX3", "lblNetPart1Volts", "lblNetPart1Amps",
        "lblNetPart2Volts", "lblNetPart2Amps", "lblNetPart3Volts", "lblNetPart3Amps"}) {
    EXPECT_TRUE(Shown(name)) << name;
  }
  EXPECT_FALSE(Shown("lblCaution"));
  EXPECT_EQ(platform.beeps(), 0);
}

// ---- The caution label --------------------------------------------------------------------

TEST_F(DesignWindowTest, CautionShowsWithABeepOnAnImpossibleDesignAndGoesWithTheNextGoodOne) {
  Load();
  state.NetValues[Frequency] = 0;  // no part values without a frequency
  design.RefreshDesign();
  EXPECT_TRUE(Shown("lblCaution"));
  EXPECT_EQ(platform.beeps(), 1);
  // The cleared results hide the part labels.
  EXPECT_FALSE(Shown("lblChangeNetPart1"));
  EXPECT_FALSE(Shown("lblNetPart2Volts"));
  EXPECT_EQ(Caption("cmdPhase"), "Phase (r-r):  -135 deg");  // the fixed quantity stays

  design.RefreshDesign();  // still impossible: beeps again
  EXPECT_TRUE(Shown("lblCaution"));
  EXPECT_EQ(platform.beeps(), 2);

  state.NetValues[Frequency] = 3750000;
  design.RefreshDesign();
  EXPECT_FALSE(Shown("lblCaution"));
  EXPECT_EQ(platform.beeps(), 2);
  EXPECT_TRUE(Shown("lblChangeNetPart1"));
}

TEST_F(DesignWindowTest, NothingDesignedIsNoCaution) {
  state.NetValues[Frequency] = 0;
  Load();
  ASSERT_TRUE(Shown("lblCaution"));
  state.NetValues[DesignMode] = -1;  // analysis only
  design.RefreshDesign();
  EXPECT_FALSE(Shown("lblCaution"));
  EXPECT_EQ(platform.beeps(), 1);
}

TEST(DisplayCapture, ReadsBackWhatTheWindowShowsWithoutTouchingTheCaller) {
  RunState state = MakeDefaultRunState();
  const DisplayCapture shown = CaptureDisplay(state);
  EXPECT_EQ(state.NetValues[NetX1], 0.0f);  // the copy was designed, not this state
  EXPECT_EQ(shown.captions.size(), 19u);
  EXPECT_EQ(shown.visible.size(), 13u);
  EXPECT_EQ(shown.captions.at("cmdFrequency"), "Frequency:   3.75 MHz");
  EXPECT_EQ(shown.captions.at("cmdPhase"), "Phase (r-r):  -135 deg");
  EXPECT_FALSE(shown.visible.at("lblCaution"));
  EXPECT_TRUE(shown.visible.at("lblNetPart2Amps"));

  state.NetValues[Frequency] = 0;
  const DisplayCapture failed = CaptureDisplay(state);
  EXPECT_TRUE(failed.visible.at("lblCaution"));
  EXPECT_FALSE(failed.visible.at("lblNetPart2Amps"));
  EXPECT_FALSE(failed.visible.at("lblChangeNetPart1"));
}

}  // namespace
}  // namespace corvantile
