// The Smith chart along a feedline: from the far end's impedance to the near end's, a circle on a
// lossless line and a spiral inward on a lossy one, and in the response view the near end is
// where the network's own path starts.
#include <cmath>
#include <complex>
#include <numbers>

#include <gtest/gtest.h>

#include "analysis/circuits/line_choice.h"
#include "model/design_model.h"
#include "response/response_view.h"
#include "response/smith_chart.h"

namespace corvantile {
namespace {

using Complex = std::complex<double>;

TransmissionLine LineOf(const char* text) {
  LineChoice choice;
  std::string error;
  EXPECT_TRUE(ParseLineChoice("line", text, choice, error)) << error;
  return choice.line;
}

// The ends: the far end as given, the near end as the line's own formula (Z0 tanh) sees it.
TEST(SmithFeedline, RunsFromTheFarEndToTheNearEnd) {
  const TransmissionLine line = LineOf("RG-213:30");
  const Complex far(68.85, 44.05);
  const SmithLinePath path = FeedlinePath(line, 3.8e6, far, 50.0);
  const Complex near = line.SeenThrough(3.8e6, far);
  EXPECT_EQ(path.far.impedance, far);
  EXPECT_NEAR(std::abs(path.near.impedance - near), 0.0, 1e-9 * std::abs(near));
  EXPECT_NEAR(std::abs(path.trace.front() - ReflectionOf(far / 50.0)), 0.0, 1e-12);
  EXPECT_NEAR(std::abs(path.trace.back() - ReflectionOf(near / 50.0)), 0.0, 1e-9);
  EXPECT_GE(path.trace.size(), static_cast<std::size_t>(kSmithLineSteps) + 1);
}

// Against the line's own impedance the reflection keeps its size along a lossless line and
// shrinks as exp(-2 alpha d) along a lossy one, whatever the chart's reference.
TEST(SmithFeedline, CirclesOnALosslessLineAndSpiralsInwardOnALossyOne) {
  const double f = 7.1e6;
  const Complex far(20.0, -35.0);
  for (const char* text : {"50:0.66:0:40", "RG-58:40"}) {
    const TransmissionLine line = LineOf(text);
    const Complex z0 = line.CharacteristicImpedance(f);
    const double alpha = line.Propagation(f).real();
    const SmithLinePath path = FeedlinePath(line, f, far, 75.0);
    const auto own = [&](Complex gamma75) {
      const Complex z = 75.0 * (1.0 + gamma75) / (1.0 - gamma75);
      return std::abs((z - z0) / (z + z0));
    };
    const double start = own(path.trace.front());
    const std::size_t steps = path.trace.size() - 1;
    for (std::size_t i = 0; i <= steps; ++i) {
      const double d = line.Length() * static_cast<double>(i) / static_cast<double>(steps);
      EXPECT_NEAR(own(path.trace[i]), start * std::exp(-2.0 * alpha * d), 1e-9) << text << " " << i;
    }
    if (alpha > 0.0) {
      EXPECT_LT(own(path.trace.back()), start * 0.95) << text;
    }
  }
}

// A line of many half waves gets enough steps for each turn to be drawn round.
TEST(SmithFeedline, ALongLineGetsStepsForEveryTurn) {
  const TransmissionLine line = LineOf("50:0.66:0:200");
  const double f = 30e6;
  const double turns = line.Propagation(f).imag() * line.Length() / std::numbers::pi;
  const SmithLinePath path = FeedlinePath(line, f, {100.0, 0.0}, 50.0);
  EXPECT_GE(static_cast<double>(path.trace.size()), turns * kSmithLineStepsPerTurn);
}

// In the response window the line ends where the network's path begins (the load as the network
// sees it), with the line at the load; without a line there is no feedline path.
TEST(SmithFeedline, TheResponseViewJoinsTheLineToTheNetworksPath) {
  DesignModel model;
  ResponseView view;
  UpdateResponseView(model, ResponseSettings{}, view);
  EXPECT_FALSE(view.feedline);
  ASSERT_EQ(model.PutFeedline("RG-213:30", MeasuredSideKind::Load), "");
  UpdateResponseView(model, ResponseSettings{}, view);
  ASSERT_TRUE(view.hasNetwork);
  ASSERT_TRUE(view.feedline);
  EXPECT_EQ(view.feedlineName, "30 m of RG-213");
  EXPECT_EQ(view.summaryLines.back(), "Load seen through 30 m of RG-213");
  EXPECT_NEAR(std::abs(view.feedline->far.impedance - Complex(300.0, 0.0)), 0.0, 1e-9);
  ASSERT_FALSE(view.path.nodes.empty());
  // The network sees the line's samples, interpolated within about 1e-5.
  EXPECT_NEAR(std::abs(view.feedline->near.impedance - view.path.nodes.front().impedance), 0.0,
              1e-5 * std::abs(view.feedline->near.impedance));
}

}  // namespace
}  // namespace corvantile
