#pragma once

#include <charconv>
#include <initializer_list>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include <gtest/gtest.h>

#include "cli/command_line.h"
#include "support/files.h"

namespace corvantile::cli {
// In this folder's tests `testing` is GoogleTest's; the shared helpers are named in full.
namespace testing = ::testing;
}  // namespace corvantile::cli

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

// The test data and temporary files every test folder shares.
using corvantile::testing::DataFile;
using corvantile::testing::TemporaryFile;

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
