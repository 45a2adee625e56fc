#include "design/qt/frm_design.h"

#include <filesystem>
#include <span>
#include <string>
#include <string_view>
#include <system_error>
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
#include "dialogs/qt/frm_feedline.h"
#include "model/design_answers.h"
#include "toolkit/placement.h"
#include "toolkit/qt/qt_look.h"

namespace corvantile {

namespace {

constexpr const char* kDesignFileFilter = "Design files (*.cfg *.CFG);;All files (*)";

QString DefaultChooseFile(QWidget* parent, bool save, const QString& suggested) {
  const QString filter = QString::fromLatin1(kDesignFileFilter);
  if (!save) {
    return QFileDialog::getOpenFileName(parent, QStringLiteral("Open a design"), suggested, filter);
  }
  // With the default suffix the dialog itself completes a bare name and asks before replacing
  // the completed file.
  QFileDialog dialog(parent, QStringLiteral("Save the design"), suggested, filter);
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setDefaultSuffix(QStringLiteral("cfg"));
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return QString();
  return dialog.selectedFiles().front();
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

}  // namespace

FrmDesign::FrmDesign(DesignModel& model, toolkit::Platform& platform,
                     const std::filesystem::path& recentListFile)
    : model_(model),
      platform_(platform),
      window_(kDesignWindowName),
      logic_(model.state(), window_, platform),
      document_(model, logic_, window_, platform, recentListFile) {
  toolkit::BuildFromLook(window_, DesignLook());
  for (const toolkit::ControlLook& look : DesignControls()) {
    if (look.kind != toolkit::ControlKind::CommandButton) continue;
    QWidget* widget = window_.Find(look.name).widget();
    const std::string name(look.name);
    QObject::connect(static_cast<QAbstractButton*>(widget), &QAbstractButton::clicked, widget,
                     [this, name] {
                       // Exit first offers to save a changed design file (Cancel stays),
                       // then writes the session file, and the settings file beside it here.
                       if (name == "cmdExit") {
                         if (!document_.ReadyToClose()) return;
                         std::string error;
                         document_.WriteProgramSettings(error);
                       }
                       document_.Change([this, &name] { logic_.Click(name); });
                       ShowMeasuredNames();
                     });
  }
  lastInFocusOrder_ = window_.Find(DesignFocusOrder().back()).widget();
  AddFileShortcuts(window_.widget());
  // The phase-step buttons are small: a key presses each as a click would.
  for (const auto& [keys, name] : {std::pair(kPhasePlusOneShortcut, "cmdPhasePlusOne"),
                                   std::pair(kPhaseMinusOneShortcut, "cmdPhaseMinusOne")}) {
    auto* step = new QShortcut(KeysOf(keys), window_.widget());
    step->setContext(Qt::WindowShortcut);
    auto* button = static_cast<QAbstractButton*>(window_.Find(name).widget());
    QObject::connect(step, &QShortcut::activated, button, [button] { button->click(); });
  }
  // Copying is the design window's own: the response window's tables copy their cells.
  auto* copy = new QShortcut(KeysOf(kCopyReportShortcut), window_.widget());
  copy->setContext(Qt::WindowShortcut);
  QObject::connect(copy, &QShortcut::activated, window_.widget(), [this] { CopyReport(); });
  for (const MeasuredSideKind side : {MeasuredSideKind::Source, MeasuredSideKind::Load}) {
    AddCommandButton(
        MeasuredButtonLook(side), MeasuredButtonPlacement(side),
        [this, side] {
          document_.Change([this, side] { ChooseMeasured(side); });
          ShowMeasuredNames();
        },
        MeasuredButtonFocusAfter(side));
    AddLabel(MeasuredLabelLook(side), MeasuredLabelPlacement(side));
  }
  AddCommandButton(
      FeedlineButtonLook(), FeedlineButtonPlacement(),
      [this] {
        document_.Change([this] { ChooseFeedline(); });
        ShowMeasuredNames();
      },
      kFeedlineFocusAfter);
  // A new frequency reads the measured sides there before the window shows it; a side they
  // cannot follow is the document's to refuse once the dialog closes.
  logic_.SetMeasuredListeners([this] { model_.FollowFrequency(); },
                              [this](MeasuredSideKind side) { model_.Unfollow(side); });
}

void FrmDesign::ChooseMeasured(MeasuredSideKind side) {
  Load();
  const std::optional<MeasuredSide>& current = model_.Measured(side);
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
  if (const std::string problem = model_.Follow(side, {file.toStdString(), port}, &read.data);
      !problem.empty()) {
    platform_.ShowMessage(problem);
    return;
  }
  logic_.RefreshDesign();
}

void FrmDesign::ChooseFeedline() {
  Load();
  const FeedlineForm current = FeedlineFormOf(model_);
  const std::optional<FeedlineForm> form =
      chooseFeedline_ ? chooseFeedline_(current) : FrmFeedline::Ask(current, window_.widget());
  if (!form) return;
  if (const std::string problem = ApplyFeedlineForm(model_, *form); !problem.empty()) {
    platform_.ShowMessage(problem);
    return;
  }
  logic_.RefreshDesign();
}

void FrmDesign::ShowMeasuredNames() {
  for (const MeasuredSideKind side : {MeasuredSideKind::Source, MeasuredSideKind::Load}) {
    const std::optional<MeasuredSide>& measured = model_.Measured(side);
    std::string text = measured ? MeasuredSideText(*measured) : std::string();
    if (const std::string line = model_.FeedlineText(side); !line.empty()) {
      text += (text.empty() ? "" : " ") + line;
    }
    window_.Find(MeasuredLabelLook(side).name).SetText(text);
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
  const std::string text = ReportTextOf(model_);
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
      ReportOf(model_, toleranceLines_ ? toleranceLines_() : std::vector<std::string>{},
               bandLines_ ? bandLines_() : std::vector<std::string>{});
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
  QString suggested =
      document_.file() ? QString::fromStdString(document_.file()->string()) : QString();
  QString previous;
  for (;;) {
    const QString chosen = chooseFile_ ? chooseFile_(true, suggested)
                                       : DefaultChooseFile(window_.widget(), true, suggested);
    if (chosen.isEmpty()) return;
    const std::filesystem::path file = WithDesignExtension(chosen.toStdString());
    // The chooser asked before replacing the name chosen, not the completed one: a completed
    // name that exists is offered once more, and the same answer again replaces it.
    std::error_code error;
    if (file.string() != chosen.toStdString() && chosen != previous &&
        std::filesystem::exists(file, error)) {
      previous = chosen;
      suggested = QString::fromStdString(file.string());
      continue;
    }
    document_.SaveAs(file);
    return;
  }
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
                                                std::function<void()> onClick,
                                                std::string_view after) {
  // Built as the designed controls are, next in the focus chain (or after `after`).
  if (after.empty()) {
    lastInFocusOrder_ = toolkit::AddFromLook(window_, std::span(&look, 1), lastInFocusOrder_);
  } else {
    toolkit::AddFromLook(window_, std::span(&look, 1), window_.Find(after).widget());
  }
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
  startNotes_ = document_.ReadProgramSettings();
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
