#include "shell/qt/desktop_program.h"

#include <QIcon>
#include <QString>
#include <QWidget>

#include "dialogs/qt/frm_dialog.h"
#include "state/settings_file.h"

namespace corvantile {

DesktopProgram::DesktopProgram(std::optional<toolkit::ScreenTwips> forcedScreen,
                               const std::filesystem::path& sessionFile)
    : sessionFile_(sessionFile),
      platform_(forcedScreen),
      opening_(model_.state(), platform_, *this, sessionFile) {
  const QIcon icon(QStringLiteral(":/icons/corvantile.svg"));
  opening_.window().widget()->setWindowIcon(icon);
  RegisterDialogs(platform_, model_.state(),
                  [this]() -> QWidget* { return design_ ? design_->window().widget() : nullptr; });
}

void DesktopProgram::Start() { opening_.Show(); }

FrmDesign& DesktopProgram::design() {
  if (!design_) {
    // The recent design files are kept beside the session file the program started from.
    design_ =
        std::make_unique<FrmDesign>(model_, platform_, SettingsFileFor(sessionFile_.string()));
    design_->window().widget()->setWindowIcon(QIcon(QStringLiteral(":/icons/corvantile.svg")));
    response_ = &ResponseLauncher::Attach(*design_, model_);
  }
  return *design_;
}

ResponseLauncher& DesktopProgram::response() {
  design();
  return *response_;
}

void DesktopProgram::ShowDesignWindow() { design().Show(); }

bool DesktopProgram::StartWithDesign(const std::filesystem::path& designFile) {
  opening_.Load();  // the start-up: values, session file
  ShowDesignWindow();
  return design().OpenDesign(QString::fromStdString(designFile.string()));
}

}  // namespace corvantile
