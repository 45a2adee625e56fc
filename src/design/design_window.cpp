#include "design/design_window.h"

#include <array>
#include <cmath>

#include "design/design_captions.h"
#include "design/design_controls.h"
#include "math/design_network.h"
#include "math/design_range.h"
#include "math/reduction.h"
#include "state/session_file.h"
#include "toolkit/placement.h"
#include "units/format.h"
#include "units/precision.h"

namespace corvantile {
namespace {

using precision::D;
using toolkit::Rgb;

constexpr Rgb kTextPoint{255, 255, 255};  // plotted where each value is printed
constexpr float kUpperRail = 800;
constexpr float kSourceX = 1560;
constexpr float kNetworkX = 4800;
constexpr float kLoadX = 9060;

struct Command {
  std::string_view name;
  void (DesignWindow::*handler)();
};

constexpr std::array<Command, 20> kCommands{{
    {"cmdTee", &DesignWindow::cmdTee_Click},
    {"cmdPi", &DesignWindow::cmdPi_Click},
    {"cmdLPFL", &DesignWindow::cmdLPFL_Click},
    {"cmdHPFL", &DesignWindow::cmdHPFL_Click},
    {"CommandSource5", &DesignWindow::CommandSource5_Click},
    {"CommandSource1", &DesignWindow::CommandSource1_Click},
    {"CommandSource2", &DesignWindow::CommandSource2_Click},
    {"CommandSource3", &DesignWindow::CommandSource3_Click},
    {"CommandSource4", &DesignWindow::CommandSource4_Click},
    {"CommandLoad5", &DesignWindow::CommandLoad5_Click},
    {"CommandLoad1", &DesignWindow::CommandLoad1_Click},
    {"CommandLoad2", &DesignWindow::CommandLoad2_Click},
    {"CommandLoad3", &DesignWindow::CommandLoad3_Click},
    {"CommandLoad4", &DesignWindow::CommandLoad4_Click},
    {"cmdPhase", &DesignWindow::cmdPhase_Click},
    {"cmdFrequency", &DesignWindow::cmdFrequency_Click},
    {"cmdPower", &DesignWindow::cmdPower_Click},
    {"cmdPhasePlusOne", &DesignWindow::cmdPhasePlusOne_Click},
    {"cmdPhaseMinusOne", &DesignWindow::cmdPhaseMinusOne_Click},
    {"cmdExit", &DesignWindow::cmdExit_Click},
}};

constexpr std::array<std::string_view, 20> kCommandNames = [] {
  std::array<std::string_view, 20> names{};
  for (std::size_t i = 0; i < kCommands.size(); ++i) names[i] = kCommands[i].name;
  return names;
}();

// Series and parallel forms of the same kind of description: series R + jX <-> parallel R, jX,
// series R + part value <-> parallel R, part value. Any other code (only an edited session file
// can hold one) is left as it is.
float SwappedEntryForm(float code) {
  if (code == FormSeriesReactance) return FormParallelReactance;
  if (code == FormParallelReactance) return FormSeriesReactance;
  if (code == FormSeriesPart) return FormParallelPart;
  if (code == FormParallelPart) return FormSeriesPart;
  return code;
}

// The resistance the section shows: the series one for series forms, else the parallel one.
// A code outside the four forms shows the series resistance.
float ShownResistance(const ImpedanceValues& values) {
  return IsParallelForm(values) ? values[ParallelR] : values[SeriesR];
}

}  // namespace

std::string DesignCaption(const StartupValues& startup) {
  return "Corvantile " + startup.VersionText + " - design and analysis " + startup.SessionFileName;
}

void DesignWindow::FormLoad() {
  const toolkit::ScreenTwips screen = platform_.screen();
  const toolkit::LogicalScale scale = toolkit::LogicalScale::ForMainWindow(
      screen, kDesignClientWidthTwips, kDesignClientHeightTwips);
  window_.SetScale(scale);
  const double points = DesignFontPoints(screen);
  window_.SetFontSize(points);
  window_.SetCaption(DesignCaption(state_.startup));

  for (const toolkit::ControlPlacement& row : DesignPlacements()) {
    toolkit::PlaceControl(window_.Find(row.name), row, *FindDesignControl(row.name), scale, points);
  }
  RefreshDesign();
}

void DesignWindow::RefreshDesign() {
  toolkit::Surface& surface = window_.surface();
  surface.Clear();
  surface.FillRect(3450, 200, 8500, 4800, kPanelFill);
  surface.OutlineRect(3450, 200, 8500, 4800, kPanelOutline);

  ReduceSource(state_);
  ReduceLoad(state_);
  // The caution label (written with the results) speaks for the design now on the screen only.
  lastOutcome_ = DesignWithinRange(state_);
  if (lastOutcome_ == DesignOutcome::Impossible) platform_.Beep();

  pen_ = Pen{.x = kSourceX, .y = kUpperRail, .colour = kDesignDrawColour};
  DrawSource();
  pen_.x = kNetworkX;
  DrawNetwork();
  pen_.x = kLoadX;
  DrawLoad();

  ShowResults();
  if (refreshListener_) refreshListener_(lastOutcome_);
}

void DesignWindow::PrintAt(float x, float y, const std::string& text) {
  toolkit::Surface& surface = window_.surface();
  surface.Point(D(x), D(y), kTextPoint);
  surface.Print(text);
}

void DesignWindow::DrawSource() {
  toolkit::Surface& surface = window_.surface();
  const ImpedanceValues& source = state_.SourceValues;
  DrawResistorZigzag(surface, pen_);
  PrintAt(800, pen_.y + 400, FormatQuantity(ShownResistance(source)));
  DrawWireStep(surface, pen_);
  DrawWireStep(surface, pen_);
  if (IsSeriesForm(source)) {
    if (source[SeriesX] > 0.0f) {
      DrawSeriesInductor(surface, pen_);
      PrintAt(1700, 360, FormatInductance(source[SeriesPart]));
    } else if (source[SeriesX] < 0.0f) {
      DrawSeriesCapacitor(surface, pen_);
      PrintAt(1700, 360, FormatCapacitance(std::fabs(source[SeriesPart])));
    } else {
      for (int i = 0; i < 4; ++i) DrawWireStep(surface, pen_);
    }
  } else if (IsParallelForm(source)) {
    if (source[ParallelX] > 0.0f) {
      DrawShuntInductor(surface, pen_);
      PrintAt(2370, 1200, FormatInductance(source[ParallelPart]));
    } else {
      DrawShuntCapacitor(surface, pen_);
      PrintAt(2370, 1200, FormatCapacitance(std::fabs(source[ParallelPart])));
    }
  }
  PrintAt(2300, 2200, FormatQuantity(source[Angle]) + "deg");
  for (int i = 0; i < 3; ++i) DrawWireStep(surface, pen_);
}

void DesignWindow::DrawElement(bool series, float reactance) {
  toolkit::Surface& surface = window_.surface();
  if (series) {
    reactance < 0.0f ? DrawSeriesCapacitor(surface, pen_) : DrawSeriesInductor(surface, pen_);
  } else {
    reactance < 0.0f ? DrawShuntCapacitor(surface, pen_) : DrawShuntInductor(surface, pen_);
  }
}

void DesignWindow::DrawNetwork() {
  const NetworkValues& net = state_.NetValues;
  const float family = net[NetworkFamily];
  bool middleIsSeries;
  if (family == FamilyTee) {
    middleIsSeries = false;
  } else if (family == FamilyPi || family == FamilyLowpassL || family == FamilyHighpassL) {
    middleIsSeries = true;
  } else {
    return;
  }
  for (int k = 1; k <= 3; ++k) {
    const float part = std::fabs(net[NetPart1 + k - 1]);
    if (!(state_.startup.TinyMagnitude < part && part < state_.startup.UnitMagnitude)) continue;
    const bool series = (k == 2) == middleIsSeries;
    DrawElement(series, net[NetX1 + k - 1]);
  }
}

void DesignWindow::DrawLoad() {
  toolkit::Surface& surface = window_.surface();
  const ImpedanceValues& load = state_.LoadValues;
  if (IsSeriesForm(load)) {
    if (load[SeriesX] > 0.0f) {
      DrawSeriesInductor(surface, pen_);
      PrintAt(9200, 360, FormatInductance(load[SeriesPart]));
      DrawWireStep(surface, pen_);
      DrawWireStep(surface, pen_);
    } else if (load[SeriesX] < 0.0f) {
      DrawWireStep(surface, pen_);
      DrawWireStep(surface, pen_);
      DrawSeriesCapacitor(surface, pen_);
      PrintAt(9200, 360, FormatCapacitance(std::fabs(load[SeriesPart])));
      DrawWireStep(surface, pen_);
      DrawWireStep(surface, pen_);
    } else {
      for (int i = 0; i < 6; ++i) DrawWireStep(surface, pen_);
    }
  } else if (IsParallelForm(load)) {
    for (int i = 0; i < 4; ++i) DrawWireStep(surface, pen_);
    std::string text;
    if (load[ParallelX] > 0.0f) {
      DrawShuntInductor(surface, pen_);
      text = FormatInductance(load[ParallelPart]);
    } else {
      DrawShuntCapacitor(surface, pen_);
      text = FormatCapacitance(std::fabs(load[ParallelPart]));
    }
    // Right-aligned by a fixed 90 units a character, ending near x 9720 left of the coil.
    const int n = static_cast<int>(text.size());
    PrintAt(static_cast<float>(9720 - 90 * n), 1200, text);
  }
  PrintAt(pen_.x - 800, 2800, FormatQuantity(load[Angle]) + "deg");
  DrawWireStep(surface, pen_);
  DrawWireStep(surface, pen_);
  DrawResistorZigzag(surface, pen_);
  PrintAt(pen_.x + 300, pen_.y + 400, FormatEngineering(ShownResistance(load)));
}

void DesignWindow::ShowResults() {
  const DesignCaptions shown = ComputeDesignCaptions(state_, lastOutcome_);
  for (const auto& [control, text] : shown.captions) SetCaption(control, text);
  for (const auto& [control, visible] : shown.visible) {
    if (visible) SetShown(control, *visible);
  }
  shownPhase_ = shown.shownPhase;
}

void DesignWindow::SetCaption(std::string_view control, const std::string& text) {
  window_.Find(control).SetText(text);
}

void DesignWindow::SetShown(std::string_view control, bool shown) {
  window_.Find(control).SetVisible(shown);
}

void DesignWindow::MarkFamily(float family) {
  struct FamilyButton {
    std::string_view name;
    float family;
  };
  constexpr std::array<FamilyButton, 4> kFamilyButtons{{{"cmdTee", FamilyTee},
                                                        {"cmdPi", FamilyPi},
                                                        {"cmdLPFL", FamilyLowpassL},
                                                        {"cmdHPFL", FamilyHighpassL}}};
  for (const FamilyButton& button : kFamilyButtons) {
    const bool selected = button.family == family;
    window_.Find(button.name)
        .SetBackground(selected ? kFamilySelectedColour : kFamilyUnselectedColour);
  }
  familyMarked_ = true;
}

void DesignWindow::ShowRestoredDesign() {
  if (familyMarked_) MarkFamily(state_.NetValues[NetworkFamily]);
  RefreshDesign();
}

void DesignWindow::SelectFamily(float family) {
  MarkFamily(family);
  state_.NetValues[NetworkFamily] = family;
  // The L designs find their own branch.
  if (IsLNetwork(family)) state_.NetValues[SolutionBranch] = BranchNotChosen;
  RefreshDesign();
}

// Each entry command reduces the side it changed and then refreshes, which reduces both sides
// again: that is the window's event cycle, and RefreshDesign must stand on its own for every
// other caller (load, family, frequency, phase), so neither reduction is dropped.
void DesignWindow::EnterSource(std::int16_t entryKind) {
  state_.EntryKind = entryKind;
  const ImpedanceValues before = state_.SourceValues;
  platform_.ShowDialog(toolkit::DialogId::Source);
  if (sideTyped_ && state_.SourceValues != before) sideTyped_(MeasuredSideKind::Source);
  ReduceSource(state_);
  RefreshDesign();
}

void DesignWindow::EnterLoad(std::int16_t entryKind) {
  state_.EntryKind = entryKind;
  const ImpedanceValues before = state_.LoadValues;
  platform_.ShowDialog(toolkit::DialogId::Load);
  if (sideTyped_ && state_.LoadValues != before) sideTyped_(MeasuredSideKind::Load);
  ReduceLoad(state_);
  RefreshDesign();
}

void DesignWindow::cmdTee_Click() { SelectFamily(FamilyTee); }
void DesignWindow::cmdPi_Click() { SelectFamily(FamilyPi); }
void DesignWindow::cmdLPFL_Click() { SelectFamily(FamilyLowpassL); }
void DesignWindow::cmdHPFL_Click() { SelectFamily(FamilyHighpassL); }

void DesignWindow::CommandSource1_Click() { EnterSource(KindSeriesReactance); }
void DesignWindow::CommandSource2_Click() { EnterSource(KindParallelReactance); }
void DesignWindow::CommandSource3_Click() { EnterSource(KindSeriesPart); }
void DesignWindow::CommandSource4_Click() { EnterSource(KindParallelPart); }

void DesignWindow::CommandSource5_Click() {
  state_.SourceValues[EntryForm] = SwappedEntryForm(state_.SourceValues[EntryForm]);
  ReduceSource(state_);
  RefreshDesign();
}

void DesignWindow::CommandLoad1_Click() { EnterLoad(KindSeriesReactance); }
void DesignWindow::CommandLoad2_Click() { EnterLoad(KindParallelReactance); }
void DesignWindow::CommandLoad3_Click() { EnterLoad(KindSeriesPart); }
void DesignWindow::CommandLoad4_Click() { EnterLoad(KindParallelPart); }

void DesignWindow::CommandLoad5_Click() {
  state_.LoadValues[EntryForm] = SwappedEntryForm(state_.LoadValues[EntryForm]);
  ReduceLoad(state_);
  RefreshDesign();
}

void DesignWindow::cmdPhase_Click() {
  if (CountsAsLNetwork(state_.NetValues[NetworkFamily])) {
    platform_.ShowMessage(std::string(kPhaseInLNetworkMessage));
    return;
  }
  platform_.ShowDialog(toolkit::DialogId::Phase);
  RefreshDesign();
}

void DesignWindow::cmdPhasePlusOne_Click() {
  state_.NetValues[NetworkPhase] += 1.0f;
  RefreshDesign();
}

void DesignWindow::cmdPhaseMinusOne_Click() {
  state_.NetValues[NetworkPhase] -= 1.0f;
  RefreshDesign();
}

void DesignWindow::cmdFrequency_Click() {
  platform_.ShowDialog(toolkit::DialogId::Frequency);
  if (frequencyChanged_) frequencyChanged_();
  RefreshDesign();
}

void DesignWindow::cmdPower_Click() {
  platform_.ShowDialog(toolkit::DialogId::Power);
  RefreshDesign();
}

void DesignWindow::cmdExit_Click() {
  if (std::string error; !WriteSession(state_, kSessionFileName, error)) {
    platform_.Beep();
    // The program's own sentence, then the writer's reason: "cannot write 'LastSession.CFG': ...".
    platform_.ShowMessage(std::string(kSessionWriteFailedMessage) + " " + error);
  }
  window_.Close();
  platform_.Quit();
}

bool DesignWindow::Click(std::string_view controlName) {
  for (const Command& command : kCommands) {
    if (command.name == controlName) {
      (this->*command.handler)();
      return true;
    }
  }
  return false;
}

std::span<const std::string_view> DesignWindow::CommandNames() { return kCommandNames; }

}  // namespace corvantile
