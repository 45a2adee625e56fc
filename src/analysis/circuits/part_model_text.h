#pragma once

// A part's equivalent circuit as text, the one grammar the command line's --part-model and the
// settings file (and the window's Parts page) share: WHO=ITEM,... with WHO inductor (l, L),
// capacitor (c, C) or an element 1 to 3, and ITEMs q:Q, law:K (kinds only), esr:OHM, esl:H,
// leak:OHM, cp:F or ideal, each value in the program's notation ("0.4n").
#include <array>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "analysis/circuits/part_losses.h"
#include "analysis/formats/part_file.h"
#include "state/settings_file.h"

namespace corvantile {

// Whom a text is for: a kind (inductor or capacitor), or an element 1 to 3 (kind unused).
struct PartModelTarget {
  PartKind kind = PartKind::Inductor;
  int element = 0;  // 1 to 3 for an element, else 0
};

// What the items give: a Q and a law only when they name one, and the parasitics they list
// (ideal: Q 0 and none). "q:60,esl:0.4n" -> q 60, ESL 4e-10.
struct PartModelItems {
  std::optional<double> q;
  std::optional<double> law;
  PartParasitics parts;
};

// Reads "esr:0.05,esl:0.4n" for `target` ("" gives nothing at all). False with one line that
// starts with `label`: "--part-model: 'x' is not q, law, esr, esl, leak, cp or ideal".
bool ReadPartModelItems(std::string_view items, const PartModelTarget& target,
                        std::string_view label, PartModelItems& read, std::string& error);

// Reads "capacitor=esr:0.05" into its target and items; the items may not be empty.
bool ReadPartModel(std::string_view value, std::string_view label, PartModelTarget& target,
                   PartModelItems& read, std::string& error);

// Puts the items into `model`: the Q and law they name, and the parasitics, which replace the
// target's whole (an element keeps the file it was given).
void ApplyPartModel(const PartModelTarget& target, const PartModelItems& read, LossModel& model);

// "series", "shunt", "1-port" -> the mounting; the settings' connection and back.
PartFileMounting MountingOf(PartConnection connection);
PartConnection ConnectionOf(PartFileMounting mounting);

// The first model text of `models` that does not read, as one line ("capacitor model: ..."), or
// "" when every one does.
std::string PartModelsProblem(const PartModelSettings& models);

// The settings' losses as the whole model: each part's Q, then the model texts over them in the
// command line's order (kinds, then elements; a text that does not read is left out), then
// element k's part file as `files[k - 1]` gives it read (null: none).
LossModel LossModelOf(const std::optional<LossSettings>& settings,
                      const std::array<std::shared_ptr<const PartFile>, 3>& files);

}  // namespace corvantile
