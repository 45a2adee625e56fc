#include "dialogs/dialog_logic.h"

#include "dialogs/entry_dialog.h"
#include "dialogs/value_dialog.h"

namespace corvantile {

std::unique_ptr<DialogLogic> MakeDialogLogic(toolkit::DialogId dialog, RunState& state,
                                             toolkit::Window& window, toolkit::ScreenTwips screen) {
  switch (dialog) {
    case toolkit::DialogId::Source:
      return std::make_unique<EntryDialog>(state, EntrySide::Source, window);
    case toolkit::DialogId::Load:
      return std::make_unique<EntryDialog>(state, EntrySide::Load, window);
    case toolkit::DialogId::Frequency:
    case toolkit::DialogId::Power:
    case toolkit::DialogId::Phase:
      return std::make_unique<ValueDialog>(state, dialog, window, screen);
  }
  return nullptr;
}

DialogPlacement PlaceEntryDialog(toolkit::ScreenTwips screen, double dialogWidthTwips) {
  return {screen.width / 2 - dialogWidthTwips / 2, 1000, 0, 0};
}

DialogPlacement PlaceValueDialog(toolkit::ScreenTwips screen) {
  const double width = 0.3 * screen.width;
  const double height = 0.3 * screen.height;
  return {(screen.width - width) / 2, (screen.height - height) / 2, width, height};
}

DialogPlacement PlaceDialog(toolkit::DialogId dialog, toolkit::ScreenTwips screen,
                            double dialogWidthTwips) {
  if (dialog == toolkit::DialogId::Source || dialog == toolkit::DialogId::Load) {
    return PlaceEntryDialog(screen, dialogWidthTwips);
  }
  return PlaceValueDialog(screen);
}

}  // namespace corvantile
