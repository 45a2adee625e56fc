#include "design/symbols.h"

#include <cmath>
#include <functional>
#include <ostream>
#include <string>

#include <gtest/gtest.h>

#include "drawing_inspection.h"
#include "toolkit/recording_toolkit.h"

namespace corvantile {
namespace {

using testing::ArcCentresX;
using testing::CallsOfKind;
using testing::HorizontalCoverage;
using toolkit::DrawCall;
using toolkit::RecordingSurface;
using toolkit::Rgb;

constexpr Rgb kBlack{0, 0, 0};
constexpr Rgb kWhite{255, 255, 255};

struct SymbolCase {
  std::string name;
  std::function<void(toolkit::Surface&, Pen&)> draw;
  float advance;
  bool breaksUpperRail;  // a series part interrupts the upper rail
};

void PrintTo(const SymbolCase& symbol, std::ostream* os) { *os << symbol.name; }

class SymbolTest : public ::testing::TestWithParam<SymbolCase> {};

// Every symbol joins its neighbours: the lower rail runs unbroken across its whole width, the
// upper rail too unless a series part sits in it, and the pen moves by the symbol's width only.
TEST_P(SymbolTest, AdvancesByItsWidthAndKeepsTheRailsJoined) {
  RecordingSurface surface;
  Pen pen{.x = 1000, .y = 800, .colour = kBlack};
  GetParam().draw(surface, pen);

  EXPECT_EQ(pen.x, 1000 + GetParam().advance);
  EXPECT_EQ(pen.y, 800);
  using Span = std::pair<double, double>;
  const double end = 1000.0 + static_cast<double>(GetParam().advance);
  EXPECT_EQ(HorizontalCoverage(surface.calls(), 1840), (std::vector<Span>{{1000, end}}));
  const auto upper = HorizontalCoverage(surface.calls(), 800);
  ASSERT_FALSE(upper.empty());
  EXPECT_EQ(upper.front().first, 1000);
  EXPECT_EQ(upper.back().second, end);
  EXPECT_EQ(upper.size() > 1, GetParam().breaksUpperRail);
}

TEST_P(SymbolTest, StaysWithinItsOwnWidthAndTheRails) {
  RecordingSurface surface;
  Pen pen{.x = 1000, .y = 800, .colour = kBlack};
  GetParam().draw(surface, pen);
  const double end = 1000.0 + static_cast<double>(GetParam().advance);
  for (const DrawCall& call : surface.calls()) {
    const bool arc = call.kind == DrawCall::Kind::Arc;  // (x1, y1) is the centre
    const double reach = arc ? call.radius : 0.0;
    const double x2 = arc ? call.x1 : call.x2;
    const double y2 = arc ? call.y1 : call.y2;
    EXPECT_GE(std::min(call.x1, x2) - reach, 1000) << GetParam().name;
    EXPECT_LE(std::max(call.x1, x2) + reach, end) << GetParam().name;
    EXPECT_GE(std::min(call.y1, y2) - reach, 800 - 120) << GetParam().name;
    EXPECT_LE(std::max(call.y1, y2) + reach, 1840) << GetParam().name;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Symbols, SymbolTest,
    ::testing::Values(
        SymbolCase{"WireStep", [](auto& s, auto& p) { DrawWireStep(s, p); }, 160, false},
        SymbolCase{"SeriesInductor", [](auto& s, auto& p) { DrawSeriesInductor(s, p); }, 960, true},
        SymbolCase{"ShuntInductor", [](auto& s, auto& p) { DrawShuntInductor(s, p); }, 640, false},
        SymbolCase{"SeriesCapacitor", [](auto& s, auto& p) { DrawSeriesCapacitor(s, p); }, 680,
                   true},
        SymbolCase{"ShuntCapacitor", [](auto& s, auto& p) { DrawShuntCapacitor(s, p); }, 640,
                   false}),
    [](const auto& param) { return param.param.name; });

TEST(SeriesInductor, HumpsAboveTheRailCentredEvery160) {
  RecordingSurface surface;
  Pen pen{.x = 1880, .y = 800, .colour = kBlack};
  DrawSeriesInductor(surface, pen);
  const auto arcs = CallsOfKind(surface.calls(), DrawCall::Kind::Arc);
  ASSERT_EQ(arcs.size(), 3u);
  const double pi = static_cast<double>(static_cast<float>(4.0 * std::atan(1.0)));
  for (std::size_t i = 0; i < arcs.size(); ++i) {
    EXPECT_EQ(arcs[i].x1, 2200 + 160.0 * static_cast<double>(i));
    EXPECT_EQ(arcs[i].y1, 800);
    EXPECT_EQ(arcs[i].radius, 80);
    EXPECT_EQ(arcs[i].startAngle, 0);
    EXPECT_EQ(arcs[i].endAngle, pi);  // the single-precision pi, not M_PI
    EXPECT_EQ(arcs[i].colour, kBlack);
  }
  EXPECT_EQ(pen.x, 2840);
}

TEST(ShuntInductor, CoilInItsOwnColourBulgingRightFromRailToRail) {
  RecordingSurface surface;
  Pen pen{.x = 5480, .y = 800, .colour = kBlack};
  DrawShuntInductor(surface, pen);
  const Rgb coil{15, 0, 0};
  const auto arcs = CallsOfKind(surface.calls(), DrawCall::Kind::Arc);
  ASSERT_EQ(arcs.size(), 3u);
  for (std::size_t i = 0; i < arcs.size(); ++i) {
    EXPECT_EQ(arcs[i].x1, 5800);
    EXPECT_EQ(arcs[i].y1, 1160 + 160.0 * static_cast<double>(i));
    EXPECT_GT(arcs[i].startAngle, arcs[i].endAngle);  // right half: 1.5 pi round to 0.5 pi
    EXPECT_EQ(arcs[i].colour, coil);
  }
  // The vertical leads are in the coil colour and, with the arcs, span the rails.
  double covered = 0;
  for (const DrawCall& line : CallsOfKind(surface.calls(), DrawCall::Kind::Line)) {
    if (line.x1 == 5800 && line.x2 == 5800) {
      EXPECT_EQ(line.colour, coil);
      covered += std::abs(line.y2 - line.y1);
    } else {
      EXPECT_EQ(line.colour, kBlack);
    }
  }
  EXPECT_EQ(covered + 3 * 160, 1040);
}

TEST(ShuntInductor, ExplicitCoilColour) {
  RecordingSurface surface;
  Pen pen{.x = 0, .y = 0, .colour = kWhite, .width = 2};
  DrawShuntInductor(surface, pen, kWhite);
  for (const DrawCall& call : surface.calls()) {
    EXPECT_EQ(call.colour, kWhite);
    EXPECT_EQ(call.width, 2);
  }
}

TEST(Capacitors, PlateGapsAndPositions) {
  RecordingSurface series;
  Pen pen{.x = 5820, .y = 3200, .colour = kWhite, .width = 2};
  DrawSeriesCapacitor(series, pen);
  std::vector<double> plates;
  for (const DrawCall& line : CallsOfKind(series.calls(), DrawCall::Kind::Line)) {
    if (line.x1 == line.x2) {
      plates.push_back(line.x1);
      EXPECT_EQ(line.y1, 3080);
      EXPECT_EQ(line.y2, 3320);
    }
    EXPECT_EQ(line.width, 2);
  }
  EXPECT_EQ(plates, (std::vector<double>{6140, 6204}));
  EXPECT_EQ(pen.x, 6500);

  RecordingSurface shunt;
  pen = Pen{.x = 6500, .y = 3200, .colour = kWhite};
  DrawShuntCapacitor(shunt, pen);
  std::vector<double> plateHeights;
  for (const DrawCall& line : CallsOfKind(shunt.calls(), DrawCall::Kind::Line)) {
    if (line.y1 == line.y2 && line.x1 == 6700 && line.x2 == 6940) plateHeights.push_back(line.y1);
  }
  EXPECT_EQ(plateHeights, (std::vector<double>{3680, 3740}));
  EXPECT_EQ(pen.x, 7140);
}

TEST(ResistorZigzag, OneConnectedLineFromRailToRailWithoutMovingThePen) {
  RecordingSurface surface;
  const Pen pen{.x = 1560, .y = 800, .colour = kBlack};
  DrawResistorZigzag(surface, pen);
  const auto lines = CallsOfKind(surface.calls(), DrawCall::Kind::Line);
  ASSERT_EQ(lines.size(), 9u);
  EXPECT_EQ(lines.front().x1, 1560);
  EXPECT_EQ(lines.front().y1, 800);
  EXPECT_EQ(lines.back().x2, 1560);
  EXPECT_EQ(lines.back().y2, 1840);
  for (std::size_t i = 1; i < lines.size(); ++i) {
    EXPECT_EQ(lines[i].x1, lines[i - 1].x2);
    EXPECT_EQ(lines[i].y1, lines[i - 1].y2);
  }
  double left = 1e9, right = -1e9;
  for (const DrawCall& line : lines) {
    left = std::min({left, line.x1, line.x2});
    right = std::max({right, line.x1, line.x2});
  }
  EXPECT_EQ(left, 1500);
  EXPECT_EQ(right, 1620);
}

}  // namespace
}  // namespace corvantile
