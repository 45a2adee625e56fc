// The response window on Qt: what it plots is the sweep engine's data for the design, markers
// sit at f, 2f and 3f, an impossible design shows "No network", the span and the reference
// impedance are edited in place, and the save buttons write files other programs read. With
// measured sides, a harmonic beyond the files has no marker and reads "not measured", and a
// measured source's conjugate is drawn on the Smith chart.
#include "response/qt/frm_response.h"

#include <algorithm>
#include <filesystem>
#include <string>

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QAreaSeries>
#include <QChart>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QLabel>
#include <QLegend>
#include <QLegendMarker>
#include <QLineEdit>
#include <QLineSeries>
#include <QLogValueAxis>
#include <QPainter>
#include <QPushButton>
#include <QScatterSeries>
#include <QSignalSpy>
#include <QSvgRenderer>
#include <QTemporaryDir>
#include <QTest>
#include <QToolTip>
#include <QValueAxis>

#include "analysis/formats/spice_netlist.h"
#include "analysis/formats/sweep_csv.h"
#include "analysis/solvers/lossy_network.h"
#include "model/design_model.h"
#include "response/qt/explore_page.h"
#include "response/qt/smith_chart_widget.h"
#include "response/qt/tolerance_page.h"
#include "support/files.h"

namespace corvantile {
namespace {

class FrmResponseTest : public ::testing::Test {
 protected:
  FrmResponseTest() : state(model.state()), window(model) {
    window.resize(1000, 680);
    Design();
  }

  // The design pass the design window runs, then the window's update.
  void Design() { window.Update(RunDesignPass(state)); }

  template <typename T>
  T* Child(const char* name) {
    T* child = window.findChild<T*>(QString::fromLatin1(name));
    EXPECT_NE(child, nullptr) << name;
    return child;
  }

  void Type(const char* box, const QString& text) {
    QLineEdit* edit = Child<QLineEdit>(box);
    edit->selectAll();
    QTest::keyClicks(edit, text);
    QTest::keyClick(edit, Qt::Key_Return);
  }

  // Every plotted point is the engine's, at the axis's unit.
  void ExpectEnginesSweep() {
    const CircuitBuild build = DesignCircuit(state);
    ASSERT_EQ(build.problem, CircuitProblem::None);
    const SweepSpan span = ChosenSpan(window.settings(), build.circuit.designFrequency);
    const std::vector<ResponsePoint> engine = SweepResponse(build.circuit, span);
    const QList<QPointF> loss = window.returnLossSeries()->points();
    const QList<QPointF> gain = window.gainSeries()->points();
    ASSERT_EQ(static_cast<std::size_t>(loss.size()), engine.size());
    ASSERT_EQ(static_cast<std::size_t>(gain.size()), engine.size());
    const double unit = window.unit().hertz;
    for (std::size_t i = 0; i < engine.size(); ++i) {
      const auto k = static_cast<qsizetype>(i);
      ASSERT_EQ(loss[k].x(), engine[i].frequency / unit) << i;
      ASSERT_EQ(loss[k].y(), engine[i].returnLossDb) << i;
      ASSERT_EQ(gain[k].x(), engine[i].frequency / unit) << i;
      ASSERT_EQ(gain[k].y(), engine[i].transducerGainDb) << i;
    }
  }

  void ExpectMarkersAtHarmonics(double f0) {
    for (int h = 1; h <= 3; ++h) {
      const QList<QPointF> points =
          window.markerSeries()[static_cast<std::size_t>(h - 1)]->points();
      ASSERT_EQ(points.size(), 1) << h;
      EXPECT_DOUBLE_EQ(points[0].x() * window.unit().hertz, h * f0) << h;
    }
  }

