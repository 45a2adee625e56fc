#include "model/design_model.h"

#include <cerrno>
#include <cmath>
#include <complex>
#include <cstring>
#include <fstream>
#include <iterator>
#include <system_error>

#include "analysis/circuits/matching_circuit.h"
#include "analysis/circuits/part_model_text.h"
#include "analysis/formats/number_text.h"
#include "analysis/solvers/line_embedding.h"
#include "state/file_reader.h"
#include "state/file_writer.h"
#include "state/message_text.h"
#include "state/session_file.h"
#include "state/startup_values.h"
#include "units/constants.h"

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

// A typed side's impedance over frequency from its entry values; false when it has no positive
// resistance.
bool TypedImpedance(const RunState& state, MeasuredSideKind side, const ImpedanceValues& values,
                    std::function<std::complex<double>(double)>& impedance) {
  const bool source = side == MeasuredSideKind::Source;
  RunState far = state;
  (source ? far.SourceValues : far.LoadValues) = values;
  const double f0 = static_cast<double>(state.NetValues[Frequency]);
  Termination typed;
  if (TypedTermination(far, source, kTwoPi * f0, typed) != CircuitProblem::None) return false;
  impedance = [typed](double hertz) { return TerminationImpedance(typed, kTwoPi * hertz); };
  return true;
}

