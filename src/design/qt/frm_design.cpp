#include "design/qt/frm_design.h"

#include <span>
#include <string>
#include <string_view>
#include <utility>

#include <QAbstractButton>
#include <QAction>
#include <QClipboard>
#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QInputDialog>
#include <QKeySequence>
#include <QMenu>
#include <QShortcut>
#include <QTimer>
#include <QWidget>

#include "design/design_controls.h"
#include "design/design_report.h"
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

constexpr const char* kMeasuredFileFilter =
    "Touchstone files (*.s1p *.s2p *.s3p *.s4p *.ts);;All files (*)";

QString DefaultChooseMeasuredFile(QWidget* parent, const QString& suggested) {
  return QFileDialog::getOpenFileName(parent, QStringLiteral("Open a measured file"), suggested,
                                      QString::fromLatin1(kMeasuredFileFilter));
}

std::optional<int> DefaultChoosePort(QWidget* parent, const QString& fileName, int ports) {
  bool ok = false;
  const int port =
      QInputDialog::getInt(parent, QStringLiteral("Corvantile"),
                           QStringLiteral("Which port of %1?").arg(fileName), 1, 1, ports, 1, &ok);
  if (!ok) return std::nullopt;
  return port;
}

QString DefaultChooseReportFile(QWidget* parent, const QString& suggested) {
  return QFileDialog::getSaveFileName(parent, QStringLiteral("Write the design report"), suggested,
                                      QStringLiteral("PDF files (*.pdf)"));
}

QKeySequence KeysOf(std::string_view keys) {
  return QKeySequence(QString::fromUtf8(keys.data(), static_cast<qsizetype>(keys.size())));
}

std::string SideName(MeasuredSideKind side) {
  return side == MeasuredSideKind::Source ? "source" : "load";
}

}  // namespace

FrmDesign::FrmDesign(RunState& state, toolkit::Platform& platform,
                     const std::filesystem::path& recentListFile)
    : state_(state),
      platform_(platform),
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
                       ShowMeasuredNames();
                     });
  }
  lastInFocusOrder_ = window_.Find(DesignFocusOrder().back()).widget();
  AddFileShortcuts(window_.widget());
  // Copying is the design window's own: the response window's tables copy their cells.
  auto* copy = new QShortcut(KeysOf(kCopyReportShortcut), window_.widget());
  copy->setContext(Qt::WindowShortcut);
  QObject::connect(copy, &QShortcut::activated, window_.widget(), [this] { CopyReport(); });
  for (const MeasuredSideKind side : {MeasuredSideKind::Source, MeasuredSideKind::Load}) {
    AddCommandButton(MeasuredButtonLook(side), MeasuredButtonPlacement(side), [this, side] {
      document_.Change([this, side] { ChooseMeasured(side); });
      ShowMeasuredNames();
    });
    AddLabel(MeasuredLabelLook(side), MeasuredLabelPlacement(side));
  }
  logic_.SetMeasuredListeners(
      [this] { ReenterMeasured(); },
      [this](MeasuredSideKind side) { MeasuredMember(document_.settings(), side).reset(); });
}

void FrmDesign::ChooseMeasured(MeasuredSideKind side) {
  Load();
  const std::optional<MeasuredSide>& current = MeasuredMember(document_.settings(), side);
  const QString suggested =
      current ? QFileInfo(QString::fromStdString(current->file)).path() : QString();
  const QString file = chooseMeasuredFile_ ? chooseMeasuredFile_(suggested)
                                           : DefaultChooseMeasuredFile(window_.widget(), suggested);
  if (file.isEmpty()) return;
  const TouchstoneRead read = ReadTouchstoneFile(file.toStdString());
  if (!read.Ok()) {
    platform_.ShowMessage(read.error);
    return;
  }
  int port = 1;
  if (read.data.ports > 1) {
    const QString name = QString::fromStdString(read.data.name);
    const std::optional<int> chosen =
        choosePort_ ? choosePort_(name, read.data.ports)
                    : DefaultChoosePort(window_.widget(), name, read.data.ports);
    if (!chosen) return;
    port = *chosen;
  }
  // A port, band or resistance the side cannot take leaves it as it was.
  if (const std::string problem = EnterMeasuredImpedance(state_, side, read.data, port);
      !problem.empty()) {
    platform_.ShowMessage(problem);
    return;
  }
  MeasuredMember(document_.settings(), side) = MeasuredSide{file.toStdString(), port};
  logic_.RefreshDesign();
}

void FrmDesign::ReenterMeasured() {
  for (const std::string& problem : ReenterMeasuredSides(state_, document_.settings())) {
    platform_.ShowMessage(problem);
  }
}

