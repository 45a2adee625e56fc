#include "cli/loss_options.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>

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

// "0.4n" -> 4e-10, in the program's notation; false with one line naming the option.
bool ReadItemValue(std::string_view item, std::string_view text, double& value,
                   std::string& error) {
  if (!ReadOptionValue("--part-model", text, kAnyValue, value, error)) return false;
  if (value < 0.0) {
    error = "--part-model: " + std::string(item) + " cannot be negative";
    return false;
  }
  return true;
}

// Reads one --part-model value into the options' model.
bool ApplyPartModel(std::string_view value, LossOptions& options, std::string& error) {
  const std::size_t equals = value.find('=');
  if (equals == std::string_view::npos || equals + 1 >= value.size()) {
    error = "--part-model: expected WHO=ITEM,... (capacitor=esr:0.05,esl:0.4n), not '" +
            std::string(value) + "'";
    return false;
  }
  const std::string_view who = value.substr(0, equals);
  LossModel& m = options.model;
  PartQ* kind = nullptr;
  PartParasitics* parts = nullptr;
  int element = 0;
  if (who == "inductor" || who == "l" || who == "L") {
    kind = &m.inductor;
    parts = &m.inductorParts;
  } else if (who == "capacitor" || who == "c" || who == "C") {
    kind = &m.capacitor;
    parts = &m.capacitorParts;
  } else if (who == "1" || who == "2" || who == "3") {
    element = who[0] - '0';
  } else {
    error =
        "--part-model: '" + std::string(who) + "' is not inductor, capacitor or an element 1 to 3";
    return false;
  }
  const std::size_t index = static_cast<std::size_t>(std::max(element, 1) - 1);
  PartParasitics read;
  std::optional<double> q, law;
  std::string_view rest = value.substr(equals + 1);
  while (!rest.empty()) {
    const std::size_t comma = rest.find(',');
    const std::string_view item = rest.substr(0, comma);
    rest = comma == std::string_view::npos ? std::string_view{} : rest.substr(comma + 1);
    if (item == "ideal") {
      q = 0.0;
      read = {};
      continue;
    }
    const std::size_t colon = item.find(':');
    const std::string_view key = item.substr(0, colon);
    if (colon == std::string_view::npos) {
      error = "--part-model: '" + std::string(item) + "' needs a value (" + std::string(key) +
              ":VALUE)";
      return false;
    }
    const std::string_view text = item.substr(colon + 1);
    double number = 0.0;
    if (key == "law") {
      if (element > 0) {
        error =
            "--part-model: an element keeps its kind's Q law (law: is for inductor or "
            "capacitor)";
        return false;
      }
      if (!ReadOptionValue("--part-model", text, kAnyValue, number, error)) return false;
      if (!(number >= -4.0 && number <= 4.0)) {
        error = "--part-model: the law must lie between -4 and 4";
        return false;
      }
      law = number;
      continue;
    }
    if (!ReadItemValue(key, text, number, error)) return false;
    if (key == "q") {
      q = number;
    } else if (key == "esr") {
      read.esr = number;
    } else if (key == "esl") {
      read.esl = number;
    } else if (key == "leak") {
      read.leakage = number;
    } else if (key == "cp") {
      read.cp = number;
    } else {
      error = "--part-model: '" + std::string(key) + "' is not q, law, esr, esl, leak, cp or ideal";
      return false;
    }
  }
  if (kind != nullptr) {
    if (q) kind->q0 = *q;
    if (law) kind->law = *law;
    *parts = read;
  } else {
    if (q) m.elementQ[index] = *q;
    // A file given for the element stays its part.
    if (m.elementParts[index]) read.file = m.elementParts[index]->file;
    m.elementParts[index] = read;
  }
  return true;
}

// Reads one --part-file value: "2=cap.s2p", "1=ind.s2p:shunt".
bool ApplyPartFile(std::string_view value, LossOptions& options, std::string& error) {
  const std::size_t equals = value.find('=');
  const std::string_view who = value.substr(0, equals);
  if (equals == std::string_view::npos || equals + 1 >= value.size() ||
      !(who == "1" || who == "2" || who == "3")) {
    error = "--part-file: expected N=FILE[:series|shunt] with N an element 1 to 3, not '" +
            std::string(value) + "'";
    return false;
  }
  std::string_view path = value.substr(equals + 1);
  PartFileMounting mounting = PartFileMounting::Series;
  if (path.ends_with(":series")) {
    path.remove_suffix(7);
  } else if (path.ends_with(":shunt")) {
    path.remove_suffix(6);
    mounting = PartFileMounting::Shunt;
  }
  const PartFileRead read = ReadPartFile(std::string(path), mounting);
  if (!read.error.empty()) {
    error = read.error;
    return false;
  }
  const std::size_t index = static_cast<std::size_t>(who[0] - '1');
  std::optional<PartParasitics>& parts = options.model.elementParts[index];
  if (!parts) parts = PartParasitics{};
  parts->file = read.part;
  return true;
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
  std::string ignored;
  for (const auto& [name, value] : options.applied) ApplyLossOption(name, value, over, ignored);
  return LossSettingsOf(over.model, over.compensate);
}

LossModel WithPartModels(LossModel base, const LossOptions* options) {
  if (options == nullptr) return base;
  base.inductorParts = options->model.inductorParts;
  base.capacitorParts = options->model.capacitorParts;
  base.elementParts = options->model.elementParts;
  return base;
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