MeasuredSideKind SideOf(const FeedlineSetting& feedline) {
  return feedline.atSource ? MeasuredSideKind::Source : MeasuredSideKind::Load;
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
  // The line goes on once both sides stand as their files give them.
  const std::optional<FeedlineSetting> feedline = std::exchange(settings_.feedline, std::nullopt);
  for (const MeasuredSideKind side : {MeasuredSideKind::Source, MeasuredSideKind::Load}) {
    const std::optional<MeasuredSide> where = std::exchange(MeasuredSlot(side), std::nullopt);
    if (!where) continue;
    const std::string problem = Follow(side, *where);
    if (!problem.empty() && notes != nullptr) {
      notes->push_back("the " + SideName(side) + " no longer follows its measured file: " +
                       problem + "; it keeps its last values");
    }
  }
  if (std::string problem = ReadPartModels(); !problem.empty()) {
    // The design keeps its parts' Q; the models and files that cannot be read go.
    if (settings_.losses) settings_.losses->models = {};
    partFiles_ = {};
    if (notes != nullptr) {
      notes->push_back("the parts' models were left out: " + problem + "; each part keeps its Q");
    }
  }
  if (!feedline) return;
  // A side whose file could not be followed holds the values seen through the line, not its own.
  const MeasuredSideKind side = SideOf(*feedline);
  const bool lostFile =
      (side == MeasuredSideKind::Source ? settings.measuredSource : settings.measuredLoad) &&
      !Port(side);
  const std::string problem =
      lostFile ? "its far end was the measured file" : SetFeedline(feedline);
  if (!problem.empty() && notes != nullptr) {
    notes->push_back("the feedline " + QuotedValue(feedline->line) + " to the " + SideName(side) +
                     " was taken away: " + problem + "; the side keeps its last values");
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

ImpedanceValues& DesignModel::SideValues(MeasuredSideKind side) {
  return side == MeasuredSideKind::Source ? state_.SourceValues : state_.LoadValues;
}

MeasuredSideKind DesignModel::FeedlineSide() const {
  return settings_.feedline ? SideOf(*settings_.feedline) : MeasuredSideKind::Load;
}

std::shared_ptr<const TouchstonePort> DesignModel::SeenPort(MeasuredSideKind side) const {
  if (seen_ && settings_.feedline && FeedlineSide() == side) return seen_;
  return Port(side);
}

MeasuredSides DesignModel::Sides() const {
  return {SeenPort(MeasuredSideKind::Source).get(), SeenPort(MeasuredSideKind::Load).get()};
}

std::string DesignModel::SeeThroughLine() {
  std::shared_ptr<const TouchstonePort> kept = std::exchange(seen_, nullptr);
  if (!settings_.feedline) {
    line_.reset();
    lineText_.clear();
    return {};
  }
  const FeedlineSetting& feedline = *settings_.feedline;
  if (!line_ || lineText_ != feedline.line) {
    auto choice = std::make_shared<LineChoice>();
    std::string error;
    if (!ParseLineChoice("feedline", feedline.line, *choice, error)) {
      line_.reset();
      lineText_.clear();
      return error;
    }
    line_ = std::move(choice);
    lineText_ = feedline.line;
  }
  const MeasuredSideKind side = SideOf(feedline);
  const double f0 = static_cast<double>(state_.NetValues[Frequency]);
  const std::shared_ptr<const TouchstonePort> port = Port(side);
  std::function<std::complex<double>(double)> typed;
  if (port && !port->Covers(f0)) return port->OutsideBandText(f0);
  if (!port) {
    if (!feedline.farValues) {
      return "the " + SideName(side) + "'s own impedance behind the feedline is not known";
    }
    if (!TypedImpedance(state_, side, *feedline.farValues, typed)) {
      return "the " + SideName(side) + " behind the feedline has no positive resistance";
    }
  }
  // A measured far end is seen over its file's band, whatever the design frequency.
  SeenFrom from{feedline.line, feedline.atSource, port.get(), feedline.farValues, port ? 0.0 : f0};
  if (kept && from == seenFrom_) {
    seen_ = std::move(kept);
    return {};
  }
  const std::string name =
      (port ? port->FileName() : "the " + SideName(side)) + " through " + line_->description;
  seen_ = std::make_shared<const TouchstonePort>(
      SideSeenThroughLine(port.get(), typed, f0, line_->line, line_->nominalImpedance, name), 1);
  seenFrom_ = std::move(from);
  return {};
}

void DesignModel::TakeAwayLine(bool giveBack) {
  if (!settings_.feedline) return;
  const MeasuredSideKind side = FeedlineSide();
  if (giveBack && settings_.feedline->farValues && !Port(side)) {
    SideValues(side) = *settings_.feedline->farValues;
  }
  settings_.feedline.reset();
  seen_.reset();
}

std::string DesignModel::PutFeedline(const std::string& line, MeasuredSideKind side) {
  FeedlineSetting feedline;
  feedline.line = line;
  feedline.atSource = side == MeasuredSideKind::Source;
  return SetFeedline(feedline);
}

std::string DesignModel::SetFeedline(const std::optional<FeedlineSetting>& feedline) {
  return Change([&] {
    // A line moved or changed keeps the side's own far end: the one kept with the old line.
    std::optional<FeedlineSetting> put = feedline;
    if (put && settings_.feedline && SideOf(*settings_.feedline) == SideOf(*put) &&
        !put->farValues) {
      put->farValues = settings_.feedline->farValues;
    }
    TakeAwayLine(true);
    if (!put) return;
    const MeasuredSideKind side = SideOf(*put);
    if (Port(side)) {
      put->farValues.reset();
    } else if (!put->farValues) {
      put->farValues = SideValues(side);
    }
    settings_.feedline = std::move(put);
  });
}

void DesignModel::RemoveFeedline() {
  Change([this] { TakeAwayLine(true); });
}

std::optional<std::complex<double>> DesignModel::FarEndImpedance(double hertz) const {
  if (!settings_.feedline) return std::nullopt;
  const MeasuredSideKind side = FeedlineSide();
  if (const std::shared_ptr<const TouchstonePort> port = Port(side)) {
    if (!port->Covers(hertz)) return std::nullopt;
    return port->Impedance(hertz);
  }
  std::function<std::complex<double>(double)> typed;
  if (!settings_.feedline->farValues ||
      !TypedImpedance(state_, side, *settings_.feedline->farValues, typed)) {
    return std::nullopt;
  }
  return typed(hertz);
}

std::string DesignModel::FeedlineText(MeasuredSideKind side) const {
  if (!line_ || !settings_.feedline || FeedlineSide() != side) return {};
  return "through " + line_->description;
}

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
  const DesignSnapshot before = Snapshot();
  PortSlot(side) = std::move(port);
  MeasuredSlot(side) = where;
  // Behind a line, the file becomes the line's far end.
  if (settings_.feedline && FeedlineSide() == side) settings_.feedline->farValues.reset();
  if (std::string problem = FollowFrequency(); !problem.empty()) {
    Restore(before);
    return problem;
  }
  return {};
}

void DesignModel::Unfollow(MeasuredSideKind side) {
  PortSlot(side).reset();
  MeasuredSlot(side).reset();
  if (settings_.feedline && FeedlineSide() == side) TakeAwayLine(false);
}

std::string DesignModel::FollowFrequency() {
  if (std::string problem = SeeThroughLine(); !problem.empty()) return problem;
  const double f0 = static_cast<double>(state_.NetValues[Frequency]);
  for (const MeasuredSideKind side : {MeasuredSideKind::Source, MeasuredSideKind::Load}) {
    const std::shared_ptr<const TouchstonePort> port = SeenPort(side);
    if (!port) continue;
    if (port == seen_) {
      const std::complex<double> z = seen_->Impedance(f0);
      if (!(static_cast<float>(z.real()) > 0.0f) || !std::isfinite(z.imag())) {
        return "the " + SideName(side) + " seen through " + line_->description +
               " has no positive finite resistance at " + FrequencyText(f0) + " (" +
               ExactNumber(z.real()) + " ohms), so it cannot be matched";
      }
    }
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
  if (problem.empty()) problem = ReadPartModels();
  if (!problem.empty()) Restore(before);
  return problem;
}

std::string DesignModel::ReadPartModels() {
  std::array<std::shared_ptr<const PartFile>, 3> files;
  if (settings_.losses) {
    const PartModelSettings& models = settings_.losses->models;
    if (std::string problem = PartModelsProblem(models); !problem.empty()) return problem;
    for (std::size_t i = 0; i < files.size(); ++i) {
      const std::optional<PartFileSetting>& where = models.elementFile[i];
      if (!where) continue;
      const auto key = std::make_pair(where->file, where->connection);
      if (const auto found = partRead_.find(key); found != partRead_.end()) {
        files[i] = found->second;
        continue;
      }
      PartFileRead read = ReadPartFile(where->file, MountingOf(where->connection));
      if (!read.error.empty()) return "element " + std::to_string(i + 1) + ": " + read.error;
      partRead_[key] = read.part;
      files[i] = read.part;
    }
  }
  partFiles_ = files;
  return {};
}

std::shared_ptr<const PartFile> DesignModel::PartFileOf(int k) const {
  if (k < 1 || k > 3) return nullptr;
  return partFiles_[static_cast<std::size_t>(k - 1)];
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
  // The snapshot's values are those seen through its line already; only the port is made.
  if (!SeeThroughLine().empty()) settings_.feedline.reset();
  // Part files come from what this design read before; one never read and gone since goes.
  if (!ReadPartModels().empty() && settings_.losses) {
    settings_.losses->models = {};
    partFiles_ = {};
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
