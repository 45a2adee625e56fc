// One design, one story: a handful of designs (typed, lossy, compensated, measured, with
// standard values) given to the command line as options and as a saved session, and to the
// design model as the window holds it, must give the same figures everywhere: the report text
// (what Ctrl+C copies), the PDF (byte for byte), the sweep's summary and the standard values.
#include <algorithm>
#include <cmath>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "cli/command_line.h"
#include "cli_test_support.h"
#include "model/design_answers.h"
#include "report/design_report_pdf.h"
#include "support/files.h"

namespace corvantile::cli {
namespace {

// A one-port antenna: 40 ohms in series with a reactance that passes through 0 at 3.7 MHz.
void WriteAntenna(const std::filesystem::path& file) {
  std::string text = "# MHz Z RI R 1\n";
  for (int i = 0; i <= 40; ++i) {
    const double mhz = 3.3 + 0.025 * i;
    const double x = 300.0 * (mhz / 3.7 - 3.7 / mhz);
    text += std::to_string(mhz) + " " + std::to_string(40.0 + 2.0 * (mhz - 3.3)) + " " +
            std::to_string(x) + "\n";
  }
  corvantile::testing::WriteBytes(file, text);
}

struct FrontEndCase {
  const char* name;
  std::vector<std::string> options;  // design and loss options
};

class FrontEndsTest : public ::testing::TestWithParam<FrontEndCase> {
 protected:
  FrontEndsTest() { WriteAntenna(folder.path() / "antenna.s1p"); }

  std::vector<std::string> Options() const {
    std::vector<std::string> options = GetParam().options;
    for (std::string& option : options) {
      if (option == "ANTENNA") option = (folder.path() / "antenna.s1p").string();
    }
    return options;
  }

  // Runs a command in-process with `tail` after its own arguments.
  static testing_support::CliRun Run(std::vector<std::string> head,
                                     const std::vector<std::string>& tail) {
    head.insert(head.end(), tail.begin(), tail.end());
    const std::vector<std::string_view> views(head.begin(), head.end());
    std::ostringstream out, err;
    testing_support::CliRun run;
    run.status = RunCommandLine(views, out, err);
    run.out = out.str();
    run.err = err.str();
    return run;
  }

