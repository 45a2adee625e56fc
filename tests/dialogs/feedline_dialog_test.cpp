// The feedline dialog's logic: the form it shows for a line and the line it makes of a form, and
// the command's flow through the design document on the recording toolkit (one undo step, or a
// refusal that changes nothing and says why).
#include "dialogs/feedline_dialog.h"

#include <string>

#include <gtest/gtest.h>

#include "design/design_controls.h"
#include "design/design_document.h"
#include "design/design_window.h"
#include "support/files.h"
#include "toolkit/recording_toolkit.h"

namespace corvantile {
namespace {

std::size_t CableIndex(std::string_view name) {
  return static_cast<std::size_t>(FindCable(name) - CableTable().data());
}

struct TextCase {
  const char* line;  // as the model holds it
  bool typed;        // read as typed figures, not a cable of the table
  const char* figures;
  const char* length;
  bool feet;
  const char* written;  // what the form gives back
};

class FeedlineFormText : public ::testing::TestWithParam<TextCase> {};

// A line put in through the model shows in the dialog as the user would have chosen it, and the
// dialog gives the same line back.
TEST_P(FeedlineFormText, ShowsTheModelsLineAndGivesItBack) {
  const TextCase& c = GetParam();
  DesignModel model;
  ASSERT_EQ(model.PutFeedline(c.line, MeasuredSideKind::Source), "");
  const FeedlineForm form = FeedlineFormOf(model);
  EXPECT_FALSE(form.none);
  EXPECT_TRUE(form.atSource);
  EXPECT_EQ(form.cable == CableTable().size(), c.typed);
  EXPECT_EQ(form.figures, c.figures);
  EXPECT_EQ(form.length, c.length);
  EXPECT_EQ(form.feet, c.feet);
  std::string text, error;
  ASSERT_TRUE(FeedlineTextOf(form, text, error)) << error;
  EXPECT_EQ(text, c.written);
}

INSTANTIATE_TEST_SUITE_P(
    Lines, FeedlineFormText,
    ::testing::Values(TextCase{"RG-213:30", false, "", "30", false, "RG-213:30"},
                      TextCase{"rg58:98.4ft", false, "", "98.4", true, "RG-58:98.4ft"},
                      TextCase{"LMR-400:12.5m", false, "", "12.5", false, "LMR-400:12.5"},
                      TextCase{"50:0.66:0.6@10M,2.2@100M/100ft:30", true,
                               "50:0.66:0.6@10M,2.2@100M/100ft", "30", false,
                               "50:0.66:0.6@10M,2.2@100M/100ft:30"},
                      TextCase{"75:0.8:0:100ft", true, "75:0.8:0", "100", true, "75:0.8:0:100ft"}));

TEST(FeedlineForm, WithoutALineShowsNoFeedlineOverACommonCable) {
  const DesignModel model;
  const FeedlineForm form = FeedlineFormOf(model);
  EXPECT_TRUE(form.none);
  EXPECT_EQ(form.cable, CableIndex("RG-213"));
  EXPECT_FALSE(form.atSource);
  const std::vector<std::string> choices = FeedlineCableChoices();
  ASSERT_EQ(choices.size(), CableTable().size() + 1);
  EXPECT_EQ(choices[form.cable], "RG-213");
  EXPECT_EQ(choices.back(), kTypedFigures);
}

class FeedlineBadLength : public ::testing::TestWithParam<const char*> {};

TEST_P(FeedlineBadLength, IsRefusedInOneLine) {
  FeedlineForm form;
  form.none = false;
  form.length = GetParam();
  std::string text, error;
  EXPECT_FALSE(FeedlineTextOf(form, text, error));
  EXPECT_NE(error.find("length"), std::string::npos) << error;
  EXPECT_EQ(error.find('\n'), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(Lengths, FeedlineBadLength,
                         ::testing::Values("", "abc", "0", "-3", "1e999", "30 m", "30,5", "nan"));

// The command through the design document: OK is one undo step, undo and redo take the line
// away and back, and a refused line changes nothing, adds no step and says why.
class FeedlineFlow : public ::testing::Test {
 protected:
  FeedlineFlow() {
    ApplyDesignTimeState(window);
    design.FormLoad();
  }
  // As the window's command does: the form through the model, then the window refreshed.
  bool Apply(const FeedlineForm& form) {
    return document.Change([&] {
      if (const std::string problem = ApplyFeedlineForm(model, form); !problem.empty()) {
        platform.ShowMessage(problem);
        return;
      }
      design.RefreshDesign();
    });
  }

  corvantile::testing::ScratchFolder folder;
  DesignModel model;
  toolkit::RecordingWindow window;
  toolkit::RecordingPlatform platform;
  DesignWindow design{model.state(), window, platform};
  DesignDocument document{model, design, window, platform, folder.path() / "LastSession.json"};
};

TEST_F(FeedlineFlow, OkIsOneUndoStepAndARefusalNone) {
  const ImpedanceValues typed = model.state().LoadValues;
  FeedlineForm form = FeedlineFormOf(model);
  form.none = false;
  form.length = "100";
  form.feet = true;
  ASSERT_TRUE(Apply(form));
  EXPECT_EQ(document.history().UndoCount(), 1u);
  EXPECT_EQ(model.FeedlineText(MeasuredSideKind::Load), "through 100 ft of RG-213");

  const DesignSnapshot lined = model.Snapshot();
  form.cable = CableTable().size();
  form.figures = "50:1.2:0";  // a velocity factor above 1
  Apply(form);
  EXPECT_EQ(document.history().UndoCount(), 1u);
  EXPECT_EQ(model.Snapshot(), lined);
  ASSERT_EQ(platform.messages().size(), 1u);
  EXPECT_NE(platform.messages()[0].find("velocity factor"), std::string::npos);

  ASSERT_TRUE(document.Undo());
  EXPECT_FALSE(model.Feedline());
  EXPECT_EQ(model.state().LoadValues, typed);
  ASSERT_TRUE(document.Redo());
  EXPECT_EQ(model.Snapshot(), lined);

  form.none = true;
  ASSERT_TRUE(Apply(form));
  EXPECT_EQ(model.state().LoadValues, typed);
  EXPECT_EQ(document.history().UndoCount(), 2u);
}

}  // namespace
}  // namespace corvantile
