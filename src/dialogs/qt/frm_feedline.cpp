#include "dialogs/qt/frm_feedline.h"

#include <algorithm>

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QString>
#include <QVBoxLayout>

#include "analysis/circuits/transmission_line.h"

namespace corvantile {

FrmFeedline::FrmFeedline(const FeedlineForm& form, QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("frmFeedline"));
  setWindowTitle(QStringLiteral("Feedline"));
  auto* layout = new QVBoxLayout(this);

  none_ = new QCheckBox(QStringLiteral("&No feedline"), this);
  none_->setObjectName(QStringLiteral("chkNoFeedline"));
  layout->addWidget(none_);

  auto* fields = new QFormLayout;
  cable_ = new QComboBox(this);
  cable_->setObjectName(QStringLiteral("cboCable"));
  for (const std::string& name : FeedlineCableChoices()) {
    cable_->addItem(QString::fromStdString(name));
  }
  fields->addRow(QStringLiteral("&Cable:"), cable_);
  figures_ = new QLineEdit(this);
  figures_->setObjectName(QStringLiteral("txtFigures"));
  figures_->setPlaceholderText(QStringLiteral("Z0:VF:LOSS@FREQ, e.g. 50:0.66:0.6@10M"));
  figures_->setToolTip(
      QStringLiteral("Impedance, velocity factor and matched loss in dB per 100 m at one or more "
                     "frequencies (add /100ft for per 100 ft; 0 for no loss)."));
  fields->addRow(QStringLiteral("&Figures:"), figures_);
  auto* lengthRow = new QHBoxLayout;
  length_ = new QLineEdit(this);
  length_->setObjectName(QStringLiteral("txtLength"));
  unit_ = new QComboBox(this);
  unit_->setObjectName(QStringLiteral("cboLengthUnit"));
  unit_->addItem(QStringLiteral("m"));
  unit_->addItem(QStringLiteral("ft"));
  lengthRow->addWidget(length_);
  lengthRow->addWidget(unit_);
  fields->addRow(QStringLiteral("&Length:"), lengthRow);
  auto* sideRow = new QHBoxLayout;
  load_ = new QRadioButton(QStringLiteral("between the network and the lo&ad"), this);
  load_->setObjectName(QStringLiteral("optLoad"));
  source_ = new QRadioButton(QStringLiteral("between the &source and the network"), this);
  source_->setObjectName(QStringLiteral("optSource"));
  sideRow->addWidget(load_);
  sideRow->addWidget(source_);
  fields->addRow(QStringLiteral("Side:"), sideRow);
  layout->addLayout(fields);

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  buttons->setObjectName(QStringLiteral("buttons"));
  layout->addWidget(buttons);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

  none_->setChecked(form.none);
  cable_->setCurrentIndex(static_cast<int>(form.cable));
  figures_->setText(QString::fromStdString(form.figures));
  length_->setText(QString::fromStdString(form.length));
  unit_->setCurrentIndex(form.feet ? 1 : 0);
  (form.atSource ? source_ : load_)->setChecked(true);
  connect(none_, &QCheckBox::toggled, this, [this] { Enable(); });
  connect(cable_, &QComboBox::currentIndexChanged, this, [this] { Enable(); });
  Enable();
}

void FrmFeedline::Enable() {
  const bool line = !none_->isChecked();
  cable_->setEnabled(line);
  figures_->setEnabled(line &&
                       static_cast<std::size_t>(cable_->currentIndex()) >= CableTable().size());
  length_->setEnabled(line);
  unit_->setEnabled(line);
  load_->setEnabled(line);
  source_->setEnabled(line);
}

FeedlineForm FrmFeedline::Form() const {
  FeedlineForm form;
  form.none = none_->isChecked();
  form.cable = static_cast<std::size_t>(std::max(cable_->currentIndex(), 0));
  form.figures = figures_->text().trimmed().toStdString();
  form.length = length_->text().trimmed().toStdString();
  form.feet = unit_->currentIndex() == 1;
  form.atSource = source_->isChecked();
  return form;
}

std::optional<FeedlineForm> FrmFeedline::Ask(const FeedlineForm& form, QWidget* parent) {
  FrmFeedline dialog(form, parent);
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  return dialog.Form();
}

}  // namespace corvantile
