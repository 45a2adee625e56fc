// The design file's name and what leaving does to it, on the recording toolkit: "Save as"
// completes a name to a .cfg file whose settings file is its own, and a changed design file is
// saved, left or kept open as the user answers before the program ends.
#include "design/design_document.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <ostream>
#include <string>

#include <gtest/gtest.h>

#include "design_fixture.h"
#include "state/session_file.h"
#include "state/settings_file.h"

namespace corvantile {
namespace {

struct NameCase {
  const char* chosen;
  const char* saved;
};

void PrintTo(const NameCase& c, std::ostream* os) { *os << c.chosen; }

class DesignExtensionTest : public ::testing::TestWithParam<NameCase> {};

TEST_P(DesignExtensionTest, SavedNameIsADesignFileWithItsOwnSettings) {
  const std::filesystem::path saved = WithDesignExtension(GetParam().chosen);
  EXPECT_EQ(saved, std::filesystem::path(GetParam().saved));
  // The settings file beside the design is never the design itself, and a name with another
  // extension does not share the settings of the same name with .cfg.
  EXPECT_NE(SettingsFileFor(saved.string()), saved.string());
  std::filesystem::path plain = GetParam().chosen;
  if (plain.has_extension() && saved != plain) {
    plain.replace_extension(".cfg");
    EXPECT_NE(SettingsFileFor(saved.string()), SettingsFileFor(plain.string()));
  }
}

INSTANTIATE_TEST_SUITE_P(
    Names, DesignExtensionTest,
    ::testing::Values(NameCase{"tee_design", "tee_design.cfg"},
                      NameCase{"/home/ham/tee_design", "/home/ham/tee_design.cfg"},
                      NameCase{"designs.2024/tank", "designs.2024/tank.cfg"},
                      NameCase{"tank.cfg", "tank.cfg"}, NameCase{"tank.CFG", "tank.CFG"},
                      NameCase{"tank.Cfg", "tank.Cfg"}, NameCase{"tank.txt", "tank.txt.cfg"},
                      NameCase{"tank.json", "tank.json.cfg"},
                      NameCase{"LastSession.CFG", "LastSession.CFG"}));

std::string Bytes(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class LeavingTest : public testing::DesignWindowTest {
 protected:
  LeavingTest() {
    Load();
    std::filesystem::create_directories(dir);
  }
  ~LeavingTest() override { std::filesystem::remove_all(dir); }

  const std::filesystem::path dir =
      std::filesystem::temp_directory_path() / "corvantile_design_document_test";
  const std::filesystem::path tank = dir / "tank.cfg";
  DesignDocument document{model, design, window, platform, dir / "LastSession.json"};
};

TEST_F(LeavingTest, NothingToLoseAsksNothing) {
  EXPECT_TRUE(document.ReadyToClose()) << "no design file open";
  document.Change([&] { design.Click("cmdTee"); });
  EXPECT_TRUE(document.ReadyToClose()) << "changes without a file are the session's";
  ASSERT_TRUE(document.SaveAs(tank));
  EXPECT_TRUE(document.ReadyToClose()) << "saved as it is";
  document.Change([&] { design.Click("cmdPi"); });
  document.Undo();
  EXPECT_TRUE(document.ReadyToClose()) << "back to what the file holds";
  EXPECT_TRUE(platform.questions().empty());
}

struct AnswerCase {
  const char* name;
  toolkit::SaveAnswer answer;
  bool closes;
  bool fileHoldsTheChange;
};

void PrintTo(const AnswerCase& c, std::ostream* os) { *os << c.name; }

class AnswerTest : public LeavingTest, public ::testing::WithParamInterface<AnswerCase> {};

TEST_P(AnswerTest, ChangedDesignFileIsSavedLeftOrKeptOpen) {
  ASSERT_TRUE(document.SaveAs(tank));
  const std::string before = Bytes(tank);
  document.Change([&] { design.Click("cmdHPFL"); });
  ASSERT_TRUE(document.IsModified());
  ASSERT_TRUE(window.caption().ends_with("tank.cfg*")) << window.caption();
  const RunState changed = state;

  platform.saveAnswer = GetParam().answer;
  EXPECT_EQ(document.ReadyToClose(), GetParam().closes);
  ASSERT_EQ(platform.questions().size(), 1u);
  EXPECT_NE(platform.questions()[0].find("tank.cfg"), std::string::npos) << platform.questions()[0];
  EXPECT_EQ(state.NetValues, changed.NetValues) << "answering changes no design";
  EXPECT_EQ(Bytes(tank), GetParam().fileHoldsTheChange ? SessionFileText(changed) : before);
  EXPECT_EQ(document.IsModified(), !GetParam().fileHoldsTheChange);
  EXPECT_EQ(window.caption().ends_with("*"), !GetParam().fileHoldsTheChange);
  EXPECT_TRUE(platform.messages().empty());
}

INSTANTIATE_TEST_SUITE_P(
    Answers, AnswerTest,
    ::testing::Values(AnswerCase{"Save", toolkit::SaveAnswer::Save, true, true},
                      AnswerCase{"Discard", toolkit::SaveAnswer::Discard, true, false},
                      AnswerCase{"Cancel", toolkit::SaveAnswer::Cancel, false, false}),
    [](const ::testing::TestParamInfo<AnswerCase>& param) {
      return std::string(param.param.name);
    });

// A save that fails keeps the program running, so the changes are not lost.
TEST_F(LeavingTest, SaveThatFailsKeepsTheProgramRunning) {
  const std::filesystem::path gone = dir / "gone";
  std::filesystem::create_directories(gone);
  ASSERT_TRUE(document.SaveAs(gone / "tank.cfg"));
  document.Change([&] { design.Click("cmdTee"); });
  std::filesystem::remove_all(gone);
  platform.saveAnswer = toolkit::SaveAnswer::Save;
  EXPECT_FALSE(document.ReadyToClose());
  ASSERT_EQ(platform.messages().size(), 1u);
  // One line that names the file and the system's reason.
  const std::string& message = platform.messages()[0];
  EXPECT_NE(message.find("could not be saved"), std::string::npos) << message;
  EXPECT_NE(message.find("tank.cfg"), std::string::npos) << message;
  EXPECT_NE(message.find("No such file or directory"), std::string::npos) << message;
  EXPECT_EQ(message.find('\n'), std::string::npos) << message;
  EXPECT_TRUE(document.IsModified());
}

}  // namespace
}  // namespace corvantile
