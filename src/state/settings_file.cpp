#include "state/settings_file.h"

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
