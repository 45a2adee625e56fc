#include "state/file_reader.h"

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "state/message_text.h"

namespace corvantile {
namespace {

std::string KindName(mode_t mode) {
  if (S_ISFIFO(mode)) return "a FIFO or pipe";
  if (S_ISCHR(mode)) return "a device";
  if (S_ISBLK(mode)) return "a block device";
  if (S_ISSOCK(mode)) return "a socket";
  return "not a file";
}

}  // namespace

std::string LimitText(std::uintmax_t bytes) {
  constexpr std::uintmax_t kKiB = 1024;
  if (bytes >= kKiB * kKiB * kKiB && bytes % (kKiB * kKiB * kKiB) == 0) {
    return std::to_string(bytes / (kKiB * kKiB * kKiB)) + " GiB";
  }
  if (bytes >= kKiB * kKiB && bytes % (kKiB * kKiB) == 0) {
    return std::to_string(bytes / (kKiB * kKiB)) + " MiB";
  }
  if (bytes >= kKiB && bytes % kKiB == 0) return std::to_string(bytes / kKiB) + " KiB";
  return std::to_string(bytes) + " bytes";
}

InputFile::~InputFile() {
  if (ownsFd_) ::close(fd_);
}

bool InputFile::Open(const std::filesystem::path& file, InputKinds kinds, std::uintmax_t maxBytes,
                     std::string& reason) {
  maxBytes_ = maxBytes;
  const bool standardInput = file == "-" && kinds == InputKinds::RegularOrStream;
  if (standardInput) {
    fd_ = STDIN_FILENO;
  } else {
    // Without O_NONBLOCK, opening a FIFO waits for a writer, perhaps for ever.
    fd_ = ::open(file.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd_ < 0) {
      reason = std::strerror(errno);
      return false;
    }
    ownsFd_ = true;
  }
  struct stat info {};
  if (::fstat(fd_, &info) != 0) {
    reason = std::strerror(errno);
    return false;
  }
  if (S_ISDIR(info.st_mode)) {
    reason = std::strerror(EISDIR);
    return false;
  }
  if (S_ISREG(info.st_mode)) {
    if (static_cast<std::uintmax_t>(info.st_size) > maxBytes) {
      reason = "it is larger than " + LimitText(maxBytes);
      return false;
    }
    size_ = static_cast<std::uintmax_t>(info.st_size);
  } else if (kinds == InputKinds::RegularOnly || S_ISBLK(info.st_mode)) {
    reason = "it is " + KindName(info.st_mode) + ", not a regular file";
    return false;
  }
  // Reads block from here on: a stream is read as its writer delivers it, a FIFO without
  // a writer reads as empty.
  if (!standardInput) {
    const int flags = ::fcntl(fd_, F_GETFL);
    if (flags < 0 || ::fcntl(fd_, F_SETFL, flags & ~O_NONBLOCK) != 0) {
      reason = std::strerror(errno);
      return false;
    }
  }
  return true;
}

bool InputFile::Read(char* buffer, std::size_t capacity, std::size_t& got, std::string& reason) {
  got = 0;
  // One byte more than the limit allows shows that a stream goes past it.
  const std::uintmax_t room = maxBytes_ + 1 - readSoFar_;
  if (room < capacity) capacity = static_cast<std::size_t>(room);
  for (;;) {
    const ssize_t n = ::read(fd_, buffer, capacity);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 && errno == EAGAIN) {
      // Standard input left non-blocking by whoever started us: this pass waits for it.
      const int flags = ::fcntl(fd_, F_GETFL);
      if (flags >= 0 && ::fcntl(fd_, F_SETFL, flags & ~O_NONBLOCK) == 0) continue;
    }
    if (n < 0) {
      reason = std::strerror(errno);
      return false;
    }
    got = static_cast<std::size_t>(n);
    break;
  }
  readSoFar_ += got;
  if (readSoFar_ > maxBytes_) {
    reason = "it is larger than " + LimitText(maxBytes_);
    return false;
  }
  return true;
}

bool ReadTextFile(const std::filesystem::path& file, InputKinds kinds, const ReadLimits& limits,
                  std::string& text, std::string& reason) {
  text.clear();
  InputFile input;
  if (!input.Open(file, kinds, limits.maxBytes, reason)) return false;
  if (input.Size()) text.reserve(static_cast<std::size_t>(*input.Size()));
  constexpr std::size_t kPiece = 64 * 1024;
  std::string buffer(kPiece, '\0');
  char* const piece = buffer.data();
  std::size_t line = 1, lineLength = 0;
  char previous = '\0';
  for (;;) {
    std::size_t got = 0;
    if (!input.Read(piece, kPiece, got, reason)) return false;
    if (got == 0) break;
    for (std::size_t k = 0; k < got; ++k) {
      const char c = piece[k];
      if (c == '\n' || c == '\r') {
        if (!(c == '\n' && previous == '\r')) ++line;
        lineLength = 0;
      } else if (++lineLength > limits.maxLineBytes) {
        reason =
            "line " + std::to_string(line) + " is longer than " + LimitText(limits.maxLineBytes);
        return false;
      }
      previous = c;
    }
    text.append(piece, got);
  }
  return true;
}

std::string InputDisplayName(const std::filesystem::path& file) {
  return file == "-" ? std::string("standard input") : OneLine(file.string());
}

}  // namespace corvantile