  DesignModel model;
  RunState& state;
  FrmResponse window;
};

TEST_F(FrmResponseTest, PlotsTheEnginesSweepWithMarkersAtTheHarmonics) {
  EXPECT_EQ(window.objectName(), "frmResponse");
  EXPECT_EQ(window.windowTitle(), "Corvantile - response");
  EXPECT_TRUE(window.isWindow());
  ExpectEnginesSweep();
  EXPECT_EQ(window.unit().name, "MHz");
  ExpectMarkersAtHarmonics(3.75e6);
  EXPECT_EQ(Child<QLabel>("lblCircuit")->text(),
            "Pi network (shunt, series, shunt) designed at 3.75 MHz for 1000 W");
  const QString summary = Child<QLabel>("lblSummary")->text();
  EXPECT_TRUE(summary.startsWith("2:1 VSWR bandwidth: ")) << summary.toStdString();
  EXPECT_TRUE(summary.contains("Attenuation at 3f (11.25 MHz): ")) << summary.toStdString();
  EXPECT_TRUE(Child<QLabel>("lblNoNetwork")->isHidden());
  EXPECT_EQ(Child<QLineEdit>("txtSweepFrom")->text(), "937.5 kHz");
  EXPECT_EQ(Child<QLineEdit>("txtSweepTo")->text(), "15 MHz");
  EXPECT_EQ(Child<QLineEdit>("txtReference")->text(), "50");
}

TEST_F(FrmResponseTest, AFamilyOrFrequencyChangeRedraws) {
  const QList<QPointF> pi = window.gainSeries()->points();
  state.NetValues[NetworkFamily] = FamilyHighpassL;
  Design();
  EXPECT_NE(window.gainSeries()->points(), pi);
  ExpectEnginesSweep();
  EXPECT_TRUE(Child<QLabel>("lblCircuit")->text().startsWith("high-pass L network"));

  state.NetValues[Frequency] = 14.2e6f;
  Design();
  ExpectEnginesSweep();
  ExpectMarkersAtHarmonics(static_cast<double>(14.2e6f));
  EXPECT_EQ(Child<QLineEdit>("txtSweepTo")->text(), "56.8 MHz");
}

TEST_F(FrmResponseTest, AnImpossibleDesignShowsNoNetworkInsteadOfStaleCurves) {
  state.NetValues[NetworkPhase] = 0.0f;
  Design();
  QLabel* label = Child<QLabel>("lblNoNetwork");
  EXPECT_FALSE(label->isHidden());
  EXPECT_EQ(label->text(), "No network: no network can be designed for these values");
  EXPECT_EQ(Child<QLabel>("lblCircuit")->text(), "No network");
  EXPECT_TRUE(window.returnLossSeries()->points().isEmpty());
  EXPECT_TRUE(window.gainSeries()->points().isEmpty());
  for (QScatterSeries* marker : window.markerSeries()) EXPECT_TRUE(marker->points().isEmpty());
  EXPECT_TRUE(Child<QLabel>("lblSummary")->text().isEmpty());
  EXPECT_FALSE(Child<QPushButton>("cmdSavePng")->isEnabled());
  EXPECT_TRUE(window.smithChart()->TooltipAt({200, 200}).isEmpty());
  EXPECT_FALSE(window.SaveSvg(QDir::temp().filePath("never.svg")));

  state.NetValues[NetworkPhase] = -135.0f;
  Design();
  EXPECT_TRUE(label->isHidden());
  ExpectEnginesSweep();
  EXPECT_TRUE(Child<QPushButton>("cmdSavePng")->isEnabled());
}

TEST_F(FrmResponseTest, SmithPathRunsFromTheLoadToTheSourcesConjugate) {
  const ResponseView& view = window.view();
  ASSERT_EQ(view.path.nodes.size(), 4u);
  // 300 ohm load, 1500 ohm source, on the 50 ohm chart.
  EXPECT_NEAR(std::abs(view.path.nodes.front().normalised - std::complex<double>(6, 0)), 0, 1e-9);
  EXPECT_NEAR(std::abs(view.path.nodes.back().normalised - std::complex<double>(30, 0)), 0,
              30 * 1e-4);
  SmithChartWidget* smith = window.smithChart();
  smith->resize(420, 440);
  const QPointF load = smith->PixelOf(view.path.nodes.front().reflection);
  EXPECT_NEAR(std::abs(smith->ReflectionAt(load) - view.path.nodes.front().reflection), 0, 1e-12);
  EXPECT_TRUE(smith->TooltipAt(load).startsWith("Load\n300 + j0 ohms (z 6 + j0)"))
      << smith->TooltipAt(load).toStdString();
  // The centre of the chart is 50 ohm; nothing of this design passes it.
  EXPECT_TRUE(smith->TooltipAt(smith->PixelOf({0, 0})).isEmpty());
  const QPointF onLocus = smith->PixelOf(view.locus[10]);
  EXPECT_TRUE(smith->TooltipAt(onLocus).startsWith("Input impedance at "));

  window.SetReferenceImpedance(300.0);
  EXPECT_NEAR(std::abs(window.view().path.nodes.front().reflection), 0, 1e-12);
}

// With a feedline to the load the chart draws the impedance along it, in its own colour, from the
// load's own 300 ohms to where the network's path starts; hovering its ends names them.
TEST_F(FrmResponseTest, TheSmithChartDrawsTheImpedanceAlongAFeedline) {
  ASSERT_EQ(model.PutFeedline("RG-213:30", MeasuredSideKind::Load), "");
  Design();
  const ResponseView& view = window.view();
  ASSERT_TRUE(view.feedline);
  SmithChartWidget* smith = window.smithChart();
  smith->resize(420, 460);
  const QPointF far = smith->PixelOf(view.feedline->far.reflection);
  EXPECT_TRUE(smith->TooltipAt(far).startsWith("Feedline's far end\n300 + j0 ohms"))
      << smith->TooltipAt(far).toStdString();
  QImage image(smith->size(), QImage::Format_ARGB32);
  image.fill(Qt::white);
  smith->render(&image);
  // A quarter of the way along, the trace is drawn in the feedline's orange.
  const QPoint along =
      smith->PixelOf(view.feedline->trace[view.feedline->trace.size() / 4]).toPoint();
  bool orange = false;
  for (int dx = -2; dx <= 2; ++dx) {
    for (int dy = -2; dy <= 2; ++dy) {
      const QColor c = image.pixelColor(along + QPoint(dx, dy));
      orange = orange || (c.red() > 200 && c.green() > 90 && c.green() < 150 && c.blue() < 60);
    }
  }
  EXPECT_TRUE(orange);

  model.RemoveFeedline();
  Design();
  EXPECT_FALSE(window.view().feedline);
}

TEST_F(FrmResponseTest, HoveringACurveShowsFrequencyDbAndImpedance) {
  const QString text = window.ChartTooltip(3.75);
  EXPECT_TRUE(text.startsWith("3.75 MHz\nReturn loss ")) << text.toStdString();
  EXPECT_TRUE(text.contains("\nZin 1500")) << text.toStdString();
  emit window.gainSeries()->hovered(QPointF(3.75, -0.1), true);
  EXPECT_EQ(QToolTip::text(), text);
  emit window.markerSeries()[1]->hovered(QPointF(7.5, -20), true);
  EXPECT_TRUE(QToolTip::text().startsWith("2f: 7.5 MHz\nReturn loss "))
      << QToolTip::text().toStdString();
  emit window.markerSeries()[1]->hovered(QPointF(7.5, -20), false);
}

TEST_F(FrmResponseTest, SpanAndReferenceAreEditedInPlaceAndBadTextReverts) {
  Type("txtSweepFrom", "1M");
  EXPECT_EQ(window.view().span.from, 1e6);
  EXPECT_EQ(window.view().span.to, 15e6);  // kept exactly
  EXPECT_EQ(Child<QLineEdit>("txtSweepFrom")->text(), "1 MHz");
  ExpectEnginesSweep();

  Type("txtSweepTo", "abc");  // reads as 0 Hz: below the start
  EXPECT_EQ(window.view().span.to, 15e6);
  EXPECT_EQ(Child<QLineEdit>("txtSweepTo")->text(), "15 MHz");
  EXPECT_TRUE(Child<QLabel>("lblStatus")->text().startsWith("Span not changed: "));

  Type("txtSweepTo", "8 MHz");  // 3f is now beyond the span
  EXPECT_EQ(window.view().span.to, 8e6);
  EXPECT_TRUE(window.markerSeries()[2]->points().isEmpty());
  EXPECT_EQ(window.markerSeries()[1]->points().size(), 1);

  // A chosen span stays when the frequency changes; the default one follows it.
  state.NetValues[Frequency] = 4e6f;
  Design();
  EXPECT_EQ(window.view().span.to, 8e6);
  QTest::mouseClick(Child<QPushButton>("cmdDefaultSpan"), Qt::LeftButton);
  EXPECT_EQ(window.view().span.to, 16e6);

  Type("txtReference", "75 ohms");
  EXPECT_EQ(window.settings().referenceImpedance, 75.0);
  EXPECT_EQ(Child<QLineEdit>("txtReference")->text(), "75");
  Type("txtReference", "-5");
  EXPECT_EQ(window.settings().referenceImpedance, 75.0);
  EXPECT_EQ(Child<QLineEdit>("txtReference")->text(), "75");
}

TEST_F(FrmResponseTest, SavesReadablePngAndSvgPictures) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  window.Render(QSize(1000, 680));
  const QString png = dir.filePath("plots.png");
  const QString svg = dir.filePath("plots.svg");
  ASSERT_TRUE(window.SavePng(png));
  ASSERT_TRUE(window.SaveSvg(svg));
  const QImage image(png);
  ASSERT_FALSE(image.isNull());
  EXPECT_EQ(image.size(), window.plots()->size());
  QSvgRenderer renderer(svg);
  ASSERT_TRUE(renderer.isValid());
  EXPECT_EQ(renderer.viewBox(), QRect(QPoint(0, 0), window.plots()->size()));
  // The SVG draws the same plots: rasterised, it is mostly white with the curves on it.
  QImage drawn(renderer.defaultSize(), QImage::Format_ARGB32);
  drawn.fill(Qt::transparent);
  QPainter painter(&drawn);
  renderer.render(&painter);
  painter.end();
  int blue = 0;
  for (int y = 0; y < drawn.height(); y += 2) {
    for (int x = 0; x < drawn.width(); x += 2) {
      const QColor c = drawn.pixelColor(x, y);
      if (c.blue() > 150 && c.red() < 80) ++blue;
    }
  }
  EXPECT_GT(blue, 50);
  EXPECT_TRUE(Child<QLabel>("lblStatus")->text().startsWith("Saved "));
}

TEST_F(FrmResponseTest, SaveButtonsAskForAFileWithASensibleNameAndWriteTheExports) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  QStringList suggested;
  QString answer;
  window.SetFileChooser([&](const QString&, const QString& path, const QString&) {
    suggested.append(QFileInfo(path).fileName());
    return answer;
  });
  struct Case {
    const char* button;
    const char* file;
  };
  for (const Case& c :
       {Case{"cmdSavePng", "a.png"}, Case{"cmdSaveSvg", "a.svg"}, Case{"cmdExportCsv", "a.csv"},
        Case{"cmdExportTouchstone", "a.s2p"}, Case{"cmdExportSpice", "a.cir"}}) {
    answer = dir.filePath(QString::fromLatin1(c.file));
    QTest::mouseClick(Child<QPushButton>(c.button), Qt::LeftButton);
    EXPECT_TRUE(QFileInfo(answer).size() > 0) << c.button;
  }
  EXPECT_EQ(suggested, (QStringList{"corvantile-response.png", "corvantile-response.svg",
                                    "corvantile.csv", "corvantile.s2p", "corvantile.cir"}));

