#include "response/qt/frm_response.h"

#include <algorithm>
#include <cmath>
#include <string>

#include <QBuffer>
#include <QChart>
#include <QChartView>
#include <QCoreApplication>
#include <QCursor>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLegend>
#include <QLegendMarker>
#include <QLineEdit>
#include <QLineSeries>
#include <QLogValueAxis>
#include <QPainter>
#include <QPushButton>
#include <QResizeEvent>
#include <QScatterSeries>
#include <QShortcut>
#include <QSvgGenerator>
#include <QTabBar>
#include <QTabWidget>
#include <QToolTip>
#include <QVBoxLayout>
#include <QValueAxis>

#include "analysis/circuits/circuit_text.h"
#include "analysis/circuits/part_model_text.h"
#include "analysis/formats/number_text.h"
#include "analysis/formats/spice_netlist.h"
#include "analysis/formats/sweep_csv.h"
#include "analysis/formats/touchstone.h"
#include "model/design_answers.h"
#include "response/plot_ticks.h"
#include "response/qt/band_page.h"
#include "response/qt/explore_page.h"
#include "response/qt/parts_page.h"
#include "response/qt/smith_chart_widget.h"
#include "response/qt/tolerance_page.h"
#include "state/file_writer.h"
#include "units/parse.h"

