#include "toolkit/qt/qt_look.h"

#include <string>

#include <QPushButton>
#include <QRadioButton>

namespace corvantile::toolkit {
namespace {

Qt::Alignment ToQtAlignment(TextAlign align, QtControlKind kind) {
  const Qt::Alignment vertical = kind == QtControlKind::Label ? Qt::AlignTop : Qt::AlignVCenter;
  switch (align) {
    case TextAlign::Centre:
      return Qt::AlignHCenter | vertical;
    case TextAlign::Right:
      return Qt::AlignRight | vertical;
    case TextAlign::Left:
      break;
  }
  return Qt::AlignLeft | vertical;
}

QtControl& AddControl(QtWindow& window, const ControlLook& designed) {
  switch (designed.kind) {
    case ControlKind::CommandButton:
      return window.AddButton(designed.name, designed.text);
    case ControlKind::TextBox:
      return window.AddTextBox(designed.name);
    case ControlKind::OptionButton:
      return window.AddOptionButton(designed.name, designed.text);
    case ControlKind::Label:
      break;
  }
  return window.AddLabel(designed.name, designed.text);
}

}  // namespace

void BuildFromLook(QtWindow& window, const WindowLook& look) {
  window.SetBackground(look.background);
  window.SetCaption(std::string(look.caption));
  if (look.drawColour) window.SetForeground(*look.drawColour);
  if (!look.drawFont.family.empty()) window.SetFont(look.drawFont.family, look.drawFont.bold);
  // Designed positions are in twips until the window's load sets a logical scale.
  window.SetScale(LogicalScale{});

  AddFromLook(window, look.controls);

  if (!look.defaultButton.empty()) {
    auto* button = static_cast<QPushButton*>(window.Find(look.defaultButton).widget());
    button->setDefault(true);
  }
}

QWidget* AddFromLook(QtWindow& window, std::span<const ControlLook> controls, QWidget* previous) {
  for (const ControlLook& designed : controls) {
    QtControl& control = AddControl(window, designed);
    control.SetFont(designed.font.family, designed.font.bold, designed.font.points);
    if (designed.textColour) control.SetForeground(*designed.textColour);
    if (designed.kind == ControlKind::Label) {
      control.SetTransparent(designed.transparent || !designed.background);
      control.SetAlignment(ToQtAlignment(designed.align, control.kind()));
    }
    if (designed.background) control.SetBackground(*designed.background);
    if (designed.kind == ControlKind::OptionButton) {
      // The window's option buttons share one parent and so form one exclusive group.
      static_cast<QRadioButton*>(control.widget())->setChecked(designed.checked);
    }
    if (!designed.toolTip.empty()) control.SetToolTip(std::string(designed.toolTip));
    if (designed.rect.width > 0) control.SetGeometry(designed.rect);
    if (designed.hidden) control.SetVisible(false);

    QWidget* widget = control.widget();
    if (designed.kind == ControlKind::Label) {
      // A label overlapping a box or button lies behind it, unless it is meant to cover them.
      if (!designed.inFront) widget->lower();
      continue;
    }
    widget->setFocusPolicy(Qt::StrongFocus);
    if (previous) QWidget::setTabOrder(previous, widget);
    previous = widget;
  }
  return previous;
}

}  // namespace corvantile::toolkit
