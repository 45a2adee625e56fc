#pragma once

// The load and "Enter" logic of the five modal entry dialogs, written against the toolkit's
// Window: a toolkit implementation builds the dialog from its look (dialog_looks.h), runs
// Form_Load, shows it modally and runs cmdExit_Click when "Enter" is pressed. Closing the
// dialog any other way simply skips cmdExit_Click.
#include <memory>

#include "state/circuit_state.h"
#include "toolkit/toolkit.h"

namespace corvantile {

class DialogLogic {
 public:
  virtual ~DialogLogic() = default;
  virtual void Form_Load() = 0;
  // "Enter": reads the boxes into the run state and closes the dialog.
  virtual void cmdExit_Click() = 0;
};

// The logic of one dialog over `window`, editing `state`; `screen` places and scales it.
std::unique_ptr<DialogLogic> MakeDialogLogic(toolkit::DialogId dialog, RunState& state,
                                             toolkit::Window& window, toolkit::ScreenTwips screen);

// Where a dialog goes on the screen and how big it is, in twips. A zero size means the
// dialog keeps its designed client size.
struct DialogPlacement {
  double left = 0, top = 0;
  double width = 0, height = 0;
};

// The source and load dialogs keep their size, centred across the screen with their top
// 1000 twips down: on a 15360-twip-wide screen a 5400-twip-wide dialog goes to left 4980.
DialogPlacement PlaceEntryDialog(toolkit::ScreenTwips screen, double dialogWidthTwips);

// The frequency, power and phase dialogs take 0.3 of the screen each way, centred:
// 15360 x 11520 twips -> 4608 x 3456 at (5376, 4032).
DialogPlacement PlaceValueDialog(toolkit::ScreenTwips screen);

DialogPlacement PlaceDialog(toolkit::DialogId dialog, toolkit::ScreenTwips screen,
                            double dialogWidthTwips);

}  // namespace corvantile
