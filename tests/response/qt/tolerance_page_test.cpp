// The tolerance page on Qt: it shows exactly what the Monte Carlo run gives for the same seed,
// a run is cancelled at once and never outlives the page, a design or setting change reruns
// and a result of a replaced run is never shown.
#include "response/qt/tolerance_page.h"

#include <cstdlib>
#include <memory>

#include <gtest/gtest.h>

#include <QChart>
#include <QComboBox>
#include <QDir>
#include <QImage>
#include <QLabel>
#include <QLineSeries>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>

#include "analysis/studies/standard_design.h"
#include "model/design_model.h"

namespace corvantile {
namespace {

constexpr int kWaitMs = 60000;  // only a bound on a hang: each wait ends as soon as its run does

// Enough builds that a run is still going when the test acts on it.
constexpr int kLongRun = 10000000;

class TolerancePageTest : public ::testing::Test {
 protected:
  TolerancePageTest() : state(model.state()), page(model) {
    ToleranceSettings s;
    s.builds = 2000;
    s.seed = 7;
    page.SetSettings(s);
  }

  void Design() { page.Update(RunDesignPass(state)); }

  // Waits for the next finished run.
  bool WaitFinished() {
    QSignalSpy spy(&page, &TolerancePage::finished);
    return spy.wait(kWaitMs);
  }

