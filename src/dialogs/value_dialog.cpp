#include "dialogs/value_dialog.h"

#include "dialogs/dialog_looks.h"
#include "toolkit/placement.h"
#include "units/format.h"
#include "units/parse.h"

namespace corvantile {
namespace {

struct ValueControlNames {
  const char* now;
  const char* prompt;
  const char* box;
};

ValueControlNames NamesOf(toolkit::DialogId kind) {
  switch (kind) {
    case toolkit::DialogId::Power:
      return {"lblPowerNow", "lblPowerWatts", "txtPowerWatts"};
    case toolkit::DialogId::Phase:
      return {"lblPhaseNow", "lblPhaseDegrees", "txtPhaseDegrees"};
    default:
      return {"lblFrequencyNow", "lblFrequency", "txtFrequency"};
  }
}

}  // namespace

int EditedElement(toolkit::DialogId kind) {
  switch (kind) {
    case toolkit::DialogId::Power:
      return Power;
    case toolkit::DialogId::Phase:
      return NetworkPhase;
    default:
      return Frequency;
  }
}

bool RejectsValue(toolkit::DialogId kind, float value) {
  if (kind == toolkit::DialogId::Phase) return value == 0.0f;
  return !(value > 0.0f);
}

std::string ValueNowText(toolkit::DialogId kind, float value) {
  switch (kind) {
    case toolkit::DialogId::Power:
      return "Power is now " + FormatQuantity(value) + "W";
    case toolkit::DialogId::Phase:
      return "Phase is now " + FormatQuantity(value) + "degrees";
    default:
      return "Frequency is now " + FormatFrequency(value) + "Hz";
  }
}

ValueDialog::ValueDialog(RunState& state, toolkit::DialogId kind, toolkit::Window& window,
                         toolkit::ScreenTwips screen)
    : state_(state), kind_(kind), window_(window), screen_(screen) {}

void ValueDialog::Form_Load() {
  const toolkit::LogicalScale scale = toolkit::LogicalScale::ForDialog(
      screen_, kValueDialogClientWidthTwips, kValueDialogClientHeightTwips);
  window_.SetScale(scale);
  // The dialog's own size (0.3 of the screen each way) is PlaceValueDialog's, applied by the
  // toolkit when it shows the dialog.
  const ValueControlNames names = NamesOf(kind_);
  const double points = screen_.height * 0.0008;
  const toolkit::ControlPlacement placements[] = {{names.now, 200, 250, 1200, 150},
                                                  {names.prompt, 200, 500, 1200, 150},
                                                  {names.box, 900, 500, 600, 150},
                                                  {"cmdExit", 700, 900, 600, 150}};
  for (const toolkit::ControlPlacement& row : placements) {
    toolkit::PlaceControl(window_.Find(row.name), row,
                          *toolkit::FindLook(DialogLook(kind_).controls, row.name), scale, points);
  }

  savedValue_ = state_.NetValues[EditedElement(kind_)];
  window_.Find(names.now).SetText(ValueNowText(kind_, savedValue_));
}

void ValueDialog::cmdExit_Click() {
  float& element = state_.NetValues[EditedElement(kind_)];
  element = ParseValue(window_.Find(NamesOf(kind_).box).Text());
  if (RejectsValue(kind_, element)) element = savedValue_;
  window_.Close();
}

}  // namespace corvantile