  corvantile::testing::ScratchFolder folder;
};

TEST_P(FrontEndsTest, EveryFrontEndTellsTheSameStory) {
  const std::filesystem::path session = folder.path() / "design.cfg";
  const std::filesystem::path pdf = folder.path() / "options.pdf";
  const std::filesystem::path sessionPdf = folder.path() / "session.pdf";
  const std::vector<std::string> byOptions = Options();
  const std::vector<std::string> bySession = {"--session", session.string()};

  // The options, saved as a design with its settings beside it.
  const auto saved = Run({"design", "--save", session.string()}, byOptions);
  ASSERT_EQ(saved.status, 0) << saved.err;
  // The design as the window holds it after opening that file.
  DesignModel model;
  const DesignLoad load = LoadDesign(session, LoadPolicy::Strict, model);
  ASSERT_TRUE(load.Ok()) << load.error;

  // Report text: the window's Ctrl+C, the command line with options and with the session.
  const std::string copied = ReportTextOf(model);
  EXPECT_EQ(saved.out, copied);
  const auto fromSession = Run({"design"}, bySession);
  ASSERT_EQ(fromSession.status, 0) << fromSession.err;
  EXPECT_EQ(fromSession.out, copied);

  // The PDF: the window's "Report..." without tolerance results, and both command lines.
  const std::string windowPdf = report::DesignReportPdf(ReportOf(model));
  ASSERT_EQ(Run({"report", "-o", pdf.string()}, byOptions).status, 0);
  ASSERT_EQ(Run({"report", "-o", sessionPdf.string()}, bySession).status, 0);
  EXPECT_TRUE(corvantile::testing::ReadBytes(pdf) == windowPdf);
  EXPECT_TRUE(corvantile::testing::ReadBytes(sessionPdf) == windowPdf);

  // The sweep's summary: the Response page's default span against both command lines.
  const SweepAnswer sweep = SweepOf(NetworkOf(model), SpanOf(model, std::nullopt));
  ASSERT_TRUE(sweep.problem.empty()) << sweep.problem;
  for (const auto& tail : {byOptions, bySession}) {
    const auto run = Run({"sweep", "--format", "json", "--points", "201"}, tail);
    ASSERT_EQ(run.status, 0) << run.err;
    const nlohmann::json json = nlohmann::json::parse(run.out);
    ASSERT_TRUE(json.contains("summary")) << run.out.substr(0, 400);
    const nlohmann::json& summary = json["summary"];
    EXPECT_NEAR(summary["return_loss_db"].get<double>(),
                std::min(sweep.summary.atDesign.returnLossDb, 300.0), 1e-3);
  }

  // The standard values: the report's table and the command's best combination.
  const StandardSolutions standard = StandardValuesOf(model);
  for (const auto& tail : {byOptions, bySession}) {
    const auto run = Run({"standard", "--format", "json"}, tail);
    ASSERT_EQ(run.status, 0) << run.err;
    const nlohmann::json json = nlohmann::json::parse(run.out);
    EXPECT_NEAR(json["best"]["return_loss_db"].get<double>(),
                std::min(standard.best.summary.atDesign.returnLossDb, 300.0), 1e-3)
        << run.out.substr(0, 400);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Designs, FrontEndsTest,
    ::testing::Values(
        FrontEndCase{"DefaultPi", {}},
        FrontEndCase{"TeeWithLossyParts",
                     {"--family", "tee", "--load", "series:50:25", "--q-inductor", "120",
                      "--q-capacitor", "800"}},
        FrontEndCase{"CompensatedTank",
                     {"--source", "series:2500:0", "--load", "series:50:0", "--q-inductor", "200",
                      "--q-capacitor", "2000", "--q-law-inductor", "0", "--compensate"}},
        FrontEndCase{"MeasuredLoad", {"--load-file", "ANTENNA", "--frequency", "3.6M"}},
        FrontEndCase{"MeasuredLoadWithLosses",
                     {"--load-file", "ANTENNA", "--frequency", "3.75M", "--source", "series:50:0",
                      "--family", "lowpass-l", "--q-inductor", "150"}},
        // Real parts at 433 MHz: the session keeps their models, and the report's warning.
        FrontEndCase{"PartModelsCompensated",
                     {"--source", "series:15.6:0", "--load", "series:50:0", "--frequency", "433M",
                      "--power", "5", "--part-model", "capacitor=esr:0.1,esl:0.4n", "--part-model",
                      "inductor=q:50,cp:0.14p", "--compensate"}},
        FrontEndCase{"ElementNearItsResonance",
                     {"--source", "series:15.6:0", "--load", "series:50:0", "--frequency", "433M",
                      "--part-model", "1=esr:0.1,esl:2.2n", "--part-model", "2=q:60,cp:0.15p"}}),
    [](const ::testing::TestParamInfo<FrontEndCase>& tested) {
      return std::string(tested.param.name);
    });

// Part models set in the window (the settings' texts) and the same given as --part-model: the
// command line's sweep must be the window's, point by point.
TEST(PartModelFrontEnds, TheWindowsSweepIsTheCommandLinesPointByPoint) {
  const std::vector<std::string> design = {"--source",    "series:15.6:0", "--load",  "series:50:0",
                                           "--frequency", "433M",          "--power", "5"};
  const auto run = [](std::vector<std::string> arguments) {
    const std::vector<std::string_view> views(arguments.begin(), arguments.end());
    std::ostringstream out, err;
    testing_support::CliRun r;
    r.status = RunCommandLine(views, out, err);
    r.out = out.str();
    r.err = err.str();
    return r;
  };
  corvantile::testing::ScratchFolder folder;
  const std::filesystem::path session = folder.path() / "plain.cfg";
  std::vector<std::string> save = {"design", "--save", session.string()};
  save.insert(save.end(), design.begin(), design.end());
  ASSERT_EQ(run(save).status, 0);
  DesignModel model;
  ASSERT_TRUE(LoadDesign(session, LoadPolicy::Strict, model).Ok());
  // As the Parts page sets them: Q boxes and model texts.
  LossSettings losses;
  losses.inductorQ = 80.0;
  losses.capacitorQ = 900.0;
  losses.capacitorLaw = 0.0;
  losses.models.capacitorModel = "esr:0.1,esl:0.4n";
  losses.models.elementModel[1] = "cp:0.14p";
  ASSERT_EQ(model.Change([&] { model.settings().losses = losses; }), "");
  const SweepSpan span{300e6, 600e6, 61, false};
  const SweepAnswer window = SweepOf(NetworkOf(model), span);
  ASSERT_TRUE(window.problem.empty()) << window.problem;

  std::vector<std::string> sweep = {"sweep",
                                    "--format",
                                    "json",
                                    "--from",
                                    "300M",
                                    "--to",
                                    "600M",
                                    "--points",
                                    "61",
                                    "--linear",
                                    "--q-inductor",
                                    "80",
                                    "--q-capacitor",
                                    "900",
                                    "--q-law-capacitor",
                                    "0",
                                    "--part-model",
                                    "capacitor=esr:0.1,esl:0.4n",
                                    "--part-model",
                                    "2=cp:0.14p"};
  sweep.insert(sweep.end(), design.begin(), design.end());
  const auto cli = run(sweep);
  ASSERT_EQ(cli.status, 0) << cli.err;
  const nlohmann::json points = nlohmann::json::parse(cli.out)["points"];
  ASSERT_EQ(points.size(), window.points.size());
  for (std::size_t i = 0; i < points.size(); ++i) {
    const ResponsePoint& p = window.points[i];
    const nlohmann::json& row = points[i];
    EXPECT_NEAR(row[0].get<double>(), p.frequency, 1e-6 * p.frequency);
    EXPECT_NEAR(row[1].get<double>(), p.inputImpedance.real(), 1e-6 * std::abs(p.inputImpedance));
    EXPECT_NEAR(row[2].get<double>(), p.inputImpedance.imag(), 1e-6 * std::abs(p.inputImpedance));
    EXPECT_NEAR(row[5].get<double>(), p.returnLossDb, 1e-6 * (1.0 + p.returnLossDb));
  }
  // Without the models the sweep differs: the comparison sees them.
  const SweepAnswer ideal = SweepOf(NetworkOf(DesignModel(model.state(), Settings{})), span);
  EXPECT_GT(std::abs(ideal.points.back().inputImpedance - window.points.back().inputImpedance),
            1.0);
}

// A feedline: the window puts it into the design it opened (the design without the line, saved
// by the command line); the command line gives it as --line, or reads it from the design the
// window saved. All must print the same report (the line's figures with it) and sweep the same
// network between the same sides, point for point.
struct FeedlineCase {
  const char* name;
  std::vector<std::string> options;  // the design without the line
  const char* line;
  MeasuredSideKind side;
};

class FeedlineFrontEnds : public ::testing::TestWithParam<FeedlineCase> {
 protected:
  FeedlineFrontEnds() { WriteAntenna(folder.path() / "antenna.s1p"); }

  std::vector<std::string> Options() const {
    std::vector<std::string> options = GetParam().options;
    for (std::string& option : options) {
      if (option == "ANTENNA") option = (folder.path() / "antenna.s1p").string();
    }
    return options;
  }

  static testing_support::CliRun Run(std::vector<std::string> head,
                                     const std::vector<std::string>& tail) {
    head.insert(head.end(), tail.begin(), tail.end());
    const std::vector<std::string_view> views(head.begin(), head.end());
    std::ostringstream out, err;
    testing_support::CliRun run;
    run.status = RunCommandLine(views, out, err);
    run.out = out.str();
    run.err = err.str();
    return run;
  }

  corvantile::testing::ScratchFolder folder;
};

TEST_P(FeedlineFrontEnds, TheWindowsLineTellsTheCommandLinesStory) {
  const FeedlineCase& c = GetParam();
  const std::filesystem::path session = folder.path() / "design.cfg";
  const auto saved = Run({"design", "--save", session.string()}, Options());
  ASSERT_EQ(saved.status, 0) << saved.err;
  DesignModel model;
  ASSERT_TRUE(LoadDesign(session, LoadPolicy::Strict, model).Ok());
  ASSERT_EQ(model.PutFeedline(c.line, c.side), "");

  std::vector<std::string> withLine = Options();
  withLine.insert(withLine.end(), {"--line", c.line, "--line-at", SideName(c.side)});
  // The design saved with its line, as the window saves it, and given as a session.
  const std::filesystem::path lined = folder.path() / "lined.cfg";
  std::string error;
  ASSERT_TRUE(SaveDesign(model, lined, error)) << error;
  const std::vector<std::string> bySession = {"--session", lined.string()};

  const std::string copied = ReportTextOf(model);
  const SweepAnswer sweep = SweepOf(NetworkOf(model), SweepSpan{3.3e6, 4.2e6, 91, false});
  ASSERT_TRUE(sweep.problem.empty()) << sweep.problem;
  for (const auto& tail : {withLine, bySession}) {
    const auto design = Run({"design"}, tail);
    ASSERT_EQ(design.status, 0) << design.err;
    EXPECT_EQ(design.out, copied);

    const auto run = Run({"sweep", "--format", "json", "--from", "3.3M", "--to", "4.2M", "--points",
                          "91", "--linear"},
                         tail);
    ASSERT_EQ(run.status, 0) << run.err;
    const nlohmann::json json = nlohmann::json::parse(run.out);
    EXPECT_EQ(json["line"]["line"], model.FeedlineChoice()->description);
    const nlohmann::json& points = json["points"];
    ASSERT_EQ(points.size(), sweep.points.size());
    for (std::size_t i = 0; i < sweep.points.size(); ++i) {
      const ResponsePoint& p = sweep.points[i];
      EXPECT_DOUBLE_EQ(points[i][0].get<double>(), p.frequency);
      EXPECT_NEAR(points[i][1].get<double>(), p.inputImpedance.real(),
                  1e-9 * std::abs(p.inputImpedance));
      EXPECT_NEAR(points[i][2].get<double>(), p.inputImpedance.imag(),
                  1e-9 * std::abs(p.inputImpedance));
    }
  }
}

INSTANTIATE_TEST_SUITE_P(
    Lines, FeedlineFrontEnds,
    ::testing::Values(FeedlineCase{"TypedLoad", {}, "RG-213:30", MeasuredSideKind::Load},
                      FeedlineCase{"TypedSource",
                                   {"--source", "series:50:0", "--family", "lowpass-l"},
                                   "RG-58:100ft",
                                   MeasuredSideKind::Source},
                      FeedlineCase{"MeasuredLoad",
                                   {"--load-file", "ANTENNA", "--frequency", "3.6M", "--source",
                                    "series:50:0"},
                                   "50:0.66:0.6@10M,2.2@100M/100ft:25",
                                   MeasuredSideKind::Load}),
    [](const ::testing::TestParamInfo<FeedlineCase>& tested) {
      return std::string(tested.param.name);
    });

}  // namespace
}  // namespace corvantile::cli
