#include "state/undo_history.h"

#include <random>
#include <vector>

#include <gtest/gtest.h>

namespace corvantile {
namespace {

DesignSnapshot WithPower(float watts) {
  DesignSnapshot snapshot = SnapshotOf(MakeDefaultRunState(), Settings{});
  snapshot.NetValues[Power] = watts;
  return snapshot;
}

TEST(UndoHistory, AChangeThatChangedNothingAddsNoStep) {
  UndoHistory history;
  history.Record(WithPower(1000), WithPower(1000));
  EXPECT_FALSE(history.CanUndo());
  DesignSnapshot measured = WithPower(1000);
  measured.settings.measuredLoad = MeasuredSide{"a.s1p", 1};
  history.Record(WithPower(1000), measured);  // a settings-only change is a step
  EXPECT_EQ(history.UndoCount(), 1u);
}

// Against a plain model: the list of states and a cursor. Random changes, undos and redos must
// always put back exactly the state the model holds.
TEST(UndoHistory, FollowsAListOfStatesWithACursorOverRandomEdits) {
  constexpr std::size_t kDepth = 100;
  UndoHistory history(kDepth);
  std::vector<DesignSnapshot> states{WithPower(0)};
  std::size_t cursor = 0;
  std::size_t oldest = 0;  // states before this one fell off the history
  DesignSnapshot current = states[0];
  std::mt19937 random(12345);
  for (int step = 0; step < 5000; ++step) {
    const int action = static_cast<int>(random() % 3);
    if (action == 0) {
      const DesignSnapshot next = WithPower(static_cast<float>(step + 1));
      history.Record(current, next);
      states.resize(cursor + 1);
      states.push_back(next);
      ++cursor;
      if (cursor - oldest > kDepth) oldest = cursor - kDepth;
      current = next;
    } else if (action == 1) {
      const auto back = history.Undo(current);
      ASSERT_EQ(back.has_value(), cursor > oldest) << "step " << step;
      if (back) {
        current = states[--cursor];
        ASSERT_EQ(*back, current);
      }
    } else {
      const auto forward = history.Redo(current);
      ASSERT_EQ(forward.has_value(), cursor + 1 < states.size()) << "step " << step;
      if (forward) {
        current = states[++cursor];
        ASSERT_EQ(*forward, current);
      }
    }
    ASSERT_EQ(history.UndoCount(), cursor - oldest);
    ASSERT_EQ(history.RedoCount(), states.size() - 1 - cursor);
  }
}

TEST(UndoHistory, RestoreLeavesTheStartupValuesAndEntryKind) {
  RunState state = MakeDefaultRunState();
  state.EntryKind = 3;
  Settings settings;
  DesignSnapshot snapshot = WithPower(5);
  snapshot.settings.measuredSource = MeasuredSide{"s.s2p", 2};
  Restore(snapshot, state, settings);
  EXPECT_EQ(state.NetValues[Power], 5.0f);
  EXPECT_EQ(state.EntryKind, 3);
  EXPECT_EQ(settings, snapshot.settings);
  EXPECT_EQ(SnapshotOf(state, settings), snapshot);
}

}  // namespace
}  // namespace corvantile
