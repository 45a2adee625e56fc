// The Band page on Qt: the search runs on its worker with progress and Cancel, the designs fill
// the table with the best one chosen and drawn against the Bode-Fano level, the keyboard reaches
// every control, an export writes the chosen design, and applying one is a single undo step of
// the design window whose network has the return loss the page shows.
#include "response/qt/band_page.h"

#include <cmath>

#include <gtest/gtest.h>

#include <QApplication>
#include <QCoreApplication>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QLineSeries>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>

#include "design/qt/frm_design.h"
#include "model/design_answers.h"
#include "response/qt/frm_response.h"
#include "response/qt/response_launcher.h"
#include "support/circuit_solver.h"
#include "toolkit/qt/qt_platform.h"

namespace corvantile {
namespace {

bool WaitForSearch(BandPage& page) {
  return QTest::qWaitFor([&] { return !page.searching(); }, 120000);
}

TEST(BandPageTest, SearchFillsTheTableAndDrawsTheBestDesign) {
  DesignModel model;
  BandPage page(model);
  page.resize(1100, 700);
  std::vector<BandApplication> applied;
  page.SetApply([&](const BandApplication& a) { applied.push_back(a); });
  EXPECT_EQ(page.bandsEdit()->text(), "3.5625M:3.9375M");  // 5 % either side of 3.75 MHz

  page.bandsEdit()->setText("3.6M:3.9M");
  page.elementsBox()->setValue(3);
  QSignalSpy searched(&page, &BandPage::searched);
  QTest::mouseClick(page.searchButton(), Qt::LeftButton);
  EXPECT_TRUE(page.searching());
  EXPECT_TRUE(page.cancelButton()->isEnabled());
  ASSERT_TRUE(WaitForSearch(page));
  ASSERT_TRUE(QTest::qWaitFor([&] { return searched.count() == 1; }, 2000));
  EXPECT_FALSE(page.cancelButton()->isEnabled());
  EXPECT_EQ(page.progressBar()->value(), page.progressBar()->maximum());

  ASSERT_TRUE(page.answer());
  const BandAnswer& answer = *page.answer();
  ASSERT_EQ(page.designsTable()->rowCount(), static_cast<int>(answer.match.designs.size()));
  // The best worst return loss is the one shown.
  ASSERT_GE(page.chosen(), 0);
  for (const BandDesign& d : answer.match.designs) {
    EXPECT_LE(
        d.figures.worstReturnLossDb,
        answer.match.designs[static_cast<std::size_t>(page.chosen())].figures.worstReturnLossDb);
  }
  EXPECT_GT(page.returnLossSeries()->count(), 100);
  for (const QPointF& p : page.returnLossSeries()->points()) {
    EXPECT_TRUE(std::isfinite(p.x()) && std::isfinite(p.y()));
  }
  // A resistive pair has no bound: no level drawn, and the label says why.
  EXPECT_EQ(page.boundSeries()->count(), 0);
  EXPECT_TRUE(page.boundLabel()->text().contains("resistive"));
  EXPECT_TRUE(page.schematicLabel()->text().startsWith("Source - "));
  EXPECT_EQ(
      page.partsTable()->rowCount(),
      static_cast<int>(
          answer.match.designs[static_cast<std::size_t>(page.chosen())].circuit.elements.size()));

  // Choosing the one-element design: the window cannot take it.
  for (int row = 0; row < page.designsTable()->rowCount(); ++row) {
    if (page.designsTable()->item(row, 0)->text() != "1") continue;
    page.designsTable()->selectRow(row);
    EXPECT_EQ(page.chosen(), row);
    EXPECT_FALSE(page.applyButton()->isEnabled());
    EXPECT_FALSE(page.applyButton()->toolTip().isEmpty());
  }
  // A three-element one goes over with Return on the button.
  for (int row = 0; row < page.designsTable()->rowCount(); ++row) {
    if (page.designsTable()->item(row, 0)->text() == "3") page.designsTable()->selectRow(row);
  }
  ASSERT_TRUE(page.applyButton()->isEnabled());
  EXPECT_TRUE(page.ApplyChosen());
  ASSERT_EQ(applied.size(), 1u);
  EXPECT_TRUE(page.statusLabel()->text().startsWith("Applied"));
}

TEST(BandPageTest, CancelKeepsTheDesignsOfTheSearchBefore) {
  DesignModel model;
  BandPage page(model);
  page.bandsEdit()->setText("3.6M:3.9M");
  page.elementsBox()->setValue(2);
  ASSERT_TRUE(page.Search());
  ASSERT_TRUE(WaitForSearch(page));
  const std::size_t before = page.answer()->match.designs.size();

  page.bandsEdit()->setText("2M:6M");
  page.elementsBox()->setValue(6);
  ASSERT_TRUE(page.Search());
  QTest::qWait(100);
  QTest::mouseClick(page.cancelButton(), Qt::LeftButton);
  EXPECT_FALSE(page.searching());
  EXPECT_EQ(page.answer()->match.designs.size(), before);
  EXPECT_EQ(page.designsTable()->rowCount(), static_cast<int>(before));
  EXPECT_TRUE(page.statusLabel()->text().startsWith("Cancelled"));
}

TEST(BandPageTest, BadBandsSayWhyAndSearchNothing) {
  DesignModel model;
  BandPage page(model);
  page.bandsEdit()->setText("3.9M:3.6M");
  QTest::keyClick(page.bandsEdit(), Qt::Key_Return);
  EXPECT_FALSE(page.searching());
  EXPECT_TRUE(page.statusLabel()->text().contains("must end above its start"))
      << page.statusLabel()->text().toStdString();
}

TEST(BandPageTest, KeyboardReachesEveryControlInOrder) {
  DesignModel model;
  BandPage page(model);
  page.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&page));
  page.activateWindow();
  page.bandsEdit()->setFocus();
  std::vector<QWidget*> order{QApplication::focusWidget()};
  for (int i = 0; i < 5; ++i) {
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    order.push_back(QApplication::focusWidget());
  }
  ASSERT_EQ(order[0], page.bandsEdit());
  EXPECT_EQ(order[1], page.elementsBox());
  EXPECT_EQ(order[3], page.searchButton());
  // Cancel is passed over while no search runs.
  EXPECT_EQ(order[4], page.designsTable());
  // The mnemonics name the boxes they move to.
  for (QLabel* label : page.findChildren<QLabel*>()) {
    if (label->text() == "&Bands:") {
      EXPECT_EQ(label->buddy(), page.bandsEdit());
    }
  }
}

