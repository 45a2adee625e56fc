// The Explore page on Qt: its table holds every candidate of the exploration with its figures,
// sorts by any column, and hands a Pi, Tee or design-window L to the design window (family,
// then phase) on Return or a click on the plot, never an L the window cannot show.
#include "response/qt/explore_page.h"

#include <cmath>
#include <cstdlib>
#include <vector>

#include <gtest/gtest.h>

#include <QChart>
#include <QChartView>
#include <QFontMetrics>
#include <QHeaderView>
#include <QImage>
#include <QLabel>
#include <QLineSeries>
#include <QProgressBar>
#include <QScatterSeries>
#include <QSignalSpy>
#include <QTableView>
#include <QTest>
#include <QValueAxis>

#include "support/design_cases.h"

namespace corvantile {
namespace {

struct Applied {
  float family;
  float phase;
};

class ExplorePageTest : public ::testing::Test {
 protected:
  ExplorePageTest()
      : state(StateWithReactiveEnds()), page(state, [this](float family, float phase) {
          applied.push_back({family, phase});
        }) {
    page.resize(1100, 760);
    Redesign();
  }

  // The design pass the design window runs, then the page's update, waiting for its worker.
  void Redesign() {
    page.Update(RunDesignPass(state));
    WaitForExploration();
  }
  void WaitForExploration() {
    EXPECT_TRUE(QTest::qWaitFor([this] { return !page.IsExploring(); }, 60000));
  }

  static RunState StateWithReactiveEnds() {
    testing::DesignCase d;
    d.source = {1, 50.0f, 25.0f};
    d.load = {4, 200.0f, -300.0f};
    d.frequency = 7.1e6f;
    d.power = 100.0f;
    return testing::StateFor(d);
  }

  QString Cell(int row, int column) const {
    return page.model()->data(page.model()->index(row, column)).toString();
  }

  // Selects the table row of candidate `index` and presses Return on it.
  void ReturnOn(std::size_t index) {
    const int row = page.model()->RowOf(index);
    ASSERT_GE(row, 0);
    page.table()->setFocus();
    page.table()->setCurrentIndex(page.model()->index(row, 0));
    QTest::keyClick(page.table(), Qt::Key_Return);
  }

  std::optional<std::size_t> FirstOfKind(CandidateKind kind) const {
    const std::vector<std::size_t> of = CandidatesOfKind(page.view().exploration.candidates, kind);
    if (of.empty()) return std::nullopt;
    return of[of.size() / 2];
  }

