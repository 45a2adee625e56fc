#include "response/qt/band_page.h"

#include <algorithm>
#include <cmath>

#include <QAreaSeries>
#include <QChart>
#include <QChartView>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFormLayout>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLegend>
#include <QLegendMarker>
#include <QLineEdit>
#include <QLineSeries>
#include <QProgressBar>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>
#include <QTimer>
#include <QVBoxLayout>
#include <QValueAxis>

#include "analysis/formats/number_text.h"
#include "response/plot_ticks.h"
#include "state/file_writer.h"

namespace corvantile {
namespace {

QString Text(const std::string& text) { return QString::fromStdString(text); }

constexpr int kPollMs = 50;
const QColor kCurveColour(31, 119, 180);
const QColor kBoundColour(214, 39, 40);
const QColor kBandColour(44, 160, 44);

void FillTable(QTableWidget* table, const auto& rows) {
  table->setRowCount(static_cast<int>(rows.size()));
  for (int r = 0; r < static_cast<int>(rows.size()); ++r) {
    const auto& row = rows[static_cast<std::size_t>(r)];
    for (int c = 0; c < static_cast<int>(row.size()); ++c) {
      auto* item = new QTableWidgetItem(Text(row[static_cast<std::size_t>(c)]));
      item->setFlags(Qt::ItemIsSelectable | Qt::ItemIsEnabled);
      table->setItem(r, c, item);
    }
  }
  table->resizeColumnsToContents();
}

// A table as tall as its rows, up to `most` of them, so that the plot keeps the room.
void FitRows(QTableWidget* table, int most) {
  const int rows = std::clamp(table->rowCount(), 1, most);
  table->setFixedHeight(table->horizontalHeader()->sizeHint().height() +
                        rows * table->verticalHeader()->defaultSectionSize() +
                        2 * table->frameWidth() + 2);
}

QTableWidget* NewTable(QWidget* parent, const QStringList& headings, const QString& name) {
  auto* table = new QTableWidget(0, static_cast<int>(headings.size()), parent);
  table->setObjectName(name);
  table->setHorizontalHeaderLabels(headings);
  table->verticalHeader()->setVisible(false);
  table->horizontalHeader()->setStretchLastSection(true);
  table->setSelectionBehavior(QAbstractItemView::SelectRows);
  table->setSelectionMode(QAbstractItemView::SingleSelection);
  table->setEditTriggers(QAbstractItemView::NoEditTriggers);
  // Tab leaves the table; the arrow keys move between its rows.
  table->setTabKeyNavigation(false);
  table->verticalHeader()->setDefaultSectionSize(table->fontMetrics().height() + 6);
  return table;
}

}  // namespace

BandPage::BandPage(const DesignModel& model, QWidget* parent) : QWidget(parent), model_(model) {
  setObjectName(QStringLiteral("bandPage"));

  // The question: the bands, the most elements, the family; then the search.
  bands_ = new QLineEdit(this);
  bands_->setObjectName(QStringLiteral("txtBands"));
  bands_->setPlaceholderText(tr("F1:F2, e.g. 3.5M:3.8M, 7M:7.2M"));
  bands_->setText(Text(DefaultBandsText(static_cast<double>(model_.state().NetValues[Frequency]))));
  elements_ = new QSpinBox(this);
  elements_->setObjectName(QStringLiteral("spnElements"));
  elements_->setRange(1, 6);
  elements_->setValue(BandChoices{}.maxElements);
  family_ = new QComboBox(this);
  family_->setObjectName(QStringLiteral("cboLadderFamily"));
  for (LadderFamily f :
       {LadderFamily::Any, LadderFamily::Lowpass, LadderFamily::Highpass, LadderFamily::Bandpass}) {
    family_->addItem(Text(std::string(LadderFamilyName(f))), static_cast<int>(f));
  }
  auto* form = new QFormLayout;
  auto* bandsLabel = new QLabel(tr("&Bands:"), this);
  bandsLabel->setBuddy(bands_);
  auto* elementsLabel = new QLabel(tr("&Elements up to:"), this);
  elementsLabel->setBuddy(elements_);
  auto* familyLabel = new QLabel(tr("&Ladders:"), this);
  familyLabel->setBuddy(family_);
  form->addRow(bandsLabel, bands_);
  form->addRow(elementsLabel, elements_);
  form->addRow(familyLabel, family_);

  search_ = new QPushButton(tr("&Search"), this);
  search_->setObjectName(QStringLiteral("cmdBandSearch"));
  cancel_ = new QPushButton(tr("Cancel"), this);
  cancel_->setObjectName(QStringLiteral("cmdBandCancel"));
  cancel_->setEnabled(false);
  progress_ = new QProgressBar(this);
  progress_->setObjectName(QStringLiteral("barBandSearch"));
  progress_->setValue(0);
  auto* runRow = new QHBoxLayout;
  runRow->addWidget(search_);
  runRow->addWidget(progress_, 1);
  runRow->addWidget(cancel_);
  status_ = new QLabel(this);
  status_->setObjectName(QStringLiteral("lblBandStatus"));
  status_->setWordWrap(true);
  bound_ = new QLabel(this);
  bound_->setObjectName(QStringLiteral("lblBandBound"));
  bound_->setWordWrap(true);

  QStringList headings;
  for (const char* h : kBandColumns) headings << tr(h);
  designs_ = NewTable(this, headings, QStringLiteral("tblBandDesigns"));
  designs_->setAccessibleName(tr("Band designs"));

  auto* left = new QVBoxLayout;
  left->addLayout(form);
  left->addLayout(runRow);
  left->addWidget(status_);
  left->addWidget(bound_);
  left->addWidget(designs_, 1);

  // The answer: the chosen design's return loss against the bound, its schematic and parts.
  chart_ = new QChart;
  chart_->legend()->setAlignment(Qt::AlignBottom);
  xAxis_ = new QValueAxis;
  yAxis_ = new QValueAxis;
  xAxis_->setTitleText(tr("Frequency (MHz)"));
  yAxis_->setTitleText(tr("Return loss (dB)"));
  chart_->addAxis(xAxis_, Qt::AlignBottom);
  chart_->addAxis(yAxis_, Qt::AlignLeft);
  returnLoss_ = new QLineSeries;
  returnLoss_->setName(tr("Return loss"));
  returnLoss_->setPen(QPen(kCurveColour, 2.0));
  boundLine_ = new QLineSeries;
  boundLine_->setName(tr("Bode-Fano level"));
  boundLine_->setPen(QPen(kBoundColour, 1.5, Qt::DashLine));
  for (QLineSeries* series : {returnLoss_, boundLine_}) {
    chart_->addSeries(series);
    series->attachAxis(xAxis_);
    series->attachAxis(yAxis_);
  }
  chartView_ = new QChartView(chart_, this);
  chartView_->setObjectName(QStringLiteral("bandChart"));
  chartView_->setAccessibleName(tr("Return loss of the chosen design over the bands"));
  chartView_->setRenderHint(QPainter::Antialiasing);
  chartView_->setMinimumSize(280, 200);
  schematic_ = new QLabel(this);
  schematic_->setObjectName(QStringLiteral("lblBandSchematic"));
  schematic_->setWordWrap(true);
  schematic_->setTextInteractionFlags(Qt::TextSelectableByMouse);
  QFont bold = schematic_->font();
  bold.setBold(true);
  schematic_->setFont(bold);
  parts_ = NewTable(
      this,
      {tr("Element"), tr("Connection"), tr("Part"), tr("Value"), tr("Reactance at the centre")},
      QStringLiteral("tblBandParts"));
  parts_->setAccessibleName(tr("Parts of the chosen design"));
  FitRows(parts_, 3);

  applyButton_ = new QPushButton(tr("&Apply to the design window"), this);
  applyButton_->setObjectName(QStringLiteral("cmdBandApply"));
  spice_ = new QPushButton(tr("S&PICE..."), this);
  spice_->setObjectName(QStringLiteral("cmdBandSpice"));
  touchstone_ = new QPushButton(tr("&Touchstone..."), this);
  touchstone_->setObjectName(QStringLiteral("cmdBandTouchstone"));
  csv_ = new QPushButton(tr("CS&V..."), this);
  csv_->setObjectName(QStringLiteral("cmdBandCsv"));
  report_ = new QCheckBox(tr("Put in the &report"), this);
  report_->setObjectName(QStringLiteral("chkBandReport"));
  report_->setToolTip(
      tr("The design report (Report... on the design window) lists the chosen "
         "design"));
  // Two short rows rather than one long one, so that the page fits a small screen.
  auto* buttons = new QGridLayout;
  buttons->addWidget(applyButton_, 0, 0, 1, 3, Qt::AlignLeft);
  buttons->addWidget(report_, 0, 3, 1, 2, Qt::AlignLeft);
  buttons->addWidget(new QLabel(tr("Export:"), this), 1, 0);
  buttons->addWidget(spice_, 1, 1);
  buttons->addWidget(touchstone_, 1, 2);
  buttons->addWidget(csv_, 1, 3);
  buttons->setColumnStretch(4, 1);

  auto* right = new QVBoxLayout;
  right->addWidget(chartView_, 1);
  right->addWidget(schematic_);
  right->addWidget(parts_);
  right->addLayout(buttons);

  auto* layout = new QHBoxLayout(this);
  layout->addLayout(left, 2);
  layout->addLayout(right, 3);

  connect(search_, &QPushButton::clicked, this, [this] { Search(); });
  connect(bands_, &QLineEdit::returnPressed, this, [this] { Search(); });
  connect(cancel_, &QPushButton::clicked, this, &BandPage::Cancel);
  connect(designs_, &QTableWidget::currentCellChanged, this,
          [this](int row, int, int, int) { Choose(row); });
  connect(applyButton_, &QPushButton::clicked, this, [this] { ApplyChosen(); });
  connect(spice_, &QPushButton::clicked, this, [this] { SaveAs(BandExport::Spice); });
  connect(touchstone_, &QPushButton::clicked, this, [this] { SaveAs(BandExport::Touchstone); });
  connect(csv_, &QPushButton::clicked, this, [this] { SaveAs(BandExport::Csv); });

  // Tab goes through the question, the designs, then what to do with the chosen one.
  setTabOrder(bands_, elements_);
  setTabOrder(elements_, family_);
  setTabOrder(family_, search_);
  setTabOrder(search_, cancel_);
  setTabOrder(cancel_, designs_);
  setTabOrder(designs_, parts_);
  setTabOrder(parts_, applyButton_);
  setTabOrder(spice_, touchstone_);
  setTabOrder(touchstone_, csv_);
  setTabOrder(applyButton_, report_);
  setTabOrder(report_, spice_);

  poll_ = new QTimer(this);
  poll_->setInterval(kPollMs);
  connect(poll_, &QTimer::timeout, this, &BandPage::Poll);
  ShowAnswer();
  Say(tr("Type the bands and press Search."), false);
}

BandPage::~BandPage() = default;

void BandPage::Update(DesignOutcome) {
  if (bands_->text().trimmed().isEmpty()) {
    bands_->setText(
        Text(DefaultBandsText(static_cast<double>(model_.state().NetValues[Frequency]))));
  }
  if (answer_ && !answer_->match.designs.empty() && !run_.Running() &&
      !SameBandSides(model_, *answer_)) {
    Say(tr("The source or load has changed since this search: search again."), false);
  }
}

bool BandPage::Search() {
  BandChoices choices;
  choices.bands = bands_->text().toStdString();
  choices.maxElements = elements_->value();
  choices.family = static_cast<LadderFamily>(family_->currentData().toInt());
  const BandSearchChoice choice = BandSearchOf(choices);
  if (!choice.error.empty()) {
    Say(tr("Not searched: %1").arg(Text(choice.error)), true);
    return false;
  }
  searchedBands_ = choice.options.bands;
  const int steps = BandSearchSteps(choice.options);
  progress_->setRange(0, steps);
  progress_->setValue(0);
  cancel_->setEnabled(true);
  Say(tr("Searching the ladders of up to %1 elements...").arg(choice.options.maxElements), false);
  run_.Start(BandWork(model_, choice.options), steps);
  poll_->start();
  return true;
}

void BandPage::Cancel() {
  if (!run_.Cancel()) return;
  poll_->stop();
  cancel_->setEnabled(false);
  progress_->setValue(0);
  Say(answer_ ? tr("Cancelled; the designs shown are of the search before.") : tr("Cancelled"),
      false);
}

void BandPage::Poll() {
  progress_->setValue(run_.Progress());
  if (!run_.Finished()) return;
  std::optional<BandAnswer> answer = run_.Take();
  poll_->stop();
  cancel_->setEnabled(false);
  if (!answer) return;
  progress_->setValue(progress_->maximum());
  answer_ = std::move(answer);
  ShowAnswer();
  if (!answer_->problem.empty()) {
    Say(Text(answer_->problem), true);
  } else {
    const int found = static_cast<int>(answer_->match.designs.size());
    Say(found == 1 ? tr("1 design found") : tr("%1 designs found").arg(found), false);
  }
  emit searched();
}

void BandPage::ShowAnswer() {
  chosen_ = -1;
  const bool any = answer_ && !answer_->match.designs.empty();
  bound_->setText(answer_ && answer_->searched ? Text(BandBoundText(*answer_)) : QString());
  {
    const QSignalBlocker block(designs_);
    FillTable(designs_, answer_ ? BandRows(*answer_) : std::vector<std::array<std::string, 6>>{});
  }
  if (!any) {
    ShowChosen();
    return;
  }
  // The design with the best worst return loss first.
  int best = 0;
  const std::vector<BandDesign>& d = answer_->match.designs;
  for (int k = 1; k < static_cast<int>(d.size()); ++k) {
    if (d[static_cast<std::size_t>(k)].figures.worstReturnLossDb >
        d[static_cast<std::size_t>(best)].figures.worstReturnLossDb) {
      best = k;
    }
  }
  designs_->selectRow(best);
  Choose(best);
}

void BandPage::Choose(int index) {
  const int count = answer_ ? static_cast<int>(answer_->match.designs.size()) : 0;
  chosen_ = index >= 0 && index < count ? index : -1;
  ShowChosen();
}

void BandPage::ShowChosen() {
  for (QAreaSeries* shade : bandShades_) {
    chart_->removeSeries(shade);
    delete shade;
  }
  bandShades_.clear();
  const bool chosen = chosen_ >= 0;
  applyButton_->setEnabled(chosen);
  applyButton_->setToolTip({});
  for (QPushButton* b : {spice_, touchstone_, csv_}) b->setEnabled(chosen);
  report_->setEnabled(chosen);
  if (!chosen) {
    returnLoss_->clear();
    boundLine_->clear();
    schematic_->clear();
    parts_->setRowCount(0);
    FitRows(parts_, 3);
    chart_->setTitle({});
    xAxis_->setRange(0.0, 1.0);
    yAxis_->setRange(0.0, 1.0);
    return;
  }
  const BandDesign& design = answer_->match.designs[static_cast<std::size_t>(chosen_)];
  schematic_->setText(Text(LadderSchematicText(design.circuit)));
  FillTable(parts_, LadderPartRows(design.circuit, answer_->match.centreFrequency));
  FitRows(parts_, 6);
  const BandApplicationChoice application =
      ApplicationOf(model_, *answer_, static_cast<std::size_t>(chosen_));
  if (!application.application) {
    applyButton_->setEnabled(false);
    applyButton_->setToolTip(tr("Cannot apply: %1").arg(Text(application.reason)));
  }

  const BandCurve curve = BandCurveOf(*answer_, static_cast<std::size_t>(chosen_), searchedBands_);
  constexpr double kMHz = 1e6;
  QList<QPointF> points;
  double top = 0.0;
  for (std::size_t i = 0; i < curve.frequencies.size(); ++i) {
    points.append({curve.frequencies[i] / kMHz, curve.returnLossDb[i]});
    top = std::max(top, curve.returnLossDb[i]);
  }
  returnLoss_->replace(points);
  // The scale follows the curve (a perfect match's peak cut at 80 dB); the bound's level is
  // drawn when it is on the scale, and the label above says it either way.
  top = std::clamp(top, 20.0, 80.0);
  const bool boundShown = curve.boundDb && *curve.boundDb <= 1.5 * top;
  if (boundShown) top = std::max(top, *curve.boundDb);
  const LinearTicks x = RoundRange(curve.span.from / kMHz, curve.span.to / kMHz, 8);
  const LinearTicks y = RoundRange(0.0, top * 1.05, 8);
  for (auto [axis, ticks] : {std::pair(xAxis_, x), std::pair(yAxis_, y)}) {
    axis->setTickType(QValueAxis::TicksDynamic);
    axis->setTickAnchor(ticks.first);
    axis->setTickInterval(ticks.step);
    axis->setLabelFormat(QStringLiteral("%.%1f").arg(ticks.decimals));
    axis->setRange(ticks.low, ticks.high);
  }
  // Across, the plotted span itself: the curve from edge to edge.
  xAxis_->setRange(curve.span.from / kMHz, curve.span.to / kMHz);
  if (boundShown) {
    boundLine_->replace({QPointF(curve.span.from / kMHz, *curve.boundDb),
                         QPointF(curve.span.to / kMHz, *curve.boundDb)});
  } else {
    boundLine_->clear();
  }
  for (QLegendMarker* marker : chart_->legend()->markers(boundLine_)) {
    marker->setVisible(boundShown);
  }
  for (const FrequencyBand& b : curve.bands) {
    auto* shade = new QAreaSeries;
    auto* upper = new QLineSeries(shade);
    auto* lower = new QLineSeries(shade);
    upper->append(b.from / kMHz, y.high);
    upper->append(b.to / kMHz, y.high);
    lower->append(b.from / kMHz, y.low);
    lower->append(b.to / kMHz, y.low);
    shade->setUpperSeries(upper);
    shade->setLowerSeries(lower);
    QColor fill = kBandColour;
    fill.setAlpha(40);
    shade->setBrush(fill);
    shade->setPen(Qt::NoPen);
    shade->setName(tr("Band"));
    chart_->addSeries(shade);
    shade->attachAxis(xAxis_);
    shade->attachAxis(yAxis_);
    // One legend entry for all the bands.
    if (!bandShades_.empty()) {
      for (QLegendMarker* marker : chart_->legend()->markers(shade)) marker->setVisible(false);
    }
    bandShades_.push_back(shade);
  }
  chart_->setTitle(tr("%1 elements: worst return loss %2 dB over the bands")
                       .arg(design.circuit.elements.size())
                       .arg(Text(FixedNumber(design.figures.worstReturnLossDb, 2))));
}

bool BandPage::ApplyChosen() {
  if (chosen_ < 0 || !answer_) return false;
  const BandApplicationChoice choice =
      ApplicationOf(model_, *answer_, static_cast<std::size_t>(chosen_));
  if (!choice.application) {
    Say(tr("Not applied: %1").arg(Text(choice.reason)), true);
    return false;
  }
  if (apply_) apply_(*choice.application);
  Say(tr("Applied: the design window designs it at %1; its worst return loss over the bands is "
         "%2 dB.")
          .arg(Text(EngineeringText(static_cast<double>(choice.application->frequency), "Hz")),
               Text(FixedNumber(choice.application->worstReturnLossDb, 2))),
      false);
  return true;
}

bool BandPage::Export(BandExport format, const QString& path) {
  if (chosen_ < 0 || !answer_) {
    Say(tr("Nothing to export: choose a design"), true);
    return false;
  }
  const BandCurve curve = BandCurveOf(*answer_, static_cast<std::size_t>(chosen_), searchedBands_);
  const std::string text =
      BandExportText(*answer_, static_cast<std::size_t>(chosen_), format, curve.span);
  if (text.empty()) {
    Say(tr("Cannot write %1: nothing to write").arg(QDir::toNativeSeparators(path)), true);
    return false;
  }
  // Through the program's one writer; its one-line reason, capitalised.
  if (std::string error; !WriteFileAtomically(path.toStdString(), text, error)) {
    QString message = QString::fromStdString(error);
    if (!message.isEmpty()) message[0] = message[0].toUpper();
    Say(message, true);
    return false;
  }
  Say(tr("Saved %1").arg(QDir::toNativeSeparators(path)), false);
  return true;
}

void BandPage::SaveAs(BandExport format) {
  if (!chooseFile_) return;
  const auto [caption, name, filter] =
      format == BandExport::Spice
          ? std::tuple(tr("Export SPICE netlist"), QStringLiteral("band.cir"),
                       tr("SPICE netlists (*.cir)"))
      : format == BandExport::Touchstone
          ? std::tuple(tr("Export Touchstone"), QStringLiteral("band.s2p"),
                       tr("Touchstone files (*.s2p)"))
          : std::tuple(tr("Export CSV"), QStringLiteral("band.csv"), tr("CSV files (*.csv)"));
  const QString path = chooseFile_(caption, name, filter);
  if (!path.isEmpty()) Export(format, path);
}

std::vector<std::string> BandPage::ReportLines() const {
  if (!report_->isChecked() || chosen_ < 0 || !answer_ || run_.Running()) return {};
  if (!SameBandSides(model_, *answer_)) return {};
  return BandReportLines(*answer_, static_cast<std::size_t>(chosen_));
}

void BandPage::Say(const QString& text, bool failed) {
  status_->setText(text);
  status_->setStyleSheet(failed ? QStringLiteral("color: rgb(200, 0, 0)") : QString());
}

}  // namespace corvantile
