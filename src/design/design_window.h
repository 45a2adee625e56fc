#pragma once

// The design window's logic: its load routine, the recalculate-and-display routine, the drawn
// schematic and the click handlers of every command, written against the toolkit interface.
// The window keeps no design state of its own: everything lives in the RunState it is given.
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>
#include <utility>

#include "design/design_controls.h"
#include "design/symbols.h"
#include "math/design_network.h"
#include "state/circuit_state.h"
#include "toolkit/toolkit.h"

namespace corvantile {

inline constexpr std::string_view kPhaseInLNetworkMessage =
    "You cannot specify the phase in an L-network";

// Family buttons: the chosen one and the others, once a family button has been clicked.
inline constexpr toolkit::Rgb kFamilySelectedColour{0, 255, 170};
inline constexpr toolkit::Rgb kFamilyUnselectedColour{221, 255, 255};

// The panel behind the network and its outline.
inline constexpr toolkit::Rgb kPanelFill{221, 248, 255};
inline constexpr toolkit::Rgb kPanelOutline{17, 255, 255};

// 'Corvantile Version 3.01 - design and analysis ' while no session file has been written.
std::string DesignCaption(const StartupValues& startup);

class DesignWindow {
 public:
  DesignWindow(RunState& state, toolkit::Window& window, toolkit::Platform& platform)
      : state_(state), window_(window), platform_(platform) {}

  // Scale, font size and caption from the screen, the placement of every control, then one
  // RefreshDesign.
  void FormLoad();

  // Clears the surface, paints the panel, reduces source and load, designs the network, draws
  // the schematic and rewrites every result caption. An impossible design beeps and shows
  // lblCaution; any other outcome leaves it hidden.
  void RefreshDesign();

  // After the run state was replaced as a whole (undo, redo, an opened design file): the family
  // buttons mark the family again once a family button has marked one, then RefreshDesign.
  void ShowRestoredDesign();

  // Called at the end of every RefreshDesign with what its design pass returned, so that a view
  // following the design (the response window) can redraw; nothing is called when none is set.
  void SetRefreshListener(std::function<void(DesignOutcome)> listener) {
    refreshListener_ = std::move(listener);
  }
  // Sides that follow a measured file: `frequencyChanged` runs after the frequency dialog and
  // before the refresh (it reads those sides again at the new frequency); `sideTyped` runs
  // after an entry dialog changed a side's values (the side is typed again). Neither is called
  // when not set.
  void SetMeasuredListeners(std::function<void()> frequencyChanged,
                            std::function<void(MeasuredSideKind)> sideTyped) {
    frequencyChanged_ = std::move(frequencyChanged);
    sideTyped_ = std::move(sideTyped);
  }
  // What the last RefreshDesign's design pass returned (NotDesigned before the first).
  DesignOutcome LastOutcome() const { return lastOutcome_; }
  // The run state the window works on, for a view that changes the design through it.
  RunState& state() { return state_; }

  // The three sections of the schematic, each from the pen position RefreshDesign sets.
  void DrawSource();
  void DrawNetwork();
  void DrawLoad();

  void cmdTee_Click();
  void cmdPi_Click();
  void cmdLPFL_Click();
  void cmdHPFL_Click();
  void CommandSource1_Click();
  void CommandSource2_Click();
  void CommandSource3_Click();
  void CommandSource4_Click();
  void CommandSource5_Click();
  void CommandLoad1_Click();
  void CommandLoad2_Click();
  void CommandLoad3_Click();
  void CommandLoad4_Click();
  void CommandLoad5_Click();
  void cmdPhase_Click();
  void cmdPhasePlusOne_Click();
  void cmdPhaseMinusOne_Click();
  void cmdFrequency_Click();
  void cmdPower_Click();
  void cmdExit_Click();

  // Runs the click handler of the command with this control name; false (and nothing done)
  // for any other name, such as a display label.
  bool Click(std::string_view controlName);

  // The names Click accepts, in the window's focus order.
  static std::span<const std::string_view> CommandNames();

  float PenX() const { return pen_.x; }
  float PenY() const { return pen_.y; }
  float ShownPhase() const { return shownPhase_; }

 private:
  void SelectFamily(float family);
  void MarkFamily(float family);
  void EnterSource(std::int16_t entryKind);
  void EnterLoad(std::int16_t entryKind);
  void PrintAt(float x, float y, const std::string& text);
  void DrawElement(bool series, float reactance);
  void ShowResults();
  void SetCaption(std::string_view control, const std::string& text);
  void SetShown(std::string_view control, bool shown);

  RunState& state_;
  toolkit::Window& window_;
  toolkit::Platform& platform_;
  Pen pen_;
  float shownPhase_ = 0;
  bool familyMarked_ = false;  // a family button has been clicked
  DesignOutcome lastOutcome_ = DesignOutcome::NotDesigned;
  std::function<void(DesignOutcome)> refreshListener_;
  std::function<void()> frequencyChanged_;
  std::function<void(MeasuredSideKind)> sideTyped_;
};

}  // namespace corvantile
