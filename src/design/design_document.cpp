#include "design/design_document.h"

#include <cctype>
#include <system_error>
#include <utility>

#include "state/file_reader.h"
#include "state/file_writer.h"
#include "state/message_text.h"
#include "state/session_file.h"

namespace corvantile {
namespace {

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

std::filesystem::path WithDesignExtension(const std::filesystem::path& file) {
  std::string extension = file.extension().string();
  for (char& c : extension) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  if (extension == ".cfg") return file;
  std::filesystem::path completed = file;
  completed += ".cfg";
  return completed;
}

DesignDocument::DesignDocument(DesignModel& model, DesignWindow& logic, toolkit::Window& window,
                               toolkit::Platform& platform, std::filesystem::path recentListFile)
    : model_(model),
      logic_(logic),
      window_(window),
      platform_(platform),
      recentListFile_(std::move(recentListFile)) {
  // The parts' Q and the tolerance view's settings the program was left with; a damaged file
  // still gives what could be read.
  const Settings left = ReadSettings(recentListFile_.string()).settings;
  model_.settings().losses = left.losses;
  model_.settings().tolerance = left.tolerance;
}

bool DesignDocument::WriteProgramSettings(std::string& error) const {
  const SettingsRead current = ReadSettings(recentListFile_.string());
  if (current.found && current.damaged) {
    error = "the settings file " + Quoted(recentListFile_) + " is damaged; it was left as it is";
    return false;
  }
  Settings updated = current.settings;
  const Settings& settings = model_.settings();
  updated.losses = settings.losses;
  updated.tolerance = settings.tolerance;
  updated.measuredSource = settings.measuredSource;
  updated.measuredLoad = settings.measuredLoad;
  updated.feedline = settings.feedline;
  return WriteSettings(updated, recentListFile_.string(), error);
}

bool DesignDocument::Change(const std::function<void()>& change) {
  const DesignSnapshot before = Current();
  const std::string refused = model_.Change(change);
  if (!refused.empty()) {
    // The window may have shown the refused design already: show the one that stands.
    logic_.ShowRestoredDesign();
    platform_.ShowMessage(refused);
    if (file_) ShowTitle();
    return false;
  }
  history_.Record(before, Current());
  if (file_) ShowTitle();
  return true;
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
  model_.Restore(snapshot);
  logic_.ShowRestoredDesign();
  if (file_) ShowTitle();
}

void DesignDocument::Fail(const std::string& message) {
  platform_.Beep();
  platform_.ShowMessage(message);
}

bool DesignDocument::SaveAs(const std::filesystem::path& file) {
  std::string error;
  if (!SaveDesign(model_, file, error)) {
    Fail("The design could not be saved: " + error + ".");
    return false;
  }
  file_ = file;
  MarkSaved();
  ShowTitle();
  RememberRecent(file);
  return true;
}

bool DesignDocument::Save() { return file_ && SaveAs(*file_); }

bool DesignDocument::ReadyToClose() {
  if (!IsModified()) return true;
  const std::string question = "The design " + file_->filename().string() +
                               " has changes that are not saved. Save them before leaving?";
  switch (platform_.AskToSave(question)) {
    case toolkit::SaveAnswer::Save:
      return Save();
    case toolkit::SaveAnswer::Discard:
      return true;
    case toolkit::SaveAnswer::Cancel:
      break;
  }
  return false;
}

bool DesignDocument::Open(const std::filesystem::path& file) {
  DesignModel opened;
  const DesignLoad load = LoadDesign(file, LoadPolicy::Strict, opened);
  if (!load.Ok()) {
    Fail("The design file " + Quoted(file) + " cannot be read: " + load.error +
         ". Nothing was changed.");
    return false;
  }
  opened.state().startup = model_.state().startup;
  opened.state().EntryKind = model_.state().EntryKind;
  history_.Clear();
  file_ = file;
  model_ = std::move(opened);
  logic_.ShowRestoredDesign();
  MarkSaved();  // as refreshed from the file's values
  ShowTitle();
  RememberRecent(file);
  for (const std::string& note : load.notes) platform_.ShowMessage(note);
  return true;
}

void DesignDocument::MarkSaved() {
  savedText_ = SessionFileText(model_.state());
  savedSettings_ = model_.settings();
}

bool DesignDocument::IsModified() const {
  return file_ &&
         (SessionFileText(model_.state()) != savedText_ || model_.settings() != savedSettings_);
}

void DesignDocument::ShowTitle() {
  if (!file_) {
    window_.SetCaption(DesignCaption(model_.state().startup));
    return;
  }
  window_.SetCaption(
      DesignFileCaption(model_.state().startup, file_->filename().string(), IsModified()));
}

std::vector<std::string> DesignDocument::ReadProgramSettings() {
  const SettingsRead read = ReadSettings(recentListFile_.string());
  std::vector<std::string> notes;
  // A damaged file leaves both sides typed, as a missing one does.
  if (read.damaged) {
    notes.push_back("The settings file " + Quoted(recentListFile_) + " is damaged" +
                    (read.problem.empty() ? "" : " (" + read.problem + ")") +
                    ": the sides keep their typed values, and the file is left as it is.");
    return notes;
  }
  for (const MeasuredSideKind side : {MeasuredSideKind::Source, MeasuredSideKind::Load}) {
    const std::optional<MeasuredSide>& where = side == MeasuredSideKind::Source
                                                   ? read.settings.measuredSource
                                                   : read.settings.measuredLoad;
    if (!where) continue;
    const std::string problem = model_.Follow(side, *where);
    if (problem.empty()) continue;
    notes.push_back("The " + SideName(side) + " no longer follows its measured file: " + problem +
                    ". It keeps its last values.");
  }
  if (const std::optional<FeedlineSetting>& feedline = read.settings.feedline) {
    // A side whose file has gone holds the values seen through the line, not its own.
    const MeasuredSideKind side =
        feedline->atSource ? MeasuredSideKind::Source : MeasuredSideKind::Load;
    const bool lostFile =
        (feedline->atSource ? read.settings.measuredSource : read.settings.measuredLoad) &&
        !model_.Port(side);
    if (const std::string problem =
            lostFile ? "its far end was the measured file" : model_.SetFeedline(feedline);
        !problem.empty()) {
      notes.push_back("The feedline " + QuotedValue(feedline->line) +
                      " was taken away: " + problem + ". The side keeps its last values.");
    }
  }
  return notes;
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
