#include "random_session.h"

#include <array>
#include <cctype>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "design/design_controls.h"
#include "design/design_window.h"
#include "dialogs/dialog_logic.h"
#include "math/design_range.h"
#include "math/reduction.h"
#include "state/session_file.h"
#include "toolkit/recording_toolkit.h"
#include "units/format.h"

namespace corvantile::hardening {
namespace {

using toolkit::DialogId;

// Every command but Exit, which ends the session.
constexpr std::array<std::string_view, 19> kCommands{
    "cmdTee",           "cmdPi",          "cmdLPFL",        "cmdHPFL",
    "CommandSource1",   "CommandSource2", "CommandSource3", "CommandSource4",
    "CommandSource5",   "CommandLoad1",   "CommandLoad2",   "CommandLoad3",
    "CommandLoad4",     "CommandLoad5",   "cmdPhase",       "cmdPhasePlusOne",
    "cmdPhaseMinusOne", "cmdFrequency",   "cmdPower"};

constexpr std::string_view kPrefixes = "pnumkKMgGPNU";
constexpr std::array<std::string_view, 8> kUnits{"",  " ohms", "ohm",      "Hz",
                                                 "F", " H",    " degrees", " W"};
// Text a user may paste: letters, digits, punctuation and a few non-ASCII characters.
constexpr std::array<std::string_view, 12> kPasted{
    "\xc2\xb5", "\xce\xa9", "\xc3\xa9", "e", "E", ",", ".", "+", "-", " ", "x", "0"};

bool ReadsNanOrInf(const std::string& text) {
  std::string lower(text);
  for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return lower.find("nan") != std::string::npos || lower.find("inf") != std::string::npos;
}

std::uint32_t Bits(float value) {
  std::uint32_t bits;
  std::memcpy(&bits, &value, sizeof bits);
  return bits;
}

float ValueAt(const RunState& state, int k) {
  if (k < SourceValueCount) return state.SourceValues[static_cast<std::size_t>(k)];
  k -= SourceValueCount;
  if (k < NetValueCount) return state.NetValues[static_cast<std::size_t>(k)];
  return state.LoadValues[static_cast<std::size_t>(k - NetValueCount)];
}

float SwappedForm(float code) {
  if (code == 1.0f) return 2.0f;
  if (code == 2.0f) return 1.0f;
  if (code == 3.0f) return 4.0f;
  if (code == 4.0f) return 3.0f;
  return code;
}

}  // namespace

int SessionScript::Pick(int count) {
  return std::uniform_int_distribution<int>(0, count - 1)(random_);
}

// A plain decimal number of 1 to 9 digits, sometimes with a point.
std::string SessionScript::Number() {
  std::string digits;
  const int length = 1 + Pick(9);
  for (int i = 0; i < length; ++i) digits.push_back(static_cast<char>('0' + Pick(10)));
  if (Pick(2) == 0) digits.insert(static_cast<std::size_t>(Pick(length + 1)), 1, '.');
  return digits;
}

std::string SessionScript::RandomText() {
  switch (Pick(13)) {
    case 0:
      return "";
    case 1:
      return std::string(static_cast<std::size_t>(1 + Pick(5)), ' ');
    case 2:  // an ordinary value with a prefix and a unit
      return (Pick(4) == 0 ? "-" : "") + Number() + (Pick(2) == 0 ? " " : "") +
             std::string(1, kPrefixes[static_cast<std::size_t>(Pick(kPrefixes.size()))]) +
             std::string(kUnits[static_cast<std::size_t>(Pick(kUnits.size()))]);
    case 3: {  // runs of signs
      std::string signs;
      for (int i = 0, n = 1 + Pick(5); i < n; ++i) signs.push_back(Pick(2) == 0 ? '+' : '-');
      return signs + Number();
    }
    case 4:  // resistor code
      return std::to_string(Pick(100)) +
             std::string(1, kPrefixes[static_cast<std::size_t>(Pick(kPrefixes.size()))]) +
             std::to_string(Pick(100));
    case 5: {  // exponents, far out of range included
      const int exponent = Pick(2) == 0 ? Pick(60) - 30 : Pick(2000) - 1000;
      return Number() + (Pick(2) == 0 ? "e" : "E") + std::to_string(exponent);
    }
    case 6: {  // huge: a long run of digits, or of anything
      const std::size_t length = 100 + static_cast<std::size_t>(Pick(40000));
      std::string text(length, static_cast<char>('0' + Pick(10)));
      if (Pick(2) == 0) text.insert(0, std::string(static_cast<std::size_t>(Pick(30)), ' '));
      if (Pick(2) == 0) text[static_cast<std::size_t>(Pick(static_cast<int>(length)))] = '.';
      return text;
    }
    case 7: {  // garbage
      std::string text;
      for (int i = 0, n = 1 + Pick(30); i < n; ++i) {
        if (textOnly_) {
          text += Pick(2) == 0 ? std::string(kPasted[static_cast<std::size_t>(Pick(12))])
                               : std::string(1, static_cast<char>(' ' + Pick(95)));
        } else {
          text.push_back(static_cast<char>(Pick(256)));
        }
      }
      return text;
    }
    case 8: {  // zeros and near-numbers
      constexpr std::array<std::string_view, 12> kZeros{"0", "-0", "0.0", "+0e5", ".",  "-.",
                                                        "e", "E5", "-e5", "0x10", "1e", "1e+"};
      return std::string(kZeros[static_cast<std::size_t>(Pick(kZeros.size()))]);
    }
    case 9:  // a prefix or unit alone
      return Pick(2) == 0
                 ? std::string(1, kPrefixes[static_cast<std::size_t>(Pick(kPrefixes.size()))])
                 : std::string(kUnits[static_cast<std::size_t>(1 + Pick(kUnits.size() - 1))]);
    case 10:  // many digits, past the 12 characters read
      return Number() + Number() + Number();
    case 11: {  // what the dialogs themselves show, read back
      const float value =
          static_cast<float>(std::pow(10.0, Pick(50) - 25)) * static_cast<float>(1 + Pick(999));
      switch (Pick(4)) {
        case 0:
          return FormatEngineering(Pick(2) == 0 ? value : -value);
        case 1:
          return FormatCapacitance(value);
        case 2:
          return FormatInductance(value);
        default:
          return FormatFrequency(value);
      }
    }
    default:  // a plain number
      return (Pick(3) == 0 ? "-" : "") + Number();
  }
}

SessionStep SessionScript::Next() {
  SessionStep step;
  step.command = kCommands[static_cast<std::size_t>(Pick(kCommands.size()))];
  step.input.text1 = RandomText();
  step.input.text2 = RandomText();
  step.input.option = static_cast<DialogInput::Option>(Pick(3));
  const int close = Pick(10);
  step.input.close = close < 4   ? DialogInput::Close::Enter
                     : close < 8 ? DialogInput::Close::EnterByReturnKey
                     : close < 9 ? DialogInput::Close::Escape
                                 : DialogInput::Close::Frame;
  return step;
}

std::string_view ValueBoxName(DialogId dialog) {
  switch (dialog) {
    case DialogId::Power:
      return "txtPowerWatts";
    case DialogId::Phase:
      return "txtPhaseDegrees";
    default:
      return "txtFrequency";
  }
}

void FillDialog(toolkit::Window& dialog, DialogId id, const DialogInput& input) {
  if (id == DialogId::Source || id == DialogId::Load) {
    dialog.Find("Text1").SetText(input.text1);
    dialog.Find("Text2").SetText(input.text2);
    if (input.option != DialogInput::Option::Leave) {
      const bool inductor = input.option == DialogInput::Option::Inductor;
      // One exclusive group: clicking one clears the other.
      dialog.Find(inductor ? "Option1" : "Option2").SetChecked(true);
      dialog.Find(inductor ? "Option2" : "Option1").SetChecked(false);
    }
  } else {
    dialog.Find(ValueBoxName(id)).SetText(input.text1);
  }
}

void RunDialog(DialogId id, RunState& state, toolkit::ScreenTwips screen,
               const DialogInput& input) {
  toolkit::RecordingWindow dialog;
  const std::unique_ptr<DialogLogic> logic = MakeDialogLogic(id, state, dialog, screen);
  logic->Form_Load();
  FillDialog(dialog, id, input);
  if (input.PressesEnter()) logic->cmdExit_Click();
}

SessionModel::SessionModel(RunState state, toolkit::ScreenTwips screen)
    : state_(std::move(state)), screen_(screen) {
  Refresh();  // the window's load ends with one refresh
}

SessionModel::Shows SessionModel::WhatCommandShows(std::string_view command,
                                                   DialogId& dialog) const {
  if (command.starts_with("CommandSource") && command != "CommandSource5") {
    dialog = DialogId::Source;
    return Shows::Dialog;
  }
  if (command.starts_with("CommandLoad") && command != "CommandLoad5") {
    dialog = DialogId::Load;
    return Shows::Dialog;
  }
  if (command == "cmdFrequency") {
    dialog = DialogId::Frequency;
    return Shows::Dialog;
  }
  if (command == "cmdPower") {
    dialog = DialogId::Power;
    return Shows::Dialog;
  }
  if (command == "cmdPhase") {
    if (state_.NetValues[NetworkFamily] > FamilyPi) return Shows::Message;
    dialog = DialogId::Phase;
    return Shows::Dialog;
  }
  return Shows::Nothing;
}

void SessionModel::Refresh() {
  ReduceSource(state_);
  ReduceLoad(state_);
  outcome_ = DesignWithinRange(state_);
}

void SessionModel::Apply(const SessionStep& step) {
  const std::string_view c = step.command;
  DialogId dialog{};
  const Shows shows = WhatCommandShows(c, dialog);
  if (shows == Shows::Message) return;  // refused: nothing changes, nothing is redrawn

  NetworkValues& net = state_.NetValues;
  if (c == "cmdTee" || c == "cmdPi" || c == "cmdLPFL" || c == "cmdHPFL") {
    const float family = c == "cmdTee"    ? FamilyTee
                         : c == "cmdPi"   ? FamilyPi
                         : c == "cmdLPFL" ? FamilyLowpassL
                                          : FamilyHighpassL;
    net[NetworkFamily] = family;
    if (family == FamilyLowpassL || family == FamilyHighpassL) net[SolutionBranch] = 0.0f;
  } else if (c == "CommandSource5") {
    state_.SourceValues[EntryForm] = SwappedForm(state_.SourceValues[EntryForm]);
    ReduceSource(state_);
  } else if (c == "CommandLoad5") {
    state_.LoadValues[EntryForm] = SwappedForm(state_.LoadValues[EntryForm]);
    ReduceLoad(state_);
  } else if (c == "cmdPhasePlusOne") {
    net[NetworkPhase] += 1.0f;
  } else if (c == "cmdPhaseMinusOne") {
    net[NetworkPhase] -= 1.0f;
  } else if (shows == Shows::Dialog) {
    if (dialog == DialogId::Source || dialog == DialogId::Load) {
      state_.EntryKind = static_cast<std::int16_t>(c.back() - '0');
    }
    RunDialog(dialog, state_, screen_, step.input);
    if (dialog == DialogId::Source) ReduceSource(state_);
    if (dialog == DialogId::Load) ReduceLoad(state_);
  }
  Refresh();
}

std::vector<std::string> CheckAfterStep(toolkit::Window& design, const RunState& shown,
                                        const SessionModel& model) {
  std::vector<std::string> problems;
  for (int k = 0; k < SessionValueCount; ++k) {
    const float value = ValueAt(shown, k);
    if (!std::isfinite(value)) {
      problems.push_back("value " + std::to_string(k) + " is " + std::to_string(value));
    }
    if (Bits(value) != Bits(ValueAt(model.state(), k))) {
      problems.push_back("value " + std::to_string(k) + " is " + std::to_string(value) +
                         ", the model has " + std::to_string(ValueAt(model.state(), k)));
    }
  }
  if (shown.EntryKind != model.state().EntryKind) problems.push_back("EntryKind differs");
  for (const toolkit::ControlLook& control : DesignControls()) {
    const std::string text = design.Find(control.name).Text();
    if (ReadsNanOrInf(text)) {
      problems.push_back(std::string(control.name) + " shows '" + text + "'");
    }
  }
  const bool caution = design.Find("lblCaution").IsVisible();
  if (caution != model.CautionShown()) {
    problems.push_back(std::string("lblCaution ") + (caution ? "shown" : "hidden") +
                       (model.CautionShown() ? " after a failed design" : " after a design"));
  }
  // A failed design shows no part loads; an element caption shows exactly for a part value
  // the display can show.
  if (caution) {
    for (const char* label : {"lblNetPart1Volts", "lblNetPart2Amps", "lblNetPart3Volts"}) {
      if (design.Find(label).IsVisible()) problems.push_back(std::string(label) + " shown");
    }
  }
  for (int k = 0; k < 3; ++k) {
    const float part = std::fabs(shown.NetValues[NetPart1 + k]);
    const bool showable = part >= 1e-13f && part <= 10.0f;
    const std::string label = "lblChangeNetPart" + std::to_string(k + 1);
    if (design.Find(label).IsVisible() != showable) {
      problems.push_back(label + (showable ? " hidden" : " shown") + " for " +
                         std::to_string(part));
    }
  }
  return problems;
}

std::string CheckExitFile(const std::string& fileBytes, const RunState& state) {
  RunState read = MakeDefaultRunState();
  if (!ReadSessionText(fileBytes, read)) return "the file Exit wrote reads short";
  for (int k = 0; k < SessionValueCount; ++k) {
    const double written = static_cast<double>(ValueAt(state, k));
    const double back = static_cast<double>(ValueAt(read, k));
    // Half a unit of the seventh significant digit, and the float rounding of what is read.
    if (std::fabs(back - written) > 5.7e-7 * std::fabs(written) + 1.5e-45) {
      return "value " + std::to_string(k) + " was " + std::to_string(written) + ", reads " +
             std::to_string(back);
    }
  }
  if (SessionFileText(read) != fileBytes) return "the file read back is written differently";
  return {};
}

int SessionCommands(int fallback) {
  const char* text = std::getenv("CORVANTILE_SESSION_COMMANDS");
  return text != nullptr && std::atoi(text) > 0 ? std::atoi(text) : fallback;
}

std::uint32_t SessionSeed(std::uint32_t fallback) {
  const char* text = std::getenv("CORVANTILE_SESSION_SEED");
  return text != nullptr ? static_cast<std::uint32_t>(std::strtoul(text, nullptr, 10)) : fallback;
}

}  // namespace corvantile::hardening