  auto contents = [&](const char* name) {
    QFile file(dir.filePath(QString::fromLatin1(name)));
    EXPECT_TRUE(file.open(QIODevice::ReadOnly));
    return file.readAll().toStdString();
  };
  EXPECT_EQ(contents("a.csv"), SweepCsv(window.view().sweep));
  EXPECT_EQ(contents("a.cir"), SpiceNetlist(window.view().circuit, window.view().span));
  EXPECT_NE(contents("a.s2p").find("# Hz S RI R 50"), std::string::npos);

  // A cancelled dialog writes nothing; an unwritable place says so.
  answer.clear();
  QTest::mouseClick(Child<QPushButton>("cmdExportCsv"), Qt::LeftButton);
  answer = dir.filePath("missing/folder/a.csv");
  QTest::mouseClick(Child<QPushButton>("cmdExportCsv"), Qt::LeftButton);
  EXPECT_TRUE(Child<QLabel>("lblStatus")->text().startsWith("Cannot write "));
  // A FIFO is not replaced by a regular file (nor written into): the one writer refuses it.
  const QString fifo = dir.filePath("pipe.csv");
  ASSERT_EQ(::mkfifo(fifo.toLocal8Bit().constData(), 0600), 0);
  answer = fifo;
  QTest::mouseClick(Child<QPushButton>("cmdExportCsv"), Qt::LeftButton);
  EXPECT_TRUE(Child<QLabel>("lblStatus")->text().startsWith("Cannot write "));
  EXPECT_TRUE(std::filesystem::is_fifo(fifo.toStdString()));
  EXPECT_EQ(suggested.size(), 8);
}

