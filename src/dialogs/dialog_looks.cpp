#include "dialogs/dialog_looks.h"

#include <array>

namespace corvantile {
namespace {

using toolkit::ControlKind;
using toolkit::ControlLook;
using toolkit::FontLook;
using toolkit::MakeControlLook;
using toolkit::Rgb;
using toolkit::TextAlign;
using toolkit::WindowLook;

constexpr Rgb kWhite{255, 255, 255};
constexpr Rgb kLightGrey{224, 224, 224};

constexpr FontLook kEntryFont{"Microsoft Sans Serif", 9.75, false};
constexpr FontLook kHeadingFont{"Microsoft Sans Serif", 12, true};

// Source and load dialogs: identical controls, placed in twips; only the edited array and the
// caption differ. The labels are filled at load.
constexpr std::array<ControlLook, 10> kEntryControls{{
    WithAlign(
        MakeControlLook("lblHeading", ControlKind::Label, "", {210, 630, 4845, 330}, kHeadingFont),
        TextAlign::Centre),
    MakeControlLook("Label1", ControlKind::Label, "", {210, 1365, 3585, 330}, kEntryFont),
    WithAlign(MakeControlLook("Label2", ControlKind::Label, "", {105, 1785, 1800, 330}, kEntryFont),
              TextAlign::Right),
    MakeControlLook("Text1", ControlKind::TextBox, "", {1995, 1785, 1800, 360}, kEntryFont),
    MakeControlLook("Label3", ControlKind::Label, "", {210, 2415, 3585, 330}, kEntryFont),
    WithAlign(MakeControlLook("Label4", ControlKind::Label, "", {105, 2835, 1800, 330}, kEntryFont),
              TextAlign::Right),
    MakeControlLook("Text2", ControlKind::TextBox, "", {1995, 2835, 1800, 360}, kEntryFont),
    Checked(MakeControlLook("Option1", ControlKind::OptionButton, "inductor",
                            {3885, 2730, 1275, 300}, kEntryFont)),
    MakeControlLook("Option2", ControlKind::OptionButton, "capacitor", {3885, 3045, 1275, 300},
                    kEntryFont),
    WithAlign(MakeControlLook("cmdExit", ControlKind::CommandButton, "Enter",
                              {1995, 3570, 1800, 330}, kEntryFont),
              TextAlign::Centre),
}};

// Frequency, power and phase: the load places the controls and sizes their fonts.
constexpr FontLook kValueFont{"Arial", 9.75, true};

constexpr ControlLook ValueLabel(const char* name, const char* text) {
  return WithBackground(MakeControlLook(name, ControlKind::Label, text, {}, kValueFont),
                        kLightGrey);
}
constexpr ControlLook ValueBox(const char* name) {
  return MakeControlLook(name, ControlKind::TextBox, "", {}, kValueFont);
}
constexpr ControlLook kValueEnter = WithBackground(
    WithAlign(MakeControlLook("cmdExit", ControlKind::CommandButton, "Enter", {}, kValueFont),
              TextAlign::Centre),
    kLightGrey);

// Focus order: the box first, so the user can type at once; "Enter" is the default button.
constexpr std::array<ControlLook, 4> kFrequencyControls{{
    ValueBox("txtFrequency"),
    ValueLabel("lblFrequencyNow", ""),
    ValueLabel("lblFrequency", "New frequency:"),
    kValueEnter,
}};
constexpr std::array<ControlLook, 4> kPowerControls{{
    ValueBox("txtPowerWatts"),
    ValueLabel("lblPowerNow", ""),
    ValueLabel("lblPowerWatts", "Power (watts):"),
    kValueEnter,
}};
constexpr std::array<ControlLook, 4> kPhaseControls{{
    ValueBox("txtPhaseDegrees"),
    ValueLabel("lblPhaseNow", ""),
    ValueLabel("lblPhaseDegrees", "Phase (degrees):"),
    kValueEnter,
}};

constexpr WindowLook EntryLook(const char* name, const char* caption) {
  return {name,
          caption,
          kEntryDialogClientWidthTwips,
          kEntryDialogClientHeightTwips,
          kWhite,
          kEntryControls,
          "cmdExit",
          {},
          {}};
}
constexpr WindowLook ValueLook(const char* name, const char* caption,
                               const std::array<ControlLook, 4>& controls) {
  return {name,
          caption,
          kValueDialogClientWidthTwips,
          kValueDialogClientHeightTwips,
          kWhite,
          controls,
          "cmdExit",
          {},
          {}};
}

constexpr WindowLook kSourceLook = EntryLook("frmEnterInput", "Corvantile - source value entry");
constexpr WindowLook kLoadLook = EntryLook("frmEnterOutput", "Corvantile - load value entry");
constexpr WindowLook kFrequencyLook =
    ValueLook("frmFrequency", "Corvantile - frequency entry", kFrequencyControls);
constexpr WindowLook kPowerLook = ValueLook("frmPower", "Corvantile - power entry", kPowerControls);
constexpr WindowLook kPhaseLook =
    ValueLook("frmEnterPhase", "Corvantile - phase entry", kPhaseControls);

}  // namespace

const toolkit::WindowLook& DialogLook(toolkit::DialogId dialog) {
  switch (dialog) {
    case toolkit::DialogId::Source:
      return kSourceLook;
    case toolkit::DialogId::Load:
      return kLoadLook;
    case toolkit::DialogId::Frequency:
      return kFrequencyLook;
    case toolkit::DialogId::Power:
      return kPowerLook;
    case toolkit::DialogId::Phase:
      return kPhaseLook;
  }
  return kSourceLook;
}

}  // namespace corvantile
