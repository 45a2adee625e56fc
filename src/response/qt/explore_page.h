#pragma once

// The response window's Explore page: a Pareto plot of two chosen figures over every candidate
// network (the Pi and Tee phase sweeps as curves, the L networks as points, the front
// highlighted), the sortable table of the candidates, and the Bode-Fano bar. A click on a
// point, or Return on a table row, hands a Pi, Tee or design-window L to the design window.
#include <cstddef>
#include <functional>
#include <memory>
#include <vector>

#include <QAbstractTableModel>
#include <QWidget>

#include "analysis/formats/touchstone_reader.h"
#include "response/background_run.h"
#include "response/explore_view.h"
#include "state/circuit_state.h"

class QChart;
class QChartView;
class QComboBox;
class QLabel;
class QLineSeries;
class QProgressBar;
class QScatterSeries;
class QTableView;
class QTimer;
class QValueAxis;
class QXYSeries;

namespace corvantile {

// The candidates as table rows: name, kind, every figure of kExploreColumns, DC and whether the
// design window can take it. Sorting reorders the rows; a candidate without the sorted figure
// stays last in either order. Qt::UserRole holds a row's candidate index.
class ExploreTableModel : public QAbstractTableModel {
  Q_OBJECT

 public:
  static constexpr int kNameColumn = 0;
  static constexpr int kKindColumn = 1;
  static constexpr int kFirstFigureColumn = 2;
  static constexpr int kDcColumn = kFirstFigureColumn + static_cast<int>(kExploreColumns.size());
  static constexpr int kApplicableColumn = kDcColumn + 1;
  static constexpr int kColumnCount = kApplicableColumn + 1;

  explicit ExploreTableModel(QObject* parent = nullptr);

  // Shows these candidates (the view outlives the model's use of them) in their own order.
  void SetCandidates(const std::vector<Candidate>* candidates);
  std::size_t CandidateAt(int row) const { return rows_[static_cast<std::size_t>(row)]; }
  // The row showing candidate `index`, or -1.
  int RowOf(std::size_t index) const;

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
  QVariant headerData(int section, Qt::Orientation orientation,
                      int role = Qt::DisplayRole) const override;
  void sort(int column, Qt::SortOrder order = Qt::AscendingOrder) override;

 private:
  const std::vector<Candidate>* candidates_ = nullptr;
  std::vector<std::size_t> rows_;
  int sortColumn_ = -1;
  Qt::SortOrder sortOrder_ = Qt::AscendingOrder;
};

class ExplorePage : public QWidget {
  Q_OBJECT

 public:
  // Family (a NetworkFamily code), then phase in degrees: what the design window is to take.
  using ApplyCandidate = std::function<void(float family, float phase)>;

  // Reads `state` on every Update and never changes it.
  explicit ExplorePage(const RunState& state, ApplyCandidate apply = {}, QWidget* parent = nullptr);
  ~ExplorePage() override;

  void SetApply(ApplyCandidate apply) { apply_ = std::move(apply); }

  // Explores again after a design pass that returned `outcome`, on a worker thread (the
  // exploration takes tens of milliseconds), and redraws when it is done. A design changed
  // again meanwhile drops the older result: only the newest design is shown.
  void Update(DesignOutcome outcome);
  // The measured sides' ports (null for a typed side), as the Response page read them for its
  // sweep, taken at the next Update: every candidate's summary then follows their files.
  void FollowMeasuredSides(std::shared_ptr<const TouchstonePort> source,
                           std::shared_ptr<const TouchstonePort> load) {
    measuredSource_ = std::move(source);
    measuredLoad_ = std::move(load);
  }
  // An exploration is running or waiting to run.
  bool IsExploring() const { return run_.Running(); }

  // Chooses the plotted figures; redraws the plot and its front.
  void SetFigures(Figure x, Figure y);

  // Hands candidate `index` to the apply callback; false, and nothing called, for a candidate
  // the design window cannot show.
  bool Apply(std::size_t index);

  const ExploreView& view() const { return view_; }
  ExploreTableModel* model() const { return model_; }
  QTableView* table() const { return table_; }
  QChart* chart() const { return chart_; }
  QLineSeries* piSeries() const { return pi_; }
  QLineSeries* teeSeries() const { return tee_; }
  QScatterSeries* lSeries() const { return designL_; }
  QScatterSeries* otherLSeries() const { return otherL_; }
  QScatterSeries* frontSeries() const { return front_; }
  QProgressBar* boundBar() const { return bar_; }
  QLabel* boundLabel() const { return barText_; }
  // The candidate indexes behind a series' points, in point order.
  const std::vector<std::size_t>& PointCandidates(const QXYSeries* series) const;

 signals:
  // The newest design's exploration is shown.
  void Explored();

 private:
  void StartWorker();
  void Poll();
  void Redraw();
  void Plot();
  void FillSeries(QXYSeries* series, std::vector<std::size_t>& indexes,
                  const std::vector<std::size_t>& candidates);
  std::size_t NearestCandidate(const QXYSeries* series, const QPointF& point) const;
  void Hovered(const QXYSeries* series, const QPointF& point, bool state);
  void Clicked(const QXYSeries* series, const QPointF& point);
  void ActivatedRow(const QModelIndex& index);

  const RunState& state_;
  ApplyCandidate apply_;
  ExploreView view_;
  BackgroundRun<ExploreView> run_;
  QTimer* poll_ = nullptr;
  bool stale_ = false;  // the design changed while the worker ran
  DesignOutcome pendingOutcome_ = DesignOutcome::NotDesigned;
  std::shared_ptr<const TouchstonePort> measuredSource_, measuredLoad_;

  QComboBox* xChooser_ = nullptr;
  QComboBox* yChooser_ = nullptr;
  QChart* chart_ = nullptr;
  QChartView* chartView_ = nullptr;
  QValueAxis* xAxis_ = nullptr;
  QValueAxis* yAxis_ = nullptr;
  QLineSeries* pi_ = nullptr;
  QLineSeries* tee_ = nullptr;
  QScatterSeries* designL_ = nullptr;
  QScatterSeries* otherL_ = nullptr;
  QScatterSeries* front_ = nullptr;
  std::vector<std::size_t> piPoints_, teePoints_, designLPoints_, otherLPoints_, frontPoints_;
  QProgressBar* bar_ = nullptr;
  QLabel* barText_ = nullptr;
  QLabel* reason_ = nullptr;
  ExploreTableModel* model_ = nullptr;
  QTableView* table_ = nullptr;
};

}  // namespace corvantile
