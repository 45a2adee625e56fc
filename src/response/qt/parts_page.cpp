#include "response/qt/parts_page.h"

#include <cmath>
#include <string>

#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QGridLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include "analysis/formats/number_text.h"
#include "units/parse.h"

namespace corvantile {
namespace {

QString ToQString(const std::string& text) { return QString::fromStdString(text); }
QString ToQString(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QString QBoxText(double q0) {
  return IsLossy(PartQ{q0, 0.0}) ? ToQString(ShortNumber(q0, 7)) : QStringLiteral("ideal");
}

}  // namespace

PartsPage::PartsPage(const RunState& state, QWidget* parent) : QWidget(parent), state_(state) {
  setObjectName(QStringLiteral("pageParts"));
  auto box = [](const char* name, const QString& tip, const QString& spoken) {
    auto* edit = new QLineEdit;
    edit->setObjectName(QString::fromLatin1(name));
    edit->setToolTip(tip);
    edit->setAccessibleName(spoken);
    edit->setMaximumWidth(90);
    return edit;
  };
  const QString qTip = QStringLiteral("Unloaded Q at the design frequency; ideal or 0: lossless");
  const QString lawTip =
      QStringLiteral("Q follows f^law: 0 constant Q, 0.5 skin effect, 1 constant resistance");
  inductorQ_ = box("txtInductorQ", qTip, QStringLiteral("Inductor Q"));
  inductorLaw_ = box("txtInductorLaw", lawTip, QStringLiteral("Inductor Q law"));
  capacitorQ_ = box("txtCapacitorQ", qTip, QStringLiteral("Capacitor Q"));
  capacitorLaw_ = box("txtCapacitorLaw", lawTip, QStringLiteral("Capacitor Q law"));
  auto* settings = new QGridLayout;
  settings->addWidget(new QLabel(QStringLiteral("Inductor Q")), 0, 0);
  settings->addWidget(inductorQ_, 0, 1);
  settings->addWidget(new QLabel(QStringLiteral("law")), 0, 2);
  settings->addWidget(inductorLaw_, 0, 3);
  settings->addWidget(new QLabel(QStringLiteral("Capacitor Q")), 1, 0);
  settings->addWidget(capacitorQ_, 1, 1);
  settings->addWidget(new QLabel(QStringLiteral("law")), 1, 2);
  settings->addWidget(capacitorLaw_, 1, 3);
  for (std::size_t i = 0; i < elementQ_.size(); ++i) {
    const std::string name = "txtElement" + std::to_string(i + 1) + "Q";
    elementQ_[i] = box(name.c_str(), QStringLiteral("This element's own Q; empty: its kind's"),
                       QStringLiteral("Element %1 Q").arg(i + 1));
    settings->addWidget(new QLabel(QStringLiteral("Element %1 Q").arg(i + 1)), 0,
                        4 + 2 * static_cast<int>(i));
    settings->addWidget(elementQ_[i], 1, 4 + 2 * static_cast<int>(i));
  }
  const QString modelTip = QStringLiteral(
      "Equivalent circuit, as --part-model takes it: esr:OHM, esl:H, leak:OHM, cp:F, q:Q, "
      "law:K (kinds only) or ideal, e.g. esr:0.05,esl:0.4n");
  const std::array<const char*, 5> modelNames = {"txtInductorModel", "txtCapacitorModel",
                                                 "txtElement1Model", "txtElement2Model",
                                                 "txtElement3Model"};
  const std::array<QString, 5> modelLabels = {
      QStringLiteral("Inductor model"), QStringLiteral("Capacitor model"),
      QStringLiteral("Element 1 model"), QStringLiteral("Element 2 model"),
      QStringLiteral("Element 3 model")};
  const std::array<QString, 5> shortLabels = {
      QStringLiteral("Inductor model"), QStringLiteral("Capacitor model"),
      QStringLiteral("Element 1"), QStringLiteral("Element 2"), QStringLiteral("Element 3")};
  // Two rows: the kinds' models and the 2-port files' connection, then each element's model and
  // its file.
  auto* modelBoxes = new QGridLayout;
  for (std::size_t i = 0; i < model_.size(); ++i) {
    model_[i] =
        box(modelNames[i], i < 2 ? modelTip : modelTip + QStringLiteral("; empty: its kind's"),
            modelLabels[i]);
    model_[i]->setMaximumWidth(QWIDGETSIZE_MAX);
    model_[i]->setPlaceholderText(i < 2 ? QStringLiteral("none") : QStringLiteral("its kind's"));
    auto* label = new QLabel(shortLabels[i]);
    label->setBuddy(model_[i]);
    const int row = i < 2 ? 0 : 1;
    const int column = 3 * static_cast<int>(i < 2 ? i : i - 2);
    modelBoxes->addWidget(label, row, column);
    modelBoxes->addWidget(model_[i], row, column + 1);
    modelBoxes->setColumnStretch(column + 1, 1);
    if (i < 2) continue;
    const int k = static_cast<int>(i) - 1;
    QPushButton*& file = fileButton_[i - 2];
    file = new QPushButton(QStringLiteral("File..."));
    file->setObjectName(QStringLiteral("btnElement%1File").arg(k));
    file->setAccessibleName(QStringLiteral("Element %1 part file").arg(k));
    file->setToolTip(
        QStringLiteral("Element %1 is the part a maker measured (a Touchstone file)").arg(k));
    modelBoxes->addWidget(file, row, column + 2);
  }
  fileConnection_ = new QComboBox;
  fileConnection_->setObjectName(QStringLiteral("cmbPartFileConnection"));
  fileConnection_->setAccessibleName(QStringLiteral("A 2-port part file holds its part"));
  fileConnection_->addItem(QStringLiteral("2-port files: in series"));
  fileConnection_->addItem(QStringLiteral("2-port files: in shunt"));
  fileConnection_->setToolTip(
      QStringLiteral("How a 2-port part file holds its part; a 1-port file is the part alone"));
  modelBoxes->addWidget(fileConnection_, 0, 6, 1, 3);
  modelProblem_ = new QLabel;
  modelProblem_->setObjectName(QStringLiteral("lblModelProblem"));
  modelProblem_->setWordWrap(true);
  modelProblem_->hide();  // shown with a reason only
  modelBoxes->addWidget(modelProblem_, 2, 0, 1, 9);

  compensateBox_ = new QCheckBox(QStringLiteral("compensate for losses"));
  compensateBox_->setObjectName(QStringLiteral("chkCompensate"));
  compensateBox_->setToolTip(
      QStringLiteral("Re-solve the design so that its lossy parts still match the source; the "
                     "Response page follows"));
  settings->addWidget(compensateBox_, 2, 0, 1, 4);
  settings->setColumnStretch(10, 1);

  table_ = new QTableWidget(0, static_cast<int>(kPartsColumns.size()));
  table_->setObjectName(QStringLiteral("tblParts"));
  table_->setAccessibleName(QStringLiteral("Parts"));
  // Tab leaves the table for the next control; the arrow keys move between its cells.
  table_->setTabKeyNavigation(false);
  QStringList headers;
  for (std::string_view column : kPartsColumns) headers.append(ToQString(column));
  table_->setHorizontalHeaderLabels(headers);
  table_->verticalHeader()->hide();
  table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  table_->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);