namespace corvantile {
namespace {

const QColor kReturnLossColour(20, 90, 200);
const QColor kGainColour(200, 90, 0);
const QColor kMarkerColour(60, 60, 60);
// The narrowest window whose save buttons go in one row.
constexpr int kOneRowOfButtonsWidth = 900;

QString ToQString(const std::string& text) { return QString::fromStdString(text); }
QString ToQString(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QString HarmonicName(int harmonic) {
  return harmonic == 1 ? QStringLiteral("f") : QStringLiteral("%1f").arg(harmonic);
}

// A value typed into a box, as a double: ParseValue reads it, never NaN or infinite.
double Typed(const QLineEdit* box) {
  return static_cast<double>(ParseValue(box->text().toStdString()));
}

}  // namespace

FrmResponse::FrmResponse(DesignModel& model, QWidget* parent)
    : QWidget(parent, Qt::Window), model_(model), lastDirectory_(QDir::currentPath()) {
  changeModel_ = [this](const std::function<void()>& edit) {
    model_.Change(edit);
    Update(lastOutcome_);
  };
  setObjectName(QStringLiteral("frmResponse"));
  setWindowTitle(QStringLiteral("Corvantile - response"));
  chooseFile_ = [this](const QString& caption, const QString& suggested, const QString& filter) {
    return QFileDialog::getSaveFileName(this, caption, suggested, filter);
  };

  BuildChart();
  smith_ = new SmithChartWidget;
  smith_->SetView(&view_);

  plots_ = new QWidget;
  plots_->setObjectName(QStringLiteral("plots"));
  plots_->setAutoFillBackground(true);
  QPalette white = plots_->palette();
  white.setColor(QPalette::Window, Qt::white);
  plots_->setPalette(white);
  // The circuit's line above both plots, so that saved pictures say what they show.
  circuit_ = new QLabel;
  circuit_->setObjectName(QStringLiteral("lblCircuit"));
  circuit_->setAlignment(Qt::AlignCenter);
  circuit_->setContentsMargins(0, 6, 0, 0);
  QFont heading = circuit_->font();
  heading.setBold(true);
  circuit_->setFont(heading);
  auto* plotColumn = new QVBoxLayout(plots_);
  plotColumn->setContentsMargins(0, 0, 0, 0);
  plotColumn->setSpacing(0);
  plotColumn->addWidget(circuit_);
  auto* plotRow = new QHBoxLayout;
  plotRow->setSpacing(0);
  plotRow->addWidget(chartView_, 3);
  plotRow->addWidget(smith_, 2);
  plotColumn->addLayout(plotRow, 1);

  noNetwork_ = new QLabel;
  noNetwork_->setObjectName(QStringLiteral("lblNoNetwork"));
  QFont bold = noNetwork_->font();
  bold.setBold(true);
  bold.setPointSizeF(bold.pointSizeF() * 1.2);
  noNetwork_->setFont(bold);
  noNetwork_->setStyleSheet(QStringLiteral("color: rgb(200, 0, 0)"));
  noNetwork_->setWordWrap(true);
  noNetwork_->hide();

  // The plots and their controls are the first page; the other views are pages beside it,
  // reached with Ctrl+PgUp / Ctrl+PgDown or Alt+1, Alt+2 ...
  responsePage_ = new QWidget;
  responsePage_->setObjectName(QStringLiteral("pageResponse"));
  auto* page = new QVBoxLayout(responsePage_);
  page->addWidget(noNetwork_);
  page->addWidget(plots_, 1);
  page->addWidget(BuildControls());
  tabs_ = new QTabWidget;
  tabs_->setObjectName(QStringLiteral("tabsResponse"));
  tabs_->setDocumentMode(true);
  tabs_->tabBar()->setAccessibleName(QStringLiteral("Pages"));
  tabs_->addTab(responsePage_, QStringLiteral("Response"));
  for (int digit = 1; digit <= 9; ++digit) {
    auto* shortcut =
        new QShortcut(QKeySequence(Qt::ALT | static_cast<Qt::Key>(Qt::Key_0 + digit)), this);
    connect(shortcut, &QShortcut::activated, this, [this, digit] {
      if (digit <= tabs_->count()) tabs_->setCurrentIndex(digit - 1);
    });
  }
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(tabs_);

  parts_ = new PartsPage(model_.state());
  AddPage(parts_, QStringLiteral("Parts"));
  tolerance_ = new TolerancePage(model_);
  connect(tolerance_, &TolerancePage::settingsChanged, this, [this] {
    const ToleranceSettings shown = tolerance_->settings();
    // The page's defaults with no member yet are no change.
    if (ToleranceSettingsOf(model_) == shown) return;
    changeModel_([this, shown] { model_.settings().tolerance = shown; });
  });
  AddPage(tolerance_, QStringLiteral("Tolerance"));
  connect(tolerance_, &TolerancePage::envelopeChanged, this,
          [this](const auto& frequencies, const auto& minDb, const auto& maxDb) {
            ShowEnvelope(chart_, envelope_, frequencies, minDb, maxDb, unit_.hertz);
          });
  explore_ = new ExplorePage(model_.state(), [this](float family, float phase) {
    if (applyCandidate_) applyCandidate_(family, phase);
  });
  AddPage(explore_, QStringLiteral("Explore"));
  band_ = new BandPage(model_);
  band_->SetApply([this](const BandApplication& application) {
    if (applyBand_) {
      applyBand_(application);
    } else {
      changeModel_([this, application] { ApplyBandDesign(model_.state(), application); });
    }
  });
  band_->SetFileChooser([this](const QString& caption, const QString& name, const QString& filter) {
    const QString path = chooseFile_(caption, QDir(lastDirectory_).filePath(name), filter);
    if (!path.isEmpty()) lastDirectory_ = QFileInfo(path).absolutePath();
    return path;
  });
  AddPage(band_, QStringLiteral("Band"));
  // Return presses the focused button, as Space does (outside a dialog Qt leaves it to Space).
  for (QPushButton* button : findChildren<QPushButton*>()) button->setAutoDefault(true);
  connect(parts_, &PartsPage::LossesChanged, this, [this] {
    LossSettings chosen = LossSettingsOf(parts_->losses(), parts_->compensate());
    chosen.models = parts_->models();
    changeModel_([this, chosen] { model_.settings().losses = chosen; });
    emit LossesChanged();
  });
  ShowView();
}

int FrmResponse::AddPage(QWidget* page, const QString& title) { return tabs_->addTab(page, title); }

void FrmResponse::ShowPage(int index) { tabs_->setCurrentIndex(index); }

void FrmResponse::SetLosses(const LossModel& losses, bool compensate) {
  LossSettings chosen = LossSettingsOf(losses, compensate);
  // The parts' models stay as the design holds them.
  if (model_.settings().losses) chosen.models = model_.settings().losses->models;
  changeModel_([this, chosen] { model_.settings().losses = chosen; });
}

FrmResponse::~FrmResponse() = default;

void FrmResponse::BuildChart() {
  chart_ = new QChart;
  chart_->setBackgroundRoundness(0);
  chart_->setMargins(QMargins(4, 4, 4, 4));
  chart_->legend()->setAlignment(Qt::AlignBottom);

  frequencyAxis_ = new QLogValueAxis;
  frequencyAxis_->setBase(10.0);
  frequencyAxis_->setLabelFormat(QStringLiteral("%g"));
  frequencyAxis_->setMinorTickCount(8);
  linearFrequencyAxis_ = new QValueAxis;
  linearFrequencyAxis_->setTickType(QValueAxis::TicksDynamic);
  linearFrequencyAxis_->setMinorTickCount(1);
  linearFrequencyAxis_->setVisible(false);
  returnLossAxis_ = new QValueAxis;
  returnLossAxis_->setTitleText(QStringLiteral("Return loss (dB)"));
  returnLossAxis_->setLabelFormat(QStringLiteral("%.0f"));
  returnLossAxis_->setTitleBrush(kReturnLossColour);
  gainAxis_ = new QValueAxis;
  gainAxis_->setTitleText(QStringLiteral("Transducer gain (dB)"));
  gainAxis_->setLabelFormat(QStringLiteral("%.0f"));
  gainAxis_->setTitleBrush(kGainColour);
  gainAxis_->setGridLineVisible(false);
  chart_->addAxis(frequencyAxis_, Qt::AlignBottom);
  chart_->addAxis(linearFrequencyAxis_, Qt::AlignBottom);
  chart_->addAxis(returnLossAxis_, Qt::AlignLeft);
  chart_->addAxis(gainAxis_, Qt::AlignRight);

  auto addSeries = [this](QXYSeries* series, QValueAxis* axis) {
    chart_->addSeries(series);
    series->attachAxis(frequencyAxis_);
    series->attachAxis(axis);
  };
  envelope_ = AddEnvelopeBand(chart_, frequencyAxis_, returnLossAxis_, kReturnLossColour);
  returnLoss_ = new QLineSeries;
  returnLoss_->setName(QStringLiteral("Return loss"));
  returnLoss_->setPen(QPen(kReturnLossColour, 2));
  addSeries(returnLoss_, returnLossAxis_);
  gain_ = new QLineSeries;
  gain_->setName(QStringLiteral("Transducer gain"));
  gain_->setPen(QPen(kGainColour, 2));
  addSeries(gain_, gainAxis_);

  for (std::size_t i = 0; i < markers_.size(); ++i) {
    const int harmonic = static_cast<int>(i) + 1;
    QLineSeries* line = new QLineSeries;
    line->setName(HarmonicName(harmonic));
    line->setPen(QPen(kMarkerColour, 1, Qt::DashLine));
    addSeries(line, gainAxis_);
    markerLines_[i] = line;

    QScatterSeries* marker = new QScatterSeries;
    marker->setName(HarmonicName(harmonic));
    marker->setMarkerSize(9);
    marker->setColor(kMarkerColour);
    marker->setBorderColor(Qt::white);
    // A label format without a placeholder is printed as it stands.
    marker->setPointLabelsFormat(HarmonicName(harmonic));
    marker->setPointLabelsVisible(true);
    marker->setPointLabelsClipping(false);
    addSeries(marker, gainAxis_);
    markers_[i] = marker;
    for (QLegendMarker* legend : chart_->legend()->markers(line)) legend->setVisible(false);
    for (QLegendMarker* legend : chart_->legend()->markers(marker)) legend->setVisible(false);

    connect(marker, &QXYSeries::hovered, this, [this, i](const QPointF&, bool entered) {
      if (!entered || !view_.hasNetwork) return ShowTooltip({});
      const HarmonicMarker& m = view_.markers[i];
      ShowTooltip(HarmonicName(m.harmonic) + QStringLiteral(": ") +
                  ToQString(SweepPointText(m.response, view_.referenceImpedance)));
    });
  }
  for (QLineSeries* curve : {returnLoss_, gain_}) {
    connect(curve, &QXYSeries::hovered, this, [this](const QPointF& point, bool entered) {
      ShowTooltip(entered ? ChartTooltip(point.x()) : QString());
    });
  }

  chartView_ = new QChartView(chart_);
  chartView_->setObjectName(QStringLiteral("chartView"));
  chartView_->setAccessibleName(
      QStringLiteral("Return loss and transducer gain against frequency"));
  chartView_->setRenderHint(QPainter::Antialiasing);
  chartView_->setMinimumSize(360, 260);
}

QWidget* FrmResponse::BuildControls() {
  auto* panel = new QWidget;
  auto* grid = new QGridLayout(panel);
  grid->setContentsMargins(0, 0, 0, 0);

  summary_ = new QLabel;
  summary_->setObjectName(QStringLiteral("lblSummary"));
  summary_->setTextInteractionFlags(Qt::TextSelectableByMouse);
  summary_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  grid->addWidget(summary_, 0, 0, 3, 1);

  auto box = [](const char* name, const QString& tip) {
    auto* edit = new QLineEdit;
    edit->setObjectName(QString::fromLatin1(name));
    edit->setToolTip(tip);
    edit->setMaximumWidth(110);
    return edit;
  };
  sweepFrom_ = box("txtSweepFrom", QStringLiteral("Lowest swept frequency, e.g. 1 MHz"));
  sweepTo_ = box("txtSweepTo", QStringLiteral("Highest swept frequency, e.g. 15 MHz"));
  reference_ = box("txtReference", QStringLiteral("The Smith chart's reference impedance"));
  sweepFrom_->setAccessibleName(QStringLiteral("Sweep from"));
  sweepTo_->setAccessibleName(QStringLiteral("Sweep to"));
  reference_->setAccessibleName(QStringLiteral("Reference impedance in ohms"));
  auto* defaultSpan = new QPushButton(QStringLiteral("Default span"));
  defaultSpan->setObjectName(QStringLiteral("cmdDefaultSpan"));
  defaultSpan->setToolTip(QStringLiteral("A quarter to four times the design frequency"));

  auto* settings = new QGridLayout;
  settings->addWidget(new QLabel(QStringLiteral("Sweep from")), 0, 0);
  settings->addWidget(sweepFrom_, 0, 1);
  settings->addWidget(new QLabel(QStringLiteral("to")), 0, 2);
  settings->addWidget(sweepTo_, 0, 3);
  settings->addWidget(new QLabel(QStringLiteral("Reference")), 1, 0);
  settings->addWidget(reference_, 1, 1);
  settings->addWidget(new QLabel(QStringLiteral("ohm")), 1, 2);
  // Under the span's upper end rather than after it: the row stays narrow enough for a small
  // screen.
  settings->addWidget(defaultSpan, 1, 3, Qt::AlignLeft);
  settings->setColumnStretch(4, 1);
  grid->addLayout(settings, 0, 1);

  struct SaveButton {
    const char* name;
    const char* text;
    const char* caption;
    const char* file;
    const char* filter;
    bool (FrmResponse::*write)(const QString&);
  };
  static constexpr std::array<SaveButton, 5> kButtons{{
      {"cmdSavePng", "Save PNG...", "Save the plots as PNG", "corvantile-response.png",
       "PNG images (*.png)", &FrmResponse::SavePng},
      {"cmdSaveSvg", "Save SVG...", "Save the plots as SVG", "corvantile-response.svg",
       "SVG images (*.svg)", &FrmResponse::SaveSvg},
      {"cmdExportCsv", "Export CSV...", "Export the sweep as CSV", "corvantile.csv",
       "CSV files (*.csv)", &FrmResponse::ExportCsv},
      {"cmdExportTouchstone", "Export Touchstone...", "Export the network as Touchstone",
       "corvantile.s2p", "Touchstone files (*.s2p)", &FrmResponse::ExportTouchstone},
      {"cmdExportSpice", "Export SPICE...", "Export the circuit as a SPICE netlist",
       "corvantile.cir", "SPICE netlists (*.cir)", &FrmResponse::ExportSpice},
  }};
  auto* buttons = new QHBoxLayout;
  saveButtonGrid_ = new QGridLayout;
  buttons->addLayout(saveButtonGrid_);
  for (std::size_t i = 0; i < kButtons.size(); ++i) {
    const SaveButton& b = kButtons[i];
    auto* button = new QPushButton(QString::fromLatin1(b.text));
    button->setObjectName(QString::fromLatin1(b.name));
    connect(button, &QPushButton::clicked, this, [this, b] {
      Save(QString::fromLatin1(b.caption), QString::fromLatin1(b.file),
           QString::fromLatin1(b.filter), b.write);
    });
    saveButtons_[i] = button;
  }
  ArrangeSaveButtons(static_cast<int>(kButtons.size()));
  buttons->addStretch(1);
  grid->addLayout(buttons, 1, 1);

  status_ = new QLabel;
  status_->setObjectName(QStringLiteral("lblStatus"));
  status_->setTextInteractionFlags(Qt::TextSelectableByMouse);
  grid->addWidget(status_, 2, 1);
  grid->setColumnStretch(0, 2);
  grid->setColumnStretch(1, 3);

  connect(sweepFrom_, &QLineEdit::editingFinished, this, &FrmResponse::ReadSpanTexts);
  connect(sweepTo_, &QLineEdit::editingFinished, this, &FrmResponse::ReadSpanTexts);
  connect(reference_, &QLineEdit::editingFinished, this, &FrmResponse::ReadReferenceText);
  connect(defaultSpan, &QPushButton::clicked, this, [this] { SetSpan(std::nullopt); });
  return panel;
}

void FrmResponse::Update(DesignOutcome outcome) {
  lastOutcome_ = outcome;
  // The pages show the model's settings: an undo, an opened file or another window may have
  // changed them.
  const std::optional<LossSettings>& losses = model_.settings().losses;
  settings_.losses = LossModelOf(losses, model_.PartFiles());
  settings_.compensate = losses && losses->compensate;
  const PartModelSettings models = losses ? losses->models : PartModelSettings{};
  if (LossSettingsOf(parts_->losses(), parts_->compensate()) !=
          LossSettingsOf(settings_.losses, settings_.compensate) ||
      parts_->models() != models ||
      HasPartModels(parts_->losses()) != HasPartModels(settings_.losses)) {
    parts_->SetLosses(settings_.losses, settings_.compensate, models);
  }
  settings_.measuredSource = model_.settings().measuredSource;
  settings_.measuredLoad = model_.settings().measuredLoad;
  UpdateResponseView(model_, settings_, view_);
  ShowView();
  parts_->Update(outcome);
  parts_->ShowPairs(PairsLines(StandardPairsOf(model_), StandardChoice{}));
  ShowEnvelope(chart_, envelope_, {}, {}, {}, 1.0);
  tolerance_->FollowResponse(settings_.span);
  if (const ToleranceSettings chosen = ToleranceSettingsOf(model_);
      tolerance_->settings() != chosen) {
    tolerance_->SetSettings(chosen);  // starts its run
  } else {
    tolerance_->Update(outcome);
  }
  explore_->FollowMeasuredSides(model_.SeenPort(MeasuredSideKind::Source),
                                model_.SeenPort(MeasuredSideKind::Load));
  explore_->Update(outcome);
  band_->Update(outcome);
}

void FrmResponse::SetSpan(std::optional<SweepSpan> span) {
  settings_.span = span;
  Update(lastOutcome_);
}

void FrmResponse::SetReferenceImpedance(double ohms) {
  settings_.referenceImpedance = ohms;
  Update(lastOutcome_);
}

void FrmResponse::ShowView() {
  ShowSpanTexts();
  reference_->setText(ToQString(ShortNumber(settings_.referenceImpedance, 7)));
  for (QPushButton* button : saveButtons_) button->setEnabled(view_.hasNetwork);
  smith_->update();

  if (!view_.hasNetwork) {
    noNetwork_->setText(ToQString(kNoNetworkText) + QStringLiteral(": ") +
                        ToQString(view_.noNetworkReason));
    noNetwork_->show();
    circuit_->setText(ToQString(kNoNetworkText));
    returnLoss_->clear();
    gain_->clear();
    for (QScatterSeries* marker : markers_) marker->clear();
    for (QLineSeries* line : markerLines_) line->clear();
    summary_->clear();
    return;
  }
  noNetwork_->hide();
  circuit_->setText(ToQString(DescribeCircuit(view_.circuit).front()));

  unit_ = UnitForSpan(view_.span);
  const double perUnit = unit_.hertz;
  QList<QPointF> returnLoss, gain;
  returnLoss.reserve(static_cast<qsizetype>(view_.sweep.size()));
  gain.reserve(static_cast<qsizetype>(view_.sweep.size()));
  for (const ResponsePoint& p : view_.sweep) {
    const double x = p.frequency / perUnit;
    returnLoss.append({x, p.returnLossDb});
    gain.append({x, p.transducerGainDb});
  }
  returnLoss_->replace(returnLoss);
  gain_->replace(gain);

  ShowFrequencyAxis(view_.span.from / perUnit, view_.span.to / perUnit);
  const DbAxes axes = PlotDbAxes(view_.sweep);
  returnLossAxis_->setRange(0.0, axes.returnLossTop);
  returnLossAxis_->setTickCount(axes.steps + 1);
  gainAxis_->setRange(axes.gainBottom, 0.0);
  gainAxis_->setTickCount(axes.steps + 1);

  for (std::size_t i = 0; i < markers_.size(); ++i) {
    const HarmonicMarker& m = view_.markers[i];
    if (!m.inSpan) {
      markers_[i]->clear();
      markerLines_[i]->clear();
      continue;
    }
    const double x = m.frequency / perUnit;
    // On the gain curve, held inside the axis so that a deep stop band still shows its mark.
    const double y = std::clamp(m.response.transducerGainDb, axes.gainBottom, 0.0);
    markers_[i]->replace(QList<QPointF>{{x, y}});
    markerLines_[i]->replace(QList<QPointF>{{x, axes.gainBottom}, {x, 0.0}});
  }

  QStringList lines;
  for (const std::string& line : view_.summaryLines) lines.append(ToQString(line));
  summary_->setText(lines.join(QLatin1Char('\n')));
}

QAbstractAxis* FrmResponse::frequencyAxis() const {
  if (linearFrequencyAxis_->isVisible()) return linearFrequencyAxis_;
  return frequencyAxis_;
}

void FrmResponse::ShowFrequencyAxis(double from, double to) {
  const FrequencyTicks ticks = ChooseFrequencyTicks(from, to);
  QAbstractAxis* shown = frequencyAxis_;
  if (!ticks.logarithmic) {
    linearFrequencyAxis_->setTickAnchor(ticks.linear.first);
    linearFrequencyAxis_->setTickInterval(ticks.linear.step);
    linearFrequencyAxis_->setLabelFormat(QStringLiteral("%.%1f").arg(ticks.linear.decimals));
    shown = linearFrequencyAxis_;
  }
  QAbstractAxis* hidden =
      shown == frequencyAxis_ ? static_cast<QAbstractAxis*>(linearFrequencyAxis_) : frequencyAxis_;
  if (!shown->isVisible()) {
    // Every curve moves to the axis shown; a series has one horizontal axis at a time.
    for (QAbstractSeries* series : chart_->series()) {
      series->detachAxis(hidden);
      series->attachAxis(shown);
    }
    hidden->setVisible(false);
    shown->setVisible(true);
  }
  if (ticks.logarithmic || ticks.linear.values.empty()) {
    shown->setRange(from, to);
  } else {
    // Out to a tick that lies a rounding error past an end (3.4 + 7 x 0.1 > 4.1), so that the
    // axis labels it.
    shown->setRange(std::min(from, ticks.linear.values.front()),
                    std::max(to, ticks.linear.values.back()));
  }
  shown->setTitleText(QStringLiteral("Frequency (%1)").arg(ToQString(unit_.name)));
}

void FrmResponse::ShowSpanTexts() {
  // What is swept: a span cut to a measured file's band shows as cut.
  const SweepSpan span =
      view_.hasNetwork
          ? view_.span
          : ChosenSpan(settings_, static_cast<double>(model_.state().NetValues[Frequency]));
  sweepFrom_->setText(ToQString(EngineeringText(span.from, "Hz")));
  sweepTo_->setText(ToQString(EngineeringText(span.to, "Hz")));
}

void FrmResponse::ReadSpanTexts() {
  if (!sweepFrom_->isModified() && !sweepTo_->isModified()) return;
  SweepSpan span =
      view_.hasNetwork
          ? view_.span
          : ChosenSpan(settings_, static_cast<double>(model_.state().NetValues[Frequency]));
  // The box not edited keeps the exact end, not the rounded text it shows.
  if (sweepFrom_->isModified()) span.from = Typed(sweepFrom_);
  if (sweepTo_->isModified()) span.to = Typed(sweepTo_);
  sweepFrom_->setModified(false);
  sweepTo_->setModified(false);
  if (const std::string_view problem = SweepSpanProblem(span); !problem.empty()) {
    Report(QStringLiteral("Span not changed: ") + ToQString(problem), true);
    ShowSpanTexts();
    return;
  }
  SetSpan(span);
}

void FrmResponse::ReadReferenceText() {
  if (!reference_->isModified()) return;
  reference_->setModified(false);
  const double ohms = Typed(reference_);
  if (!(ohms > 0.0)) {
    Report(QStringLiteral("Reference not changed: it must be a positive number of ohms"), true);
    reference_->setText(ToQString(ShortNumber(settings_.referenceImpedance, 7)));
    return;
  }
  SetReferenceImpedance(ohms);
}

QString FrmResponse::ChartTooltip(double plottedFrequency) const {
  if (!view_.hasNetwork || view_.sweep.empty()) return {};
  const std::size_t i = NearestSweepIndex(view_.sweep, plottedFrequency * unit_.hertz);
  return ToQString(SweepPointText(view_.sweep[i], view_.referenceImpedance));
}

void FrmResponse::ShowTooltip(const QString& text) {
  if (text.isEmpty()) {
    QToolTip::hideText();
  } else {
    QToolTip::showText(QCursor::pos(), text, chartView_);
  }
}

void FrmResponse::Report(const QString& text, bool failed) {
  status_->setStyleSheet(failed ? QStringLiteral("color: rgb(200, 0, 0)") : QString());
  status_->setText(text);
}

bool FrmResponse::CheckNetwork() {
  if (view_.hasNetwork) return true;
  Report(QStringLiteral("Nothing to save: no network"), true);
  return false;
}

bool FrmResponse::WriteFile(const QString& path, const QByteArray& bytes) {
  // The program's one writer: no FIFO, device or read-only file replaced, a link written
  // through, the old file whole on any failure; its one-line reason, capitalised.
  std::string error;
  if (!WriteFileAtomically(
          path.toStdString(),
          std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())), error)) {
    QString message = QString::fromStdString(error);
    if (!message.isEmpty()) message[0] = message[0].toUpper();
    Report(message, true);
    return false;
  }
  Report(QStringLiteral("Saved %1").arg(QDir::toNativeSeparators(path)), false);
  return true;
}

