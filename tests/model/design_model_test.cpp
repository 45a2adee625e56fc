// The design model: its one rule for changes, its measured sides, its loader and saver, and the
// answers every front end renders.
#include "model/design_model.h"

#include <cmath>
#include <complex>
#include <string>

#include <gtest/gtest.h>

#include "analysis/solvers/lossy_network.h"
#include "model/design_answers.h"
#include "state/session_file.h"
#include "support/files.h"

namespace corvantile {
namespace {

using testing::ScratchFolder;
using testing::WriteBytes;

// A one-port file of `ohms` (series R + jX, the same at every point) from `from` to `to` Hz.
void WriteConstantLoad(const std::filesystem::path& file, std::complex<double> ohms, double from,
                       double to, int points = 8) {
  std::string text = "# Hz Z RI R 1\n";
  for (int i = 0; i < points; ++i) {
    const double f = from + (to - from) * i / (points - 1);
    text += std::to_string(f) + " " + std::to_string(ohms.real()) + " " +
            std::to_string(ohms.imag()) + "\n";
  }
  WriteBytes(file, text);
}

class DesignModelTest : public ::testing::Test {
 protected:
  DesignModelTest() {
    antenna = folder.path() / "antenna.s1p";
    WriteConstantLoad(antenna, {60.0, -40.0}, 3.4e6, 4.1e6);
  }
  ScratchFolder folder;
  std::filesystem::path antenna;
  DesignModel model;
};

TEST_F(DesignModelTest, AMeasuredSideIsEnteredAsSeriesRjXWithBothFormSlots) {
  model.state().LoadValues[EntryFormCopy] = FormParallelPart;
  ASSERT_EQ(model.Follow(MeasuredSideKind::Load, {antenna.string(), 1}), "");
  const ImpedanceValues& load = model.state().LoadValues;
  EXPECT_FLOAT_EQ(load[SeriesR], 60.0f);
  EXPECT_FLOAT_EQ(load[SeriesX], -40.0f);
  EXPECT_EQ(load[EntryForm], FormSeriesReactance);
  EXPECT_EQ(load[EntryFormCopy], FormSeriesReactance);
  ASSERT_TRUE(model.Port(MeasuredSideKind::Load));
  EXPECT_EQ(model.Sides().load, model.Port(MeasuredSideKind::Load).get());
}

// A frequency the measured side cannot follow is refused as a whole: the frequency, the side's
// values and its file all stay as they were.
TEST_F(DesignModelTest, ARefusedFrequencyChangesNothing) {
  ASSERT_EQ(model.Follow(MeasuredSideKind::Load, {antenna.string(), 1}), "");
  const DesignSnapshot before = model.Snapshot();
  const std::string refused = model.Change([&] { model.state().NetValues[Frequency] = 5e6f; });
  EXPECT_NE(refused.find("5 MHz is outside antenna.s1p's band"), std::string::npos) << refused;
  EXPECT_EQ(model.Snapshot(), before);
  EXPECT_TRUE(model.Port(MeasuredSideKind::Load));
  // Inside the band the change stands and the side is read there.
  EXPECT_EQ(model.Change([&] { model.state().NetValues[Frequency] = 3.5e6f; }), "");
  EXPECT_EQ(model.state().NetValues[Frequency], 3.5e6f);
  EXPECT_TRUE(model.Measured(MeasuredSideKind::Load));
}

// One rule for a side without resistance, whichever front end attaches it.
TEST_F(DesignModelTest, ASideOfNoResistanceIsRefused) {
  const std::filesystem::path shorted = folder.path() / "short.s1p";
  WriteConstantLoad(shorted, {-5.0, 20.0}, 1e6, 10e6);
  const DesignSnapshot before = model.Snapshot();
  const std::string refused = model.Follow(MeasuredSideKind::Source, {shorted.string(), 1});
  EXPECT_NE(refused.find("no positive finite resistance"), std::string::npos) << refused;
  EXPECT_EQ(model.Snapshot(), before);
  EXPECT_FALSE(model.Port(MeasuredSideKind::Source));
}

TEST_F(DesignModelTest, RestoringASnapshotTakesItsMeasuredDataAgainWithoutTheFile) {
  const DesignSnapshot typed = model.Snapshot();
  ASSERT_EQ(model.Follow(MeasuredSideKind::Load, {antenna.string(), 1}), "");
  const DesignSnapshot measured = model.Snapshot();
  std::filesystem::remove(antenna);
  model.Restore(typed);
  EXPECT_FALSE(model.Port(MeasuredSideKind::Load));
  model.Restore(measured);
  ASSERT_TRUE(model.Port(MeasuredSideKind::Load));
  EXPECT_EQ(model.Snapshot(), measured);
}

// The loader reads the settings file beside the session file, so every front end that opens a
// design sees its measured files and losses; the saver writes both.
TEST_F(DesignModelTest, SavedAndLoadedDesignsKeepTheirSettings) {
  ASSERT_EQ(model.Follow(MeasuredSideKind::Load, {antenna.string(), 1}), "");
  model.settings().losses = LossSettings{150, 0.5, 1500, 0, {}, true};
  std::string error;
  const std::filesystem::path file = folder.path() / "tank.cfg";
  ASSERT_TRUE(SaveDesign(model, file, error)) << error;
  EXPECT_TRUE(std::filesystem::exists(folder.path() / "tank.json"));
  DesignModel loaded;
  const DesignLoad load = LoadDesign(file, LoadPolicy::Strict, loaded);
  ASSERT_TRUE(load.Ok()) << load.error;
  EXPECT_TRUE(load.notes.empty());
  EXPECT_EQ(loaded.settings().losses, model.settings().losses);
  EXPECT_EQ(loaded.Measured(MeasuredSideKind::Load), model.Measured(MeasuredSideKind::Load));
  EXPECT_TRUE(loaded.Port(MeasuredSideKind::Load));
  EXPECT_EQ(SessionFileText(loaded.state()), SessionFileText(model.state()));
}

TEST_F(DesignModelTest, ATolerantLoadKeepsTheSideTypedWhenItsFileHasGone) {
  ASSERT_EQ(model.Follow(MeasuredSideKind::Load, {antenna.string(), 1}), "");
  std::string error;
  const std::filesystem::path file = folder.path() / "LastSession.CFG";
  ASSERT_TRUE(SaveDesign(model, file, error)) << error;
  std::filesystem::remove(antenna);
  DesignModel loaded;
  const DesignLoad load = LoadDesign(file, LoadPolicy::Tolerant, loaded);
  ASSERT_TRUE(load.Ok()) << load.error;
  ASSERT_EQ(load.notes.size(), 1u);
  EXPECT_NE(load.notes[0].find("the load no longer follows its measured file"), std::string::npos);
  EXPECT_FALSE(loaded.Measured(MeasuredSideKind::Load));
  EXPECT_FLOAT_EQ(loaded.state().LoadValues[SeriesR], 60.0f);
}

// The report's plot is the Response page's sweep: with lossy parts it is lossy, with a measured
// load it runs over the file's band.
TEST_F(DesignModelTest, TheReportPlotsWhatTheResponsePageSweeps) {
  model.settings().losses = LossSettings{200, 0, 1000, 0, {}, false};
  report::ReportInputs inputs = ReportOf(model);
  ASSERT_TRUE(inputs.plot);
  const Network network = NetworkOf(model);
  const double lossy = AnalyzeLosses(network.built, network.losses).returnLossDb;
  EXPECT_NEAR(inputs.plot->atDesign.returnLossDb, lossy, 1e-9);
  EXPECT_LT(inputs.plot->atDesign.returnLossDb, 60.0);
  // The standard values are chosen and scored with the same losses.
  ASSERT_TRUE(inputs.standard);
  EXPECT_EQ(inputs.standard->best.summary.atDesign.returnLossDb,
            StandardValuesOf(model).best.summary.atDesign.returnLossDb);
  EXPECT_NE(inputs.standard->best.summary.atDesign.returnLossDb,
            SolveStandardValues(Designed(model).state).best.summary.atDesign.returnLossDb);

  ASSERT_EQ(model.Follow(MeasuredSideKind::Load, {antenna.string(), 1}), "");
  inputs = ReportOf(model);
  ASSERT_TRUE(inputs.plot);
  EXPECT_GE(inputs.plot->span.from, 3.4e6);
  EXPECT_LE(inputs.plot->span.to, 4.1e6);
  ASSERT_TRUE(inputs.measuredLoad);
}

// The tolerance run the report lists is the one the window runs: compensated when the design
// is, with the design's losses.
TEST_F(DesignModelTest, TheToleranceRunBuildsTheCompensatedDesignWithItsLosses) {
  model.settings().losses = LossSettings{30, 0.5, 200, 0, {}, true};
  const ToleranceRequest request = ToleranceOf(model, ToleranceSettings{});
  ASSERT_TRUE(request.hasNetwork);
  const Network network = NetworkOf(model);
  ASSERT_TRUE(network.compensation);
  for (std::size_t k = 0; k < 3; ++k) {
    EXPECT_EQ(request.circuit.elements[k].value, network.built.elements[k].value) << k;
  }
  EXPECT_NE(request.circuit.elements[0].value, network.ideal.elements[0].value);
  EXPECT_EQ(request.options.losses.inductor.q0, 30.0);
}

}  // namespace
}  // namespace corvantile
