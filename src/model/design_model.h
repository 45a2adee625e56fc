#pragma once

// One design, in one value: the run state the design window shows (the three value arrays), the
// settings beside it (the measured files each side follows, the parts' Q and compensation, the
// tolerance settings) and the measured files' data as read. Every front end (the window, the
// response pages, the command line, the clipboard, the PDF, the design files) changes a design
// only through this value and asks it the questions of design_answers.h; undo holds its
// snapshots. No toolkit and no Qt.
//
//   DesignModel model;                                    // the built-in defaults
//   model.Follow(Side::Load, {"antenna.s1p", 1});         // the load follows the file
//   model.Change([&] { model.state().NetValues[Frequency] = 5e6f; });
//     -> "5 MHz is outside antenna.s1p's band (3.4 MHz to 4.1 MHz)"; nothing changed
#include <array>
#include <complex>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "analysis/circuits/line_choice.h"
#include "analysis/formats/part_file.h"
#include "analysis/formats/touchstone_reader.h"
#include "analysis/solvers/frequency_response.h"
#include "state/circuit_state.h"
#include "state/file_reader.h"
#include "state/settings_file.h"
#include "state/undo_history.h"

namespace corvantile {

// The two sides a design has, each typed or following a measured file.
enum class MeasuredSideKind { Source, Load };

// "source", "load".
std::string SideName(MeasuredSideKind side);

// The file's name alone, as the label under the side shows it: "/data/antenna.s1p", port 1 ->
// "antenna.s1p"; port 2 -> "antenna.s1p port 2".
std::string MeasuredSideText(const MeasuredSide& measured);

class DesignModel {
 public:
  // The built-in start-up values, every side typed, no settings.
  DesignModel();
  // `state` and `settings` as they are; each measured side's file is read (a side whose file
  // cannot be read, or that cannot follow it at the design frequency, becomes typed with its
  // values as `state` holds them, and `notes` gets one line for it).
  DesignModel(const RunState& state, const Settings& settings,
              std::vector<std::string>* notes = nullptr);

  // The run state, which the design window and the entry dialogs write directly; change it
  // inside Change so that the model's one rule applies.
  RunState& state() { return state_; }
  const RunState& state() const { return state_; }
  // The settings; the measured members are changed through Follow and Unfollow only.
  Settings& settings() { return settings_; }
  const Settings& settings() const { return settings_; }

  // The one rule for every change: `edit` runs, then every measured side is read again at the
  // (possibly new) design frequency. When a side cannot follow its file there (a frequency
  // outside its band, a resistance not above 0 ohm), everything `edit` did is put back and the
  // reason comes back in one line; "" when the change stands.
  std::string Change(const std::function<void()>& edit);

  // Reads every measured side again at the design frequency, as Change does after its edit;
  // the first side's reason when one cannot follow (its values are then left as they were).
  std::string FollowFrequency();

  // The side follows port `where.port` of a file: read from `where.file`, or taken from `data`
  // when given (already read). The side is entered as series R + jX with the impedance the port
  // presents at the design frequency. "" when it follows, else why not (the file's reader
  // error, no such port, a frequency outside the band, a resistance not above 0 ohm), and
  // nothing changed.
  std::string Follow(MeasuredSideKind side, const MeasuredSide& where,
                     const TouchstoneData* data = nullptr);
  // The side is typed again, keeping its last values (a feedline to it goes too: the side is
  // then typed as the network sees it).
  void Unfollow(MeasuredSideKind side);
  // What a measured file may be: the desktop program reads regular files only (it must never
  // wait on a FIFO); the command line also reads a stream once.
  void SetMeasuredFileKinds(InputKinds kinds) { fileKinds_ = kinds; }

  // A feedline between the network and `side`, `line` in the command line's grammar
  // ("RG-213:30"): the side is then seen through it, entered as series R + jX at the design
  // frequency and followed through every change, while its own impedance at the far end (its
  // measured file, or its typed values as they are now) is kept. A line already on either side
  // is taken away first. "" when it stands, else why not (the line's text, a seen resistance
  // not above 0 ohm), and nothing changed.
  //   model.PutFeedline("RG-213:30", MeasuredSideKind::Load);  // the 300 ohm load seen
  //   model.RemoveFeedline();                                   // 300 ohms again, exactly
  std::string PutFeedline(const std::string& line, MeasuredSideKind side);
  // The feedline as a settings file holds it (none: no line), under the same rule; a typed
  // side without far values takes its present values as the far end.
  std::string SetFeedline(const std::optional<FeedlineSetting>& feedline);
  // Takes the line away: the side is its far end again (its file, or its typed values).
  void RemoveFeedline();
  const std::optional<FeedlineSetting>& Feedline() const { return settings_.feedline; }
  // The line as read from the settings' text (null without one).
  std::shared_ptr<const LineChoice> FeedlineChoice() const { return line_; }
  // The side the line runs to (meaningful with a line).
  MeasuredSideKind FeedlineSide() const;
  // The impedance at the line's far end at `hertz`: the side's own (its file interpolated, or
  // its typed values); none without a line or beyond the file's band.
  std::optional<std::complex<double>> FarEndImpedance(double hertz) const;
  // "through 30 m of RG-213" for the side the line runs to, else "".
  std::string FeedlineText(MeasuredSideKind side) const;

