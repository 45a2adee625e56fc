// The design window's entry commands driving the dialogs' logic, with the recording toolkit
// standing in for the screen and the user.
#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "design/design_window.h"
#include "dialogs/dialog_logic.h"
#include "state/circuit_state.h"
#include "toolkit/recording_toolkit.h"

namespace corvantile {
namespace {

using toolkit::DialogId;
using toolkit::RecordingPlatform;
using toolkit::RecordingWindow;

// Opens each dialog the design window asks for, lets `user` act on it, then presses "Enter"
// unless the user closed it some other way.
class DialogDriver {
 public:
  DialogDriver(RunState& state, RecordingPlatform& platform) : state_(state) {
    platform.onDialog = [this, &platform](DialogId id) {
      RecordingWindow dialog;
      auto logic = MakeDialogLogic(id, state_, dialog, platform.screen());
      logic->Form_Load();
      const bool enter = user ? user(dialog) : true;
      if (enter) logic->cmdExit_Click();
    };
  }
  // Types into the dialog; returns false to close it without "Enter".
  std::function<bool(RecordingWindow&)> user;

 private:
  RunState& state_;
};

struct Fixture : ::testing::Test {
  RunState state = MakeDefaultRunState();
  RecordingPlatform platform;
  RecordingWindow window;
  DesignWindow design{state, window, platform};
  DialogDriver driver{state, platform};
};

// The load entered as 50 and 25 with "capacitor" through "Enter series R, jX": the dialog
// stores 50 and -25, the reduction derives the parallel form and the window shows the design.
TEST_F(Fixture, LoadEnteredAsSeriesRAndCapacitiveReactance) {
  design.FormLoad();
  driver.user = [](RecordingWindow& dialog) {
    dialog.Find("Text1").SetText("50");
    dialog.Find("Text2").SetText("25");
    dialog.Find("Option1").SetChecked(false);
    dialog.Find("Option2").SetChecked(true);
    return true;
  };
  design.CommandLoad1_Click();
  ASSERT_EQ(platform.dialogs(), std::vector<DialogId>{DialogId::Load});
  EXPECT_EQ(state.EntryKind, 1);
  EXPECT_EQ(state.LoadValues[SeriesR], 50.0f);
  EXPECT_EQ(state.LoadValues[SeriesX], -25.0f);
  EXPECT_EQ(state.LoadValues[EntryForm], 1.0f);
  // 50 - j25 in parallel form: 62.5 ohms with -125 ohms.
  EXPECT_FLOAT_EQ(state.LoadValues[ParallelR], 62.5f);
  EXPECT_FLOAT_EQ(state.LoadValues[ParallelX], -125.0f);
  // The refresh redrew the schematic with the load's new resistance printed.
  bool printed = false;
  for (const auto& text : window.surface().printed()) printed |= text.text == "50 ";
  EXPECT_TRUE(printed);
}

TEST_F(Fixture, FrequencyPowerAndPhaseCommandsStoreTheTypedValues) {
  design.FormLoad();
  struct Command {
    void (DesignWindow::*click)();
    const char* box;
    const char* typed;
    int element;
    float stored;
  };
  const Command commands[] = {
      {&DesignWindow::cmdFrequency_Click, "txtFrequency", "14.2M", Frequency, 14.2e6f},
      {&DesignWindow::cmdPower_Click, "txtPowerWatts", "1.5k", Power, 1500},
      {&DesignWindow::cmdPhase_Click, "txtPhaseDegrees", "-90", NetworkPhase, -90},
  };
  for (const Command& command : commands) {
    driver.user = [&command](RecordingWindow& dialog) {
      dialog.Find(command.box).SetText(command.typed);
      return true;
    };
    (design.*command.click)();
    EXPECT_FLOAT_EQ(state.NetValues[command.element], command.stored) << command.box;
  }
  EXPECT_EQ(platform.dialogs(),
            (std::vector<DialogId>{DialogId::Frequency, DialogId::Power, DialogId::Phase}));
}

}  // namespace
}  // namespace corvantile