  RunState state;
  std::vector<Applied> applied;
  ExplorePage page;
};

TEST_F(ExplorePageTest, TheTableHoldsEveryCandidateWithItsFigures) {
  const Exploration fresh = Explore(state);
  ASSERT_FALSE(fresh.candidates.empty());
  ASSERT_EQ(page.model()->rowCount(), static_cast<int>(fresh.candidates.size()));
  for (int row = 0; row < page.model()->rowCount(); ++row) {
    const Candidate& c = fresh.candidates[page.model()->CandidateAt(row)];
    EXPECT_EQ(Cell(row, ExploreTableModel::kNameColumn).toStdString(), c.name);
    for (std::size_t k = 0; k < kExploreColumns.size(); ++k) {
      const int column = ExploreTableModel::kFirstFigureColumn + static_cast<int>(k);
      const QString text = Cell(row, column);
      EXPECT_EQ(text.toStdString(),
                FigureText(kExploreColumns[k], FigureValue(c, kExploreColumns[k])))
          << c.name << " " << FigureName(kExploreColumns[k]);
      EXPECT_FALSE(text.contains(QStringLiteral("nan"), Qt::CaseInsensitive)) << c.name;
      EXPECT_FALSE(text.contains(QStringLiteral("inf"), Qt::CaseInsensitive)) << c.name;
    }
    EXPECT_EQ(Cell(row, ExploreTableModel::kApplicableColumn) == QStringLiteral("yes"),
              ApplicableFamily(c).has_value())
        << c.name;
  }
}

// No heading and no value is cut off: every column is at least as wide as its heading and each
// of its values in the fonts they are drawn in, and the table is not wrapped onto two lines.
TEST_F(ExplorePageTest, EveryColumnFitsItsHeadingAndItsValues) {
  const QHeaderView* header = page.table()->horizontalHeader();
  const QFontMetrics headerMetrics(header->font());
  const QFontMetrics cellMetrics(page.table()->font());
  ASSERT_GT(page.model()->rowCount(), 10);
  for (int column = 0; column < page.model()->columnCount(); ++column) {
    const QString heading = page.model()->headerData(column, Qt::Horizontal).toString();
    const int width = page.table()->columnWidth(column);
    EXPECT_GE(width, headerMetrics.horizontalAdvance(heading)) << heading.toStdString();
    for (int row = 0; row < page.model()->rowCount(); ++row) {
      const QString text = Cell(row, column);
      ASSERT_GE(width, cellMetrics.horizontalAdvance(text))
          << heading.toStdString() << ": " << text.toStdString();
    }
  }
}

TEST_F(ExplorePageTest, SortsByAnyColumnWithMissingFiguresLast) {
  const std::vector<Candidate>& all = page.view().exploration.candidates;
  for (int column = ExploreTableModel::kFirstFigureColumn; column < ExploreTableModel::kDcColumn;
       ++column) {
    const Figure figure =
        kExploreColumns[static_cast<std::size_t>(column - ExploreTableModel::kFirstFigureColumn)];
    for (Qt::SortOrder order : {Qt::AscendingOrder, Qt::DescendingOrder}) {
      page.table()->sortByColumn(column, order);
      ASSERT_EQ(page.model()->rowCount(), static_cast<int>(all.size()));
      bool missingSeen = false;
      std::optional<double> previous;
      for (int row = 0; row < page.model()->rowCount(); ++row) {
        const std::optional<double> value =
            FigureValue(all[page.model()->CandidateAt(row)], figure);
        if (!value || !std::isfinite(*value)) {
          missingSeen = true;
          continue;
        }
        EXPECT_FALSE(missingSeen) << FigureName(figure) << ": a value after a missing one";
        if (previous) {
          if (order == Qt::AscendingOrder) {
            EXPECT_LE(*previous, *value) << FigureName(figure) << " row " << row;
          } else {
            EXPECT_GE(*previous, *value) << FigureName(figure) << " row " << row;
          }
        }
        previous = value;
      }
    }
  }
  page.table()->sortByColumn(ExploreTableModel::kNameColumn, Qt::AscendingOrder);
  for (int row = 1; row < page.model()->rowCount(); ++row) {
    EXPECT_LE(Cell(row - 1, 0).toStdString(), Cell(row, 0).toStdString());
  }
  // The order survives a new exploration.
  page.table()->sortByColumn(ExploreTableModel::kFirstFigureColumn, Qt::DescendingOrder);
  Redesign();
  const double first = *FigureValue(all[page.model()->CandidateAt(0)], Figure::Bandwidth);
  for (const Candidate& c : all) {
    if (const auto v = FigureValue(c, Figure::Bandwidth)) {
      EXPECT_LE(*v, first);
    }
  }
}

TEST_F(ExplorePageTest, ReturnOnAPiHandsItsFamilyThenPhaseToTheDesignWindow) {
  const std::optional<std::size_t> pi = FirstOfKind(CandidateKind::Pi);
  ASSERT_TRUE(pi);
  const Candidate& c = page.view().exploration.candidates[*pi];
  ReturnOn(*pi);
  ASSERT_EQ(applied.size(), 1u);
  EXPECT_EQ(applied[0].family, FamilyPi);
  EXPECT_EQ(applied[0].phase, static_cast<float>(*c.phase));

  const std::optional<std::size_t> tee = FirstOfKind(CandidateKind::Tee);
  ASSERT_TRUE(tee);
  ReturnOn(*tee);
  ASSERT_EQ(applied.size(), 2u);
  EXPECT_EQ(applied[1].family, FamilyTee);
  EXPECT_EQ(applied[1].phase, static_cast<float>(*page.view().exploration.candidates[*tee].phase));
}

TEST_F(ExplorePageTest, AnLTheDesignWindowCannotShowIsNotApplied) {
  const std::vector<Candidate>& all = page.view().exploration.candidates;
  std::size_t tried = 0;
  for (std::size_t i = 0; i < all.size(); ++i) {
    if (ApplicableFamily(all[i])) continue;
    ++tried;
    ReturnOn(i);
    EXPECT_FALSE(page.Apply(i)) << all[i].name;
  }
  EXPECT_GT(tried, 0u) << "complex ends should give an L the design window cannot show";
  EXPECT_TRUE(applied.empty());
}

TEST_F(ExplorePageTest, PlotsEveryCandidateWithBothFiguresAndAppliesAClickedPoint) {
  const std::vector<Candidate>& all = page.view().exploration.candidates;
  std::size_t plotted = 0;
  for (QXYSeries* series :
       {static_cast<QXYSeries*>(page.piSeries()), static_cast<QXYSeries*>(page.teeSeries()),
        static_cast<QXYSeries*>(page.lSeries()), static_cast<QXYSeries*>(page.otherLSeries())}) {
    const QList<QPointF> points = series->points();
    const std::vector<std::size_t>& behind = page.PointCandidates(series);
    ASSERT_EQ(static_cast<std::size_t>(points.size()), behind.size());
    for (qsizetype k = 0; k < points.size(); ++k) {
      const Candidate& c = all[behind[static_cast<std::size_t>(k)]];
      EXPECT_EQ(points[k].x(), *PlotValue(c, Figure::Bandwidth));
      EXPECT_EQ(points[k].y(), *PlotValue(c, Figure::Attenuation2f));
    }
    plotted += behind.size();
  }
  std::size_t withBoth = 0;
  for (const Candidate& c : all) {
    if (PlotValue(c, Figure::Bandwidth) && PlotValue(c, Figure::Attenuation2f)) ++withBoth;
  }
  EXPECT_EQ(plotted, withBoth);
  EXPECT_EQ(page.PointCandidates(page.frontSeries()), page.view().front);
  ASSERT_FALSE(page.view().front.empty());

  // A click on a Pi point of the plot applies that Pi.
  page.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&page));
  const std::vector<std::size_t>& pis = page.PointCandidates(page.piSeries());
  ASSERT_FALSE(pis.empty());
  const std::size_t k = pis.size() / 2;
  const QPointF value = page.piSeries()->points()[static_cast<qsizetype>(k)];
  auto* view = page.findChild<QChartView*>(QStringLiteral("exploreChart"));
  ASSERT_NE(view, nullptr);
  const QPoint at = view->mapFromScene(page.chart()->mapToPosition(value, page.piSeries()));
  QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, at);
  ASSERT_FALSE(applied.empty());
  EXPECT_EQ(applied.back().family, FamilyPi);
  EXPECT_EQ(applied.back().phase, static_cast<float>(*all[pis[k]].phase));
}

