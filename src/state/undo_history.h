#pragma once

// Undo and redo over whole design states: the 63 values of the run state and the settings file's
// contents. The window records the state before every change; a change that left everything as
// it was (a refused command, a dialog closed without a change) adds no step.
//
//   UndoHistory history;
//   history.Record(before, after);      // before != after: one step
//   history.Undo(current) -> before     // and `current` becomes redoable
#include <cstddef>
#include <deque>
#include <optional>
#include <vector>

#include "state/circuit_state.h"
#include "state/settings_file.h"

namespace corvantile {

// What one step restores.
struct DesignSnapshot {
  ImpedanceValues SourceValues{};
  NetworkValues NetValues{};
  ImpedanceValues LoadValues{};
  Settings settings;

  friend bool operator==(const DesignSnapshot&, const DesignSnapshot&) = default;
};

// The snapshot of a run state and its settings.
DesignSnapshot SnapshotOf(const RunState& state, const Settings& settings);

// Puts a snapshot's values back into a run state (the start-up values and EntryKind stay).
void Restore(const DesignSnapshot& snapshot, RunState& state, Settings& settings);

class UndoHistory {
 public:
  static constexpr std::size_t kDefaultDepth = 200;
  explicit UndoHistory(std::size_t depth = kDefaultDepth) : depth_(depth < 1 ? 1 : depth) {}

  // Records a change from `before` to `after`; nothing when they are equal. A new change
  // forgets what could be redone. Past the depth, the oldest step goes.
  void Record(const DesignSnapshot& before, const DesignSnapshot& after);

  bool CanUndo() const { return !undo_.empty(); }
  bool CanRedo() const { return !redo_.empty(); }
  std::size_t UndoCount() const { return undo_.size(); }
  std::size_t RedoCount() const { return redo_.size(); }

  // The state to go back to, given the one on the screen (which becomes redoable); none when
  // there is nothing to undo.
  std::optional<DesignSnapshot> Undo(const DesignSnapshot& current);
  // The state to go forward to (the current one becomes undoable again); none at the newest.
  std::optional<DesignSnapshot> Redo(const DesignSnapshot& current);

  void Clear();

 private:
  std::size_t depth_;
  std::deque<DesignSnapshot> undo_;
  std::vector<DesignSnapshot> redo_;
};

}  // namespace corvantile
