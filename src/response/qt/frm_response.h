#pragma once

// The response window, "Corvantile - response": return loss and transducer gain against
// frequency with markers at f, 2f and 3f, the summary figures, and the Smith chart, for the
// design on the screen. The span, the reference impedance and the saved files are chosen here.
#include <array>
#include <functional>
#include <optional>
#include <utility>

#include <QImage>
#include <QPointF>
#include <QSize>
#include <QString>
#include <QWidget>

#include "model/design_model.h"
#include "response/band_view.h"
#include "response/response_text.h"
#include "response/response_view.h"
#include "state/circuit_state.h"

class QAbstractAxis;
class QAreaSeries;
class QChart;
class QChartView;
class QGridLayout;
class QResizeEvent;
class QLabel;
class QLineEdit;
class QLineSeries;
class QLogValueAxis;
class QPushButton;
class QTabWidget;
class QScatterSeries;
class QValueAxis;

namespace corvantile {

class BandPage;
class ExplorePage;
class PartsPage;
class TolerancePage;
class SmithChartWidget;

class FrmResponse : public QWidget {
  Q_OBJECT

 public:
  // A window of its own, over `parent` when given (the design window), showing the design
  // `model` holds: every Update reads the model afresh (its state, losses, measured sides and
  // tolerance settings). The window changes the model only through its model changer.
  explicit FrmResponse(DesignModel& model, QWidget* parent = nullptr);
  ~FrmResponse() override;

  // Recomputes and redraws everything after a design pass that returned `outcome`.
  void Update(DesignOutcome outcome);

  // The swept span (none: the default for the design frequency, following it) and the Smith
  // chart's reference impedance; each redraws. An unusable value leaves "No network" with the
  // reason, as an impossible design does.
  void SetSpan(std::optional<SweepSpan> span);
  void SetReferenceImpedance(double ohms);

  // Adds a page after the others (the window's first page is "Response", then "Parts"); the
  // window takes `page`. Returns its index, which ShowPage takes and Alt+(index + 1) shows.
  int AddPage(QWidget* page, const QString& title);
  void ShowPage(int index);
  QTabWidget* tabs() const { return tabs_; }
  QWidget* responsePage() const { return responsePage_; }
  PartsPage* partsPage() const { return parts_; }
  TolerancePage* tolerancePage() const { return tolerance_; }
  ExplorePage* explorePage() const { return explore_; }
  BandPage* bandPage() const { return band_; }
  // What applying an explored candidate does (the design window's own commands): the family
  // code and the network phase. None: the Explore page applies nothing.
  void SetApplyCandidate(std::function<void(float family, float phase)> apply) {
    applyCandidate_ = std::move(apply);
  }

  // What applying a band design does (the design window's own step, set by its launcher). None:
  // the model changer writes it into the model.
  void SetApplyBandDesign(std::function<void(const BandApplication&)> apply) {
    applyBand_ = std::move(apply);
  }

  // The parts' Q settings and whether the design is compensated for them, as the Parts page
  // sets them: a change of the model, then a redraw.
  void SetLosses(const LossModel& losses, bool compensate);

  // How the window's pages change the design (the parts' Q, the tolerance settings): `edit`
  // writes the model. By default the model's own Change, then a redraw; the design window's
  // launcher makes each an undoable step of its document.
  using ModelChanger = std::function<void(const std::function<void()>& edit)>;
  void SetModelChanger(ModelChanger changer) { changeModel_ = std::move(changer); }

 signals:
  // The user changed the losses on the Parts page; the model holds the new ones.
  void LossesChanged();

 public:
  // The plots, chart and Smith chart side by side, as a picture; and the exports of the sweep
  // shown. Each returns false, and says why in the window, when there is nothing to save or the
  // file cannot be written.
  bool SavePng(const QString& path);
  bool SaveSvg(const QString& path);
  bool ExportCsv(const QString& path);
  bool ExportTouchstone(const QString& path);
  bool ExportSpice(const QString& path);

  // Asks for the file a save button writes: the caption, the suggested path and the filter of
  // a save dialog; an empty result cancels. By default the standard dialog, which asks before
  // overwriting a file.
  using FileChooser = std::function<QString(const QString& caption, const QString& suggested,
                                            const QString& filter)>;
  void SetFileChooser(FileChooser chooser) { chooseFile_ = std::move(chooser); }

