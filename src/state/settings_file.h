#pragma once

// The second settings file, beside LastSession.CFG: what the session file's fixed 63 values
// cannot hold (which measured file each side follows, and later the parts' settings). A small
// JSON object with a version; read tolerantly (a missing or damaged file, or a member of the
// wrong type, gives that member's default) and written atomically at the moments the session
// file is written. Members this version does not know are kept as they were, so a newer
// program's settings survive a rewrite by an older one.
//
// {"version": 1,
//  "measured": {"load": {"file": "/home/ann/antenna.s1p", "port": 1}},
//  "tolerance": {"standard": "best", "series_inductor": "E12", "series_capacitor": "E24",
//                "inductor": 0.05, "capacitor": 0.05, "distribution": "uniform",
//                "builds": 10000, "seed": 1, "band": [3600000.0, 3900000.0]},
//  "losses": {"inductor_q": 200, "inductor_law": 0.5, "capacitor_q": 2000,
//             "capacitor_law": 0, "element_q": [null, 150, null], "compensate": true,
//             "capacitor_model": "esr:0.05,esl:0.4n", "element_model": [null, "cp:0.15p", null],
//             "element_file": [null, {"file": "cap.s2p", "connection": "shunt"}, null]},
//  "feedline": {"line": "RG-213:30", "at": "load", "far_values": [0, 300, 0, ...]}}
#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "state/circuit_state.h"

namespace corvantile {

inline constexpr std::string_view kSettingsFileName = "LastSession.json";
inline constexpr int kSettingsVersion = 1;

// What the reader takes at most. The program's own file is a few KiB (its deepest member is
// three levels down); the limits leave a newer version's members ample room while keeping a
// hostile file from exhausting memory or, through the JSON library's recursion, the stack.
inline constexpr std::uintmax_t kMaxSettingsBytes = std::uintmax_t{1} << 20;  // 1 MiB
inline constexpr int kMaxSettingsDepth = 64;  // nested objects and arrays

// A side (source or load) that follows a measured Touchstone file: the file's path as the user
// chose it and the port (1 to the file's port count) whose impedance the side takes.
struct MeasuredSide {
  std::string file;
  int port = 1;

  friend bool operator==(const MeasuredSide&, const MeasuredSide&) = default;
};

// Which network the tolerance view builds: the ideal design, or its nearest or best
// standard-value version.
enum class ToleranceStandard { None, Nearest, Best };

// What the response window's tolerance view was last set to. Series are held as their values
// per decade (12 for E12) so that this file needs nothing from the analysis library.
inline constexpr std::array<int, 7> kSeriesCounts = {3, 6, 12, 24, 48, 96, 192};
inline constexpr double kMaxTolerance = 0.5;
inline constexpr int kMaxToleranceBuilds = 10000000;
struct ToleranceSettings {
  ToleranceStandard standard = ToleranceStandard::None;
  int inductorSeries = 12;
  int capacitorSeries = 24;
  double inductorTolerance = 0.05;  // relative, 0 to kMaxTolerance
  double capacitorTolerance = 0.05;
  bool normal = false;  // normal with three standard deviations at the tolerance, else uniform
  int builds = 10000;   // 1 to kMaxToleranceBuilds
  std::uint64_t seed = 1;
  std::optional<std::array<double, 2>> band;  // Hz, 0 < f1 < f2

  friend bool operator==(const ToleranceSettings&, const ToleranceSettings&) = default;
};

// How a maker's part file holds its part: a 2-port with the part in series or in shunt, or a
// 1-port.
enum class PartConnection { Series, Shunt, OnePort };

// An element that is the part a maker measured: the file's path as the user chose it.
struct PartFileSetting {
  std::string file;
  PartConnection connection = PartConnection::Series;

  friend bool operator==(const PartFileSetting&, const PartFileSetting&) = default;
};

// The parts' equivalent circuits as text in the command line's --part-model grammar, kept as the
// user typed it ("esr:0.05,esl:0.4n"): every inductor's and every capacitor's ("" none), and an
// element's own (none: its kind's; "" its own with no parasitics), which replaces its kind's
// whole; and an element's maker's file. The analysis library reads the texts (LossModelOf).
struct PartModelSettings {
  std::string inductorModel;
  std::string capacitorModel;
  std::array<std::optional<std::string>, 3> elementModel;
  std::array<std::optional<PartFileSetting>, 3> elementFile;

