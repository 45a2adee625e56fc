// "Feedline..." through the real design window, offscreen: the dialog's answer is the test's own
// (or the real dialog's controls, set as a user would), the message box a recorder.
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>

#include "design/design_controls.h"
#include "design/qt/frm_design.h"
#include "dialogs/qt/frm_feedline.h"
#include "model/design_model.h"
#include "toolkit/qt/qt_platform.h"

namespace corvantile {
namespace {

class RecordingPlatform : public toolkit::QtPlatform {
 public:
  RecordingPlatform() : QtPlatform(toolkit::ScreenTwips::FromPixels(1024, 768)) {}
  void ShowMessage(const std::string& text) override { messages.push_back(text); }
  std::vector<std::string> messages;
};

// 30 m (say) of RG-213 on the load's side or the source's.
FeedlineForm Line(std::string length, bool atSource = false) {
  FeedlineForm form;
  form.none = false;
  form.cable = static_cast<std::size_t>(FindCable("RG-213") - CableTable().data());
  form.length = std::move(length);
  form.atSource = atSource;
  return form;
}

class FeedlineCommandTest : public ::testing::Test {
 protected:
  FeedlineCommandTest()
      : design(model, platform,
               std::filesystem::path(folder.path().toStdString()) / "LastSession.json") {
    design.SetFeedlineChooser([this](const FeedlineForm& form) -> std::optional<FeedlineForm> {
      shown = form;
      return answer;
    });
    design.Load();
  }

  void Click(std::string_view name) {
    QTest::mouseClick(design.window().Find(name).widget(), Qt::LeftButton);
  }
  std::string Label(std::string_view name) {
    return design.window().Find(name).widget()->property("text").toString().toStdString();
  }

  QTemporaryDir folder;
  DesignModel model;
  RecordingPlatform platform;
  FrmDesign design;
  FeedlineForm shown;
  std::optional<FeedlineForm> answer;
};

TEST_F(FeedlineCommandTest, OkPutsTheLineInAsOneUndoStepAndTheLabelSaysSo) {
  const ImpedanceValues typed = model.state().LoadValues;
  answer = Line("30");
  Click(kFeedlineButtonName);
  EXPECT_TRUE(shown.none) << "no line yet";
  EXPECT_TRUE(platform.messages.empty());
  EXPECT_EQ(Label(kMeasuredLoadLabelName), "through 30 m of RG-213");
  EXPECT_EQ(Label(kMeasuredSourceLabelName), "");
  EXPECT_NE(model.state().LoadValues, typed);
  EXPECT_EQ(design.document().history().UndoCount(), 1u);

  // Opened again it shows the line; cancelled, nothing changes.
  answer.reset();
  Click(kFeedlineButtonName);
  EXPECT_FALSE(shown.none);
  EXPECT_EQ(shown.length, "30");
  EXPECT_EQ(design.document().history().UndoCount(), 1u);

  design.Undo();
  EXPECT_EQ(model.state().LoadValues, typed);
  EXPECT_EQ(Label(kMeasuredLoadLabelName), "");
}

TEST_F(FeedlineCommandTest, ARefusedLineSaysWhyInOneLineAndChangesNothing) {
  answer = Line("30");
  answer->cable = CableTable().size();
  answer->figures = "50:0.66:x@10M";
  const DesignSnapshot before = model.Snapshot();
  Click(kFeedlineButtonName);
  ASSERT_EQ(platform.messages.size(), 1u);
  EXPECT_NE(platform.messages[0].find("LOSS@FREQ"), std::string::npos) << platform.messages[0];
  EXPECT_EQ(platform.messages[0].find('\n'), std::string::npos);
  EXPECT_EQ(model.Snapshot(), before);
  EXPECT_EQ(design.document().history().UndoCount(), 0u);
}

// Typing the side behind the line anew takes the line away: the side is then what was typed.
TEST_F(FeedlineCommandTest, TypingTheSideAnewTakesTheLineAway) {
  answer = Line("30", true);
  Click(kFeedlineButtonName);
  ASSERT_TRUE(model.Feedline());
  EXPECT_EQ(Label(kMeasuredSourceLabelName), "through 30 m of RG-213");
  platform.RegisterDialog(toolkit::DialogId::Source,
                          [this] { model.state().SourceValues[SeriesR] = 75.0f; });
  Click("CommandSource1");
  EXPECT_FALSE(model.Feedline());
  EXPECT_EQ(Label(kMeasuredSourceLabelName), "");
}

// The button follows the load's "Measured..." in the tab order, so the keyboard reaches it.
TEST_F(FeedlineCommandTest, TabReachesTheButtonAfterTheLoadsMeasuredCommand) {
  QWidget* after = design.window().Find(kMeasuredLoadButtonName).widget();
  QWidget* next = after->nextInFocusChain();
  while (next->focusPolicy() != Qt::StrongFocus) next = next->nextInFocusChain();
  EXPECT_EQ(next->objectName().toStdString(), kFeedlineButtonName);
  EXPECT_FALSE(design.window().Find(kFeedlineButtonName).widget()->toolTip().isEmpty());
}

// The dialog itself: it shows a form, its controls give the form back, and "No feedline" greys
// out the rest; the figures box is for typed figures only.
TEST(FrmFeedlineTest, ItsControlsGiveTheFormBack) {
  FeedlineForm form;
  form.none = false;
  form.cable = CableTable().size();
  form.figures = "75:0.8:0";
  form.length = "100";
  form.feet = true;
  form.atSource = true;
  FrmFeedline dialog(form);
  EXPECT_EQ(dialog.Form(), form);
  auto* figures = dialog.findChild<QLineEdit*>(QStringLiteral("txtFigures"));
  auto* cable = dialog.findChild<QComboBox*>(QStringLiteral("cboCable"));
  auto* none = dialog.findChild<QCheckBox*>(QStringLiteral("chkNoFeedline"));
  auto* load = dialog.findChild<QRadioButton*>(QStringLiteral("optLoad"));
  ASSERT_TRUE(figures && cable && none && load);
  EXPECT_TRUE(figures->isEnabled());
  EXPECT_EQ(cable->count(), static_cast<int>(CableTable().size()) + 1);
  cable->setCurrentIndex(0);
  EXPECT_FALSE(figures->isEnabled());
  load->setChecked(true);
  auto* length = dialog.findChild<QLineEdit*>(QStringLiteral("txtLength"));
  length->clear();
  QTest::keyClicks(length, "12.5");
  const FeedlineForm chosen = dialog.Form();
  EXPECT_EQ(chosen.cable, 0u);
  EXPECT_EQ(chosen.length, "12.5");
  EXPECT_FALSE(chosen.atSource);
  none->setChecked(true);
  EXPECT_FALSE(cable->isEnabled());
  EXPECT_FALSE(length->isEnabled());
  EXPECT_TRUE(dialog.Form().none);
}

}  // namespace
}  // namespace corvantile
