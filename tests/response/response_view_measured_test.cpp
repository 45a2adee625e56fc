// The response window's view of a design whose load follows a measured file: swept with the
// file's impedance, within its band, its locus drawn and the load said to be measured.
#include <cmath>
#include <complex>
#include <string>

#include <gtest/gtest.h>

#include "design/measured_sides.h"
#include "response/response_view.h"
#include "support/files.h"

namespace corvantile {
namespace {

// A load that is 300 ohms at 3.75 MHz (S11 = 5/7 against 50 ohms) and turns inductive away
// from it: 1 MHz to 10 MHz.
constexpr const char* kLoad =
    "# MHz S RI R 50\n"
    "1 0.6 0.3\n"
    "3.75 0.7142857142857143 0\n"
    "10 0.6 -0.3\n";

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

}  // namespace
}  // namespace corvantile
