#include "shell/qt/desktop_program.h"

#include <QIcon>
#include <QString>
#include <QWidget>

#include "dialogs/qt/frm_dialog.h"

namespace corvantile {

DesktopProgram::DesktopProgram(std::optional<toolkit::ScreenTwips> forcedScreen,
                               const std::filesystem::path& sessionFile)
    : platform_(forcedScreen), opening_(state_, platform_, *this, sessionFile) {
  const QIcon icon(QStringLiteral(":/icons/corvantile.svg"));
  opening_.window().widget()->setWindowIcon(icon);
  RegisterDialogs(platform_, state_,
                  [this]() -> QWidget* { return design_ ? design_->window().widget() : nullptr; });
}

void DesktopProgram::Start() { opening_.Show(); }

FrmDesign& DesktopProgram::design() {
  if (!design_) {
    design_ = std::make_unique<FrmDesign>(state_, platform_);
    design_->window().widget()->setWindowIcon(QIcon(QStringLiteral(":/icons/corvantile.svg")));
    response_ = &ResponseLauncher::Attach(*design_, state_);
  }
  return *design_;
}

ResponseLauncher& DesktopProgram::response() {
  design();
  return *response_;
}

void DesktopProgram::ShowDesignWindow() { design().Show(); }

}  // namespace corvantile
