// The response window's view of a design whose load follows a measured file: swept with the
// file's impedance, within its band (with the Parts page's losses when they are on), its locus
// drawn and the load said to be measured; a harmonic beyond the file reads "not measured"; a
// measured source's conjugate is drawn over the sweep.
#include <cmath>
#include <complex>
#include <cstring>
#include <string>

#include <gtest/gtest.h>

#include "analysis/formats/touchstone_reader.h"
#include "model/design_model.h"
#include "response/response_view.h"
#include "support/files.h"

namespace corvantile {
namespace {

// `state` with a side following a measured file, as the design model enters it.
std::string EnterMeasuredFile(RunState& state, MeasuredSideKind side, const MeasuredSide& where) {
  DesignModel model(state, Settings{});
  std::string problem = model.Follow(side, where);
  state = model.state();
  return problem;
}

// A load that is 300 ohms at 3.75 MHz (S11 = 5/7 against 50 ohms) and turns inductive away
// from it: 1 MHz to 10 MHz.
constexpr const char* kLoad =
    "# MHz S RI R 50\n"
    "1 0.6 0.3\n"
    "3.75 0.7142857142857143 0\n"
    "10 0.6 -0.3\n";

// A source that is 1500 ohms at 3.75 MHz (S11 = 29/31) and moves a little away from it.
constexpr const char* kSource =
    "# MHz S RI R 50\n"
    "1 0.9 0.05\n"
    "3.75 0.9354838709677419 0\n"
    "10 0.9 -0.05\n";

bool SameBits(const std::vector<ResponsePoint>& a, const std::vector<ResponsePoint>& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t k = 0; k < a.size(); ++k) {
    if (std::memcmp(&a[k], &b[k], sizeof(ResponsePoint)) != 0) return false;
  }
  return true;
}

class MeasuredResponseTest : public ::testing::Test {
 protected:
  MeasuredResponseTest() : file(testing::TemporaryFile("measured_load.s1p")) {
    testing::WriteBytes(file, kLoad);
    settings.measuredLoad = MeasuredSide{file.string(), 1};
    EXPECT_EQ(EnterMeasuredFile(state, MeasuredSideKind::Load, *settings.measuredLoad), "");
  }
  ResponseView View() {
    ResponseView view;
    UpdateResponseView(state, RunDesignPass(state), settings, view);
    return view;
  }