// Both axes hold every point, end on round ticks (1, 2 or 5 times a power of ten) and never
// show a negative bandwidth; the plot with points has no title saying why it is empty.
TEST_F(ExplorePageTest, TheAxesEndOnRoundTicksAndBandwidthIsNeverNegative) {
  const QList<QAbstractAxis*> across = page.chart()->axes(Qt::Horizontal);
  const QList<QAbstractAxis*> up = page.chart()->axes(Qt::Vertical);
  ASSERT_EQ(across.size(), 1);
  ASSERT_EQ(up.size(), 1);
  for (auto* axis : {qobject_cast<QValueAxis*>(across[0]), qobject_cast<QValueAxis*>(up[0])}) {
    ASSERT_NE(axis, nullptr);
    EXPECT_EQ(axis->tickType(), QValueAxis::TicksDynamic);
    const double step = axis->tickInterval();
    const double mantissa = step / std::pow(10.0, std::floor(std::log10(step) + 1e-9));
    EXPECT_TRUE(std::abs(mantissa - 1) < 1e-9 || std::abs(mantissa - 2) < 1e-9 ||
                std::abs(mantissa - 5) < 1e-9)
        << step;
    for (const double end : {axis->min(), axis->max()}) {
      EXPECT_NEAR(end / step, std::round(end / step), 1e-6) << end << " by " << step;
    }
    EXPECT_NEAR(axis->tickAnchor(), axis->min(), 1e-9 * step);
    for (QXYSeries* series :
         {static_cast<QXYSeries*>(page.piSeries()), static_cast<QXYSeries*>(page.teeSeries())}) {
      for (const QPointF& p : series->points()) {
        const double v = axis == across[0] ? p.x() : p.y();
        EXPECT_GE(v, axis->min());
        EXPECT_LE(v, axis->max());
      }
    }
  }
  EXPECT_GE(qobject_cast<QValueAxis*>(across[0])->min(), 0.0);  // the 2:1 bandwidth in percent
  EXPECT_TRUE(page.chart()->title().isEmpty()) << page.chart()->title().toStdString();
}

