#pragma once

// frmEnterInput and frmEnterOutput: the source and load dialogs. Both show the current
// resistance and reactance (or part value) of their side in two "is now" lines, take new
// values in Text1 and Text2, and give the reactive part its sign from the inductor/capacitor
// choice. The entry form they edit is the run state's EntryKind, set by the design window.
#include <string>

#include "dialogs/dialog_logic.h"
#include "state/circuit_state.h"
#include "toolkit/toolkit.h"

namespace corvantile {

enum class EntrySide { Source, Load };

class EntryDialog : public DialogLogic {
 public:
  EntryDialog(RunState& state, EntrySide side, toolkit::Window& window);

  // Writes the kind into EntryForm and EntryFormCopy (so closing without "Enter" keeps the new
  // kind) and fills the heading, the "is now" lines, the prompts and the option buttons.
  void Form_Load() override;
  // Empty boxes take the shown texts; Text1's magnitude becomes the resistance, Text2 the
  // second value, signed by the selected option button; then the dialog closes.
  void cmdExit_Click() override;

  // The entry kind in force: EntryKind, read as KindSeriesReactance when it is none of the four.
  int kind() const { return kind_; }
  const std::string& resistanceText() const { return resistanceText_; }
  const std::string& secondText() const { return secondText_; }
  float parsedResistance() const { return parsedResistance_; }

 private:
  ImpedanceValues& values();
  void WriteKind();

  RunState& state_;
  EntrySide side_;
  toolkit::Window& window_;
  int kind_ = 1;
  std::string resistanceText_;
  std::string secondText_;
  float parsedResistance_ = 0.0f;
};

}  // namespace corvantile
