#include "analysis/circuits/part_model_text.h"

#include <algorithm>
#include <cstddef>
#include <utility>
#include <vector>

#include "analysis/formats/number_text.h"
#include "state/message_text.h"
#include "units/parse.h"

namespace corvantile {
namespace {

// As every numeric option reads: the program's notation, strictly, within +/-10 G.
bool ReadItemNumber(std::string_view label, std::string_view text, double& value,
                    std::string& error) {
  const StrictValue read = ParseValueStrict(text);
  const std::string head = std::string(label) + ": " + QuotedValue(text) + " ";
  if (read.problem == StrictProblem::NotAValue) {
    error = head + StrictProblemText(read.problem);
    return false;
  }
  if (!(read.value >= -kValueLimit && read.value <= kValueLimit)) {
    error = head + "is outside " + EngineeringText(-kValueLimit, "") + " to " +
            EngineeringText(kValueLimit, "");
    return false;
  }
  if (read.problem != StrictProblem::None) {
    error = head + StrictProblemText(read.problem);
    return false;
  }
  value = read.value;
  return true;
}

}  // namespace

bool ReadPartModelItems(std::string_view items, const PartModelTarget& target,
                        std::string_view label, PartModelItems& read, std::string& error) {
  const std::string head = std::string(label) + ": ";
  PartModelItems result;
  std::string_view rest = items;
  // An item given twice would silently lose one of its values: refused instead.
  std::vector<std::string_view> seen;
  while (!rest.empty()) {
    const std::size_t comma = rest.find(',');
    const std::string_view item = rest.substr(0, comma);
    rest = comma == std::string_view::npos ? std::string_view{} : rest.substr(comma + 1);
    const std::string_view name = item.substr(0, item.find(':'));
    if (std::find(seen.begin(), seen.end(), name) != seen.end()) {
      error = head + "'" + std::string(name) + "' is given twice";
      return false;
    }
    seen.push_back(name);
    if (item == "ideal") {
      result.q = 0.0;
      result.parts = {};
      continue;
    }
    const std::size_t colon = item.find(':');
    const std::string_view key = item.substr(0, colon);
    if (colon == std::string_view::npos) {
      error = head + "'" + std::string(item) + "' needs a value (" + std::string(key) + ":VALUE)";
      return false;
    }
    const std::string_view text = item.substr(colon + 1);
    double number = 0.0;
    if (key == "law") {
      if (target.element > 0) {
        error = head + "an element keeps its kind's Q law (law: is for inductor or capacitor)";
        return false;
      }
      if (!ReadItemNumber(label, text, number, error)) return false;
      if (!(number >= -4.0 && number <= 4.0)) {
        error = head + "the law must lie between -4 and 4";
        return false;
      }
      result.law = number;
      continue;
    }
    if (!ReadItemNumber(label, text, number, error)) return false;
    if (number < 0.0) {
      error = head + std::string(key) + " cannot be negative";
      return false;
    }
    if (key == "q") {
      result.q = number;
    } else if (key == "esr") {
      result.parts.esr = number;
    } else if (key == "esl") {
      result.parts.esl = number;
    } else if (key == "leak") {
      result.parts.leakage = number;
    } else if (key == "cp") {
      result.parts.cp = number;
    } else {
      error = head + "'" + std::string(key) + "' is not q, law, esr, esl, leak, cp or ideal";
      return false;
    }
  }
  read = result;
  return true;
}

bool ReadPartModel(std::string_view value, std::string_view label, PartModelTarget& target,
                   PartModelItems& read, std::string& error) {
  const std::size_t equals = value.find('=');
  if (equals == std::string_view::npos || equals + 1 >= value.size()) {
    error = std::string(label) + ": expected WHO=ITEM,... (capacitor=esr:0.05,esl:0.4n), not '" +
            std::string(value) + "'";
    return false;
  }
  const std::string_view who = value.substr(0, equals);
  PartModelTarget to;
  if (who == "inductor" || who == "l" || who == "L") {
    to.kind = PartKind::Inductor;
  } else if (who == "capacitor" || who == "c" || who == "C") {
    to.kind = PartKind::Capacitor;
  } else if (who == "1" || who == "2" || who == "3") {
    to.element = who[0] - '0';
  } else {
    error = std::string(label) + ": '" + std::string(who) +
            "' is not inductor, capacitor or an element 1 to 3";
    return false;
  }
  if (!ReadPartModelItems(value.substr(equals + 1), to, label, read, error)) return false;
  target = to;
  return true;
}

void ApplyPartModel(const PartModelTarget& target, const PartModelItems& read, LossModel& model) {
  if (target.element == 0) {
    const bool inductor = target.kind == PartKind::Inductor;
    PartQ& kind = inductor ? model.inductor : model.capacitor;
    if (read.q) kind.q0 = *read.q;
    if (read.law) kind.law = *read.law;
    (inductor ? model.inductorParts : model.capacitorParts) = read.parts;
    return;
  }
  const std::size_t index = static_cast<std::size_t>(target.element - 1);
  if (read.q) model.elementQ[index] = *read.q;
  PartParasitics parts = read.parts;
  if (model.elementParts[index]) parts.file = model.elementParts[index]->file;
  model.elementParts[index] = parts;
}

PartFileMounting MountingOf(PartConnection connection) {
  switch (connection) {
    case PartConnection::Shunt:
      return PartFileMounting::Shunt;
    case PartConnection::OnePort:
      return PartFileMounting::OnePort;
    case PartConnection::Series:
      break;
  }
  return PartFileMounting::Series;
}

PartConnection ConnectionOf(PartFileMounting mounting) {
  switch (mounting) {
    case PartFileMounting::Shunt:
      return PartConnection::Shunt;
    case PartFileMounting::OnePort:
      return PartConnection::OnePort;
    case PartFileMounting::Series:
      break;
  }
  return PartConnection::Series;
}

std::string PartModelsProblem(const PartModelSettings& models) {
  PartModelItems read;
  std::string error;
  if (!ReadPartModelItems(models.inductorModel, {PartKind::Inductor, 0}, "inductor model", read,
                          error) ||
      !ReadPartModelItems(models.capacitorModel, {PartKind::Capacitor, 0}, "capacitor model", read,
                          error)) {
    return error;
  }
  for (int k = 1; k <= 3; ++k) {
    const std::optional<std::string>& text = models.elementModel[static_cast<std::size_t>(k - 1)];
    const std::string label = "element " + std::to_string(k) + " model";
    if (text && !ReadPartModelItems(*text, {PartKind::Short, k}, label, read, error)) return error;
  }
  return {};
}

LossModel LossModelOf(const std::optional<LossSettings>& settings,
                      const std::array<std::shared_ptr<const PartFile>, 3>& files) {
  LossModel model = LossModelOf(settings);
  if (!settings) return model;
  const PartModelSettings& m = settings->models;
  std::string ignored;
  for (const auto& [text, kind] : {std::pair(&m.inductorModel, PartKind::Inductor),
                                   std::pair(&m.capacitorModel, PartKind::Capacitor)}) {
    PartModelItems read;
    const PartModelTarget target{kind, 0};
    if (!text->empty() && ReadPartModelItems(*text, target, "", read, ignored)) {
      ApplyPartModel(target, read, model);
    }
  }
  for (int k = 1; k <= 3; ++k) {
    const std::size_t i = static_cast<std::size_t>(k - 1);
    PartModelItems read;
    const PartModelTarget target{PartKind::Short, k};
    if (m.elementModel[i] && ReadPartModelItems(*m.elementModel[i], target, "", read, ignored)) {
      ApplyPartModel(target, read, model);
    }
    if (m.elementFile[i] && files[i]) {
      if (!model.elementParts[i]) model.elementParts[i] = PartParasitics{};
      model.elementParts[i]->file = files[i];
    }
  }
  return model;
}

}  // namespace corvantile
