#include "state/settings_file.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include <nlohmann/json.hpp>

#include "state/file_reader.h"
#include "state/file_writer.h"

namespace corvantile {
namespace {

using Json = nlohmann::json;

constexpr const char* kRecentFilesMember = "recent_files";

// The highest port a Touchstone file may have; anything above is not a port number.
constexpr int kMaxPort = 99;

Json SideJson(const MeasuredSide& side) { return Json{{"file", side.file}, {"port", side.port}}; }

// A side's member, or nothing when it is absent; damaged when present but not usable.
std::optional<MeasuredSide> ReadSide(const Json& measured, const char* name, bool& damaged) {
  const auto member = measured.find(name);
  if (member == measured.end() || member->is_null()) return std::nullopt;
  const Json& side = *member;
  if (!side.is_object()) {
    damaged = true;
    return std::nullopt;
  }
  const auto file = side.find("file");
  if (file == side.end() || !file->is_string() || file->get<std::string>().empty()) {
    damaged = true;
    return std::nullopt;
  }
  MeasuredSide result;
  result.file = file->get<std::string>();
  if (const auto port = side.find("port"); port != side.end()) {
    if (port->is_number_integer() && port->get<long long>() >= 1 &&
        port->get<long long>() <= kMaxPort) {
      result.port = port->get<int>();
    } else {
      damaged = true;  // a side on a port it cannot name follows no file rather than port 1
      return std::nullopt;
    }
  }
  return result;
}

constexpr std::array<const char*, 3> kStandardNames = {"none", "nearest", "best"};

Json ToleranceJson(const ToleranceSettings& t) {
  Json j = Json::object();
  j["standard"] = kStandardNames[static_cast<std::size_t>(t.standard)];
  j["series_inductor"] = "E" + std::to_string(t.inductorSeries);
  j["series_capacitor"] = "E" + std::to_string(t.capacitorSeries);
  j["inductor"] = t.inductorTolerance;
  j["capacitor"] = t.capacitorTolerance;
  j["distribution"] = t.normal ? "normal" : "uniform";
  j["builds"] = t.builds;
  j["seed"] = t.seed;
  if (t.band) j["band"] = Json::array({(*t.band)[0], (*t.band)[1]});
  return j;
}

// "E12" -> 12; anything not a known series gives nothing.
std::optional<int> SeriesCountOf(const Json& value) {
  if (!value.is_string()) return std::nullopt;
  const std::string text = value.get<std::string>();
  for (int count : kSeriesCounts) {
    if (text == "E" + std::to_string(count)) return count;
  }
  return std::nullopt;
}

// Each member on its own: one that cannot be used keeps its default and marks the file damaged.
ToleranceSettings ReadTolerance(const Json& j, bool& damaged) {
  ToleranceSettings t;
  if (!j.is_object()) {
    damaged = true;
    return t;
  }
  const auto with = [&](const char* name, auto&& take) {
    const auto member = j.find(name);
    if (member == j.end()) return;
    if (!take(*member)) damaged = true;
  };
  with("standard", [&](const Json& v) {
    for (std::size_t i = 0; i < kStandardNames.size(); ++i) {
      if (v.is_string() && v.get<std::string>() == kStandardNames[i]) {
        t.standard = static_cast<ToleranceStandard>(i);
        return true;
      }
    }
    return false;
  });
  const auto series = [](int& into) {
    return [&into](const Json& v) {
      const std::optional<int> count = SeriesCountOf(v);
      if (count) into = *count;
      return count.has_value();
    };
  };
  with("series_inductor", series(t.inductorSeries));
  with("series_capacitor", series(t.capacitorSeries));
  const auto fraction = [](double& into) {
    return [&into](const Json& v) {
      if (!v.is_number() || !(v.get<double>() >= 0.0 && v.get<double>() <= kMaxTolerance)) {
        return false;
      }
      into = v.get<double>();
      return true;
    };
  };
  with("inductor", fraction(t.inductorTolerance));
  with("capacitor", fraction(t.capacitorTolerance));
  with("distribution", [&](const Json& v) {
    if (!v.is_string() || (v != "uniform" && v != "normal")) return false;
    t.normal = v == "normal";
    return true;
  });
  with("builds", [&](const Json& v) {
    if (!v.is_number_integer() || v.get<long long>() < 1 ||
        v.get<long long>() > kMaxToleranceBuilds) {
      return false;
    }
    t.builds = v.get<int>();
    return true;
  });
  with("seed", [&](const Json& v) {
    if (!v.is_number_unsigned()) return false;
    t.seed = v.get<std::uint64_t>();
    return true;
  });
  with("band", [&](const Json& v) {
    if (v.is_null()) return true;
    if (!v.is_array() || v.size() != 2 || !v[0].is_number() || !v[1].is_number()) return false;
    const double f1 = v[0].get<double>(), f2 = v[1].get<double>();
    if (!(f1 > 0.0 && f2 > f1 && std::isfinite(f2))) return false;
    t.band = std::array<double, 2>{f1, f2};
    return true;
  });
  return t;
}

constexpr const char* kLossMembers[] = {
    "inductor_q", "inductor_law",   "capacitor_q",     "capacitor_law", "element_q",
    "compensate", "inductor_model", "capacitor_model", "element_model", "element_file"};

constexpr std::array<const char*, 3> kConnectionNames = {"series", "shunt", "one-port"};

// The part models' members, only those that hold something, so that a file without part
// models reads as it did before them.
void AddPartModels(const PartModelSettings& models, Json& losses) {
  if (!models.inductorModel.empty()) losses["inductor_model"] = models.inductorModel;
  if (!models.capacitorModel.empty()) losses["capacitor_model"] = models.capacitorModel;
  const auto any = [](const auto& slots) {
    return std::any_of(slots.begin(), slots.end(), [](const auto& s) { return s.has_value(); });
  };
  if (any(models.elementModel)) {
    Json texts = Json::array();
    for (const std::optional<std::string>& text : models.elementModel) {
      texts.push_back(text ? Json(*text) : Json(nullptr));
    }
    losses["element_model"] = texts;
  }
  if (any(models.elementFile)) {
    Json files = Json::array();
    for (const std::optional<PartFileSetting>& file : models.elementFile) {
      if (!file) {
        files.push_back(nullptr);
        continue;
      }
      files.push_back(
          Json{{"file", file->file},
               {"connection", kConnectionNames[static_cast<std::size_t>(file->connection)]}});
    }
    losses["element_file"] = files;
  }
}

// A part file entry, or nothing (damaged when present but not usable).
std::optional<PartFileSetting> ReadPartFileSetting(const Json& j, bool& damaged) {
  if (j.is_null()) return std::nullopt;
  const auto refuse = [&damaged]() -> std::optional<PartFileSetting> {
    damaged = true;
    return std::nullopt;
  };
  if (!j.is_object()) return refuse();
  const auto file = j.find("file");
  if (file == j.end() || !file->is_string() || file->get<std::string>().empty()) return refuse();
  PartFileSetting setting;
  setting.file = file->get<std::string>();
  if (const auto connection = j.find("connection"); connection != j.end()) {
    bool known = false;
    for (std::size_t i = 0; i < kConnectionNames.size(); ++i) {
      if (connection->is_string() && *connection == kConnectionNames[i]) {
        setting.connection = static_cast<PartConnection>(i);
        known = true;
      }
    }
    if (!known) return refuse();
  }
  return setting;
}

// The part models inside the losses member; each unusable one is none, and damage.
PartModelSettings ReadPartModels(const Json& object, bool& damaged) {
  PartModelSettings models;
  for (const auto& [name, text] : {std::pair("inductor_model", &models.inductorModel),
                                   std::pair("capacitor_model", &models.capacitorModel)}) {
    const auto member = object.find(name);
    if (member == object.end() || member->is_null()) continue;
    if (member->is_string()) {
      *text = member->get<std::string>();
    } else {
      damaged = true;
    }
  }
  // An array of at most three, each entry read on its own.
  const auto slots = [&](const char* name, auto&& take) {
    const auto member = object.find(name);
    if (member == object.end() || member->is_null()) return;
    if (!member->is_array() || member->size() > 3) {
      damaged = true;
      return;
    }
    for (std::size_t i = 0; i < member->size(); ++i) take(i, (*member)[i]);
  };
  slots("element_model", [&](std::size_t i, const Json& v) {
    if (v.is_string()) {
      models.elementModel[i] = v.get<std::string>();
    } else if (!v.is_null()) {
      damaged = true;
    }
  });
  slots("element_file", [&](std::size_t i, const Json& v) {
    models.elementFile[i] = ReadPartFileSetting(v, damaged);
  });
  return models;
}

Json LossesJson(const LossSettings& losses) {
  Json elements = Json::array();
  for (const std::optional<double>& q : losses.elementQ) {
    elements.push_back(q ? Json(*q) : Json(nullptr));
  }
  Json j{{"inductor_q", losses.inductorQ},
         {"inductor_law", losses.inductorLaw},
         {"capacitor_q", losses.capacitorQ},
         {"capacitor_law", losses.capacitorLaw},
         {"element_q", elements},
         {"compensate", losses.compensate}};
  AddPartModels(losses.models, j);
  return j;
}

// A finite number member into `value`; absent leaves the default, anything else is damage.
void ReadNumber(const Json& object, const char* name, double& value, bool& damaged) {
  const auto member = object.find(name);
  if (member == object.end()) return;
  if (!member->is_number() || !std::isfinite(member->get<double>())) {
    damaged = true;
    return;
  }
  value = member->get<double>();
}

// The losses member; what cannot be read keeps its default and marks the file damaged.
std::optional<LossSettings> ReadLosses(const Json& root, bool& damaged) {
  const auto member = root.find("losses");
  if (member == root.end() || member->is_null()) return std::nullopt;
  if (!member->is_object()) {
    damaged = true;
    return std::nullopt;
  }
  const Json& object = *member;
  LossSettings losses;
  ReadNumber(object, "inductor_q", losses.inductorQ, damaged);
  ReadNumber(object, "inductor_law", losses.inductorLaw, damaged);
  ReadNumber(object, "capacitor_q", losses.capacitorQ, damaged);
  ReadNumber(object, "capacitor_law", losses.capacitorLaw, damaged);
  if (const auto elements = object.find("element_q"); elements != object.end()) {
    if (elements->is_array() && elements->size() <= losses.elementQ.size()) {
      for (std::size_t i = 0; i < elements->size(); ++i) {
        const Json& q = (*elements)[i];
        if (q.is_number() && std::isfinite(q.get<double>())) {
          losses.elementQ[i] = q.get<double>();
        } else if (!q.is_null()) {
          damaged = true;
        }
      }
    } else {
      damaged = true;
    }
  }
  if (const auto compensate = object.find("compensate"); compensate != object.end()) {
    if (compensate->is_boolean()) {
      losses.compensate = compensate->get<bool>();
    } else {
      damaged = true;
    }
  }
  losses.models = ReadPartModels(object, damaged);
  return losses;
}

Json FeedlineJson(const FeedlineSetting& feedline) {
  Json j{{"line", feedline.line}, {"at", feedline.atSource ? "source" : "load"}};
  if (feedline.farValues) {
    Json values = Json::array();
    for (const float v : *feedline.farValues) values.push_back(static_cast<double>(v));
    j["far_values"] = values;
  }
  return j;
}

// The feedline member: anything unusable in it leaves no line and marks the file damaged (a
// line half read would put a different line between the network and the side).
std::optional<FeedlineSetting> ReadFeedline(const Json& root, bool& damaged) {
  const auto member = root.find("feedline");
  if (member == root.end() || member->is_null()) return std::nullopt;
  const auto refuse = [&damaged]() -> std::optional<FeedlineSetting> {
    damaged = true;
    return std::nullopt;
  };
  if (!member->is_object()) return refuse();
  FeedlineSetting feedline;
  const auto line = member->find("line");
  if (line == member->end() || !line->is_string() || line->get<std::string>().empty()) {
    return refuse();
  }
  feedline.line = line->get<std::string>();
  if (const auto at = member->find("at"); at != member->end()) {
    if (!at->is_string() || (*at != "load" && *at != "source")) return refuse();
    feedline.atSource = *at == "source";
  }
  if (const auto far = member->find("far_values"); far != member->end() && !far->is_null()) {
    ImpedanceValues values{};
    if (!far->is_array() || far->size() != values.size()) return refuse();
    for (std::size_t i = 0; i < values.size(); ++i) {
      const Json& v = (*far)[i];
      // Held as a float, as the session file's values are: one beyond a float's range is no
      // value.
      if (!v.is_number() || !std::isfinite(static_cast<float>(v.get<double>()))) return refuse();
      values[i] = static_cast<float>(v.get<double>());
    }
    feedline.farValues = values;
  }
  return feedline;
}

// Whether `text`'s objects and arrays nest at most `limit` deep, brackets inside strings not
// counted: the JSON library parses, copies and prints by recursion.
bool NestsAtMost(std::string_view text, int limit) {
  int depth = 0;
  bool inString = false;
  for (std::size_t k = 0; k < text.size(); ++k) {
    const char c = text[k];
    if (inString) {
      if (c == '\\') {
        ++k;
      } else if (c == '"') {
        inString = false;
      }
    } else if (c == '"') {
      inString = true;
    } else if (c == '[' || c == '{') {
      if (++depth > limit) return false;
    } else if (c == ']' || c == '}') {
      --depth;
    }
  }
  return true;
}

}  // namespace

bool PartModelSettings::Any() const {
  const auto any = [](const auto& slots) {
    return std::any_of(slots.begin(), slots.end(), [](const auto& s) { return s.has_value(); });
  };
  return !inductorModel.empty() || !capacitorModel.empty() || any(elementModel) || any(elementFile);
}

std::string SettingsFileText(const Settings& settings) {
  Json other = Json::parse(settings.otherMembers, nullptr, false);
  Json root = other.is_object() ? other : Json::object();
  root["version"] = kSettingsVersion;
  Json measured = Json::object();
  if (settings.measuredSource) measured["source"] = SideJson(*settings.measuredSource);
  if (settings.measuredLoad) measured["load"] = SideJson(*settings.measuredLoad);
  if (measured.empty()) {
    root.erase("measured");
  } else {
    root["measured"] = measured;
  }
  if (settings.tolerance) {
    root["tolerance"] = ToleranceJson(*settings.tolerance);
  } else {
    root.erase("tolerance");
  }
  if (settings.feedline) {
    root["feedline"] = FeedlineJson(*settings.feedline);
  } else {
    root.erase("feedline");
  }
  if (settings.losses) {
    Json losses =
        root.contains("losses") && root["losses"].is_object() ? root["losses"] : Json::object();
    for (const char* known : kLossMembers) losses.erase(known);
    losses.update(LossesJson(*settings.losses));
    root["losses"] = losses;
  }
  return root.dump(2) + "\n";
}

SettingsRead ReadSettingsText(std::string_view text) {
  SettingsRead read;
  read.found = true;
  if (text.size() > kMaxSettingsBytes || !NestsAtMost(text, kMaxSettingsDepth)) {
    read.damaged = true;
    return read;
  }
  const Json root = Json::parse(text.begin(), text.end(), nullptr, false);
  if (!root.is_object()) {
    read.damaged = true;
    return read;
  }
  Json other = root;
  other.erase("version");
  other.erase("measured");
  other.erase("tolerance");
  other.erase("feedline");
  // The losses' members a newer version added stay with the other members, under "losses".
  if (const auto losses = other.find("losses"); losses != other.end() && losses->is_object()) {
    for (const char* known : kLossMembers) losses->erase(known);
    if (losses->empty()) other.erase("losses");
  } else {
    other.erase("losses");
  }
  read.settings.otherMembers = other.dump();
  if (const auto version = root.find("version");
      version == root.end() || !version->is_number_integer() || version->get<long long>() < 1) {
    read.damaged = true;
  }
  if (const auto measured = root.find("measured"); measured != root.end()) {
    if (measured->is_object()) {
      read.settings.measuredSource = ReadSide(*measured, "source", read.damaged);
      read.settings.measuredLoad = ReadSide(*measured, "load", read.damaged);
    } else {
      read.damaged = true;
    }
  }
  if (const auto tolerance = root.find("tolerance"); tolerance != root.end()) {
    read.settings.tolerance = ReadTolerance(*tolerance, read.damaged);
  }
  read.settings.losses = ReadLosses(root, read.damaged);
  read.settings.feedline = ReadFeedline(root, read.damaged);
  return read;
}

SettingsRead ReadSettings(const std::string& file) {
  std::string text, reason;
  const ReadLimits limits{kMaxSettingsBytes, static_cast<std::size_t>(kMaxSettingsBytes)};
  if (!ReadTextFile(file, InputKinds::RegularOnly, limits, text, reason)) {
    std::error_code error;
    const bool exists = std::filesystem::symlink_status(file, error).type() !=
                        std::filesystem::file_type::not_found;
    if (!exists) return {};
    SettingsRead read;
    read.found = true;
    read.damaged = true;
    read.problem = reason;
    return read;
  }
  return ReadSettingsText(text);
}

bool WriteSettings(const Settings& settings, const std::string& file, std::string& error) {
  return WriteFileAtomically(file, SettingsFileText(settings), error);
}

std::string SettingsFileFor(const std::string& sessionFile) {
  std::filesystem::path path(sessionFile);
  path.replace_extension(".json");
  return path.string();
}

std::vector<std::string> RecentFilesOf(const Settings& settings) {
  std::vector<std::string> files;
  const Json other = Json::parse(settings.otherMembers, nullptr, false);
  if (!other.is_object()) return files;
  const auto member = other.find(kRecentFilesMember);
  if (member == other.end() || !member->is_array()) return files;
  for (const Json& entry : *member) {
    // A damaged entry is skipped rather than losing the whole list.
    if (entry.is_string() && !entry.get<std::string>().empty() && files.size() < kRecentFilesKept) {
      files.push_back(entry.get<std::string>());
    }
  }
  return files;
}

Settings WithRecentFiles(Settings settings, const std::vector<std::string>& files) {
  Json other = Json::parse(settings.otherMembers, nullptr, false);
  if (!other.is_object()) other = Json::object();
  if (files.empty()) {
    other.erase(kRecentFilesMember);
  } else {
    other[kRecentFilesMember] = files;
  }
  settings.otherMembers = other.dump();
  return settings;
}

std::vector<std::string> WithRecentFile(std::vector<std::string> files, const std::string& file) {
  std::erase(files, file);
  files.insert(files.begin(), file);
  if (files.size() > kRecentFilesKept) files.resize(kRecentFilesKept);
  return files;
}

}  // namespace corvantile