  // What hovering the chart's curves at `plottedFrequency` (in the axis's unit) shows.
  QString ChartTooltip(double plottedFrequency) const;

  // The window laid out at `size` and drawn as it would look, without showing it.
  QImage Render(QSize size);
  // The window's first size on a screen whose available area is `available` pixels.
  static QSize DefaultSize(QSize available);

  const ResponseView& view() const { return view_; }
  const ResponseSettings& settings() const { return settings_; }
  const FrequencyUnit& unit() const { return unit_; }
  QChart* chart() const { return chart_; }
  // The frequency axis the curves are drawn against now.
  QAbstractAxis* frequencyAxis() const;
  QLineSeries* returnLossSeries() const { return returnLoss_; }
  QLineSeries* gainSeries() const { return gain_; }
  // The Tolerance page's envelope over the return loss: empty from a design change until the
  // page's new run has finished.
  QAreaSeries* envelopeSeries() const { return envelope_; }
  const std::array<QScatterSeries*, 3>& markerSeries() const { return markers_; }
  SmithChartWidget* smithChart() const { return smith_; }
  QWidget* plots() const { return plots_; }

 private:
  void BuildChart();
  QWidget* BuildControls();
  void ShowView();
  void ShowFrequencyAxis(double from, double to);
  // The save buttons in rows of `columns`.
  void ArrangeSaveButtons(int columns);

 protected:
  void resizeEvent(QResizeEvent* event) override;

 private:
  void ShowSpanTexts();
  void ReadSpanTexts();
  void ReadReferenceText();
  void Report(const QString& text, bool failed);
  bool WriteFile(const QString& path, const QByteArray& bytes);
  bool CheckNetwork();
  void Save(const QString& caption, const QString& name, const QString& filter,
            bool (FrmResponse::*write)(const QString&));
  void ShowTooltip(const QString& text);

  DesignModel& model_;
  ModelChanger changeModel_;
  ResponseSettings settings_;
  ResponseView view_;
  DesignOutcome lastOutcome_ = DesignOutcome::NotDesigned;
  FrequencyUnit unit_;
  FileChooser chooseFile_;
  QString lastDirectory_;

  QTabWidget* tabs_ = nullptr;
  QWidget* responsePage_ = nullptr;
  PartsPage* parts_ = nullptr;
  TolerancePage* tolerance_ = nullptr;
  ExplorePage* explore_ = nullptr;
  std::function<void(float, float)> applyCandidate_;
  BandPage* band_ = nullptr;
  std::function<void(const BandApplication&)> applyBand_;
  QChart* chart_ = nullptr;  // owned by chartView_
  QChartView* chartView_ = nullptr;
  // The frequency axis: logarithmic, or linear with round ticks for a span narrower than
  // tenfold (ChooseFrequencyTicks); the series are attached to the one shown.
  QLogValueAxis* frequencyAxis_ = nullptr;
  QValueAxis* linearFrequencyAxis_ = nullptr;
  QValueAxis* returnLossAxis_ = nullptr;
  QValueAxis* gainAxis_ = nullptr;
  QLineSeries* returnLoss_ = nullptr;
  QLineSeries* gain_ = nullptr;
  QAreaSeries* envelope_ = nullptr;
  std::array<QScatterSeries*, 3> markers_{};
  std::array<QLineSeries*, 3> markerLines_{};
  SmithChartWidget* smith_ = nullptr;
  QWidget* plots_ = nullptr;
  QLabel* circuit_ = nullptr;
  QLabel* noNetwork_ = nullptr;
  QLabel* summary_ = nullptr;
  QLabel* status_ = nullptr;
  QLineEdit* sweepFrom_ = nullptr;
  QLineEdit* sweepTo_ = nullptr;
  QLineEdit* reference_ = nullptr;
  std::array<QPushButton*, 5> saveButtons_{};
  QGridLayout* saveButtonGrid_ = nullptr;
  int saveButtonColumns_ = 0;
};

}  // namespace corvantile
