// A long random session of the design window's logic on the recording toolkit: a seeded
// sequence of commands with random text typed into every dialog, checked against the model
// after every step, ended with Exit whose file must hold every value. `make test` runs a
// short session; `make fuzz` sets CORVANTILE_SESSION_COMMANDS for a long one.
#include "random_session.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "design/design_controls.h"
#include "design/design_window.h"
#include "hardening_support.h"
#include "state/session_file.h"
#include "toolkit/recording_toolkit.h"

namespace corvantile::hardening {
namespace {

using toolkit::DialogId;

constexpr int kShortSession = 3000;

class RandomSession : public ::testing::TestWithParam<std::uint32_t> {};

TEST_P(RandomSession, EveryStepFollowsTheModelAndExitKeepsEveryValue) {
  const int commands = SessionCommands(kShortSession);
  const std::uint32_t seed = SessionSeed(GetParam());
  SessionScript script(seed, /*textOnly=*/false);

  RunState state = MakeDefaultRunState();
  toolkit::RecordingWindow window;
  toolkit::RecordingPlatform platform;
  ApplyDesignTimeState(window);
  DesignWindow design(state, window, platform);
  SessionStep step;
  platform.onDialog = [&](DialogId id) { RunDialog(id, state, platform.screen(), step.input); };
  design.FormLoad();
  SessionModel model(MakeDefaultRunState(), platform.screen());

  int dialogs = 0;
  int cautions = 0;
  for (int n = 0; n < commands; ++n) {
    step = script.Next();
    DialogId expectedDialog{};
    const SessionModel::Shows shows = model.WhatCommandShows(step.command, expectedDialog);
    const std::size_t dialogsBefore = platform.dialogs().size();
    const std::size_t messagesBefore = platform.messages().size();
    ASSERT_TRUE(design.Click(step.command)) << step.command;
    model.Apply(step);

    const bool dialogShown = platform.dialogs().size() == dialogsBefore + 1;
    ASSERT_EQ(dialogShown, shows == SessionModel::Shows::Dialog)
        << "seed " << seed << ", step " << n << " " << step.command;
    if (dialogShown) {
      ASSERT_EQ(platform.dialogs().back(), expectedDialog);
      ++dialogs;
    }
    ASSERT_EQ(platform.messages().size(),
              messagesBefore + (shows == SessionModel::Shows::Message ? 1 : 0))
        << "seed " << seed << ", step " << n << " " << step.command;
    const std::vector<std::string> problems = CheckAfterStep(window, state, model);
    ASSERT_TRUE(problems.empty()) << "seed " << seed << ", step " << n << " " << step.command
                                  << " with '" << step.input.text1.substr(0, 40) << "', '"
                                  << step.input.text2.substr(0, 40) << "': " << problems.front();
    if (model.CautionShown()) ++cautions;
    // The schematic stays on the layout and its captions stay short and finite.
    for (const toolkit::DrawCall& call : window.surface().calls()) {
      if (call.kind == toolkit::DrawCall::Kind::Print) {
        ASSERT_LE(call.text.size(), 19u) << "step " << n << ": " << call.text;  // 16 and "deg"
        std::string lower = call.text;
        for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        ASSERT_EQ(lower.find("nan"), std::string::npos) << call.text;
        ASSERT_EQ(lower.find("inf"), std::string::npos) << call.text;
      }
      if (call.kind == toolkit::DrawCall::Kind::Line || call.kind == toolkit::DrawCall::Kind::Arc) {
        ASSERT_GE(std::min(call.x1, call.x2), 0) << "step " << n;
        ASSERT_LE(std::max(call.x1, call.x2), 12000) << "step " << n;
        ASSERT_GE(call.y1, 0) << "step " << n;
        ASSERT_LE(call.y1, 9000) << "step " << n;
      }
    }
  }
  // The script reaches the dialogs, and both designs that work and designs that fail.
  EXPECT_GT(dialogs, commands / 4);
  EXPECT_GT(cautions, 0);
  EXPECT_LT(cautions, commands);
  std::printf("%d commands, %d dialogs, %d ending in the caution state\n", commands, dialogs,
              cautions);

  ScratchFolder folder;
  InWorkingDirectory(folder.path(), [&] { design.cmdExit_Click(); });
  EXPECT_TRUE(platform.quit());
  EXPECT_TRUE(platform.messages().empty() ||
              !platform.messages().back().starts_with(kSessionWriteFailedMessage));
  EXPECT_EQ(CheckExitFile(ReadBytes(folder.path() / kSessionFileName), state), "");
  RecordProperty("commands", commands);
}

INSTANTIATE_TEST_SUITE_P(Seeds, RandomSession, ::testing::Values(1u, 20240611u));

}  // namespace
}  // namespace corvantile::hardening
