#include "dialogs/qt/frm_dialog.h"

#include <cmath>

#include <QAbstractButton>
#include <QDialog>
#include <QIcon>
#include <QString>

#include "dialogs/dialog_looks.h"
#include "toolkit/qt/qt_look.h"

namespace corvantile {
namespace {

int ToPixels(double twips) {
  return static_cast<int>(std::lround(twips / toolkit::kTwipsPerPixel));
}

bool IsEntryDialog(toolkit::DialogId dialog) {
  return dialog == toolkit::DialogId::Source || dialog == toolkit::DialogId::Load;
}

}  // namespace

FrmDialog::FrmDialog(toolkit::DialogId dialog, RunState& state, toolkit::ScreenTwips screen,
                     QWidget* parent)
    : dialog_(dialog),
      screen_(screen),
      window_(DialogLook(dialog).name, toolkit::QtWindow::Frame::Dialog, parent),
      logic_(MakeDialogLogic(dialog, state, window_, screen)) {
  const toolkit::WindowLook& look = DialogLook(dialog);
  toolkit::BuildFromLook(window_, look);
  window_.widget()->setWindowIcon(QIcon(QStringLiteral(":/icons/corvantile-dialog.svg")));
  if (IsEntryDialog(dialog)) {
    window_.SetLayoutSize(look.clientWidthTwips, look.clientHeightTwips);
  } else {
    window_.SetLayoutSize(6000, 4500);
  }
  auto* enter = static_cast<QAbstractButton*>(window_.Find("cmdExit").widget());
  QObject::connect(enter, &QAbstractButton::clicked, enter, [this] { logic_->cmdExit_Click(); });
}

void FrmDialog::Load() {
  if (loaded_) return;
  loaded_ = true;
  const toolkit::WindowLook& look = DialogLook(dialog_);
  const DialogPlacement place = PlaceDialog(dialog_, screen_, look.clientWidthTwips);
  QWidget* top = window_.widget();
  if (place.width > 0) {
    top->resize(ToPixels(place.width), ToPixels(place.height));
  } else {
    top->resize(ToPixels(look.clientWidthTwips), ToPixels(look.clientHeightTwips));
  }
  top->move(ToPixels(place.left), ToPixels(place.top));
  logic_->Form_Load();
}

void FrmDialog::Exec() {
  Load();
  window_.dialog()->exec();
}

QImage FrmDialog::Render() {
  Load();
  return window_.Render();
}

void RegisterDialogs(toolkit::QtPlatform& platform, RunState& state,
                     std::function<QWidget*()> parent) {
  for (toolkit::DialogId dialog :
       {toolkit::DialogId::Source, toolkit::DialogId::Load, toolkit::DialogId::Frequency,
        toolkit::DialogId::Power, toolkit::DialogId::Phase}) {
    platform.RegisterDialog(dialog, [dialog, &state, &platform, parent] {
      FrmDialog shown(dialog, state, platform.screen(), parent ? parent() : nullptr);
      shown.Exec();
    });
  }
}

}  // namespace corvantile
