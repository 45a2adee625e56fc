#include "design/qt/frm_design.h"

#include <span>
#include <string>
#include <utility>

#include <QAbstractButton>
#include <QAction>
#include <QFileDialog>
#include <QFileInfo>
#include <QKeySequence>
#include <QMenu>
#include <QShortcut>
#include <QWidget>

#include "design/design_controls.h"
#include "toolkit/placement.h"
#include "toolkit/qt/qt_look.h"

namespace corvantile {

namespace {

constexpr const char* kDesignFileFilter = "Design files (*.cfg *.CFG);;All files (*)";

QString DefaultChooseFile(QWidget* parent, bool save, const QString& suggested) {
  const QString filter = QString::fromLatin1(kDesignFileFilter);
  return save ? QFileDialog::getSaveFileName(parent, QStringLiteral("Save the design"), suggested,
                                             filter)
              : QFileDialog::getOpenFileName(parent, QStringLiteral("Open a design"), suggested,
                                             filter);
}

std::optional<std::string> DefaultChooseRecent(QWidget* parent,
                                               const std::vector<std::string>& files) {
  QMenu menu(parent);
  menu.setObjectName(QStringLiteral("recentFiles"));
  if (files.empty()) menu.addAction(QStringLiteral("(no recent design files)"))->setEnabled(false);
  for (std::size_t i = 0; i < files.size(); ++i) {
    const QString path = QString::fromStdString(files[i]);
    QAction* action =
        menu.addAction(QStringLiteral("&%1  %2").arg(i + 1).arg(QFileInfo(path).fileName()));
    action->setData(path);
    action->setToolTip(path);
  }
  if (!menu.actions().isEmpty()) menu.setActiveAction(menu.actions().front());
  const QAction* chosen = menu.exec(parent->mapToGlobal(parent->rect().center()));
  if (chosen == nullptr || chosen->data().toString().isEmpty()) return std::nullopt;
  return chosen->data().toString().toStdString();
}

}  // namespace

FrmDesign::FrmDesign(RunState& state, toolkit::Platform& platform,
                     const std::filesystem::path& recentListFile)
    : platform_(platform),
      window_(kDesignWindowName),
      logic_(state, window_, platform),
      document_(state, logic_, window_, platform, recentListFile) {
  toolkit::BuildFromLook(window_, DesignLook());
  for (const toolkit::ControlLook& look : DesignControls()) {
    if (look.kind != toolkit::ControlKind::CommandButton) continue;
    QWidget* widget = window_.Find(look.name).widget();
    const std::string name(look.name);
    QObject::connect(static_cast<QAbstractButton*>(widget), &QAbstractButton::clicked, widget,
                     [this, name] {
                       // Exit writes the session file, and the settings file beside it here.
                       if (name == "cmdExit") {
                         std::string error;
                         document_.WriteProgramSettings(error);
                       }
                       document_.Change([this, &name] { logic_.Click(name); });
                     });
  }
  lastInFocusOrder_ = window_.Find(DesignFocusOrder().back()).widget();
  AddFileShortcuts(window_.widget());
}

void FrmDesign::AddFileShortcuts(QWidget* target) {
  auto add = [target](const char* keys, auto slot) {
    auto* shortcut = new QShortcut(QKeySequence(QString::fromLatin1(keys)), target);
    shortcut->setContext(Qt::WindowShortcut);
    QObject::connect(shortcut, &QShortcut::activated, target, slot);
  };
  for (const char* keys : kUndoKeys) add(keys, [this] { Undo(); });
  for (const char* keys : kRedoKeys) add(keys, [this] { Redo(); });
  add(kSaveKey, [this] { Save(); });
  add(kSaveAsKey, [this] { SaveAs(); });
  add(kOpenKey, [this] { Open(); });
  add(kOpenRecentKey, [this] { OpenRecent(); });
}

void FrmDesign::Undo() {
  Load();
  if (!document_.Undo()) platform_.Beep();
}

void FrmDesign::Redo() {
  Load();
  if (!document_.Redo()) platform_.Beep();
}

void FrmDesign::Save() {
  Load();
  if (!document_.Save() && !document_.file()) SaveAs();
}

void FrmDesign::SaveAs() {
  Load();
  const QString suggested =
      document_.file() ? QString::fromStdString(document_.file()->string()) : QString();
  const QString file = chooseFile_ ? chooseFile_(true, suggested)
                                   : DefaultChooseFile(window_.widget(), true, suggested);
  if (!file.isEmpty()) document_.SaveAs(file.toStdString());
}

void FrmDesign::Open() {
  Load();
  const QString suggested =
      document_.file() ? QFileInfo(QString::fromStdString(document_.file()->string())).path()
                       : QString();
  const QString file = chooseFile_ ? chooseFile_(false, suggested)
                                   : DefaultChooseFile(window_.widget(), false, suggested);
  if (!file.isEmpty()) OpenDesign(file);
}

void FrmDesign::OpenRecent() {
  Load();
  const std::vector<std::string> files = document_.RecentFiles();
  const std::optional<std::string> file =
      chooseRecent_ ? chooseRecent_(files) : DefaultChooseRecent(window_.widget(), files);
  if (file) OpenDesign(QString::fromStdString(*file));
}

bool FrmDesign::OpenDesign(const QString& file) {
  Load();
  return document_.Open(file.toStdString());
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
