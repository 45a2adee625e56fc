#include "toolkit/qt/qt_control.h"

#include <cmath>

#include <QAbstractButton>
#include <QLabel>
#include <QLineEdit>
#include <QPalette>

#include "toolkit/qt/qt_fonts.h"

namespace corvantile::toolkit {
namespace {

QColor ToQColor(Rgb colour) { return QColor(colour.r, colour.g, colour.b); }

int RoundToInt(double value) { return static_cast<int>(std::lround(value)); }

}  // namespace

QtControl::QtControl(QWidget* widget, QtControlKind kind, const LogicalScale& scale)
    : widget_(widget), kind_(kind), scale_(scale) {
  const QColor base =
      widget_->palette().color(kind_ == QtControlKind::Label ? QPalette::Window : QPalette::Button);
  background_ = {base.red(), base.green(), base.blue()};
}

void QtControl::SetText(const std::string& text) {
  const QString qtext = QString::fromStdString(text);
  switch (kind_) {
    case QtControlKind::Button:
    case QtControlKind::OptionButton:
      static_cast<QAbstractButton*>(widget_)->setText(qtext);
      break;
    case QtControlKind::Label:
      static_cast<QLabel*>(widget_)->setText(qtext);
      break;
    case QtControlKind::TextBox:
      static_cast<QLineEdit*>(widget_)->setText(qtext);
      break;
  }
}

std::string QtControl::Text() const {
  switch (kind_) {
    case QtControlKind::Button:
    case QtControlKind::OptionButton:
      return static_cast<const QAbstractButton*>(widget_)->text().toStdString();
    case QtControlKind::Label:
      return static_cast<const QLabel*>(widget_)->text().toStdString();
    case QtControlKind::TextBox:
      return static_cast<const QLineEdit*>(widget_)->text().toStdString();
  }
  return {};
}

void QtControl::SetVisible(bool visible) { widget_->setVisible(visible); }

bool QtControl::IsVisible() const { return !widget_->isHidden(); }

void QtControl::SetGeometry(const LogicalRect& rect) {
  // Round the edges rather than the size, so that controls sharing an edge in logical units
  // share it in pixels too.
  const int left = RoundToInt(scale_.XToPixels(rect.left));
  const int top = RoundToInt(scale_.YToPixels(rect.top));
  const int right = RoundToInt(scale_.XToPixels(rect.left + rect.width));
  const int bottom = RoundToInt(scale_.YToPixels(rect.top + rect.height));
  widget_->setGeometry(left, top, std::max(right - left, 0), std::max(bottom - top, 0));
}

void QtControl::SetFontSize(double points) {
  widget_->setFont(MakeFont(fontFamily_, bold_, points, *widget_));
}

void QtControl::SetFont(std::string_view family, bool bold, double points) {
  fontFamily_ = family;
  bold_ = bold;
  SetFontSize(points);
}

void QtControl::SetBackground(Rgb colour) {
  background_ = colour;
  ApplyBackground();
}

void QtControl::SetTransparent(bool transparent) {
  transparent_ = transparent;
  ApplyBackground();
}

void QtControl::ApplyBackground() {
  QPalette palette = widget_->palette();
  switch (kind_) {
    case QtControlKind::Button:
      palette.setColor(QPalette::Button, ToQColor(background_));
      break;
    case QtControlKind::TextBox:
      palette.setColor(QPalette::Base, ToQColor(background_));
      break;
    case QtControlKind::Label:
    case QtControlKind::OptionButton:
      palette.setColor(QPalette::Window, ToQColor(background_));
      widget_->setAutoFillBackground(!transparent_);
      break;
  }
  widget_->setPalette(palette);
}

void QtControl::SetForeground(Rgb colour) {
  QPalette palette = widget_->palette();
  palette.setColor(QPalette::WindowText, ToQColor(colour));
  palette.setColor(QPalette::ButtonText, ToQColor(colour));
  palette.setColor(QPalette::Text, ToQColor(colour));
  widget_->setPalette(palette);
}

void QtControl::SetAlignment(Qt::Alignment alignment) {
  if (kind_ == QtControlKind::Label) static_cast<QLabel*>(widget_)->setAlignment(alignment);
  if (kind_ == QtControlKind::TextBox) static_cast<QLineEdit*>(widget_)->setAlignment(alignment);
}

void QtControl::SetChecked(bool checked) {
  if (kind_ == QtControlKind::OptionButton) {
    static_cast<QAbstractButton*>(widget_)->setChecked(checked);
  }
}

bool QtControl::IsChecked() const {
  return kind_ == QtControlKind::OptionButton &&
         static_cast<const QAbstractButton*>(widget_)->isChecked();
}

void QtControl::SetToolTip(const std::string& text) {
  widget_->setToolTip(QString::fromStdString(text));
}

}  // namespace corvantile::toolkit
