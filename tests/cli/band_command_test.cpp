// The band command in-process: its JSON read back and solved again as a circuit, the bound of
// the typed load at the bands' middle, the measured load, every format, and the exit statuses.
#include <algorithm>
#include <cmath>
#include <complex>
#include <filesystem>
#include <fstream>
#include <map>
#include <numbers>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "cli/option_table.h"
#include "cli_test_support.h"
#include "support/circuit_solver.h"
#include "support/files.h"

namespace corvantile::cli {
namespace {

using testing_support::CliRun;
using testing_support::RunInProcess;

// The published load at the middle of 0.8-1.8 GHz: 15 ohm with 5 pF across it (-24.485 ohm at
// 1.3 GHz), from 50 ohm.
const std::vector<std::string_view> kPublished = {
    "band",     "--band", "0.8G:1.8G", "--source", "series:50:0", "--load", "parallel:15:-24.4854",
    "--format", "json"};

// Every design of the JSON, rebuilt from its elements and solved at the band's points with the
// tests' own solver, has the worst return loss it states.
TEST(BandCommandTest, JsonDesignsSolveToTheirFigures) {
  std::ostringstream out, err;
  CliRun run;
  run.status = RunCommandLine(kPublished, out, err);
  run.out = out.str();
  run.err = err.str();
  ASSERT_EQ(run.status, kExitOk) << run.err;
  EXPECT_TRUE(run.err.empty()) << run.err;
  const nlohmann::json j = nlohmann::json::parse(run.out);
  ASSERT_EQ(j["designs"].size(), 4u);
  EXPECT_EQ(j["bode_fano"]["limited_by"], "load");
  EXPECT_EQ(j["bode_fano"]["model"], "parallel R-C (15 ohm, 5 pF)");
  EXPECT_NEAR(j["bode_fano"]["vswr"].get<double>(), 1.0025, 0.0001);
  const std::complex<double> zs{50.0, 0.0};
  for (const nlohmann::json& d : j["designs"]) {
    std::vector<LadderElement> elements;
    for (const nlohmann::json& e : d["elements"]) {
      const bool inductor = e["part"] == "inductor";
      ASSERT_TRUE(inductor || e["part"] == "capacitor");
      ASSERT_TRUE(e["connection"] == "series" || e["connection"] == "shunt");
      elements.push_back(
          {e["connection"] == "shunt",
           {inductor ? PartKind::Inductor : PartKind::Capacitor, e["value"].get<double>()}});
    }
    EXPECT_EQ(d["element_count"].get<std::size_t>(), elements.size());
    double worst = HUGE_VAL;
    for (int k = 0; k <= 200; ++k) {
      const double f = 0.8e9 + 1e9 * k / 200.0;
      const double omega = 2.0 * std::numbers::pi * f;
      const std::complex<double> zl = 1.0 / std::complex<double>(1.0 / 15.0, omega * 5e-12);
      worst =
          std::min(worst, corvantile::testing::ReturnLossDb(
                              corvantile::testing::LadderInputImpedance(elements, zl, omega), zs));
    }
    // The load's capacitor was entered as a reactance rounded to 6 digits.
    EXPECT_NEAR(d["worst_return_loss_db"].get<double>(), worst, 0.01);
    EXPECT_GE(d["mean_return_loss_db"].get<double>(), d["worst_return_loss_db"].get<double>());
    const double gamma = std::pow(10.0, -d["worst_return_loss_db"].get<double>() / 20.0);
    EXPECT_NEAR(d["worst_vswr"].get<double>(), (1.0 + gamma) / (1.0 - gamma), 1e-6);
    EXPECT_NEAR(
        d["distance_from_bound_db"].get<double>(),
        d["bode_fano_return_loss_db"].get<double>() - d["worst_return_loss_db"].get<double>(),
        1e-9);
    EXPECT_FALSE(d.contains("efficiency"));
  }
}

TEST(BandCommandTest, ResistivePairHasNoBound) {
  const CliRun run =
      RunInProcess({"band", "--band", "9M:11M", "--source", "series:50:0", "--load", "series:200:0",
                    "--elements", "2", "--format", "json", "--q-inductor", "100"});
  ASSERT_EQ(run.status, kExitOk) << run.err;
  const nlohmann::json j = nlohmann::json::parse(run.out);
  EXPECT_TRUE(j["bode_fano"]["return_loss_db"].is_null());
  EXPECT_EQ(j["bode_fano"]["note"], "no Bode-Fano bound: source and load are resistive");
  ASSERT_EQ(j["designs"].size(), 2u);
  for (const nlohmann::json& d : j["designs"]) {
    EXPECT_TRUE(d["bode_fano_return_loss_db"].is_null());
    EXPECT_TRUE(d["distance_from_bound_db"].is_null());
    // With lossy inductors: below 1, and the hottest part is one of the ladder's.
    EXPECT_GT(d["efficiency"].get<double>(), 0.5);
    EXPECT_LT(d["efficiency"].get<double>(), 1.0);
    EXPECT_GE(d["hottest_part"].get<int>(), 1);
    EXPECT_LE(d["hottest_part"].get<std::size_t>(), d["elements"].size());
  }
}

TEST(BandCommandTest, StandardValuesComeWithEveryDesign) {
  const CliRun run = RunInProcess({"band", "--band", "3.5M:3.8M", "--source", "series:50:0",
                                   "--load", "series:30:20", "--elements", "3", "--standard",
                                   "best", "--series-capacitor", "E12", "--format", "json"});
  ASSERT_EQ(run.status, kExitOk) << run.err;
  const nlohmann::json j = nlohmann::json::parse(run.out);
  for (const nlohmann::json& d : j["designs"]) {
    ASSERT_TRUE(d.contains("standard"));
    EXPECT_EQ(d["standard"]["values"].size(), d["elements"].size());
    EXPECT_LE(d["standard"]["worst_return_loss_db"].get<double>(),
              d["worst_return_loss_db"].get<double>() + 1e-9);
  }
  const CliRun yield =
      RunInProcess({"band", "--band", "3.5M:3.8M", "--source", "series:50:0", "--load",
                    "series:30:20", "--elements", "2", "--standard", "best", "--tolerance", "5%",
                    "--builds", "500", "--format", "json"});
  ASSERT_EQ(yield.status, kExitOk) << yield.err;
  const nlohmann::json yielded = nlohmann::json::parse(yield.out);
  for (const nlohmann::json& d : yielded["designs"]) {
    ASSERT_TRUE(d.contains("yield"));
    EXPECT_EQ(d["yield"]["of"], "standard");
    EXPECT_EQ(d["yield"]["builds"], 500);
    EXPECT_GE(d["yield"]["vswr_2"].get<double>(), d["yield"]["vswr_1_5"].get<double>());
  }
  const CliRun bad = RunInProcess({"band", "--band", "3.5M:3.8M", "--standard", "nearest"});
  EXPECT_EQ(bad.status, kExitUsage);
  EXPECT_NE(bad.err.find("unknown --standard 'nearest' (use best or none)"), std::string::npos);
}

TEST(BandCommandTest, TableAndCsvListEveryDesign) {
  const CliRun table =
      RunInProcess({"band", "--band", "3.5M:3.8M", "--band", "7M:7.2M", "--load", "series:100:-50",
                    "--elements", "3", "--topology", "lowpass", "--attenuation", "2f:20"});
  ASSERT_EQ(table.status, kExitOk) << table.err;
  EXPECT_NE(table.out.find("Bands: 3.5 MHz to 3.8 MHz, 7 MHz to 7.2 MHz"), std::string::npos)
      << table.out;
  EXPECT_NE(table.out.find("Topology: lowpass"), std::string::npos);
  EXPECT_NE(table.out.find("Attenuation asked: 20.0 dB at 2f"), std::string::npos);
  // Low-pass: no series capacitor and no shunt inductor anywhere.
  EXPECT_EQ(table.out.find("series capacitor"), std::string::npos) << table.out;
  EXPECT_EQ(table.out.find("shunt inductor"), std::string::npos) << table.out;
  const CliRun csv = RunInProcess({"band", "--band", "3.5M:3.8M", "--load", "series:100:-50",
                                   "--elements", "3", "--format", "csv"});
  ASSERT_EQ(csv.status, kExitOk) << csv.err;
  std::size_t lines = 0;
  for (char c : csv.out) lines += c == '\n' ? 1 : 0;
  EXPECT_EQ(lines, 4u) << csv.out;
  EXPECT_EQ(csv.out.rfind("element_count,worst_return_loss_db,", 0), 0u);
}

// A measured file of the typed load's own impedance gives the typed run's designs.
TEST(BandCommandTest, MeasuredLoadIsReadOverTheBand) {
  const std::filesystem::path path = corvantile::testing::TemporaryFile("load.s1p");
  {
    std::ofstream file(path);
    file.precision(17);
    file << "# MHz S RI R 50\n";
    for (int k = 0; k <= 500; ++k) {
      const double f = 3.4 + 0.5 * k / 500.0;
      const double omega = 2.0 * std::numbers::pi * f * 1e6;
      const std::complex<double> z = 1.0 / std::complex<double>(1.0 / 100.0, omega * 300e-12);
      const std::complex<double> g = (z - 50.0) / (z + 50.0);
      file << f << ' ' << g.real() << ' ' << g.imag() << '\n';
    }
  }
  const std::string file = path.string();
  const CliRun run = RunInProcess({"band", "--band", "3.5M:3.8M", "--load-file", file, "--source",
                                   "series:50:0", "--elements", "3", "--format", "json"});
  ASSERT_EQ(run.status, kExitOk) << run.err;
  const double omega0 = 2.0 * std::numbers::pi * 3.65e6;
  const std::string typedLoad = "parallel:100:" + std::to_string(-1.0 / (omega0 * 300e-12));
  const CliRun typed = RunInProcess({"band", "--band", "3.5M:3.8M", "--load", typedLoad, "--source",
                                     "series:50:0", "--elements", "3", "--format", "json"});
  ASSERT_EQ(typed.status, kExitOk) << typed.err;
  const nlohmann::json m = nlohmann::json::parse(run.out);
  const nlohmann::json t = nlohmann::json::parse(typed.out);
  EXPECT_TRUE(m.contains("measured"));
  EXPECT_FALSE(t.contains("measured"));
  ASSERT_EQ(m["designs"].size(), 3u);
  ASSERT_EQ(t["designs"].size(), 3u);
  for (std::size_t k = 0; k < 3; ++k) {
    EXPECT_NEAR(m["designs"][k]["worst_return_loss_db"].get<double>(),
                t["designs"][k]["worst_return_loss_db"].get<double>(), 0.05);
  }
  EXPECT_EQ(m["bode_fano"]["model"], t["bode_fano"]["model"]);
  const CliRun outside = RunInProcess({"band", "--band", "3.5M:4M", "--load-file", file});
  EXPECT_EQ(outside.status, kExitUsage);
  EXPECT_NE(outside.err.find("4 MHz is outside "), std::string::npos);
  EXPECT_NE(outside.err.find("load.s1p's band (3.4 MHz to 3.9 MHz)"), std::string::npos)
      << outside.err;
  std::filesystem::remove(path);
}

TEST(BandCommandTest, WritesTheChosenFile) {
  const std::filesystem::path path = corvantile::testing::TemporaryFile("band.json");
  const CliRun run = RunInProcess(
      {"band", "--band", "3.5M:3.8M", "--elements", "2", "--format", "json", "-o", path.string()});
  ASSERT_EQ(run.status, kExitOk) << run.err;
  EXPECT_TRUE(run.out.empty());
  const std::string text = corvantile::testing::ReadBytes(path);
  EXPECT_EQ(nlohmann::json::parse(text)["designs"].size(), 2u);
  std::filesystem::remove(path);
}

// The four-element design's two-port, terminated in the load, and its one-port with the load
// on it both reflect what the band command reports over the band's own points.
TEST(BandCommandTest, ExportsOfALongLadderAgreeWithTheSearch) {
  const std::vector<std::string_view> common = {"--band",      "0.8G:1.8G", "--source",
                                                "series:50:0", "--load",    "parallel:15:-24.4854"};
  auto run = [&](std::vector<std::string_view> args) {
    args.insert(args.end(), common.begin(), common.end());
    std::ostringstream out, err;
    CliRun r;
    r.status = RunCommandLine(args, out, err);
    r.out = out.str();
    r.err = err.str();
    return r;
  };
  const CliRun band = run({"band", "--format", "json"});
  ASSERT_EQ(band.status, kExitOk) << band.err;
  const double worst =
      nlohmann::json::parse(band.out)["designs"][3]["worst_return_loss_db"].get<double>();
  const std::vector<std::string_view> span = {"--from", "0.8G",     "--to",   "1.8G", "--points",
                                              "201",    "--linear", "--pick", "4"};
  std::vector<std::string_view> s2p = {"export", "touchstone"};
  s2p.insert(s2p.end(), span.begin(), span.end());
  std::vector<std::string_view> s1p = s2p;
  s1p.push_back("--matched");
  const CliRun two = run(s2p);
  const CliRun one = run(s1p);
  ASSERT_EQ(two.status, kExitOk) << two.err;
  ASSERT_EQ(one.status, kExitOk) << one.err;
  auto rows = [](const std::string& text) {
    std::vector<std::vector<double>> r;
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);) {
      if (line.empty() || line[0] == '!' || line[0] == '#') continue;
      std::istringstream in(line);
      std::vector<double> v;
      for (double x; in >> x;) v.push_back(x);
      r.push_back(v);
    }
    return r;
  };
  double worstTwo = HUGE_VAL, worstOne = HUGE_VAL;
  for (const std::vector<double>& v : rows(two.out)) {
    ASSERT_EQ(v.size(), 9u);
    const double omega = 2.0 * std::numbers::pi * v[0];
    const std::complex<double> zl = 1.0 / std::complex<double>(1.0 / 15.0, omega * 5e-12);
    const std::complex<double> gl = (zl - 50.0) / (zl + 50.0);
    const std::complex<double> s11{v[1], v[2]}, s21{v[3], v[4]}, s12{v[5], v[6]}, s22{v[7], v[8]};
    const std::complex<double> gin = s11 + s12 * s21 * gl / (1.0 - s22 * gl);
    worstTwo = std::min(worstTwo, -20.0 * std::log10(std::abs(gin)));
  }
  for (const std::vector<double>& v : rows(one.out)) {
    ASSERT_EQ(v.size(), 3u);
    worstOne = std::min(worstOne, -20.0 * std::log10(std::abs(std::complex<double>(v[1], v[2]))));
  }
  // The load was entered as a rounded reactance; the band points are the same 201.
  EXPECT_NEAR(worstTwo, worst, 0.01);
  EXPECT_NEAR(worstOne, worst, 0.01);
  const CliRun bom = run({"export", "bom", "--pick", "4"});
  ASSERT_EQ(bom.status, kExitOk) << bom.err;
  EXPECT_NE(bom.out.find("band design of 4 elements"), std::string::npos) << bom.out;
  const CliRun spice = run({"export", "spice", "--pick", "4"});
  ASSERT_EQ(spice.status, kExitOk) << spice.err;
  EXPECT_NE(spice.out.find("Corvantile ladder of 4 elements"), std::string::npos);
  // A design of up to three elements takes the design window's exports, parts list included.
  const CliRun three = run({"export", "bom", "--pick", "3"});
  ASSERT_EQ(three.status, kExitOk) << three.err;
  const CliRun none = run({"export", "spice", "--pick", "5"});
  EXPECT_EQ(none.status, kExitImpossibleDesign);
}