void FrmDesign::ShowMeasuredNames() {
  for (const MeasuredSideKind side : {MeasuredSideKind::Source, MeasuredSideKind::Load}) {
    const std::optional<MeasuredSide>& measured = MeasuredMember(document_.settings(), side);
    window_.Find(MeasuredLabelLook(side).name)
        .SetText(measured ? MeasuredSideText(*measured) : std::string());
  }
}

void FrmDesign::ShowStartNotes() {
  const std::vector<std::string> notes = std::exchange(startNotes_, {});
  for (const std::string& note : notes) platform_.ShowMessage(note);
}

void FrmDesign::AddFileShortcuts(QWidget* target) {
  auto add = [target](std::string_view keys, auto slot) {
    auto* shortcut = new QShortcut(KeysOf(keys), target);
    shortcut->setContext(Qt::WindowShortcut);
    QObject::connect(shortcut, &QShortcut::activated, target, slot);
  };
  for (const char* keys : kUndoKeys) add(keys, [this] { Undo(); });
  for (const char* keys : kRedoKeys) add(keys, [this] { Redo(); });
  add(kSaveKey, [this] { Save(); });
  add(kSaveAsKey, [this] { SaveAs(); });
  add(kOpenKey, [this] { Open(); });
  add(kOpenRecentKey, [this] { OpenRecent(); });
  add(kReportShortcut, [this] { WriteReport(); });
}

void FrmDesign::CopyReport() {
  Load();
  const std::string text = DesignReportText(state_, logic_.LastOutcome(), document_.settings());
  QGuiApplication::clipboard()->setText(QString::fromStdString(text));
}

void FrmDesign::WriteReport() {
  Load();
  const QString suggested = QString::fromStdString(SuggestedReportFile(document_.file()).string());
  QString file = chooseReportFile_ ? chooseReportFile_(suggested)
                                   : DefaultChooseReportFile(window_.widget(), suggested);
  if (file.isEmpty()) return;
  if (QFileInfo(file).suffix().isEmpty()) file += QStringLiteral(".pdf");
  const report::ReportInputs inputs =
      DesignReportInputs(state_, logic_.LastOutcome(), document_.settings(),
                         toleranceLines_ ? toleranceLines_() : std::vector<std::string>{});
  std::string error;
  if (!WriteDesignReport(inputs, file.toStdString(), error)) platform_.ShowMessage(error);
}

void FrmDesign::Undo() {
  Load();
  if (!document_.Undo()) platform_.Beep();
  ShowMeasuredNames();
}

void FrmDesign::Redo() {
  Load();
  if (!document_.Redo()) platform_.Beep();
  ShowMeasuredNames();
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
  const bool opened = document_.Open(file.toStdString());
  ShowMeasuredNames();
  return opened;
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

toolkit::QtControl& FrmDesign::AddLabel(const toolkit::ControlLook& look,
                                        const toolkit::ControlPlacement& place) {
  toolkit::AddFromLook(window_, std::span(&look, 1));
  added_.push_back({look, place});
  if (loaded_) Place(added_.back());
  return window_.Find(look.name);
}

void FrmDesign::Place(const AddedButton& added) {
  toolkit::PlaceControl(window_.Find(added.place.name), added.place, added.look, window_.scale(),
                        DesignFontPoints(platform_.screen()));
}

void FrmDesign::Load() {
  if (loaded_) return;
  loaded_ = true;
  // The sides that followed a measured file last time follow it again; a file that has gone
  // (or no longer reads) leaves the side at its last values from the session file, said once.
  if (std::string problem = document_.ReadProgramSettings(); !problem.empty()) {
    startNotes_.push_back(std::move(problem));
  }
  for (const MeasuredSideKind side : {MeasuredSideKind::Source, MeasuredSideKind::Load}) {
    std::optional<MeasuredSide>& measured = MeasuredMember(document_.settings(), side);
    if (!measured) continue;
    const std::string problem = EnterMeasuredFile(state_, side, *measured);
    if (problem.empty()) continue;
    startNotes_.push_back("The " + SideName(side) + " no longer follows its measured file: " +
                          problem + ". It keeps its last values.");
    measured.reset();
  }
  logic_.FormLoad();
  ShowMeasuredNames();
  for (const AddedButton& added : added_) Place(added);
}

void FrmDesign::Show() {
  Load();
  window_.ShowMaximized();
  window_.Find(DesignFocusOrder().front()).widget()->setFocus(Qt::OtherFocusReason);
  if (!startNotes_.empty()) QTimer::singleShot(0, window_.widget(), [this] { ShowStartNotes(); });
}

QImage FrmDesign::Render(QSize size) {
  Load();
  window_.widget()->resize(size);
  return window_.Render();
}

}  // namespace corvantile
