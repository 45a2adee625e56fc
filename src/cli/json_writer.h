#pragma once

#include <initializer_list>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace corvantile::cli {

// A JSON number for a stored value: the shortest text that reads back as the same 32-bit float,
// in the C locale whatever the environment: 1500 -> "1500", -1e-10 -> "-1e-10". A value that is
// not finite (which the design never stores) is written as null rather than as invalid JSON.
std::string JsonNumber(float value);

// A JSON string literal with the quotes and the escapes JSON requires.
std::string JsonString(std::string_view text);

// A JSON object built key by key and written on one line. Keys keep the order of their first
// Add; adding a key again replaces its value in place, so a caller can extend or override the
// object another function built:
//   JsonObject o;  o.AddBool("caution", false);  o.Text() == "{\"caution\":false}"
class JsonObject {
 public:
  JsonObject& AddBool(std::string_view key, bool value);
  JsonObject& AddNumber(std::string_view key, float value);
  JsonObject& AddString(std::string_view key, std::string_view value);
  JsonObject& AddNumberArray(std::string_view key, std::span<const float> values);
  JsonObject& AddBoolArray(std::string_view key, std::span<const bool> values);
  JsonObject& AddStringArray(std::string_view key, std::span<const std::string> values);
  JsonObject& AddObject(std::string_view key, const JsonObject& value);

  bool Has(std::string_view key) const;
  std::string Text() const;

 private:
  JsonObject& AddRaw(std::string_view key, std::string encoded);

  std::vector<std::pair<std::string, std::string>> members_;  // key, encoded value
};

}  // namespace corvantile::cli
