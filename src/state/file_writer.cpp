#include "state/file_writer.h"

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace corvantile {
namespace {

bool WriteAll(int fd, std::string_view text) {
  while (!text.empty()) {
    const ssize_t written = ::write(fd, text.data(), text.size());
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) {
      if (written == 0) errno = EIO;
      return false;
    }
    text.remove_prefix(static_cast<std::size_t>(written));
  }
  return true;
}

// A regular file the user may not write, or has made read-only for everyone, is kept.
// Renaming over a file needs only the folder's permission, and root passes every permission
// check, so both are asked here.
bool IsReadOnlyFile(const std::filesystem::path& file) {
  struct stat info {};
  if (::stat(file.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) return false;
  return (info.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0 || ::access(file.c_str(), W_OK) != 0;
}

// Flushes the folder that holds `file`, so that a rename into it is on disk. A file system
// that cannot flush a folder (EINVAL) has nothing more to do.
bool SyncFolderOf(const std::filesystem::path& file) {
  std::filesystem::path folder = file.parent_path();
  if (folder.empty()) folder = ".";
  const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return false;
  const bool synced = ::fsync(fd) == 0 || errno == EINVAL;
  const int cause = errno;
  ::close(fd);
  errno = cause;
  return synced;
}

bool Refuse(std::string& error, const std::filesystem::path& file, std::string_view cause) {
  error = "cannot write '" + file.string() + "': " + std::string(cause);
  return false;
}

}  // namespace

bool WriteFileAtomically(const std::filesystem::path& file, std::string_view text,
                         std::string& error) {
  if (IsReadOnlyFile(file)) return Refuse(error, file, "the file is read-only");
  std::filesystem::path temporary = file;
  temporary += ".tmp" + std::to_string(static_cast<long>(::getpid()));
  const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  if (fd < 0) return Refuse(error, file, std::strerror(errno));
  bool ok = WriteAll(fd, text) && ::fsync(fd) == 0;
  int cause = errno;
  if (::close(fd) != 0 && ok) {
    ok = false;
    cause = errno;
  }
  if (ok && std::rename(temporary.c_str(), file.c_str()) != 0) {
    ok = false;
    cause = errno;
  }
  if (!ok) {
    ::unlink(temporary.c_str());
    return Refuse(error, file, std::strerror(cause));
  }
  // The new file is in place; only its surviving a power cut is still open.
  if (!SyncFolderOf(file)) return Refuse(error, file, std::strerror(errno));
  return true;
}

bool WriteFileAtomically(const std::filesystem::path& file, std::string_view text) {
  std::string ignored;
  return WriteFileAtomically(file, text, ignored);
}

}  // namespace corvantile
