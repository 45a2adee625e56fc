// The reader against scikit-rf, the reader RF engineers check their files with: files of random
// networks in every format, parameter, frequency unit, port count and version, and a measured
// instrument file, give the same port impedances at every file point and half way between,
// within 1e-9 relative; and so does every file scikit-rf ships and reads itself, the field
// solvers' exports with their per-port complex reference impedances among them.
#include <charconv>
#include <cmath>
#include <complex>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include "analysis/formats/touchstone_reader.h"
#include "support/process.h"

namespace corvantile {
namespace {

namespace fs = std::filesystem;

using testing::Environment;
using testing::RunCommand;

double Number(const std::string& text) {
  double value = 0.0;
  const auto result = std::from_chars(text.data(), text.data() + text.size(), value);
  EXPECT_TRUE(result.ec == std::errc() && result.ptr == text.data() + text.size()) << text;
  return value;
}

TEST(TouchstoneScikitRfTest, PortImpedancesAgree) {
  const std::string python = Environment("CORVANTILE_PYTHON");
  if (python.empty()) GTEST_SKIP() << "no python3 with scikit-rf";
  const fs::path directory =
      fs::temp_directory_path() /
      ("corvantile-touchstone-" + std::to_string(static_cast<long>(::getpid())));
  fs::create_directories(directory);
  const std::string measured = Environment("CORVANTILE_TEST_DATA") + "/ring_slot_measured.s1p";
  int status = 0;
  const std::string output =
      RunCommand("'" + python + "' '" + Environment("CORVANTILE_TOUCHSTONE_CASES") + "' '" +
                     directory.string() + "' '" + measured + "' 2>&1",
                 status);
  ASSERT_EQ(status, 0) << output;

  std::map<std::string, TouchstoneData> files;
  std::set<std::string> kinds;
  int cases = 0;
  std::istringstream lines(output);
  for (std::string line; std::getline(lines, line);) {
    std::istringstream words(line);
    std::string word, path, f, r, x;
    int port = 0;
    if (!(words >> word) || word != "CASE") continue;
    ASSERT_TRUE(words >> path >> port >> f >> r >> x) << line;
    auto found = files.find(path);
    if (found == files.end()) {
      TouchstoneRead read = ReadTouchstoneFile(path);
      ASSERT_TRUE(read.Ok()) << read.error;
      kinds.insert(std::to_string(read.data.version) + std::to_string(read.data.ports) +
                   std::string(TouchstoneParameterName(read.data.parameter)) +
                   std::string(TouchstoneFormatName(read.data.format)));
      found = files.emplace(path, std::move(read.data)).first;
    }
    const TouchstonePort ours(found->second, port);
    const double frequency = Number(f);
    ASSERT_TRUE(ours.Covers(frequency)) << ours.OutsideBandText(frequency);
    const std::complex<double> z = ours.Impedance(frequency);
    const std::complex<double> expected(Number(r), Number(x));
    EXPECT_LE(std::abs(z - expected), 1e-9 * std::abs(expected))
        << path << " port " << port << " at " << f << " Hz: " << z << " against " << expected;
    ++cases;
  }
  // 2 versions x 4 port counts x 3 parameters x 3 formats.
  EXPECT_EQ(kinds.size(), 72u);
  EXPECT_GT(files.size(), 500u);
  EXPECT_GT(cases, 10000);
  std::error_code ignored;
  fs::remove_all(directory, ignored);
}

// "ring%20slot.s1p" -> "ring slot.s1p": the script writes blanks in paths as %20.
std::string Unescaped(std::string path) {
  for (std::size_t at = path.find("%20"); at != std::string::npos; at = path.find("%20", at)) {
    path.replace(at, 3, " ");
  }
  return path;
}

TEST(TouchstoneScikitRfTest, EveryShippedFileAgrees) {
  const std::string python = Environment("CORVANTILE_PYTHON");
  if (python.empty()) GTEST_SKIP() << "no python3 with scikit-rf";
  int status = 0;
  const std::string output = RunCommand(
      "'" + python + "' '" + Environment("CORVANTILE_TOUCHSTONE_CASES") + "' --shipped 2>&1",
      status);
  ASSERT_EQ(status, 0) << output;

  std::map<std::string, TouchstoneData> files;
  std::set<std::string> complexReferences;
  int cases = 0;
  std::istringstream lines(output);
  for (std::string line; std::getline(lines, line);) {
    std::istringstream words(line);
    std::string word, path, f, r, x;
    int port = 0;
    if (!(words >> word) || word != "SHIPPED") continue;
    ASSERT_TRUE(words >> path >> port >> f >> r >> x) << line;
    path = Unescaped(path);
    auto found = files.find(path);
    if (found == files.end()) {
      TouchstoneRead read = ReadTouchstoneFile(path);
      ASSERT_TRUE(read.Ok()) << read.error;
      found = files.emplace(path, std::move(read.data)).first;
    }
    const TouchstoneData& data = found->second;
    for (const std::complex<double>& reference : data.pointReferences) {
      if (reference.imag() != 0.0) complexReferences.insert(path);
    }
    const TouchstonePort ours(data, port);
    const double frequency = Number(f);
    ASSERT_TRUE(ours.Covers(frequency)) << ours.OutsideBandText(frequency);
    const std::complex<double> z = ours.Impedance(frequency);
    ++cases;
    if (r == "inf" || r == "-inf") {
      // An ideal open, S = 1: scikit-rf divides by 0 too.
      EXPECT_TRUE(std::isinf(z.real())) << path << " at " << f << " Hz: " << z;
      continue;
    }
    const std::complex<double> expected(Number(r), Number(x));
    EXPECT_LE(std::abs(z - expected), 1e-9 * std::abs(expected))
        << path << " port " << port << " at " << f << " Hz: " << z << " against " << expected;
  }
  // Debian's scikit-rf 0.15 ships 84 files; all of them read.
  EXPECT_GE(files.size(), 80u);
  // The HFSS exports and scikit-rf's own "R (50+50j)" file.
  EXPECT_GE(complexReferences.size(), 20u);
  EXPECT_GT(cases, 40000);
}

}  // namespace
}  // namespace corvantile
