#pragma once

// The design-time look of a window and its controls, as data: what a toolkit implementation
// builds its widgets from before the window's load logic runs. Positions are in the window's
// design units (twips unless the window's load sets a logical scale and places the controls
// itself, in which case the rectangles here are empty).
#include <optional>
#include <span>
#include <string_view>

#include "toolkit/geometry.h"

namespace corvantile::toolkit {

enum class ControlKind { Label, TextBox, OptionButton, CommandButton };
enum class TextAlign { Left, Centre, Right };

struct FontLook {
  std::string_view family;
  double points = 0;
  bool bold = false;
};

struct ControlLook {
  std::string_view name;  // the control's object name, found with Window::Find
  ControlKind kind = ControlKind::Label;
  std::string_view text;  // design-time text
  LogicalRect rect;       // design-time place in twips; empty when the load places it
  FontLook font;
  TextAlign align = TextAlign::Left;
  std::optional<Rgb> textColour;  // none: the system's
  std::optional<Rgb> background;  // none: transparent (labels) or the system's (buttons)
  bool checked = false;           // option buttons
};

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

struct WindowLook {
  std::string_view name;     // the window's object name, e.g. "frmEnterInput"
  std::string_view caption;  // design-time caption (loads may replace it)
  double clientWidthTwips = 0;
  double clientHeightTwips = 0;
  Rgb background;
  // In keyboard focus order; the first one that can take the focus holds it when shown.
  std::span<const ControlLook> controls;
  std::string_view defaultButton;  // pressed by the Return key; empty for none
};

}  // namespace corvantile::toolkit
