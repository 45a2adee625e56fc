#include "shell/qt/frm_opening.h"

#include <QAbstractButton>
#include <QWidget>

#include "toolkit/qt/qt_look.h"

namespace corvantile {

FrmOpening::FrmOpening(RunState& state, toolkit::Platform& platform, DesignWindowHost& host,
                       const std::filesystem::path& sessionFile)
    : window_(OpeningLook().name), logic_(state, window_, platform, host, sessionFile) {
  toolkit::BuildFromLook(window_, OpeningLook());
  auto connect = [this](const char* name, void (OpeningScreen::*command)()) {
    auto* button = static_cast<QAbstractButton*>(window_.Find(name).widget());
    QObject::connect(button, &QAbstractButton::clicked, button,
                     [this, command] { (logic_.*command)(); });
  };
  connect("cmdStart", &OpeningScreen::cmdStart_Click);
  connect("cmdExit", &OpeningScreen::cmdExit_Click);
}

void FrmOpening::Load() {
  if (loaded_) return;
  loaded_ = true;
  logic_.Form_Load();
}

void FrmOpening::Show() {
  Load();
  window_.ShowMaximized();
  window_.Find("cmdStart").widget()->setFocus(Qt::OtherFocusReason);
}

QImage FrmOpening::Render(QSize size) {
  Load();
  window_.widget()->resize(size);
  return window_.Render();
}

}  // namespace corvantile