// One row of a parts list, by column name.
struct BomRow {
  std::map<std::string, std::string> cells;
  double Number(const std::string& column) const { return std::stod(cells.at(column)); }
};

// The rows and the '#' lines of a parts list.
struct Bom {
  std::vector<BomRow> rows;
  std::vector<std::string> comments;
};

Bom ReadBom(const std::string& text) {
  Bom bom;
  std::vector<std::string> header;
  std::istringstream lines(text);
  for (std::string line; std::getline(lines, line);) {
    if (line.rfind("# ", 0) == 0) {
      bom.comments.push_back(line.substr(2));
      continue;
    }
    std::vector<std::string> cells;
    std::istringstream in(line);
    for (std::string cell; std::getline(in, cell, ',');) cells.push_back(cell);
    if (line.back() == ',') cells.emplace_back();
    if (header.empty()) {
      header = cells;
      continue;
    }
    EXPECT_EQ(cells.size(), header.size()) << line;
    BomRow row;
    for (std::size_t k = 0; k < std::min(cells.size(), header.size()); ++k) {
      row.cells[header[k]] = cells[k];
    }
    bom.rows.push_back(row);
  }
  return bom;
}

// The number after `label` in the first '#' line that holds it: "Efficiency " -> 99.2.
double CommentNumber(const Bom& bom, const std::string& label) {
  for (const std::string& line : bom.comments) {
    const std::size_t at = line.find(label);
    if (at != std::string::npos) return std::stod(line.substr(at + label.size()));
  }
  ADD_FAILURE() << "no '" << label << "' line";
  return NAN;
}

