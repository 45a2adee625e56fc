#include "response/qt/tolerance_page.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <string>
#include <utility>

#include <QAbstractAxis>
#include <QAreaSeries>
#include <QChart>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLegend>
#include <QLegendMarker>
#include <QLineEdit>
#include <QLineSeries>
#include <QPainter>
#include <QProgressBar>
#include <QPushButton>
#include <QSpinBox>
#include <QTimer>
#include <QVBoxLayout>

#include "response/band_text.h"

namespace corvantile {

// The return-loss histogram drawn as bars, with the dB scale underneath.
class ReturnLossHistogramWidget : public QWidget {
 public:
  explicit ReturnLossHistogramWidget(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("histReturnLoss"));
    setAccessibleName(QStringLiteral("Histogram of the builds' return loss"));
    setMinimumSize(320, 160);
  }
  void SetHistogram(std::optional<ReturnLossHistogram> histogram) {
    histogram_ = std::move(histogram);
    update();
  }

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter painter(this);
    painter.fillRect(rect(), palette().base());
    const QFontMetrics metrics(font());
    const int bottom = height() - metrics.height() - 4;
    const QRect plot(8, 8, width() - 16, bottom - 8);
    painter.setPen(palette().text().color());
    painter.drawLine(plot.bottomLeft(), plot.bottomRight());
    if (!histogram_ || histogram_->counts.empty()) return;
    const std::vector<int>& counts = histogram_->counts;
    const int most = std::max(1, *std::max_element(counts.begin(), counts.end()));
    const double barWidth = static_cast<double>(plot.width()) / static_cast<double>(counts.size());
    painter.setBrush(palette().highlight());
    for (std::size_t i = 0; i < counts.size(); ++i) {
      const double h = plot.height() * static_cast<double>(counts[i]) / most;
      painter.drawRect(
          QRectF(plot.left() + barWidth * static_cast<double>(i), plot.bottom() - h, barWidth, h));
    }
    const double last =
        histogram_->firstDb + histogram_->binDb * static_cast<double>(counts.size());
    painter.drawText(QRect(plot.left(), bottom + 2, plot.width(), metrics.height()), Qt::AlignLeft,
                     QString::fromStdString(FiniteText(histogram_->firstDb, 1)));
    painter.drawText(QRect(plot.left(), bottom + 2, plot.width(), metrics.height()),
                     Qt::AlignHCenter, tr("Return loss (dB)"));
    painter.drawText(QRect(plot.left(), bottom + 2, plot.width(), metrics.height()), Qt::AlignRight,
                     QString::fromStdString(FiniteText(last, 1)));
  }

 private:
  std::optional<ReturnLossHistogram> histogram_;
};

namespace {

constexpr int kPollMs = 50;

QString BandText(const std::optional<std::array<double, 2>>& band) {
  return band ? QString::fromStdString(BandEntryText(*band)) : QString();
}

}  // namespace

TolerancePage::TolerancePage(const DesignModel& model, QWidget* parent)
    : QWidget(parent), model_(model) {
  BuildControls();
  ShowSettings();
  poll_ = new QTimer(this);
  poll_->setInterval(kPollMs);
  connect(poll_, &QTimer::timeout, this, &TolerancePage::Poll);
}

TolerancePage::~TolerancePage() { StopJob(); }

