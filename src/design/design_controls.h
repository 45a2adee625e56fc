#pragma once

// The design window frmDesign as designed: its controls with their fixed look (in the
// toolkit's one look model), the keyboard focus order, and the placement its load routine gives
// them. The toolkit implementations build their widgets from these tables; the window's logic
// places them and changes their texts, colours and visibility at run time.
#include <span>
#include <string_view>

#include "model/design_model.h"
#include "toolkit/control_look.h"
#include "toolkit/geometry.h"
#include "toolkit/placement.h"
#include "toolkit/toolkit.h"

namespace corvantile {

// The window itself.
inline constexpr std::string_view kDesignWindowName = "frmDesign";
inline constexpr toolkit::Rgb kDesignBackground{238, 255, 255};
inline constexpr toolkit::Rgb kDesignDrawColour{0, 0, 0};
inline constexpr double kDesignClientWidthTwips = 11880;
inline constexpr double kDesignClientHeightTwips = 8190;
inline constexpr double kLayoutWidth = 12000;  // logical units across and down
inline constexpr double kLayoutHeight = 9000;
inline constexpr std::string_view kDesignFontFamily = "Arial";  // the window's own font, bold
inline constexpr bool kDesignFontBold = true;
inline constexpr double kDesignFontPoints = 9.75;  // the design font every control copies

// The look every command button and label of the window starts from: bold Arial 9.75 pt, black
// text; buttons grey.
inline constexpr toolkit::FontLook kDesignFont{kDesignFontFamily, kDesignFontPoints,
                                               kDesignFontBold};
inline constexpr toolkit::Rgb kDesignTextColour{0, 0, 0};
inline constexpr toolkit::Rgb kDesignButtonGrey{224, 224, 224};

// "Response...": a command button beyond the designed controls, added with the response window
// it opens (a window without that keeps the designed controls alone). A grey button like the
// entry buttons, last in the focus order, placed under "Intermediate r:" as wide as the Phase,
// Frequency and Power buttons above it and sized and given the H x 0.0008 font by the load like
// them, clear of every other control and of the drawn panel. Ctrl+R (as Qt reads it) opens the
// same window.
inline constexpr std::string_view kResponseButtonName = "cmdResponse";
const toolkit::ControlLook& ResponseButtonLook();
const toolkit::ControlPlacement& ResponseButtonPlacement();
inline constexpr std::string_view kResponseShortcut = "Ctrl+R";

// "Report...": writes the design report as a PDF. A grey button under "Response...", as wide as
// it and placed and fonted by the load the same way, next after it in the focus order. Ctrl+P
// (in the design window and the response window) does the same; Ctrl+C in the design window
// copies the report's text.
inline constexpr std::string_view kReportButtonName = "cmdReport";
const toolkit::ControlLook& ReportButtonLook();
const toolkit::ControlPlacement& ReportButtonPlacement();
inline constexpr std::string_view kReportShortcut = "Ctrl+P";
inline constexpr std::string_view kCopyReportShortcut = "Ctrl+C";

// "Measured...": one command button under each side's entry commands (source and load), added
// with the measured-file commands; grey like the entry buttons, as wide as them, in the free row
// under the fourth entry command, and next after that command in the focus order (so both come
// before Exit, which stands below them). Under each, a small transparent label that names the
// file the side follows ("" while the side is typed).
inline constexpr std::string_view kMeasuredSourceButtonName = "cmdMeasuredSource";
inline constexpr std::string_view kMeasuredLoadButtonName = "cmdMeasuredLoad";
inline constexpr std::string_view kMeasuredSourceLabelName = "lblMeasuredSource";
inline constexpr std::string_view kMeasuredLoadLabelName = "lblMeasuredLoad";
const toolkit::ControlLook& MeasuredButtonLook(MeasuredSideKind side);
const toolkit::ControlPlacement& MeasuredButtonPlacement(MeasuredSideKind side);
const toolkit::ControlLook& MeasuredLabelLook(MeasuredSideKind side);
const toolkit::ControlPlacement& MeasuredLabelPlacement(MeasuredSideKind side);
// The command a side's "Measured..." follows in the focus order: CommandSource4, CommandLoad4.
std::string_view MeasuredButtonFocusAfter(MeasuredSideKind side);

// "Feedline...": a grey command button as wide as the load's entry commands, under Exit in the
// load's column, next after the load's "Measured..." in the focus order. It opens the feedline
// dialog (a line between the network and the load or the source); the side's label under its
// "Measured..." then says what it is seen through ("through 30 m of RG-213").
inline constexpr std::string_view kFeedlineButtonName = "cmdFeedline";
const toolkit::ControlLook& FeedlineButtonLook();
const toolkit::ControlPlacement& FeedlineButtonPlacement();
inline constexpr std::string_view kFeedlineFocusAfter = kMeasuredLoadButtonName;

// Keys for the small phase-step buttons "+1" and "-1", which their tooltips name.
inline constexpr std::string_view kPhasePlusOneShortcut = "+";
inline constexpr std::string_view kPhaseMinusOneShortcut = "-";

// The window as designed, its controls in keyboard focus order (the command buttons first,
// then the labels): what the toolkit builds it from.
const toolkit::WindowLook& DesignLook();

// Every control of the window the program uses (DesignLook's).
std::span<const toolkit::ControlLook> DesignControls();

// The design-time look of a control by name, or nullptr.
const toolkit::ControlLook* FindDesignControl(std::string_view name);

// The visible buttons in keyboard focus order; the first (cmdTee) holds the focus on opening.
std::span<const std::string_view> DesignFocusOrder();

// The placement rows in the order the load routine applies them, in logical units. Rows
// without a size (the two phase-step buttons and lblCaution) keep their design size in twips
// and their design font; the others also get the font size H x 0.0008 points.
std::span<const toolkit::ControlPlacement> DesignPlacements();

// Font size of the placed controls and of the window's printed text: H x 0.0008 points for a
// screen H twips high (9.216 on a 768-pixel screen).
double DesignFontPoints(toolkit::ScreenTwips screen);

// Puts every control of `window` into its design-time state: text, background, visibility, font
// size and tooltip (positions come from the load routine).
void ApplyDesignTimeState(toolkit::Window& window);

}  // namespace corvantile
