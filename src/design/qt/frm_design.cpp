#include "design/qt/frm_design.h"

#include <string>
#include <utility>

#include <QAbstractButton>
#include <QWidget>

#include "design/design_controls.h"

namespace corvantile {

FrmDesign::FrmDesign(RunState& state, toolkit::Platform& platform)
    : platform_(platform), window_(kDesignWindowName), logic_(state, window_, platform) {
  window_.SetBackground(kDesignBackground);
  window_.SetForeground(kDesignDrawColour);
  window_.SetFont(kDesignFontFamily, kDesignFontBold);
  BuildControls();
}

toolkit::QtControl& FrmDesign::BuildControl(const ControlSpec& look) {
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
  return control;
}

void FrmDesign::BuildControls() {
  for (const ControlSpec& look : DesignControls()) {
    toolkit::QtControl& control = BuildControl(look);
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
  lastInFocusOrder_ = previous;
}

toolkit::QtControl& FrmDesign::AddCommandButton(const ControlSpec& look,
                                                const ControlPlacement& place,
                                                std::function<void()> onClick) {
  toolkit::QtControl& control = BuildControl(look);
  control.SetText(std::string(look.text));
  control.SetBackground(look.background);
  control.SetVisible(!look.hidden);
  QWidget* widget = control.widget();
  QObject::connect(static_cast<QAbstractButton*>(widget), &QAbstractButton::clicked, widget,
                   [onClick = std::move(onClick)] { onClick(); });
  widget->setFocusPolicy(Qt::StrongFocus);
  if (lastInFocusOrder_) QWidget::setTabOrder(lastInFocusOrder_, widget);
  lastInFocusOrder_ = widget;
  addedPlacements_.push_back(place);
  if (loaded_) Place(place);
  return control;
}

void FrmDesign::Place(const ControlPlacement& place) {
  toolkit::QtControl& control = window_.Find(place.name);
  if (place.SetsSizeAndFont()) {
    control.SetGeometry({place.left, place.top, place.width, place.height});
    control.SetFontSize(DesignFontPoints(platform_.Screen()));
  } else {
    control.widget()->move(static_cast<int>(window_.scale().XToPixels(place.left)),
                           static_cast<int>(window_.scale().YToPixels(place.top)));
  }
}

void FrmDesign::Load() {
  if (loaded_) return;
  loaded_ = true;
  logic_.FormLoad();
  for (const ControlPlacement& place : addedPlacements_) Place(place);
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
