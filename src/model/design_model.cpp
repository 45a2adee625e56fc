#include "model/design_model.h"

#include <cerrno>
#include <cmath>
#include <complex>
#include <cstring>
#include <fstream>
#include <iterator>
#include <system_error>

#include "analysis/formats/number_text.h"
#include "state/file_reader.h"
#include "state/file_writer.h"
#include "state/message_text.h"
#include "state/session_file.h"
#include "state/startup_values.h"

namespace corvantile {
namespace {

std::string Quoted(const std::filesystem::path& file) { return QuotedValue(file.string()); }

// The file's text, or a one-line reason it cannot be had: a regular file or a stream read once,
// within the session file's limits, so that a FIFO, a device or a huge file cannot hang or fill
// the program.
bool ReadText(const std::filesystem::path& file, std::string& text, std::string& error) {
  std::string reason;
  if (ReadTextFile(file, InputKinds::RegularOrStream, {kMaxSessionBytes, kMaxSessionBytes}, text,
                   reason)) {
    return true;
  }
  error = "cannot read session file '" + InputDisplayName(file) + "': " + reason;
  return false;
}

}  // namespace

std::string SideName(MeasuredSideKind side) {
  return side == MeasuredSideKind::Source ? "source" : "load";
}

std::string MeasuredSideText(const MeasuredSide& measured) {
  std::string text = std::filesystem::path(measured.file).filename().string();
  if (measured.port != 1) text += " port " + std::to_string(measured.port);
  return text;
}

DesignModel::DesignModel() { state_ = MakeDefaultRunState(); }

DesignModel::DesignModel(const RunState& state, const Settings& settings,
                         std::vector<std::string>* notes)
    : state_(state), settings_(settings) {
  for (const MeasuredSideKind side : {MeasuredSideKind::Source, MeasuredSideKind::Load}) {
    const std::optional<MeasuredSide> where = std::exchange(MeasuredSlot(side), std::nullopt);
    if (!where) continue;
    const std::string problem = Follow(side, *where);
    if (!problem.empty() && notes != nullptr) {
      notes->push_back("the " + SideName(side) + " no longer follows its measured file: " +
                       problem + "; it keeps its last values");
    }
  }
}

std::optional<MeasuredSide>& DesignModel::MeasuredSlot(MeasuredSideKind side) {
  return side == MeasuredSideKind::Source ? settings_.measuredSource : settings_.measuredLoad;
}

const std::optional<MeasuredSide>& DesignModel::Measured(MeasuredSideKind side) const {
  return side == MeasuredSideKind::Source ? settings_.measuredSource : settings_.measuredLoad;
}

std::shared_ptr<const TouchstonePort>& DesignModel::PortSlot(MeasuredSideKind side) {
  return side == MeasuredSideKind::Source ? sourcePort_ : loadPort_;
}

std::shared_ptr<const TouchstonePort> DesignModel::Port(MeasuredSideKind side) const {
  return side == MeasuredSideKind::Source ? sourcePort_ : loadPort_;
}

MeasuredSides DesignModel::Sides() const { return {sourcePort_.get(), loadPort_.get()}; }

std::string DesignModel::Enter(MeasuredSideKind side, const TouchstonePort& port) {
  const double hertz = static_cast<double>(state_.NetValues[Frequency]);
  if (!port.Covers(hertz)) return port.OutsideBandText(hertz);
  const std::complex<double> z = port.Impedance(hertz);
  const float resistance = static_cast<float>(z.real());
  const float reactance = static_cast<float>(z.imag());
  // A passive network cannot match a side without resistance; the typed entry needs one too.
  if (!(resistance > 0.0f) || !std::isfinite(reactance)) {
    return port.FileName() + " port " + std::to_string(port.Port()) +
           " presents no positive finite resistance at " + FrequencyText(hertz) + " (" +
           ExactNumber(z.real()) + " ohms), so it cannot be matched";
  }
  ImpedanceValues& values =
      side == MeasuredSideKind::Source ? state_.SourceValues : state_.LoadValues;
  values[SeriesR] = resistance;
  values[SeriesX] = reactance;
  values[EntryForm] = FormSeriesReactance;
  values[EntryFormCopy] = FormSeriesReactance;
  return {};
}

std::shared_ptr<const TouchstonePort> DesignModel::Load(const MeasuredSide& where,
                                                        std::string& error,
                                                        const TouchstoneData* data) {
  const auto key = std::make_pair(where.file, where.port);
  if (data == nullptr) {
    if (const auto found = read_.find(key); found != read_.end()) return found->second;
  }
  TouchstoneRead read;
  if (data == nullptr) {
    read = ReadTouchstoneFile(where.file, fileKinds_);
    if (!read.Ok()) {
      error = read.error;
      return nullptr;
    }
    data = &read.data;
  }
  if (std::string problem = TouchstonePortProblem(*data, where.port); !problem.empty()) {
    error = std::move(problem);
    return nullptr;
  }
  auto port = std::make_shared<const TouchstonePort>(*data, where.port);
  read_[key] = port;
  return port;
}

std::string DesignModel::Follow(MeasuredSideKind side, const MeasuredSide& where,
                                const TouchstoneData* data) {
  std::string error;
  std::shared_ptr<const TouchstonePort> port = Load(where, error, data);
  if (!port) return error;
  const RunState before = state_;
  if (std::string problem = Enter(side, *port); !problem.empty()) {
    state_ = before;
    return problem;
  }
  PortSlot(side) = std::move(port);
  MeasuredSlot(side) = where;
  return {};
}

void DesignModel::Unfollow(MeasuredSideKind side) {
  PortSlot(side).reset();
  MeasuredSlot(side).reset();
}

std::string DesignModel::FollowFrequency() {
  for (const MeasuredSideKind side : {MeasuredSideKind::Source, MeasuredSideKind::Load}) {
    const std::shared_ptr<const TouchstonePort> port = Port(side);
    if (!port) continue;
    if (std::string problem = Enter(side, *port); !problem.empty()) return problem;
  }
  return {};
}

std::string DesignModel::Change(const std::function<void()>& edit) {
  const DesignSnapshot before = Snapshot();
  edit();
  // A side whose measured file went away with the edit is typed: nothing to follow.
  for (const MeasuredSideKind side : {MeasuredSideKind::Source, MeasuredSideKind::Load}) {
    if (!Measured(side)) PortSlot(side).reset();
  }
  std::string problem = FollowFrequency();
  if (!problem.empty()) Restore(before);
  return problem;
}

DesignSnapshot DesignModel::Snapshot() const { return SnapshotOf(state_, settings_); }

void DesignModel::Restore(const DesignSnapshot& snapshot) {
  corvantile::Restore(snapshot, state_, settings_);
  for (const MeasuredSideKind side : {MeasuredSideKind::Source, MeasuredSideKind::Load}) {
    const std::optional<MeasuredSide>& where = Measured(side);
    if (!where) {
      PortSlot(side).reset();
      continue;
    }
    std::string error;
    PortSlot(side) = Load(*where, error);
    // A file gone since: the side keeps the snapshot's values, typed.
    if (!PortSlot(side)) MeasuredSlot(side).reset();
  }
}

DesignLoad LoadDesign(const std::filesystem::path& file, LoadPolicy policy, DesignModel& model) {
  DesignLoad load;
  std::string text;
  if (!ReadText(file, text, load.error)) return load;
  RunState state = RunState{};
  SetStartupValues(state.startup);
  if (!ReadSessionText(text, state)) {
    if (policy == LoadPolicy::Strict) {
      load.error = "the design file " + Quoted(file) +
                   " is damaged: it does not hold the circuit's 63 numbers";
      return load;
    }
    load.notes.push_back("session file " + Quoted(file) +
                         " is incomplete or holds a field that is not a number: the defaults "
                         "were stored over the values read before it");
  }
  const std::filesystem::path beside = SettingsFileFor(file.string());
  SettingsRead settings = ReadSettings(beside.string());
  if (settings.damaged) {
    if (policy == LoadPolicy::Strict) {
      load.error = "the design's settings file " + Quoted(beside) + " is damaged";
      return load;
    }
    load.notes.push_back("the settings file " + Quoted(beside) +
                         " is damaged: every side is typed and the settings are the defaults");
    settings.settings = Settings{};
  }
  // The recent-file list belongs to the program, not to a design.
  model = DesignModel(state, WithRecentFiles(settings.settings, {}), &load.notes);
  return load;
}

bool SaveDesign(const DesignModel& model, const std::filesystem::path& file, std::string& error) {
  if (!WriteFileAtomically(file, SessionFileText(model.state()), error)) return false;
  const std::filesystem::path beside = SettingsFileFor(file.string());
  return WriteFileAtomically(beside, SettingsFileText(WithRecentFiles(model.settings(), {})),
                             error);
}

}  // namespace corvantile
