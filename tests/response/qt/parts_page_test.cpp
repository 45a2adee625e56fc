// The response window's pages: "Response" first, then "Parts", reached by Alt+digit; the Parts
// page's table shows the loss analysis' texts, and "compensate for losses" changes the sweep
// the Response page draws.
#include "response/qt/parts_page.h"

#include <filesystem>
#include <functional>

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTableWidget>
#include <QTest>

#include "model/design_answers.h"
#include "response/qt/frm_response.h"
#include "state/codes.h"
#include "support/files.h"

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

// A model typed into the page is one change of the design, shown in the table; a text that does
// not read changes nothing, stays as typed, and the line under the boxes says why.
TEST_F(PartsPageTest, AModelTextIsOneChangeAndARefusedOneChangesNothing) {
  int changes = 0;
  window.SetModelChanger([this, &changes](const std::function<void()>& edit) {
    ++changes;
    EXPECT_EQ(model.Change(edit), "");
    window.Update(RunDesignPass(state));
  });
  PartsPage* page = window.partsPage();
  QLineEdit* capacitors = page->findChild<QLineEdit*>(QStringLiteral("txtCapacitorModel"));
  ASSERT_NE(capacitors, nullptr);
  for (const char* name :
       {"txtInductorModel", "txtElement1Model", "txtElement2Model", "txtElement3Model"}) {
    QLineEdit* box = page->findChild<QLineEdit*>(QString::fromLatin1(name));
    ASSERT_NE(box, nullptr) << name;
    EXPECT_TRUE(box->focusPolicy() & Qt::TabFocus) << name;
  }
  QTest::keyClicks(capacitors, QStringLiteral("esl:20n"));
  QTest::keyClick(capacitors, Qt::Key_Return);
  EXPECT_EQ(changes, 1);
  ASSERT_TRUE(model.settings().losses);
  EXPECT_EQ(model.settings().losses->models.capacitorModel, "esl:20n");
  const int modelColumn = 11;
  ASSERT_EQ(kPartsColumns[static_cast<std::size_t>(modelColumn)], "Model");
  bool shown = false;
  for (int r = 0; r < page->table()->rowCount(); ++r) {
    const QString text = page->table()->item(r, modelColumn)->text();
    if (!text.contains(QStringLiteral("ESL 20 nH"))) continue;
    shown = true;
    EXPECT_NE(page->table()->item(r, modelColumn + 1)->text(), QStringLiteral("-"));
  }
  EXPECT_TRUE(shown);
  EXPECT_TRUE(page->modelProblem()->text().isEmpty());

  const DesignSnapshot before = model.Snapshot();
  QLineEdit* element2 = page->findChild<QLineEdit*>(QStringLiteral("txtElement2Model"));
  QTest::keyClicks(element2, QStringLiteral("esl:-1n"));
  QTest::keyClick(element2, Qt::Key_Return);
  EXPECT_EQ(changes, 1);
  EXPECT_EQ(model.Snapshot(), before);
  EXPECT_EQ(page->modelProblem()->text(),
            QStringLiteral("element 2 model: esl cannot be negative"));
  EXPECT_EQ(element2->text(), QStringLiteral("esl:-1n"));
  // Undo's snapshot brings the page back with the design.
  model.Restore(SnapshotOf(model.state(), Settings{}));
  window.Update(RunDesignPass(state));
  EXPECT_EQ(capacitors->text(), QString());
}

// "File..." makes an element a maker's measured part, as one change; a file that cannot be read
// is one line naming it, and nothing changes; "No file" takes it away again.
TEST_F(PartsPageTest, AnElementTakesAMakersFileAndGivesItBack) {
  const corvantile::testing::ScratchFolder folder;
  const std::filesystem::path file = folder.path() / "cap.s1p";
  corvantile::testing::WriteBytes(file, "# MHz S RI R 50\n1 -0.1 -0.99\n6000 -0.5 0.8\n");
  QString chosen = QString::fromStdString((folder.path() / "none.s2p").string());
  PartsPage* page = window.partsPage();
  page->SetFileChooser([&chosen](const QString&) { return chosen; });
  QPushButton* button = page->findChild<QPushButton*>(QStringLiteral("btnElement1File"));
  ASSERT_NE(button, nullptr);
  const DesignSnapshot before = model.Snapshot();
  button->click();
  EXPECT_EQ(model.Snapshot(), before);
  EXPECT_TRUE(page->modelProblem()->text().contains(QStringLiteral("none.s2p")));
  EXPECT_FALSE(page->modelProblem()->text().contains(QLatin1Char('\n')));

  chosen = QString::fromStdString(file.string());
  button->click();
  ASSERT_TRUE(model.settings().losses);
  ASSERT_TRUE(model.settings().losses->models.elementFile[0]);
  EXPECT_EQ(model.settings().losses->models.elementFile[0]->connection, PartConnection::OnePort);
  EXPECT_EQ(button->text(), QStringLiteral("No file"));
  EXPECT_EQ(page->table()->item(0, 11)->text(), QStringLiteral("file cap.s1p (1-port)"));
  button->click();
  EXPECT_FALSE(model.settings().losses->models.Any());
  EXPECT_EQ(button->text(), QStringLiteral("File..."));
}

// What the page's boxes took is what a saved design gives back: the same texts in a window on
// the design read from the file, and the same table.
TEST_F(PartsPageTest, TheModelTextsRoundTripThroughASavedDesign) {
  PartsPage* page = window.partsPage();
  const auto type = [page](const char* name, const QString& text) {
    QLineEdit* box = page->findChild<QLineEdit*>(QString::fromLatin1(name));
    QTest::keyClicks(box, text);
    QTest::keyClick(box, Qt::Key_Return);
  };
  type("txtCapacitorModel", QStringLiteral("esr:0.05,esl:0.4n"));
  type("txtElement2Model", QStringLiteral("q:60,cp:0.15p"));
  const corvantile::testing::ScratchFolder folder;
  const std::filesystem::path file = folder.path() / "real.cfg";
  std::string error;
  ASSERT_TRUE(SaveDesign(model, file, error)) << error;

  DesignModel opened;
  ASSERT_TRUE(LoadDesign(file, LoadPolicy::Strict, opened).Ok());
  FrmResponse again(opened);
  again.Update(RunDesignPass(opened.state()));
  PartsPage* other = again.partsPage();
  for (const char* name : {"txtInductorModel", "txtCapacitorModel", "txtElement1Model",
                           "txtElement2Model", "txtElement3Model"}) {
    EXPECT_EQ(other->findChild<QLineEdit*>(QString::fromLatin1(name))->text(),
              page->findChild<QLineEdit*>(QString::fromLatin1(name))->text())
        << name;
  }
  EXPECT_EQ(other->findChild<QLineEdit*>(QStringLiteral("txtElement2Model"))->text(),
            QStringLiteral("q:60,cp:0.15p"));
  ASSERT_EQ(other->table()->rowCount(), page->table()->rowCount());
  for (int r = 0; r < page->table()->rowCount(); ++r) {
    for (int c = 0; c < page->table()->columnCount(); ++c) {
      EXPECT_EQ(other->table()->item(r, c)->text(), page->table()->item(r, c)->text());
    }
  }
}

}  // namespace
}  // namespace corvantile
