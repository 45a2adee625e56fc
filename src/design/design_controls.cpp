#include "design/design_controls.h"

#include <array>

namespace corvantile {
namespace {

using toolkit::Rgb;

constexpr Rgb kEntryGrey{224, 224, 224};
constexpr Rgb kPanelBlue{221, 248, 255};

constexpr ControlSpec Button(std::string_view name, std::string_view text,
                             Rgb background = kEntryGrey) {
  return {.name = name, .kind = ControlKind::Button, .text = text, .background = background};
}

// A phase-step button: its twips size and design font are never changed.
constexpr ControlSpec StepButton(std::string_view name, std::string_view text) {
  return {.name = name,
          .kind = ControlKind::Button,
          .text = text,
          .fixedWidthTwips = 435,
          .fixedHeightTwips = 330};
}

// An opaque element caption on the panel colour, its own name as design text.
constexpr ControlSpec ElementLabel(std::string_view name, bool bold) {
  return {.name = name,
          .kind = ControlKind::Label,
          .text = name,
          .background = kPanelBlue,
          .bold = bold,
          .alignment = TextAlignment::Centre};
}

// A part voltage or current: transparent, hidden until a refresh shows it.
constexpr ControlSpec PartLabel(std::string_view name, Rgb designBackground) {
  return {.name = name,
          .kind = ControlKind::Label,
          .text = name,
          .background = designBackground,
          .transparent = true,
          .bold = false,
          .alignment = TextAlignment::Centre,
          .hidden = true};
}

// A result line on the window background.
constexpr ControlSpec ResultLabel(std::string_view name, std::string_view text) {
  return {.name = name,
          .kind = ControlKind::Label,
          .text = text,
          .background = kDesignBackground,
          .transparent = true};
}

constexpr std::array kControls{
    Button("CommandSource1", "Enter series R, jX"),
    Button("CommandSource2", "Enter parallel R, jX"),
    Button("CommandSource3", "Enter series R, part"),
    Button("CommandSource4", "Enter parallel R, part"),
    Button("CommandSource5", "Series <> parallel"),
    Button("CommandLoad1", "Enter series R, jX"),
    Button("CommandLoad2", "Enter parallel R, jX"),
    Button("CommandLoad3", "Enter series R, part"),
    Button("CommandLoad4", "Enter parallel R, part"),
    Button("CommandLoad5", "Series <> parallel"),
    Button("cmdTee", "Tee", kPanelBlue),
    Button("cmdPi", "Pi", kPanelBlue),
    Button("cmdLPFL", "Lowpass L", kPanelBlue),
    Button("cmdHPFL", "Highpass L", kPanelBlue),
    Button("cmdPhase", "Phase (R to R)"),
    StepButton("cmdPhasePlusOne", "+1"),
    StepButton("cmdPhaseMinusOne", "-1"),
    Button("cmdFrequency", "Frequency"),
    Button("cmdPower", "Power"),
    Button("cmdExit", "Exit", Rgb{192, 192, 192}),
    ElementLabel("lblChangeNetPart1", true),
    ElementLabel("lblChangeNetPart2", true),
    ElementLabel("lblChangeNetPart3", true),
    ElementLabel("lblChangeNetX1", false),
    ElementLabel("lblChangeNetX2", false),
    ElementLabel("lblChangeNetX3", false),
    PartLabel("lblNetPart1Volts", Rgb{255, 192, 192}),
    PartLabel("lblNetPart1Amps", Rgb{255, 128, 128}),
    PartLabel("lblNetPart2Volts", Rgb{192, 255, 192}),
    PartLabel("lblNetPart2Amps", Rgb{0, 255, 0}),
    PartLabel("lblNetPart3Volts", Rgb{192, 192, 255}),
    PartLabel("lblNetPart3Amps", Rgb{128, 128, 255}),
    ResultLabel("lblNetworkPhase", "Network phase:"),
    ResultLabel("lblInputQ", "Input Q:"),
    ResultLabel("lblOutputQ", "Output Q:"),
    ResultLabel("lblIntermediateR", "Intermediate r:"),
    ControlSpec{.name = "lblCaution",
                .kind = ControlKind::Label,
                .text = "Illegal operation",
                .background = kDesignBackground,
                .foreground = Rgb{255, 0, 0},
                .transparent = true,
                .fontFamily = "Microsoft Sans Serif",
                .bold = false,
                .fontPoints = 14.25,
                .hidden = true,
                .fixedWidthTwips = 2250,
                .fixedHeightTwips = 315},
};

constexpr std::array<std::string_view, 20> kFocusOrder{
    "cmdTee",         "cmdPi",          "cmdLPFL",         "cmdHPFL",          "CommandSource5",
    "CommandSource1", "CommandSource2", "CommandSource3",  "CommandSource4",   "CommandLoad5",
    "CommandLoad1",   "CommandLoad2",   "CommandLoad3",    "CommandLoad4",     "cmdPhase",
    "cmdFrequency",   "cmdPower",       "cmdPhasePlusOne", "cmdPhaseMinusOne", "cmdExit"};

constexpr std::array<ControlPlacement, 37> kPlacements{{
    {"CommandSource5", 1000, 4000, 1800, 300},
    {"CommandSource1", 1000, 5200, 1800, 300},
    {"CommandSource2", 1000, 5600, 1800, 300},
    {"CommandSource3", 1000, 6000, 1800, 300},
    {"CommandSource4", 1000, 6400, 1800, 300},
    {"CommandLoad5", 9200, 4000, 1800, 300},
    {"CommandLoad1", 9200, 5200, 1800, 300},
    {"CommandLoad2", 9200, 5600, 1800, 300},
    {"CommandLoad3", 9200, 6000, 1800, 300},
    {"CommandLoad4", 9200, 6400, 1800, 300},
    {"lblChangeNetPart1", 3900, 2200, 1300, 300},
    {"lblChangeNetX1", 3900, 2800, 1300, 300},
    {"lblChangeNetPart2", 5300, 2200, 1300, 300},
    {"lblChangeNetX2", 5300, 2800, 1300, 300},
    {"lblChangeNetPart3", 6700, 2200, 1300, 300},
    {"lblChangeNetX3", 6700, 2800, 1300, 300},
    {"lblNetPart1Volts", 3900, 3100, 1300, 300},
    {"lblNetPart1Amps", 3900, 3400, 1300, 300},
    {"lblNetPart2Volts", 5300, 3100, 1300, 300},
    {"lblNetPart2Amps", 5300, 3400, 1300, 300},
    {"lblNetPart3Volts", 6700, 3100, 1300, 300},
    {"lblNetPart3Amps", 6700, 3400, 1300, 300},
    {"cmdPi", 4000, 4000, 700, 300},
    {"cmdTee", 4800, 4000, 700, 300},
    {"cmdLPFL", 5600, 4000, 1200, 300},
    {"cmdHPFL", 6900, 4000, 1200, 300},
    {"cmdPhase", 4000, 5200, 2000, 300},
    {"cmdPhasePlusOne", 6200, 5205, 0, 0},
    {"cmdPhaseMinusOne", 6500, 5205, 0, 0},
    {"cmdFrequency", 4000, 5600, 2000, 300},
    {"cmdPower", 4000, 6000, 2000, 300},
    {"lblNetworkPhase", 4000, 6500, 2000, 300},
    {"lblInputQ", 4000, 6800, 2000, 300},
    {"lblOutputQ", 4000, 7100, 2000, 300},
    {"lblIntermediateR", 4000, 7400, 2000, 300},
    {"lblCaution", 4000, 4200, 0, 0},
    {"cmdExit", 9200, 7500, 800, 300},
}};

}  // namespace

std::span<const ControlSpec> DesignControls() { return kControls; }

const ControlSpec* FindDesignControl(std::string_view name) {
  for (const ControlSpec& look : kControls) {
    if (look.name == name) return &look;
  }
  return nullptr;
}

std::span<const std::string_view> DesignFocusOrder() { return kFocusOrder; }

std::span<const ControlPlacement> DesignPlacements() { return kPlacements; }

double DesignFontPoints(toolkit::ScreenTwips screen) { return screen.height * 0.0008; }

void ApplyDesignTimeState(toolkit::Window& window) {
  for (const ControlSpec& look : kControls) {
    toolkit::Control& control = window.Find(look.name);
    control.SetText(std::string(look.text));
    control.SetBackground(look.background);
    control.SetVisible(!look.hidden);
    control.SetFontSize(look.fontPoints);
  }
}

}  // namespace corvantile
