// The feedline options: how a line is named and refused, and end to end that a radio-end
// measurement with its line removed and put back designs the same network as the file itself,
// that a network at the antenna matches the radio through the line, and that the touchstone
// command's removal and addition of a line give the file back.
#include "cli/line_options.h"

#include <charconv>
#include <cmath>
#include <complex>
#include <filesystem>
#include <fstream>
#include <numbers>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "analysis/formats/touchstone_reader.h"
#include "cli_test_support.h"

namespace corvantile::cli {
namespace {

using testing_support::JsonFloats;
using testing_support::RunInProcess;
using testing_support::TemporaryFile;

struct LineCase {
  const char* text;
  const char* description;  // or the error when `error` is set
  double metres;
  bool error = false;
};

class LineChoiceTest : public testing::TestWithParam<LineCase> {};

TEST_P(LineChoiceTest, ReadsOrRefuses) {
  const LineCase& c = GetParam();
  LineChoice choice;
  std::string error;
  const bool ok = ParseLineChoice("--line", c.text, choice, error);
  if (c.error) {
    EXPECT_FALSE(ok);
    EXPECT_EQ(error, c.description);
    return;
  }
  ASSERT_TRUE(ok) << error;
  EXPECT_EQ(choice.description, c.description);
  EXPECT_NEAR(choice.line.Length(), c.metres, 1e-12);
}

INSTANTIATE_TEST_SUITE_P(
    Lines, LineChoiceTest,
    testing::Values(
        LineCase{"RG-213:30", "30 m of RG-213", 30.0},
        LineCase{"rg58:100ft", "100 ft of RG-58", 30.48},
        LineCase{"lmr-400:12.5m", "12.5 m of LMR-400", 12.5},
        LineCase{"50:0.66:0:10", "10 m of 50 ohm line", 10.0},
        LineCase{"75:0.82:1.6@55M,3@211M/100ft:20", "20 m of 75 ohm line", 20.0},
        LineCase{"50:0.66:2@30M:5", "5 m of 50 ohm line", 5.0},
        LineCase{"RG-999:30",
                 "--line: no cable 'RG-999' (RG-58, RG-8X, RG-213, LMR-400, LMR-240, 9913, "
                 "RG-174, RG-6, RG-59)",
                 0, true},
        LineCase{"RG-213:-3", "--line: 'RG-213:-3': '-3' is not a length (30, 30m, 98ft)", 0, true},
        LineCase{"RG-213:30yd", "--line: 'RG-213:30yd': '30yd' is not a length (30, 30m, 98ft)", 0,
                 true},
        LineCase{"RG-213",
                 "--line: 'RG-213' is not CABLE:LENGTH, Z0:VF:LOSS@FREQ,...:LENGTH or "
                 "measured:OPEN.s1p:SHORT.s1p:LENGTH",
                 0, true},
        LineCase{"measured:nowhere/open.s1p:short.s1p:10",
                 "--line: 'measured:nowhere/open.s1p:short.s1p:10': open.s1p: cannot be read: "
                 "No such file or directory",
                 0, true},
        LineCase{"50:1.5:0:10",
                 "--line: '50:1.5:0:10': the velocity factor '1.5' is not above 0 and at most 1", 0,
                 true},
        LineCase{"50:0.66:0.6:10", "--line: '50:0.66:0.6:10': '0.6' is not LOSS@FREQ (0.6@10M)", 0,
                 true},
        LineCase{"50:0.66:-1@10M,2@20M:10",
                 "--line: '50:0.66:-1@10M,2@20M:10': a loss figure must be above 0 dB", 0, true}));

TEST(LineFiguresMeasuredTest, OpenAndShortFilesGiveTheCable) {
  // 41 m of RG-8X measured open and shorted from 1 to 30 MHz, past several half waves.
  const std::filesystem::path directory = TemporaryFile("line-measured");
  std::filesystem::create_directories(directory);
  const TransmissionLine cable = FindCable("RG-8X")->Line(41.0);
  for (const bool open : {true, false}) {
    std::ofstream out(directory / (open ? "open.s1p" : "short.s1p"), std::ios::binary);
    out.precision(17);
    out << "# Hz S RI R 50\n";
    for (double f = 1e6; f <= 30e6 + 1.0; f += 0.1e6) {
      const std::complex<double> far = open ? std::complex<double>(INFINITY, 0.0) : 0.0;
      const std::complex<double> g = ReflectionOf(cable.SeenThrough(f, far), 50.0);
      out << f << ' ' << g.real() << ' ' << g.imag() << '\n';
    }
  }
  LineChoice choice;
  std::string error;
  const std::string text = "measured:" + (directory / "open.s1p").string() + ":" +
                           (directory / "short.s1p").string() + ":41";
  ASSERT_TRUE(ParseLineChoice("--line", text, choice, error)) << error;
  EXPECT_NEAR(choice.velocityFactor, 0.78, 2e-3);
  EXPECT_NEAR(choice.nominalImpedance, 50.0, 0.1);
  EXPECT_NEAR(choice.line.MatchedLossDb(14e6) / cable.MatchedLossDb(14e6), 1.0, 0.02);
  EXPECT_EQ(choice.description, "41 m of line measured open and short");
}

// A measurement at the radio end: an antenna near resonance seen through 30 m of RG-213.
std::string RadioEndFile() {
  const std::filesystem::path directory = TemporaryFile("line-options");
  std::filesystem::create_directories(directory);
  const std::string path = (directory / "radio.s1p").string();
  const TransmissionLine line = FindCable("RG-213")->Line(30.0);
  std::ofstream out(path, std::ios::binary);
  out.precision(17);
  out << "# Hz S RI R 50\n";
  for (double f = 3.0e6; f <= 4.0e6 + 1.0; f += 0.02e6) {
    const std::complex<double> antenna(40.0 * (f / 3.6e6) * (f / 3.6e6),
                                       900.0 * (f / 3.6e6 - 3.6e6 / f));
    const std::complex<double> g = ReflectionOf(line.SeenThrough(f, antenna), 50.0);
    out << f << ' ' << g.real() << ' ' << g.imag() << '\n';
  }
  return path;
}

// The number after "key": in a JSON text.
double JsonNumber(const std::string& json, const std::string& key) {
  const std::size_t at = json.find("\"" + key + "\":");
  EXPECT_NE(at, std::string::npos) << key << " in " << json;
  if (at == std::string::npos) return NAN;
  const char* p = json.data() + at + key.size() + 3;
  double value = NAN;
  std::from_chars(p, json.data() + json.size(), value);
  return value;
}

TEST(LineCommandTest, RemovedAndPutBackDesignsAsTheFile) {
  const std::string file = RadioEndFile();
  const auto plain = RunInProcess(
      {"design", "--source", "series:50:0", "--frequency", "3.7M", "--load-file", file, "--json"});
  const auto round =
      RunInProcess({"design", "--source", "series:50:0", "--frequency", "3.7M", "--load-file", file,
                    "--load-file-remove-line", "RG-213:30", "--line", "RG-213:30", "--json"});
  ASSERT_EQ(plain.status, 0) << plain.err;
  ASSERT_EQ(round.status, 0) << round.err;
  EXPECT_EQ(JsonFloats(plain.out, "NetValues"), JsonFloats(round.out, "NetValues"));
  // The mismatched antenna costs more than the matched loss.
  EXPECT_GT(JsonNumber(round.out, "mismatch_loss_db"), 0.05);
  EXPECT_GT(JsonNumber(round.out, "far_vswr"), 2.0);
}

TEST(LineCommandTest, NetworkAtTheAntennaMatchesTheRadio) {
  const std::string file = RadioEndFile();
  const auto run = RunInProcess({"design", "--source", "series:50:0", "--frequency", "3.7M",
                                 "--load-file", file, "--load-file-remove-line", "RG-213:30",
                                 "--line", "RG-213:30", "--line-at", "source", "--json"});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_LT(JsonNumber(run.out, "near_vswr"), 1.05);
  EXPECT_NEAR(JsonNumber(run.out, "mismatch_loss_db"), 0.0, 0.005);
  // 1000 W into 50 ohms: sqrt(2 P R), the highest voltage at the radio end of a lossy line.
  EXPECT_NEAR(JsonNumber(run.out, "peak_volts"), std::sqrt(2.0 * 1000.0 * 50.0), 5.0);
}

TEST(LineCommandTest, SweepCarriesTheLine) {
  const auto run =
      RunInProcess({"sweep", "--load", "series:20:-80", "--source", "series:50:0", "--frequency",
                    "3.6M", "--line", "RG-58:20", "--points", "11", "--format", "json"});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_NE(run.out.find("\"line\":{"), std::string::npos);
  const auto table = RunInProcess({"sweep", "--load", "series:20:-80", "--source", "series:50:0",
                                   "--frequency", "3.6M", "--line", "RG-58:20", "--points", "11"});
  EXPECT_NE(table.out.find("Feedline: 20 m of RG-58"), std::string::npos) << table.out;
}

testing_support::CliRun RunArgs(const std::vector<std::string_view>& args) {
  std::ostringstream out, err;
  testing_support::CliRun run;
  run.status = RunCommandLine(args, out, err);
  run.out = out.str();
  run.err = err.str();
  return run;
}

// The S11 row at `hertz` of a Touchstone one-port, as a return loss in dB.
double ReturnLossAt(const std::string& s1p, const std::string& hertz) {
  const std::size_t at = s1p.find("\n" + hertz + " ");
  EXPECT_NE(at, std::string::npos) << hertz << " in " << s1p;
  if (at == std::string::npos) return NAN;
  std::istringstream row(s1p.substr(at + 1));
  double f = 0.0, re = 0.0, im = 0.0;
  row >> f >> re >> im;
  return -20.0 * std::log10(std::abs(std::complex<double>(re, im)));
}

// The return loss column of a sweep csv's row at `hertz`.
double CsvReturnLossAt(const std::string& csv, const std::string& hertz) {
  std::istringstream lines(csv);
  std::string line, header;
  while (std::getline(lines, line)) {
    if (line.empty() || line[0] == '#') continue;
    if (header.empty()) {
      header = line;
      continue;
    }
    if (!line.starts_with(hertz + ",")) continue;
    std::istringstream names(header), cells(line);
    std::string name, cell;
    while (std::getline(names, name, ',') && std::getline(cells, cell, ',')) {
      if (name.starts_with("return_loss")) return std::stod(cell);
    }
  }
  ADD_FAILURE() << "no return loss at " << hertz << " in " << csv;
  return NAN;
}

// The export writes what the sweep sweeps: the network designed through the line, with the
// load seen through it; the source sees a perfect match at f0 and the sweep's figure beside it.
TEST(LineCommandTest, ExportMatchedTouchstoneIsTheSweepThroughTheLine) {
  const std::vector<std::string_view> design = {
      "--load", "series:20:-80", "--source", "series:50:0", "--frequency", "3.6M",    "--from",
      "3.5M",   "--to",          "3.7M",     "--points",    "3",           "--linear"};
  std::vector<std::string_view> exported = {"export", "touchstone", "--matched", "--line",
                                            "RG-58:20"};
  exported.insert(exported.end(), design.begin(), design.end());
  const auto s1p = RunArgs(exported);
  ASSERT_EQ(s1p.status, 0) << s1p.err;
  EXPECT_NE(s1p.out.find("! Feedline: 20 m of RG-58"), std::string::npos) << s1p.out;
  std::vector<std::string_view> swept = {"sweep", "--format", "csv", "--line", "RG-58:20"};
  swept.insert(swept.end(), design.begin(), design.end());
  const auto csv = RunArgs(swept);
  ASSERT_EQ(csv.status, 0) << csv.err;
  EXPECT_GT(ReturnLossAt(s1p.out, "3600000"), 60.0);
  EXPECT_GT(CsvReturnLossAt(csv.out, "3600000"), 60.0);
  for (const std::string f : {"3500000", "3700000"}) {
    EXPECT_NEAR(ReturnLossAt(s1p.out, f), CsvReturnLossAt(csv.out, f), 0.01) << f;
  }
  // Without the line the network and its band differ: the line is in the file.
  std::vector<std::string_view> bare = {"export", "touchstone", "--matched"};
  bare.insert(bare.end(), design.begin(), design.end());
  const auto plain = RunArgs(bare);
  ASSERT_EQ(plain.status, 0) << plain.err;
  EXPECT_GT(std::abs(ReturnLossAt(plain.out, "3700000") - ReturnLossAt(s1p.out, "3700000")), 0.1);
}

// The two-port with a line at the load is the network and the line in cascade: terminated in
// the load itself (20 ohms and the capacitor of -80 ohms at 3.6 MHz) it presents what the
// one-port of network, line and load holds.
TEST(LineCommandTest, ExportTwoPortCascadesTheLine) {
  const std::vector<std::string_view> design = {
      "--load", "series:20:-80", "--frequency", "3.6M",     "--line", "RG-58:20", "--from",
      "3.5M",   "--to",          "3.7M",        "--points", "3",      "--linear"};
  std::vector<std::string_view> two = {"export", "touchstone"},
                                one = {"export", "touchstone", "--matched"};
  two.insert(two.end(), design.begin(), design.end());
  one.insert(one.end(), design.begin(), design.end());
  const auto s2p = RunArgs(two), s1p = RunArgs(one);
  ASSERT_EQ(s2p.status, 0) << s2p.err;
  ASSERT_EQ(s1p.status, 0) << s1p.err;
  EXPECT_NE(s2p.out.find("! Corvantile matching network and 20 m of RG-58"), std::string::npos);
  using Complex = std::complex<double>;
  const double capacitance = 1.0 / (2.0 * std::numbers::pi * 3.6e6 * 80.0);
  for (const std::string f : {"3500000", "3600000", "3700000"}) {
    const auto row = [&f](const std::string& text) {
      const std::size_t at = text.find("\n" + f + " ");
      EXPECT_NE(at, std::string::npos) << f;
      std::istringstream in(at == std::string::npos ? "" : text.substr(at + 1));
      std::vector<double> v(9, NAN);
      for (double& x : v) in >> x;
      return v;
    };
    const std::vector<double> s = row(s2p.out), m = row(s1p.out);
    const Complex s11{s[1], s[2]}, s21{s[3], s[4]}, s12{s[5], s[6]}, s22{s[7], s[8]};
    const double w = 2.0 * std::numbers::pi * s[0];
    const Complex load = Complex(20.0, -1.0 / (w * capacitance));
    const Complex gamma = (load - 50.0) / (load + 50.0);
    const Complex seen = s11 + s12 * s21 * gamma / (1.0 - s22 * gamma);
    EXPECT_NEAR(std::abs(seen - Complex(m[1], m[2])), 0.0, 1e-6) << f;
  }
}

TEST(LineCommandTest, ExportSpiceSaysTheLoadIsSeenThroughTheLine) {
  const auto run = RunInProcess(
      {"export", "spice", "--load", "series:20:-80", "--frequency", "3.6M", "--line", "RG-58:20"});
  ASSERT_EQ(run.status, 0) << run.err;
  // At the load the netlist holds the line and the load itself (ngspice checks its figures).
  EXPECT_NE(run.out.find("\n* The load named below is the load seen through 20 m of RG-58"),
            std::string::npos)
      << run.out;
  EXPECT_NE(run.out.find("\nRLOAD far l1 20\nCLOAD l1 0 "), std::string::npos) << run.out;
  // At the source there is no ladder: the source is the one seen through the line.
  const auto source = RunInProcess({"export", "spice", "--load", "series:20:-80", "--frequency",
                                    "3.6M", "--line", "RG-58:20", "--line-at", "source"});
  ASSERT_EQ(source.status, 0) << source.err;
  EXPECT_NE(source.out.find("\n* The source is the source seen through 20 m of RG-58"),
            std::string::npos)
      << source.out;
  EXPECT_EQ(source.out.find("far"), std::string::npos);
  const auto band = RunInProcess({"export", "csv", "--band", "3.5M:3.8M", "--line", "RG-58:20"});
  EXPECT_EQ(band.status, 2);
  EXPECT_EQ(band.err, "corvantile-cli: export: the feedline options are not for --band designs\n");
}

// Standard values and Monte Carlo through the line: the ideal row is the perfect match through
// it, and a line too short to matter gives the figures of no line.
TEST(LineCommandTest, StandardIdealIsMatchedThroughTheLine) {
  const auto run = RunInProcess({"standard", "--load", "series:20:-80", "--frequency", "3.6M",
                                 "--line", "RG-58:20", "--format", "json"});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_GT(JsonNumber(run.out, "return_loss_db"), 100.0);
  EXPECT_NE(run.out.find("\"line\":{"), std::string::npos);
  const auto table = RunInProcess(
      {"standard", "--load", "series:20:-80", "--frequency", "3.6M", "--line", "RG-58:20"});
  EXPECT_NE(table.out.find("Feedline: 20 m of RG-58"), std::string::npos) << table.out;
}

std::vector<double> Numbers(const std::string& json, const std::string& key) {
  const std::size_t at = json.find("\"" + key + "\":[");
  EXPECT_NE(at, std::string::npos) << key;
  std::vector<double> values;
  if (at == std::string::npos) return values;
  std::istringstream list(json.substr(at + key.size() + 4));
  double v = 0.0;
  char separator = ',';
  while (separator == ',' && list >> v) {
    values.push_back(v);
    list >> separator;
  }
  return values;
}

TEST(LineCommandTest, ShortLineGivesTheFiguresOfNoLine) {
  for (const std::string_view command : {"standard", "tolerance"}) {
    const std::vector<std::string_view> base = {command, "--load",   "series:20:-80", "--frequency",
                                                "3.6M",  "--format", "json"};
    std::vector<std::string_view> lined = base;
    for (const std::string_view a : {"--line", "50:0.66:0:0.001"}) lined.push_back(a);
    const auto with = RunArgs(lined), without = RunArgs(base);
    ASSERT_EQ(with.status, 0) << with.err;
    ASSERT_EQ(without.status, 0) << without.err;
    const std::string key = command == "standard" ? "element_values" : "percentile_return_loss_db";
    const std::vector<double> a = Numbers(with.out, key), b = Numbers(without.out, key);
    ASSERT_EQ(a.size(), b.size()) << command;
    ASSERT_FALSE(a.empty()) << command;
    for (std::size_t k = 0; k < a.size(); ++k) {
      EXPECT_NEAR(a[k], b[k], 1e-3 * std::abs(b[k])) << command << " " << k;
    }
  }
}

TEST(LineCommandTest, ToleranceBuildsAreScoredThroughTheLine) {
  const auto run = RunInProcess({"tolerance", "--load", "series:20:-80", "--frequency", "3.6M",
                                 "--line", "RG-58:20", "--format", "json"});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_GT(JsonNumber(run.out, "nominal_return_loss_db"), 60.0);
  EXPECT_NE(run.out.find("\"line\":{"), std::string::npos);
}

// Explore through the line: every candidate matches the load seen through it, whose Q the
// Bode-Fano bound takes; a line too short to matter leaves the bound as it was.
TEST(LineCommandTest, ExploreMatchesTheLoadSeenThroughTheLine) {
  const auto bare = RunInProcess({"explore", "--load", "series:20:-80", "--frequency", "3.6M",
                                  "--step", "30", "--format", "json"});
  const auto shortLine =
      RunInProcess({"explore", "--load", "series:20:-80", "--frequency", "3.6M", "--step", "30",
                    "--line", "50:0.66:0:0.001", "--format", "json"});
  const auto longLine = RunInProcess({"explore", "--load", "series:20:-80", "--frequency", "3.6M",
                                      "--step", "30", "--line", "RG-58:20", "--format", "json"});
  ASSERT_EQ(bare.status, 0) << bare.err;
  ASSERT_EQ(shortLine.status, 0) << shortLine.err;
  ASSERT_EQ(longLine.status, 0) << longLine.err;
  // 20 - j80 ohms: Q = 4; through 20 m of RG-58 it is 73.65 + j112.33 ohms, Q 1.525.
  EXPECT_NEAR(JsonNumber(bare.out, "load_q"), 4.0, 1e-6);
  EXPECT_NEAR(JsonNumber(shortLine.out, "load_q"), 4.0, 1e-3);
  EXPECT_NEAR(JsonNumber(longLine.out, "load_q"), 112.33 / 73.65, 1e-3);
  EXPECT_NE(longLine.out.find("\"line\":{\"line\":\"20 m of RG-58\",\"at\":\"load\"}"),
            std::string::npos)
      << longLine.out;
  EXPECT_EQ(bare.out.find("\"line\""), std::string::npos);
  const auto table = RunInProcess({"explore", "--load", "series:20:-80", "--frequency", "3.6M",
                                   "--step", "30", "--line", "RG-58:20"});
  EXPECT_TRUE(table.out.starts_with("Feedline: 20 m of RG-58 between the network and the load"))
      << table.out;
}

struct Refused {
  std::vector<std::string> arguments;
  const char* error;
};
class LineRefusalTest : public testing::TestWithParam<Refused> {};
TEST_P(LineRefusalTest, OneLine) {
  std::vector<std::string_view> views{"design"};
  for (const std::string& a : GetParam().arguments) views.push_back(a);
  std::ostringstream out, err;
  EXPECT_EQ(RunCommandLine(views, out, err), 2);
  EXPECT_EQ(err.str(), std::string("corvantile-cli: ") + GetParam().error + "\n");
}
INSTANTIATE_TEST_SUITE_P(Options, LineRefusalTest,
                         testing::Values(Refused{{"--line-at", "source"}, "--line-at needs --line"},
                                         Refused{{"--line", "RG-213:30", "--line-at", "middle"},
                                                 "--line-at: 'middle' is not load or source"},
                                         Refused{{"--load-file-remove-line", "RG-213:30"},
                                                 "--load-file-remove-line needs --load-file"},
                                         Refused{{"--line", "RG-213:30", "--line", "RG-58:3"},
                                                 "--line may be given only once"}));

// Every command that takes the line options refuses them the same way, naming itself.
TEST(LineCommandTest, EveryCommandRefusesALineAtWithoutALine) {
  const std::vector<std::vector<std::string_view>> commands = {
      {"export", "csv"}, {"export", "spice"}, {"standard"}, {"tolerance"}, {"explore"}};
  for (std::vector<std::string_view> args : commands) {
    const std::string name(args.front());
    args.insert(args.end(), {"--line-at", "source"});
    const auto run = RunArgs(args);
    EXPECT_EQ(run.status, 2) << name;
    EXPECT_EQ(run.err, "corvantile-cli: " + name + ": --line-at needs --line\n");
    EXPECT_EQ(run.out, "");
  }
}

TEST(LineCommandTest, TouchstoneRemoveThenAddGivesTheFileBack) {
  const std::string file = RadioEndFile();
  const auto removed =
      RunInProcess({"touchstone", file, "--remove-line", "RG-213:30", "--format", "s1p"});
  ASSERT_EQ(removed.status, 0) << removed.err;
  const std::string antenna = (std::filesystem::path(file).parent_path() / "antenna.s1p").string();
  std::ofstream(antenna, std::ios::binary) << removed.out;
  const auto added =
      RunInProcess({"touchstone", antenna, "--add-line", "RG-213:30", "--format", "s1p"});
  ASSERT_EQ(added.status, 0) << added.err;
  const std::string back = antenna + ".back.s1p";
  std::ofstream(back, std::ios::binary) << added.out;
  const TouchstoneRead original = ReadTouchstoneFile(file), again = ReadTouchstoneFile(back);
  ASSERT_TRUE(original.Ok() && again.Ok()) << original.error << again.error;
  const TouchstonePort a(original.data, 1), b(again.data, 1);
  ASSERT_EQ(a.Frequencies(), b.Frequencies());
  for (const double f : a.Frequencies()) {
    EXPECT_LE(std::abs(a.Impedance(f) - b.Impedance(f)), 1e-9 * std::abs(a.Impedance(f))) << f;
  }
}

// A sparse file (four points of an antenna) behind 30 m of RG-213: the load the design is made
// for at 3.7 MHz, between the file's points, is the file's impedance there seen through the line,
// whether the line is added to the file or is the design's feedline.
TEST(LineCommandTest, ASparseFileIsSeenThroughTheLineBetweenItsPoints) {
  const std::filesystem::path directory = TemporaryFile("line-options-sparse");
  std::filesystem::create_directories(directory);
  const std::string file = (directory / "sparse.s1p").string();
  std::ofstream(file, std::ios::binary) << "# MHz Z RI R 50\n3 30 -60\n3.5 40 -20\n4 50 15\n"
                                           "4.5 60 50\n";
  const TouchstoneRead read = ReadTouchstoneFile(file);
  ASSERT_TRUE(read.Ok()) << read.error;
  const TouchstonePort far(read.data, 1);
  const std::complex<double> expected =
      FindCable("RG-213")->Line(30.0).SeenThrough(3.7e6, far.Impedance(3.7e6));
  for (const std::string_view option : {"--load-file-add-line", "--line"}) {
    const auto run = RunInProcess({"design", "--source", "series:50:0", "--frequency", "3.7M",
                                   "--load-file", file, option, "RG-213:30", "--json"});
    ASSERT_EQ(run.status, 0) << run.err;
    const std::vector<float> load = JsonFloats(run.out, "LoadValues");
    ASSERT_GT(load.size(), static_cast<std::size_t>(SeriesX));
    const std::complex<double> seen(static_cast<double>(load[SeriesR]),
                                    static_cast<double>(load[SeriesX]));
    EXPECT_LE(std::abs(seen - expected), 1e-5 * std::abs(expected)) << option;
  }
}

}  // namespace
}  // namespace corvantile::cli
