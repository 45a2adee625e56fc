#include "cli/loss_options.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>

#include "cli/option_values.h"
#include "state/message_text.h"

namespace corvantile::cli {
namespace {

struct LossOptionInfo {
  std::string_view name;
  std::string_view value_name;  // "" for a flag
  std::string_view help;
};

constexpr std::array<LossOptionInfo, 8> kLossOptions{{
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

}  // namespace

OptionGroup LossGroup(LossOptions& options, std::string heading, CompensateOption compensate) {
  OptionGroup group;
  group.heading = std::move(heading);
  for (const LossOptionInfo& o : kLossOptions) {
    if (o.name == "--compensate" && compensate == CompensateOption::Omitted) continue;
    const std::string_view name = o.name;
    group.options.push_back({.name = name,
                             .value_name = o.value_name,
                             .help = o.help,
                             .read = [&options, name](std::string_view value, std::string& error) {
                               return ApplyLossOption(name, value, options, error);
                             }});
  }
  return group;
}

bool ApplyLossOption(std::string_view name, std::string_view value, LossOptions& options,
                     std::string& error) {
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

LossModel EffectiveLossModel(const LossOptions& options) {
  return options.given ? options.model : IdealLossModel();
}

MatchingCircuit CircuitForLosses(const MatchingCircuit& circuit, const LossOptions& options,
                                 float designDriver) {
  if (!options.compensate) return circuit;
  return CompensateLosses(circuit, EffectiveLossModel(options), designDriver).circuit;
}

}  // namespace corvantile::cli
