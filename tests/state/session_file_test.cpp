#include "state/session_file.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <regex>
#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <unistd.h>

#include "math/design_network.h"
#include "support/files.h"

namespace corvantile {
namespace {

namespace fs = std::filesystem;

// The 63 values in file order: source, network, load.
std::vector<float> FileOrder(const RunState& state) {
  std::vector<float> values(state.SourceValues.begin(), state.SourceValues.end());
  values.insert(values.end(), state.NetValues.begin(), state.NetValues.end());
  values.insert(values.end(), state.LoadValues.begin(), state.LoadValues.end());
  return values;
}

float& InFileOrder(RunState& state, std::size_t k) {
  if (k < 16) return state.SourceValues[k];
  if (k < 47) return state.NetValues[k - 16];
  return state.LoadValues[k - 47];
}

std::vector<std::string> Lines(const std::string& text, const std::string& end) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  for (std::size_t at; (at = text.find(end, start)) != std::string::npos; start = at + end.size()) {
    lines.push_back(text.substr(start, at - start));
  }
  if (start < text.size()) lines.push_back(text.substr(start));
  return lines;
}

std::string ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteFile(const fs::path& path, const std::string& text) {
  std::ofstream(path, std::ios::binary) << text;
}

// A designed circuit whose values need all seven digits: the reference of the round trips.
RunState ReferenceCircuit() {
  RunState state = MakeDefaultRunState();
  state.SourceValues[SeriesX] = 123.4567f;
  state.LoadValues[EntryForm] = 2.0f;
  state.LoadValues[ParallelR] = 75.0f;
  state.LoadValues[ParallelX] = -40.0f;
  state.NetValues[Frequency] = 14.2e6f;
  RunDesignPass(state);
  return state;
}

// Every field a reader must take: a state whose 63 values all differ from the defaults.
RunState Marked() {
  RunState state;
  SetStartupValues(state.startup);
  for (std::size_t k = 0; k < 63; ++k) InFileOrder(state, k) = -1000.0f - static_cast<float>(k);
  return state;
}

// Within the seven significant digits the file keeps.
void ExpectSameValues(const RunState& actual, const RunState& expected) {
  const std::vector<float> a = FileOrder(actual);
  const std::vector<float> e = FileOrder(expected);
  for (std::size_t k = 0; k < a.size(); ++k) {
    EXPECT_NEAR(a[k], e[k], 6e-7 * std::fabs(static_cast<double>(e[k]))) << "file value " << k;
  }
}

// ---- Writing ----

TEST(SessionFileText, FirstRunFileHasSixtyFourCrLfLines) {
  const std::string text = SessionFileText(MakeDefaultRunState());
  ASSERT_TRUE(text.ends_with("\r\n"));
  const std::vector<std::string> lines = Lines(text, "\r\n");
  ASSERT_EQ(lines.size(), 64u);
  EXPECT_EQ(lines[0], "Corvantile last-session circuit file");
  EXPECT_EQ(lines[17], " 3750000 ");  // line 18: the frequency
  EXPECT_EQ(lines[24], "-135 ");      // line 25: the network phase
  EXPECT_EQ(lines[1], " 0 ");         // the source angle, not set yet
  EXPECT_EQ(lines[2], " 1500 ");
  EXPECT_EQ(lines[49], " 300 ");
  EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 64);
  EXPECT_EQ(std::count(text.begin(), text.end(), '\r'), 64);
}

// A value line: the sign's place (blank or minus), at most seven significant digits in plain or
// exponent form with a signed two-digit exponent, one blank.
TEST(SessionFileText, EveryValueLineHasTheFileNumberForm) {
  const std::regex form(R"([ -](\d+(\.\d+)?|\.\d+)(E[+-]\d\d)? )");
  std::mt19937 rng(99u);
  std::uniform_real_distribution<double> exponent(-30.0, 30.0);
  for (int i = 0; i < 3000; ++i) {
    const float value = static_cast<float>(std::pow(10.0, exponent(rng)) * (i % 2 ? -1.0 : 1.0));
    const std::string field = FormatSessionNumber(value);
    ASSERT_TRUE(std::regex_match(field, form)) << '"' << field << '"';
    std::string digits;
    for (char c : field.substr(0, field.find('E'))) {
      if (std::isdigit(static_cast<unsigned char>(c))) digits += c;
    }
    digits.erase(0, digits.find_first_not_of('0'));
    if (digits.find_last_not_of('0') != std::string::npos) {
      digits.erase(digits.find_last_not_of('0') + 1);
    }
    EXPECT_LE(digits.size(), 7u) << field;
    // ... and it reads back to the value it came from, to those seven digits.
    RunState state = Marked();
    std::string text = "h\r\n";
    for (int k = 0; k < 63; ++k) text += field + "\r\n";
    ASSERT_TRUE(ReadSessionText(text, state));
    EXPECT_NEAR(state.LoadValues[15], value, 5.7e-7 * std::fabs(static_cast<double>(value)))
        << field;
  }
}

