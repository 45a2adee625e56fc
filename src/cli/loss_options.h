#pragma once

// The lossy-part options of design, sweep and export, read in one place:
//   --q-inductor Q, --q-capacitor Q    unloaded Q at the design frequency of every inductor or
//                                      capacitor ("ideal" or 0: lossless)
//   --q1, --q2, --q3 Q                 that element's own Q, overriding its kind's
//   --q-law-inductor K, --q-law-capacitor K   Q(f) = Q0 (f/f0)^K: 0 constant Q, 0.5 skin
//                                      effect, 1 constant series resistance
//   --part-model WHO=ITEM,...          a kind's or an element's equivalent circuit:
//                                      capacitor=esr:0.05,esl:0.4n, 2=q:60,cp:0.15p
//   --part-file N=FILE[:series|shunt]  element N is a maker's measured part
//   --compensate                       re-solve the design so the lossy network matches
// The loss is the usual ESR model, a series resistance |X| / Q(f) in every part.
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "analysis/circuits/part_losses.h"
#include "analysis/solvers/lossy_network.h"
#include "cli/design_options.h"
#include "cli/option_table.h"

namespace corvantile::cli {

struct LossOptions {
  bool given = false;  // any loss option was on the command line
  bool compensate = false;
  LossModel model;  // the defaults (Q 100 skin effect, Q 1000 constant) until options change it
  // Every loss option as given, in order, so that they can be applied over a session's losses.
  std::vector<std::pair<std::string, std::string>> applied;
  std::vector<std::string> named;  // the options given, each at most once
};

// The loss options under `heading`, read into `options` (each at most once); without
// --compensate for a command it does not apply to.
enum class CompensateOption { Listed, Omitted };
OptionGroup LossGroup(LossOptions& options, std::string heading,
                      CompensateOption compensate = CompensateOption::Listed);

// Applies one loss option: "--q-inductor" "150" sets every inductor's Q0 to 150; "--q2" "ideal"
// makes element 2 lossless; "--part-model" "capacitor=esr:0.05,esl:0.4n" gives every capacitor
// 0.05 ohm ESR and 0.4 nH ESL; "--part-file" "2=cap.s2p:shunt" reads the file for element 2.
// False with a one-line `error` for a value that is not a number, a negative Q or a law outside
// -4 to 4, an unknown item or an unreadable file. `value` is ignored for --compensate.
bool ApplyLossOption(std::string_view name, std::string_view value, LossOptions& options,
                     std::string& error);

// True for the options that may be repeated: --part-model and --part-file.
bool IsPartOption(std::string_view name);

// The model the figures use: the options' model when any loss option was given, else every
// part ideal, so that a command line without loss options gives the lossless figures.
LossModel EffectiveLossModel(const LossOptions& options);

// `base` (a design's model, a session's part models among it) with the options' --part-model
// and --part-file applied over it in order. `options` may be null.
LossModel WithPartModels(LossModel base, const LossOptions* options);

// The design's losses once the options are applied over `base` (a session's losses; when it
// switches no part's losses on, over the defaults, Q 100 skin effect and Q 1000 constant). The
// part models given are kept as texts and files beside the session's (a --part-model's q: and
// law: go into the Q members).
LossSettings LossSettingsFor(const LossOptions& options, const std::optional<LossSettings>& base);

// The circuit the response and exports are made of: the compensated one with --compensate,
// else `circuit` itself. `designDriver` is NetValues[DesignDriver], which says which outer
// element a fixed design keeps.
MatchingCircuit CircuitForLosses(const MatchingCircuit& circuit, const LossOptions& options,
                                 float designDriver);

}  // namespace corvantile::cli
