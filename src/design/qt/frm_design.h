#pragma once

// frmDesign on Qt: builds the window's widgets from its design-time look (as every window is
// built), connects every button to the window's logic by name and shows the window maximised.
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include <QImage>
#include <QString>

#include "design/design_controls.h"
#include "design/design_document.h"
#include "design/design_window.h"
#include "dialogs/feedline_dialog.h"
#include "model/design_model.h"
#include "state/circuit_state.h"
#include "state/session_file.h"
#include "state/settings_file.h"
#include "toolkit/qt/qt_platform.h"
#include "toolkit/qt/qt_window.h"

namespace corvantile {

// The keys of the design-file commands, on the design window and the response window.
inline constexpr const char* kUndoKeys[] = {"Ctrl+Z"};
inline constexpr const char* kRedoKeys[] = {"Ctrl+Shift+Z", "Ctrl+Y"};
inline constexpr const char* kSaveKey = "Ctrl+S";
inline constexpr const char* kSaveAsKey = "Ctrl+Shift+S";
inline constexpr const char* kOpenKey = "Ctrl+O";
inline constexpr const char* kOpenRecentKey = "Ctrl+Shift+O";

class FrmDesign {
 public:
  // `recentListFile`: the settings file that keeps the recent design files.
  // The window shows and changes `model`, which outlives it.
  FrmDesign(
      DesignModel& model, toolkit::Platform& platform,
      const std::filesystem::path& recentListFile = SettingsFileFor(std::string(kSessionFileName)));

  // Runs the window's load (scale, caption, placement, first RefreshDesign) once; later calls
  // do nothing.
  void Load();
  // Loads the window if needed and shows it maximised with the focus on cmdTee.
  void Show();
  // Loads the window if needed and renders it at `size` device-independent pixels without
  // showing it: controls over the drawing, as the screen would show it.
  QImage Render(QSize size);

  // A command button beyond the designed controls, built with the same look rules: placed at
  // load (or at once when the window is loaded) in logical units, sized and given the H x 0.0008
  // font when `place` sets a size, and last in the focus order, or right after the control
  // `after` names. A click runs `onClick`.
  toolkit::QtControl& AddCommandButton(const toolkit::ControlLook& look,
                                       const toolkit::ControlPlacement& place,
                                       std::function<void()> onClick, std::string_view after = {});

  // A label beyond the designed controls, built and placed as AddCommandButton's buttons are
  // and outside the focus order.
  toolkit::QtControl& AddLabel(const toolkit::ControlLook& look,
                               const toolkit::ControlPlacement& place);

  toolkit::QtWindow& window() { return window_; }
  DesignWindow& logic() { return logic_; }
  // Every command of the window runs through the document's Change: one undo step each.
  DesignDocument& document() { return document_; }

  // The design-file commands: undo, redo, save (asking for a name when no file is open), save
  // as (under WithDesignExtension of the name chosen), open, and open one of the recent files.
  // Each is also a shortcut on the window, and on any other window given to AddFileShortcuts.
  // "Exit" asks first whether to save a changed design file (DesignDocument::ReadyToClose).
  void Undo();
  void Redo();
  void Save();
  void SaveAs();
  void Open();
  void OpenRecent();
  bool OpenDesign(const QString& file);
  void AddFileShortcuts(QWidget* target);

  // Asks for a design file: to save (asking before overwriting) or to open; an empty result
  // cancels. By default the standard file dialog.
  using FileChooser = std::function<QString(bool save, const QString& suggested)>;
  void SetFileChooser(FileChooser chooser) { chooseFile_ = std::move(chooser); }
  // Picks one of the recent files (newest first); none cancels. By default a popup menu over
  // the window, numbered 1 to 8 for the keyboard.
  using RecentChooser = std::function<std::optional<std::string>(const std::vector<std::string>&)>;
  void SetRecentChooser(RecentChooser chooser) { chooseRecent_ = std::move(chooser); }

  // The design report: Ctrl+C (on the design window) puts the report's text on the clipboard,
  // the same text `corvantile-cli design` prints for this design; Ctrl+P (also on any window
  // given to AddFileShortcuts) and "Report..." ask for a PDF file, offered under the design
  // file's name or "design.pdf", and write the report there. A write error is shown in one line.
  // A design without a network still gets its report, which says why there is none.
  void CopyReport();
  void WriteReport();
  // Asks for the report's file to write (asking before overwriting); an empty result cancels.
  // By default the standard file dialog with the PDF filter.
  using ReportFileChooser = std::function<QString(const QString& suggested)>;
  void SetReportFileChooser(ReportFileChooser chooser) { chooseReportFile_ = std::move(chooser); }
  // The tolerance results' lines the report lists, when a finished run is for this design; by
  // default none.
  void SetToleranceLines(std::function<std::vector<std::string>()> lines) {
    toleranceLines_ = std::move(lines);
  }
  // The lines of the band design chosen for the report, while it is for this design's source
  // and load; by default none.
  void SetBandLines(std::function<std::vector<std::string>()> lines) {
    bandLines_ = std::move(lines);
  }

  // "Measured..." on either side: asks for a Touchstone file (and, for a file of several ports,
  // which port), then the side follows it: series R + jX at the design frequency, read again at
  // every new frequency, until an entry dialog changes the side. A file that cannot be used
  // shows why and changes nothing. Run through the document's Change like every command.
  void ChooseMeasured(MeasuredSideKind side);
  // Asks for a measured file to open; an empty result cancels. By default the standard file
  // dialog with the Touchstone filters.
  using MeasuredFileChooser = std::function<QString(const QString& suggested)>;
  void SetMeasuredFileChooser(MeasuredFileChooser chooser) {
    chooseMeasuredFile_ = std::move(chooser);
  }
  // Asks which port (1 to `ports`) of a file of several ports the side takes; none cancels. By
  // default an input dialog.
  using PortChooser = std::function<std::optional<int>(const QString& fileName, int ports)>;
  void SetPortChooser(PortChooser chooser) { choosePort_ = std::move(chooser); }

  // "Feedline...": asks for the line (a cable or typed figures, its length, the side, or none)
  // and puts it in through the model, one undo step; a line the side cannot take shows why in
  // one line and changes nothing. The side's label then names the line.
  void ChooseFeedline();
  // Asks for the feedline starting from `form`; none cancels. By default the feedline dialog.
  using FeedlineChooser = std::function<std::optional<FeedlineForm>(const FeedlineForm& form)>;
  void SetFeedlineChooser(FeedlineChooser chooser) { chooseFeedline_ = std::move(chooser); }

 private:
  struct AddedButton {
    toolkit::ControlLook look;
    toolkit::ControlPlacement place;
  };
  void Place(const AddedButton& added);
  void ShowMeasuredNames();
  void ShowStartNotes();

  DesignModel& model_;
  toolkit::Platform& platform_;
  toolkit::QtWindow window_;
  DesignWindow logic_;
  DesignDocument document_;
  FileChooser chooseFile_;
  RecentChooser chooseRecent_;
  MeasuredFileChooser chooseMeasuredFile_;
  PortChooser choosePort_;
  FeedlineChooser chooseFeedline_;
  ReportFileChooser chooseReportFile_;
  std::function<std::vector<std::string>()> toleranceLines_;
  std::function<std::vector<std::string>()> bandLines_;
  // Measured sides whose file could not be read at start: said once, after the window opens.
  std::vector<std::string> startNotes_;
  bool loaded_ = false;
  std::vector<AddedButton> added_;
  QWidget* lastInFocusOrder_ = nullptr;
};

}  // namespace corvantile