TEST(BandPageTest, ExportWritesTheChosenDesign) {
  DesignModel model;
  BandPage page(model);
  EXPECT_FALSE(page.Export(BandExport::Spice, "unused.cir"));  // nothing chosen yet
  page.bandsEdit()->setText("3.6M:3.9M");
  page.elementsBox()->setValue(2);
  ASSERT_TRUE(page.Search());
  ASSERT_TRUE(WaitForSearch(page));
  QTemporaryDir dir;
  const QString path = dir.filePath("band.cir");
  page.SetFileChooser([&](const QString&, const QString& name, const QString&) {
    EXPECT_EQ(name, "band.cir");
    return path;
  });
  for (QPushButton* b : page.findChildren<QPushButton*>()) {
    if (b->objectName() == "cmdBandSpice") QTest::mouseClick(b, Qt::LeftButton);
  }
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  EXPECT_TRUE(file.readAll().contains(".ac"));
  EXPECT_FALSE(page.Export(BandExport::Csv, dir.filePath("no/such/dir/band.csv")));
  EXPECT_TRUE(page.statusLabel()->text().startsWith("Cannot write"));
}

// Through the response window beside the design window: one undo step, and the design window's
// network then has, solved as a plain circuit, the worst in-band return loss the page showed.
TEST(BandPageTest, ApplyingIsOneUndoStepOfTheDesignWindow) {
  toolkit::QtPlatform platform(toolkit::ScreenTwips::FromPixels(1024, 768));
  DesignModel model;
  FrmDesign design(model, platform);
  ResponseLauncher& launcher = ResponseLauncher::Attach(design, model);
  design.Load();
  BandPage& page = *launcher.Window().bandPage();
  page.bandsEdit()->setText("3.6M:3.9M");
  page.elementsBox()->setValue(3);
  ASSERT_TRUE(page.Search());
  ASSERT_TRUE(WaitForSearch(page));
  ASSERT_TRUE(page.applyButton()->isEnabled());
  const BandAnswer answer = *page.answer();
  const double designed =
      answer.match.designs[static_cast<std::size_t>(page.chosen())].figures.worstReturnLossDb;
  const std::size_t steps = design.document().history().UndoCount();
  const RunState before = model.state();

  QTest::mouseClick(page.applyButton(), Qt::LeftButton);
  EXPECT_EQ(design.document().history().UndoCount(), steps + 1);
  const Network network = NetworkOf(model);
  ASSERT_EQ(network.problem, CircuitProblem::None);
  double worst = HUGE_VAL;
  for (const double f : answer.match.frequencies) {
    const testing::Solution s = testing::Solve(network.built, f);
    worst = std::min(worst, testing::ReturnLossDb(s.inputImpedance, s.sourceImpedance));
  }
  EXPECT_GE(worst, designed - 0.1);
  // The status line gives the window's network's figure to the hundredth of a dB.
  EXPECT_TRUE(page.statusLabel()->text().contains(QString::number(worst, 'f', 2) + " dB"))
      << page.statusLabel()->text().toStdString() << " " << worst;

  // The window's network is between the searched sides: no call to search again.
  launcher.Window().Update(design.logic().LastOutcome());
  EXPECT_FALSE(page.statusLabel()->text().contains("search again"));

  design.Undo();
  EXPECT_EQ(model.state().NetValues[Frequency], before.NetValues[Frequency]);
  EXPECT_EQ(model.state().NetValues[NetworkFamily], before.NetValues[NetworkFamily]);
  launcher.Window().close();
}

}  // namespace
}  // namespace corvantile