// A narrow band (an antenna's 3.4 to 4.1 MHz) holds no power of ten for a logarithmic axis to
// label: the curves go on a linear axis with a label every 0.1 MHz, and back on the logarithmic
// one for the default span; the legend keeps its entries through both.
TEST_F(FrmResponseTest, ANarrowBandHasFrequencyLabels) {
  ASSERT_NE(qobject_cast<QLogValueAxis*>(window.frequencyAxis()), nullptr);
  window.SetSpan(SweepSpan{3.4e6, 4.1e6, 201, true});
  auto* linear = qobject_cast<QValueAxis*>(window.frequencyAxis());
  ASSERT_NE(linear, nullptr);
  EXPECT_TRUE(linear->isVisible());
  EXPECT_EQ(linear->tickType(), QValueAxis::TicksDynamic);
  EXPECT_DOUBLE_EQ(linear->tickInterval(), 0.1);
  EXPECT_DOUBLE_EQ(linear->tickAnchor(), 3.4);
  EXPECT_EQ(linear->labelFormat(), "%.1f");
  EXPECT_DOUBLE_EQ(linear->min(), 3.4);
  EXPECT_DOUBLE_EQ(linear->max(), 4.1);
  EXPECT_EQ(linear->titleText(), "Frequency (MHz)");
  for (QAbstractSeries* series : window.chart()->series()) {
    EXPECT_TRUE(series->attachedAxes().contains(linear)) << series->name().toStdString();
    EXPECT_EQ(series->attachedAxes().size(), 2) << series->name().toStdString();
  }
  // The other horizontal axis is hidden, so that only one row of labels shows.
  int shown = 0;
  for (QAbstractAxis* axis : window.chart()->axes(Qt::Horizontal)) shown += axis->isVisible();
  EXPECT_EQ(shown, 1);

  window.SetSpan(std::nullopt);
  auto* logarithmic = qobject_cast<QLogValueAxis*>(window.frequencyAxis());
  ASSERT_NE(logarithmic, nullptr);
  EXPECT_TRUE(logarithmic->isVisible());
  EXPECT_FALSE(linear->isVisible());
  EXPECT_TRUE(window.returnLossSeries()->attachedAxes().contains(logarithmic));
  ExpectEnginesSweep();
  ExpectMarkersAtHarmonics(3.75e6);
}

