#include "design/qt/frm_design.h"

#include <span>
#include <string>
#include <utility>

#include <QAbstractButton>
#include <QWidget>

#include "design/design_controls.h"
#include "toolkit/placement.h"
#include "toolkit/qt/qt_look.h"

namespace corvantile {

FrmDesign::FrmDesign(RunState& state, toolkit::Platform& platform)
    : platform_(platform), window_(kDesignWindowName), logic_(state, window_, platform) {
  toolkit::BuildFromLook(window_, DesignLook());
  for (const toolkit::ControlLook& look : DesignControls()) {
    if (look.kind != toolkit::ControlKind::CommandButton) continue;
    QWidget* widget = window_.Find(look.name).widget();
    const std::string name(look.name);
    QObject::connect(static_cast<QAbstractButton*>(widget), &QAbstractButton::clicked, widget,
                     [this, name] { logic_.Click(name); });
  }
  lastInFocusOrder_ = window_.Find(DesignFocusOrder().back()).widget();
}

toolkit::QtControl& FrmDesign::AddCommandButton(const toolkit::ControlLook& look,
                                                const toolkit::ControlPlacement& place,
                                                std::function<void()> onClick) {
  // Built as the designed controls are, next in the focus chain.
  lastInFocusOrder_ = toolkit::AddFromLook(window_, std::span(&look, 1), lastInFocusOrder_);
  toolkit::QtControl& control = window_.Find(look.name);
  QWidget* widget = control.widget();
  QObject::connect(static_cast<QAbstractButton*>(widget), &QAbstractButton::clicked, widget,
                   [onClick = std::move(onClick)] { onClick(); });
  added_.push_back({look, place});
  if (loaded_) Place(added_.back());
  return control;
}

void FrmDesign::Place(const AddedButton& added) {
  toolkit::PlaceControl(window_.Find(added.place.name), added.place, added.look, window_.scale(),
                        DesignFontPoints(platform_.screen()));
}

void FrmDesign::Load() {
  if (loaded_) return;
  loaded_ = true;
  logic_.FormLoad();
  for (const AddedButton& added : added_) Place(added);
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
