#pragma once

// frmFrequency, frmPower and frmEnterPhase: one value of NetValues each. They share one
// layout in a 6000 x 4500 logical space and one pattern: show the current value, parse the
// typed value into the element, and put the saved value back when the dialog's test rejects
// the new one.
#include <string>

#include "dialogs/dialog_logic.h"
#include "state/circuit_state.h"
#include "toolkit/toolkit.h"

namespace corvantile {

// `kind` is DialogId::Frequency, Power or Phase.
class ValueDialog : public DialogLogic {
 public:
  ValueDialog(RunState& state, toolkit::DialogId kind, toolkit::Window& window,
              toolkit::ScreenTwips screen);

  // Sets the logical scale, places the four controls with fonts of 0.0008 x screen height
  // points, saves the element and shows it in the "is now" label.
  void Form_Load() override;
  // Parses the box into the element, puts the saved value back if rejected, closes.
  void cmdExit_Click() override;

  float savedValue() const { return savedValue_; }

 private:
  RunState& state_;
  toolkit::DialogId kind_;
  toolkit::Window& window_;
  toolkit::ScreenTwips screen_;
  float savedValue_ = 0.0f;
};

// The element a dialog edits: Frequency, Power or NetworkPhase.
int EditedElement(toolkit::DialogId kind);

// The acceptance test: frequency and power must be above 0 (unusable text reads as 0), the
// phase anything but exactly 0 (negative phases are the usual ones).
bool RejectsValue(toolkit::DialogId kind, float value);

// The "is now" text for a value: Frequency 3750000 -> "Frequency is now  3.75 MHz",
// Power 1000 -> "Power is now 1 kW", Phase -135 -> "Phase is now -135 degrees".
std::string ValueNowText(toolkit::DialogId kind, float value);

}  // namespace corvantile