void TolerancePage::BuildControls() {
  auto* form = new QFormLayout;
  standard_ = new QComboBox(this);
  standard_->addItems({tr("none (the ideal design)"), tr("nearest"), tr("best")});
  inductorSeries_ = new QComboBox(this);
  capacitorSeries_ = new QComboBox(this);
  for (int count : kSeriesCounts) {
    inductorSeries_->addItem(QStringLiteral("E%1").arg(count), count);
    capacitorSeries_->addItem(QStringLiteral("E%1").arg(count), count);
  }
  const auto percentBox = [this] {
    auto* box = new QDoubleSpinBox(this);
    box->setRange(0.0, 100.0 * kMaxTolerance);
    box->setDecimals(2);
    box->setSuffix(QStringLiteral(" %"));
    return box;
  };
  inductorTolerance_ = percentBox();
  capacitorTolerance_ = percentBox();
  distribution_ = new QComboBox(this);
  distribution_->addItems({tr("uniform"), tr("normal (3 sigma at the tolerance)")});
  builds_ = new QSpinBox(this);
  builds_->setRange(1, kMaxToleranceBuilds);
  builds_->setGroupSeparatorShown(true);
  seed_ = new QSpinBox(this);
  seed_->setRange(0, INT_MAX);
  band_ = new QLineEdit(this);
  band_->setPlaceholderText(tr("F1:F2, e.g. 3.6M:3.9M (empty: none)"));
  form->addRow(tr("Standard values"), standard_);
  form->addRow(tr("Inductor series"), inductorSeries_);
  form->addRow(tr("Capacitor series"), capacitorSeries_);
  form->addRow(tr("Inductor tolerance"), inductorTolerance_);
  form->addRow(tr("Capacitor tolerance"), capacitorTolerance_);
  form->addRow(tr("Distribution"), distribution_);
  form->addRow(tr("Builds"), builds_);
  form->addRow(tr("Seed"), seed_);
  form->addRow(tr("Band"), band_);

  progress_ = new QProgressBar(this);
  cancel_ = new QPushButton(tr("Cancel"), this);
  cancel_->setEnabled(false);
  auto* runRow = new QHBoxLayout;
  runRow->addWidget(progress_, 1);
  runRow->addWidget(cancel_);
  status_ = new QLabel(this);
  figures_ = new QLabel(this);
  figures_->setTextInteractionFlags(Qt::TextSelectableByMouse);
  histogram_ = new ReturnLossHistogramWidget(this);

  auto* results = new QVBoxLayout;
  results->addLayout(runRow);
  results->addWidget(status_);
  results->addWidget(histogram_, 1);
  results->addWidget(figures_);
  auto* layout = new QHBoxLayout(this);
  layout->addLayout(form);
  layout->addLayout(results, 1);

  const auto changed = [this] {
    if (showing_) return;
    ReadControls();
    Start();
    emit settingsChanged();
  };
  for (QComboBox* box : {standard_, inductorSeries_, capacitorSeries_, distribution_}) {
    connect(box, &QComboBox::currentIndexChanged, this, changed);
  }
  for (QDoubleSpinBox* box : {inductorTolerance_, capacitorTolerance_}) {
    connect(box, &QDoubleSpinBox::valueChanged, this, changed);
  }
  for (QSpinBox* box : {builds_, seed_}) connect(box, &QSpinBox::valueChanged, this, changed);
  // Leaving the box (by Tab, say) without typing in it changes nothing.
  connect(band_, &QLineEdit::editingFinished, this, [this, changed] {
    if (!band_->isModified()) return;
    band_->setModified(false);
    changed();
  });
  connect(cancel_, &QPushButton::clicked, this, &TolerancePage::Cancel);
}

void TolerancePage::ShowSettings() {
  showing_ = true;
  standard_->setCurrentIndex(static_cast<int>(settings_.standard));
  inductorSeries_->setCurrentIndex(inductorSeries_->findData(settings_.inductorSeries));
  capacitorSeries_->setCurrentIndex(capacitorSeries_->findData(settings_.capacitorSeries));
  inductorTolerance_->setValue(100.0 * settings_.inductorTolerance);
  capacitorTolerance_->setValue(100.0 * settings_.capacitorTolerance);
  distribution_->setCurrentIndex(settings_.normal ? 1 : 0);
  builds_->setValue(settings_.builds);
  seed_->setValue(static_cast<int>(std::min<std::uint64_t>(settings_.seed, INT_MAX)));
  band_->setText(BandText(settings_.band));
  showing_ = false;
}

void TolerancePage::ReadControls() {
  settings_.standard = static_cast<ToleranceStandard>(std::clamp(standard_->currentIndex(), 0, 2));
  settings_.inductorSeries = inductorSeries_->currentData().toInt();
  settings_.capacitorSeries = capacitorSeries_->currentData().toInt();
  settings_.inductorTolerance = inductorTolerance_->value() / 100.0;
  settings_.capacitorTolerance = capacitorTolerance_->value() / 100.0;
  settings_.normal = distribution_->currentIndex() == 1;
  settings_.builds = builds_->value();
  settings_.seed = static_cast<std::uint64_t>(seed_->value());
  // A band that cannot be read is no band: the box is emptied to say so.
  const BandReading band = ReadBand(band_->text().toStdString());
  settings_.band = band.band;
  if (!band.Ok()) band_->setText({});
}

void TolerancePage::SetSettings(const ToleranceSettings& settings) {
  settings_ = settings;
  ShowSettings();
  Start();
}

void TolerancePage::SetEnvelopeSpan(std::optional<SweepSpan> span) {
  envelopeSpan_ = span;
  Start();
}

void TolerancePage::FollowResponse(std::optional<SweepSpan> span) { envelopeSpan_ = span; }

void TolerancePage::Update(DesignOutcome) { Start(); }

void TolerancePage::StopJob() {
  run_.Cancel();
  poll_->stop();
  cancel_->setEnabled(false);
}

void TolerancePage::Cancel() {
  if (!run_.Running()) return;
  StopJob();
  status_->setText(tr("Cancelled"));
}

