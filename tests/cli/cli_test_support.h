#pragma once

#include <charconv>
#include <cstdlib>
#include <filesystem>
#include <initializer_list>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include <gtest/gtest.h>
#include <unistd.h>

#include "cli/command_line.h"

namespace corvantile::cli::testing_support {

struct CliRun {
  int status = -1;
  std::string out;
  std::string err;
};

// Runs the command line in-process, as main() would with these arguments.
inline CliRun RunInProcess(std::initializer_list<std::string_view> arguments) {
  const std::vector<std::string_view> args(arguments);
  std::ostringstream out;
  std::ostringstream err;
  CliRun run;
  run.status = RunCommandLine(args, out, err);
  run.out = out.str();
  run.err = err.str();
  return run;
}

// A file of tests/data: from CORVANTILE_TEST_DATA when ctest runs the test, else from the
// source tree the test was built from.
inline std::filesystem::path DataFile(std::string_view name) {
  const char* fromEnvironment = std::getenv("CORVANTILE_TEST_DATA");
  const std::filesystem::path directory = fromEnvironment != nullptr && *fromEnvironment != '\0'
                                              ? fromEnvironment
                                              : CORVANTILE_TEST_DATA_DIR;
  return directory / name;
}

// A file name in the test's temporary directory, made unique by the process id: several
// builds' suites may run at once on one machine and share that directory.
inline std::filesystem::path TemporaryFile(std::string_view name) {
  return std::filesystem::path(testing::TempDir()) /
         ("corvantile_" + std::to_string(::getpid()) + "_" + std::string(name));
}

// The numbers of one array member of a one-line JSON object ("NetValues":[...]), each read back
// as the nearest 32-bit float. Empty when the key is missing; a malformed number ends the list.
inline std::vector<float> JsonFloats(std::string_view json, std::string_view key) {
  const std::string opening = "\"" + std::string(key) + "\":[";
  const std::size_t start = json.find(opening);
  std::vector<float> values;
  if (start == std::string_view::npos) return values;
  const char* p = json.data() + start + opening.size();
  const char* end = json.data() + json.size();
  while (p < end && *p != ']') {
    float value = 0.0f;
    const auto [next, ec] = std::from_chars(p, end, value);
    if (ec != std::errc()) break;
    values.push_back(value);
    p = next;
    if (p < end && *p == ',') ++p;
  }
  return values;
}

// The number of lines of a text, and whether every one of them ends with a newline.
inline int LineCount(std::string_view text) {
  int lines = 0;
  for (const char c : text) lines += c == '\n' ? 1 : 0;
  return lines;
}

}  // namespace corvantile::cli::testing_support