  DesignModel model;
  RunState& state;
  TolerancePage page;
};

// The run the page should have made, put together here from the design and the settings.
ToleranceResult Expected(const RunState& state, const ToleranceSettings& s) {
  const CircuitBuild build = DesignCircuit(state);
  EXPECT_EQ(build.problem, CircuitProblem::None);
  MatchingCircuit circuit = build.circuit;
  StandardChoice choice;
  choice.inductors = SeriesOfCount(s.inductorSeries);
  choice.capacitors = SeriesOfCount(s.capacitorSeries);
  if (s.standard == ToleranceStandard::Nearest) circuit = NearestStandardCircuit(circuit, choice);
  if (s.standard == ToleranceStandard::Best) circuit = BestStandardCircuit(circuit, choice);
  ToleranceOptions options;
  options.tolerance = DefaultTolerances(circuit, s.inductorTolerance, s.capacitorTolerance);
  options.distribution = s.normal ? ToleranceDistribution::Normal : ToleranceDistribution::Uniform;
  options.builds = s.builds;
  options.seed = s.seed;
  options.band = s.band;
  options.envelope = DefaultSweepSpan(circuit.designFrequency);
  options.threads = 1;  // the numbers do not depend on the thread count
  return RunTolerance(circuit, options);
}

void ExpectSameRun(const ToleranceResult& shown, const ToleranceResult& expected) {
  EXPECT_EQ(shown.builds, expected.builds);
  EXPECT_EQ(shown.returnLossDb, expected.returnLossDb);
  EXPECT_EQ(shown.percentilesDb, expected.percentilesDb);
  EXPECT_EQ(shown.atDesign.vswr15, expected.atDesign.vswr15);
  EXPECT_EQ(shown.atDesign.vswr2, expected.atDesign.vswr2);
  EXPECT_EQ(shown.histogram.counts, expected.histogram.counts);
  EXPECT_EQ(shown.worst.signs, expected.worst.signs);
  EXPECT_EQ(shown.envelopeMinDb, expected.envelopeMinDb);
  EXPECT_EQ(shown.envelopeMaxDb, expected.envelopeMaxDb);
  for (std::size_t k = 0; k < 3; ++k) {
    EXPECT_EQ(shown.sensitivities[k].element, expected.sensitivities[k].element);
  }
}

TEST_F(TolerancePageTest, ShowsTheMonteCarloRunsNumbersForTheSameSeed) {
  for (ToleranceStandard standard :
       {ToleranceStandard::None, ToleranceStandard::Nearest, ToleranceStandard::Best}) {
    ToleranceSettings s = page.settings();
    s.standard = standard;
    s.normal = standard == ToleranceStandard::Nearest;
    s.band = std::array<double, 2>{3.6e6, 3.9e6};
    page.SetSettings(s);
    Design();
    ASSERT_TRUE(WaitFinished());
    ASSERT_TRUE(page.result());
    const ToleranceResult expected = Expected(state, s);
    ExpectSameRun(*page.result(), expected);
    const ToleranceFigures figures = DescribeTolerance(expected);
    const QString text = page.figuresLabel()->text();
    EXPECT_TRUE(text.contains(QString::fromStdString(figures.yieldAtDesign))) << text.toStdString();
    EXPECT_TRUE(text.contains(QString::fromStdString(figures.yieldOverBand)));
    EXPECT_TRUE(text.contains(QString::fromStdString(figures.percentiles)));
    EXPECT_TRUE(text.contains(QString::fromStdString(figures.worstCase)));
    EXPECT_FALSE(text.contains("nan", Qt::CaseInsensitive));
    EXPECT_FALSE(text.contains("inf", Qt::CaseInsensitive));
    EXPECT_EQ(page.progressBar()->value(), page.progressBar()->maximum());
    EXPECT_FALSE(page.cancelButton()->isEnabled());
  }
}

TEST_F(TolerancePageTest, CancelStopsALongRunAtOnceAndNothingArrivesLater) {
  Design();
  ASSERT_TRUE(WaitFinished());
  ToleranceSettings s = page.settings();
  s.builds = kLongRun;
  QSignalSpy finished(&page, &TolerancePage::finished);
  page.SetSettings(s);
  ASSERT_TRUE(page.running());
  EXPECT_TRUE(page.cancelButton()->isEnabled());
  QTest::mouseClick(page.cancelButton(), Qt::LeftButton);
  // Cancel waits for the worker: when it returns, no thread is left.
  EXPECT_FALSE(page.running());
  EXPECT_EQ(page.statusLabel()->text(), "Cancelled");
  EXPECT_FALSE(page.cancelButton()->isEnabled());
  QCoreApplication::processEvents();
  EXPECT_EQ(finished.count(), 0);
  // The last finished run's figures stay; the cancelled one left nothing behind.
  ASSERT_TRUE(page.result());
  EXPECT_EQ(page.result()->builds, 2000);
}

TEST(TolerancePageLifetime, APageDestroyedMidRunLeavesNoThread) {
  DesignModel model;
  RunState& state = model.state();
  auto page = std::make_unique<TolerancePage>(model);
  ToleranceSettings s;
  s.builds = kLongRun;
  page->SetSettings(s);
  page->Update(RunDesignPass(state));
  ASSERT_TRUE(page->running());
  page.reset();  // joins the worker; a thread still running here would end the program
  QCoreApplication::processEvents();  // a queued result for the gone page is dropped
}

TEST_F(TolerancePageTest, ADesignChangeRerunsAndAReplacedRunIsNeverShown) {
  Design();
  ASSERT_TRUE(WaitFinished());
  const double before = page.request().circuit.designFrequency;
  state.NetValues[Frequency] = 14.2e6f;
  QSignalSpy finished(&page, &TolerancePage::finished);
  // Two changes in a row: the first run is replaced before it can finish.
  ToleranceSettings s = page.settings();
  s.builds = kLongRun;
  page.SetSettings(s);
  s.builds = 3000;
  page.SetSettings(s);
  Design();
  ASSERT_TRUE(finished.wait(kWaitMs));
  QCoreApplication::processEvents();
  EXPECT_EQ(finished.count(), 1);
  EXPECT_NE(page.request().circuit.designFrequency, before);
  ExpectSameRun(*page.result(), Expected(state, s));
}

TEST_F(TolerancePageTest, AControlChangeRerunsWithTheNewSetting) {
  Design();
  ASSERT_TRUE(WaitFinished());
  QSignalSpy finished(&page, &TolerancePage::finished);
  page.buildsBox()->setValue(1500);
  ASSERT_TRUE(finished.wait(kWaitMs));
  EXPECT_EQ(page.settings().builds, 1500);
  EXPECT_EQ(page.result()->builds, 1500);
  page.standardBox()->setCurrentIndex(2);
  ASSERT_TRUE(finished.wait(kWaitMs));
  EXPECT_EQ(page.settings().standard, ToleranceStandard::Best);
  ExpectSameRun(*page.result(), Expected(state, page.settings()));
}

TEST_F(TolerancePageTest, AnImpossibleDesignShowsWhyAndNoFigures) {
  Design();
  ASSERT_TRUE(WaitFinished());
  QSignalSpy envelope(&page, &TolerancePage::envelopeChanged);
  state.NetValues[NetworkPhase] = 0.0f;
  Design();
  EXPECT_FALSE(page.running());
  EXPECT_FALSE(page.result());
  EXPECT_EQ(page.statusLabel()->text(), "no network can be designed for these values");
  EXPECT_TRUE(page.figuresLabel()->text().isEmpty());
  ASSERT_EQ(envelope.count(), 1);
  EXPECT_TRUE(envelope.at(0).at(0).value<std::vector<double>>().empty());
}

TEST_F(TolerancePageTest, TheEnvelopeGoesOnAChartAsTwoCurves) {
  QSignalSpy envelope(&page, &TolerancePage::envelopeChanged);
  Design();
  ASSERT_TRUE(WaitFinished());
  ASSERT_EQ(envelope.count(), 1);
  const ToleranceResult& r = *page.result();
  ASSERT_FALSE(r.envelopeFrequencies.empty());
  QChart chart;
  const auto [least, most] = AddEnvelopeSeries(&chart, r, 1e6);
  EXPECT_EQ(chart.series().size(), 2);
  ASSERT_EQ(least->count(), static_cast<int>(r.envelopeFrequencies.size()));
  ASSERT_EQ(most->count(), least->count());
  for (int i = 0; i < least->count(); ++i) {
    const auto k = static_cast<std::size_t>(i);
    EXPECT_DOUBLE_EQ(least->at(i).x(), r.envelopeFrequencies[k] / 1e6);
    EXPECT_EQ(least->at(i).y(), r.envelopeMinDb[k]);
    EXPECT_EQ(most->at(i).y(), r.envelopeMaxDb[k]);
    // Every build lies between the two curves, so the least is never above the most.
    EXPECT_LE(least->at(i).y(), most->at(i).y());
  }
}

// The page after a run as a picture; CORVANTILE_TOLERANCE_PNG names a file to keep it in (the
// README's picture is made so).
TEST_F(TolerancePageTest, RendersAfterARun) {
  ToleranceSettings s = page.settings();
  s.builds = 10000;
  s.standard = ToleranceStandard::Best;
  s.band = std::array<double, 2>{3.6e6, 3.9e6};
  page.SetSettings(s);
  Design();
  ASSERT_TRUE(WaitFinished());
  page.resize(900, 420);
  const QImage image = page.grab().toImage();
  ASSERT_FALSE(image.isNull());
  EXPECT_EQ(image.size(), QSize(900, 420) * image.devicePixelRatio());
  QTemporaryDir dir;
  const char* keep = std::getenv("CORVANTILE_TOLERANCE_PNG");
  const QString path = keep != nullptr ? QString::fromLocal8Bit(keep) : dir.filePath("page.png");
  EXPECT_TRUE(image.save(path, "PNG")) << path.toStdString();
}

}  // namespace
}  // namespace corvantile
