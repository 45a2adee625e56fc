#pragma once

// The design-time look of a window and its controls, as data: what a toolkit implementation
// builds its widgets from before the window's load logic runs, the same way for every window.
// Positions are in twips. A window whose load sets a logical scale places its controls itself
// (toolkit/placement.h): their rectangles here are empty, or give only the size in twips a
// control keeps whatever the scale (left and top 0).
#include <optional>
#include <span>
#include <string_view>

#include "toolkit/geometry.h"

namespace corvantile::toolkit {

enum class ControlKind { Label, TextBox, OptionButton, CommandButton };
enum class TextAlign { Left, Centre, Right };

struct FontLook {
  std::string_view family{};
  double points = 0;
  bool bold = false;
};

struct ControlLook {
  std::string_view name{};  // the control's object name, found with Window::Find
  ControlKind kind = ControlKind::Label;
  std::string_view text{};  // design-time text
  LogicalRect rect{};       // design-time place in twips; empty when the load places it
  FontLook font{};
  TextAlign align = TextAlign::Left;
  std::optional<Rgb> textColour{};  // none: the system's
  std::optional<Rgb> background{};  // none: transparent (labels) or the system's (buttons)
  // A transparent label shows what lies behind it; its background is then only kept as the
  // control's colour, never drawn. A label without a background is transparent anyway.
  bool transparent = false;
  bool hidden = false;   // built hidden, until the window's logic shows it
  bool checked = false;  // option buttons
  // Labels lie behind the controls they overlap, except one in front, which covers the controls
  // built before it (the design window's caution over its family buttons).
  bool inFront = false;
  // What the control does, in a sentence the user reads when hovering it (commands); empty for
  // none.
  std::string_view toolTip{};

  // A size the load keeps whatever the scale (a control it only moves).
  bool HasDesignSize() const { return rect.width > 0 && rect.height > 0; }
};

// The frame a command button draws just inside its edge while it holds the keyboard focus: on
// buttons of any background colour, and on a window's default button (which the style outlines
// whether focused or not), the focus must show.
struct FocusLook {
  Rgb colour;
  int width = 1;  // device-independent pixels
  int inset = 1;  // from the button's edge to the frame
};
inline constexpr FocusLook kCommandFocus{{0, 70, 170}, 2, 2};

// Builders for look tables (aggregate initialisation with fields left out would warn):
// WithAlign(MakeControlLook("cmdExit", ControlKind::CommandButton, "Enter", {}, font),
//           TextAlign::Centre).
constexpr ControlLook MakeControlLook(std::string_view name, ControlKind kind,
                                      std::string_view text, LogicalRect rect, FontLook font) {
  ControlLook look;
  look.name = name;
  look.kind = kind;
  look.text = text;
  look.rect = rect;
  look.font = font;
  return look;
}
constexpr ControlLook WithAlign(ControlLook look, TextAlign align) {
  look.align = align;
  return look;
}
constexpr ControlLook WithTextColour(ControlLook look, Rgb colour) {
  look.textColour = colour;
  return look;
}
constexpr ControlLook WithBackground(ControlLook look, Rgb colour) {
  look.background = colour;
  return look;
}
constexpr ControlLook Checked(ControlLook look) {
  look.checked = true;
  return look;
}
constexpr ControlLook Transparent(ControlLook look) {
  look.transparent = true;
  return look;
}
constexpr ControlLook Hidden(ControlLook look) {
  look.hidden = true;
  return look;
}
constexpr ControlLook InFront(ControlLook look) {
  look.inFront = true;
  return look;
}
constexpr ControlLook WithToolTip(ControlLook look, std::string_view toolTip) {
  look.toolTip = toolTip;
  return look;
}

// The look named `name` in `controls`, or nullptr.
constexpr const ControlLook* FindLook(std::span<const ControlLook> controls,
                                      std::string_view name) {
  for (const ControlLook& look : controls) {
    if (look.name == name) return &look;
  }
  return nullptr;
}

struct WindowLook {
  std::string_view name;     // the window's object name, e.g. "frmEnterInput"
  std::string_view caption;  // design-time caption (loads may replace it)
  double clientWidthTwips = 0;
  double clientHeightTwips = 0;
  Rgb background;
  // In keyboard focus order; the first one that can take the focus holds it when shown.
  std::span<const ControlLook> controls;
  std::string_view defaultButton;  // pressed by the Return key; empty for none
  // The colour and font of what the window's logic draws and prints on its surface; none or
  // an empty family: the toolkit's (black; bold Arial).
  std::optional<Rgb> drawColour{};
  FontLook drawFont{};
};

}  // namespace corvantile::toolkit
