#pragma once

// The small windowing layer the windows' logic is written against: controls found by name,
// a drawing surface that keeps what was drawn, and the few platform services (screen size,
// beep, message box, modal dialogs, ending the program). One implementation uses Qt, the
// other records every call for tests.
//
// Names, as in the rest of the program: what an object keeps or hands out is asked for in lower
// case (`surface()`, `screen()`, `scale()`); what looks up, changes or reads back a control's
// state is CamelCase (`Find`, `SetText` and `Text`, `SetVisible` and `IsVisible`).
#include <string>
#include <string_view>

#include "toolkit/geometry.h"

namespace corvantile::toolkit {

// A button, label, text box or option button, placed in its window's logical units.
class Control {
 public:
  virtual ~Control() = default;
  virtual void SetText(const std::string& text) = 0;  // caption of a button or label, box text
  virtual std::string Text() const = 0;
  virtual void SetVisible(bool visible) = 0;
  virtual bool IsVisible() const = 0;
  virtual void SetGeometry(const LogicalRect& rect) = 0;
  virtual void SetFontSize(double points) = 0;
  virtual void SetBackground(Rgb colour) = 0;
  virtual void SetChecked(bool checked) = 0;  // option buttons; others ignore it
  virtual bool IsChecked() const = 0;
  // What hovering the control says it does; empty for nothing.
  virtual void SetToolTip(const std::string& text) = 0;
};

enum class LineStyle { Solid, Dotted };

// A window's drawing surface in logical units, origin top left, y down. What is drawn stays
// until Clear. Arc angles are radians counter-clockwise on the screen from the +x direction:
// 0 to pi is the upper half of a circle.
class Surface {
 public:
  virtual ~Surface() = default;
  virtual void Clear() = 0;
  virtual void Line(double x1, double y1, double x2, double y2, Rgb colour, int width = 1,
                    LineStyle style = LineStyle::Solid) = 0;
  virtual void FillRect(double x1, double y1, double x2, double y2, Rgb colour) = 0;
  virtual void OutlineRect(double x1, double y1, double x2, double y2, Rgb colour,
                           int width = 1) = 0;
  virtual void Arc(double cx, double cy, double radius, double startAngle, double endAngle,
                   Rgb colour, int width = 1) = 0;
  // Plots one point, which also moves the text position there.
  virtual void Point(double x, double y, Rgb colour) = 0;
  // Prints text with its top-left corner at the text position, in the window's font.
  virtual void Print(const std::string& text) = 0;
};

// A window or dialog: its controls by name (the names are the controls' object names), its
// surface, caption, scale and own font size.
class Window {
 public:
  virtual ~Window() = default;
  virtual Control& Find(std::string_view name) = 0;
  virtual Surface& surface() = 0;
  virtual void SetCaption(const std::string& caption) = 0;
  virtual void SetScale(const LogicalScale& scale) = 0;
  virtual void SetFontSize(double points) = 0;  // the font of text printed on the surface
  virtual void Close() = 0;
};

// The modal dialogs the design window opens.
enum class DialogId { Source, Load, Frequency, Power, Phase };

// The answer to "save the changes?".
enum class SaveAnswer { Save, Discard, Cancel };

// Services of the platform.
class Platform {
 public:
  virtual ~Platform() = default;
  virtual ScreenTwips screen() const = 0;
  virtual void Beep() = 0;
  // A message box titled "Corvantile" with an OK button; returns when it is dismissed.
  virtual void ShowMessage(const std::string& text) = 0;
  // A message box titled "Corvantile" asking `text`, with Save, Discard and Cancel buttons;
  // closing it otherwise is Cancel.
  virtual SaveAnswer AskToSave(const std::string& text) = 0;
  // Shows a dialog modally; returns when it has closed (it reads and writes the run state).
  virtual void ShowDialog(DialogId dialog) = 0;
  // Ends the program (after the current event).
  virtual void Quit() = 0;
};

}  // namespace corvantile::toolkit
