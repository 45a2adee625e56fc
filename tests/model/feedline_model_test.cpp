// The feedline in the design model: the side behind it is seen through it under the model's one
// rule, its own impedance is kept so that taking the line away gives it back exactly, and the
// line lives through saving, loading and undo.
#include <cmath>
#include <complex>
#include <cstdio>
#include <sstream>
#include <string>

#include <gtest/gtest.h>

#include "analysis/circuits/transmission_line.h"
#include "model/design_answers.h"
#include "model/design_model.h"
#include "report/design_report_pdf.h"
#include "state/session_file.h"
#include "support/files.h"
#include "support/process.h"

namespace corvantile {
namespace {

using Complex = std::complex<double>;

constexpr double kVelocityFactor = 0.66;

// A lossless 50 ohm line of `metres`, in the line grammar.
std::string LosslessLine(double metres) {
  char text[64];
  std::snprintf(text, sizeof text, "50:0.66:0:%.17g", metres);
  return text;
}

// Half a wavelength on that line at `hertz`.
double HalfWave(double hertz) { return 0.5 * kVelocityFactor * kSpeedOfLight / hertz; }

Complex SeenLoad(const DesignModel& model) {
  const ImpedanceValues& load = model.state().LoadValues;
  return {static_cast<double>(load[SeriesR]), static_cast<double>(load[SeriesX])};
}

// The built-in design: a 300 ohm load at 3.75 MHz. A lossless half wave shows the load as it is;
// at half the frequency the same line is a quarter wave and shows 50^2 / 300 ohms.
TEST(FeedlineModel, AHalfWaveShowsTheLoadAndAtHalfTheFrequencyItsQuarterWaveInverse) {
  DesignModel model;
  ASSERT_EQ(model.PutFeedline(LosslessLine(HalfWave(3.75e6)), MeasuredSideKind::Load), "");
  // The typed load is seen through samples of the line, interpolated within about 1e-5.
  EXPECT_NEAR(std::abs(SeenLoad(model) - Complex(300.0, 0.0)), 0.0, 300.0 * 1e-5);
  EXPECT_EQ(model.state().LoadValues[EntryForm], FormSeriesReactance);
  ASSERT_EQ(model.Change([&] { model.state().NetValues[Frequency] = 1.875e6f; }), "");
  EXPECT_NEAR(std::abs(SeenLoad(model) - Complex(2500.0 / 300.0, 0.0)), 0.0, 300.0 * 1e-5);
}

// A line put on, changed, followed through a new frequency and taken away again leaves the typed
// load as it was, every value to the bit.
TEST(FeedlineModel, ALineOnATypedLoadTakenAwayGivesItsValuesBackExactly) {
  DesignModel model;
  const ImpedanceValues typed = model.state().LoadValues;
  ASSERT_EQ(model.PutFeedline("RG-213:30", MeasuredSideKind::Load), "");
  EXPECT_NE(model.state().LoadValues, typed);
  EXPECT_EQ(model.FeedlineText(MeasuredSideKind::Load), "through 30 m of RG-213");
  EXPECT_EQ(model.FeedlineText(MeasuredSideKind::Source), "");
  ASSERT_EQ(model.Change([&] { model.state().NetValues[Frequency] = 3.6e6f; }), "");
  ASSERT_EQ(model.PutFeedline("RG-58:100ft", MeasuredSideKind::Load), "");
  ASSERT_TRUE(model.FarEndImpedance(3.6e6));
  EXPECT_NEAR(std::abs(*model.FarEndImpedance(3.6e6) - Complex(300.0, 0.0)), 0.0, 1e-9);
  model.RemoveFeedline();
  EXPECT_FALSE(model.Feedline());
  EXPECT_EQ(model.state().LoadValues, typed);
  EXPECT_EQ(model.Sides().load, nullptr);
}

// Moving the line to the source gives the load back and sees the source through it.
TEST(FeedlineModel, MovingTheLineGivesTheFirstSideBack) {
  DesignModel model;
  const RunState typed = model.state();
  ASSERT_EQ(model.PutFeedline("RG-213:30", MeasuredSideKind::Load), "");
  ASSERT_EQ(model.PutFeedline("RG-213:30", MeasuredSideKind::Source), "");
  EXPECT_EQ(model.state().LoadValues, typed.LoadValues);
  EXPECT_NE(model.state().SourceValues, typed.SourceValues);
  EXPECT_NE(model.Sides().source, nullptr);
  EXPECT_EQ(model.Sides().load, nullptr);
  model.RemoveFeedline();
  EXPECT_EQ(model.state().SourceValues, typed.SourceValues);
}

struct RefusedLine {
  const char* line;
  const char* reason;  // a part of the one-line reason
};

class FeedlineRefused : public ::testing::TestWithParam<RefusedLine> {};

// A line that cannot be read changes nothing and says why in one line.
TEST_P(FeedlineRefused, ChangesNothing) {
  DesignModel model;
  ASSERT_EQ(model.PutFeedline("RG-213:30", MeasuredSideKind::Load), "");
  const DesignSnapshot before = model.Snapshot();
  const std::string problem = model.PutFeedline(GetParam().line, MeasuredSideKind::Source);
  EXPECT_NE(problem.find(GetParam().reason), std::string::npos) << problem;
  EXPECT_EQ(problem.find('\n'), std::string::npos);
  EXPECT_EQ(model.Snapshot(), before);
  EXPECT_EQ(model.FeedlineText(MeasuredSideKind::Load), "through 30 m of RG-213");
}

INSTANTIATE_TEST_SUITE_P(Lines, FeedlineRefused,
                         ::testing::Values(RefusedLine{"RG-999:30", "no cable 'RG-999'"},
                                           RefusedLine{"RG-213:-3", "is not a length"},
                                           RefusedLine{"50:1.5:0:30", "velocity factor"},
                                           RefusedLine{"RG-213", "is not CABLE:LENGTH"}));

class FeedlineFiles : public ::testing::Test {
 protected:
  corvantile::testing::ScratchFolder folder;
};

// Saved and opened again, the design has its line and the load its own values behind it; undo
// steps keep the line too.
TEST_F(FeedlineFiles, SavingLoadingAndUndoKeepTheLine) {
  DesignModel model;
  const ImpedanceValues typed = model.state().LoadValues;
  const DesignSnapshot plain = model.Snapshot();
  ASSERT_EQ(model.PutFeedline("RG-213:30", MeasuredSideKind::Load), "");
  const DesignSnapshot lined = model.Snapshot();

  const std::filesystem::path file = folder.path() / "lined.cfg";
  std::string error;
  ASSERT_TRUE(SaveDesign(model, file, error)) << error;
  DesignModel opened;
  const DesignLoad load = LoadDesign(file, LoadPolicy::Strict, opened);
  ASSERT_TRUE(load.Ok()) << load.error;
  EXPECT_TRUE(load.notes.empty());
  EXPECT_EQ(opened.Feedline(), model.Feedline());
  EXPECT_EQ(opened.state().LoadValues, model.state().LoadValues);
  ASSERT_NE(opened.Sides().load, nullptr);
  opened.RemoveFeedline();
  EXPECT_EQ(opened.state().LoadValues, typed);

  model.Restore(plain);
  EXPECT_FALSE(model.Feedline());
  EXPECT_EQ(model.Sides().load, nullptr);
  model.Restore(lined);
  EXPECT_EQ(model.Snapshot(), lined);
  ASSERT_NE(model.Sides().load, nullptr);
  const Complex seen = model.Sides().load->Impedance(3.75e6);
  EXPECT_NEAR(seen.real(), static_cast<double>(model.state().LoadValues[SeriesR]), 1e-3);
}

// A settings file written by hand, with the line alone: the session's load is the far end.
TEST_F(FeedlineFiles, AHandWrittenLineTakesTheSessionsLoadAsItsFarEnd) {
  const std::filesystem::path file = folder.path() / "hand.cfg";
  const RunState state = MakeDefaultRunState();
  corvantile::testing::WriteBytes(file, SessionFileText(state));
  corvantile::testing::WriteBytes(
      folder.path() / "hand.json",
      R"({"version": 1, "feedline": {"line": "RG-213:30", "at": "load"}})");
  DesignModel model;
  ASSERT_TRUE(LoadDesign(file, LoadPolicy::Strict, model).Ok());
  ASSERT_TRUE(model.Feedline());
  ASSERT_TRUE(model.Feedline()->farValues);
  EXPECT_EQ(*model.Feedline()->farValues, state.LoadValues);
  const TransmissionLine line = FindCable("RG-213")->Line(30.0);
  const Complex expected = line.SeenThrough(3.75e6, {300.0, 0.0});
  EXPECT_NEAR(std::abs(SeenLoad(model) - expected), 0.0, 1e-3 * std::abs(expected));
}

// A measured load behind the line: the file stays the far end, the analysis takes the load seen
// through the line, and taking the line away enters the file's impedance again.
TEST_F(FeedlineFiles, AMeasuredLoadIsTheLinesFarEnd) {
  const std::filesystem::path antenna = folder.path() / "antenna.s1p";
  // Points close enough for the line's turning between them to interpolate well.
  std::string text = "# kHz Z RI R 1\n";
  for (int khz = 3400; khz <= 4100; khz += 10) text += std::to_string(khz) + " 60 -40\n";
  corvantile::testing::WriteBytes(antenna, text);
  DesignModel model;
  ASSERT_EQ(model.Follow(MeasuredSideKind::Load, {antenna.string(), 1}), "");
  const ImpedanceValues measured = model.state().LoadValues;
  ASSERT_EQ(model.PutFeedline("RG-213:30", MeasuredSideKind::Load), "");
  EXPECT_FALSE(model.Feedline()->farValues);
  ASSERT_TRUE(model.Measured(MeasuredSideKind::Load));
  EXPECT_NE(model.Sides().load, model.Port(MeasuredSideKind::Load).get());
  const Complex expected = FindCable("RG-213")->Line(30.0).SeenThrough(3.75e6, {60.0, -40.0});
  EXPECT_NEAR(std::abs(SeenLoad(model) - expected), 0.0, 1e-3 * std::abs(expected));
  // Out of the file's band the line is refused with the file's reason, nothing changed.
  EXPECT_NE(model.Change([&] { model.state().NetValues[Frequency] = 5e6f; }).find("outside"),
            std::string::npos);
  model.RemoveFeedline();
  EXPECT_EQ(model.state().LoadValues, measured);
}

// A file followed by the side behind the line becomes the line's far end; the line stays.
TEST_F(FeedlineFiles, FollowingAFileBehindTheLineMakesItTheFarEnd) {
  const std::filesystem::path antenna = folder.path() / "antenna.s1p";
  std::string text = "# kHz Z RI R 1\n";
  for (int khz = 3400; khz <= 4100; khz += 10) text += std::to_string(khz) + " 60 -40\n";
  corvantile::testing::WriteBytes(antenna, text);
  DesignModel model;
  ASSERT_EQ(model.PutFeedline("RG-213:30", MeasuredSideKind::Load), "");
  ASSERT_EQ(model.Follow(MeasuredSideKind::Load, {antenna.string(), 1}), "");
  ASSERT_TRUE(model.Feedline());
  EXPECT_FALSE(model.Feedline()->farValues);
  const Complex expected = FindCable("RG-213")->Line(30.0).SeenThrough(3.75e6, {60.0, -40.0});
  EXPECT_NEAR(std::abs(SeenLoad(model) - expected), 0.0, 1e-3 * std::abs(expected));
  EXPECT_EQ(model.FeedlineText(MeasuredSideKind::Load), "through 30 m of RG-213");
}

// A measured far end whose file has gone: the side keeps the values it had (those seen through
// the line) and the line is taken away, said in a note, never put on them a second time.
TEST_F(FeedlineFiles, ALineWhoseMeasuredFarEndHasGoneIsTakenAway) {
  const std::filesystem::path antenna = folder.path() / "antenna.s1p";
  corvantile::testing::WriteBytes(antenna, "# MHz Z RI R 1\n3 60 -40\n4.5 60 -40\n");
  DesignModel model;
  ASSERT_EQ(model.Follow(MeasuredSideKind::Load, {antenna.string(), 1}), "");
  ASSERT_EQ(model.PutFeedline("RG-213:30", MeasuredSideKind::Load), "");
  const std::filesystem::path file = folder.path() / "gone.cfg";
  std::string error;
  ASSERT_TRUE(SaveDesign(model, file, error)) << error;
  std::filesystem::remove(antenna);
  DesignModel opened;
  const DesignLoad load = LoadDesign(file, LoadPolicy::Tolerant, opened);
  ASSERT_TRUE(load.Ok()) << load.error;
  ASSERT_EQ(load.notes.size(), 2u);
  EXPECT_NE(load.notes[1].find("feedline 'RG-213:30' to the load was taken away"),
            std::string::npos)
      << load.notes[1];
  EXPECT_FALSE(opened.Feedline());
  EXPECT_NEAR(opened.state().LoadValues[SeriesR], model.state().LoadValues[SeriesR],
              1e-5f * model.state().LoadValues[SeriesR]);
}

// A file of two points behind 30 m: the line turns S by several radians between them, so the
// load at 3.75 MHz is the file's impedance there seen through the line, not the two seen points
// interpolated.
TEST_F(FeedlineFiles, ASparseMeasuredLoadIsSeenRightBetweenItsPoints) {
  const std::filesystem::path antenna = folder.path() / "sparse.s1p";
  corvantile::testing::WriteBytes(antenna, "# MHz Z RI R 50\n3 40 -60\n4.5 70 45\n");
  DesignModel model;
  ASSERT_EQ(model.Follow(MeasuredSideKind::Load, {antenna.string(), 1}), "");
  ASSERT_EQ(model.PutFeedline("RG-213:30", MeasuredSideKind::Load), "");
  const Complex far = model.Port(MeasuredSideKind::Load)->Impedance(3.75e6);
  const Complex expected = FindCable("RG-213")->Line(30.0).SeenThrough(3.75e6, far);
  ASSERT_NE(model.Sides().load, nullptr);
  EXPECT_LE(std::abs(model.Sides().load->Impedance(3.75e6) - expected), 1e-6 * std::abs(expected));
  EXPECT_LE(std::abs(SeenLoad(model) - expected), 1e-5 * std::abs(expected));
}

// The report gives the line's figures after the design. On a lossless line the VSWR is the same
// at both ends (300 ohms on 50: 6), no watt is lost, and the far end is the load's own.
TEST(FeedlineModel, TheReportListsTheLinesFigures) {
  DesignModel model;
  ASSERT_EQ(model.PutFeedline("50:0.66:0:12", MeasuredSideKind::Load), "");
  const std::optional<FeedlineAnswer> line = FeedlineOf(model);
  ASSERT_TRUE(line);
  EXPECT_NEAR(std::abs(line->figures.farImpedance - Complex(300.0, 0.0)), 0.0, 1e-9);
  EXPECT_NEAR(line->figures.farVswr, 6.0, 1e-9);
  EXPECT_NEAR(line->figures.nearVswr, 6.0, 1e-6);
  EXPECT_NEAR(line->figures.lossDb, 0.0, 1e-9);
  EXPECT_NEAR(std::abs(line->figures.nearImpedance - SeenLoad(model)), 0.0,
              1e-5 * std::abs(SeenLoad(model)));
  const std::string text = ReportTextOf(model);
  EXPECT_NE(text.find("Feedline: 12 m of 50 ohm line, between the network and the load"),
            std::string::npos)
      << text;
  EXPECT_NE(text.find("Peak voltage on the line"), std::string::npos) << text;
}

// Runs of blanks and line breaks as one blank, so that text compares whatever the layout.
std::string Squeezed(const std::string& text) {
  std::string out;
  for (const char c : text) {
    if (c == ' ' || c == '\n' || c == '\t' || c == '\f' || c == '\r') {
      if (!out.empty() && out.back() != ' ') out += ' ';
    } else {
      out += c;
    }
  }
  return out;
}

// The PDF report, read back by pdftotext, holds the report text's feedline lines as they stand;
// without a line it has no feedline section.
TEST(FeedlineModel, ThePdfReportHoldsTheReportTextsLineFigures) {
  for (const bool lined : {true, false}) {
    DesignModel model;
    if (lined) {
      ASSERT_EQ(model.PutFeedline("RG-213:30", MeasuredSideKind::Load), "");
    }
    const std::filesystem::path pdf =
        corvantile::testing::TemporaryFile(lined ? "lined_report.pdf" : "plain_report.pdf");
    corvantile::testing::WriteBytes(pdf, report::DesignReportPdf(ReportOf(model)));
    int status = -1;
    const std::string pdfText = Squeezed(corvantile::testing::RunCommand(
        corvantile::testing::Quoted(corvantile::testing::Environment("CORVANTILE_PDFTOTEXT")) +
            " " + corvantile::testing::Quoted(pdf) + " -",
        status));
    ASSERT_EQ(status, 0);
    const std::string reportText = ReportTextOf(model);
    const std::size_t from = reportText.find("Feedline: ");
    ASSERT_EQ(from != std::string::npos, lined) << reportText;
    if (!lined) {
      EXPECT_EQ(pdfText.find("Feedline"), std::string::npos) << pdfText;
      continue;
    }
    std::istringstream lines(reportText.substr(from));
    int count = 0;
    for (std::string line; std::getline(lines, line) && line.rfind("Losses", 0) != 0;) {
      const std::string wanted = Squeezed(line);
      if (wanted.empty() || wanted == " ") continue;
      ++count;
      EXPECT_NE(pdfText.find(wanted.front() == ' ' ? wanted.substr(1) : wanted), std::string::npos)
          << wanted << " in\n"
          << pdfText;
    }
    EXPECT_GE(count, 6);
    EXPECT_NE(pdfText.find("Peak voltage on the line"), std::string::npos);
  }
}

}  // namespace
}  // namespace corvantile
