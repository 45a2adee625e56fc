// The preferred-number tables against what is known of them from outside the code: their sizes,
// the nesting of each series in the next finer one, and the places where the published values
// differ from 10^(i/N) rounded.
#include "analysis/studies/standard_series.h"

#include <algorithm>
#include <cmath>
#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace corvantile {
namespace {

constexpr StandardSeries kAll[] = {StandardSeries::E3,  StandardSeries::E6,  StandardSeries::E12,
                                   StandardSeries::E24, StandardSeries::E48, StandardSeries::E96,
                                   StandardSeries::E192};

TEST(StandardSeriesTest, EachDecadeHasItsCountOfRisingValuesWithinOneDecade) {
  const int counts[] = {3, 6, 12, 24, 48, 96, 192};
  for (std::size_t i = 0; i < std::size(kAll); ++i) {
    const auto table = SeriesDecade(kAll[i]);
    SCOPED_TRACE(std::string(SeriesName(kAll[i])));
    EXPECT_EQ(static_cast<int>(table.size()), counts[i]);
    EXPECT_EQ(SeriesCount(kAll[i]), counts[i]);
    const int start = table.front();
    EXPECT_TRUE(start == 10 || start == 100);
    EXPECT_TRUE(std::is_sorted(table.begin(), table.end()));
    EXPECT_EQ(std::adjacent_find(table.begin(), table.end()), table.end());
    EXPECT_LT(table.back(), 10 * start);
  }
}

// A coarse series is every other value of the next finer one.
TEST(StandardSeriesTest, EachSeriesIsEveryOtherValueOfTheNextFinerOne) {
  for (std::size_t i = 0; i + 1 < std::size(kAll); ++i) {
    if (kAll[i] == StandardSeries::E24) continue;  // two digits to three: a new set of values
    const auto coarse = SeriesDecade(kAll[i]);
    const auto fine = SeriesDecade(kAll[i + 1]);
    SCOPED_TRACE(std::string(SeriesName(kAll[i])));
    ASSERT_EQ(fine.size(), 2 * coarse.size());
    for (std::size_t j = 0; j < coarse.size(); ++j) EXPECT_EQ(coarse[j], fine[2 * j]);
  }
}

// Where the tables differ from rounding 10^(i/N) to their digits: eight places in E24 (and so in
// the coarser series), only 920 in E192.
TEST(StandardSeriesTest, TablesDifferFromRoundedPowersOnlyWhereThePublishedValuesDo) {
  struct Difference {
    int index, table, rounded;
  };
  auto differences = [](StandardSeries s) {
    const auto table = SeriesDecade(s);
    const double start = table.front();
    std::vector<Difference> out;
    for (std::size_t i = 0; i < table.size(); ++i) {
      const int rounded = static_cast<int>(std::lround(
          start * std::pow(10.0, static_cast<double>(i) / static_cast<double>(table.size()))));
      if (rounded != table[i]) out.push_back({static_cast<int>(i), table[i], rounded});
    }
    return out;
  };
  const auto e24 = differences(StandardSeries::E24);
  const std::vector<std::pair<int, int>> expected24 = {{27, 26}, {30, 29}, {33, 32}, {36, 35},
                                                       {39, 38}, {43, 42}, {47, 46}, {82, 83}};
  ASSERT_EQ(e24.size(), expected24.size());
  for (std::size_t i = 0; i < e24.size(); ++i) {
    EXPECT_EQ(e24[i].table, expected24[i].first);
    EXPECT_EQ(e24[i].rounded, expected24[i].second);
  }
  EXPECT_TRUE(differences(StandardSeries::E48).empty());
  EXPECT_TRUE(differences(StandardSeries::E96).empty());
  const auto e192 = differences(StandardSeries::E192);
  ASSERT_EQ(e192.size(), 1u);
  EXPECT_EQ(e192[0].table, 920);
  EXPECT_EQ(e192[0].rounded, 919);
  // The coarse series take their values from E24, so they differ only where E24 does.
  for (StandardSeries s : {StandardSeries::E3, StandardSeries::E6, StandardSeries::E12}) {
    for (const Difference& d : differences(s)) {
      EXPECT_TRUE(std::any_of(expected24.begin(), expected24.end(),
                              [&](const auto& e) { return e.first == d.table; }))
          << SeriesName(s) << " " << d.table;
    }
  }
}

TEST(StandardSeriesTest, NamesReadBack) {
  for (StandardSeries s : kAll) EXPECT_EQ(ParseStandardSeries(SeriesName(s)), s);
  EXPECT_EQ(ParseStandardSeries("e12"), StandardSeries::E12);
  EXPECT_FALSE(ParseStandardSeries("E7").has_value());
  EXPECT_FALSE(ParseStandardSeries("").has_value());
}

struct NearestCase {
  double value;
  StandardSeries series;
  double nearest;
};

class NearestStandardTest : public ::testing::TestWithParam<NearestCase> {};

TEST_P(NearestStandardTest, PicksTheClosestValueOnALogScale) {
  const NearestCase& c = GetParam();
  EXPECT_DOUBLE_EQ(NearestStandardValue(c.value, c.series), c.nearest) << c.value;
}

INSTANTIATE_TEST_SUITE_P(
    Values, NearestStandardTest,
    ::testing::Values(NearestCase{117.768e-12, StandardSeries::E24, 120e-12},
                      NearestCase{20.13e-6, StandardSeries::E12, 22e-6},
                      NearestCase{230.9e-12, StandardSeries::E24, 240e-12},
                      NearestCase{230.9e-12, StandardSeries::E12, 220e-12},
                      // Above 82 the next decade's 100 is nearer on a log scale than 82.
                      NearestCase{92e-9, StandardSeries::E12, 100e-9},
                      NearestCase{90e-9, StandardSeries::E12, 82e-9},
                      NearestCase{1.0, StandardSeries::E3, 1.0},
                      NearestCase{9.99e3, StandardSeries::E192, 10e3},
                      NearestCase{9.19, StandardSeries::E192, 9.2},
                      NearestCase{3.3e-15, StandardSeries::E6, 3.3e-15},
                      NearestCase{4.64e9, StandardSeries::E96, 4.64e9}));

// Over many decades the nearest value is one of the series, and no other value of the series is
// closer on a log scale.
TEST(StandardSeriesTest, NearestIsNeverBeatenByAnotherValueOfTheSeries) {
  for (StandardSeries s : kAll) {
    const auto table = SeriesDecade(s);
    for (double value = 1.234e-13; value < 1e4; value *= 1.0371) {
      const double nearest = NearestStandardValue(value, s);
      const double distance = std::fabs(std::log(value / nearest));
      const int e = static_cast<int>(std::floor(std::log10(value)));
      for (int decade = e - 3; decade <= e; ++decade) {
        for (int t : table) {
          const double other = t * std::pow(10.0, decade);
          EXPECT_LE(distance, std::fabs(std::log(value / other)) + 1e-12)
              << SeriesName(s) << " " << value << " " << nearest << " " << other;
        }
      }
    }
  }
}

TEST(StandardSeriesTest, NeighboursCrossDecades) {
  const std::vector<double> n = StandardNeighbours(117.768e-12, StandardSeries::E12, 2);
  ASSERT_EQ(n.size(), 5u);
  const double expected[] = {82e-12, 100e-12, 120e-12, 150e-12, 180e-12};
  for (std::size_t i = 0; i < 5; ++i) EXPECT_DOUBLE_EQ(n[i], expected[i]);
  const std::vector<double> up = StandardNeighbours(8.2, StandardSeries::E3, 1);
  ASSERT_EQ(up.size(), 3u);
  EXPECT_DOUBLE_EQ(up[0], 4.7);
  EXPECT_DOUBLE_EQ(up[1], 10.0);
  EXPECT_DOUBLE_EQ(up[2], 22.0);
}

}  // namespace
}  // namespace corvantile
