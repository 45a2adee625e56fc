// The design's part models: the settings' texts and files read into every answer, a text or a
// file that cannot be read refused as one change, and a part file read once for undo.
#include <filesystem>
#include <string>

#include <gtest/gtest.h>

#include "analysis/circuits/part_model_text.h"
#include "model/design_answers.h"
#include "model/design_model.h"
#include "support/files.h"

namespace corvantile {
namespace {

// A 1-port of a capacitor-like part from 200 MHz to 6 GHz.
constexpr const char* kCapFile = "# MHz S RI R 50\n200 -0.1 -0.99\n6000 -0.5 0.8\n";

DesignModel At433() {
  DesignModel model;
  model.Change([&] { model.state().NetValues[Frequency] = 433e6f; });
  return model;
}

TEST(PartModelsModel, TheTextsReachEveryAnswer) {
  DesignModel model = At433();
  LossSettings losses;
  losses.capacitorQ = 500.0;
  losses.models.capacitorModel = "esr:0.05,esl:0.4n";
  losses.models.elementModel[1] = "q:60,cp:0.15p";
  ASSERT_EQ(model.Change([&] { model.settings().losses = losses; }), "");
  const LossModel parts = PartLosses(model);
  const PartQ c = ElementQ(parts, 1, PartKind::Capacitor);
  EXPECT_EQ(c.q0, 500.0);
  EXPECT_EQ(c.esr, 0.05);
  EXPECT_DOUBLE_EQ(c.esl, 0.4e-9);
  // Element 2's own model replaces its kind's whole, and its q: is its own Q.
  const PartQ two = ElementQ(parts, 2, PartKind::Capacitor);
  EXPECT_EQ(two.q0, 60.0);
  EXPECT_EQ(two.esl, 0.0);
  EXPECT_DOUBLE_EQ(two.cp, 0.15e-12);
  // Part models alone switch the losses on.
  losses.capacitorQ = 0.0;
  EXPECT_TRUE(LossesSwitchedOn(losses));
}

TEST(PartModelsModel, ARefusedTextChangesNothing) {
  DesignModel model = At433();
  LossSettings good;
  good.models.inductorModel = "cp:0.2p";
  ASSERT_EQ(model.Change([&] { model.settings().losses = good; }), "");
  const DesignSnapshot before = model.Snapshot();
  LossSettings bad = good;
  bad.models.elementModel[2] = "esl:-1n";
  EXPECT_EQ(model.Change([&] { model.settings().losses = bad; }),
            "element 3 model: esl cannot be negative");
  EXPECT_EQ(model.Snapshot(), before);
  bad = good;
  bad.models.elementModel[0] = "law:0.5";  // an element keeps its kind's law
  EXPECT_NE(model.Change([&] { model.settings().losses = bad; }), "");
  EXPECT_EQ(model.Snapshot(), before);
}

TEST(PartModelsModel, AnUnreadableFileIsOneLineAndChangesNothing) {
  DesignModel model = At433();
  const DesignSnapshot before = model.Snapshot();
  LossSettings losses;
  losses.models.elementFile[1] = PartFileSetting{"/nowhere/cap.s1p", PartConnection::OnePort};
  const std::string problem = model.Change([&] { model.settings().losses = losses; });
  EXPECT_NE(problem.find("cap.s1p"), std::string::npos) << problem;
  EXPECT_TRUE(problem.starts_with("element 2: ")) << problem;
  EXPECT_EQ(problem.find('\n'), std::string::npos);
  EXPECT_EQ(model.Snapshot(), before);
  EXPECT_EQ(model.PartFileOf(2), nullptr);
}

TEST(PartModelsModel, APartFileIsReadOnceSoUndoNeedsNoFile) {
  const corvantile::testing::ScratchFolder folder;
  const std::filesystem::path file = folder.path() / "cap.s1p";
  corvantile::testing::WriteBytes(file, kCapFile);
  DesignModel model = At433();
  const DesignSnapshot plain = model.Snapshot();
  LossSettings losses;
  losses.models.elementFile[0] = PartFileSetting{file.string(), PartConnection::OnePort};
  ASSERT_EQ(model.Change([&] { model.settings().losses = losses; }), "");
  ASSERT_NE(model.PartFileOf(1), nullptr);
  const std::shared_ptr<const PartFile> read = model.PartFileOf(1);
  const DesignSnapshot withFile = model.Snapshot();
  std::filesystem::remove(file);
  model.Restore(plain);
  EXPECT_EQ(model.PartFileOf(1), nullptr);
  model.Restore(withFile);
  EXPECT_EQ(model.PartFileOf(1), read);
  EXPECT_EQ(ElementQ(PartLosses(model), 1, PartKind::Capacitor).file, read);
  // A design opened with a file gone since keeps its Q and says why the models went.
  std::vector<std::string> notes;
  const DesignModel opened(model.state(), model.settings(), &notes);
  ASSERT_EQ(notes.size(), 1u);
  EXPECT_NE(notes[0].find("cap.s1p"), std::string::npos) << notes[0];
  EXPECT_FALSE(opened.settings().losses->models.Any());
}

}  // namespace
}  // namespace corvantile
