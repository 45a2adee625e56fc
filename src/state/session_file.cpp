#include "state/session_file.h"

#include <charconv>
#include <cmath>
#include <iterator>
#include <span>

#include "state/file_reader.h"
#include "state/file_writer.h"

namespace corvantile {
namespace {

bool IsFieldEnd(char c) { return c == ' ' || c == '\t' || c == ',' || c == '\r' || c == '\n'; }

// Walks a session file's text field by field.
class FieldReader {
 public:
  explicit FieldReader(std::string_view text) : text_(text) {}

  // The header: everything up to the first comma or line end.
  bool SkipHeader() {
    if (text_.empty()) return false;
    while (pos_ < text_.size() && text_[pos_] != ',' && text_[pos_] != '\r' && text_[pos_] != '\n')
      ++pos_;
    return true;
  }

  // The next number field; false when the text ends or the field is not a finite number.
  bool NextNumber(float& value) {
    while (pos_ < text_.size() && IsFieldEnd(text_[pos_])) ++pos_;
    if (pos_ >= text_.size()) return false;
    const std::size_t start = pos_;
    while (pos_ < text_.size() && !IsFieldEnd(text_[pos_])) ++pos_;
    std::string_view field = text_.substr(start, pos_ - start);
    if (field.size() > 1 && field.front() == '+' && field[1] != '-') field.remove_prefix(1);
    const char* end = field.data() + field.size();
    const auto [ptr, ec] = std::from_chars(field.data(), end, value, std::chars_format::general);
    return ec == std::errc() && ptr == end && std::isfinite(value);
  }

 private:
  std::string_view text_;
  std::size_t pos_ = 0;
};

bool ReadValues(FieldReader& reader, std::span<float> values) {
  for (float& value : values) {
    float read = 0.0f;
    if (!reader.NextNumber(read)) return false;
    value = read;  // stored right away: a short file keeps what came before the cut
  }
  return true;
}

}  // namespace

std::string FormatSessionNumber(float value) {
  if (value == 0.0f) value = 0.0f;  // -0 is written as 0
  char digits[32];
  const auto result =
      std::to_chars(std::begin(digits), std::end(digits), value, std::chars_format::general, 7);
  std::string text(digits, result.ptr);
  for (char& c : text) {
    if (c == 'e') c = 'E';
  }
  if (text.front() != '-') text.insert(text.begin(), ' ');
  text.push_back(' ');
  return text;
}

std::string SessionFileText(const RunState& state) {
  std::string text(kSessionHeader);
  text += "\r\n";
  auto append = [&text](std::span<const float> values) {
    for (const float value : values) {
      text += FormatSessionNumber(value);
      text += "\r\n";
    }
  };
  append(state.SourceValues);
  append(state.NetValues);
  append(state.LoadValues);
  return text;
}

bool ReadSessionText(std::string_view text, RunState& state) {
  FieldReader reader(text);
  const bool complete = reader.SkipHeader() && ReadValues(reader, state.SourceValues) &&
                        ReadValues(reader, state.NetValues) && ReadValues(reader, state.LoadValues);
  if (!complete) StoreDefaults(state);
  return complete;
}

bool ReadSession(RunState& state, const std::filesystem::path& file) {
  std::string text, reason;
  if (!ReadTextFile(file, InputKinds::RegularOnly, {kMaxSessionBytes, kMaxSessionBytes}, text,
                    reason)) {
    text.clear();
  }
  return ReadSessionText(text, state);
}

bool WriteSession(RunState& state, const std::filesystem::path& file) {
  std::string ignored;
  return WriteSession(state, file, ignored);
}

bool WriteSession(RunState& state, const std::filesystem::path& file, std::string& error) {
  state.startup.SessionFileName = std::string(kSessionFileName);
  return WriteFileAtomically(file, SessionFileText(state), error);
}

}  // namespace corvantile
