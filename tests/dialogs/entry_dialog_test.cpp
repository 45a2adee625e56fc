#include "dialogs/entry_dialog.h"

#include <cmath>
#include <string>

#include <gtest/gtest.h>

#include "state/circuit_state.h"
#include "toolkit/recording_toolkit.h"

namespace corvantile {
namespace {

using toolkit::RecordingWindow;

// One side's resistance and second value for an entry kind, as the arrays hold them.
struct Side {
  int kind;
  float resistance;
  float second;
};

int ResistanceIndex(int kind) { return kind == 1 || kind == 3 ? SeriesR : ParallelR; }
int SecondIndex(int kind) {
  constexpr int kSecond[] = {SeriesX, SeriesX, ParallelX, SeriesPart, ParallelPart};
  return kSecond[kind];
}

RunState StateWith(EntrySide side, const Side& values) {
  RunState state = MakeDefaultRunState();
  ImpedanceValues& array = side == EntrySide::Source ? state.SourceValues : state.LoadValues;
  array[ResistanceIndex(values.kind)] = values.resistance;
  array[SecondIndex(values.kind)] = values.second;
  state.EntryKind = static_cast<std::int16_t>(values.kind);
  return state;
}

struct LoadCase {
  Side side;
  std::string heading, label1, label3, label4;
  bool inductor;  // Option1 selected, Option2 cleared; otherwise the reverse
};

class EntryDialogLoad : public ::testing::TestWithParam<LoadCase> {};

TEST_P(EntryDialogLoad, ShowsTheValuesOfTheKind) {
  const LoadCase& c = GetParam();
  for (EntrySide side : {EntrySide::Source, EntrySide::Load}) {
    RunState state = StateWith(side, c.side);
    RecordingWindow window;
    window.Find("Option1").SetChecked(true);  // as designed
    EntryDialog dialog(state, side, window);
    dialog.Form_Load();
    EXPECT_EQ(window.Find("lblHeading").Text(), c.heading);
    EXPECT_EQ(window.Find("Label1").Text(), c.label1);
    EXPECT_EQ(window.Find("Label2").Text(), "New resistance: ");
    EXPECT_EQ(window.Find("Label3").Text(), c.label3);
    EXPECT_EQ(window.Find("Label4").Text(), c.label4);
    EXPECT_EQ(window.Find("Option1").IsChecked(), c.inductor);
    EXPECT_EQ(window.Find("Option2").IsChecked(), !c.inductor);
    EXPECT_EQ(window.Find("Text1").Text(), "");
    EXPECT_EQ(window.Find("Text2").Text(), "");
  }
}

INSTANTIATE_TEST_SUITE_P(Kinds, EntryDialogLoad,
                         ::testing::Values(
                             // A zero reactance has an empty text: the line ends after "is now ".
                             LoadCase{{1, 1500, 0},
                                      "Enter series resistance and reactance",
                                      "Resistance is now 1.5 kohms",
                                      "Reactance is now ",
                                      "Reactance (ohms): ",
                                      true},
                             LoadCase{{2, 300, -50},
                                      "Enter parallel resistance and reactance",
                                      "Resistance is now 300 ohms",
                                      "Reactance is now -50 ",
                                      "Reactance (ohms): ",
                                      false},
                             LoadCase{{1, 1234.567f, 25.3f},
                                      "Enter series resistance and reactance",
                                      "Resistance is now 1.23457 kohms",
                                      "Reactance is now 25.3 ",
                                      "Reactance (ohms): ",
                                      true},
                             LoadCase{{3, 50, -1e-10f},
                                      "Enter series resistance and part value",
                                      "Resistance is now 50 ohms",
                                      "Value is now 100 pF",
                                      "Value (F or H): ",
                                      false},
                             LoadCase{{4, 50, 4.7e-6f},
                                      "Enter parallel resistance and part value",
                                      "Resistance is now 50 ohms",
                                      "Value is now 4.7 uH",
                                      "Value (H or F): ",
                                      true},
                             LoadCase{{3, 0, 0},
                                      "Enter series resistance and part value",
                                      "Resistance is now ohms",
                                      "Value is now ",
                                      "Value (H or F): ",
                                      true}));

struct EnterCase {
  std::string name;
  Side before;
  std::string text1, text2;
  int option;  // 1 inductor, 2 capacitor, 0 neither selected
  float resistance, second;
};

class EntryDialogEnter : public ::testing::TestWithParam<EnterCase> {};

TEST_P(EntryDialogEnter, StoresTheBoxesWithTheChosenSign) {
  const EnterCase& c = GetParam();
  for (EntrySide side : {EntrySide::Source, EntrySide::Load}) {
    RunState state = StateWith(side, c.before);
    const RunState before = state;
    RecordingWindow window;
    EntryDialog dialog(state, side, window);
    dialog.Form_Load();
    window.Find("Text1").SetText(c.text1);
    window.Find("Text2").SetText(c.text2);
    window.Find("Option1").SetChecked(c.option == 1);
    window.Find("Option2").SetChecked(c.option == 2);
    dialog.cmdExit_Click();
    EXPECT_TRUE(window.closed());

    const ImpedanceValues& array =
        side == EntrySide::Source ? state.SourceValues : state.LoadValues;
    const int kind = c.before.kind;
    EXPECT_FLOAT_EQ(array[ResistanceIndex(kind)], c.resistance);
    EXPECT_FLOAT_EQ(array[SecondIndex(kind)], c.second);
    EXPECT_FALSE(std::signbit(array[SecondIndex(kind)]) && c.second == 0.0f) << "negative zero";
    EXPECT_EQ(array[EntryForm], static_cast<float>(kind));
    EXPECT_EQ(array[EntryFormCopy], static_cast<float>(kind));

    // Nothing else moves: not the other side, not the network, not the other elements.
    ImpedanceValues expected = side == EntrySide::Source ? before.SourceValues : before.LoadValues;
    expected[ResistanceIndex(kind)] = array[ResistanceIndex(kind)];
    expected[SecondIndex(kind)] = array[SecondIndex(kind)];
    expected[EntryForm] = expected[EntryFormCopy] = static_cast<float>(kind);
    EXPECT_EQ(array, expected);
    EXPECT_EQ(state.NetValues, before.NetValues);
    EXPECT_EQ(side == EntrySide::Source ? state.LoadValues : state.SourceValues,
              side == EntrySide::Source ? before.LoadValues : before.SourceValues);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, EntryDialogEnter,
    ::testing::Values(
        EnterCase{"TypedCapacitor", {1, 1500, 0}, "50", "25", 2, 50, -25},
        EnterCase{"EmptyBoxesKeepTheValues", {1, 1500, 0}, "", "", 1, 1500, 0},
        EnterCase{"EmptyBoxesReadBackAsShown", {1, 1234.567f, 0}, "", "", 1, 1234.57f, 0},
        EnterCase{"CapacitorTurnsAReactanceNegative", {2, 100, 50}, "", "", 2, 100, -50},
        EnterCase{"CapacitorTurnsAnInductorNegative", {3, 50, 4.7e-6f}, "", "", 2, 50, -4.7e-6f},
        EnterCase{"CapacitorStaysACapacitor", {3, 50, -1e-10f}, "", "", 2, 50, -1e-10f},
        EnterCase{"InductorDropsATypedMinus", {1, 1500, 0}, "", "-25", 1, 1500, 25},
        EnterCase{"NeitherOptionKeepsTheTypedSign", {4, 50, 1e-6f}, "", "-2u", 0, 50, -2e-6f},
        EnterCase{"NegativeResistanceIsStoredAsItsMagnitude", {1, 1500, 0}, "-75", "", 1, 75, 0},
        EnterCase{"UnusableTextIsZero", {2, 300, 40}, "abc", "xyz", 1, 0, 0},
        EnterCase{"ZeroCapacitorIsPlainZero", {1, 1500, 0}, "", "", 2, 1500, 0}),
    [](const auto& row) { return row.param.name; });

TEST(EntryDialog, EmptyBoxesShowTheTextTheyReadBack) {
  RunState state = StateWith(EntrySide::Source, {3, 1500, -1e-10f});
  RecordingWindow window;
  EntryDialog dialog(state, EntrySide::Source, window);
  dialog.Form_Load();
  dialog.cmdExit_Click();
  EXPECT_EQ(window.Find("Text1").Text(), "1.5 k");
  EXPECT_EQ(window.Find("Text2").Text(), "100 pF");
  EXPECT_FLOAT_EQ(dialog.parsedResistance(), 1500);
}

TEST(EntryDialog, ClosingWithoutEnterKeepsTheNewKindOnly) {
  RunState state = MakeDefaultRunState();
  state.LoadValues[EntryForm] = 1;
  state.LoadValues[EntryFormCopy] = 1;
  state.EntryKind = 4;
  RunState before = state;
  RecordingWindow window;
  EntryDialog dialog(state, EntrySide::Load, window);
  dialog.Form_Load();
  window.Find("Text1").SetText("999");  // typed, then the window is closed by its frame

  before.LoadValues[EntryForm] = 4;
  before.LoadValues[EntryFormCopy] = 4;
  EXPECT_EQ(state.LoadValues, before.LoadValues);
  EXPECT_EQ(state.SourceValues, before.SourceValues);
}

TEST(EntryDialog, AKindOutsideOneToFourIsTheSeriesReactanceForm) {
  RunState state = MakeDefaultRunState();
  state.EntryKind = 0;
  RecordingWindow window;
  EntryDialog dialog(state, EntrySide::Source, window);
  dialog.Form_Load();
  EXPECT_EQ(dialog.kind(), 1);
  EXPECT_EQ(state.SourceValues[EntryForm], 1.0f);
  EXPECT_EQ(window.Find("lblHeading").Text(), "Enter series resistance and reactance");
}

}  // namespace
}  // namespace corvantile