  bool Any() const;
  friend bool operator==(const PartModelSettings&, const PartModelSettings&) = default;
};

// The parts' Q as the response window's Parts page sets it: a Q0 of 0 is an ideal part; an
// element's own Q (1 to 3) overrides its kind's Q0. Plain numbers and texts, so that the state
// layer needs nothing of the analysis that uses them.
struct LossSettings {
  double inductorQ = 0.0;
  double inductorLaw = 0.5;
  double capacitorQ = 0.0;
  double capacitorLaw = 0.0;
  std::array<std::optional<double>, 3> elementQ;
  bool compensate = false;
  PartModelSettings models{};

  friend bool operator==(const LossSettings&, const LossSettings&) = default;
};

// A feedline between the network and one side: the line as the command line's --line names it
// ("RG-213:30", read by ParseLineChoice), the side it runs to, and that side's own values at
// the line's far end when the side is typed (a side following a measured file has the file's
// port there), so that taking the line away gives the side back as it was.
struct FeedlineSetting {
  std::string line;
  bool atSource = false;  // else between the network and the load
  std::optional<ImpedanceValues> farValues;

  friend bool operator==(const FeedlineSetting&, const FeedlineSetting&) = default;
};

struct Settings {
  std::optional<MeasuredSide> measuredSource;
  std::optional<MeasuredSide> measuredLoad;
  std::optional<FeedlineSetting> feedline;  // none: no line
  // None: the view's defaults, and no member in the file.
  std::optional<ToleranceSettings> tolerance;
  std::optional<LossSettings> losses;  // none: every part ideal, no compensation
  // The members this version does not know, as one JSON object's text ("{}" when none).
  std::string otherMembers = "{}";

  friend bool operator==(const Settings&, const Settings&) = default;
};

// How a read went: the file's settings, and whether it was there and whole. A damaged file
// still gives every member that could be read.
struct SettingsRead {
  Settings settings;
  bool found = false;    // something stands at that name (a missing file is simply not found)
  bool damaged = false;  // unreadable, not a JSON object of sane size and depth, or a member
                         // of the wrong type or range
  std::string problem;   // why the file could not be read at all: "Is a directory"; else ""
};

// The file's text: pretty-printed JSON, members in a fixed order, newline at the end.
std::string SettingsFileText(const Settings& settings);

// Reads a file's text; never throws. "" or "not json" -> defaults, damaged; nested deeper than
// kMaxSettingsDepth -> defaults, damaged.
SettingsRead ReadSettingsText(std::string_view text);

// Reads `file` (a regular file only, within kMaxSettingsBytes); a missing file is not
// damaged, it is simply not found. A folder, FIFO or device of that name is found and damaged.
SettingsRead ReadSettings(const std::string& file = std::string(kSettingsFileName));

// Writes `file` atomically (the program's one file writer); false with a one-line `error`.
bool WriteSettings(const Settings& settings, const std::string& file, std::string& error);

// The settings file that belongs beside a session file: "dir/LastSession.CFG" ->
// "dir/LastSession.json", "design.cfg" -> "design.json".
std::string SettingsFileFor(const std::string& sessionFile);

// The design files opened or saved last, newest first, as the program's own settings file keeps
// them in its "recent_files" member (among the members `otherMembers` carries).
inline constexpr std::size_t kRecentFilesKept = 8;
std::vector<std::string> RecentFilesOf(const Settings& settings);
// `settings` with its recent files replaced (an empty list removes the member).
Settings WithRecentFiles(Settings settings, const std::vector<std::string>& files);
// `file` moved (or added) to the front; past kRecentFilesKept the oldest goes:
// {"b", "a"} + "a" -> {"a", "b"}.
std::vector<std::string> WithRecentFile(std::vector<std::string> files, const std::string& file);

}  // namespace corvantile
