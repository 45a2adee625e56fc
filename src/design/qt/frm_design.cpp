#include "design/qt/frm_design.h"

#include <string>

#include <QAbstractButton>
#include <QWidget>

#include "design/design_controls.h"

namespace corvantile {

FrmDesign::FrmDesign(RunState& state, toolkit::Platform& platform)
    : window_(kDesignWindowName), logic_(state, window_, platform) {
  window_.SetBackground(kDesignBackground);
  window_.SetForeground(kDesignDrawColour);
  window_.SetFont(kDesignFontFamily, kDesignFontBold);
  BuildControls();
}

void FrmDesign::BuildControls() {
  for (const ControlSpec& look : DesignControls()) {
    toolkit::QtControl& control = look.kind == ControlKind::Button
                                      ? window_.AddButton(look.name, look.text)
                                      : window_.AddLabel(look.name, look.text);
    control.SetFont(look.fontFamily, look.bold, look.fontPoints);
    control.SetForeground(look.foreground);
    control.SetTransparent(look.transparent);
    if (look.kind == ControlKind::Label) {
      control.SetAlignment(look.alignment == TextAlignment::Centre ? Qt::AlignHCenter | Qt::AlignTop
                                                                   : Qt::AlignLeft | Qt::AlignTop);
    }
    if (look.HasFixedSize()) {
      control.widget()->resize(static_cast<int>(look.fixedWidthTwips / toolkit::kTwipsPerPixel),
                               static_cast<int>(look.fixedHeightTwips / toolkit::kTwipsPerPixel));
    }
    if (look.kind == ControlKind::Button) {
      const std::string name(look.name);
      QObject::connect(static_cast<QAbstractButton*>(control.widget()), &QAbstractButton::clicked,
                       control.widget(), [this, name] { logic_.Click(name); });
    }
  }
  ApplyDesignTimeState(window_);

  QWidget* previous = nullptr;
  for (std::string_view name : DesignFocusOrder()) {
    QWidget* widget = window_.Find(name).widget();
    widget->setFocusPolicy(Qt::StrongFocus);
    if (previous) QWidget::setTabOrder(previous, widget);
    previous = widget;
  }
}

void FrmDesign::Load() {
  if (loaded_) return;
  loaded_ = true;
  logic_.FormLoad();
}

void FrmDesign::Show() {
  Load();
  window_.ShowMaximized();
  window_.Find(DesignFocusOrder().front()).widget()->setFocus(Qt::OtherFocusReason);
}

QImage FrmDesign::Render(QSize size) {
  Load();
  window_.widget()->resize(size);
  return window_.Render();
}

}  // namespace corvantile
