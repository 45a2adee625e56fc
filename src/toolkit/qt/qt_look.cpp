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

QtControl& AddControl(QtWindow& window, const ControlLook& look) {
  switch (look.kind) {
    case ControlKind::CommandButton:
      return window.AddButton(look.name, look.text);
    case ControlKind::TextBox:
      return window.AddTextBox(look.name);
    case ControlKind::OptionButton:
      return window.AddOptionButton(look.name, look.text);
    case ControlKind::Label:
      break;
  }
  return window.AddLabel(look.name, look.text);
}

}  // namespace

void BuildFromLook(QtWindow& window, const WindowLook& look) {
  window.SetBackground(look.background);
  window.SetCaption(std::string(look.caption));
  // Designed positions are in twips until the window's load sets a logical scale.
  window.SetScale(LogicalScale{});

  QWidget* previous = nullptr;
  for (const ControlLook& spec : look.controls) {
    QtControl& control = AddControl(window, spec);
    control.SetFont(spec.font.family, spec.font.bold, spec.font.points);
    if (spec.textColour) control.SetForeground(*spec.textColour);
    if (spec.kind == ControlKind::Label) {
      control.SetTransparent(!spec.background);
      control.SetAlignment(ToQtAlignment(spec.align, control.kind()));
    }
    if (spec.background) control.SetBackground(*spec.background);
    if (spec.kind == ControlKind::OptionButton) {
      // The window's option buttons share one parent and so form one exclusive group.
      static_cast<QRadioButton*>(control.widget())->setChecked(spec.checked);
    }
    if (spec.rect.width > 0) control.SetGeometry(spec.rect);

    QWidget* widget = control.widget();
    if (spec.kind == ControlKind::Label) {
      widget->lower();  // a label overlapping a box or button lies behind it
      continue;
    }
    widget->setFocusPolicy(Qt::StrongFocus);
    if (previous) QWidget::setTabOrder(previous, widget);
    previous = widget;
  }

  if (!look.defaultButton.empty()) {
    auto* button = static_cast<QPushButton*>(window.Find(look.defaultButton).widget());
    button->setDefault(true);
  }
}

}  // namespace corvantile::toolkit
