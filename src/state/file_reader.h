#pragma once

// The one way the program reads a file: only what can be read safely, in one pass, within
// stated limits. A regular file is read as it is; a stream (a pipe, a FIFO, a terminal,
// "-" for standard input) is read once from start to end without seeking, where the caller
// allows streams at all. Nothing here waits for a FIFO's writer to appear, and nothing reads
// more than its limit, so a device such as /dev/zero ends in a refusal instead of filling
// memory.
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

namespace corvantile {

enum class InputKinds {
  RegularOnly,      // a file on disk: what the desktop program reads at its start
  RegularOrStream,  // also pipes, FIFOs, terminals and "-": the command line's inputs
};

// How much a reader takes: the whole text, and the longest line (ended by LF, CR or CR LF).
struct ReadLimits {
  std::uintmax_t maxBytes = 0;
  std::size_t maxLineBytes = 0;
};

// "1 MiB", "64 KiB", "1 GiB", "1000 bytes": a limit as messages show it.
std::string LimitText(std::uintmax_t bytes);

// An input opened for one pass. Every failure gives `reason`, the operating system's reason
// or the rule that refused it ("No such file or directory", "Is a directory", "it is a FIFO,
// not a regular file", "it is larger than 1 MiB"); the caller names the file.
class InputFile {
 public:
  InputFile() = default;
  InputFile(const InputFile&) = delete;
  InputFile& operator=(const InputFile&) = delete;
  ~InputFile();

  // Opens `file` ("-" is standard input when streams are allowed) without blocking, refusing
  // a folder, a block device, a stream when only regular files are allowed, and a regular
  // file larger than `maxBytes`.
  bool Open(const std::filesystem::path& file, InputKinds kinds, std::uintmax_t maxBytes,
            std::string& reason);

  // The size of a regular file; nothing for a stream.
  std::optional<std::uintmax_t> Size() const { return size_; }

  // Reads up to `capacity` bytes into `buffer`: `got` is 0 only at the end. Past `maxBytes`
  // in all, false with "it is larger than ...".
  bool Read(char* buffer, std::size_t capacity, std::size_t& got, std::string& reason);

 private:
  int fd_ = -1;
  bool ownsFd_ = false;
  std::optional<std::uintmax_t> size_;
  std::uintmax_t maxBytes_ = 0;
  std::uintmax_t readSoFar_ = 0;
};

// Reads all of `file` within `limits` into `text`; false with `reason` as InputFile gives it,
// or "line 3 is longer than 64 KiB".
bool ReadTextFile(const std::filesystem::path& file, InputKinds kinds, const ReadLimits& limits,
                  std::string& text, std::string& reason);

// What a file is called in messages: "-" is "standard input", any other name as given, on
// one line.
std::string InputDisplayName(const std::filesystem::path& file);

}  // namespace corvantile