// On an 800x600 screen the whole Response page fits the window's first size: every save
// button and both plots inside it, the page laid out no smaller than it can be.
TEST_F(FrmResponseTest, FitsAnEightHundredBySixHundredScreen) {
  const QSize size = FrmResponse::DefaultSize(QSize(800, 600));
  window.Render(size);
  EXPECT_EQ(window.size(), size);
  const QSize least = window.responsePage()->minimumSizeHint();
  EXPECT_LE(least.width(), window.responsePage()->width());
  EXPECT_LE(least.height(), window.responsePage()->height());
  const QRect inside(QPoint(0, 0), size);
  for (const char* name : {"cmdSavePng", "cmdSaveSvg", "cmdExportCsv", "cmdExportTouchstone",
                           "cmdExportSpice", "txtSweepTo", "lblSummary"}) {
    QWidget* widget = Child<QWidget>(name);
    const QRect at(widget->mapTo(&window, QPoint(0, 0)), widget->size());
    EXPECT_TRUE(inside.contains(at)) << name;
    EXPECT_GE(widget->width(), widget->minimumSizeHint().width()) << name;
  }
  for (QWidget* plot :
       {static_cast<QWidget*>(window.smithChart()), static_cast<QWidget*>(window.plots())}) {
    EXPECT_TRUE(inside.contains(QRect(plot->mapTo(&window, QPoint(0, 0)), plot->size())));
  }
  // The Band page too: its question, its buttons and its plot.
  window.ShowPage(4);  // Alt+5
  window.Render(size);
  EXPECT_EQ(window.size(), size);
  for (const char* name : {"txtBands", "cmdBandSearch", "cmdBandCancel", "cmdBandApply",
                           "cmdBandSpice", "cmdBandCsv", "bandChart", "tblBandDesigns"}) {
    QWidget* widget = Child<QWidget>(name);
    const QRect at(widget->mapTo(&window, QPoint(0, 0)), widget->size());
    EXPECT_TRUE(inside.contains(at)) << name;
    EXPECT_GE(widget->width(), widget->minimumSizeHint().width()) << name;
  }
}

