#pragma once

// The preferred-number series parts are sold in (E3 to E192), and the standard value nearest a
// designed one.
#include <optional>
#include <span>
#include <string_view>
#include <vector>

namespace corvantile {

enum class StandardSeries { E3, E6, E12, E24, E48, E96, E192 };

inline constexpr StandardSeries kDefaultInductorSeries = StandardSeries::E12;
inline constexpr StandardSeries kDefaultCapacitorSeries = StandardSeries::E24;

// The values of one decade as whole numbers, ascending: E3 -> 10, 22, 47; E48 and finer in three
// digits, 100 to 976. These are the published tables, not 10^(i/N) rounded: E24 has 27, 30, 33,
// 36, 39, 43, 47 and 82 where rounding gives 26, 29, 32, 35, 38, 42, 46 and 83, and E192 has 920
// where rounding gives 919.
std::span<const int> SeriesDecade(StandardSeries series);

// Values per decade: E12 -> 12.
int SeriesCount(StandardSeries series);

// "E12"; ParseStandardSeries("e12") -> E12, "E7" -> nothing.
std::string_view SeriesName(StandardSeries series);
std::optional<StandardSeries> ParseStandardSeries(std::string_view text);

// A standard value as a position on the series: value = decade-table[index] x 10^exponent, the
// exponent counting from the table's own digits (E12 index 7 "39" with exponent -12 is 39 pF).
struct StandardValue {
  StandardSeries series = StandardSeries::E12;
  int exponent = 0;
  int index = 0;
  double Value() const;
  // The next value up or down, `steps` places away, crossing decades: E12 82e-12 + 1 -> 100e-12.
  StandardValue Shifted(int steps) const;
};

// The standard value nearest `value` (positive, finite) on a logarithmic scale, over any decade:
// E12 117.8e-12 -> 120e-12, 20.13e-6 -> 22e-6; E24 117.8e-12 -> 120e-12.
StandardValue NearestStandard(double value, StandardSeries series);
double NearestStandardValue(double value, StandardSeries series);

// The nearest value and its k neighbours on each side, ascending (2k + 1 values, the nearest in
// the middle): E12 117.8e-12 with k = 2 -> 82p, 100p, 120p, 150p, 180p.
std::vector<double> StandardNeighbours(double value, StandardSeries series, int k);

}  // namespace corvantile
