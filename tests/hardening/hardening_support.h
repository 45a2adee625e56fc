#pragma once

// Helpers shared by the hardening tests: scratch folders, the 63 values in file order, and
// running a piece of a test in a child process (to change user, limits or mounts there).
#include <filesystem>
#include <functional>
#include <map>
#include <string>

#include "session_values.h"
#include "state/circuit_state.h"
#include "support/files.h"

namespace corvantile::hardening {

namespace fs = std::filesystem;

// The scratch folder and whole-file helpers every test folder shares.
using testing::ReadBytes;
using testing::ScratchFolder;
using testing::WriteBytes;

// Runs `body` with `folder` as the working directory, then goes back.
void InWorkingDirectory(const fs::path& folder, const std::function<void()>& body);

// Everything under a folder: relative path -> file bytes, or "<dir>" / "<other>".
std::map<std::string, std::string> Snapshot(const fs::path& folder);

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