TEST_F(FrmResponseTest, RendersWithoutBeingShown) {
  const QImage image = window.Render(QSize(900, 600));
  EXPECT_EQ(image.size(), QSize(900, 600));
  EXPECT_FALSE(window.isVisible());
}

// Waits for the Tolerance page's run to finish (a bound on a hang only).
bool WaitForTolerance(FrmResponse& window) {
  QSignalSpy finished(window.tolerancePage(), &TolerancePage::finished);
  return finished.wait(60000);
}

bool EnvelopeInLegend(FrmResponse& window) {
  bool shown = false;
  for (QLegendMarker* m : window.chart()->legend()->markers(window.envelopeSeries())) {
    shown = shown || m->isVisible();
  }
  return shown;
}

TEST_F(FrmResponseTest, TheToleranceEnvelopeShadesTheReturnLossUntilTheDesignChanges) {
  QAreaSeries* band = window.envelopeSeries();
  ASSERT_NE(band, nullptr);
  EXPECT_EQ(band->name(), "Tolerance envelope");
  ASSERT_TRUE(WaitForTolerance(window));
  const ToleranceResult& r = *window.tolerancePage()->result();
  const QList<QPointF> lower = band->lowerSeries()->points();
  const QList<QPointF> upper = band->upperSeries()->points();
  ASSERT_EQ(static_cast<std::size_t>(lower.size()), r.envelopeFrequencies.size());
  ASSERT_EQ(upper.size(), lower.size());
  const double unit = window.unit().hertz;
  for (qsizetype i = 0; i < lower.size(); ++i) {
    const auto k = static_cast<std::size_t>(i);
    ASSERT_EQ(lower[i].x(), r.envelopeFrequencies[k] / unit);
    ASSERT_EQ(lower[i].y(), r.envelopeMinDb[k]);
    ASSERT_EQ(upper[i].y(), r.envelopeMaxDb[k]);
  }
  // Over the Response page's own span, on its return-loss axis, lighter than its curve.
  const QList<QPointF> curve = window.returnLossSeries()->points();
  EXPECT_DOUBLE_EQ(lower.front().x(), curve.front().x());
  EXPECT_DOUBLE_EQ(lower.back().x(), curve.back().x());
  EXPECT_EQ(band->attachedAxes(), window.returnLossSeries()->attachedAxes());
  EXPECT_GT(band->brush().color().lightness(),
            window.returnLossSeries()->pen().color().lightness());
  EXPECT_TRUE(EnvelopeInLegend(window));

  // A new design clears it at once; the new run draws it again.
  state.NetValues[Frequency] = 7e6f;
  Design();
  EXPECT_TRUE(band->upperSeries()->points().isEmpty());
  EXPECT_FALSE(EnvelopeInLegend(window));
  ASSERT_TRUE(WaitForTolerance(window));
  ASSERT_FALSE(band->upperSeries()->points().isEmpty());
  EXPECT_DOUBLE_EQ(band->upperSeries()->points().front().x(),
                   window.returnLossSeries()->points().front().x());
  EXPECT_TRUE(EnvelopeInLegend(window));
}

