#pragma once

#include <initializer_list>
#include <optional>
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

// A JSON number for a computed double: every digit the double holds (ExactNumber), so a
// program reads back the same value; a value that is not finite is written as null.
std::string JsonDouble(double value);

// A JSON string literal with the quotes and the escapes JSON requires.
std::string JsonString(std::string_view text);

class JsonObject;

// A JSON array built element by element and written on one line:
//   JsonArray a;  a.AddDouble(1.5).AddString("x");  a.Text() == "[1.5,\"x\"]"
class JsonArray {
 public:
  JsonArray& AddDouble(double value);
  JsonArray& AddString(std::string_view value);
  JsonArray& AddObject(const JsonObject& value);
  JsonArray& AddArray(const JsonArray& value);

  std::string Text() const;

 private:
  std::vector<std::string> elements_;  // encoded
};

// Every key the program writes is snake_case ("design_frequency_hz", "caution"); the three
// arrays of the session file keep their own names ("SourceValues", "NetValues",
// "LoadValues"), and keys that are control names keep those names ("lblInputQ").
//
// A JSON object built key by key and written on one line. Keys keep the order of their first
// Add; adding a key again replaces its value in place, so a caller can extend or override the
// object another function built:
//   JsonObject o;  o.AddBool("caution", false);  o.Text() == "{\"caution\":false}"
class JsonObject {
 public:
  JsonObject& AddBool(std::string_view key, bool value);
  JsonObject& AddNumber(std::string_view key, float value);
  JsonObject& AddDouble(std::string_view key, double value);
  JsonObject& AddInteger(std::string_view key, long long value);
  // The number, or null when there is none.
  JsonObject& AddOptionalDouble(std::string_view key, const std::optional<double>& value);
  JsonObject& AddString(std::string_view key, std::string_view value);
  JsonObject& AddNull(std::string_view key);
  JsonObject& AddNumberArray(std::string_view key, std::span<const float> values);
  JsonObject& AddBoolArray(std::string_view key, std::span<const bool> values);
  JsonObject& AddStringArray(std::string_view key, std::span<const std::string> values);
  JsonObject& AddObject(std::string_view key, const JsonObject& value);
  JsonObject& AddArray(std::string_view key, const JsonArray& value);

  bool Has(std::string_view key) const;
  std::string Text() const;

 private:
  JsonObject& AddRaw(std::string_view key, std::string encoded);

  std::vector<std::pair<std::string, std::string>> members_;  // key, encoded value
};

}  // namespace corvantile::cli