void TolerancePage::Start() {
  StopJob();
  request_ = ToleranceOf(model_, settings_, envelopeSpan_);
  if (!request_.hasNetwork) {
    result_.reset();
    status_->setText(QString::fromStdString(request_.noNetworkReason));
    progress_->setValue(0);
    ShowResult();
    emit envelopeChanged({}, {}, {});
    return;
  }
  const int builds = request_.options.builds;
  progress_->setRange(0, builds);
  progress_->setValue(0);
  cancel_->setEnabled(true);
  status_->setText(tr("Building %L1 networks...").arg(builds));
  run_.Start(ToleranceWork(request_), builds);
  poll_->start();
}

void TolerancePage::Poll() {
  if (!run_.Running()) {
    poll_->stop();
    return;
  }
  progress_->setValue(run_.Progress());
  if (!run_.Finished()) return;
  std::optional<ToleranceResult> result = run_.Take();
  poll_->stop();
  cancel_->setEnabled(false);
  if (result) Finish(std::move(*result));
}

void TolerancePage::Finish(ToleranceResult result) {
  progress_->setValue(progress_->maximum());
  result_ = std::move(result);
  status_->setText(tr("%L1 builds").arg(result_->builds));
  ShowResult();
  emit envelopeChanged(result_->envelopeFrequencies, result_->envelopeMinDb,
                       result_->envelopeMaxDb);
  emit finished();
}

void TolerancePage::ShowResult() {
  if (!result_) {
    histogram_->SetHistogram(std::nullopt);
    figures_->clear();
    return;
  }
  histogram_->SetHistogram(result_->histogram);
  QStringList lines;
  for (const std::string& line : ToleranceLines(*result_)) lines << QString::fromStdString(line);
  figures_->setText(lines.join('\n'));
}

std::vector<std::string> TolerancePage::ResultLines(DesignOutcome) const {
  if (!result_ || run_.Running()) return {};
  if (!SameToleranceNetwork(request_, ToleranceOf(model_, settings_, envelopeSpan_))) return {};
  return ToleranceLines(*result_);
}

std::pair<QLineSeries*, QLineSeries*> AddEnvelopeSeries(QChart* chart,
                                                        const ToleranceResult& result,
                                                        double frequencyScale, QAbstractAxis* x,
                                                        QAbstractAxis* y) {
  auto* least = new QLineSeries(chart);
  auto* most = new QLineSeries(chart);
  least->setName(QObject::tr("Least return loss"));
  most->setName(QObject::tr("Most return loss"));
  const std::size_t n = std::min({result.envelopeFrequencies.size(), result.envelopeMinDb.size(),
                                  result.envelopeMaxDb.size()});
  for (std::size_t i = 0; i < n; ++i) {
    const double f = result.envelopeFrequencies[i] / frequencyScale;
    // A point that is not finite (a perfect match has infinite return loss) is left out.
    if (std::isfinite(f) && std::isfinite(result.envelopeMinDb[i])) {
      least->append(f, result.envelopeMinDb[i]);
    }
    if (std::isfinite(f) && std::isfinite(result.envelopeMaxDb[i])) {
      most->append(f, result.envelopeMaxDb[i]);
    }
  }
  for (QLineSeries* series : {least, most}) {
    chart->addSeries(series);
    if (x != nullptr) series->attachAxis(x);
    if (y != nullptr) series->attachAxis(y);
  }
  return {least, most};
}

QAreaSeries* AddEnvelopeBand(QChart* chart, QAbstractAxis* x, QAbstractAxis* y,
                             const QColor& colour) {
  auto* band = new QAreaSeries;
  band->setUpperSeries(new QLineSeries(band));
  band->setLowerSeries(new QLineSeries(band));
  band->setName(QObject::tr("Tolerance envelope"));
  QColor fill = colour.lighter(170);
  fill.setAlpha(110);
  band->setBrush(fill);
  band->setPen(QPen(colour.lighter(150), 1));
  chart->addSeries(band);
  band->attachAxis(x);
  band->attachAxis(y);
  for (QLegendMarker* marker : chart->legend()->markers(band)) marker->setVisible(false);
  return band;
}

void ShowEnvelope(QChart* chart, QAreaSeries* band, const std::vector<double>& frequencies,
                  const std::vector<double>& minDb, const std::vector<double>& maxDb,
                  double frequencyScale) {
  QList<QPointF> lower, upper;
  const std::size_t n = std::min({frequencies.size(), minDb.size(), maxDb.size()});
  for (std::size_t i = 0; i < n; ++i) {
    const double f = frequencies[i] / frequencyScale;
    if (!std::isfinite(f) || !std::isfinite(minDb[i]) || !std::isfinite(maxDb[i])) continue;
    lower.append({f, minDb[i]});
    upper.append({f, maxDb[i]});
  }
  band->lowerSeries()->replace(lower);
  band->upperSeries()->replace(upper);
  for (QLegendMarker* marker : chart->legend()->markers(band)) {
    marker->setVisible(!upper.isEmpty());
  }
}

}  // namespace corvantile
