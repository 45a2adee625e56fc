#include "design/design_window.h"

#include <array>
#include <cmath>

#include "design/design_controls.h"
#include "math/design_network.h"
#include "math/reduction.h"
#include "state/session_file.h"
#include "toolkit/placement.h"
#include "units/format.h"

namespace corvantile {
namespace {

using toolkit::Rgb;

constexpr Rgb kTextPoint{255, 255, 255};  // plotted where each value is printed
constexpr float kUpperRail = 800;
constexpr float kSourceX = 1560;
constexpr float kNetworkX = 4800;
constexpr float kLoadX = 9060;
constexpr float kLargestShownPart = 10;  // henries, or farads for a capacitor

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

// Series and parallel forms of the same kind of description: 1 <-> 2, 3 <-> 4. Any other code
// (only an edited session file can hold one) is left as it is.
float SwappedEntryForm(float code) {
  if (code == 1.0f) return 2.0f;
  if (code == 2.0f) return 1.0f;
  if (code == 3.0f) return 4.0f;
  if (code == 4.0f) return 3.0f;
  return code;
}

// The resistance the section shows: the series one for series forms, else the parallel one.
// A code other than 1..4 shows the series resistance.
float ShownResistance(const ImpedanceValues& values) {
  return IsParallelForm(values) ? values[ParallelR] : values[SeriesR];
}

// The phase shown subtracts the angle of each side that is not entered as parallel R, jX.
bool AngleCountsInPhase(const ImpedanceValues& values) {
  const float code = values[EntryForm];
  return code == 1.0f || code == 3.0f || code == 4.0f;
}

std::string PartText(float part) {
  return part >= 0.0f ? FormatInductance(part) : FormatCapacitance(std::fabs(part));
}

// Element k's controls, k = 1..3.
std::string Numbered(std::string_view prefix, int k, std::string_view suffix = {}) {
  return std::string(prefix) + static_cast<char>('0' + k) + std::string(suffix);
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
  // The caution label speaks for the design now on the screen only.
  SetShown("lblCaution", false);
  lastOutcome_ = DesignNetwork(state_);
  if (lastOutcome_ == DesignOutcome::Impossible) {
    platform_.Beep();
    SetShown("lblCaution", true);
  }

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
  surface.Point(static_cast<double>(x), static_cast<double>(y), kTextPoint);
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
  const NetworkValues& net = state_.NetValues;
  const StartupValues& limits = state_.startup;
  for (int k = 1; k <= 3; ++k) {
    SetCaption(Numbered("lblChangeNetPart", k), PartText(net[NetPart1 + k - 1]));
  }
  for (int k = 1; k <= 3; ++k) {
    SetCaption(Numbered("lblChangeNetX", k), FormatEngineering(net[NetX1 + k - 1]) + "ohms");
  }
  for (int k = 1; k <= 3; ++k) {
    const float part = std::fabs(net[NetPart1 + k - 1]);
    const bool shown = !(part > kLargestShownPart || part < limits.TinyMagnitude);
    SetShown(Numbered("lblChangeNetPart", k), shown);
    SetShown(Numbered("lblChangeNetX", k), shown);
  }
  for (int k = 1; k <= 3; ++k) {
    SetCaption(Numbered("lblNetPart", k, "Volts"),
               FormatQuantity(net[NetPart1Volts + k - 1]) + "V");
    SetCaption(Numbered("lblNetPart", k, "Amps"), FormatQuantity(net[NetPart1Amps + k - 1]) + "A");
  }
  // With no power the part labels keep whatever visibility they had.
  if (net[Power] > 0.0f) {
    for (int k = 1; k <= 3; ++k) {
      SetShown(Numbered("lblNetPart", k, "Volts"), true);
      SetShown(Numbered("lblNetPart", k, "Amps"), true);
    }
  }
  for (int k = 1; k <= 3; ++k) {
    const float volts = net[NetPart1Volts + k - 1];
    const float amps = net[NetPart1Amps + k - 1];
    if (volts < limits.VoltsShownMin || volts > limits.VoltsShownMax ||
        amps < limits.AmpsShownMin || amps > limits.AmpsShownMax) {
      SetShown(Numbered("lblNetPart", k, "Volts"), false);
      SetShown(Numbered("lblNetPart", k, "Amps"), false);
    }
  }

  shownPhase_ = net[NetworkPhase];
  if (AngleCountsInPhase(state_.SourceValues)) shownPhase_ -= state_.SourceValues[Angle];
  if (AngleCountsInPhase(state_.LoadValues)) shownPhase_ -= state_.LoadValues[Angle];
  SetCaption("lblNetworkPhase", "Network phase:  " + FormatEngineering(shownPhase_));
  SetCaption("lblInputQ", "Input Q:  " + FormatQuantity(net[InputQ]));
  SetCaption("lblOutputQ", "Output Q:  " + FormatQuantity(net[OutputQ]));
  SetCaption("lblIntermediateR", "Intermediate r:   " + FormatQuantity(net[IntermediateR]));
  SetCaption("cmdPhase", "Phase (r-r):  " + FormatEngineering(net[NetworkPhase]) + "deg");
  SetCaption("cmdFrequency", "Frequency:  " + FormatFrequency(net[Frequency]) + "Hz");
  SetCaption("cmdPower", "Power:  " + FormatQuantity(net[Power]) + "W");
}

void DesignWindow::SetCaption(std::string_view control, const std::string& text) {
  window_.Find(control).SetText(text);
}

void DesignWindow::SetShown(std::string_view control, bool shown) {
  window_.Find(control).SetVisible(shown);
}

void DesignWindow::MarkFamily(float family) {
  constexpr std::array<std::string_view, 4> kFamilyButtons{"cmdTee", "cmdPi", "cmdLPFL", "cmdHPFL"};
  for (std::size_t i = 0; i < kFamilyButtons.size(); ++i) {
    const bool selected = static_cast<float>(i + 1) == family;
    window_.Find(kFamilyButtons[i])
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
  if (family == FamilyLowpassL || family == FamilyHighpassL) state_.NetValues[SolutionBranch] = 0;
  RefreshDesign();
}

void DesignWindow::EnterSource(std::int16_t entryKind) {
  state_.EntryKind = entryKind;
  platform_.ShowDialog(toolkit::DialogId::Source);
  ReduceSource(state_);
  RefreshDesign();
}

void DesignWindow::EnterLoad(std::int16_t entryKind) {
  state_.EntryKind = entryKind;
  platform_.ShowDialog(toolkit::DialogId::Load);
  ReduceLoad(state_);
  RefreshDesign();
}

void DesignWindow::cmdTee_Click() { SelectFamily(FamilyTee); }
void DesignWindow::cmdPi_Click() { SelectFamily(FamilyPi); }
void DesignWindow::cmdLPFL_Click() { SelectFamily(FamilyLowpassL); }
void DesignWindow::cmdHPFL_Click() { SelectFamily(FamilyHighpassL); }

void DesignWindow::CommandSource1_Click() { EnterSource(1); }
void DesignWindow::CommandSource2_Click() { EnterSource(2); }
void DesignWindow::CommandSource3_Click() { EnterSource(3); }
void DesignWindow::CommandSource4_Click() { EnterSource(4); }

void DesignWindow::CommandSource5_Click() {
  state_.SourceValues[EntryForm] = SwappedEntryForm(state_.SourceValues[EntryForm]);
  ReduceSource(state_);
  RefreshDesign();
}

void DesignWindow::CommandLoad1_Click() { EnterLoad(1); }
void DesignWindow::CommandLoad2_Click() { EnterLoad(2); }
void DesignWindow::CommandLoad3_Click() { EnterLoad(3); }
void DesignWindow::CommandLoad4_Click() { EnterLoad(4); }

void DesignWindow::CommandLoad5_Click() {
  state_.LoadValues[EntryForm] = SwappedEntryForm(state_.LoadValues[EntryForm]);
  ReduceLoad(state_);
  RefreshDesign();
}

void DesignWindow::cmdPhase_Click() {
  if (state_.NetValues[NetworkFamily] > FamilyPi) {
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
  RefreshDesign();
}

void DesignWindow::cmdPower_Click() {
  platform_.ShowDialog(toolkit::DialogId::Power);
  RefreshDesign();
}

void DesignWindow::cmdExit_Click() {
  if (!WriteSession(state_)) {
    platform_.Beep();
    platform_.ShowMessage(std::string(kSessionWriteFailedMessage));
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