TEST_F(ExplorePageTest, TheBarShowsTheBestShareAndResistiveEndsSaySo) {
  EXPECT_TRUE(page.boundBar()->isEnabled());
  EXPECT_EQ(page.boundBar()->value(),
            static_cast<int>(std::lround(1000.0 * page.view().bar.share)));
  EXPECT_EQ(page.boundLabel()->text().toStdString(), page.view().bar.text);

  testing::DesignCase d;
  d.source = {1, 50.0f, 0.0f};
  d.load = {1, 1500.0f, 0.0f};
  state = testing::StateFor(d);
  Redesign();
  EXPECT_FALSE(page.boundBar()->isEnabled());
  EXPECT_EQ(page.boundLabel()->text(),
            QStringLiteral("no Bode-Fano bound: source and load are resistive"));
  EXPECT_EQ(page.model()->rowCount(), static_cast<int>(Explore(state).candidates.size()));
}

TEST_F(ExplorePageTest, OnlyTheNewestDesignIsShown) {
  QSignalSpy explored(&page, &ExplorePage::Explored);
  page.Update(RunDesignPass(state));  // the reactive ends, then at once a resistive pair
  testing::DesignCase d;
  d.source = {1, 50.0f, 0.0f};
  d.load = {1, 1500.0f, 0.0f};
  state = testing::StateFor(d);
  page.Update(RunDesignPass(state));
  EXPECT_TRUE(page.IsExploring());
  WaitForExploration();
  EXPECT_EQ(explored.count(), 1) << "the older design's result is dropped";
  EXPECT_FALSE(page.view().bar.hasBound);
  const Exploration fresh = Explore(state);
  ASSERT_EQ(page.model()->rowCount(), static_cast<int>(fresh.candidates.size()));
  for (int row = 0; row < page.model()->rowCount(); ++row) {
    EXPECT_EQ(Cell(row, 0).toStdString(), fresh.candidates[page.model()->CandidateAt(row)].name);
  }
}

TEST_F(ExplorePageTest, RendersThePage) {
  page.SetFigures(Figure::Bandwidth, Figure::Attenuation2f);
  const QImage image = page.grab().toImage();
  ASSERT_FALSE(image.isNull());
  EXPECT_EQ(image.size(), page.size() * image.devicePixelRatio());
  // CORVANTILE_EXPLORE_PNG=docs/explore-view.png ctest -R response_qt_test renders the README's
  // picture.
  if (const char* path = std::getenv("CORVANTILE_EXPLORE_PNG")) {
    EXPECT_TRUE(image.save(QString::fromLocal8Bit(path)));
  }
}

}  // namespace
}  // namespace corvantile
