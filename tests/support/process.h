#pragma once

// Running programs from a test: a built program with its standard output and error captured,
// or a shell command line; and the environment variables tests read.
//
//   const ProgramRun run = RunProgram(CORVANTILE_CLI_PATH, {"design", "--json"});
//   run.status == 0 && run.err.empty()
//   RunProgram(program, {"--help"}, {.workingDirectory = dir, .unset = {"DISPLAY"}});
#include <filesystem>
#include <string>
#include <vector>

namespace corvantile::testing {

struct ProgramRun {
  int status = -1;  // the exit status; -1 when the program was killed or could not start
  std::string out;
  std::string err;
};

struct ProgramOptions {
  std::filesystem::path workingDirectory;  // empty: the test's own
  std::vector<std::string> unset;          // environment variables the program must not see
  int limitSeconds = 0;  // > 0: a program still running after this long is killed, a failure
};

// Runs `program` with `arguments`, standard input from /dev/null, and waits for it. A program
// that cannot be started, or that outlives `limitSeconds`, is a test failure.
ProgramRun RunProgram(const std::string& program, const std::vector<std::string>& arguments,
                      const ProgramOptions& options = {});

// Runs a shell command line and returns its standard output; `status` gets the exit status.
std::string RunCommand(const std::string& command, int& status);

// A path in single quotes for a shell command line.
std::string Quoted(const std::filesystem::path& path);

// An environment variable's value, empty when it is not set.
std::string Environment(const char* name);

}  // namespace corvantile::testing
