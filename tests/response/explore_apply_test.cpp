// Taking an explored candidate over: the family's command, then the phase, one undo step that
// undoes to exactly the design before it; the design is then the candidate's.
#include "response/explore_apply.h"

#include <filesystem>

#include <gtest/gtest.h>

#include "analysis/studies/explore.h"
#include "design_fixture.h"

namespace corvantile {
namespace {

class ExploreApplyTest : public testing::DesignWindowTest {
 protected:
  ExploreApplyTest() {
    Load();
    recent = std::filesystem::temp_directory_path() / "corvantile_explore_apply_recent.json";
  }
  ~ExploreApplyTest() override { std::filesystem::remove(recent); }

  std::filesystem::path recent;
};

TEST_F(ExploreApplyTest, APiCandidateBecomesTheDesignInOneUndoStep) {
  DesignDocument document(model, design, window, platform, recent);
  state.NetValues[NetworkFamily] = FamilyTee;
  design.RefreshDesign();
  const RunState before = state;
  const Exploration explored = Explore(state);
  const Candidate* pi = nullptr;
  for (const Candidate& c : explored.candidates) {
    if (c.kind == CandidateKind::Pi && c.phase && *c.phase == -100.0) pi = &c;
  }
  ASSERT_NE(pi, nullptr);

  ASSERT_TRUE(ApplyExploredCandidate(state, design, &document, FamilyPi, -100.0f));
  EXPECT_EQ(state.NetValues[NetworkFamily], FamilyPi);
  EXPECT_EQ(state.NetValues[NetworkPhase], -100.0f);
  EXPECT_EQ(design.LastOutcome(), DesignOutcome::Designed);
  ASSERT_TRUE(pi->designValues);
  for (int k = NetX1; k <= NetX3; ++k) {
    EXPECT_EQ(state.NetValues[k], (*pi->designValues)[k]) << "element " << k - NetX1 + 1;
  }
  EXPECT_TRUE(document.Undo());
  EXPECT_EQ(state.NetValues, before.NetValues);
  EXPECT_FALSE(document.Undo()) << "the family and the phase are one step";
}

TEST_F(ExploreApplyTest, AnLTakesOnlyItsFamilyAndAnUnknownCodeNothing) {
  const float phase = state.NetValues[NetworkPhase];
  ASSERT_TRUE(ApplyExploredCandidate(state, design, nullptr, FamilyLowpassL, 42.0f));
  EXPECT_EQ(state.NetValues[NetworkFamily], FamilyLowpassL);
  EXPECT_NE(state.NetValues[NetworkPhase], 42.0f);
  const RunState before = state;
  EXPECT_FALSE(ApplyExploredCandidate(state, design, nullptr, 9.0f, phase));
  EXPECT_EQ(state.NetValues, before.NetValues);
}

}  // namespace
}  // namespace corvantile
