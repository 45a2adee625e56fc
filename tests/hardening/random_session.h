#pragma once

// A long random session of the design window: a seeded script of commands with random text
// typed into every dialog they open, a model of what each command must do to the run state,
// and the checks made after every step. The runners (on the recording toolkit, and on Qt's
// offscreen platform) play the script on a real window and compare it with the model.
#include <cstdint>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "math/design_network.h"
#include "state/circuit_state.h"
#include "toolkit/toolkit.h"

namespace corvantile::hardening {

// What the user does in a dialog: the text in each box when the dialog closes, which option
// button was clicked (entry dialogs), and how the dialog is closed.
struct DialogInput {
  enum class Option { Leave, Inductor, Capacitor };
  enum class Close { Enter, EnterByReturnKey, Escape, Frame };
  std::string text1;  // Text1, or the value dialogs' only box
  std::string text2;  // Text2 of the entry dialogs
  Option option = Option::Leave;
  Close close = Close::Enter;

  bool PressesEnter() const { return close == Close::Enter || close == Close::EnterByReturnKey; }
};

struct SessionStep {
  std::string_view command;  // a control name of the design window
  DialogInput input;         // used when the command opens a dialog
};

// The seeded script. Texts are any bytes unless `textOnly` (a Qt text box holds text, not
// bytes), and include the empty text, blanks, huge texts, runs of signs, SI prefixes,
// resistor codes, exponents far out of range, the formatters' own output and garbage.
class SessionScript {
 public:
  SessionScript(std::uint32_t seed, bool textOnly) : random_(seed), textOnly_(textOnly) {}
  SessionStep Next();
  std::string RandomText();

 private:
  int Pick(int count);
  std::string Number();

  std::mt19937 random_;
  bool textOnly_;
};

// The box of a value dialog: txtFrequency, txtPowerWatts or txtPhaseDegrees.
std::string_view ValueBoxName(toolkit::DialogId dialog);

// Acts as the user on a loaded dialog's controls: fills the boxes, clicks the option button.
// Closing is the caller's (the logic's cmdExit_Click for Enter).
void FillDialog(toolkit::Window& dialog, toolkit::DialogId id, const DialogInput& input);

// Runs one dialog on the recording toolkit as the user would: load, fill, Enter or not.
void RunDialog(toolkit::DialogId id, RunState& state, toolkit::ScreenTwips screen,
               const DialogInput& input);

// What each command of the design window must do to the run state, written from the
// commands' description with the core's reduction and design: the reference the window is
// compared with after every step.
class SessionModel {
 public:
  SessionModel(RunState state, toolkit::ScreenTwips screen);

  // What the command shows before it returns: a dialog, the refusal message, or nothing.
  enum class Shows { Nothing, Dialog, Message };
  Shows WhatCommandShows(std::string_view command, toolkit::DialogId& dialog) const;

  void Apply(const SessionStep& step);

  const RunState& state() const { return state_; }
  // The outcome of the last design shown: the caution label is up exactly when it failed.
  bool CautionShown() const { return outcome_ == DesignOutcome::Impossible; }

 private:
  void Refresh();

  RunState state_;
  toolkit::ScreenTwips screen_;
  DesignOutcome outcome_ = DesignOutcome::NotDesigned;
};

// Every problem with what the window shows and stores, one line each (empty when none):
// stored values that are not finite, texts that read "nan" or "inf", the caution label not
// following the model or showing with part loads, element captions shown for part values
// the display cannot show (or hidden for ones it can), a state that differs from the model's.
std::vector<std::string> CheckAfterStep(toolkit::Window& design, const RunState& shown,
                                        const SessionModel& model);

// Checks the file Exit wrote: every value as the state held it to the 7 significant digits
// the file keeps, and written again byte for byte. Empty when it is so.
std::string CheckExitFile(const std::string& fileBytes, const RunState& state);

// The command count and seed of a session: the environment's CORVANTILE_SESSION_COMMANDS and
// CORVANTILE_SESSION_SEED, or the given defaults.
int SessionCommands(int fallback);
std::uint32_t SessionSeed(std::uint32_t fallback);

}  // namespace corvantile::hardening