bool FrmResponse::SavePng(const QString& path) {
  if (!CheckNetwork()) return false;
  const QImage image = plots_->grab().toImage();
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  if (!image.save(&buffer, "PNG")) {
    Report(QStringLiteral("Cannot make the PNG picture"), true);
    return false;
  }
  return WriteFile(path, bytes);
}

bool FrmResponse::SaveSvg(const QString& path) {
  if (!CheckNetwork()) return false;
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  QSvgGenerator svg;
  svg.setOutputDevice(&buffer);
  svg.setSize(plots_->size());
  svg.setResolution(96);  // the pixel size the screen shows, in viewers that count 96 a inch
  svg.setViewBox(QRect(QPoint(0, 0), plots_->size()));
  svg.setTitle(QStringLiteral("Corvantile - response"));
  svg.setDescription(circuit_->text());
  QPainter painter;
  if (!painter.begin(&svg)) {
    Report(QStringLiteral("Cannot make the SVG picture"), true);
    return false;
  }
  plots_->render(&painter);
  painter.end();
  return WriteFile(path, bytes);
}

bool FrmResponse::ExportCsv(const QString& path) {
  if (!CheckNetwork()) return false;
  return WriteFile(path, QByteArray::fromStdString(SweepCsv(view_.sweep)));
}