struct NumberCase {
  float value;
  const char* text;
};

class SessionNumber : public ::testing::TestWithParam<NumberCase> {};

TEST_P(SessionNumber, IsWrittenInTheFileForm) {
  EXPECT_EQ(FormatSessionNumber(GetParam().value), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(
    Values, SessionNumber,
    ::testing::Values(NumberCase{1500.0f, " 1500 "}, NumberCase{-135.0f, "-135 "},
                      NumberCase{3750000.0f, " 3750000 "}, NumberCase{1e15f, " 1E+15 "},
                      NumberCase{-1e15f, "-1E+15 "}, NumberCase{0.0f, " 0 "},
                      NumberCase{-0.0f, " 0 "}, NumberCase{4.0f, " 4 "}, NumberCase{1.5f, " 1.5 "},
                      NumberCase{-360.3952f, "-360.3952 "},
                      NumberCase{12345678.0f, " 1.234568E+07 "}, NumberCase{1e-6f, " 1E-06 "}));

// ---- Reading ----

// What a reader failure case gives: the first `readBefore` file values of `text`, then the
// defaults over the marked state (or everything, when the text is complete).
struct ReadCase {
  const char* name;
  std::string text;
  bool complete;
  int readBefore;  // values taken before the failure
};

std::string FirstLines(const std::string& text, int count) {
  std::size_t at = 0;
  for (int i = 0; i < count; ++i) at = text.find("\r\n", at) + 2;
  return text.substr(0, at);
}

std::string ReplaceLine(const std::string& text, int line, const std::string& content) {
  std::vector<std::string> lines = Lines(text, "\r\n");
  lines[static_cast<std::size_t>(line - 1)] = content;
  std::string out;
  for (const std::string& l : lines) out += l + "\r\n";
  return out;
}

std::vector<ReadCase> ReadCases() {
  const RunState reference = ReferenceCircuit();
  const std::string written = SessionFileText(reference);
  return {
      {"AsWritten", written, true, 63},
      {"AnyHeader", "some other program's header\r\n" + written.substr(written.find('\n') + 1),
       true, 63},
      {"EmptyHeaderLine", "\r\n" + written.substr(written.find('\n') + 1), true, 63},
      {"TrailingLinesIgnored", written + "not a number\r\n 5 \r\n", true, 63},
      {"HeaderWithoutLineEnd", "Corvantile last-session circuit file", false, 0},
      {"NonNumericField", ReplaceLine(written, 30, " abc "), false, 28},
      {"NumberWithTrailingText", ReplaceLine(written, 30, " 12ohm "), false, 28},
      {"InfinityField", ReplaceLine(written, 30, " inf "), false, 28},
      {"NanField", ReplaceLine(written, 30, " nan "), false, 28},
      {"OverflowingField", ReplaceLine(written, 30, " 1E+39 "), false, 28},
  };
}

class SessionReader : public ::testing::TestWithParam<ReadCase> {};

TEST_P(SessionReader, TakesTheValuesOrFallsBackToTheDefaults) {
  const ReadCase& c = GetParam();
  const std::vector<float> referenceValues = FileOrder(ReferenceCircuit());
  RunState expected = Marked();
  for (std::size_t k = 0; k < static_cast<std::size_t>(c.readBefore); ++k) {
    InFileOrder(expected, k) = referenceValues[k];
  }
  if (!c.complete) StoreDefaults(expected);

  RunState state = Marked();
  EXPECT_EQ(ReadSessionText(c.text, state), c.complete);
  ExpectSameValues(state, expected);
}

INSTANTIATE_TEST_SUITE_P(Cases, SessionReader, ::testing::ValuesIn(ReadCases()),
                         [](const auto& tested) { return std::string(tested.param.name); });

// The reader takes every spelling of a number a hand-edited file may hold.
TEST(SessionReader, AcceptsEveryNumberSpelling) {
  const struct {
    const char* text;
    float value;
  } spellings[] = {{"1500", 1500.0f},  {"1.5E+03", 1500.0f}, {"1.5e3", 1500.0f}, {".5", 0.5f},
                   {"0.5", 0.5f},      {"-.5", -0.5f},       {"+3", 3.0f},       {"1E-06", 1e-6f},
                   {"-1E+15", -1e15f}, {"4.", 4.0f}};
  for (const auto& s : spellings) {
    std::string text = "header\r\n";
    for (int k = 0; k < 63; ++k) text += std::string(" ") + s.text + " \r\n";
    RunState state = Marked();
    ASSERT_TRUE(ReadSessionText(text, state)) << s.text;
    EXPECT_EQ(state.NetValues[Power], s.value) << s.text;
  }
}

// A file cut short keeps its early values outside the default indexes, and the next exit
// writes a complete file again.
TEST(SessionReader, CutFileKeepsEarlyValuesAndIsWrittenWholeAgain) {
  RunState reference = ReferenceCircuit();
  reference.SourceValues[12] = 42.0f;  // an unused index, outside the defaults
  reference.NetValues[SolutionBranch] = 2.0f;
  const std::string cut = FirstLines(SessionFileText(reference), 40);
  RunState state;
  SetStartupValues(state.startup);
  EXPECT_FALSE(ReadSessionText(cut, state));
  EXPECT_EQ(state.SourceValues[12], 42.0f);
  EXPECT_EQ(state.NetValues[SolutionBranch], 2.0f);
  EXPECT_EQ(state.SourceValues[SeriesX], 0.0f);       // a default index: overwritten
  EXPECT_EQ(state.NetValues[Frequency], 3750000.0f);  // read, then overwritten by the default
  EXPECT_EQ(state.LoadValues[SeriesR], 300.0f);       // never reached: the default
  EXPECT_EQ(state.LoadValues[ParallelR], 0.0f);       // never reached, no default: still 0
  EXPECT_EQ(Lines(SessionFileText(state), "\r\n").size(), 64u);
}

// ---- Files ----

class SessionFileOnDisk : public ::testing::Test {
 protected:
  std::set<std::string> Entries() const {
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir_)) {
      names.insert(entry.path().filename().string());
    }
    return names;
  }

  const testing::ScratchFolder folder_;
  const fs::path dir_ = folder_.path();
  const fs::path file_ = dir_ / "LastSession.CFG";
};