  std::filesystem::path file;
  RunState state = MakeDefaultRunState();
  ResponseSettings settings;
};

TEST_F(MeasuredResponseTest, SweepsTheMeasuredBandAndIsMatchedAtTheDesignFrequency) {
  EXPECT_NEAR(state.LoadValues[SeriesR], 300.0, 1e-3);
  const ResponseView view = View();
  ASSERT_TRUE(view.hasNetwork) << view.noNetworkReason;
  // The default span, a quarter to four times 3.75 MHz, cut to the file's band.
  EXPECT_DOUBLE_EQ(view.span.from, 1e6);
  EXPECT_DOUBLE_EQ(view.span.to, 10e6);
  ASSERT_FALSE(view.sweep.empty());
  EXPECT_DOUBLE_EQ(view.sweep.front().frequency, 1e6);
  EXPECT_DOUBLE_EQ(view.sweep.back().frequency, 10e6);
  // Matched where the load was measured at the design frequency, not at the ends where the
  // measured load has moved away from 300 ohms.
  const ResponsePoint* nearest = &view.sweep.front();
  for (const ResponsePoint& point : view.sweep) {
    if (std::fabs(point.frequency - 3.75e6) < std::fabs(nearest->frequency - 3.75e6)) {
      nearest = &point;
    }
  }
  EXPECT_GT(nearest->returnLossDb, 30.0);

  // The same design with the load typed sweeps differently at the band's edge.
  ResponseSettings typed;
  ResponseView typedView;
  UpdateResponseView(state, RunDesignPass(state), typed, typedView);
  EXPECT_NE(typedView.sweep.front().returnLossDb, view.sweep.front().returnLossDb);

  ASSERT_EQ(view.measuredLoadLocus.size(), 3u);
  EXPECT_NEAR(std::abs(view.measuredLoadLocus[0] - std::complex<double>(0.6, 0.3)), 0.0, 1e-12);
  bool said = false;
  for (const std::string& line : view.summaryLines) {
    said =
        said || line == "Load measured: " + file.filename().string() + " port 1, 1 MHz to 10 MHz";
  }
  EXPECT_TRUE(said) << ::testing::PrintToString(view.summaryLines);
}

TEST_F(MeasuredResponseTest, AChosenSpanBeyondTheBandIsCutWithANote) {
  settings.span = SweepSpan{.from = 2e6, .to = 20e6, .points = 101, .logarithmic = false};
  const ResponseView view = View();
  ASSERT_TRUE(view.hasNetwork) << view.noNetworkReason;
  EXPECT_DOUBLE_EQ(view.span.from, 2e6);
  EXPECT_DOUBLE_EQ(view.span.to, 10e6);
  EXPECT_EQ(view.summaryLines.back(), "The span was cut to the measured band: 2 MHz to 10 MHz");
}

TEST_F(MeasuredResponseTest, AFileThatHasGoneShowsNoNetworkWithTheReadersReason) {
  std::filesystem::remove(file);
  const ResponseView view = View();
  EXPECT_FALSE(view.hasNetwork);
  EXPECT_NE(view.noNetworkReason.find("measured_load.s1p"), std::string::npos);
  EXPECT_TRUE(view.measuredLoadLocus.empty());
}

// The Parts page's losses with a measured load: the lossy network between the file's
// impedances, point for point the analysis' sweep, and not the ideal one.
TEST_F(MeasuredResponseTest, LossesOnSweepTheLossyNetworkBetweenTheMeasuredSides) {
  const ResponseView ideal = View();
  settings.losses.inductor = {60.0, 0.5};
  settings.losses.capacitor = {400.0, 0.0};
  const ResponseView lossy = View();
  ASSERT_TRUE(lossy.hasNetwork) << lossy.noNetworkReason;
  const TouchstoneRead read = ReadTouchstoneFile(file.string());
  ASSERT_TRUE(read.Ok()) << read.error;
  const TouchstonePort port(read.data, 1);
  std::vector<ResponsePoint> expected;
  SweepResponse(lossy.circuit, lossy.span, {nullptr, &port}, expected, settings.losses);
  EXPECT_TRUE(SameBits(lossy.sweep, expected));
  ASSERT_EQ(lossy.sweep.size(), ideal.sweep.size());
  for (std::size_t k = 0; k < lossy.sweep.size(); ++k) {
    EXPECT_LT(lossy.sweep[k].transducerGainDb, ideal.sweep[k].transducerGainDb) << k;
  }
  // The marker at f is the lossy measured response there.
  const ResponsePoint f0 =
      EvaluateResponse(lossy.circuit, 3.75e6, {nullptr, &port}, settings.losses);
  EXPECT_EQ(lossy.markers[0].response.transducerGainDb, f0.transducerGainDb);
  EXPECT_LT(lossy.summary.atDesign.transducerGainDb, -0.01);
}

// The file ends at 10 MHz: 2f (7.5 MHz) has its figure from the measured data, 3f (11.25 MHz)
// has none, neither in the summary nor as a marker.
TEST_F(MeasuredResponseTest, AHarmonicBeyondTheFileIsNotMeasured) {
  for (const bool lossy : {false, true}) {
    if (lossy) settings.losses.inductor = {80.0, 0.5};
    const ResponseView view = View();
    ASSERT_TRUE(view.hasNetwork) << view.noNetworkReason;
    EXPECT_TRUE(view.markers[1].measured);
    EXPECT_TRUE(view.markers[1].inSpan);
    EXPECT_FALSE(view.markers[2].measured);
    EXPECT_FALSE(view.markers[2].inSpan);
    EXPECT_TRUE(view.summary.measured2f0);
    EXPECT_FALSE(view.summary.measured3f0);
    const auto has = [&](const std::string& wanted) {
      for (const std::string& line : view.summaryLines) {
        if (line == wanted) return true;
      }
      return false;
    };
    EXPECT_TRUE(has("Attenuation at 3f (11.25 MHz): not measured"))
        << ::testing::PrintToString(view.summaryLines);
    EXPECT_FALSE(has("Attenuation at 2f (7.5 MHz): not measured"));
    // 2f's attenuation is the measured response's, not the typed circuit's.
    const TouchstoneRead read = ReadTouchstoneFile(file.string());
    const TouchstonePort port(read.data, 1);
    const double gain2 =
        EvaluateResponse(view.circuit, 7.5e6, {nullptr, &port}, settings.losses).transducerGainDb;
    EXPECT_DOUBLE_EQ(view.summary.attenuation2f0Db, view.summary.atDesign.transducerGainDb - gain2);
    EXPECT_EQ(view.markers[1].response.transducerGainDb, gain2);
  }
}

// A measured source: the window says so with its file, and draws the conjugate of the source
// at every sweep point, which at the design frequency is the target the path ends on.
TEST_F(MeasuredResponseTest, AMeasuredSourceIsSaidAndItsConjugateDrawnOverTheSweep) {
  const std::filesystem::path sourceFile = testing::TemporaryFile("measured_source.s1p");
  testing::WriteBytes(sourceFile, kSource);
  settings.measuredSource = MeasuredSide{sourceFile.string(), 1};
  ASSERT_EQ(EnterMeasuredFile(state, MeasuredSideKind::Source, *settings.measuredSource), "");
  const ResponseView view = View();
  ASSERT_TRUE(view.hasNetwork) << view.noNetworkReason;
  EXPECT_EQ(view.measuredSourceFile, sourceFile.filename().string());
  EXPECT_EQ(view.measuredLoadFile, file.filename().string());
  ASSERT_EQ(view.measuredSourceLocus.size(), view.sweep.size());
  const TouchstoneRead read = ReadTouchstoneFile(sourceFile.string());
  ASSERT_TRUE(read.Ok()) << read.error;
  const TouchstonePort port(read.data, 1);
  for (std::size_t k = 0; k < view.sweep.size(); k += 50) {
    const std::complex<double> zs = port.Impedance(view.sweep[k].frequency);
    // The reflection of conj(Zs) against 50 ohms is the conjugate of Zs's own.
    const std::complex<double> own = (zs - 50.0) / (zs + 50.0);
    EXPECT_LE(std::abs(view.measuredSourceLocus[k] - std::conj(own)), 1e-12) << k;
  }
  EXPECT_NEAR(std::abs(view.measuredSourceLocus.front() - std::complex<double>(0.9, -0.05)), 0.0,
              1e-12);
  bool said = false;
  for (const std::string& line : view.summaryLines) {
    said = said || line == "Source measured: " + sourceFile.filename().string() +
                               " port 1, 1 MHz to 10 MHz";
  }
  EXPECT_TRUE(said) << ::testing::PrintToString(view.summaryLines);

  // Typed again: no locus, no name.
  settings.measuredSource.reset();
  const ResponseView typed = View();
  EXPECT_TRUE(typed.measuredSourceLocus.empty());
  EXPECT_TRUE(typed.measuredSourceFile.empty());
}

}  // namespace
}  // namespace corvantile