bool FrmResponse::ExportTouchstone(const QString& path) {
  if (!CheckNetwork()) return false;
  return WriteFile(path, QByteArray::fromStdString(
                             TouchstoneS2p(view_.circuit, view_.span, view_.referenceImpedance)));
}

bool FrmResponse::ExportSpice(const QString& path) {
  if (!CheckNetwork()) return false;
  return WriteFile(path, QByteArray::fromStdString(SpiceNetlist(view_.circuit, view_.span)));
}

void FrmResponse::Save(const QString& caption, const QString& name, const QString& filter,
                       bool (FrmResponse::*write)(const QString&)) {
  if (!CheckNetwork()) return;
  const QString path = chooseFile_(caption, QDir(lastDirectory_).filePath(name), filter);
  if (path.isEmpty()) return;
  lastDirectory_ = QFileInfo(path).absolutePath();
  (this->*write)(path);
}

void FrmResponse::ArrangeSaveButtons(int columns) {
  if (columns == saveButtonColumns_) return;
  saveButtonColumns_ = columns;
  for (std::size_t i = 0; i < saveButtons_.size(); ++i) {
    const int at = static_cast<int>(i);
    saveButtonGrid_->removeWidget(saveButtons_[i]);
    saveButtonGrid_->addWidget(saveButtons_[i], at / columns, at % columns);
  }
}

