#pragma once

// The response window's "Tolerance" page: which network is built (the ideal design, or its
// nearest or best standard-value version, with the series for inductors and capacitors), each
// kind's tolerance and distribution, the number of builds and the seed; and what a Monte Carlo
// run over those builds gives: the return-loss histogram, the yield, the percentiles, the worst
// corner and the sensitivity ranking. The run goes on a worker thread with a progress bar and a
// Cancel button; any change of the design or of a setting cancels it and starts again.
#include <optional>
#include <string>
#include <vector>

#include <QWidget>

#include "analysis/studies/tolerance_analysis.h"
#include "response/background_run.h"
#include "response/tolerance_view.h"
#include "state/circuit_state.h"
#include "state/settings_file.h"

class QAbstractAxis;
class QAreaSeries;
class QChart;
class QCheckBox;
class QColor;
class QComboBox;
class QDoubleSpinBox;
class QLabel;
class QLineEdit;
class QLineSeries;
class QProgressBar;
class QPushButton;
class QSpinBox;
class QTimer;

namespace corvantile {

class ReturnLossHistogramWidget;

class TolerancePage : public QWidget {
  Q_OBJECT

 public:
  // Follows the design `model` holds; it reads the model on every Update and never changes it.
  explicit TolerancePage(const DesignModel& model, QWidget* parent = nullptr);
  // Cancels a run that is still going and waits for its thread.
  ~TolerancePage() override;

  // Starts a run for the design after a pass that returned `outcome`, cancelling the old one.
  void Update(DesignOutcome outcome);

  // The page's choices; setting them shows them and reruns.
  ToleranceSettings settings() const { return settings_; }
  void SetSettings(const ToleranceSettings& settings);
  // The span the envelope is drawn over (none: the default span of the design frequency).
  void SetEnvelopeSpan(std::optional<SweepSpan> span);
  // The span the Response page sweeps, taken at the next Update: the envelope is drawn over it.
  // The parts' losses, the compensation and the measured sides are the model's.
  void FollowResponse(std::optional<SweepSpan> span);

  // Stops the run in progress, if any; the page then shows "Cancelled".
  void Cancel();
  bool running() const { return run_.Running(); }

  // The last finished run's result (none before the first one, and after a design with no
  // network), with the envelope: the least and most return loss over the builds at every
  // frequency of the span.
  const std::optional<ToleranceResult>& result() const { return result_; }
  const ToleranceRequest& request() const { return request_; }
  // The last finished run's figures as the report lists them, a line each, when that run was
  // for the run the model asks for now (`outcome` is not read); none when no run
  // has finished, one is still going or the design has changed since.
  std::vector<std::string> ResultLines(DesignOutcome outcome) const;

  QProgressBar* progressBar() const { return progress_; }
  QPushButton* cancelButton() const { return cancel_; }
  QLabel* statusLabel() const { return status_; }
  QLabel* figuresLabel() const { return figures_; }
  QComboBox* standardBox() const { return standard_; }
  QSpinBox* buildsBox() const { return builds_; }

 signals:
  // A run finished (not cancelled) and its figures are shown.
  void finished();
  // The user changed a setting with the page's controls; settings() holds the new ones.
  void settingsChanged();
  // The envelope changed: the Response page's plot can redraw it with AddEnvelopeSeries.
  void envelopeChanged(const std::vector<double>& frequencies, const std::vector<double>& minDb,
                       const std::vector<double>& maxDb);

 private:
  void BuildControls();
  void ShowSettings();
  void ReadControls();
  void Start();
  void StopJob();
  void Poll();
  void Finish(ToleranceResult result);
  void ShowResult();

  const DesignModel& model_;
  ToleranceSettings settings_;
  std::optional<SweepSpan> envelopeSpan_;
  ToleranceRequest request_;
  std::optional<ToleranceResult> result_;
  BackgroundRun<ToleranceResult> run_;
  bool showing_ = false;  // controls being filled in: their change signals do nothing

  QComboBox* standard_ = nullptr;
  QComboBox* inductorSeries_ = nullptr;
  QComboBox* capacitorSeries_ = nullptr;
  QDoubleSpinBox* inductorTolerance_ = nullptr;
  QDoubleSpinBox* capacitorTolerance_ = nullptr;
  QComboBox* distribution_ = nullptr;
  QSpinBox* builds_ = nullptr;
  QSpinBox* seed_ = nullptr;
  QLineEdit* band_ = nullptr;
  QProgressBar* progress_ = nullptr;
  QPushButton* cancel_ = nullptr;
  QLabel* status_ = nullptr;
  QLabel* figures_ = nullptr;
  ReturnLossHistogramWidget* histogram_ = nullptr;
  QTimer* poll_ = nullptr;
};

// Adds the envelope to `chart` as two line series, "Least return loss" and "Most return loss",
// against the frequency divided by `frequencyScale` (1e6 for an axis in MHz), attached to the
// axes when given. Returns the two series (owned by the chart).
std::pair<QLineSeries*, QLineSeries*> AddEnvelopeSeries(QChart* chart,
                                                        const ToleranceResult& result,
                                                        double frequencyScale = 1.0,
                                                        QAbstractAxis* x = nullptr,
                                                        QAbstractAxis* y = nullptr);

// The envelope as one shaded band on a return-loss plot, "Tolerance envelope", in a lighter
// shade of `colour`, attached to the axes; empty (and out of the legend) until ShowEnvelope
// gives it points. The band's two edges belong to it.
QAreaSeries* AddEnvelopeBand(QChart* chart, QAbstractAxis* x, QAbstractAxis* y,
                             const QColor& colour);
// Gives the band the least and most return loss at each frequency, divided by
// `frequencyScale`; empty vectors clear it. Points that are not finite are left out.
void ShowEnvelope(QChart* chart, QAreaSeries* band, const std::vector<double>& frequencies,
                  const std::vector<double>& minDb, const std::vector<double>& maxDb,
                  double frequencyScale);

}  // namespace corvantile