TEST_F(SessionFileOnDisk, WriteThenReadRestoresTheCircuit) {
  RunState written = ReferenceCircuit();
  EXPECT_EQ(written.startup.SessionFileName, "");
  ASSERT_TRUE(WriteSession(written, file_));
  EXPECT_EQ(written.startup.SessionFileName, "LastSession.CFG");
  EXPECT_EQ(ReadFile(file_), SessionFileText(written));
  EXPECT_EQ(Entries(), std::set<std::string>{"LastSession.CFG"});

  RunState read = Marked();
  EXPECT_TRUE(ReadSession(read, file_));
  ExpectSameValues(read, written);
  // Read back and written again, the file does not drift.
  ASSERT_TRUE(WriteSession(read, file_));
  EXPECT_EQ(ReadFile(file_), SessionFileText(written));
}

TEST_F(SessionFileOnDisk, WritingReplacesAnOlderFile) {
  WriteFile(file_, std::string(5000, 'x'));  // longer than a session file
  RunState state = MakeDefaultRunState();
  ASSERT_TRUE(WriteSession(state, file_));
  EXPECT_EQ(ReadFile(file_), SessionFileText(state));
  EXPECT_EQ(Entries(), std::set<std::string>{"LastSession.CFG"});
}

TEST_F(SessionFileOnDisk, MissingFileGivesTheDefaults) {
  RunState state = Marked();
  EXPECT_FALSE(ReadSession(state, file_));
  RunState expected = Marked();
  StoreDefaults(expected);
  ExpectSameValues(state, expected);
}

TEST_F(SessionFileOnDisk, DirectoryNamedLikeTheFileGivesTheDefaults) {
  fs::create_directory(file_);
  RunState state = Marked();
  EXPECT_FALSE(ReadSession(state, file_));
  RunState expected = Marked();
  StoreDefaults(expected);
  ExpectSameValues(state, expected);
}

}  // namespace
}  // namespace corvantile