void FrmResponse::resizeEvent(QResizeEvent* event) {
  // On a small screen (800x600) the five save buttons take two rows, so that the plots, the
  // summary and the controls fit across without scrolling.
  ArrangeSaveButtons(event->size().width() < kOneRowOfButtonsWidth ? 3 : 5);
  QWidget::resizeEvent(event);
}

QImage FrmResponse::Render(QSize size) {
  // Rearranged first: one row of buttons would hold the window wider than a small screen.
  ArrangeSaveButtons(size.width() < kOneRowOfButtonsWidth ? 3 : 5);
  if (!isVisible()) {
    // Lays the window out as showing it would, without a screen: the inner layouts first, so
    // that the window's least size is the rearranged one before it is resized.
    ensurePolished();
    const QList<QWidget*> inner = findChildren<QWidget*>();
    for (auto widget = inner.rbegin(); widget != inner.rend(); ++widget) {
      if ((*widget)->layout() != nullptr) (*widget)->layout()->activate();
    }
    layout()->activate();
  }
  resize(size);
  if (!isVisible()) {
    layout()->activate();
    QCoreApplication::sendPostedEvents();
  }
  return grab().toImage();
}

QSize FrmResponse::DefaultSize(QSize available) {
  return {std::min(1000, available.width() * 95 / 100),
          std::min(680, available.height() * 88 / 100)};
}

}  // namespace corvantile
