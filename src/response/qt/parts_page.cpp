#include "response/qt/parts_page.h"

#include <cmath>
#include <string>

#include <QCheckBox>
#include <QGridLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
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
  layout->addWidget(table_, 1);
  layout->addWidget(figures_);
  layout->addWidget(pairs_);

  for (QLineEdit* edit : {inductorQ_, inductorLaw_, capacitorQ_, capacitorLaw_}) {
    connect(edit, &QLineEdit::editingFinished, this, &PartsPage::ReadSettings);
  }
  for (QLineEdit* edit : elementQ_) {
    connect(edit, &QLineEdit::editingFinished, this, &PartsPage::ReadSettings);
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

void PartsPage::SetLosses(const LossModel& losses, bool compensate) {
  losses_ = losses;
  compensate_ = compensate;
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
  const QSignalBlocker quiet(compensateBox_);
  compensateBox_->setChecked(compensate_);
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
  figures_->setText(lines.join(QLatin1Char('\n')));
}

}  // namespace corvantile
