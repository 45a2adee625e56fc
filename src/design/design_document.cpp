#include "design/design_document.h"

#include <system_error>
#include <utility>

#include "state/file_reader.h"
#include "state/file_writer.h"
#include "state/message_text.h"
#include "state/session_file.h"

namespace corvantile {
namespace {

// The whole file, or nothing when it is not a regular file that can be read (a FIFO would
// block the window, a folder or a device cannot be a design).
std::optional<std::string> ReadWholeFile(const std::filesystem::path& file) {
  std::string text, reason;
  if (!ReadTextFile(file, InputKinds::RegularOnly, {kMaxSessionBytes, kMaxSessionBytes}, text,
                    reason)) {
    return std::nullopt;
  }
  return text;
}

std::string Quoted(const std::filesystem::path& file) {
  return "\"" + OneLine(file.string()) + "\"";
}

}  // namespace

std::string DesignFileCaption(const StartupValues& startup, const std::string& fileName,
                              bool modified) {
  StartupValues named = startup;
  named.SessionFileName = fileName + (modified ? "*" : "");
  return DesignCaption(named);
}

DesignDocument::DesignDocument(RunState& state, DesignWindow& logic, toolkit::Window& window,
                               toolkit::Platform& platform, std::filesystem::path recentListFile)
    : state_(state),
      logic_(logic),
      window_(window),
      platform_(platform),
      recentListFile_(std::move(recentListFile)) {
  // The parts' Q and the tolerance view's settings the program was left with; a damaged file
  // still gives what could be read.
  const Settings left = ReadSettings(recentListFile_.string()).settings;
  settings_.losses = left.losses;
  settings_.tolerance = left.tolerance;
}

bool DesignDocument::WriteProgramSettings(std::string& error) const {
  const SettingsRead current = ReadSettings(recentListFile_.string());
  if (current.found && current.damaged) {
    error = "the settings file " + Quoted(recentListFile_) + " is damaged; it was left as it is";
    return false;
  }
  Settings updated = current.settings;
  updated.losses = settings_.losses;
  updated.tolerance = settings_.tolerance;
  updated.measuredSource = settings_.measuredSource;
  updated.measuredLoad = settings_.measuredLoad;
  return WriteSettings(updated, recentListFile_.string(), error);
}

void DesignDocument::Change(const std::function<void()>& change) {
  const DesignSnapshot before = Current();
  change();
  history_.Record(before, Current());
  if (file_) ShowTitle();
}

bool DesignDocument::Undo() {
  const std::optional<DesignSnapshot> previous = history_.Undo(Current());
  if (!previous) return false;
  Show(*previous);
  return true;
}

bool DesignDocument::Redo() {
  const std::optional<DesignSnapshot> next = history_.Redo(Current());
  if (!next) return false;
  Show(*next);
  return true;
}

void DesignDocument::Show(const DesignSnapshot& snapshot) {
  Restore(snapshot, state_, settings_);
  logic_.ShowRestoredDesign();
  if (file_) ShowTitle();
}

void DesignDocument::Fail(const std::string& message) {
  platform_.Beep();
  platform_.ShowMessage(message);
}

bool DesignDocument::SaveAs(const std::filesystem::path& file) {
  // The design's own settings only: the recent list belongs to the program.
  const Settings settings = WithRecentFiles(settings_, {});
  if (!WriteFileAtomically(file, SessionFileText(state_))) {
    Fail("The design could not be saved: " + Quoted(file) + " cannot be written.");
    return false;
  }
  const std::filesystem::path beside = SettingsFileFor(file.string());
  if (!WriteFileAtomically(beside, SettingsFileText(settings))) {
    Fail("The design was saved, but its settings could not be: " + Quoted(beside) +
         " cannot be written.");
    return false;
  }
  file_ = file;
  MarkSaved();
  ShowTitle();
  RememberRecent(file);
  return true;
}

bool DesignDocument::Save() { return file_ && SaveAs(*file_); }

bool DesignDocument::Open(const std::filesystem::path& file) {
  const std::optional<std::string> text = ReadWholeFile(file);
  if (!text) {
    Fail("The design file " + Quoted(file) + " cannot be read.");
    return false;
  }
  // Read into a copy: the reader stores the defaults over a damaged file.
  RunState read = state_;
  if (!ReadSessionText(*text, read)) {
    Fail("The design file " + Quoted(file) +
         " is damaged: it does not hold the circuit's 63 numbers. Nothing was changed.");
    return false;
  }
  const std::filesystem::path beside = SettingsFileFor(file.string());
  const SettingsRead settings = ReadSettings(beside.string());
  if (settings.damaged) {
    Fail("The design's settings file " + Quoted(beside) + " is damaged. Nothing was changed.");
    return false;
  }
  const DesignSnapshot opened = SnapshotOf(read, WithRecentFiles(settings.settings, {}));
  history_.Clear();
  file_ = file;
  Restore(opened, state_, settings_);
  logic_.ShowRestoredDesign();
  MarkSaved();  // as refreshed from the file's values
  ShowTitle();
  RememberRecent(file);
  return true;
}

void DesignDocument::MarkSaved() {
  savedText_ = SessionFileText(state_);
  savedSettings_ = settings_;
}

bool DesignDocument::IsModified() const {
  return file_ && (SessionFileText(state_) != savedText_ || settings_ != savedSettings_);
}

void DesignDocument::ShowTitle() {
  if (!file_) {
    window_.SetCaption(DesignCaption(state_.startup));
    return;
  }
  window_.SetCaption(DesignFileCaption(state_.startup, file_->filename().string(), IsModified()));
}

std::string DesignDocument::ReadProgramSettings() {
  const SettingsRead read = ReadSettings(recentListFile_.string());
  // A damaged file leaves both sides typed, as a missing one does.
  if (read.damaged) {
    return "The settings file " + Quoted(recentListFile_) + " is damaged" +
           (read.problem.empty() ? "" : " (" + read.problem + ")") +
           ": the sides keep their typed values, and the file is left as it is.";
  }
  settings_.measuredSource = read.settings.measuredSource;
  settings_.measuredLoad = read.settings.measuredLoad;
  return "";
}

std::vector<std::string> DesignDocument::RecentFiles() const {
  return RecentFilesOf(ReadSettings(recentListFile_.string()).settings);
}

void DesignDocument::RememberRecent(const std::filesystem::path& file) {
  std::error_code error;
  std::filesystem::path absolute = std::filesystem::absolute(file, error);
  if (error) absolute = file;
  // Read again rather than kept: only the recent list is ours to change in that file.
  const SettingsRead current = ReadSettings(recentListFile_.string());
  if (current.found && current.damaged) return;  // not ours to overwrite
  const Settings updated = WithRecentFiles(
      current.settings,
      WithRecentFile(RecentFilesOf(current.settings), absolute.lexically_normal().string()));
  WriteFileAtomically(recentListFile_, SettingsFileText(updated));
}

}  // namespace corvantile