  // The side's measured file and port as the settings hold them (none: typed).
  const std::optional<MeasuredSide>& Measured(MeasuredSideKind side) const;
  // The port data a measured side is read from (null for a typed side), as the file gives it.
  std::shared_ptr<const TouchstonePort> Port(MeasuredSideKind side) const;
  // The port the analysis takes for a side: the side seen through the feedline when the line
  // runs to it, else Port(side).
  std::shared_ptr<const TouchstonePort> SeenPort(MeasuredSideKind side) const;
  // Both sides as the analysis takes them (SeenPort); valid while this model lives and is not
  // changed.
  MeasuredSides Sides() const;

  // Reads the part files the losses' settings name (each read once for this design, so that
  // undo needs no file) and checks their model texts; the first problem in one line ("element 2
  // model: ...", or the file's reader error naming it), else "". Change calls it after its edit
  // and puts everything back on a problem.
  std::string ReadPartModels();
  // Element k's (1 to 3) part file as read, null when it has none.
  std::shared_ptr<const PartFile> PartFileOf(int k) const;
  // The three elements' part files as read (LossModelOf's files).
  const std::array<std::shared_ptr<const PartFile>, 3>& PartFiles() const { return partFiles_; }

  // What one undo step holds, and putting it back: a snapshot's measured sides take the data
  // this model read for them before (read again only when it never had it).
  DesignSnapshot Snapshot() const;
  void Restore(const DesignSnapshot& snapshot);

 private:
  std::string Enter(MeasuredSideKind side, const TouchstonePort& port);
  std::shared_ptr<const TouchstonePort> Load(const MeasuredSide& where, std::string& error,
                                             const TouchstoneData* data = nullptr);
  std::shared_ptr<const TouchstonePort>& PortSlot(MeasuredSideKind side);
  std::optional<MeasuredSide>& MeasuredSlot(MeasuredSideKind side);
  ImpedanceValues& SideValues(MeasuredSideKind side);
  // Reads the line's text and sees its side through it at the design frequency, into seen_
  // (nothing entered); the reason when it cannot.
  std::string SeeThroughLine();
  // The line goes; with `giveBack` the typed side takes its far values again.
  void TakeAwayLine(bool giveBack);

  RunState state_;
  Settings settings_;
  InputKinds fileKinds_ = InputKinds::RegularOnly;
  std::shared_ptr<const TouchstonePort> sourcePort_, loadPort_;
  // The feedline read from its text (kept while the text stays) and its side seen through it.
  std::shared_ptr<const LineChoice> line_;
  std::string lineText_;
  std::shared_ptr<const TouchstonePort> seen_;
  // What seen_ was made from, so that a change elsewhere keeps the same port (views that hold
  // it, such as a band search, stay current).
  struct SeenFrom {
    std::string line;
    bool atSource = false;
    const TouchstonePort* port = nullptr;
    std::optional<ImpedanceValues> farValues;
    double frequency = 0.0;
    friend bool operator==(const SeenFrom&, const SeenFrom&) = default;
  };
  SeenFrom seenFrom_;
  // Each element's part file as its settings name it, and every part file read for this design.
  std::array<std::shared_ptr<const PartFile>, 3> partFiles_;
  std::map<std::pair<std::string, PartConnection>, std::shared_ptr<const PartFile>> partRead_;
  // Every port read for this design, so that undo and redo need no file.
  std::map<std::pair<std::string, int>, std::shared_ptr<const TouchstonePort>> read_;
};

// How strictly a design file is read.
enum class LoadPolicy {
  // The program's own session (at start, and `corvantile-cli --session`): a short session file
  // gives the defaults over what was read, a damaged settings file leaves every side typed and
  // the defaults, each said in a note.
  Tolerant,
  // A design file the user opens: anything but a whole session file, or a damaged settings
  // file, is refused.
  Strict,
};

struct DesignLoad {
  std::string error;               // one line, empty when the design was read
  std::vector<std::string> notes;  // what the tolerant reading gave up, one line each
  bool Ok() const { return error.empty(); }
};

// Reads a session or design file and the settings file beside it (SettingsFileFor) into
// `model`, the measured sides following their files. A file that cannot be read is an error
// naming it; `model` is changed only when the read succeeds.
DesignLoad LoadDesign(const std::filesystem::path& file, LoadPolicy policy, DesignModel& model);

// Writes the session file `file` and the settings file beside it (the design's settings, without
// the program's recent-file list), each atomically; false with a one-line `error`.
bool SaveDesign(const DesignModel& model, const std::filesystem::path& file, std::string& error);

}  // namespace corvantile
