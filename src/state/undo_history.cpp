#include "state/undo_history.h"

namespace corvantile {

DesignSnapshot SnapshotOf(const RunState& state, const Settings& settings) {
  return DesignSnapshot{state.SourceValues, state.NetValues, state.LoadValues, settings};
}

void Restore(const DesignSnapshot& snapshot, RunState& state, Settings& settings) {
  state.SourceValues = snapshot.SourceValues;
  state.NetValues = snapshot.NetValues;
  state.LoadValues = snapshot.LoadValues;
  settings = snapshot.settings;
}

void UndoHistory::Record(const DesignSnapshot& before, const DesignSnapshot& after) {
  if (before == after) return;
  undo_.push_back(before);
  if (undo_.size() > depth_) undo_.pop_front();
  redo_.clear();
}

std::optional<DesignSnapshot> UndoHistory::Undo(const DesignSnapshot& current) {
  if (undo_.empty()) return std::nullopt;
  DesignSnapshot back = std::move(undo_.back());
  undo_.pop_back();
  redo_.push_back(current);
  return back;
}

std::optional<DesignSnapshot> UndoHistory::Redo(const DesignSnapshot& current) {
  if (redo_.empty()) return std::nullopt;
  DesignSnapshot forward = std::move(redo_.back());
  redo_.pop_back();
  undo_.push_back(current);
  if (undo_.size() > depth_) undo_.pop_front();
  return forward;
}

void UndoHistory::Clear() {
  undo_.clear();
  redo_.clear();
}

}  // namespace corvantile
