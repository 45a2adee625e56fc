#pragma once

// Helpers shared by the hardening tests: scratch folders, the 63 values in file order, and
// running a piece of a test in a child process (to change user, limits or mounts there).
#include <filesystem>
#include <functional>
#include <map>
#include <string>

#include "session_values.h"
#include "state/circuit_state.h"

namespace corvantile::hardening {

namespace fs = std::filesystem;

// A fresh folder under the system's temporary folder, removed with everything in it (write
// permission given back first) when the object goes.
class ScratchFolder {
 public:
  ScratchFolder();
  ~ScratchFolder();
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;
  const fs::path& path() const { return path_; }

 private:
  fs::path path_;
};

// Runs `body` with `folder` as the working directory, then goes back.
void InWorkingDirectory(const fs::path& folder, const std::function<void()>& body);

// Everything under a folder: relative path -> file bytes, or "<dir>" / "<other>".
std::map<std::string, std::string> Snapshot(const fs::path& folder);

std::string ReadBytes(const fs::path& file);
void WriteBytes(const fs::path& file, const std::string& bytes);

// What a child process reports: its exit code and what it wrote to the report pipe.
struct ChildResult {
  int code = -1;
  std::string report;
};

inline constexpr int kChildSkipped = 77;

// Runs `body` in a forked child. The body writes what went wrong (or why it skipped) to the
// string it is given and returns 0 (passed), 1 (failed) or kChildSkipped. A child killed by
// a signal gives 128 + the signal number; one still running after `seconds` is killed.
ChildResult RunInChild(const std::function<int(std::string& report)>& body, unsigned seconds = 60);

}  // namespace corvantile::hardening
