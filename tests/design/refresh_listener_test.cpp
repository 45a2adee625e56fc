// The refresh listener: views that follow the design hear every RefreshDesign, once, after the
// window shows its results, with what the design pass returned.
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "design_fixture.h"

namespace corvantile {
namespace {

using testing::DesignWindowTest;

struct Heard {
  DesignOutcome outcome;
  std::string phaseCaption;  // what the window showed when the listener ran
  bool caution;
};

TEST_F(DesignWindowTest, RefreshListenerHearsEachRefreshOnceAfterTheResultsAreShown) {
  std::vector<Heard> heard;
  design.SetRefreshListener([&](DesignOutcome outcome) {
    heard.push_back({outcome, Caption("cmdPhase"), Shown("lblCaution")});
  });
  Load();
  ASSERT_EQ(heard.size(), 1u);
  EXPECT_EQ(heard[0].outcome, DesignOutcome::Designed);
  EXPECT_EQ(heard[0].phaseCaption, "Phase (r-r):  -135 deg");

  design.cmdPhasePlusOne_Click();
  ASSERT_EQ(heard.size(), 2u);
  EXPECT_EQ(heard[1].phaseCaption, "Phase (r-r):  -134 deg");

  state.NetValues[NetworkPhase] = 0.0f;  // no network has a phase of 0
  design.RefreshDesign();
  ASSERT_EQ(heard.size(), 3u);
  EXPECT_EQ(heard[2].outcome, DesignOutcome::Impossible);
  EXPECT_TRUE(heard[2].caution);
  EXPECT_EQ(design.LastOutcome(), DesignOutcome::Impossible);

  design.SetRefreshListener(nullptr);
  design.cmdTee_Click();
  EXPECT_EQ(heard.size(), 3u);
}

TEST_F(DesignWindowTest, LastOutcomeIsNotDesignedBeforeTheFirstRefresh) {
  EXPECT_EQ(design.LastOutcome(), DesignOutcome::NotDesigned);
  state.NetValues[DesignMode] = -1.0f;  // derive part values only
  Load();
  EXPECT_EQ(design.LastOutcome(), DesignOutcome::NotDesigned);
}

}  // namespace
}  // namespace corvantile
