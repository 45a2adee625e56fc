#include "analysis/studies/standard_series.h"

#include <array>
#include <cctype>
#include <cmath>
#include <string>

namespace corvantile {
namespace {

constexpr std::array<int, 3> kE3 = {10, 22, 47};
constexpr std::array<int, 6> kE6 = {10, 15, 22, 33, 47, 68};
constexpr std::array<int, 12> kE12 = {10, 12, 15, 18, 22, 27, 33, 39, 47, 56, 68, 82};
constexpr std::array<int, 24> kE24 = {10, 11, 12, 13, 15, 16, 18, 20, 22, 24, 27, 30,
                                      33, 36, 39, 43, 47, 51, 56, 62, 68, 75, 82, 91};
constexpr std::array<int, 48> kE48 = {100, 105, 110, 115, 121, 127, 133, 140, 147, 154, 162, 169,
                                      178, 187, 196, 205, 215, 226, 237, 249, 261, 274, 287, 301,
                                      316, 332, 348, 365, 383, 402, 422, 442, 464, 487, 511, 536,
                                      562, 590, 619, 649, 681, 715, 750, 787, 825, 866, 909, 953};
constexpr std::array<int, 96> kE96 = {
    100, 102, 105, 107, 110, 113, 115, 118, 121, 124, 127, 130, 133, 137, 140, 143,
    147, 150, 154, 158, 162, 165, 169, 174, 178, 182, 187, 191, 196, 200, 205, 210,
    215, 221, 226, 232, 237, 243, 249, 255, 261, 267, 274, 280, 287, 294, 301, 309,
    316, 324, 332, 340, 348, 357, 365, 374, 383, 392, 402, 412, 422, 432, 442, 453,
    464, 475, 487, 499, 511, 523, 536, 549, 562, 576, 590, 604, 619, 634, 649, 665,
    681, 698, 715, 732, 750, 768, 787, 806, 825, 845, 866, 887, 909, 931, 953, 976};
constexpr std::array<int, 192> kE192 = {
    100, 101, 102, 104, 105, 106, 107, 109, 110, 111, 113, 114, 115, 117, 118, 120, 121, 123,
    124, 126, 127, 129, 130, 132, 133, 135, 137, 138, 140, 142, 143, 145, 147, 149, 150, 152,
    154, 156, 158, 160, 162, 164, 165, 167, 169, 172, 174, 176, 178, 180, 182, 184, 187, 189,
    191, 193, 196, 198, 200, 203, 205, 208, 210, 213, 215, 218, 221, 223, 226, 229, 232, 234,
    237, 240, 243, 246, 249, 252, 255, 258, 261, 264, 267, 271, 274, 277, 280, 284, 287, 291,
    294, 298, 301, 305, 309, 312, 316, 320, 324, 328, 332, 336, 340, 344, 348, 352, 357, 361,
    365, 370, 374, 379, 383, 388, 392, 397, 402, 407, 412, 417, 422, 427, 432, 437, 442, 448,
    453, 459, 464, 470, 475, 481, 487, 493, 499, 505, 511, 517, 523, 530, 536, 542, 549, 556,
    562, 569, 576, 583, 590, 597, 604, 612, 619, 626, 634, 642, 649, 657, 665, 673, 681, 690,
    698, 706, 715, 723, 732, 741, 750, 759, 768, 777, 787, 796, 806, 816, 825, 835, 845, 856,
    866, 876, 887, 898, 909, 920, 931, 942, 953, 965, 976, 988};

// 10^n exactly for the powers a double holds exactly (|n| <= 22), so that 39 x 10^-12 is the
// double nearest 39 pF rather than a product of two rounded numbers.
double PowerOfTen(int n) {
  double p = 1.0;
  for (int i = 0; i < (n < 0 ? -n : n); ++i) p *= 10.0;
  return n < 0 ? 1.0 / p : p;
}

// The table's first value: 10 for the two-digit series, 100 for the three-digit ones.
int DecadeStart(StandardSeries series) { return SeriesDecade(series).front(); }

}  // namespace

std::span<const int> SeriesDecade(StandardSeries series) {
  switch (series) {
    case StandardSeries::E3:
      return kE3;
    case StandardSeries::E6:
      return kE6;
    case StandardSeries::E12:
      return kE12;
    case StandardSeries::E24:
      return kE24;
    case StandardSeries::E48:
      return kE48;
    case StandardSeries::E96:
      return kE96;
    case StandardSeries::E192:
      break;
  }
  return kE192;
}

int SeriesCount(StandardSeries series) { return static_cast<int>(SeriesDecade(series).size()); }

std::string_view SeriesName(StandardSeries series) {
  switch (series) {
    case StandardSeries::E3:
      return "E3";
    case StandardSeries::E6:
      return "E6";
    case StandardSeries::E12:
      return "E12";
    case StandardSeries::E24:
      return "E24";
    case StandardSeries::E48:
      return "E48";
    case StandardSeries::E96:
      return "E96";
    case StandardSeries::E192:
      break;
  }
  return "E192";
}

std::optional<StandardSeries> ParseStandardSeries(std::string_view text) {
  std::string upper(text);
  for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  for (StandardSeries s :
       {StandardSeries::E3, StandardSeries::E6, StandardSeries::E12, StandardSeries::E24,
        StandardSeries::E48, StandardSeries::E96, StandardSeries::E192}) {
    if (upper == SeriesName(s)) return s;
  }
  return std::nullopt;
}

double StandardValue::Value() const {
  // Dividing by an exact power of ten rounds once; multiplying by a rounded 1e-12 would not.
  const double digits = static_cast<double>(SeriesDecade(series)[static_cast<std::size_t>(index)]);
  return exponent < 0 ? digits / PowerOfTen(-exponent) : digits * PowerOfTen(exponent);
}

StandardValue StandardValue::Shifted(int steps) const {
  const int n = SeriesCount(series);
  const int position = index + steps;
  // Floor division, so that one step below index 0 is the top of the decade below.
  const int decades = position >= 0 ? position / n : -((-position + n - 1) / n);
  return {series, exponent + decades, position - decades * n};
}

StandardValue NearestStandard(double value, StandardSeries series) {
  const std::span<const int> table = SeriesDecade(series);
  const int start = DecadeStart(series);
  // value = m x 10^e with m in [start, 10 start): the table's own digits.
  int exponent = static_cast<int>(std::floor(std::log10(value))) - (start == 10 ? 1 : 2);
  double mantissa = value / PowerOfTen(exponent);
  if (mantissa < start) {
    --exponent;
    mantissa = value / PowerOfTen(exponent);
  } else if (mantissa >= 10.0 * start) {
    ++exponent;
    mantissa = value / PowerOfTen(exponent);
  }
  // The nearest on a log scale among the decade's values and the next decade's first one.
  StandardValue best{series, exponent, 0};
  double bestDistance = std::fabs(std::log(mantissa / table[0]));
  for (std::size_t i = 1; i <= table.size(); ++i) {
    const double candidate = i < table.size() ? table[i] : 10.0 * start;
    const double distance = std::fabs(std::log(mantissa / candidate));
    if (distance < bestDistance) {
      bestDistance = distance;
      best = i < table.size() ? StandardValue{series, exponent, static_cast<int>(i)}
                              : StandardValue{series, exponent + 1, 0};
    }
  }
  return best;
}

double NearestStandardValue(double value, StandardSeries series) {
  return NearestStandard(value, series).Value();
}

std::vector<double> StandardNeighbours(double value, StandardSeries series, int k) {
  const StandardValue nearest = NearestStandard(value, series);
  std::vector<double> values;
  for (int step = -k; step <= k; ++step) values.push_back(nearest.Shifted(step).Value());
  return values;
}

}  // namespace corvantile