// A band design's parts list, its ladder rebuilt from the rows and solved here from the source
// forward (the impedance looking towards the load at each place, then the current the EMF drives
// into it): every row's volts and amps, its watts in its series resistance |X|/Q, the ratings
// as the peaks times the safety factor, and the efficiency as the load's share of the input.
struct LadderBomCase {
  std::vector<std::string_view> losses;
  double inductorQ;  // 0: ideal
  double capacitorQ;
};

class LadderBomTest : public ::testing::TestWithParam<LadderBomCase> {};

TEST_P(LadderBomTest, RowsAreTheLadderSolvedAsACircuit) {
  const LadderBomCase& c = GetParam();
  std::vector<std::string_view> args = {"export",   "bom",
                                        "--band",   "0.8G:1.8G",
                                        "--source", "series:50:0",
                                        "--load",   "parallel:15:-24.4854",
                                        "--pick",   "4",
                                        "--power",  "20",
                                        "--safety", "3"};
  args.insert(args.end(), c.losses.begin(), c.losses.end());
  std::ostringstream out, err;
  ASSERT_EQ(RunCommandLine(args, out, err), kExitOk) << err.str();
  EXPECT_TRUE(err.str().empty()) << err.str();
  const Bom bom = ReadBom(out.str());
  ASSERT_EQ(bom.rows.size(), 4u) << out.str();

  const double f0 = 1.3e9, power = 20.0, safety = 3.0;
  const double omega = 2.0 * std::numbers::pi * f0;
  struct Part {
    bool shunt;
    std::complex<double> z;
  };
  std::vector<Part> parts;
  for (const BomRow& row : bom.rows) {
    const bool inductor = row.cells.at("kind") == "inductor";
    const double value = row.Number("designed_value");
    const double x = inductor ? omega * value : -1.0 / (omega * value);
    const double q = inductor ? c.inductorQ : c.capacitorQ;
    parts.push_back({row.cells.at("position") == "shunt", {q > 0.0 ? std::fabs(x) / q : 0.0, x}});
    if (q > 0.0) {
      EXPECT_EQ(row.Number("q0"), q);
    } else {
      EXPECT_EQ(row.cells.at("q0"), "ideal");
    }
  }
  const std::complex<double> zs{50.0, 0.0};
  const std::complex<double> zl = 1.0 / std::complex<double>(1.0 / 15.0, -1.0 / -24.4854);
  // Looking towards the load just before element k.
  std::vector<std::complex<double>> ahead(parts.size() + 1);
  ahead.back() = zl;
  for (std::size_t k = parts.size(); k-- > 0;) {
    ahead[k] =
        parts[k].shunt ? 1.0 / (1.0 / ahead[k + 1] + 1.0 / parts[k].z) : ahead[k + 1] + parts[k].z;
  }
  const double emf = std::sqrt(4.0 * power * zs.real());
  std::complex<double> i = emf / (zs + ahead[0]);
  const double input = std::norm(i) * ahead[0].real();
  double dissipated = 0.0;
  for (std::size_t k = 0; k < parts.size(); ++k) {
    SCOPED_TRACE("element " + std::to_string(k + 1));
    const BomRow& row = bom.rows[k];
    std::complex<double> v, a;
    if (parts[k].shunt) {
      v = i * ahead[k];
      a = v / parts[k].z;
      i -= a;
    } else {
      a = i;
      v = i * parts[k].z;
    }
    EXPECT_NEAR(row.Number("volts_rms"), std::abs(v), 1e-6 * std::abs(v));
    EXPECT_NEAR(row.Number("amps_rms"), std::abs(a), 1e-6 * std::abs(a));
    EXPECT_NEAR(row.Number("min_voltage_rating_v"), safety * std::sqrt(2.0) * std::abs(v),
                1e-6 * std::abs(v));
    EXPECT_NEAR(row.Number("min_current_rating_a"), safety * std::sqrt(2.0) * std::abs(a),
                1e-6 * std::abs(a));
    const double watts = std::norm(a) * parts[k].z.real();
    EXPECT_NEAR(row.Number("dissipated_w"), watts, 1e-6 * power);
    dissipated += watts;
  }
  EXPECT_NEAR(CommentNumber(bom, "Efficiency "), 100.0 * (1.0 - dissipated / input), 0.006);
  if (c.inductorQ > 0.0) {
    EXPECT_GT(dissipated, 1e-3 * input);
    std::size_t hottest = 0;
    for (std::size_t k = 1; k < bom.rows.size(); ++k) {
      if (bom.rows[k].Number("dissipated_w") > bom.rows[hottest].Number("dissipated_w")) {
        hottest = k;
      }
    }
    EXPECT_EQ(CommentNumber(bom, "Hottest part: element "), static_cast<double>(hottest + 1));
    const double worst = CommentNumber(bom, "In-band efficiency: worst ");
    const double mean = CommentNumber(bom, ", mean ");
    EXPECT_GT(worst, 0.0);
    EXPECT_LE(worst, mean);
    EXPECT_LE(mean, 100.0);
  } else {
    EXPECT_EQ(dissipated, 0.0);
    EXPECT_EQ(out.str().find("In-band efficiency"), std::string::npos);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Losses, LadderBomTest,
    ::testing::Values(LadderBomCase{{}, 0.0, 0.0},
                      LadderBomCase{{"--q-inductor", "40", "--q-capacitor", "300"}, 40.0, 300.0}));

// A ladder rebuilt from a parts list's rows, each part R + jX with R = |X| / Q at `frequency`
// (Q0 given at the design frequency, held constant here: the rows' q_law is 0 or the test
// keeps to the design frequency).
struct RebuiltPart {
  bool shunt;
  std::complex<double> z;
};

std::vector<RebuiltPart> Rebuilt(const Bom& bom, double frequency, double inductorQ,
                                 double capacitorQ, double f0) {
  const double omega = 2.0 * std::numbers::pi * frequency;
  std::vector<RebuiltPart> parts;
  for (const BomRow& row : bom.rows) {
    const bool inductor = row.cells.at("kind") == "inductor";
    const double value = row.Number("designed_value");
    const double x = inductor ? omega * value : -1.0 / (omega * value);
    // Skin effect for the inductors: Q grows with the square root of the frequency.
    const double q = inductor ? inductorQ * std::sqrt(frequency / f0) : capacitorQ;
    parts.push_back({row.cells.at("position") == "shunt", {std::fabs(x) / q, x}});
  }
  return parts;
}

// Load power over input power of the rebuilt ladder between zs and zl.
double RebuiltEfficiency(const std::vector<RebuiltPart>& parts, std::complex<double> zs,
                         std::complex<double> zl) {
  std::vector<std::complex<double>> ahead(parts.size() + 1);
  ahead.back() = zl;
  for (std::size_t k = parts.size(); k-- > 0;) {
    ahead[k] =
        parts[k].shunt ? 1.0 / (1.0 / ahead[k + 1] + 1.0 / parts[k].z) : ahead[k + 1] + parts[k].z;
  }
  std::complex<double> i = 1.0 / (zs + ahead[0]);
  const double input = std::norm(i) * ahead[0].real();
  for (std::size_t k = 0; k < parts.size(); ++k) {
    if (parts[k].shunt) i -= i * ahead[k] / parts[k].z;
  }
  return std::norm(i) * zl.real() / input;
}

// A measured load is read from its file at every in-band point: the in-band efficiency of the
// list is the rebuilt ladder's between the file's own load (a series R-L-C, which no typed side
// can be) at the band's points.
TEST(BandCommandTest, LadderBomReadsAMeasuredLoadAtEveryBandPoint) {
  const auto load = [](double f) {
    const double omega = 2.0 * std::numbers::pi * f;
    return std::complex<double>(12.0, omega * 2e-6 - 1.0 / (omega * 400e-12));
  };
  const std::filesystem::path path = corvantile::testing::TemporaryFile("rlc_load.s1p");
  {
    std::ofstream file(path);
    file.precision(17);
    file << "# MHz S RI R 50\n";
    for (int k = 0; k <= 600; ++k) {
      const double f = 3.4 + 0.5 * k / 600.0;
      const std::complex<double> g = (load(f * 1e6) - 50.0) / (load(f * 1e6) + 50.0);
      file << f << ' ' << g.real() << ' ' << g.imag() << '\n';
    }
  }
  const std::string file = path.string();
  std::ostringstream out, err;
  const std::vector<std::string_view> args = {
      "export",       "bom", "--band",        "3.5M:3.8M", "--source", "series:50:0",
      "--load-file",  file,  "--elements",    "4",         "--pick",   "4",
      "--q-inductor", "60",  "--q-capacitor", "500"};
  ASSERT_EQ(RunCommandLine(args, out, err), kExitOk) << err.str();
  EXPECT_TRUE(err.str().empty()) << err.str();
  const Bom bom = ReadBom(out.str());
  ASSERT_EQ(bom.rows.size(), 4u) << out.str();
  const double f0 = 3.65e6;
  EXPECT_NEAR(CommentNumber(bom, "Efficiency "),
              100.0 * RebuiltEfficiency(Rebuilt(bom, f0, 60.0, 500.0, f0), 50.0, load(f0)), 0.006);
  double worst = HUGE_VAL, sum = 0.0;
  for (int k = 0; k <= 200; ++k) {
    const double f = 3.5e6 + 0.3e6 * k / 200.0;
    const double e = RebuiltEfficiency(Rebuilt(bom, f, 60.0, 500.0, f0), 50.0, load(f));
    worst = std::min(worst, e);
    sum += e;
  }
  EXPECT_NEAR(CommentNumber(bom, "In-band efficiency: worst "), 100.0 * worst, 0.006);
  EXPECT_NEAR(CommentNumber(bom, ", mean "), 100.0 * sum / 201.0, 0.006);
  std::filesystem::remove(path);
}

TEST(BandCommandTest, LadderBomTakesTheNearestStandardValues) {
  std::ostringstream out, err;
  const std::vector<std::string_view> args = {
      "export",   "bom",         "--band",     "0.8G:1.8G",
      "--source", "series:50:0", "--load",     "parallel:15:-24.4854",
      "--pick",   "4",           "--standard", "nearest"};
  ASSERT_EQ(RunCommandLine(args, out, err), kExitOk) << err.str();
  const Bom bom = ReadBom(out.str());
  ASSERT_EQ(bom.rows.size(), 4u);
  for (const BomRow& row : bom.rows) {
    const bool inductor = row.cells.at("kind") == "inductor";
    EXPECT_EQ(row.cells.at("standard_series"), inductor ? "E12" : "E24");
    // Within half a step of the series: E12 steps about 21 %, E24 about 10 %.
    const double ratio = row.Number("standard_value") / row.Number("designed_value");
    EXPECT_LT(std::fabs(std::log(ratio)), inductor ? 0.11 : 0.06) << ratio;
  }
}

// No ladder: exit 1 with the reason; a bad command line: exit 2; each with one line on stderr.
struct ExitCase {
  std::vector<std::string_view> arguments;
  int status;
  std::string error;
};

TEST(BandCommandTest, ExitStatusesAndErrors) {
  const std::vector<std::string_view> four = {"--band",      "0.8G:1.8G", "--source",
                                              "series:50:0", "--load",    "parallel:15:-24.4854",
                                              "--pick",      "4"};
  auto withFour = [&four](std::vector<std::string_view> args) {
    args.insert(args.end(), four.begin(), four.end());
    return args;
  };
  const std::vector<ExitCase> cases = {
      {withFour({"export", "bom", "--q1", "50"}), kExitUsage,
       "export: --q1 is for networks of up to three elements (the design has 4)"},
      {withFour({"export", "bom", "--compensate"}), kExitUsage, "export: --compensate is for"},
      {withFour({"export", "bom", "--standard", "best"}), kExitUsage,
       "export: --standard best is for networks of up to three elements"},
      {withFour({"export", "spice", "--q-inductor", "50"}), kExitUsage, "in the bom only"},
      {{"band", "--band", "3.5M:3.8M", "--elements", "1", "--topology", "bandpass"},
       kExitImpossibleDesign,
       "band: no ladder of up to 1 elements reaches a positive return loss over 3.5 MHz to "
       "3.8 MHz"},
      {{"band"}, kExitUsage, "band: give at least one --band F1:F2"},
      {{"band", "--band", "3.8M:3.5M"},
       kExitUsage,
       "band: band 3.8 MHz to 3.5 MHz is empty or reversed"},
      {{"band", "--band", "3.5M"}, kExitUsage, "band: --band needs F1:F2"},
      {{"band", "--band", "3.5M:x"}, kExitUsage, "band: --band needs F1:F2"},
      {{"band", "--band", "3.5M:3.8M", "--elements", "7"},
       kExitUsage,
       "band: --elements needs a whole number from 1 to 6"},
      {{"band", "--band", "3.5M:3.8M", "--topology", "notch"},
       kExitUsage,
       "band: unknown --topology 'notch'"},
      {{"band", "--band", "3.5M:3.8M", "--attenuation", "5f:10"},
       kExitUsage,
       "band: --attenuation needs 2f:DB or 3f:DB"},
      {{"band", "--band", "3.5M:3.8M", "--format", "xml"}, kExitUsage, "band: unknown format"},
      {{"band", "--band", "3.5M:3.8M", "--compensate"},
       kExitUsage,
       "band: --compensate does not apply"},
      {{"band", "--band", "3.5M:3.8M", "--frobnicate"},
       kExitUsage,
       "band: unknown option '--frobnicate'"},
      {{"band", "--band", "3.5M:3.8M", "-o", "/nonexistent-folder/x.json"}, kExitUsage, ""},
  };
  for (const ExitCase& c : cases) {
    const std::vector<std::string_view> args(c.arguments);
    std::ostringstream out, err;
    const int status = RunCommandLine(args, out, err);
    const std::string e = err.str();
    EXPECT_EQ(status, c.status) << e;
    EXPECT_EQ(e.rfind("corvantile-cli: ", 0), 0u) << e;
    EXPECT_NE(e.find(c.error), std::string::npos) << e;
    EXPECT_EQ(std::count(e.begin(), e.end(), '\n'), 1) << e;
  }
}

TEST(BandCommandTest, HelpNamesEveryOption) {
  const CliRun run = RunInProcess({"band", "--help"});
  ASSERT_EQ(run.status, kExitOk);
  for (const char* option : {"--band", "--elements", "--topology", "--attenuation", "--points",
                             "--load-file", "--q-inductor", "--format", "-o FILE, --output FILE"}) {
    EXPECT_NE(run.out.find(option), std::string::npos) << option;
  }
  const CliRun main = RunInProcess({"--help"});
  EXPECT_NE(main.out.find("\n  band "), std::string::npos);
}

}  // namespace
}  // namespace corvantile::cli
