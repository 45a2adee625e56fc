#include "state/startup_values.h"

#include <cmath>

#include <gtest/gtest.h>

#include "state/circuit_state.h"
#include "units/constants.h"

namespace corvantile {
namespace {

TEST(StartupValues, AngularFrequencyAndDegreeConversionAreDoublePrecision) {
  StartupValues values;
  SetStartupValues(values);
  // omega at the default 3.75 MHz; a single-precision 2 pi would be off in the second decimal.
  EXPECT_NEAR(values.TwoPi * 3750000.0, 23561944.9, 0.05);
  EXPECT_DOUBLE_EQ(values.DegreesPerRadian * std::atan(1.0), 45.0);
  EXPECT_DOUBLE_EQ(values.TwoPi, 2.0 * std::acos(-1.0));
}

// The run-time values and the compile-time circle constants are one definition: both must carry
// exactly the bits the arctangent formulas give, so no result moves when code switches between
// them.
TEST(StartupValues, CircleConstantsAreBitIdenticalToTheArctangentFormulas) {
  StartupValues values;
  SetStartupValues(values);
  EXPECT_EQ(values.Pi, static_cast<float>(4.0 * std::atan(1.0)));
  EXPECT_EQ(values.TwoPi, 8.0 * std::atan(1.0));
  EXPECT_EQ(values.DegreesPerRadian, 45.0 / std::atan(1.0));
  EXPECT_EQ(kPi, 4.0 * std::atan(1.0));
  EXPECT_EQ(kTwoPi, values.TwoPi);
  EXPECT_EQ(kDegreesPerRadian, values.DegreesPerRadian);
  EXPECT_EQ(kPiSingle, values.Pi);
}

TEST(StartupValues, SinglePrecisionConstantsHoldTheNearestFloat) {
  StartupValues values;
  SetStartupValues(values);
  EXPECT_EQ(values.Pi, static_cast<float>(std::acos(-1.0)));
  EXPECT_EQ(values.TinyMagnitude, 1e-13f);
  EXPECT_EQ(values.UnitMagnitude, 1.0f);
  EXPECT_EQ(values.VoltsShownMin, 1e-7f);
  EXPECT_EQ(values.VoltsShownMax, 1e6f);
  EXPECT_EQ(values.AmpsShownMin, 1e-6f);
  EXPECT_EQ(values.AmpsShownMax, 1e5f);
}

TEST(StartupValues, TextsAreSetAndTheSessionFileNameStaysEmpty) {
  StartupValues values;
  SetStartupValues(values);
  EXPECT_EQ(values.VersionText, "Version 3.01");
  EXPECT_FALSE(values.NoticeText.empty());
  EXPECT_FALSE(values.WebsiteText.empty());
  // Only the session writer names the file; the captions built before it carry no name.
  EXPECT_EQ(values.SessionFileName, "");
  EXPECT_EQ(MakeDefaultRunState().startup.SessionFileName, "");
}

}  // namespace
}  // namespace corvantile
