// The design window's commands: what each writes, which dialog it opens, when it refuses.
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <ostream>
#include <string>

#include <gtest/gtest.h>
#include <unistd.h>

#include "design_fixture.h"
#include "state/session_file.h"
#include "support/files.h"
#include "units/format.h"

namespace corvantile {
namespace {

using testing::DesignWindowTest;
using toolkit::DialogId;
using toolkit::Rgb;

constexpr Rgb kDesignTimeFamily{221, 248, 255};
constexpr Rgb kSelected{0, 255, 170};
constexpr Rgb kUnselected{221, 255, 255};
constexpr const char* kFamilyButtons[] = {"cmdTee", "cmdPi", "cmdLPFL", "cmdHPFL"};

struct FamilyCase {
  const char* button;
  float family;
};

void PrintTo(const FamilyCase& c, std::ostream* os) { *os << c.button; }

class FamilyCommandTest : public DesignWindowTest,
                          public ::testing::WithParamInterface<FamilyCase> {};

TEST_P(FamilyCommandTest, SelectsTheFamilyAndColoursOnlyItsButton) {
  Load();
  PutMarker();
  ASSERT_TRUE(design.Click(GetParam().button));
  EXPECT_EQ(state.NetValues[NetworkFamily], GetParam().family);
  EXPECT_FALSE(MarkerSurvived());
  for (const char* button : kFamilyButtons) {
    EXPECT_EQ(window.Find(button).background(),
              std::string_view(button) == GetParam().button ? kSelected : kUnselected)
        << button;
  }
}

INSTANTIATE_TEST_SUITE_P(Families, FamilyCommandTest,
                         ::testing::Values(FamilyCase{"cmdTee", 1}, FamilyCase{"cmdPi", 2},
                                           FamilyCase{"cmdLPFL", 3}, FamilyCase{"cmdHPFL", 4}));

TEST_F(DesignWindowTest, HighpassLFromPiResetsTheBranchAndDrawsAnLNetwork) {
  state.NetValues[SolutionBranch] = 2;
  state.NetValues[DesignDriver] = 5;  // keeps the branch through the Pi designs
  state.NetValues[NetPart2] = 1e-6f;
  Load();
  ASSERT_EQ(state.NetValues[SolutionBranch], 2);
  design.cmdHPFL_Click();
  EXPECT_EQ(state.NetValues[NetworkFamily], 4);
  EXPECT_EQ(state.NetValues[SolutionBranch], 0);
  EXPECT_EQ(window.Find("cmdHPFL").background(), kSelected);
  EXPECT_EQ(window.Find("cmdPi").background(), kUnselected);
  // One shunt element of an L has no part: its captions go.
  const int shown =
      Shown("lblChangeNetPart1") + Shown("lblChangeNetPart2") + Shown("lblChangeNetPart3");
  EXPECT_EQ(shown, 2);
}

TEST_F(DesignWindowTest, FamilyButtonsKeepTheirDesignColourUntilOneIsClicked) {
  state.NetValues[NetworkFamily] = 1;  // restored from the session: a Tee
  Load();
  for (const char* name : {"cmdPhasePlusOne", "CommandSource5", "CommandLoad5", "cmdPhase"}) {
    design.Click(name);
    for (const char* button : kFamilyButtons) {
      EXPECT_EQ(window.Find(button).background(), kDesignTimeFamily) << button << " after " << name;
    }
  }
}

TEST_F(DesignWindowTest, PhaseInAnLNetworkIsRefusedAndNothingChanges) {
  state.NetValues[NetworkFamily] = 3;
  Load();
  const RunState before = state;
  std::map<std::string, std::pair<std::string, bool>> shownBefore;
  for (const auto& [name, control] : window.controls()) {
    shownBefore[name] = {control->Text(), control->IsVisible()};
  }
  PutMarker();
  const auto callsBefore = calls().size();

  design.cmdPhase_Click();

  ASSERT_EQ(platform.messages().size(), 1u);
  EXPECT_EQ(platform.messages()[0], "You cannot specify the phase in an L-network");
  EXPECT_TRUE(platform.dialogs().empty());
  EXPECT_EQ(platform.beeps(), 0);
  EXPECT_TRUE(MarkerSurvived());  // no refresh
  EXPECT_EQ(calls().size(), callsBefore);
  EXPECT_EQ(state.SourceValues, before.SourceValues);
  EXPECT_EQ(state.NetValues, before.NetValues);
  EXPECT_EQ(state.LoadValues, before.LoadValues);
  for (const auto& [name, control] : window.controls()) {
    EXPECT_EQ(shownBefore[name], std::make_pair(control->Text(), control->IsVisible())) << name;
  }
}

TEST_F(DesignWindowTest, PhaseInPiOpensThePhaseDialogThenRefreshes) {
  Load();
  platform.onDialog = [&](DialogId) { state.NetValues[NetworkPhase] = -120; };
  PutMarker();
  design.cmdPhase_Click();
  EXPECT_EQ(platform.dialogs(), std::vector<DialogId>{DialogId::Phase});
  EXPECT_FALSE(MarkerSurvived());
  EXPECT_EQ(Caption("cmdPhase"), "Phase (r-r):  -120 deg");
  EXPECT_TRUE(platform.messages().empty());
}

TEST_F(DesignWindowTest, PlusOneThreeTimesInATeeRaisesThePhaseByThreeRefreshingEachTime) {
  state.NetValues[NetworkFamily] = 1;
  Load();
  for (int i = 1; i <= 3; ++i) {
    PutMarker();
    design.cmdPhasePlusOne_Click();
    EXPECT_FALSE(MarkerSurvived());
    EXPECT_EQ(state.NetValues[NetworkPhase], -135.0f + static_cast<float>(i));
  }
  EXPECT_EQ(Caption("cmdPhase"), "Phase (r-r):  -132 deg");
  EXPECT_FALSE(Shown("lblCaution"));
  design.cmdPhaseMinusOne_Click();
  EXPECT_EQ(state.NetValues[NetworkPhase], -133.0f);
}

TEST_F(DesignWindowTest, PlusOneInAnLIsAcceptedAndTheLDesignSetsThePhase) {
  state.NetValues[NetworkFamily] = 3;
  Load();
  const float lPhase = state.NetValues[NetworkPhase];
  ASSERT_FALSE(Shown("lblCaution"));
  design.cmdPhasePlusOne_Click();
  EXPECT_TRUE(platform.messages().empty());
  EXPECT_EQ(state.NetValues[NetworkPhase], lPhase);
}

// Stepping the phase past 180 degrees names no network: the window shows the caution state
// as for any design it cannot build, and stepping back designs again.
TEST_F(DesignWindowTest, PhaseSteppedPast180ShowsTheCaution) {
  state.NetValues[NetworkFamily] = FamilyTee;
  state.NetValues[NetworkPhase] = 180.0f;
  Load();
  design.cmdPhasePlusOne_Click();
  EXPECT_EQ(state.NetValues[NetworkPhase], 181.0f);
  EXPECT_TRUE(Shown("lblCaution"));
  EXPECT_EQ(state.NetValues[NetX2], 0.0f);
  EXPECT_GE(platform.beeps(), 1);
  design.cmdPhaseMinusOne_Click();
  design.cmdPhaseMinusOne_Click();
  EXPECT_NE(state.NetValues[NetX2], 0.0f);
}

struct SwapCase {
  float from, to;
};

void PrintTo(const SwapCase& c, std::ostream* os) { *os << c.from << "->" << c.to; }

class SeriesParallelTest : public DesignWindowTest,
                           public ::testing::WithParamInterface<SwapCase> {};

TEST_P(SeriesParallelTest, SourceToggleKeepsTheKindOfDescription) {
  state.SourceValues[EntryForm] = GetParam().from;
  Load();
  design.CommandSource5_Click();
  EXPECT_EQ(state.SourceValues[EntryForm], GetParam().to);
  EXPECT_EQ(state.SourceValues[EntryFormCopy], 1);  // only the code in use changes
}

TEST_P(SeriesParallelTest, LoadToggleKeepsTheKindOfDescription) {
  state.LoadValues[EntryForm] = GetParam().from;
  Load();
  PutMarker();
  design.CommandLoad5_Click();
  EXPECT_EQ(state.LoadValues[EntryForm], GetParam().to);
  EXPECT_FALSE(MarkerSurvived());
}

// Codes outside 1..4 (an edited session file) are left as they are.
INSTANTIATE_TEST_SUITE_P(Codes, SeriesParallelTest,
                         ::testing::Values(SwapCase{1, 2}, SwapCase{2, 1}, SwapCase{3, 4},
                                           SwapCase{4, 3}, SwapCase{0, 0}, SwapCase{5, 5},
                                           SwapCase{2.5f, 2.5f}));

TEST_F(DesignWindowTest, SeriesParallelTwiceDescribesTheSameSource) {
  state.SourceValues[SeriesX] = 700;
  Load();
  const ImpedanceValues before = state.SourceValues;
  design.CommandSource5_Click();
  design.CommandSource5_Click();
  EXPECT_EQ(state.SourceValues[EntryForm], 1);
  EXPECT_NEAR(static_cast<double>(state.SourceValues[SeriesR]),
              static_cast<double>(before[SeriesR]), 1e-3);
  EXPECT_NEAR(static_cast<double>(state.SourceValues[SeriesX]),
              static_cast<double>(before[SeriesX]), 1e-3);
}

struct EntryCase {
  const char* button;
  DialogId dialog;
  int kind;
};

void PrintTo(const EntryCase& c, std::ostream* os) { *os << c.button; }

class EntryCommandTest : public DesignWindowTest,
                         public ::testing::WithParamInterface<EntryCase> {};

TEST_P(EntryCommandTest, SetsTheEntryKindBeforeTheDialogAndShowsWhatItEntered) {
  Load();
  std::optional<int> kindSeen;
  platform.onDialog = [&](DialogId) {
    kindSeen = state.EntryKind;
    // The user enters 50 ohms in series with a capacitor of 25 ohms.
    ImpedanceValues& side =
        GetParam().dialog == DialogId::Source ? state.SourceValues : state.LoadValues;
    side[SeriesR] = 50;
    side[SeriesX] = -25;
    side[EntryForm] = 1;
  };
  ASSERT_TRUE(design.Click(GetParam().button));
  EXPECT_EQ(platform.dialogs(), std::vector<DialogId>{GetParam().dialog});
  EXPECT_EQ(kindSeen, GetParam().kind);
  const ImpedanceValues& side =
      GetParam().dialog == DialogId::Source ? state.SourceValues : state.LoadValues;
  EXPECT_FLOAT_EQ(side[ParallelR], 62.5f);  // reduced: 50 - j25 is 62.5 ohm parallel
  EXPECT_NEAR(static_cast<double>(side[Angle]), 26.565, 1e-3);
  bool printed = false;
  for (const auto& text : window.surface().printed()) {
    if (text.text == FormatQuantity(26.565052f) + "deg") printed = true;
  }
  EXPECT_TRUE(printed);
}

INSTANTIATE_TEST_SUITE_P(Buttons, EntryCommandTest,
                         ::testing::Values(EntryCase{"CommandSource1", DialogId::Source, 1},
                                           EntryCase{"CommandSource2", DialogId::Source, 2},
                                           EntryCase{"CommandSource3", DialogId::Source, 3},
                                           EntryCase{"CommandSource4", DialogId::Source, 4},
                                           EntryCase{"CommandLoad1", DialogId::Load, 1},
                                           EntryCase{"CommandLoad2", DialogId::Load, 2},
                                           EntryCase{"CommandLoad3", DialogId::Load, 3},
                                           EntryCase{"CommandLoad4", DialogId::Load, 4}));

TEST_F(DesignWindowTest, FrequencyAndPowerDialogsThenRefresh) {
  Load();
  platform.onDialog = [&](DialogId dialog) {
    if (dialog == DialogId::Frequency) state.NetValues[Frequency] = 7e6f;
    if (dialog == DialogId::Power) state.NetValues[Power] = 12345;
  };
  design.cmdFrequency_Click();
  EXPECT_EQ(Caption("cmdFrequency"), "Frequency:  " + FormatFrequency(7e6f) + "Hz");
  design.cmdPower_Click();
  EXPECT_EQ(Caption("cmdPower"), "Power:  12.345 kW");
  EXPECT_EQ(platform.dialogs(), (std::vector<DialogId>{DialogId::Frequency, DialogId::Power}));
}

TEST_F(DesignWindowTest, ClickDispatchesEveryCommandAndIgnoresLabels) {
  Load();
  EXPECT_EQ(DesignWindow::CommandNames().size(), DesignFocusOrder().size());
  for (std::size_t i = 0; i < DesignFocusOrder().size(); ++i) {
    EXPECT_EQ(DesignWindow::CommandNames()[i], DesignFocusOrder()[i]);
  }
  PutMarker();
  EXPECT_FALSE(design.Click("lblChangeNetPart1"));
  EXPECT_FALSE(design.Click("lblCaution"));
  EXPECT_FALSE(design.Click("nothing"));
  EXPECT_TRUE(MarkerSurvived());
  EXPECT_TRUE(design.Click("cmdPhaseMinusOne"));
  EXPECT_EQ(state.NetValues[NetworkPhase], -136.0f);
}

// ---- Exit ---------------------------------------------------------------------------------

class ExitTest : public DesignWindowTest {
 protected:
  void SetUp() override {
    home_ = std::filesystem::current_path();
    std::filesystem::current_path(dir_);
  }
  void TearDown() override { std::filesystem::current_path(home_); }
  const testing::ScratchFolder folder_;
  const std::filesystem::path dir_ = folder_.path();
  std::filesystem::path home_;
};

TEST_F(ExitTest, WritesTheSessionFileThenClosesAndQuits) {
  Load();
  design.cmdPhasePlusOne_Click();
  design.cmdExit_Click();
  std::ifstream file(dir_ / "LastSession.CFG", std::ios::binary);
  ASSERT_TRUE(file);
  std::string line;
  int lines = 0;
  while (std::getline(file, line)) ++lines;
  EXPECT_EQ(lines, 64);
  EXPECT_TRUE(window.closed());
  EXPECT_TRUE(platform.quit());
  EXPECT_EQ(platform.beeps(), 0);
  EXPECT_TRUE(platform.messages().empty());
  RunState reread = MakeDefaultRunState();
  ASSERT_TRUE(ReadSession(reread, dir_ / "LastSession.CFG"));
  EXPECT_EQ(reread.NetValues[NetworkPhase], -134.0f);
}

}  // namespace
}  // namespace corvantile
