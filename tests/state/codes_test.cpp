#include "state/codes.h"

#include <array>
#include <cmath>
#include <cstdint>
#include <limits>
#include <vector>

#include <gtest/gtest.h>

#include "state/circuit_state.h"

namespace corvantile {
namespace {

// Every slot of each array has exactly one name: a name given twice or a slot left out would
// let two meanings share a value in the session file.
template <std::size_t N>
void ExpectEachSlotNamedOnce(const std::array<int, N>& names, int count) {
  ASSERT_EQ(static_cast<int>(N), count);
  std::vector<int> seen(static_cast<std::size_t>(count), 0);
  for (const int index : names) {
    ASSERT_GE(index, 0);
    ASSERT_LT(index, count);
    ++seen[static_cast<std::size_t>(index)];
  }
  for (int i = 0; i < count; ++i) EXPECT_EQ(seen[static_cast<std::size_t>(i)], 1) << "slot " << i;
}

TEST(Codes, EverySlotOfTheThreeArraysHasOneName) {
  ExpectEachSlotNamedOnce(
      std::array{Angle, SeriesR, SeriesX, SeriesPart, ParallelR, ParallelX, ParallelPart, EntryForm,
                 Spare8, EntryFormCopy, Spare10, Spare11, Spare12, Spare13, Spare14, Spare15},
      SourceValueCount);
  ExpectEachSlotNamedOnce(
      std::array{Frequency,     SolutionBranch, NetworkFamily, DesignDriver,  NetX1,
                 NetX2,         NetX3,          NetworkPhase,  InputQ,        OutputQ,
                 NetPart1,      NetPart2,       NetPart3,      IntermediateR, NetSpare14,
                 NetPart1Volts, NetPart2Volts,  NetPart3Volts, NetPart1Amps,  NetPart2Amps,
                 NetPart3Amps,  Power,          NetSpare22,    NetSpare23,    NetSpare24,
                 NetSpare25,    NetSpare26,     DesignMode,    NetSpare28,    NetSpare29,
                 NetSpare30},
      NetValueCount);
}

// Values a damaged or edited session file could hold, around and between the codes.
const float kProbes[] = {-1.0f,
                         -0.0f,
                         0.0f,
                         0.5f,
                         1.0f,
                         1.5f,
                         2.0f,
                         2.5f,
                         3.0f,
                         4.0f,
                         4.5f,
                         5.0f,
                         6.0f,
                         7.0f,
                         7.5f,
                         8.0f,
                         1e15f,
                         std::numeric_limits<float>::quiet_NaN(),
                         std::numeric_limits<float>::infinity()};

bool WholeIn(float value, float low, float high) {
  return value >= low && value <= high && value == std::floor(value);
}

// The named tests accept exactly the whole numbers of their code tables and nothing else.
TEST(Codes, NamedTestsAcceptExactlyTheWholeCodesOfTheirTables) {
  for (const float v : kProbes) {
    EXPECT_EQ(IsKnownEntryForm(v), WholeIn(v, 1.0f, 4.0f)) << v;
    EXPECT_EQ(IsSeriesEntryForm(v), v == 1.0f || v == 3.0f) << v;
    EXPECT_EQ(IsParallelEntryForm(v), v == 2.0f || v == 4.0f) << v;
    EXPECT_EQ(IsKnownFamily(v), WholeIn(v, 1.0f, 4.0f)) << v;
    EXPECT_EQ(IsLNetwork(v), v == 3.0f || v == 4.0f) << v;
    EXPECT_EQ(CountsAsLNetwork(v), v > 2.0f) << v;
    EXPECT_EQ(IsKnownDriver(v), WholeIn(v, 1.0f, 7.0f)) << v;
    EXPECT_EQ(FixesMiddleElement(v), v == 2.0f || v == 5.0f) << v;
    EXPECT_EQ(DerivesPartsOnly(v), v < 0.0f) << v;
  }
}

TEST(Codes, DriversFixTheElementTheirTableNames) {
  struct Case {
    float driver;
    int element;  // 0 for the phase
  };
  const Case cases[] = {{DriverX1, 1},    {DriverX2, 2},    {DriverX3, 3},   {DriverPart1, 1},
                        {DriverPart2, 2}, {DriverPart3, 3}, {DriverPhase, 0}};
  for (const Case& c : cases) {
    for (int k = 1; k <= 3; ++k) {
      EXPECT_EQ(DriverFixesElement(c.driver, k), c.element == k) << c.driver << " element " << k;
    }
  }
  EXPECT_EQ(DriverX1, 1.0f);
  EXPECT_EQ(DriverPart1, 4.0f);
  EXPECT_EQ(DriverPhase, 7.0f);
}

TEST(Codes, EntryKindsAndFormsMapOntoEachOther) {
  for (const std::int16_t kind :
       {KindSeriesReactance, KindParallelReactance, KindSeriesPart, KindParallelPart}) {
    EXPECT_TRUE(IsKnownEntryKind(kind));
    EXPECT_TRUE(IsKnownEntryForm(EntryFormOfKind(kind)));
    EXPECT_EQ(EntryKindOfForm(EntryFormOfKind(kind)), kind);
  }
  EXPECT_EQ(EntryFormOfKind(KindParallelPart), FormParallelPart);
  for (const std::int16_t kind : {0, 5, -1}) {
    EXPECT_FALSE(IsKnownEntryKind(static_cast<std::int16_t>(kind))) << kind;
  }
  // A code outside the four forms opens the first dialog.
  for (const float form : {0.0f, 5.0f, 2.5f, std::numeric_limits<float>::quiet_NaN()}) {
    EXPECT_EQ(EntryKindOfForm(form), KindSeriesReactance) << form;
  }
}

}  // namespace
}  // namespace corvantile
