#include "hardening_support.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <stdexcept>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

namespace corvantile::hardening {

void InWorkingDirectory(const fs::path& folder, const std::function<void()>& body) {
  const fs::path previous = fs::current_path();
  fs::current_path(folder);
  body();
  std::error_code error;
  fs::current_path(previous, error);
}

std::map<std::string, std::string> Snapshot(const fs::path& folder) {
  std::map<std::string, std::string> entries;
  for (const auto& entry : fs::recursive_directory_iterator(folder)) {
    const std::string name = fs::relative(entry.path(), folder).string();
    if (entry.is_symlink()) {
      entries[name] = "<link>";
    } else if (entry.is_directory()) {
      entries[name] = "<dir>";
    } else if (entry.is_regular_file()) {
      entries[name] = ReadBytes(entry.path());
    } else {
      entries[name] = "<other>";
    }
  }
  return entries;
}

ChildResult RunInChild(const std::function<int(std::string& report)>& body, unsigned seconds) {
  int fds[2];
  if (::pipe(fds) != 0) return {-1, "pipe failed"};
  std::fflush(nullptr);
  const pid_t pid = ::fork();
  if (pid < 0) return {-1, "fork failed"};
  if (pid == 0) {
    ::close(fds[0]);
    ::alarm(seconds);  // a hang ends as SIGALRM rather than blocking the suite
    std::string report;
    int code = 1;
    try {
      code = body(report);
    } catch (const std::exception& e) {
      report += std::string("exception: ") + e.what();
    }
    std::size_t sent = 0;
    while (sent < report.size()) {
      const ssize_t n = ::write(fds[1], report.data() + sent, report.size() - sent);
      if (n <= 0) break;
      sent += static_cast<std::size_t>(n);
    }
    std::fflush(nullptr);
    ::_exit(code);
  }
  ::close(fds[1]);
  ChildResult result;
  char buffer[4096];
  for (ssize_t n; (n = ::read(fds[0], buffer, sizeof buffer)) > 0;) {
    result.report.append(buffer, static_cast<std::size_t>(n));
  }
  ::close(fds[0]);
  int status = 0;
  ::waitpid(pid, &status, 0);
  if (WIFEXITED(status)) {
    result.code = WEXITSTATUS(status);
  } else if (WIFSIGNALED(status)) {
    result.code = 128 + WTERMSIG(status);
  }
  return result;
}

}  // namespace corvantile::hardening
