#include "state/file_writer.h"

#include <cerrno>
#include <charconv>
#include <csignal>
#include <cstring>
#include <system_error>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "state/message_text.h"

namespace corvantile {
namespace {

constexpr std::string_view kTemporaryTag = ".corvantile-";
constexpr std::string_view kTemporaryEnd = ".tmp";

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
bool IsReadOnly(const std::filesystem::path& file, const struct stat& info) {
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
  error = "cannot write '" + OneLine(file.string()) + "': " + std::string(cause);
  return false;
}

// The file a chain of symbolic links ends at (which need not exist yet): "link" -> "real.csv",
// a relative target read against the link's folder. ELOOP past 40 links, as the system does.
bool FollowLinks(std::filesystem::path& file, int& cause) {
  for (int hops = 0; hops < 40; ++hops) {
    struct stat info {};
    if (::lstat(file.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) return true;
    std::error_code error;
    const std::filesystem::path target = std::filesystem::read_symlink(file, error);
    if (error) {
      cause = error.value();
      return false;
    }
    file = target.is_absolute() ? target : file.parent_path() / target;
  }
  cause = ELOOP;
  return false;
}

bool ProcessIsGone(long pid) {
  return pid > 0 && ::kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH;
}

// The process number in a temporary file's name for `name`, or 0 when it is not one:
// ".a.csv.corvantile-42.tmp" or "a.csv.tmp42" -> 42.
long TemporaryOwner(std::string_view entry, std::string_view name) {
  std::string_view digits;
  const std::string ours = "." + std::string(name) + std::string(kTemporaryTag);
  const std::string older = std::string(name) + ".tmp";
  if (entry.starts_with(ours) && entry.ends_with(kTemporaryEnd)) {
    digits = entry.substr(ours.size(), entry.size() - ours.size() - kTemporaryEnd.size());
  } else if (entry.starts_with(older)) {
    digits = entry.substr(older.size());
  } else {
    return 0;
  }
  long pid = 0;
  const auto [ptr, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), pid);
  if (ec != std::errc() || ptr != digits.data() + digits.size() || digits.empty()) return 0;
  return pid;
}

// Removes the temporary files for `file` that a killed run left behind; one still being
// written by a running process is left to it.
void RemoveStaleTemporaryFiles(const std::filesystem::path& file) {
  const std::string name = file.filename().string();
  const std::filesystem::path folder = file.parent_path().empty() ? "." : file.parent_path();
  std::error_code error;
  for (std::filesystem::directory_iterator entries(folder, error), end; !error && entries != end;
       entries.increment(error)) {
    const std::filesystem::path& path = entries->path();
    const long pid = TemporaryOwner(path.filename().string(), name);
    if (pid == 0 || !ProcessIsGone(pid)) continue;
    struct stat info {};
    if (::lstat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode)) ::unlink(path.c_str());
  }
}

}  // namespace

std::filesystem::path TemporaryFileFor(const std::filesystem::path& file, long pid) {
  std::filesystem::path temporary = file;
  temporary.replace_filename("." + file.filename().string() + std::string(kTemporaryTag) +
                             std::to_string(pid) + std::string(kTemporaryEnd));
  return temporary;
}

bool WriteFileAtomically(const std::filesystem::path& file, std::string_view text,
                         std::string& error) {
  std::filesystem::path target = file;
  int cause = 0;
  if (!FollowLinks(target, cause)) return Refuse(error, file, std::strerror(cause));
  struct stat existing {};
  const bool exists = ::stat(target.c_str(), &existing) == 0;
  if (!exists && errno != ENOENT) return Refuse(error, file, std::strerror(errno));
  if (exists && S_ISDIR(existing.st_mode)) return Refuse(error, file, std::strerror(EISDIR));
  if (exists && !S_ISREG(existing.st_mode)) {
    return Refuse(error, file, "it is not a regular file, and only a regular file is replaced");
  }
  if (exists && IsReadOnly(target, existing)) return Refuse(error, file, "the file is read-only");
  if (target.filename().empty()) return Refuse(error, file, std::strerror(EISDIR));

  RemoveStaleTemporaryFiles(target);
  const std::filesystem::path temporary = TemporaryFileFor(target, static_cast<long>(::getpid()));
  // O_EXCL and O_NOFOLLOW: never write through whatever else stands at the temporary name.
  const int flags = O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC;
  int fd = ::open(temporary.c_str(), flags, 0666);
  if (fd < 0 && errno == EEXIST) {
    // Ours from an earlier write of this process that could not remove it.
    ::unlink(temporary.c_str());
    fd = ::open(temporary.c_str(), flags, 0666);
  }
  if (fd < 0) return Refuse(error, file, std::strerror(errno));
  bool ok = !exists || ::fchmod(fd, existing.st_mode & 07777) == 0;
  ok = ok && WriteAll(fd, text) && ::fsync(fd) == 0;
  cause = errno;
  if (::close(fd) != 0 && ok) {
    ok = false;
    cause = errno;
  }
  if (ok && std::rename(temporary.c_str(), target.c_str()) != 0) {
    ok = false;
    cause = errno;
  }
  if (!ok) {
    ::unlink(temporary.c_str());
    return Refuse(error, file, std::strerror(cause));
  }
  // The new file is in place; only its surviving a power cut is still open.
  if (!SyncFolderOf(target)) return Refuse(error, file, std::strerror(errno));
  return true;
}

bool WriteFileAtomically(const std::filesystem::path& file, std::string_view text) {
  std::string ignored;
  return WriteFileAtomically(file, text, ignored);
}

}  // namespace corvantile