  figures_ = new QLabel;
  figures_->setObjectName(QStringLiteral("lblFigures"));
  figures_->setTextInteractionFlags(Qt::TextSelectableByMouse);
  figures_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  figures_->setWordWrap(true);

  pairs_ = new QLabel;
  pairs_->setObjectName(QStringLiteral("lblPairs"));
  pairs_->setTextInteractionFlags(Qt::TextSelectableByMouse);
  pairs_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  pairs_->setWordWrap(true);

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(settings);
  layout->addLayout(modelBoxes);
  layout->addWidget(table_, 1);
  layout->addWidget(figures_);
  layout->addWidget(pairs_);

  for (QLineEdit* edit : {inductorQ_, inductorLaw_, capacitorQ_, capacitorLaw_}) {
    connect(edit, &QLineEdit::editingFinished, this, &PartsPage::ReadSettings);
  }
  for (QLineEdit* edit : elementQ_) {
    connect(edit, &QLineEdit::editingFinished, this, &PartsPage::ReadSettings);
  }
  chooseFile_ = [this](const QString& caption) {
    return QFileDialog::getOpenFileName(
        this, caption, QString(), QStringLiteral("Touchstone files (*.s1p *.s2p);;All files (*)"));
  };
  for (std::size_t i = 0; i < fileButton_.size(); ++i) {
    connect(fileButton_[i], &QPushButton::clicked, this,
            [this, i] { ChooseFile(static_cast<int>(i) + 1); });
  }
  for (std::size_t i = 0; i < model_.size(); ++i) {
    connect(model_[i], &QLineEdit::editingFinished, this,
            [this, i] { ReadModel(static_cast<PartModelSlot>(i)); });
  }
  connect(compensateBox_, &QCheckBox::toggled, this, [this](bool on) {
    if (on == compensate_) return;
    compensate_ = on;
    Update(lastOutcome_);
    emit LossesChanged();
  });
  ShowSettings();
  ShowView();
}

double PartsPage::ReadQ(const QString& text) {
  const QString trimmed = text.trimmed();
  if (trimmed.isEmpty() || trimmed.compare(QStringLiteral("ideal"), Qt::CaseInsensitive) == 0) {
    return 0.0;
  }
  const double q = static_cast<double>(ParseValue(trimmed.toStdString()));
  return q > 0.0 ? q : 0.0;
}

void PartsPage::SetLosses(const LossModel& losses, bool compensate,
                          const PartModelSettings& models) {
  losses_ = losses;
  compensate_ = compensate;
  models_ = models;
  ShowProblem({});
  ShowSettings();
  Update(lastOutcome_);
}

void PartsPage::ShowSettings() {
  inductorQ_->setText(QBoxText(losses_.inductor.q0));
  inductorLaw_->setText(ToQString(ShortNumber(losses_.inductor.law, 7)));
  capacitorQ_->setText(QBoxText(losses_.capacitor.q0));
  capacitorLaw_->setText(ToQString(ShortNumber(losses_.capacitor.law, 7)));
  for (std::size_t i = 0; i < elementQ_.size(); ++i) {
    const std::optional<double>& q = losses_.elementQ[i];
    elementQ_[i]->setText(q ? QBoxText(*q) : QString());
  }
  for (std::size_t i = 0; i < model_.size(); ++i) {
    model_[i]->setText(ToQString(PartModelSlotText(models_, static_cast<PartModelSlot>(i))));
  }
  for (std::size_t i = 0; i < fileButton_.size(); ++i) {
    fileButton_[i]->setText(models_.elementFile[i] ? QStringLiteral("No file")
                                                   : QStringLiteral("File..."));
  }
  const QSignalBlocker quiet(compensateBox_);
  compensateBox_->setChecked(compensate_);
}

void PartsPage::ShowProblem(const std::string& problem) {
  modelProblem_->setText(ToQString(problem));
  modelProblem_->setVisible(!problem.empty());
}

void PartsPage::ChooseFile(int k) {
  const std::size_t i = static_cast<std::size_t>(k - 1);
  std::optional<PartFileSetting> file;
  if (!models_.elementFile[i]) {
    const QString path = chooseFile_(QStringLiteral("Element %1's part file").arg(k));
    if (path.isEmpty()) return;
    file = PartFileSetting{path.toStdString(), fileConnection_->currentIndex() == 1
                                                   ? PartConnection::Shunt
                                                   : PartConnection::Series};
  }
  const PartFileEdit edit = WithPartFile(losses_, models_, k, file);
  ShowProblem(edit.problem);
  if (!edit.problem.empty()) return;
  models_ = edit.models;
  losses_ = edit.losses;
  ShowSettings();
  Update(lastOutcome_);
  emit LossesChanged();
}

void PartsPage::ReadModel(PartModelSlot slot) {
  const std::string text = model_[static_cast<std::size_t>(slot)]->text().toStdString();
  const PartModelEdit edit = WithPartModelText(models_, slot, text);
  ShowProblem(edit.problem);
  if (!edit.problem.empty() || edit.models == models_) return;
  models_ = edit.models;
  losses_ = WithPartModelTexts(losses_, models_);
  Update(lastOutcome_);
  emit LossesChanged();
}

void PartsPage::ReadSettings() {
  LossModel read = losses_;
  read.inductor.q0 = ReadQ(inductorQ_->text());
  read.capacitor.q0 = ReadQ(capacitorQ_->text());
  // A law that does not read as a number keeps the one before.
  const double inductorLaw = static_cast<double>(ParseValue(inductorLaw_->text().toStdString()));
  const double capacitorLaw = static_cast<double>(ParseValue(capacitorLaw_->text().toStdString()));
  if (!inductorLaw_->text().trimmed().isEmpty()) read.inductor.law = inductorLaw;
  if (!capacitorLaw_->text().trimmed().isEmpty()) read.capacitor.law = capacitorLaw;
  for (std::size_t i = 0; i < elementQ_.size(); ++i) {
    const QString text = elementQ_[i]->text().trimmed();
    read.elementQ[i] = text.isEmpty() ? std::nullopt : std::optional<double>(ReadQ(text));
  }
  const bool changed =
      read.inductor.q0 != losses_.inductor.q0 || read.inductor.law != losses_.inductor.law ||
      read.capacitor.q0 != losses_.capacitor.q0 || read.capacitor.law != losses_.capacitor.law ||
      read.elementQ != losses_.elementQ;
  losses_ = read;
  ShowSettings();
  if (!changed) return;
  Update(lastOutcome_);
  emit LossesChanged();
}

void PartsPage::Update(DesignOutcome outcome) {
  lastOutcome_ = outcome;
  view_ = BuildPartsView(state_, outcome, losses_, compensate_);
  ShowView();
}

void PartsPage::ShowPairs(const std::vector<std::string>& lines) {
  QStringList shown;
  for (const std::string& line : lines) shown.append(ToQString(line));
  pairs_->setText(shown.join(QLatin1Char('\n')));
}

void PartsPage::ShowView() {
  table_->setRowCount(static_cast<int>(view_.rows.size()));
  for (std::size_t r = 0; r < view_.rows.size(); ++r) {
    for (std::size_t c = 0; c < kPartsColumns.size(); ++c) {
      auto* item = new QTableWidgetItem(ToQString(view_.rows[r].cells[c]));
      if (c > 0) item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
      table_->setItem(static_cast<int>(r), static_cast<int>(c), item);
    }
  }
  if (!view_.hasNetwork) {
    figures_->setText(QStringLiteral("No network: ") + ToQString(view_.noNetworkReason));
    return;
  }
  QStringList lines;
  for (const std::string& line : view_.figureLines) lines.append(ToQString(line));
  for (const std::string& line : view_.warnings)
    lines.append(QStringLiteral("Warning: ") + ToQString(line));
  figures_->setText(lines.join(QLatin1Char('\n')));
}

}  // namespace corvantile
