// The response window's pages: "Response" first, then "Parts", reached by Alt+digit; the Parts
// page's table shows the loss analysis' texts, and "compensate for losses" changes the sweep
// the Response page draws.
#include "response/qt/parts_page.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QTabWidget>
#include <QTableWidget>
#include <QTest>

#include "model/design_answers.h"
#include "response/qt/frm_response.h"
#include "state/codes.h"

namespace corvantile {
namespace {

class PartsPageTest : public ::testing::Test {
 protected:
  PartsPageTest() : state(model.state()), window(model) {
    window.resize(1000, 680);
    window.Update(RunDesignPass(state));
  }
  DesignModel model;
  RunState& state;
  FrmResponse window;
};

TEST_F(PartsPageTest, ResponseComesFirstThenPartsToleranceExploreAndBand) {
  QTabWidget* tabs = window.tabs();
  ASSERT_EQ(tabs->count(), 5);
  EXPECT_EQ(tabs->tabText(0), QStringLiteral("Response"));
  EXPECT_EQ(tabs->tabText(1), QStringLiteral("Parts"));
  EXPECT_EQ(tabs->tabText(2), QStringLiteral("Tolerance"));
  EXPECT_EQ(tabs->tabText(3), QStringLiteral("Explore"));
  EXPECT_EQ(tabs->tabText(4), QStringLiteral("Band"));
  EXPECT_EQ(tabs->currentIndex(), 0);
  auto* extra = new QLabel(QStringLiteral("extra"));
  EXPECT_EQ(window.AddPage(extra, QStringLiteral("Extra")), 5);
  window.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
  QTest::keyClick(&window, Qt::Key_2, Qt::AltModifier);
  EXPECT_EQ(tabs->currentIndex(), 1);
  QTest::keyClick(&window, Qt::Key_5, Qt::AltModifier);
  EXPECT_EQ(tabs->currentIndex(), 4);
  QTest::keyClick(&window, Qt::Key_1, Qt::AltModifier);
  EXPECT_EQ(tabs->currentIndex(), 0);
}

TEST_F(PartsPageTest, TheTableShowsTheAnalysisAndCompensationChangesTheSweep) {
  PartsPage* page = window.partsPage();
  QLineEdit* coil = page->findChild<QLineEdit*>(QStringLiteral("txtInductorQ"));
  ASSERT_NE(coil, nullptr);
  coil->selectAll();
  QTest::keyClicks(coil, QStringLiteral("50"));
  QTest::keyClick(coil, Qt::Key_Return);
  EXPECT_EQ(window.settings().losses.inductor.q0, 50.0);

  const PartsView expected =
      BuildPartsView(state, DesignOutcome::Designed, window.settings().losses, false);
  QTableWidget* table = page->table();
  ASSERT_EQ(table->rowCount(), static_cast<int>(expected.rows.size()));
  for (int r = 0; r < table->rowCount(); ++r) {
    for (int c = 0; c < table->columnCount(); ++c) {
      EXPECT_EQ(table->item(r, c)->text().toStdString(),
                expected.rows[static_cast<std::size_t>(r)].cells[static_cast<std::size_t>(c)]);
    }
  }

  const std::vector<ResponsePoint> before = window.view().sweep;
  QCheckBox* compensate = page->findChild<QCheckBox*>(QStringLiteral("chkCompensate"));
  ASSERT_NE(compensate, nullptr);
  compensate->click();
  EXPECT_TRUE(window.settings().compensate);
  ASSERT_EQ(window.view().sweep.size(), before.size());
  const std::size_t middle = before.size() / 2;
  EXPECT_NE(window.view().sweep[middle].returnLossDb, before[middle].returnLossDb);
  EXPECT_FALSE(window.view().compensationText.empty());
}

TEST_F(PartsPageTest, AQBoxReadsIdealOrZeroAsLossless) {
  EXPECT_EQ(PartsPage::ReadQ(QStringLiteral("ideal")), 0.0);
  EXPECT_EQ(PartsPage::ReadQ(QStringLiteral("0")), 0.0);
  EXPECT_EQ(PartsPage::ReadQ(QStringLiteral("")), 0.0);
  EXPECT_EQ(PartsPage::ReadQ(QStringLiteral("-5")), 0.0);
  EXPECT_EQ(PartsPage::ReadQ(QStringLiteral("200")), 200.0);
}

// The page shows the model's best pairs under the figures, and follows a change of the design.
TEST_F(PartsPageTest, ThePairsLabelShowsTheModelsBestPairs) {
  QLabel* pairs = window.partsPage()->findChild<QLabel*>(QStringLiteral("lblPairs"));
  ASSERT_NE(pairs, nullptr);
  auto expected = [this] {
    QStringList lines;
    for (const std::string& line : PairsLines(StandardPairsOf(model), StandardChoice{})) {
      lines.append(QString::fromStdString(line));
    }
    return lines.join(QLatin1Char('\n'));
  };
  EXPECT_TRUE(pairs->text().startsWith(QStringLiteral("Best pairs of standard values")));
  EXPECT_EQ(pairs->text(), expected());
  const QString before = pairs->text();
  state.NetValues[Frequency] = 7.1e6f;
  window.Update(RunDesignPass(state));
  EXPECT_EQ(pairs->text(), expected());
  EXPECT_NE(pairs->text(), before);
}

}  // namespace
}  // namespace corvantile
