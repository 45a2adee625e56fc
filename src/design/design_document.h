#pragma once

// The design on the design window as a document: the changes made to it (each one an undo
// step), the design file it was opened from or saved as, and the window's title that names
// that file. Every change to the design runs through Change(), which compares the whole design
// before and after, so a refused command or a dialog closed without a change adds no step.
//
//   document.Change([&] { window.Click("cmdPi"); });  // one step, when the family changed
//   document.Undo();                                   // the Tee again, refreshed
//   document.SaveAs("tank.cfg");                       // tank.cfg and tank.json beside it
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "design/design_window.h"
#include "model/design_model.h"
#include "state/circuit_state.h"
#include "state/settings_file.h"
#include "state/undo_history.h"
#include "toolkit/toolkit.h"

namespace corvantile {

// The title with a design file open: the unnamed one's text with the file's name, and an
// asterisk while the design differs from the file: "... design and analysis tank.cfg*".
std::string DesignFileCaption(const StartupValues& startup, const std::string& fileName,
                              bool modified);

// The name "Save as" writes a design under: the name chosen with ".cfg" added unless it ends in
// .cfg already (in either case), since a design is opened from the command line and offered by
// the file dialogs as a .cfg file, and its settings file takes its name with ".json" in place
// of the extension (so "tank.txt" saved as itself would share tank.json with tank.cfg):
// "tank" -> "tank.cfg", "tank.CFG" -> "tank.CFG", "tank.txt" -> "tank.txt.cfg".
std::filesystem::path WithDesignExtension(const std::filesystem::path& file);

class DesignDocument {
 public:
  // `recentListFile` is the program's own settings file, whose "recent_files" member keeps
  // the recent design files (rewritten on every save and open; nothing else in it changes).
  // `model` is the design the window shows (the window's run state is the model's).
  DesignDocument(DesignModel& model, DesignWindow& logic, toolkit::Window& window,
                 toolkit::Platform& platform, std::filesystem::path recentListFile);

  // Runs `change` (a command, a dialog, anything that may change the design) as one undo step,
  // under the model's one rule: a change the model refuses (a measured side that cannot follow
  // the new frequency) is undone at once, its reason shown, and adds no step. False then.
  bool Change(const std::function<void()>& change);

  // Go back or forward one step, then the usual refresh; false (nothing done) when there is
  // no step.
  bool Undo();
  bool Redo();
  UndoHistory& history() { return history_; }

  // The design's settings (measured files ...), part of every step and of every design file.
  Settings& settings() { return model_.settings(); }
  DesignModel& model() { return model_; }

  // Writes the design to `file` (session file format) and its settings beside it; the file
  // becomes the document's. False, with the reason shown, when it cannot be written.
  bool SaveAs(const std::filesystem::path& file);
  // Writes the open file again; false when no file is open (the caller asks for a name).
  bool Save();
  // Before the program ends: with a design file open and changed (the title's "*"), asks
  // whether to save it. Save writes it, Discard leaves it as it is; Cancel, or a save that
  // fails, gives false and the program goes on. Nothing to lose: true without asking.
  bool ReadyToClose();
  // Reads a design file and shows it; a file that is not a whole design (or whose settings are
  // damaged) changes nothing and says why. The undo history starts afresh.
  bool Open(const std::filesystem::path& file);

  const std::optional<std::filesystem::path>& file() const { return file_; }
  // The design differs from the open file (never with no file open).
  bool IsModified() const;
  // Sets the window title: as the window's load does with no file open, else the file's name.
  void ShowTitle();

  // The program's own settings file (the one beside the session file): at start the measured
  // sides and the feedline are taken from it (a missing or damaged file leaves every side typed);
  // on Exit, when the session is written, the measured sides, the feedline, the parts' Q settings
  // (its "losses" member) and the tolerance view's settings ("tolerance") are written back, every
  // other member kept. Neither adds an undo step. Writing gives false with a one-line `error`.
  // Reading gives one line for a damaged file (a folder or FIFO of that name too) and for each side
  // that could not follow its file again (it keeps its last values).
  std::vector<std::string> ReadProgramSettings();
  bool WriteProgramSettings(std::string& error) const;

  // Newest first, at most kRecentFilesKept.
  std::vector<std::string> RecentFiles() const;

 private:
  DesignSnapshot Current() const { return model_.Snapshot(); }
  void Show(const DesignSnapshot& snapshot);
  void Fail(const std::string& message);
  void RememberRecent(const std::filesystem::path& file);

  DesignModel& model_;
  DesignWindow& logic_;
  toolkit::Window& window_;
  toolkit::Platform& platform_;
  std::filesystem::path recentListFile_;
  UndoHistory history_;
  std::optional<std::filesystem::path> file_;
  // What the open file holds, as the file's text holds it (7 significant digits, so a value
  // recomputed from the file's own rounding is no change) and its settings.
  void MarkSaved();
  std::string savedText_;
  Settings savedSettings_;
};

}  // namespace corvantile
