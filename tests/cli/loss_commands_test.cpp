// The loss options, the parts list and the exploration figures through the command line:
// the transmitter-tank example, energy conservation in what the report prints, the compensated
// design, the lossy exports against the analysis library, and the parts list's columns.
#include <cmath>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "analysis/circuits/two_port.h"
#include "analysis/formats/spice_netlist.h"
#include "analysis/formats/sweep_csv.h"
#include "analysis/solvers/frequency_response.h"
#include "analysis/solvers/lossy_network.h"
#include "analysis/studies/standard_design.h"
#include "analysis/studies/standard_series.h"
#include "analysis/studies/tolerance_analysis.h"
#include "cli/command_line.h"
#include "cli/design_options.h"
#include "cli_test_support.h"

namespace corvantile::cli {
namespace {

using Json = nlohmann::json;
using Args = std::vector<std::string_view>;
using testing_support::CliRun;

CliRun RunCli(const Args& arguments) {
  std::ostringstream out;
  std::ostringstream err;
  CliRun run;
  run.status = RunCommandLine(arguments, out, err);
  run.out = out.str();
  run.err = err.str();
  return run;
}

Args Concat(std::initializer_list<Args> parts) {
  Args all;
  for (const Args& p : parts) all.insert(all.end(), p.begin(), p.end());
  return all;
}

// A 2500-ohm transmitter to a 50-ohm load through a Pi whose input capacitor is fixed at
// -208.33 ohm (input Q 12), at 1.5 kW.
const Args kTank = {"--source", "series:2500:0", "--load",     "series:50:0", "--family",
                    "pi",       "--fix",         "x1=-208.33", "--power",     "1.5k"};
const Args kTankLosses = {"--q-capacitor", "2000", "--q-inductor", "200", "--q-law-inductor", "0"};

Json DesignJsonOf(const Args& options) {
  const CliRun run = RunCli(Concat({{"design", "--json"}, options}));
  EXPECT_EQ(run.status, 0) << run.err;
  return Json::parse(run.out);
}

TEST(LossCommands, TankExampleLosesSevenPerCentMostlyInTheCoil) {
  const Json losses = DesignJsonOf(Concat({kTank, kTankLosses}))["losses"];
  EXPECT_NEAR(losses["efficiency"].get<double>(), 0.93, 0.005);
  EXPECT_NEAR(losses["parts"][1]["dissipated_w"].get<double>(), 94.0, 1.0);  // the coil
  EXPECT_NEAR(losses["parts"][0]["dissipated_w"].get<double>(), 8.0, 0.5);
  EXPECT_NEAR(losses["input_impedance_re_ohm"].get<double>(), 2332.0, 2.0);
  EXPECT_NEAR(losses["input_impedance_im_ohm"].get<double>(), -26.0, 1.0);
  // 1.5 kW is the source's available power: the mismatched network (29.1 dB return loss) takes
  // all of it but the reflected share, 1 - |reflection|^2.
  const double returnLoss = losses["return_loss_db"].get<double>();
  EXPECT_NEAR(losses["input_power_w"].get<double>(),
              1500.0 * (1.0 - std::pow(10.0, -returnLoss / 10.0)), 1e-6);
  EXPECT_LT(losses["input_power_w"].get<double>(), 1500.0);
}

// Each case: a family and loss options; the figures the JSON prints must conserve energy and
// agree with each other, whatever the design.
struct LossCase {
  const char* name;
  Args options;
};

class LossCaseTest : public ::testing::TestWithParam<LossCase> {};

TEST_P(LossCaseTest, PrintedFiguresConserveEnergy) {
  const Json losses = DesignJsonOf(GetParam().options)["losses"];
  double parts = 0.0;
  for (const Json& p : losses["parts"]) {
    parts += p["dissipated_w"].get<double>();
    // Peaks are sqrt(2) times the RMS values, and the watts are I^2 R.
    EXPECT_NEAR(p["volts_peak"].get<double>(), std::sqrt(2.0) * p["volts_rms"].get<double>(),
                1e-9 * p["volts_peak"].get<double>() + 1e-12);
    const double amps = p["amps_rms"].get<double>();
    EXPECT_NEAR(p["dissipated_w"].get<double>(), amps * amps * p["resistance_ohm"].get<double>(),
                1e-9 * p["dissipated_w"].get<double>() + 1e-12);
  }
  const double in = losses["input_power_w"].get<double>();
  EXPECT_NEAR(in, losses["load_power_w"].get<double>() + parts, 1e-9 * in);
  EXPECT_NEAR(
      losses["dissipative_loss_db"].get<double>() + losses["mismatch_loss_db"].get<double>(),
      losses["transducer_loss_db"].get<double>(), 1e-9);
  EXPECT_NEAR(losses["efficiency"].get<double>(), losses["load_power_w"].get<double>() / in, 1e-12);
}

TEST_P(LossCaseTest, CompensatedDesignMatchesWithItsLosses) {
  const Json losses = DesignJsonOf(Concat({GetParam().options, {"--compensate"}}))["losses"];
  const Json& compensated = losses["compensated"];
  ASSERT_TRUE(compensated["matched"].get<bool>()) << compensated["outcome"];
  EXPECT_GT(compensated["return_loss_db"].get<double>(), 40.0);
  EXPECT_LT(compensated["iterations"].get<int>(), 10);
  int kept = 0;
  for (const Json& e : compensated["elements"]) kept += e["resolved"].get<bool>() ? 0 : 1;
  EXPECT_GE(kept, 1);  // a Pi or Tee keeps one element; an L has one open place
}

INSTANTIATE_TEST_SUITE_P(
    Families, LossCaseTest,
    ::testing::Values(
        LossCase{"DefaultPi", {"--q-inductor", "100"}},
        LossCase{"Tee",
                 {"--family", "tee", "--phase", "-120", "--q-inductor", "120", "--q2", "300"}},
        LossCase{"LowpassL", {"--family", "lowpass-l", "--q-capacitor", "300"}},
        LossCase{"HighpassLComplexLoad",
                 {"--family", "highpass-l", "--load", "series:50:-25", "--q-law-inductor", "1"}},
        LossCase{"FixedMiddle", {"--fix", "x2=500", "--q-inductor", "150"}}),
    [](const auto& param) { return std::string(param.param.name); });

// A Tee at -90 degrees: its outer series elements change only the reactance the source sees
// (to first order), so with the middle kept the losses cannot be matched out exactly. The
// command must say so and give what it reached, not a silent wrong design.
TEST(LossCommands, CompensationThatCannotMatchSaysSo) {
  const Json losses = DesignJsonOf(
      {"--family", "tee", "--phase", "-90", "--q-inductor", "120", "--compensate"})["losses"];
  const Json& compensated = losses["compensated"];
  EXPECT_FALSE(compensated["matched"].get<bool>());
  EXPECT_NE(compensated["outcome"].get<std::string>().find("exact match impossible"),
            std::string::npos);
  // Never worse than the uncompensated design.
  EXPECT_GE(compensated["return_loss_db"].get<double>(), losses["return_loss_db"].get<double>());
}

TEST(LossCommands, ReportShowsTheLossesBlockAndTheCompensatedValues) {
  const CliRun run = RunCli(Concat({{"design"}, kTank, kTankLosses, {"--compensate"}}));
  ASSERT_EQ(run.status, 0) << run.err;
  for (const char* text : {"Losses at 3.75 MHz", "|X|/Q(f)", "2000 (constant Q)",
                           "Efficiency:        93.14 %", "Input impedance:   2331.85 - j26.34 ohms",
                           "Compensated for losses: the lossy network "
                           "matches the source exactly",
                           "ideal value  compensated", "1 (kept)  203.722 pF"}) {
    EXPECT_NE(run.out.find(text), std::string::npos) << text << "\n" << run.out;
  }
}

TEST(LossCommands, WithoutLossOptionsTheReportHasNoLossesBlock) {
  const CliRun plain = RunCli({"design"});
  const CliRun json = RunCli({"design", "--json"});
  EXPECT_EQ(plain.out.find("Losses"), std::string::npos);
  EXPECT_FALSE(Json::parse(json.out).contains("losses"));
  // A loss option only appends: the report before the block is the lossless one.
  const CliRun lossy = RunCli({"design", "--q-inductor", "100"});
  EXPECT_EQ(lossy.out.substr(0, plain.out.size()), plain.out);
}

TEST(LossCommands, IdealPartsSweepAsTheLosslessCircuit) {
  const Args span = {"--points", "41"};
  const CliRun plain = RunCli(Concat({{"sweep"}, span}));
  const CliRun ideal =
      RunCli(Concat({{"sweep"}, span, {"--q-inductor", "0", "--q-capacitor", "ideal"}}));
  ASSERT_EQ(ideal.status, 0) << ideal.err;
  // The lossy path with every part ideal gives the same table after its one loss line.
  const std::size_t firstLine = ideal.out.find('\n');
  EXPECT_NE(ideal.out.find("element 1 ideal; element 2 ideal; element 3 ideal"), std::string::npos);
  EXPECT_EQ(ideal.out.substr(firstLine + 1), plain.out);
  for (const char* format : {"csv", "spice", "touchstone"}) {
    const CliRun a = RunCli(Concat({{"export", format}, span}));
    const CliRun b =
        RunCli(Concat({{"export", format}, span, {"--q-inductor", "ideal", "--q-capacitor", "0"}}));
    EXPECT_EQ(a.out, b.out) << format;
  }
}

TEST(LossCommands, LossySweepGainIsTheDesignsTransducerLoss) {
  const Json design = DesignJsonOf(Concat({kTank, kTankLosses}));
  const CliRun sweep =
      RunCli(Concat({{"sweep", "--format", "json", "--points", "101"}, kTank, kTankLosses}));
  ASSERT_EQ(sweep.status, 0) << sweep.err;
  const Json json = Json::parse(sweep.out);
  EXPECT_TRUE(json.contains("losses"));
  EXPECT_NEAR(json["summary"]["transducer_gain_db"].get<double>(),
              -design["losses"]["transducer_loss_db"].get<double>(), 1e-9);
  EXPECT_NEAR(json["summary"]["return_loss_db"].get<double>(),
              design["losses"]["return_loss_db"].get<double>(), 1e-9);
}

// The circuit the tank options describe, as the library designs it.
MatchingCircuit TankCircuit(const Args& options) {
  DesignRequest request;
  std::string error;
  EXPECT_EQ(
      ParseOptions({.command = "design", .groups = {DesignGroup(request, "")}}, options, error),
      ParseResult::Ready)
      << error;
  RunState state;
  std::vector<std::string> notes;
  EXPECT_TRUE(BuildDesignState(request, state, error, notes)) << error;
  const CircuitBuild build = DesignCircuit(state);
  EXPECT_EQ(build.problem, CircuitProblem::None);
  return build.circuit;
}

LossModel TankModel() {
  LossModel model;
  model.capacitor = {2000.0, 0.0};
  model.inductor = {200.0, 0.0};
  return model;
}

TEST(LossCommands, LossyExportsAreTheLibrarysLossyFiles) {
  const MatchingCircuit circuit = TankCircuit(kTank);
  SweepSpan span = DefaultSweepSpan(circuit.designFrequency);
  span.points = 31;
  const Args points = {"--points", "31"};
  const CliRun spice = RunCli(Concat({{"export", "spice"}, points, kTank, kTankLosses}));
  ASSERT_EQ(spice.status, 0) << spice.err;
  EXPECT_EQ(spice.out, SpiceNetlist(circuit, span, TankModel()));
  EXPECT_NE(spice.out, SpiceNetlist(circuit, span));
  const CliRun csv = RunCli(Concat({{"export", "csv"}, points, kTank, kTankLosses}));
  EXPECT_EQ(csv.out, SweepCsv(SweepResponse(circuit, span, TankModel())));
}

TEST(LossCommands, LossyTouchstoneNetworkAbsorbsPower) {
  const CliRun run =
      RunCli(Concat({{"export", "touchstone", "--points", "11"}, kTank, kTankLosses}));
  ASSERT_EQ(run.status, 0) << run.err;
  std::istringstream lines(run.out);
  std::string line;
  int rows = 0;
  while (std::getline(lines, line)) {
    if (line.empty() || line[0] == '!' || line[0] == '#') continue;
    std::istringstream cells(line);
    double f, r11, i11, r21, i21;
    cells >> f >> r11 >> i11 >> r21 >> i21;
    const double delivered = r11 * r11 + i11 * i11 + r21 * r21 + i21 * i21;
    EXPECT_LT(delivered, 1.0 - 1e-6) << line;  // lossy parts take power at every frequency
    EXPECT_GT(delivered, 0.5) << line;
    ++rows;
  }
  EXPECT_EQ(rows, 11);
}

TEST(LossCommands, LossySParametersMatchTheLosslessOnesForIdealParts) {
  const MatchingCircuit circuit = TankCircuit(kTank);
  LossModel ideal;
  ideal.inductor.q0 = ideal.capacitor.q0 = 0.0;
  for (double f : {1e6, 3.75e6, 11e6}) {
    const SParameters a = NetworkSParameters(circuit, f, 50.0);
    const SParameters b = NetworkSParameters(circuit, f, 50.0, ideal);
    EXPECT_EQ(a.s11, b.s11);
    EXPECT_EQ(a.s21, b.s21);
    // Very high Q: the complex chain of the lossy path comes close to the lossless one.
    LossModel nearlyIdeal;
    nearlyIdeal.inductor.q0 = nearlyIdeal.capacitor.q0 = 1e12;
    const SParameters c = NetworkSParameters(circuit, f, 50.0, nearlyIdeal);
    EXPECT_NEAR(std::abs(c.s11 - a.s11), 0.0, 1e-9);
    EXPECT_NEAR(std::abs(c.s21 - a.s21), 0.0, 1e-9);
  }
}

std::vector<std::vector<std::string>> CsvRows(const std::string& text) {
  std::vector<std::vector<std::string>> rows;
  std::istringstream lines(text);
  std::string line;
  while (std::getline(lines, line)) {
    if (line.empty() || line[0] == '#') continue;
    std::vector<std::string> cells;
    std::string cell;
    std::istringstream split(line);
    while (std::getline(split, cell, ',')) cells.push_back(cell);
    if (!line.empty() && line.back() == ',') cells.emplace_back();
    rows.push_back(cells);
  }
  return rows;
}

TEST(PartsList, HeaderNamesEveryColumnAndRatingsArePeaksTimesTheFactor) {
  const CliRun run = RunCli(
      Concat({{"export", "bom", "--standard", "best", "--safety", "3"}, kTank, kTankLosses}));
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_NE(run.out.find("# Suggested minimum ratings: peak volts and peak amps times a safety "
                         "factor of 3\n"),
            std::string::npos);
  const auto rows = CsvRows(run.out);
  ASSERT_EQ(rows.size(), 4u);
  const std::vector<std::string> header{"element",
                                        "position",
                                        "kind",
                                        "designed_value",
                                        "standard_value",
                                        "standard_series",
                                        "tolerance_percent",
                                        "q0",
                                        "q_law",
                                        "volts_rms",
                                        "volts_peak",
                                        "amps_rms",
                                        "amps_peak",
                                        "dissipated_w",
                                        "min_voltage_rating_v",
                                        "min_current_rating_a",
                                        "model",
                                        "srf_hz"};
  EXPECT_EQ(rows[0], header);
  const std::vector<std::string> positions{"shunt", "series", "shunt"};
  const std::vector<std::string> kinds{"capacitor", "inductor", "capacitor"};
  double watts = 0.0;
  for (std::size_t k = 1; k < rows.size(); ++k) {
    const auto& r = rows[k];
    ASSERT_EQ(r.size(), header.size());
    EXPECT_EQ(r[1], positions[k - 1]);
    EXPECT_EQ(r[2], kinds[k - 1]);
    const StandardSeries series = *ParseStandardSeries(r[5]);
    EXPECT_EQ(r[5], k == 2 ? "E12" : "E24");
    EXPECT_DOUBLE_EQ(NearestStandardValue(std::stod(r[4]), series), std::stod(r[4]));
    EXPECT_EQ(r[6], "5");
    EXPECT_DOUBLE_EQ(std::stod(r[14]), 3.0 * std::stod(r[10]));
    EXPECT_DOUBLE_EQ(std::stod(r[15]), 3.0 * std::stod(r[12]));
    watts += std::stod(r[13]);
  }
  EXPECT_GT(watts, 50.0);  // the tank's parts still burn tens of watts at standard values
}

TEST(PartsList, IdealPartsCarryTheDesignWindowsVoltsAndAmps) {
  const CliRun run = RunCli({"export", "bom", "--tolerance", "10%"});
  ASSERT_EQ(run.status, 0) << run.err;
  const Json design = Json::parse(RunCli({"design", "--json"}).out);
  const auto rows = CsvRows(run.out);
  ASSERT_EQ(rows.size(), 4u);
  for (std::size_t k = 1; k < rows.size(); ++k) {
    const auto& r = rows[k];
    EXPECT_EQ(r[4], "");  // no standard value without --standard
    EXPECT_EQ(r[6], "10");
    EXPECT_EQ(r[7], "ideal");
    EXPECT_EQ(std::stod(r[13]), 0.0);
    const double volts = design["NetValues"][NetPart1Volts + k - 1].get<double>();
    const double amps = design["NetValues"][NetPart1Amps + k - 1].get<double>();
    EXPECT_NEAR(std::stod(r[9]), volts, 1e-5 * volts);
    EXPECT_NEAR(std::stod(r[11]), amps, 1e-5 * amps);
    EXPECT_DOUBLE_EQ(std::stod(r[14]), 2.0 * std::stod(r[10]));
  }
}

TEST(PartsList, AnLListsTwoParts) {
  const CliRun run = RunCli({"export", "bom", "--family", "lowpass-l", "--standard", "nearest"});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(CsvRows(run.out).size(), 3u);
}

struct BadOption {
  Args arguments;
  const char* message;
};

class BadLossOptionTest : public ::testing::TestWithParam<BadOption> {};

TEST_P(BadLossOptionTest, IsRefusedWithOneLine) {
  const CliRun run = RunCli(GetParam().arguments);
  EXPECT_EQ(run.status, 2);
  EXPECT_EQ(run.out, "");
  EXPECT_NE(run.err.find(GetParam().message), std::string::npos) << run.err;
  EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
}

INSTANTIATE_TEST_SUITE_P(
    Table, BadLossOptionTest,
    ::testing::Values(
        BadOption{{"design", "--q-inductor", "-3"}, "cannot be negative"},
        BadOption{{"sweep", "--q2", "lots"}, "--q2: 'lots' is not a value"},
        BadOption{{"design", "--q2", "5", "--q2", "6"}, "--q2 may be given only once"},
        BadOption{{"export", "spice", "--q-law-capacitor", "7"}, "between -4 and 4"},
        BadOption{{"design", "--compensate=yes"}, "takes no value"},
        BadOption{{"export", "bom", "--safety", "0"}, "--safety: '0' is outside 0.001 to 1000"},
        BadOption{{"export", "bom", "--tolerance", "60"},
                  "--tolerance: '60' is outside 0 % to 50 %"},
        BadOption{{"export", "bom", "--standard", "cheapest"}, "none, nearest or best"},
        BadOption{{"export", "bom", "--series-inductor", "E7"}, "is not one of E3"},
        BadOption{{"export", "spice", "--standard", "best"}, "for the bom export only"},
        BadOption{{"explore", "--compensate"}, "does not apply to explore"},
        BadOption{{"explore", "--standard", "nearest"}, "use best or none"}));

TEST(ExploreWithRealParts, EveryThreeElementCandidateGetsItsFigures) {
  const CliRun run = RunCli(Concat(
      {{"explore", "--format", "json", "--step", "15", "--standard", "best"}, kTank, kTankLosses}));
  ASSERT_EQ(run.status, 0) << run.err;
  const Json json = Json::parse(run.out);
  int filled = 0;
  for (const Json& c : json["candidates"]) {
    if (c["kind"] == "two-section L") {
      EXPECT_TRUE(c["efficiency"].is_null());
      continue;
    }
    const double efficiency = c["efficiency"].get<double>();
    EXPECT_GT(efficiency, 0.5);
    EXPECT_LT(efficiency, 1.0);
    // The hottest part takes no more than all the power lost.
    EXPECT_LE(c["hottest_part_watts"].get<double>(),
              (1.0 - efficiency) * json["design_power_w"].get<double>() * (1.0 + 1e-9));
    EXPECT_GT(c["standard_return_loss_db"].get<double>(), 0.0);
    ++filled;
  }
  EXPECT_GT(filled, 5);
}

TEST(ExploreWithRealParts, UserPhaseCandidateHasTheDesignsEfficiency) {
  const Json design = DesignJsonOf(Concat({{"--phase", "-135"}, kTankLosses}));
  const CliRun run =
      RunCli(Concat({{"explore", "--format", "json", "--phase", "-135"}, kTankLosses}));
  ASSERT_EQ(run.status, 0) << run.err;
  const Json json = Json::parse(run.out);
  int found = 0;
  for (const Json& c : json["candidates"]) {
    if (c["kind"] != "Pi" || !c["at_user_phase"].get<bool>()) continue;
    EXPECT_NEAR(c["efficiency"].get<double>(), design["losses"]["efficiency"].get<double>(), 1e-12);
    ++found;
  }
  EXPECT_EQ(found, 1);
}

TEST(ExploreWithRealParts, TableAndCsvGainTheirColumnsOnlyWhenAsked) {
  const CliRun plain = RunCli({"explore", "--step", "30"});
  EXPECT_EQ(plain.out.find("eff %"), std::string::npos);
  const CliRun lossy = RunCli({"explore", "--step", "30", "--q-inductor", "120"});
  EXPECT_NE(lossy.out.find("eff %   hot W"), std::string::npos);
  const CliRun csv = RunCli(
      {"explore", "--step", "30", "--format", "csv", "--standard", "best", "--q-inductor", "120"});
  EXPECT_NE(csv.out.find("bound_share,efficiency,hottest_part_watts,standard_return_loss_db\n"),
            std::string::npos);
}

TEST(LossCommands, HelpTextsNameTheModel) {
  for (const char* command : {"design", "sweep", "export", "explore"}) {
    const CliRun run = RunCli({command, "--help"});
    EXPECT_NE(run.out.find("usual"), std::string::npos) << command;
    EXPECT_NE(run.out.find("ESR model"), std::string::npos) << command;
    EXPECT_NE(run.out.find("Q(f) = Q0 (f/f0)^k"), std::string::npos) << command;
    EXPECT_NE(run.out.find("--q-law-inductor K"), std::string::npos) << command;
  }
  EXPECT_NE(RunCli({"export", "--help"}).out.find("--safety F"), std::string::npos);
}

// The standard-value and tolerance commands with the loss options: their figures are the
// analysis library's with the same model, and ideal parts given as options change nothing.
LossModel LossyDefaultModel() {
  LossModel model;
  model.inductor = {50.0, 0.5};
  model.capacitor = {400.0, 0.0};
  return model;
}
const Args kLossyDefault = {"--q-inductor", "50", "--q-capacitor", "400"};

TEST(StandardWithLosses, EveryFigureIsTheLossyOne) {
  const CliRun run = RunCli(Concat({{"standard", "--format", "json"}, kLossyDefault}));
  ASSERT_EQ(run.status, 0) << run.err;
  const Json json = Json::parse(run.out);
  const StandardSolutions s = SolveStandardValues(MakeDefaultRunState(), {}, LossyDefaultModel());
  EXPECT_EQ(json["part_q"], CircuitQText(s.ideal.circuit, LossyDefaultModel()));
  for (const auto& [name, design] : {std::pair{"ideal", &s.ideal}, std::pair{"nearest", &s.nearest},
                                     std::pair{"best", &s.best}}) {
    SCOPED_TRACE(name);
    const Json& j = json[name];
    EXPECT_FLOAT_EQ(j["return_loss_db"].get<float>(),
                    static_cast<float>(design->summary.atDesign.returnLossDb));
    EXPECT_FLOAT_EQ(j["vswr"].get<float>(), static_cast<float>(design->summary.atDesign.vswr));
    EXPECT_FLOAT_EQ(j["attenuation_2f0_db"].get<float>(),
                    static_cast<float>(design->summary.attenuation2f0Db));
    for (std::size_t k = 0; k < 3; ++k) {
      EXPECT_FLOAT_EQ(j["element_values"][k].get<float>(),
                      static_cast<float>(design->circuit.elements[k].value));
    }
  }
  // The lossless design's perfect match is gone once its parts are lossy.
  EXPECT_LT(json["ideal"]["return_loss_db"].get<double>(), 60.0);
  // Parts given as ideal are the run without loss options, but for the line that says so.
  const CliRun plain = RunCli({"standard"});
  const CliRun ideal = RunCli({"standard", "--q-inductor", "0", "--q-capacitor", "ideal"});
  ASSERT_EQ(ideal.status, 0) << ideal.err;
  std::string shown = ideal.out;
  const std::size_t line = shown.find("Lossy parts: element 1 ideal; element 2 ideal");
  ASSERT_NE(line, std::string::npos) << shown;
  shown.erase(line, shown.find('\n', line) + 1 - line);
  EXPECT_EQ(shown, plain.out);
}

TEST(ToleranceWithLosses, EveryBuildCarriesItsLosses) {
  const CliRun run =
      RunCli(Concat({{"tolerance", "--standard", "best", "--trials", "3000", "--format", "json"},
                     kLossyDefault}));
  ASSERT_EQ(run.status, 0) << run.err;
  const Json json = Json::parse(run.out);
  const MatchingCircuit best =
      BestStandardCircuit(DesignCircuit(MakeDefaultRunState()).circuit, {}, LossyDefaultModel());
  ToleranceOptions options;
  options.builds = 3000;
  options.losses = LossyDefaultModel();
  const ToleranceResult r = RunTolerance(best, options);
  EXPECT_FLOAT_EQ(json["nominal_return_loss_db"].get<float>(),
                  static_cast<float>(r.nominalReturnLossDb));
  EXPECT_FLOAT_EQ(json["yield_vswr_1_5"].get<float>(), static_cast<float>(r.atDesign.vswr15));
  EXPECT_FLOAT_EQ(json["percentile_return_loss_db"][2].get<float>(),
                  static_cast<float>(r.percentilesDb[2]));
  EXPECT_FLOAT_EQ(json["worst_case"]["return_loss_db"].get<float>(),
                  static_cast<float>(r.worst.returnLossDb));
  EXPECT_NEAR(r.nominalReturnLossDb, AnalyzeLosses(best, LossyDefaultModel()).returnLossDb, 1e-9);

  Json plain = Json::parse(RunCli({"tolerance", "--trials", "2000", "--format", "json"}).out);
  Json ideal = Json::parse(RunCli({"tolerance", "--trials", "2000", "--format", "json",
                                   "--q-inductor", "0", "--q-capacitor", "0"})
                               .out);
  ASSERT_TRUE(ideal.contains("part_q"));
  ideal.erase("part_q");
  EXPECT_EQ(ideal, plain);
}

TEST(PartsList, TheBestCombinationIsChosenWithTheLosses) {
  const CliRun run = RunCli(Concat({{"export", "bom", "--standard", "best"}, kLossyDefault}));
  ASSERT_EQ(run.status, 0) << run.err;
  const MatchingCircuit best =
      BestStandardCircuit(DesignCircuit(MakeDefaultRunState()).circuit, {}, LossyDefaultModel());
  const auto rows = CsvRows(run.out);
  ASSERT_EQ(rows.size(), 4u);
  for (std::size_t k = 1; k < rows.size(); ++k) {
    EXPECT_DOUBLE_EQ(std::stod(rows[k][4]), best.elements[k - 1].value);
  }
}

}  // namespace
}  // namespace corvantile::cli
