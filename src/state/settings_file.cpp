#include "state/settings_file.h"

#include <cmath>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

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

constexpr const char* kLossMembers[] = {"inductor_q",    "inductor_law", "capacitor_q",
                                        "capacitor_law", "element_q",    "compensate"};

Json LossesJson(const LossSettings& losses) {
  Json elements = Json::array();
  for (const std::optional<double>& q : losses.elementQ) {
    elements.push_back(q ? Json(*q) : Json(nullptr));
  }
  return Json{{"inductor_q", losses.inductorQ},
              {"inductor_law", losses.inductorLaw},
              {"capacitor_q", losses.capacitorQ},
              {"capacitor_law", losses.capacitorLaw},
              {"element_q", elements},
              {"compensate", losses.compensate}};
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
  return losses;
}

}  // namespace

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
  if (settings.losses) {
    Json losses =
        root.contains("losses") && root["losses"].is_object() ? root["losses"] : Json::object();
    losses.update(LossesJson(*settings.losses));
    root["losses"] = losses;
  }
  return root.dump(2) + "\n";
}

SettingsRead ReadSettingsText(std::string_view text) {
  SettingsRead read;
  read.found = true;
  const Json root = Json::parse(text.begin(), text.end(), nullptr, false);
  if (!root.is_object()) {
    read.damaged = true;
    return read;
  }
  Json other = root;
  other.erase("version");
  other.erase("measured");
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
  read.settings.losses = ReadLosses(root, read.damaged);
  return read;
}

SettingsRead ReadSettings(const std::string& file) {
  std::ifstream in(file, std::ios::binary);
  if (!in) return {};
  const std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  if (in.bad()) return SettingsRead{{}, true, true};
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