// The Parts page's losses reach the Tolerance page: its builds carry them.
TEST_F(FrmResponseTest, TheTolerancePageUsesTheResponseWindowsLosses) {
  LossModel losses;
  losses.inductor = {40.0, 0.5};
  losses.capacitor = {500.0, 0.0};
  window.SetLosses(losses, false);
  ASSERT_TRUE(WaitForTolerance(window));
  const TolerancePage& page = *window.tolerancePage();
  EXPECT_EQ(page.request().options.losses.inductor.q0, 40.0);
  EXPECT_EQ(page.request().options.losses.capacitor.q0, 500.0);
  const MatchingCircuit circuit = DesignCircuit(state).circuit;
  EXPECT_NEAR(page.result()->nominalReturnLossDb, AnalyzeLosses(circuit, losses).returnLossDb,
              1e-9);
  // Compensated, the page builds the design the Response page shows.
  window.SetLosses(losses, true);
  ASSERT_TRUE(WaitForTolerance(window));
  for (std::size_t k = 0; k < 3; ++k) {
    EXPECT_EQ(page.request().circuit.elements[k].value, window.view().circuit.elements[k].value);
  }
  EXPECT_GT(page.result()->nominalReturnLossDb, 60.0);
}

// Pixels of a picture of the widget that are clearly green, antialiased edges included: the
// Smith chart draws only the source's conjugate (its target and a measured source's locus) so.
int CountGreen(QWidget* widget) {
  const QImage image = widget->grab().toImage();
  int count = 0;
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) {
      const QColor c = image.pixelColor(x, y);
      count += c.green() - std::max(c.red(), c.blue()) > 40;
    }
  }
  return count;
}

