#include "cli/json_writer.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <iterator>

#include "analysis/formats/number_text.h"

namespace corvantile::cli {
namespace {

template <typename T, typename Encode>
std::string EncodeArray(std::span<const T> values, Encode encode) {
  std::string text = "[";
  for (std::size_t i = 0; i < values.size(); ++i) {
    if (i > 0) text += ',';
    text += encode(values[i]);
  }
  text += ']';
  return text;
}

}  // namespace

std::string JsonNumber(float value) {
  if (!std::isfinite(value)) return "null";
  char digits[32];
  const auto result = std::to_chars(std::begin(digits), std::end(digits), value);
  return std::string(digits, result.ptr);
}

std::string JsonDouble(double value) {
  if (!std::isfinite(value)) return "null";
  return ExactNumber(value);
}

std::string JsonString(std::string_view text) {
  std::string quoted = "\"";
  for (const char c : text) {
    switch (c) {
      case '"':
        quoted += "\\\"";
        break;
      case '\\':
        quoted += "\\\\";
        break;
      case '\n':
        quoted += "\\n";
        break;
      case '\r':
        quoted += "\\r";
        break;
      case '\t':
        quoted += "\\t";
        break;
      default:
        if (static_cast<unsigned char>(c) < 0x20) {
          static constexpr char kHex[] = "0123456789abcdef";
          quoted += "\\u00";
          quoted += kHex[(c >> 4) & 0xf];
          quoted += kHex[c & 0xf];
        } else {
          quoted += c;
        }
    }
  }
  quoted += '"';
  return quoted;
}

JsonObject& JsonObject::AddBool(std::string_view key, bool value) {
  return AddRaw(key, value ? "true" : "false");
}

JsonObject& JsonObject::AddNumber(std::string_view key, float value) {
  return AddRaw(key, JsonNumber(value));
}

JsonObject& JsonObject::AddDouble(std::string_view key, double value) {
  return AddRaw(key, JsonDouble(value));
}

JsonObject& JsonObject::AddInteger(std::string_view key, long long value) {
  return AddRaw(key, std::to_string(value));
}

JsonObject& JsonObject::AddOptionalDouble(std::string_view key,
                                          const std::optional<double>& value) {
  return AddRaw(key, value ? JsonDouble(*value) : "null");
}

JsonObject& JsonObject::AddString(std::string_view key, std::string_view value) {
  return AddRaw(key, JsonString(value));
}

JsonObject& JsonObject::AddNull(std::string_view key) { return AddRaw(key, "null"); }

JsonObject& JsonObject::AddNumberArray(std::string_view key, std::span<const float> values) {
  return AddRaw(key, EncodeArray(values, JsonNumber));
}

JsonObject& JsonObject::AddBoolArray(std::string_view key, std::span<const bool> values) {
  return AddRaw(key, EncodeArray(values, [](bool v) { return std::string(v ? "true" : "false"); }));
}

JsonObject& JsonObject::AddStringArray(std::string_view key, std::span<const std::string> values) {
  return AddRaw(key, EncodeArray(values, [](const std::string& v) { return JsonString(v); }));
}

JsonObject& JsonObject::AddObject(std::string_view key, const JsonObject& value) {
  return AddRaw(key, value.Text());
}

JsonObject& JsonObject::AddArray(std::string_view key, const JsonArray& value) {
  return AddRaw(key, value.Text());
}

bool JsonObject::Has(std::string_view key) const {
  return std::any_of(members_.begin(), members_.end(),
                     [&](const auto& member) { return member.first == key; });
}

std::string JsonObject::Text() const {
  std::string text = "{";
  for (const auto& [key, encoded] : members_) {
    if (text.size() > 1) text += ',';
    text += JsonString(key);
    text += ':';
    text += encoded;
  }
  text += '}';
  return text;
}

JsonObject& JsonObject::AddRaw(std::string_view key, std::string encoded) {
  const auto found = std::find_if(members_.begin(), members_.end(),
                                  [&](const auto& member) { return member.first == key; });
  if (found != members_.end()) {
    found->second = std::move(encoded);
  } else {
    members_.emplace_back(std::string(key), std::move(encoded));
  }
  return *this;
}

JsonArray& JsonArray::AddDouble(double value) {
  elements_.push_back(JsonDouble(value));
  return *this;
}

JsonArray& JsonArray::AddString(std::string_view value) {
  elements_.push_back(JsonString(value));
  return *this;
}

JsonArray& JsonArray::AddObject(const JsonObject& value) {
  elements_.push_back(value.Text());
  return *this;
}

JsonArray& JsonArray::AddArray(const JsonArray& value) {
  elements_.push_back(value.Text());
  return *this;
}

std::string JsonArray::Text() const {
  std::string text = "[";
  for (std::size_t i = 0; i < elements_.size(); ++i) {
    if (i > 0) text += ',';
    text += elements_[i];
  }
  text += ']';
  return text;
}

}  // namespace corvantile::cli
