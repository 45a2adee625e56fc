#include "response/qt/explore_page.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include <QBrush>
#include <QChart>
#include <QChartView>
#include <QColor>
#include <QComboBox>
#include <QCursor>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLegend>
#include <QLineSeries>
#include <QPen>
#include <QProgressBar>
#include <QScatterSeries>
#include <QTableView>
#include <QTimer>
#include <QToolTip>
#include <QVBoxLayout>
#include <QValueAxis>

#include "response/plot_ticks.h"

namespace corvantile {
namespace {

QString Text(const std::string& text) { return QString::fromStdString(text); }

const QColor kPiColour(31, 119, 180);
const QColor kTeeColour(214, 39, 40);
const QColor kDesignLColour(44, 160, 44);
const QColor kOtherLColour(150, 150, 150);
const QColor kFrontColour(255, 200, 0);
// The most labelled ticks on either axis of the plot.
constexpr int kExploreTicks = 8;

// The sort key of a cell: the figure's value, or for the text columns their text.
std::optional<double> SortValue(const Candidate& c, int column) {
  const int figure = column - ExploreTableModel::kFirstFigureColumn;
  if (figure >= 0 && figure < static_cast<int>(kExploreColumns.size())) {
    const std::optional<double> value =
        FigureValue(c, kExploreColumns[static_cast<std::size_t>(figure)]);
    if (value && std::isfinite(*value)) return value;
    return std::nullopt;
  }
  if (column == ExploreTableModel::kDcColumn) return c.passesDc ? 1.0 : 0.0;
  if (column == ExploreTableModel::kApplicableColumn) return ApplicableFamily(c) ? 1.0 : 0.0;
  return std::nullopt;
}

std::string ColumnText(const Candidate& c, int column) {
  switch (column) {
    case ExploreTableModel::kNameColumn:
      return c.name;
    case ExploreTableModel::kKindColumn:
      return std::string(CandidateKindName(c.kind));
    case ExploreTableModel::kDcColumn:
      return c.passesDc ? "passes" : "blocks";
    case ExploreTableModel::kApplicableColumn:
      return ApplicableFamily(c) ? "yes" : "no: not in the design window";
    default:
      break;
  }
  const auto figure = static_cast<std::size_t>(column - ExploreTableModel::kFirstFigureColumn);
  return CandidateFigureText(c, kExploreColumns[figure]);
}

}  // namespace

ExploreTableModel::ExploreTableModel(QObject* parent) : QAbstractTableModel(parent) {}

void ExploreTableModel::SetCandidates(const std::vector<Candidate>* candidates) {
  beginResetModel();
  candidates_ = candidates;
  rows_.clear();
  if (candidates_) {
    for (std::size_t i = 0; i < candidates_->size(); ++i) rows_.push_back(i);
  }
  endResetModel();
  if (sortColumn_ >= 0) sort(sortColumn_, sortOrder_);
}

int ExploreTableModel::RowOf(std::size_t index) const {
  const auto found = std::find(rows_.begin(), rows_.end(), index);
  return found == rows_.end() ? -1 : static_cast<int>(found - rows_.begin());
}

int ExploreTableModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

int ExploreTableModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : kColumnCount;
}

QVariant ExploreTableModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || !candidates_ || index.row() >= rowCount()) return {};
  const std::size_t at = CandidateAt(index.row());
  const Candidate& c = (*candidates_)[at];
  switch (role) {
    case Qt::DisplayRole:
      return Text(ColumnText(c, index.column()));
    case Qt::UserRole:
      return QVariant::fromValue(static_cast<qulonglong>(at));
    case Qt::ToolTipRole:
      return Text(CandidateTooltip(c));
    case Qt::ForegroundRole:
      // The candidates the design window cannot take are greyed.
      if (!ApplicableFamily(c)) return QBrush(QColor(120, 120, 120));
      return {};
    case Qt::TextAlignmentRole:
      if (index.column() >= kFirstFigureColumn && index.column() < kDcColumn) {
        return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
      }
      return {};
    default:
      return {};
  }
}

