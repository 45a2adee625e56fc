#pragma once

// The design window frmDesign as designed: its controls with their fixed look, the keyboard
// focus order, and the placement its load routine gives them. The toolkit implementations build
// their widgets from these tables; the window's logic places them and changes their texts,
// colours and visibility at run time.
#include <span>
#include <string_view>

#include "toolkit/geometry.h"
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

enum class ControlKind { Button, Label };
enum class TextAlignment { Left, Centre };

// One control's design-time look. Buttons draw their background colour; a transparent label
// shows the window background behind its text (its background is then only the design value,
// never drawn). fixedWidthTwips/fixedHeightTwips are non-zero for the controls whose size and
// font are never changed after design.
struct ControlSpec {
  std::string_view name;
  ControlKind kind = ControlKind::Button;
  std::string_view text;
  toolkit::Rgb background{224, 224, 224};
  toolkit::Rgb foreground{0, 0, 0};
  bool transparent = false;
  std::string_view fontFamily = kDesignFontFamily;
  bool bold = true;
  double fontPoints = kDesignFontPoints;
  TextAlignment alignment = TextAlignment::Left;
  bool hidden = false;
  double fixedWidthTwips = 0;
  double fixedHeightTwips = 0;

  bool HasFixedSize() const { return fixedWidthTwips > 0 && fixedHeightTwips > 0; }
};

// Every control of the window the program uses, in no particular order.
std::span<const ControlSpec> DesignControls();

// The design-time look of a control by name, or nullptr.
const ControlSpec* FindDesignControl(std::string_view name);

// The visible buttons in keyboard focus order; the first (cmdTee) holds the focus on opening.
std::span<const std::string_view> DesignFocusOrder();

// One row of the load routine's placement, in logical units. Rows without a size (the two
// phase-step buttons and lblCaution) keep their fixed twips size and design font; the others
// also get the font size H x 0.0008 points.
struct ControlPlacement {
  std::string_view name;
  double left = 0;
  double top = 0;
  double width = 0;  // 0: keep the design size and font
  double height = 0;

  bool SetsSizeAndFont() const { return width > 0; }
};

// The placement rows in the order the load routine applies them.
std::span<const ControlPlacement> DesignPlacements();

// Font size of the placed controls and of the window's printed text: H x 0.0008 points for a
// screen H twips high (9.216 on a 768-pixel screen).
double DesignFontPoints(toolkit::ScreenTwips screen);

// Puts every control of `window` into its design-time state: text, background, visibility and
// font size (positions come from the load routine).
void ApplyDesignTimeState(toolkit::Window& window);

}  // namespace corvantile
