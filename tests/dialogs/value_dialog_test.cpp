#include "dialogs/value_dialog.h"

#include <string>

#include <gtest/gtest.h>

#include "dialogs/dialog_logic.h"
#include "dialogs/dialog_looks.h"
#include "state/circuit_state.h"
#include "toolkit/recording_toolkit.h"

namespace corvantile {
namespace {

using toolkit::DialogId;
using toolkit::RecordingWindow;
using toolkit::ScreenTwips;

constexpr ScreenTwips kScreen768 = {15360, 11520};

const char* BoxOf(DialogId dialog) {
  switch (dialog) {
    case DialogId::Power:
      return "txtPowerWatts";
    case DialogId::Phase:
      return "txtPhaseDegrees";
    default:
      return "txtFrequency";
  }
}
const char* NowLabelOf(DialogId dialog) {
  switch (dialog) {
    case DialogId::Power:
      return "lblPowerNow";
    case DialogId::Phase:
      return "lblPhaseNow";
    default:
      return "lblFrequencyNow";
  }
}
int ElementOf(DialogId dialog) {
  switch (dialog) {
    case DialogId::Power:
      return Power;
    case DialogId::Phase:
      return NetworkPhase;
    default:
      return Frequency;
  }
}

struct ValueCase {
  std::string name;
  DialogId dialog;
  float before;
  std::string typed;
  float stored;
};

class ValueDialogEnter : public ::testing::TestWithParam<ValueCase> {};

TEST_P(ValueDialogEnter, StoresOrPutsThePreviousValueBack) {
  const ValueCase& c = GetParam();
  RunState state = MakeDefaultRunState();
  state.NetValues[ElementOf(c.dialog)] = c.before;
  const RunState before = state;
  RecordingWindow window;
  ValueDialog dialog(state, c.dialog, window, kScreen768);
  dialog.Form_Load();
  EXPECT_EQ(dialog.savedValue(), c.before);
  window.Find(BoxOf(c.dialog)).SetText(c.typed);
  dialog.cmdExit_Click();
  EXPECT_TRUE(window.closed());
  EXPECT_FLOAT_EQ(state.NetValues[ElementOf(c.dialog)], c.stored);

  // Only the edited element moves: the phase dialog leaves the design driver alone.
  NetworkValues expected = before.NetValues;
  expected[ElementOf(c.dialog)] = state.NetValues[ElementOf(c.dialog)];
  EXPECT_EQ(state.NetValues, expected);
  EXPECT_EQ(state.SourceValues, before.SourceValues);
  EXPECT_EQ(state.LoadValues, before.LoadValues);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ValueDialogEnter,
    ::testing::Values(ValueCase{"Frequency", DialogId::Frequency, 3.75e6f, "14.2M", 14.2e6f},
                      ValueCase{"FrequencyNegative", DialogId::Frequency, 3.75e6f, "-5", 3.75e6f},
                      ValueCase{"FrequencyZero", DialogId::Frequency, 3.75e6f, "0", 3.75e6f},
                      ValueCase{"FrequencyText", DialogId::Frequency, 3.75e6f, "abc", 3.75e6f},
                      ValueCase{"FrequencyEmpty", DialogId::Frequency, 3.75e6f, "", 3.75e6f},
                      ValueCase{"FrequencyTiny", DialogId::Frequency, 3.75e6f, "1p", 1e-12f},
                      ValueCase{"Power", DialogId::Power, 1000, "1.5k", 1500},
                      ValueCase{"PowerOverflow", DialogId::Power, 1000, "1E39", 1e10f},
                      ValueCase{"PowerZero", DialogId::Power, 1000, "0", 1000},
                      ValueCase{"PowerNegative", DialogId::Power, 1000, "-2", 1000},
                      ValueCase{"PowerText", DialogId::Power, 1000, "watts", 1000},
                      ValueCase{"PhaseNegative", DialogId::Phase, -135, "-90", -90},
                      ValueCase{"PhasePositive", DialogId::Phase, -135, "45", 45},
                      ValueCase{"PhaseZero", DialogId::Phase, -135, "0", -135},
                      ValueCase{"PhaseZeroPointZero", DialogId::Phase, -135, "0.0", -135},
                      ValueCase{"PhaseEmpty", DialogId::Phase, -135, "", -135},
                      ValueCase{"PhaseHalfDegree", DialogId::Phase, -135, "-0.5", -0.5f}),
    [](const auto& row) { return row.param.name; });

struct NowCase {
  DialogId dialog;
  float value;
  std::string text;
};

class ValueDialogNow : public ::testing::TestWithParam<NowCase> {};

TEST_P(ValueDialogNow, ShowsTheSavedValue) {
  const NowCase& c = GetParam();
  RunState state = MakeDefaultRunState();
  state.NetValues[ElementOf(c.dialog)] = c.value;
  RecordingWindow window;
  ValueDialog dialog(state, c.dialog, window, kScreen768);
  dialog.Form_Load();
  EXPECT_EQ(window.Find(NowLabelOf(c.dialog)).Text(), c.text);
  EXPECT_EQ(window.Find(BoxOf(c.dialog)).Text(), "");
}

INSTANTIATE_TEST_SUITE_P(
    Texts, ValueDialogNow,
    ::testing::Values(NowCase{DialogId::Frequency, 3.75e6f, "Frequency is now  3.75 MHz"},
                      NowCase{DialogId::Power, 1000, "Power is now 1 kW"},
                      NowCase{DialogId::Power, 0.0005f, "Power is now 0 W"},
                      NowCase{DialogId::Phase, -135, "Phase is now -135 degrees"}));

TEST(ValueDialog, ClosingWithoutEnterChangesNothing) {
  for (DialogId id : {DialogId::Frequency, DialogId::Power, DialogId::Phase}) {
    RunState state = MakeDefaultRunState();
    const RunState before = state;
    RecordingWindow window;
    ValueDialog dialog(state, id, window, kScreen768);
    dialog.Form_Load();
    window.Find(BoxOf(id)).SetText("42");
    EXPECT_EQ(state.NetValues, before.NetValues);
  }
}

// The controls sit in a 6000 x 4500 space over the designed client area, with fonts from the
// screen height, and all fit inside the dialog sized to 0.3 of the screen whatever the screen.
TEST(ValueDialog, LayoutScalesWithTheScreenAndFitsTheDialog) {
  for (ScreenTwips screen : {ScreenTwips{12000, 9000}, kScreen768, ScreenTwips{28800, 16200}}) {
    for (DialogId id : {DialogId::Frequency, DialogId::Power, DialogId::Phase}) {
      RunState state = MakeDefaultRunState();
      RecordingWindow window;
      ValueDialog dialog(state, id, window, screen);
      dialog.Form_Load();
      const toolkit::LogicalScale scale = window.scale();
      EXPECT_DOUBLE_EQ(scale.twipsPerUnitX, 5880 * screen.width / 36e6);
      EXPECT_DOUBLE_EQ(scale.twipsPerUnitY, 3990 * screen.height / 20.25e6);

      const DialogPlacement place = PlaceValueDialog(screen);
      EXPECT_NEAR(place.width / scale.twipsPerUnitX, 1837, 1);
      EXPECT_NEAR(place.height / scale.twipsPerUnitY, 1523, 1);
      EXPECT_DOUBLE_EQ(place.left + place.width / 2, screen.width / 2);
      EXPECT_DOUBLE_EQ(place.top + place.height / 2, screen.height / 2);

      const toolkit::WindowLook& look = DialogLook(id);
      ASSERT_EQ(look.controls.size(), 4u);
      for (const toolkit::ControlLook& control : look.controls) {
        const toolkit::RecordingControl& placed = window.Find(control.name);
        EXPECT_DOUBLE_EQ(placed.fontSize(), screen.height * 0.0008) << control.name;
        const toolkit::LogicalRect& r = placed.geometry();
        EXPECT_GT(r.width, 0) << control.name;
        // Inside the client area, leaving room for a window frame of up to 600 twips.
        EXPECT_LT((r.left + r.width) * scale.twipsPerUnitX, place.width - 600) << control.name;
        EXPECT_LT((r.top + r.height) * scale.twipsPerUnitY, place.height - 600) << control.name;
      }
    }
  }
  RunState state = MakeDefaultRunState();
  RecordingWindow window;
  ValueDialog(state, DialogId::Frequency, window, kScreen768).Form_Load();
  EXPECT_DOUBLE_EQ(window.Find("lblFrequencyNow").fontSize(), 9.216);
  EXPECT_EQ(window.Find("cmdExit").geometry(), (toolkit::LogicalRect{700, 900, 600, 150}));
}

TEST(EntryDialogPlacement, CentredAcrossWithItsTopAThousandTwipsDown) {
  const DialogPlacement place = PlaceEntryDialog(kScreen768, 5400);
  EXPECT_DOUBLE_EQ(place.left, 4980);
  EXPECT_DOUBLE_EQ(place.top, 1000);
  EXPECT_EQ(place.width, 0);  // keeps its designed size
}

TEST(DialogLooks, CaptionsNamesAndTheEnterButton) {
  struct Expected {
    DialogId id;
    std::string name, caption;
  };
  const Expected expected[] = {
      {DialogId::Source, "frmEnterInput", "Corvantile - source value entry"},
      {DialogId::Load, "frmEnterOutput", "Corvantile - load value entry"},
      {DialogId::Frequency, "frmFrequency", "Corvantile - frequency entry"},
      {DialogId::Power, "frmPower", "Corvantile - power entry"},
      {DialogId::Phase, "frmEnterPhase", "Corvantile - phase entry"},
  };
  for (const Expected& e : expected) {
    const toolkit::WindowLook& look = DialogLook(e.id);
    EXPECT_EQ(look.name, e.name);
    EXPECT_EQ(look.caption, e.caption);
    EXPECT_EQ(look.defaultButton, "cmdExit");
    int buttons = 0;
    for (const toolkit::ControlLook& control : look.controls) {
      if (control.kind == toolkit::ControlKind::CommandButton) {
        ++buttons;
        EXPECT_EQ(control.text, "Enter");
      }
    }
    EXPECT_EQ(buttons, 1) << e.name;
  }
}

// The source and load dialogs' controls all lie inside their designed client area.
TEST(DialogLooks, EntryControlsFitTheClientArea) {
  for (DialogId id : {DialogId::Source, DialogId::Load}) {
    const toolkit::WindowLook& look = DialogLook(id);
    for (const toolkit::ControlLook& control : look.controls) {
      EXPECT_GT(control.rect.width, 0) << control.name;
      EXPECT_LE(control.rect.left + control.rect.width, look.clientWidthTwips) << control.name;
      EXPECT_LE(control.rect.top + control.rect.height, look.clientHeightTwips) << control.name;
    }
  }
}

}  // namespace
}  // namespace corvantile