QVariant ExploreTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || role != Qt::DisplayRole) {
    return QAbstractTableModel::headerData(section, orientation, role);
  }
  switch (section) {
    case kNameColumn:
      return QStringLiteral("Network");
    case kKindColumn:
      return QStringLiteral("Kind");
    case kDcColumn:
      return QStringLiteral("DC");
    case kApplicableColumn:
      return QStringLiteral("Applicable");
    default:
      break;
  }
  if (section >= kFirstFigureColumn && section < kDcColumn) {
    return Text(
        FigureHeading(kExploreColumns[static_cast<std::size_t>(section - kFirstFigureColumn)]));
  }
  return {};
}

void ExploreTableModel::sort(int column, Qt::SortOrder order) {
  if (column < 0 || column >= kColumnCount) return;
  sortColumn_ = column;
  sortOrder_ = order;
  if (!candidates_) return;
  emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
  const QModelIndexList before = persistentIndexList();
  std::vector<std::size_t> oldRows = rows_;
  const bool byText = column == kNameColumn || column == kKindColumn;
  const bool descending = order == Qt::DescendingOrder;
  std::stable_sort(rows_.begin(), rows_.end(), [&](std::size_t a, std::size_t b) {
    const Candidate& ca = (*candidates_)[a];
    const Candidate& cb = (*candidates_)[b];
    if (byText) {
      const std::string ta = ColumnText(ca, column);
      const std::string tb = ColumnText(cb, column);
      return descending ? tb < ta : ta < tb;
    }
    const std::optional<double> va = SortValue(ca, column);
    const std::optional<double> vb = SortValue(cb, column);
    // A candidate without the figure stays last in either order.
    if (!va || !vb) return va.has_value() && !vb.has_value();
    return descending ? *vb < *va : *va < *vb;
  });
  QModelIndexList after;
  for (const QModelIndex& old : before) {
    const int row = RowOf(oldRows[static_cast<std::size_t>(old.row())]);
    after.push_back(index(row, old.column()));
  }
  changePersistentIndexList(before, after);
  emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

ExplorePage::ExplorePage(const RunState& state, ApplyCandidate apply, QWidget* parent)
    : QWidget(parent), state_(state), apply_(std::move(apply)) {
  setObjectName(QStringLiteral("explorePage"));
  auto* layout = new QVBoxLayout(this);

  auto* choosers = new QHBoxLayout;
  xChooser_ = new QComboBox(this);
  xChooser_->setObjectName(QStringLiteral("cboExploreX"));
  yChooser_ = new QComboBox(this);
  yChooser_->setObjectName(QStringLiteral("cboExploreY"));
  xChooser_->setAccessibleName(QStringLiteral("Figure across"));
  yChooser_->setAccessibleName(QStringLiteral("Figure up"));
  for (Figure figure : kExploreColumns) {
    xChooser_->addItem(Text(FigureHeading(figure)), static_cast<int>(figure));
    yChooser_->addItem(Text(FigureHeading(figure)), static_cast<int>(figure));
  }
  xChooser_->setCurrentIndex(xChooser_->findData(static_cast<int>(view_.x)));
  yChooser_->setCurrentIndex(yChooser_->findData(static_cast<int>(view_.y)));
  choosers->addWidget(new QLabel(QStringLiteral("Across:"), this));
  choosers->addWidget(xChooser_);
  choosers->addWidget(new QLabel(QStringLiteral("Up:"), this));
  choosers->addWidget(yChooser_);
  choosers->addStretch(1);
  layout->addLayout(choosers);
  auto chosen = [this](int) {
    SetFigures(static_cast<Figure>(xChooser_->currentData().toInt()),
               static_cast<Figure>(yChooser_->currentData().toInt()));
  };
  connect(xChooser_, &QComboBox::currentIndexChanged, this, chosen);
  connect(yChooser_, &QComboBox::currentIndexChanged, this, chosen);

  chart_ = new QChart;
  chart_->legend()->setAlignment(Qt::AlignBottom);
  xAxis_ = new QValueAxis;
  yAxis_ = new QValueAxis;
  chart_->addAxis(xAxis_, Qt::AlignBottom);
  chart_->addAxis(yAxis_, Qt::AlignLeft);
  pi_ = new QLineSeries;
  pi_->setName(QStringLiteral("Pi over its phases"));
  pi_->setPen(QPen(kPiColour, 2.0));
  pi_->setPointsVisible(true);
  tee_ = new QLineSeries;
  tee_->setName(QStringLiteral("Tee over its phases"));
  tee_->setPen(QPen(kTeeColour, 2.0));
  tee_->setPointsVisible(true);
  designL_ = new QScatterSeries;
  designL_->setName(QStringLiteral("L of the design window"));
  designL_->setColor(kDesignLColour);
  designL_->setMarkerSize(11.0);
  otherL_ = new QScatterSeries;
  otherL_->setName(QStringLiteral("Other L (not applicable)"));
  otherL_->setColor(kOtherLColour);
  otherL_->setMarkerShape(QScatterSeries::MarkerShapeRectangle);
  otherL_->setMarkerSize(10.0);
  front_ = new QScatterSeries;
  front_->setName(QStringLiteral("Pareto front"));
  front_->setColor(Qt::transparent);
  front_->setBorderColor(kFrontColour);
  front_->setPen(QPen(kFrontColour, 2.5));
  front_->setMarkerSize(16.0);
  for (QXYSeries* series : {static_cast<QXYSeries*>(front_), static_cast<QXYSeries*>(pi_),
                            static_cast<QXYSeries*>(tee_), static_cast<QXYSeries*>(designL_),
                            static_cast<QXYSeries*>(otherL_)}) {
    chart_->addSeries(series);
    series->attachAxis(xAxis_);
    series->attachAxis(yAxis_);
    connect(series, &QXYSeries::hovered, this,
            [this, series](const QPointF& point, bool on) { Hovered(series, point, on); });
    connect(series, &QXYSeries::clicked, this,
            [this, series](const QPointF& point) { Clicked(series, point); });
  }
  chartView_ = new QChartView(chart_, this);
  chartView_->setObjectName(QStringLiteral("exploreChart"));
  chartView_->setAccessibleName(QStringLiteral("Pareto plot of the candidates"));
  chartView_->setRenderHint(QPainter::Antialiasing);
  layout->addWidget(chartView_, 3);

  auto* barRow = new QHBoxLayout;
  bar_ = new QProgressBar(this);
  bar_->setObjectName(QStringLiteral("barBodeFano"));
  bar_->setRange(0, 1000);
  bar_->setTextVisible(false);
  bar_->setMaximumWidth(240);
  barText_ = new QLabel(this);
  barText_->setObjectName(QStringLiteral("lblBodeFano"));
  barRow->addWidget(new QLabel(QStringLiteral("Bode-Fano:"), this));
  barRow->addWidget(bar_);
  barRow->addWidget(barText_, 1);
  layout->addLayout(barRow);

  reason_ = new QLabel(this);
  reason_->setObjectName(QStringLiteral("lblExploreReason"));
  reason_->hide();
  layout->addWidget(reason_);

  model_ = new ExploreTableModel(this);
  table_ = new QTableView(this);
  table_->setObjectName(QStringLiteral("tblExplore"));
  table_->setAccessibleName(QStringLiteral("Candidate networks"));
  // Tab leaves the table for the next control; the arrow keys move between its rows.
  table_->setTabKeyNavigation(false);
  table_->setModel(model_);
  table_->setSelectionBehavior(QAbstractItemView::SelectRows);
  table_->setSelectionMode(QAbstractItemView::SingleSelection);
  table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  table_->setSortingEnabled(true);
  table_->sortByColumn(-1, Qt::AscendingOrder);  // the exploration's own order to begin with
  table_->verticalHeader()->setVisible(false);
  table_->horizontalHeader()->setStretchLastSection(true);
  connect(table_, &QTableView::activated, this, &ExplorePage::ActivatedRow);
  layout->addWidget(table_, 2);

  // The exploration takes tens of milliseconds: the page looks for its result this often.
  poll_ = new QTimer(this);
  poll_->setInterval(10);
  connect(poll_, &QTimer::timeout, this, &ExplorePage::Poll);
}

ExplorePage::~ExplorePage() = default;

void ExplorePage::Update(DesignOutcome outcome) {
  pendingOutcome_ = outcome;
  if (run_.Running()) {
    stale_ = true;  // explored again once the running one is done
    return;
  }
  StartWorker();
}

void ExplorePage::StartWorker() {
  stale_ = false;
  run_.Start(ExploreWork(state_, pendingOutcome_, measuredSource_, measuredLoad_, view_.x, view_.y),
             1);
  poll_->start();
}

void ExplorePage::Poll() {
  if (!run_.Finished()) return;
  std::optional<ExploreView> explored = run_.Take();
  poll_->stop();
  if (stale_ || !explored) {  // a result for a design no longer on the screen
    StartWorker();
    return;
  }
  model_->SetCandidates(nullptr);  // the old candidates go away now
  const Figure x = view_.x;
  const Figure y = view_.y;
  view_ = std::move(*explored);
  view_.x = x;
  view_.y = y;
  UpdateParetoFront(view_);
  Redraw();
  emit Explored();
}

void ExplorePage::SetFigures(Figure x, Figure y) {
  if (view_.x == x && view_.y == y) return;
  view_.x = x;
  view_.y = y;
  const QSignalBlocker blockX(xChooser_);
  const QSignalBlocker blockY(yChooser_);
  xChooser_->setCurrentIndex(xChooser_->findData(static_cast<int>(x)));
  yChooser_->setCurrentIndex(yChooser_->findData(static_cast<int>(y)));
  UpdateParetoFront(view_);
  Plot();
}

bool ExplorePage::Apply(std::size_t index) {
  if (index >= view_.exploration.candidates.size()) return false;
  const std::optional<CandidateChoice> choice = ChoiceFor(view_.exploration.candidates[index]);
  if (!choice) return false;
  if (apply_) apply_(choice->family, choice->phase);
  return true;
}

const std::vector<std::size_t>& ExplorePage::PointCandidates(const QXYSeries* series) const {
  if (series == pi_) return piPoints_;
  if (series == tee_) return teePoints_;
  if (series == designL_) return designLPoints_;
  if (series == otherL_) return otherLPoints_;
  return frontPoints_;
}

void ExplorePage::Redraw() {
  reason_->setVisible(!view_.hasCandidates);
  reason_->setText(Text(view_.noCandidatesReason));
  model_->SetCandidates(&view_.exploration.candidates);
  // Each column as wide as its heading and its widest value, so that neither is cut off.
  table_->resizeColumnsToContents();
  if (view_.bar.hasBound) {
    bar_->setEnabled(true);
    bar_->setValue(static_cast<int>(std::lround(1000.0 * view_.bar.share)));
  } else {
    bar_->setEnabled(false);
    bar_->setValue(0);
  }
  barText_->setText(Text(view_.bar.text));
  Plot();
}

void ExplorePage::FillSeries(QXYSeries* series, std::vector<std::size_t>& indexes,
                             const std::vector<std::size_t>& candidates) {
  QList<QPointF> points;
  indexes.clear();
  for (std::size_t i : candidates) {
    const Candidate& c = view_.exploration.candidates[i];
    const std::optional<double> x = PlotValue(c, view_.x);
    const std::optional<double> y = PlotValue(c, view_.y);
    if (!x || !y) continue;  // nothing to plot: no "-" point
    points.push_back(QPointF(*x, *y));
    indexes.push_back(i);
  }
  series->replace(points);
}

void ExplorePage::Plot() {
  const std::vector<Candidate>& all = view_.exploration.candidates;
  FillSeries(pi_, piPoints_, CandidatesOfKind(all, CandidateKind::Pi));
  FillSeries(tee_, teePoints_, CandidatesOfKind(all, CandidateKind::Tee));
  std::vector<std::size_t> designL, otherL;
  for (std::size_t i = 0; i < all.size(); ++i) {
    const CandidateKind kind = all[i].kind;
    if (kind == CandidateKind::Pi || kind == CandidateKind::Tee) continue;
    (ApplicableFamily(all[i]) ? designL : otherL).push_back(i);
  }
  FillSeries(designL_, designLPoints_, designL);
  FillSeries(otherL_, otherLPoints_, otherL);
  FillSeries(front_, frontPoints_, view_.front);

  xAxis_->setTitleText(Text(FigureHeading(view_.x)));
  yAxis_->setTitleText(Text(FigureHeading(view_.y)));
  double lowX = std::numeric_limits<double>::infinity(), highX = -lowX;
  double lowY = lowX, highY = -lowX;
  for (const QXYSeries* series :
       {static_cast<QXYSeries*>(pi_), static_cast<QXYSeries*>(tee_),
        static_cast<QXYSeries*>(designL_), static_cast<QXYSeries*>(otherL_)}) {
    for (const QPointF& p : series->points()) {
      lowX = std::min(lowX, p.x());
      highX = std::max(highX, p.x());
      lowY = std::min(lowY, p.y());
      highY = std::max(highY, p.y());
    }
  }
  if (!std::isfinite(lowX)) {
    lowX = lowY = 0.0;
    highX = highY = 1.0;
  }
  // Round ticks, a margin around the points, and no negative bandwidth or Q.
  const auto showRange = [](QValueAxis* axis, const LinearTicks& ticks) {
    axis->setTickType(QValueAxis::TicksDynamic);
    axis->setTickAnchor(ticks.first);
    axis->setTickInterval(ticks.step);
    axis->setLabelFormat(QStringLiteral("%.%1f").arg(ticks.decimals));
    axis->setRange(ticks.low, ticks.high);
  };
  showRange(xAxis_, RoundRange(lowX, highX, kExploreTicks));
  showRange(yAxis_, RoundRange(lowY, highY, kExploreTicks));
  chart_->setTitle(Text(EmptyPlotReason(view_)));
}

std::size_t ExplorePage::NearestCandidate(const QXYSeries* series, const QPointF& point) const {
  const std::vector<std::size_t>& indexes = PointCandidates(series);
  const QList<QPointF> points = series->points();
  // Distances in the plot's own proportions, so that neither axis's unit decides.
  const double spanX = std::max(xAxis_->max() - xAxis_->min(), 1e-12);
  const double spanY = std::max(yAxis_->max() - yAxis_->min(), 1e-12);
  std::size_t best = view_.exploration.candidates.size();
  double bestDistance = std::numeric_limits<double>::infinity();
  for (qsizetype k = 0; k < points.size() && static_cast<std::size_t>(k) < indexes.size(); ++k) {
    const double dx = (points[k].x() - point.x()) / spanX;
    const double dy = (points[k].y() - point.y()) / spanY;
    const double distance = dx * dx + dy * dy;
    if (distance < bestDistance) {
      bestDistance = distance;
      best = indexes[static_cast<std::size_t>(k)];
    }
  }
  return best;
}

void ExplorePage::Hovered(const QXYSeries* series, const QPointF& point, bool on) {
  if (!on) {
    QToolTip::hideText();
    return;
  }
  const std::size_t index = NearestCandidate(series, point);
  if (index >= view_.exploration.candidates.size()) return;
  QToolTip::showText(QCursor::pos(), Text(CandidateTooltip(view_.exploration.candidates[index])),
                     chartView_);
}

void ExplorePage::Clicked(const QXYSeries* series, const QPointF& point) {
  const std::size_t index = NearestCandidate(series, point);
  if (index >= view_.exploration.candidates.size()) return;
  const int row = model_->RowOf(index);
  if (row >= 0) table_->selectRow(row);
  Apply(index);
}

void ExplorePage::ActivatedRow(const QModelIndex& index) {
  if (!index.isValid()) return;
  Apply(model_->CandidateAt(index.row()));
}

}  // namespace corvantile
