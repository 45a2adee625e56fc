#include "state/session_file.h"

#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <span>
#include <sstream>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

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

bool WriteAll(int fd, std::string_view text) {
  while (!text.empty()) {
    const ssize_t written = ::write(fd, text.data(), text.size());
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) return false;
    text.remove_prefix(static_cast<std::size_t>(written));
  }
  return true;
}

// A regular file the user may not write, or has made read-only for everyone: its circuit
// is kept. Renaming over a file needs only the folder's permission, and root passes every
// permission check, so both are asked here.
bool IsReadOnlyFile(const std::filesystem::path& file) {
  struct stat info {};
  if (::stat(file.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) return false;
  return (info.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0 || ::access(file.c_str(), W_OK) != 0;
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
  // Only a regular file is read: a directory of that name makes the stream throw on its first
  // read, and a pipe would block start-up. Copying through rdbuf turns a read error into a
  // failed stream (and so the defaults) instead of an exception.
  std::string text;
  std::error_code error;
  if (std::filesystem::is_regular_file(file, error)) {
    std::ifstream in(file, std::ios::binary);
    std::ostringstream contents;
    if (in && contents << in.rdbuf()) text = contents.str();
  }
  return ReadSessionText(text, state);
}

bool WriteFileAtomically(const std::filesystem::path& file, std::string_view text) {
  if (IsReadOnlyFile(file)) return false;
  std::filesystem::path temporary = file;
  temporary += ".tmp";
  const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  if (fd < 0) return false;
  const bool written = WriteAll(fd, text) && ::fsync(fd) == 0;
  const bool closed = ::close(fd) == 0;
  if (written && closed && std::rename(temporary.c_str(), file.c_str()) == 0) return true;
  ::unlink(temporary.c_str());
  return false;
}

bool WriteSession(RunState& state, const std::filesystem::path& file) {
  state.startup.SessionFileName = std::string(kSessionFileName);
  return WriteFileAtomically(file, SessionFileText(state));
}

}  // namespace corvantile
