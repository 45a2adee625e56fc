#include "cli/loss_options.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>

#include "analysis/circuits/part_model_text.h"
#include "analysis/formats/part_file.h"
#include "cli/option_values.h"
#include "state/message_text.h"

namespace corvantile::cli {
namespace {

struct LossOptionInfo {
  std::string_view name;
  std::string_view value_name;  // "" for a flag
  std::string_view help;
};

constexpr std::array<LossOptionInfo, 10> kLossOptions{{
    {"--q-inductor", "Q",
     "unloaded Q of every inductor at the design frequency\n(default 100; 0 or ideal: lossless)"},
    {"--q-capacitor", "Q", "unloaded Q of every capacitor (default 1000)"},
    {"--q1", "Q", "element 1's own Q, overriding its kind's"},
    {"--q2", "Q", "element 2's own Q"},
    {"--q3", "Q", "element 3's own Q"},
    {"--q-law-inductor", "K",
     "Q(f) = Q0 (f/f0)^K for inductors: 0 constant Q, 0.5 skin\neffect (default), 1 constant "
     "series resistance"},
    {"--q-law-capacitor", "K", "the same for capacitors (default 0)"},
    {"--part-model", "WHO=ITEM,...",
     "a part's equivalent circuit; WHO is inductor, capacitor\n"
     "or an element 1 to 3; ITEMs q:Q, law:K (kinds only),\n"
     "esr:OHM, esl:H, leak:OHM (across the L or C), cp:F\n"
     "(across the part), or ideal: capacitor=esr:0.05,esl:0.4n\n"
     "or 2=q:60,cp:0.15p (repeatable; an element's parasitics\n"
     "replace its kind's)"},
    {"--part-file", "N=FILE[:series|shunt]",
     "element N is the part measured in a maker's Touchstone\n"
     "file: a 2-port with the part in series (default) or in\n"
     "shunt, or a 1-port (repeatable)"},
    {"--compensate", "",
     "re-solve two elements so that the lossy network matches\nthe source exactly (each part's "
     "loss is the usual ESR\nmodel, a series resistance |X|/Q)"},
}};

bool ReadNumber(std::string_view name, std::string_view text, double& value, std::string& error) {
  if (text == "ideal") {
    value = 0.0;
    return true;
  }
  // As every numeric option: the program's notation, read strictly.
  return ReadOptionValue(name, text, kAnyValue, value, error);
}

// Reads one --part-model value into the options' model, with the grammar the settings share.
bool ApplyPartModel(std::string_view value, LossOptions& options, std::string& error) {
  PartModelTarget target;
  PartModelItems read;
  if (!ReadPartModel(value, "--part-model", target, read, error)) return false;
  ApplyPartModel(target, read, options.model);
  return true;
}

// "2=cap.s2p:shunt" -> element 2, the path and its connection; false when N is not 1 to 3.
bool SplitPartFile(std::string_view value, std::size_t& index, std::string& path,
                   PartFileMounting& mounting) {
  const std::size_t equals = value.find('=');
  const std::string_view who = value.substr(0, equals);
  if (equals == std::string_view::npos || equals + 1 >= value.size() ||
      !(who == "1" || who == "2" || who == "3")) {
    return false;
  }
  std::string_view file = value.substr(equals + 1);
  mounting = PartFileMounting::Series;
  if (file.ends_with(":series")) {
    file.remove_suffix(7);
  } else if (file.ends_with(":shunt")) {
    file.remove_suffix(6);
    mounting = PartFileMounting::Shunt;
  }
  index = static_cast<std::size_t>(who[0] - '1');
  path = std::string(file);
  return true;
}

// Reads one --part-file value: "2=cap.s2p", "1=ind.s2p:shunt".
bool ApplyPartFile(std::string_view value, LossOptions& options, std::string& error) {
  std::size_t index = 0;
  std::string path;
  PartFileMounting mounting = PartFileMounting::Series;
  if (!SplitPartFile(value, index, path, mounting)) {
    error = "--part-file: expected N=FILE[:series|shunt] with N an element 1 to 3, not '" +
            std::string(value) + "'";
    return false;
  }
  const PartFileRead read = ReadPartFile(path, mounting);
  if (!read.error.empty()) {
    error = read.error;
    return false;
  }
  std::optional<PartParasitics>& parts = options.model.elementParts[index];
  if (!parts) parts = PartParasitics{};
  parts->file = read.part;
  return true;
}

// The items of a --part-model value as the settings keep them: its Q and law are the settings'
// own members already, so only the parasitics stay ("q:60,esl:0.4n" -> "esl:0.4n").
std::string ParasiticItems(std::string_view items) {
  std::string kept;
  while (!items.empty()) {
    const std::size_t comma = items.find(',');
    const std::string_view item = items.substr(0, comma);
    items = comma == std::string_view::npos ? std::string_view{} : items.substr(comma + 1);
    if (item.starts_with("q:") || item.starts_with("law:")) continue;
    if (!kept.empty()) kept += ',';
    kept += item;
  }
  return kept;
}

// Puts a --part-model or --part-file value (already read without error) into the settings.
void KeepPartOption(std::string_view name, std::string_view value, PartModelSettings& models) {
  if (name == "--part-file") {
    std::size_t index = 0;
    std::string path;
    PartFileMounting mounting = PartFileMounting::Series;
    if (SplitPartFile(value, index, path, mounting)) {
      models.elementFile[index] = PartFileSetting{path, ConnectionOf(mounting)};
    }
    return;
  }
  PartModelTarget target;
  PartModelItems read;
  std::string ignored;
  if (!ReadPartModel(value, "--part-model", target, read, ignored)) return;
  const std::string items = ParasiticItems(value.substr(value.find('=') + 1));
  if (target.element > 0) {
    models.elementModel[static_cast<std::size_t>(target.element - 1)] = items;
  } else if (target.kind == PartKind::Inductor) {
    models.inductorModel = items;
  } else {
    models.capacitorModel = items;
  }
}

}  // namespace

bool IsPartOption(std::string_view name) { return name == "--part-model" || name == "--part-file"; }

OptionGroup LossGroup(LossOptions& options, std::string heading, CompensateOption compensate) {
  OptionGroup group;
  group.heading = std::move(heading);
  for (const LossOptionInfo& o : kLossOptions) {
    if (o.name == "--compensate" && compensate == CompensateOption::Omitted) continue;
    const std::string_view name = o.name;
    group.options.push_back({.name = name,
                             .value_name = o.value_name,
                             .help = o.help,
                             .read =
                                 [&options, name](std::string_view value, std::string& error) {
                                   return ApplyLossOption(name, value, options, error);
                                 },
                             .repeats = IsPartOption(name)});
  }
  return group;
}

bool ApplyLossOption(std::string_view name, std::string_view value, LossOptions& options,
                     std::string& error) {
  if (IsPartOption(name)) {
    options.applied.emplace_back(name, value);
    const bool ok = name == "--part-model" ? ApplyPartModel(value, options, error)
                                           : ApplyPartFile(value, options, error);
    if (ok) options.given = true;
    return ok;
  }
  if (std::find(options.named.begin(), options.named.end(), name) != options.named.end()) {
    error = std::string(name) + " may be given only once";
    return false;
  }
  options.named.emplace_back(name);
  options.applied.emplace_back(name, value);
  if (name == "--compensate") {
    options.given = true;
    options.compensate = true;
    return true;
  }
  double number = 0.0;
  if (!ReadNumber(name, value, number, error)) return false;
  const bool law = name.starts_with("--q-law-");
  if (law && !(number >= -4.0 && number <= 4.0)) {
    error = std::string(name) + ": the law must lie between -4 and 4";
    return false;
  }
  if (!law && number < 0.0) {
    error = std::string(name) + ": a Q cannot be negative (0 or ideal: lossless)";
    return false;
  }
  LossModel& m = options.model;
  if (name == "--q-inductor") {
    m.inductor.q0 = number;
  } else if (name == "--q-capacitor") {
    m.capacitor.q0 = number;
  } else if (name == "--q1" || name == "--q2" || name == "--q3") {
    m.elementQ[static_cast<std::size_t>(name[3] - '1')] = number;
  } else if (name == "--q-law-inductor") {
    m.inductor.law = number;
  } else if (name == "--q-law-capacitor") {
    m.capacitor.law = number;
  } else {
    error = std::string(name) + " is not a loss option";
    return false;
  }
  options.given = true;
  return true;
}

LossSettings LossSettingsFor(const LossOptions& options, const std::optional<LossSettings>& base) {
  LossOptions over;
  if (base && (base->inductorQ > 0.0 || base->capacitorQ > 0.0 ||
               std::any_of(base->elementQ.begin(), base->elementQ.end(),
                           [](const std::optional<double>& q) { return q && *q > 0.0; }))) {
    over.model = LossModelOf(base);
  }
  over.compensate = base && base->compensate;
  PartModelSettings models = base ? base->models : PartModelSettings{};
  std::string ignored;
  for (const auto& [name, value] : options.applied) {
    ApplyLossOption(name, value, over, ignored);
    if (IsPartOption(name)) KeepPartOption(name, value, models);
  }
  LossSettings settings = LossSettingsOf(over.model, over.compensate);
  settings.models = std::move(models);
  return settings;
}

LossModel WithPartModels(LossModel base, const LossOptions* options) {
  if (options == nullptr) return base;
  LossOptions over;
  over.model = std::move(base);
  std::string ignored;
  for (const auto& [name, value] : options->applied) {
    if (IsPartOption(name)) ApplyLossOption(name, value, over, ignored);
  }
  return over.model;
}

LossModel EffectiveLossModel(const LossOptions& options) {
  return options.given ? options.model : IdealLossModel();
}

MatchingCircuit CircuitForLosses(const MatchingCircuit& circuit, const LossOptions& options,
                                 float designDriver) {
  if (!options.compensate) return circuit;
  return CompensateLosses(circuit, EffectiveLossModel(options), designDriver).circuit;
}

}  // namespace corvantile::cli
