// The tolerance view without the window: the run it asks for and figures that never show NaN.
#include "response/tolerance_view.h"

#include <cmath>
#include <limits>

#include <gtest/gtest.h>

namespace corvantile {
namespace {

TEST(ToleranceView, FiguresThatAreNotFiniteShowAsADash) {
  constexpr double kInf = std::numeric_limits<double>::infinity();
  ToleranceResult r;
  r.nominalReturnLossDb = kInf;  // a perfect match
  r.percentilesDb = {10.0, 20.0, std::nan(""), kInf, kInf};
  r.worst.returnLossDb = 12.345;
  r.worst.vswr = 1.6;
  r.worst.signs = {-1, 0, 1};
  r.atDesign = {0.973, 1.0};
  r.sensitivities[0] = {2, 0.5, 0.75};
  r.sensitivities[1] = {1, 0.1, 0.25};
  r.sensitivities[2] = {3, 0.0, 0.0};
  const ToleranceFigures f = DescribeTolerance(r);
  EXPECT_EQ(f.nominal, "Nominal return loss: > 100 dB");
  EXPECT_EQ(f.percentiles, "Return loss percentiles 1/5/50/95/99: 10.0 / 20.0 / - / - / - dB");
  EXPECT_EQ(f.yieldAtDesign, "Yield at f0: 97.3 % within 1.5:1, 100.0 % within 2:1");
  EXPECT_TRUE(f.yieldOverBand.empty());
  EXPECT_EQ(f.worstCase, "Worst case (-0+): 12.35 dB, VSWR 1.60:1");
  ASSERT_EQ(f.sensitivities.size(), 2u);  // a part that does not vary is not ranked
  EXPECT_EQ(f.sensitivities[0], "Element 2: 75.0 % of the spread");
  EXPECT_EQ(f.sensitivities[1], "Element 1: 25.0 % of the spread");
}

}  // namespace
}  // namespace corvantile