TEST_F(FrmResponseTest, MeasuredSidesLeaveOutTheUnmeasuredHarmonicAndDrawTheSourcesConjugate) {
  // Both files end at 10 MHz: 2f (7.5 MHz) is measured, 3f (11.25 MHz) is not.
  const std::filesystem::path load = testing::TemporaryFile("window_load.s1p");
  const std::filesystem::path source = testing::TemporaryFile("window_source.s1p");
  testing::WriteBytes(load, "# MHz S RI R 50\n1 0.6 0.3\n3.75 0.7142857142857143 0\n10 0.6 -0.3\n");
  testing::WriteBytes(source,
                      "# MHz S RI R 50\n1 0.9 0.3\n3.75 0.9354838709677419 0\n10 0.9 -0.3\n");
  window.smithChart()->resize(420, 460);
  const int typedGreen = CountGreen(window.smithChart());

  const MeasuredSide loadSide{load.string(), 1}, sourceSide{source.string(), 1};
  ASSERT_EQ(model.Follow(MeasuredSideKind::Load, loadSide), "");
  ASSERT_EQ(model.Follow(MeasuredSideKind::Source, sourceSide), "");
  Design();
  ASSERT_TRUE(window.view().hasNetwork) << window.view().noNetworkReason;
  EXPECT_EQ(window.markerSeries()[0]->points().size(), 1);
  EXPECT_EQ(window.markerSeries()[1]->points().size(), 1);
  EXPECT_TRUE(window.markerSeries()[2]->points().isEmpty());
  // The span boxes show the default span as the files' band cuts it, as it is swept.
  EXPECT_EQ(Child<QLineEdit>("txtSweepFrom")->text(), "1 MHz");
  EXPECT_EQ(Child<QLineEdit>("txtSweepTo")->text(), "10 MHz");
  const QString summary = Child<QLabel>("lblSummary")->text();
  EXPECT_TRUE(summary.contains("Attenuation at 3f (11.25 MHz): not measured"))
      << summary.toStdString();
  EXPECT_FALSE(summary.contains("Attenuation at 2f (7.5 MHz): not measured"));
  EXPECT_TRUE(summary.contains(
      QString::fromStdString("Source measured: " + source.filename().string() + " port 1")))
      << summary.toStdString();
  EXPECT_TRUE(summary.contains(
      QString::fromStdString("Load measured: " + load.filename().string() + " port 1")))
      << summary.toStdString();
  // The conjugate's dashed locus (and its legend line) in the target's green.
  const int measuredGreen = CountGreen(window.smithChart());
  EXPECT_GT(measuredGreen, typedGreen + 100) << typedGreen << " " << measuredGreen;
  // The builds are judged against the files too: their envelope covers the swept band, and
  // their nominal return loss is the measured sweep's at f0.
  ASSERT_TRUE(WaitForTolerance(window));
  const ToleranceRequest& request = window.tolerancePage()->request();
  EXPECT_NE(request.options.sides.load, nullptr);
  EXPECT_NE(request.options.sides.source, nullptr);
  const QList<QPointF> upper = window.envelopeSeries()->upperSeries()->points();
  ASSERT_FALSE(upper.isEmpty());
  EXPECT_DOUBLE_EQ(upper.front().x(), window.returnLossSeries()->points().front().x());
  EXPECT_DOUBLE_EQ(upper.back().x(), window.returnLossSeries()->points().back().x());
  const double atDesign = window.view().markers[0].response.returnLossDb;
  EXPECT_NEAR(window.tolerancePage()->result()->nominalReturnLossDb, atDesign, 1e-6 * atDesign);
  // So are the Explore page's candidates: the third harmonic reads "not measured" in the table
  // and its hover, never a number or NaN, and the design's Pi has the sweep's 2:1 band.
  ExplorePage* explore = window.explorePage();
  ASSERT_TRUE(QTest::qWaitFor([explore] { return !explore->IsExploring(); }, 60000));
  const Exploration& exploration = explore->view().exploration;
  EXPECT_TRUE(exploration.measuredSides);
  ASSERT_FALSE(exploration.candidates.empty());
  bool found = false;
  for (const Candidate& c : exploration.candidates) {
    EXPECT_EQ(CandidateFigureText(c, Figure::Attenuation3f), "not measured") << c.name;
    EXPECT_NE(CandidateFigureText(c, Figure::Attenuation2f), "not measured") << c.name;
    EXPECT_EQ(CandidateTooltip(c).find("nan"), std::string::npos) << c.name;
    if (c.atUserPhase && c.kind == CandidateKind::Pi) {
      found = true;
      ASSERT_TRUE(c.summary.bands[0].fractional.has_value());
      ASSERT_TRUE(window.view().summary.bands[0].fractional.has_value());
      EXPECT_NEAR(*c.summary.bands[0].fractional, *window.view().summary.bands[0].fractional, 1e-9);
    }
  }
  EXPECT_TRUE(found);
}

}  // namespace
}  // namespace corvantile
