#include "design/design_controls.h"

#include <array>

namespace corvantile {
namespace {

using toolkit::ControlKind;
using toolkit::ControlLook;
using toolkit::ControlPlacement;
using toolkit::Rgb;
using toolkit::TextAlign;

constexpr Rgb kPanelBlue{221, 248, 255};

// `toolTip` says in one sentence what the command does.
constexpr ControlLook Button(std::string_view name, std::string_view text,
                             std::string_view toolTip = {}, Rgb background = kDesignButtonGrey) {
  return {.name = name,
          .kind = ControlKind::CommandButton,
          .text = text,
          .font = kDesignFont,
          .textColour = kDesignTextColour,
          .background = background,
          .toolTip = toolTip};
}

// A phase-step button: its twips size and design font are never changed.
constexpr ControlLook StepButton(std::string_view name, std::string_view text,
                                 std::string_view toolTip) {
  ControlLook look = Button(name, text, toolTip);
  look.rect = {0, 0, 435, 330};
  return look;
}

constexpr ControlLook Label(std::string_view name, std::string_view text, Rgb background, bool bold,
                            TextAlign align) {
  return {.name = name,
          .kind = ControlKind::Label,
          .text = text,
          .font = {kDesignFontFamily, kDesignFontPoints, bold},
          .align = align,
          .textColour = kDesignTextColour,
          .background = background};
}

// An opaque element caption on the panel colour, its own name as design text.
constexpr ControlLook ElementLabel(std::string_view name, bool bold) {
  return Label(name, name, kPanelBlue, bold, TextAlign::Centre);
}

// A part voltage or current: transparent, hidden until a refresh shows it.
constexpr ControlLook PartLabel(std::string_view name, Rgb designBackground) {
  return toolkit::Hidden(
      toolkit::Transparent(Label(name, name, designBackground, false, TextAlign::Centre)));
}

// A result line on the window background.
constexpr ControlLook ResultLabel(std::string_view name, std::string_view text) {
  return toolkit::Transparent(Label(name, text, kDesignBackground, true, TextAlign::Left));
}

// "Illegal operation" in red, hidden until a design fails, over the family buttons it overlaps.
constexpr ControlLook CautionLabel() {
  ControlLook look = toolkit::InFront(toolkit::Hidden(toolkit::Transparent(
      Label("lblCaution", "Illegal operation", kDesignBackground, false, TextAlign::Left))));
  look.font = {"Microsoft Sans Serif", 14.25, false};
  look.textColour = Rgb{255, 0, 0};
  look.rect = {0, 0, 2250, 315};
  return look;
}

// In keyboard focus order: the command buttons, then the labels, which take no focus.
constexpr std::array kControls{
    Button("cmdTee", "Tee", "Design a Tee network: series, shunt, series.", kPanelBlue),
    Button("cmdPi", "Pi", "Design a Pi network: shunt, series, shunt.", kPanelBlue),
    Button("cmdLPFL", "Lowpass L",
           "Design a low-pass L network: a series inductor and a shunt capacitor.", kPanelBlue),
    Button("cmdHPFL", "Highpass L",
           "Design a high-pass L network: a series capacitor and a shunt inductor.", kPanelBlue),
    Button("CommandSource5", "Series <> parallel",
           "Switch the source between its series and parallel form."),
    Button("CommandSource1", "Enter series R, jX",
           "Type the source as a series resistance and reactance."),
    Button("CommandSource2", "Enter parallel R, jX",
           "Type the source as a parallel resistance and reactance."),
    Button("CommandSource3", "Enter series R, part",
           "Type the source as a series resistance and an inductor or capacitor."),
    Button("CommandSource4", "Enter parallel R, part",
           "Type the source as a parallel resistance and an inductor or capacitor."),
    Button("CommandLoad5", "Series <> parallel",
           "Switch the load between its series and parallel form."),
    Button("CommandLoad1", "Enter series R, jX",
           "Type the load as a series resistance and reactance."),
    Button("CommandLoad2", "Enter parallel R, jX",
           "Type the load as a parallel resistance and reactance."),
    Button("CommandLoad3", "Enter series R, part",
           "Type the load as a series resistance and an inductor or capacitor."),
    Button("CommandLoad4", "Enter parallel R, part",
           "Type the load as a parallel resistance and an inductor or capacitor."),
    Button("cmdPhase", "Phase (R to R)",
           "Type the network's phase shift from source to load (Pi and Tee only)."),
    Button("cmdFrequency", "Frequency", "Type the frequency the network is designed for."),
    Button("cmdPower", "Power", "Type the power the network carries, for its volts and amps."),
    StepButton("cmdPhasePlusOne", "+1", "Raise the network's phase by one degree (key +)."),
    StepButton("cmdPhaseMinusOne", "-1", "Lower the network's phase by one degree (key -)."),
    Button("cmdExit", "Exit", "Save this session for next time and close the program.",
           Rgb{192, 192, 192}),
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
    CautionLabel(),
};

constexpr std::size_t kButtonCount = 20;
constexpr std::array<std::string_view, kButtonCount> kFocusOrder = [] {
  std::array<std::string_view, kButtonCount> names{};
  std::size_t n = 0;
  for (const ControlLook& look : kControls) {
    if (look.kind == ControlKind::CommandButton) names[n++] = look.name;
  }
  return names;
}();
static_assert(kFocusOrder.back() == "cmdExit", "the table lists every command button first");

constexpr toolkit::WindowLook kLook{
    .name = kDesignWindowName,
    .caption = "",
    .clientWidthTwips = kDesignClientWidthTwips,
    .clientHeightTwips = kDesignClientHeightTwips,
    .background = kDesignBackground,
    .controls = kControls,
    .defaultButton = "",
    .drawColour = kDesignDrawColour,
    .drawFont = {kDesignFontFamily, kDesignFontPoints, kDesignFontBold}};

// The load routine's grid, in logical units. Columns, left to right:
constexpr double kSourceColumn = 1000;  // the source's entry buttons
constexpr double kElement1Column = 3900;
constexpr double kMiddleColumn = 4000;  // Pi, Phase, Frequency, Power, the results, the caution
constexpr double kTeeColumn = 4800;
constexpr double kElement2Column = 5300;
constexpr double kLowpassColumn = 5600;
constexpr double kPlusOneColumn = 6200;
constexpr double kMinusOneColumn = 6500;
constexpr double kElement3Column = 6700;
constexpr double kHighpassColumn = 6900;
constexpr double kLoadColumn = 9200;  // the load's entry buttons and Exit
// Rows, top to bottom:
constexpr double kElementPartRow = 2200;
constexpr double kElementReactanceRow = 2800;
constexpr double kPartVoltsRow = 3100;
constexpr double kPartAmpsRow = 3400;
constexpr double kFamilyRow = 4000;  // also the two "Series <> parallel" buttons
constexpr double kCautionRow = 4200;
constexpr double kEntryRow1 = 5200;  // the four entry rows, also Phase, Frequency and Power
constexpr double kPhaseStepRow = 5205;
constexpr double kEntryRow2 = 5600;
constexpr double kEntryRow3 = 6000;
constexpr double kEntryRow4 = 6400;
constexpr double kResultRow1 = 6500;
constexpr double kResultRow2 = 6800;
constexpr double kResultRow3 = 7100;
constexpr double kResultRow4 = 7400;
constexpr double kExitRow = 7500;
constexpr double kResponseRow = 7900;
constexpr double kReportRow = 8300;
// Sizes:
constexpr double kRowHeight = 300;
constexpr double kEntryWidth = 1800;
constexpr double kElementWidth = 1300;
constexpr double kNarrowFamilyWidth = 700;  // Pi and Tee
constexpr double kWideFamilyWidth = 1200;   // the two L buttons
constexpr double kMiddleWidth = 2000;
constexpr double kExitWidth = 800;

constexpr ControlPlacement Row(std::string_view name, double left, double top, double width) {
  return {name, left, top, width, kRowHeight};
}
constexpr ControlPlacement MovedOnly(std::string_view name, double left, double top) {
  return {name, left, top, 0, 0};
}

constexpr std::array<ControlPlacement, 37> kPlacements{{
    Row("CommandSource5", kSourceColumn, kFamilyRow, kEntryWidth),
    Row("CommandSource1", kSourceColumn, kEntryRow1, kEntryWidth),
    Row("CommandSource2", kSourceColumn, kEntryRow2, kEntryWidth),
    Row("CommandSource3", kSourceColumn, kEntryRow3, kEntryWidth),
    Row("CommandSource4", kSourceColumn, kEntryRow4, kEntryWidth),
    Row("CommandLoad5", kLoadColumn, kFamilyRow, kEntryWidth),
    Row("CommandLoad1", kLoadColumn, kEntryRow1, kEntryWidth),
    Row("CommandLoad2", kLoadColumn, kEntryRow2, kEntryWidth),
    Row("CommandLoad3", kLoadColumn, kEntryRow3, kEntryWidth),
    Row("CommandLoad4", kLoadColumn, kEntryRow4, kEntryWidth),
    Row("lblChangeNetPart1", kElement1Column, kElementPartRow, kElementWidth),
    Row("lblChangeNetX1", kElement1Column, kElementReactanceRow, kElementWidth),
    Row("lblChangeNetPart2", kElement2Column, kElementPartRow, kElementWidth),
    Row("lblChangeNetX2", kElement2Column, kElementReactanceRow, kElementWidth),
    Row("lblChangeNetPart3", kElement3Column, kElementPartRow, kElementWidth),
    Row("lblChangeNetX3", kElement3Column, kElementReactanceRow, kElementWidth),
    Row("lblNetPart1Volts", kElement1Column, kPartVoltsRow, kElementWidth),
    Row("lblNetPart1Amps", kElement1Column, kPartAmpsRow, kElementWidth),
    Row("lblNetPart2Volts", kElement2Column, kPartVoltsRow, kElementWidth),
    Row("lblNetPart2Amps", kElement2Column, kPartAmpsRow, kElementWidth),
    Row("lblNetPart3Volts", kElement3Column, kPartVoltsRow, kElementWidth),
    Row("lblNetPart3Amps", kElement3Column, kPartAmpsRow, kElementWidth),
    Row("cmdPi", kMiddleColumn, kFamilyRow, kNarrowFamilyWidth),
    Row("cmdTee", kTeeColumn, kFamilyRow, kNarrowFamilyWidth),
    Row("cmdLPFL", kLowpassColumn, kFamilyRow, kWideFamilyWidth),
    Row("cmdHPFL", kHighpassColumn, kFamilyRow, kWideFamilyWidth),
    Row("cmdPhase", kMiddleColumn, kEntryRow1, kMiddleWidth),
    MovedOnly("cmdPhasePlusOne", kPlusOneColumn, kPhaseStepRow),
    MovedOnly("cmdPhaseMinusOne", kMinusOneColumn, kPhaseStepRow),
    Row("cmdFrequency", kMiddleColumn, kEntryRow2, kMiddleWidth),
    Row("cmdPower", kMiddleColumn, kEntryRow3, kMiddleWidth),
    Row("lblNetworkPhase", kMiddleColumn, kResultRow1, kMiddleWidth),
    Row("lblInputQ", kMiddleColumn, kResultRow2, kMiddleWidth),
    Row("lblOutputQ", kMiddleColumn, kResultRow3, kMiddleWidth),
    Row("lblIntermediateR", kMiddleColumn, kResultRow4, kMiddleWidth),
    MovedOnly("lblCaution", kMiddleColumn, kCautionRow),
    Row("cmdExit", kLoadColumn, kExitRow, kExitWidth),
}};

constexpr ControlLook kResponseButton =
    Button(kResponseButtonName, "Response...",
           "Open the response window: the sweep, Smith chart, parts, tolerance and alternatives.");
constexpr ControlPlacement kResponsePlacement =
    Row(kResponseButtonName, kMiddleColumn, kResponseRow, kMiddleWidth);
constexpr ControlLook kReportButton = Button(kReportButtonName, "Report...",
                                             "Write the design as a PDF report: inputs, "
                                             "parts, losses, plots and ratings.");
constexpr ControlPlacement kReportPlacement =
    Row(kReportButtonName, kMiddleColumn, kReportRow, kMiddleWidth);

// The measured-file commands sit in the free row under each side's fourth entry command, and
// the file's name under them, clear of the results in the middle and of Exit on the right.
constexpr double kMeasuredRow = 6800;
constexpr double kMeasuredNameRow = 7150;
constexpr ControlLook kMeasuredSourceButton =
    Button(kMeasuredSourceButtonName, "Measured...",
           "Take the source from a measured Touchstone file, read again at each frequency.");
constexpr ControlLook kMeasuredLoadButton =
    Button(kMeasuredLoadButtonName, "Measured...",
           "Take the load from a measured Touchstone file, read again at each frequency.");
constexpr ControlPlacement kMeasuredSourcePlacement =
    Row(kMeasuredSourceButtonName, kSourceColumn, kMeasuredRow, kEntryWidth);
constexpr ControlPlacement kMeasuredLoadPlacement =
    Row(kMeasuredLoadButtonName, kLoadColumn, kMeasuredRow, kEntryWidth);
constexpr ControlLook kMeasuredSourceLabel = toolkit::Transparent(
    Label(kMeasuredSourceLabelName, "", kDesignBackground, false, TextAlign::Left));
constexpr ControlLook kMeasuredLoadLabel = toolkit::Transparent(
    Label(kMeasuredLoadLabelName, "", kDesignBackground, false, TextAlign::Left));
constexpr ControlPlacement kMeasuredSourceLabelPlacement =
    Row(kMeasuredSourceLabelName, kSourceColumn, kMeasuredNameRow, kEntryWidth);
constexpr ControlPlacement kMeasuredLoadLabelPlacement =
    Row(kMeasuredLoadLabelName, kLoadColumn, kMeasuredNameRow, kEntryWidth);

// The feedline command stands in the free row under Exit, in the load's column.
constexpr double kFeedlineRow = 7900;
constexpr ControlLook kFeedlineButton =
    Button(kFeedlineButtonName, "Feedline...",
           "Put a feedline between the network and the load or the source, or take it away.");
constexpr ControlPlacement kFeedlinePlacement =
    Row(kFeedlineButtonName, kLoadColumn, kFeedlineRow, kEntryWidth);

}  // namespace

const toolkit::ControlLook& FeedlineButtonLook() { return kFeedlineButton; }
const toolkit::ControlPlacement& FeedlineButtonPlacement() { return kFeedlinePlacement; }

const toolkit::ControlLook& ResponseButtonLook() { return kResponseButton; }
const toolkit::ControlPlacement& ResponseButtonPlacement() { return kResponsePlacement; }
const toolkit::ControlLook& ReportButtonLook() { return kReportButton; }
const toolkit::ControlPlacement& ReportButtonPlacement() { return kReportPlacement; }

const toolkit::ControlLook& MeasuredButtonLook(MeasuredSideKind side) {
  return side == MeasuredSideKind::Source ? kMeasuredSourceButton : kMeasuredLoadButton;
}
const toolkit::ControlPlacement& MeasuredButtonPlacement(MeasuredSideKind side) {
  return side == MeasuredSideKind::Source ? kMeasuredSourcePlacement : kMeasuredLoadPlacement;
}
const toolkit::ControlLook& MeasuredLabelLook(MeasuredSideKind side) {
  return side == MeasuredSideKind::Source ? kMeasuredSourceLabel : kMeasuredLoadLabel;
}
const toolkit::ControlPlacement& MeasuredLabelPlacement(MeasuredSideKind side) {
  return side == MeasuredSideKind::Source ? kMeasuredSourceLabelPlacement
                                          : kMeasuredLoadLabelPlacement;
}

std::string_view MeasuredButtonFocusAfter(MeasuredSideKind side) {
  return side == MeasuredSideKind::Source ? "CommandSource4" : "CommandLoad4";
}

const toolkit::WindowLook& DesignLook() { return kLook; }

std::span<const ControlLook> DesignControls() { return kControls; }

const ControlLook* FindDesignControl(std::string_view name) {
  return toolkit::FindLook(kControls, name);
}

std::span<const std::string_view> DesignFocusOrder() { return kFocusOrder; }

std::span<const ControlPlacement> DesignPlacements() { return kPlacements; }

double DesignFontPoints(toolkit::ScreenTwips screen) { return screen.height * 0.0008; }

void ApplyDesignTimeState(toolkit::Window& window) {
  for (const ControlLook& look : kControls) {
    toolkit::Control& control = window.Find(look.name);
    control.SetText(std::string(look.text));
    if (look.background) control.SetBackground(*look.background);
    control.SetVisible(!look.hidden);
    control.SetFontSize(look.font.points);
    control.SetToolTip(std::string(look.toolTip));
  }
}

}  // namespace corvantile
