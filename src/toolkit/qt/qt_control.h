#pragma once

// A control of a Qt window: a push button, label, line edit or radio button placed in its
// window's logical units.
#include <string>
#include <string_view>

#include <QWidget>

#include "toolkit/geometry.h"
#include "toolkit/toolkit.h"

namespace corvantile::toolkit {

enum class QtControlKind { Button, Label, TextBox, OptionButton };

class QtControl : public Control {
 public:
  // `widget` belongs to its Qt parent; `scale` is the window's and outlives the control.
  QtControl(QWidget* widget, QtControlKind kind, const LogicalScale& scale);

  void SetText(const std::string& text) override;
  std::string Text() const override;
  void SetVisible(bool visible) override;
  // Whether the control is shown with its window (true before the window itself is shown).
  bool IsVisible() const override;
  void SetGeometry(const LogicalRect& rect) override;
  void SetFontSize(double points) override;
  void SetBackground(Rgb colour) override;
  void SetChecked(bool checked) override;
  bool IsChecked() const override;
  void SetToolTip(const std::string& text) override;

  // The design-time look.
  void SetFont(std::string_view family, bool bold, double points);
  void SetForeground(Rgb colour);
  // A transparent label shows what lies behind it; its background colour is kept, not drawn.
  void SetTransparent(bool transparent);
  void SetAlignment(Qt::Alignment alignment);

  QWidget* widget() const { return widget_; }
  QtControlKind kind() const { return kind_; }
  const Rgb& background() const { return background_; }

 private:
  void ApplyBackground();

  QWidget* widget_;
  QtControlKind kind_;
  const LogicalScale& scale_;
  std::string fontFamily_ = "Arial";
  bool bold_ = true;
  bool transparent_ = false;
  Rgb background_;
};

}  // namespace corvantile::toolkit
