// corvantile-cli touchstone in-process: its one-line refusals with exit 2, the summary, the
// impedances at file points and between them, and the JSON member `impedance` with every
// digit of the reader's doubles.
#include <charconv>
#include <complex>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "analysis/formats/number_text.h"
#include "analysis/formats/touchstone_reader.h"
#include "cli_test_support.h"

namespace corvantile::cli {
namespace {

using testing_support::DataFile;
using testing_support::RunInProcess;
using testing_support::TemporaryFile;

std::string Antenna() {
  const std::filesystem::path directory = TemporaryFile("touchstone");
  std::filesystem::create_directories(directory);
  const std::string path = (directory / "antenna.s1p").string();
  std::ofstream(path, std::ios::binary) << "# MHz S RI R 50\n1 0.5 -0.25\n2 0.1 0.3\n3 -0.2 0.1\n";
  return path;
}

struct Refusal {
  std::vector<std::string> arguments;  // after "touchstone"; "ANTENNA" is the test file
  const char* error;
};

class TouchstoneRefusalTest : public ::testing::TestWithParam<Refusal> {};

TEST_P(TouchstoneRefusalTest, ExitsTwoWithOneLine) {
  const std::string antenna = Antenna();
  std::vector<std::string> words{"touchstone"};
  for (const std::string& a : GetParam().arguments) words.push_back(a == "ANTENNA" ? antenna : a);
  std::vector<std::string_view> views(words.begin(), words.end());
  std::ostringstream out, err;
  const int status = RunCommandLine(views, out, err);
  EXPECT_EQ(status, 2);
  EXPECT_EQ(out.str(), "");
  EXPECT_EQ(err.str(), std::string("corvantile-cli: touchstone: ") + GetParam().error + "\n");
}

INSTANTIATE_TEST_SUITE_P(
    Arguments, TouchstoneRefusalTest,
    ::testing::Values(
        Refusal{{}, "needs a Touchstone file (see corvantile-cli touchstone --help)"},
        Refusal{{"ANTENNA", "--at", "3.75M"},
                "3.75 MHz is outside antenna.s1p's band (1 MHz to 3 MHz)"},
        Refusal{{"ANTENNA", "--at", "999000"},
                "999 kHz is outside antenna.s1p's band (1 MHz to 3 MHz)"},
        Refusal{{"ANTENNA", "--port", "2"}, "antenna.s1p has no port 2"},
        Refusal{{"ANTENNA", "--port", "one"}, "--port: 'one' is not a port number"},
        Refusal{{"ANTENNA", "--at", "2X"}, "--at: '2X' is not a frequency"},
        Refusal{{"ANTENNA", "--at"}, "--at needs a value"},
        Refusal{{"ANTENNA", "--format", "xml"},
                "unknown format 'xml' (use table, csv, json or s1p)"},
        Refusal{{"ANTENNA", "--loud"},
                "unknown option '--loud' (see corvantile-cli touchstone --help)"},
        Refusal{{"ANTENNA", "other.s1p"},
                "unexpected argument 'other.s1p' (see corvantile-cli touchstone --help)"},
        Refusal{{"/nonexistent/gone.s2p"}, "gone.s2p: cannot be read: No such file or directory"}));

// The tolerance run judges a measured load's builds from the file at every band frequency, so a
// band beyond the file is refused rather than judged against the typed impedance.
TEST(TouchstoneCommandTest, ToleranceBandOfAMeasuredLoadStaysInTheFile) {
  const std::string antenna = Antenna();
  const auto beyond = RunInProcess({"tolerance", "--load-file", antenna, "--frequency", "2M",
                                    "--band", "1.5M:3.5M", "--trials", "100"});
  EXPECT_EQ(beyond.status, 2);
  EXPECT_EQ(beyond.err,
            "corvantile-cli: tolerance: --band: 3.5 MHz is outside antenna.s1p's band (1 MHz to "
            "3 MHz)\n");
  const auto within = RunInProcess({"tolerance", "--load-file", antenna, "--frequency", "2M",
                                    "--band", "1.5M:2.5M", "--trials", "100", "--format", "json"});
  ASSERT_EQ(within.status, 0) << within.err;
  EXPECT_NE(within.out.find("\"measured\""), std::string::npos);
  EXPECT_NE(within.out.find("\"band_yield_vswr_2\""), std::string::npos);
}

TEST(TouchstoneCommandTest, HelpOnBothSpellings) {
  for (const std::string_view help : {"--help", "-h"}) {
    const auto run = RunInProcess({"touchstone", help});
    EXPECT_EQ(run.status, 0);
    EXPECT_NE(run.out.find("Usage: corvantile-cli touchstone FILE"), std::string::npos);
  }
}

TEST(TouchstoneCommandTest, TableOfEveryFilePoint) {
  const std::string antenna = Antenna();
  const auto run = RunInProcess({"touchstone", antenna});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_NE(run.out.find("File:        antenna.s1p (version 1, 1 port, 3 points)\n"
                         "Band:        1 MHz to 3 MHz\n"
                         "Data:        S-parameters, RI\n"
                         "Reference:   50 ohms\n"
                         "Port:        1\n"),
            std::string::npos)
      << run.out;
  // 50 (1.5 - 0.25j) / (0.5 + 0.25j) = 50 (2.2 - 1.6j) = 110 - 80j at 1 MHz.
  EXPECT_NE(run.out.find("1000000                  110                      -80\n"),
            std::string::npos)
      << run.out;
}

TEST(TouchstoneCommandTest, JsonKeepsTheReadersDoubles) {
  const std::string antenna = Antenna();
  const auto run =
      RunInProcess({"touchstone", antenna, "--at", "2.5M", "--at=1.25MHz", "--format", "json"});
  ASSERT_EQ(run.status, 0) << run.err;
  const TouchstoneRead read = ReadTouchstoneFile(antenna);
  const TouchstonePort port(read.data, 1);
  // The streamed points read back as the reader's doubles, on the one line of the document.
  ASSERT_TRUE(run.out.ends_with("]}\n")) << run.out;
  EXPECT_EQ(run.out.find('\n'), run.out.size() - 1);
  const nlohmann::json json = nlohmann::json::parse(run.out);
  ASSERT_EQ(json["impedance"].size(), 2u) << run.out;
  std::size_t k = 0;
  for (const double f : {2.5e6, 1.25e6}) {
    const std::complex<double> z = port.Impedance(f);
    const nlohmann::json& point = json["impedance"][k++];
    EXPECT_EQ(point["frequency_hz"].get<double>(), f);
    EXPECT_EQ(point["resistance_ohm"].get<double>(), z.real());
    EXPECT_EQ(point["reactance_ohm"].get<double>(), z.imag());
  }
  EXPECT_EQ(run.out.rfind("{\"file\":\"antenna.s1p\",\"version\":1,\"ports\":1,\"points\":3,", 0),
            0u)
      << run.out;
}

TEST(TouchstoneCommandTest, CsvOfAMeasuredFile) {
  const std::string measured = DataFile("ring_slot_measured.s1p").string();
  const auto run = RunInProcess({"touchstone", measured, "--format", "csv"});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_NE(run.out.find("# Band:        75 GHz to 110 GHz\n"), std::string::npos);
  EXPECT_NE(run.out.find("\nfrequency_hz,resistance_ohm,reactance_ohm\n75000000000,"),
            std::string::npos);
  int rows = 0;
  for (const char c : run.out) rows += c == '\n';
  EXPECT_EQ(rows, 5 + 1 + 101);
}

// An open port (S11 = 1) has no finite impedance: the table and CSV say "open", JSON null, and
// no output holds "inf" or "nan".
TEST(TouchstoneCommandTest, AnOpenPortIsOpenInTextAndNullInJson) {
  const std::filesystem::path directory = TemporaryFile("touchstone-open");
  std::filesystem::create_directories(directory);
  const std::string path = (directory / "open.s1p").string();
  std::ofstream(path, std::ios::binary) << "# MHz S RI R 50\n1 1 0\n2 0 0\n";
  struct Case {
    const char* format;
    const char* open;
  };
  for (const Case& c : {Case{"table", "open"}, Case{"csv", "1000000,open,"},
                        Case{"json", "\"resistance_ohm\":null"}}) {
    const auto run = RunInProcess({"touchstone", path, "--format", c.format});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.out.find(c.open), std::string::npos) << c.format << ":\n" << run.out;
    EXPECT_EQ(run.out.find("inf"), std::string::npos) << c.format;
    EXPECT_EQ(run.out.find("nan"), std::string::npos) << c.format;
  }
}

// Listed on standard output the rows stream as they are computed; written with -o they go
// through the atomic writer. Both give the same text, in every format, through a line too.
class TouchstoneOutputTest : public ::testing::TestWithParam<const char*> {};

TEST_P(TouchstoneOutputTest, StandardOutputAndFileHoldTheSameText) {
  const std::string antenna = Antenna();
  const std::string file = antenna + "." + GetParam() + ".out";
  const auto shown =
      RunInProcess({"touchstone", antenna, "--format", GetParam(), "--add-line", "RG-213:3"});
  ASSERT_EQ(shown.status, 0) << shown.err;
  const auto written = RunInProcess(
      {"touchstone", antenna, "--format", GetParam(), "--add-line", "RG-213:3", "-o", file});
  ASSERT_EQ(written.status, 0) << written.err;
  EXPECT_EQ(written.out, "");
  std::ifstream in(file, std::ios::binary);
  const std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  EXPECT_EQ(text, shown.out);
  EXPECT_GT(text.size(), 40u);
}

INSTANTIATE_TEST_SUITE_P(Formats, TouchstoneOutputTest,
                         ::testing::Values("table", "csv", "json", "s1p"));

}  // namespace
}  // namespace corvantile::cli
