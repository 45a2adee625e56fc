// The schematic RefreshDesign draws: panel, source, network and load sections.
#include <cmath>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "design_fixture.h"
#include "drawing_inspection.h"
#include "units/format.h"

namespace corvantile {
namespace {

using testing::ArcCentresX;
using testing::CallsOfKind;
using testing::DesignWindowTest;
using testing::HorizontalCoverage;
using toolkit::DrawCall;
using Span = std::pair<double, double>;

constexpr double kLowerRail = 1840;

struct Printed {
  double x, y;
  std::string text;
  friend bool operator==(const Printed&, const Printed&) = default;
  friend std::ostream& operator<<(std::ostream& os, const Printed& p) {
    return os << "(" << p.x << ", " << p.y << ") '" << p.text << "'";
  }
};

std::vector<Printed> PrintedBetween(const toolkit::RecordingSurface& surface, double xMin,
                                    double xMax) {
  std::vector<Printed> texts;
  for (const auto& text : surface.printed()) {
    if (text.x >= xMin && text.x < xMax) texts.push_back({text.x, text.y, text.text});
  }
  return texts;
}

// Left x of each series capacitor's first plate and the x of each shunt capacitor.
std::vector<double> SeriesPlates(const std::vector<DrawCall>& calls, double xMin, double xMax) {
  std::vector<double> xs;
  for (const DrawCall& line : CallsOfKind(calls, DrawCall::Kind::Line, xMin, xMax)) {
    if (line.x1 == line.x2 && line.y2 - line.y1 == 240) xs.push_back(line.x1);
  }
  return xs;
}
std::vector<double> ShuntPlates(const std::vector<DrawCall>& calls, double xMin, double xMax) {
  std::vector<double> xs;
  for (const DrawCall& line : CallsOfKind(calls, DrawCall::Kind::Line, xMin, xMax)) {
    if (line.y1 == 1280 && line.y2 == 1280 && line.x2 - line.x1 == 240) {
      xs.push_back(line.x1 + 120);  // the upper plate
    }
  }
  return xs;
}
// The x of each resistor: the top of its zigzag, a vertical line from the upper rail.
std::vector<double> Resistors(const std::vector<DrawCall>& calls, double xMin, double xMax) {
  std::vector<double> xs;
  for (const DrawCall& line : CallsOfKind(calls, DrawCall::Kind::Line, xMin, xMax)) {
    if (line.x1 == line.x2 && line.y1 == 800 && line.y2 == 1120) xs.push_back(line.x1);
  }
  return xs;
}

TEST_F(DesignWindowTest, PanelIsPaintedFirstOnACleanSurface) {
  Load();
  ASSERT_GE(calls().size(), 3u);
  EXPECT_EQ(calls()[0].kind, DrawCall::Kind::Clear);
  const DrawCall& fill = calls()[1];
  EXPECT_EQ(fill.kind, DrawCall::Kind::FillRect);
  EXPECT_EQ((std::vector<double>{fill.x1, fill.y1, fill.x2, fill.y2}),
            (std::vector<double>{3450, 200, 8500, 4800}));
  EXPECT_EQ(fill.colour, (toolkit::Rgb{221, 248, 255}));
  const DrawCall& outline = calls()[2];
  EXPECT_EQ(outline.kind, DrawCall::Kind::OutlineRect);
  EXPECT_EQ((std::vector<double>{outline.x1, outline.y1, outline.x2, outline.y2}),
            (std::vector<double>{3450, 200, 8500, 4800}));
  EXPECT_EQ(outline.colour, (toolkit::Rgb{17, 255, 255}));
}

// ---- Source -------------------------------------------------------------------------------

struct SideCase {
  std::string name;
  float form;
  float r, x, part;  // R and X (or part value) of the entered form
  double railEnd;
  std::vector<double> arcs, seriesPlates, shuntPlates;
  double resistorX;
  std::optional<Printed> partText;  // text filled in from the reduced values when empty
};

void PrintTo(const SideCase& side, std::ostream* os) { *os << side.name; }

// A part text expected at (x, y); an empty text stands for the formatted part value.
std::optional<Printed> At(double x, double y, std::string text = "") {
  return Printed{x, y, std::move(text)};
}
constexpr std::nullopt_t kNoText = std::nullopt;

void Enter(ImpedanceValues& values, const SideCase& side) {
  values[EntryForm] = side.form;
  if (side.form == FormSeriesReactance || side.form == FormSeriesPart) {
    values[SeriesR] = side.r;
  } else {
    values[ParallelR] = side.r;
    values[SeriesR] = side.r;  // unknown codes show the series resistance
  }
  if (side.form == FormSeriesReactance) values[SeriesX] = side.x;
  if (side.form == FormParallelReactance) values[ParallelX] = side.x;
  if (side.form == FormSeriesPart) values[SeriesPart] = side.part;
  if (side.form == FormParallelPart) values[ParallelPart] = side.part;
}

class SourceDrawingTest : public DesignWindowTest,
                          public ::testing::WithParamInterface<SideCase> {};

TEST_P(SourceDrawingTest, DrawsTheEnteredFormAndPrintsItsValues) {
  const SideCase& side = GetParam();
  Enter(state.SourceValues, side);
  Load();
  const ImpedanceValues& source = state.SourceValues;
  const auto& drawn = calls();
  EXPECT_EQ(HorizontalCoverage(drawn, kLowerRail, 0, 4000),
            (std::vector<Span>{{1560, side.railEnd}}));
  EXPECT_EQ(ArcCentresX(drawn, 0, 4000), side.arcs);
  EXPECT_EQ(SeriesPlates(drawn, 0, 4000), side.seriesPlates);
  EXPECT_EQ(ShuntPlates(drawn, 0, 4000), side.shuntPlates);
  EXPECT_EQ(Resistors(drawn, 0, 4000), (std::vector<double>{1560}));

  const bool parallel = side.form == FormParallelReactance || side.form == FormParallelPart;
  std::vector<Printed> expected{
      {800, 1200, FormatQuantity(parallel ? source[ParallelR] : source[SeriesR])}};
  if (side.partText) {
    Printed part = *side.partText;
    if (part.text.empty()) {
      const float value = parallel ? source[ParallelPart] : source[SeriesPart];
      part.text = value > 0 ? FormatInductance(value) : FormatCapacitance(std::fabs(value));
    }
    expected.push_back(part);
  }
  expected.push_back({2300, 2200, FormatQuantity(source[Angle]) + "deg"});
  EXPECT_EQ(PrintedBetween(window.surface(), 0, 4000), expected);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(EntryForms, SourceDrawingTest,
    ::testing::Values(
        // Two steps, four steps, three steps: no part, nothing printed for it.
        SideCase{"SeriesResistive", 1, 1500, 0, 0, 3000, {}, {}, {}, 1560, kNoText},
        SideCase{"SeriesInductive", 1, 1500, 200, 0, 3320, {2200, 2360, 2520}, {}, {}, 1560, At(1700, 360)},
        SideCase{"SeriesCapacitive", 1, 50, -200, 0, 3040, {}, {2200, 2264}, {}, 1560, At(1700, 360)},
        SideCase{"ParallelInductive", 2, 1500, 500, 0, 3000, {2200, 2200, 2200}, {}, {}, 1560, At(2370, 1200)},
        SideCase{"ParallelCapacitive", 2, 1500, -500, 0, 3000, {}, {}, {2200}, 1560, At(2370, 1200)},
        SideCase{"SeriesPartInductor", 3, 75, 0, 1e-5f, 3320, {2200, 2360, 2520}, {}, {}, 1560, At(1700, 360, "10 uH")},
        SideCase{"ParallelPartCapacitor", 4, 600, 0, -1e-10f, 3000, {}, {}, {2200}, 1560, At(2370, 1200, "100 pF")},
        // A code no dialog stores: the resistor and five wire steps, no part.
        SideCase{"UnknownForm", 0, 1500, 0, 0, 2360, {}, {}, {}, 1560, kNoText}),
    [](const auto& param) { return param.param.name; });
// clang-format on

// ---- Load ---------------------------------------------------------------------------------

class LoadDrawingTest : public DesignWindowTest, public ::testing::WithParamInterface<SideCase> {};

TEST_P(LoadDrawingTest, DrawsTheEnteredFormAndPrintsItsValues) {
  const SideCase& side = GetParam();
  Enter(state.LoadValues, side);
  Load();
  const ImpedanceValues& load = state.LoadValues;
  const auto& drawn = calls();
  EXPECT_EQ(HorizontalCoverage(drawn, kLowerRail, 8600, 12000),
            (std::vector<Span>{{9060, side.railEnd}}));
  EXPECT_EQ(ArcCentresX(drawn, 8600, 12000), side.arcs);
  EXPECT_EQ(SeriesPlates(drawn, 8600, 12000), side.seriesPlates);
  EXPECT_EQ(ShuntPlates(drawn, 8600, 12000), side.shuntPlates);
  EXPECT_EQ(Resistors(drawn, 8600, 12000), (std::vector<double>{side.resistorX}));
  EXPECT_EQ(design.PenX(), static_cast<float>(side.resistorX));
  EXPECT_EQ(design.PenY(), 800);

  const bool parallel = side.form == FormParallelReactance || side.form == FormParallelPart;
  std::vector<Printed> expected;
  if (side.partText) {
    Printed part = *side.partText;
    if (part.text.empty()) {
      const float value = parallel ? load[ParallelPart] : load[SeriesPart];
      part.text = value > 0 ? FormatInductance(value) : FormatCapacitance(std::fabs(value));
    }
    // A parallel part's text ends near x 9720 at 90 units a character.
    if (parallel) part.x = 9720 - 90 * static_cast<double>(part.text.size());
    expected.push_back(part);
  }
  expected.push_back({side.resistorX - 1120, 2800, FormatQuantity(load[Angle]) + "deg"});
  expected.push_back(
      {side.resistorX + 300, 1200, FormatEngineering(parallel ? load[ParallelR] : load[SeriesR])});
  EXPECT_EQ(PrintedBetween(window.surface(), 5000, 12000), expected);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(EntryForms, LoadDrawingTest,
    ::testing::Values(
        // Six wire steps to 10020, the angle at 9220, two more to the resistor at 10340.
        SideCase{"SeriesResistive", 1, 300, 0, 0, 10340, {}, {}, {}, 10340, kNoText},
        SideCase{"SeriesInductive", 1, 300, 200, 0, 10660, {9380, 9540, 9700}, {}, {}, 10660, At(9200, 360)},
        SideCase{"SeriesCapacitive", 1, 50, -25, 0, 10700, {}, {9700, 9764}, {}, 10700, At(9200, 360)},
        SideCase{"ParallelInductive", 2, 300, 500, 0, 10660, {10020, 10020, 10020}, {}, {}, 10660, At(0, 1200)},
        // "0.047 uF" has eight characters: printed at 9720 - 720 = 9000.
        SideCase{"ParallelPartCapacitor", 4, 300, 0, -4.7e-8f, 10660, {}, {}, {10020}, 10660, At(9000, 1200, "0.047 uF")},
        SideCase{"SeriesPartInductor", 3, 300, 0, 2.2e-7f, 10660, {9380, 9540, 9700}, {}, {}, 10660, At(9200, 360, "220 nH")},
        SideCase{"UnknownForm", 5, 300, 0, 0, 9380, {}, {}, {}, 9380, kNoText}),
    [](const auto& param) { return param.param.name; });
// clang-format on

// ---- Network ------------------------------------------------------------------------------

struct NetworkCase {
  std::string name;
  float family;
  float x1, x2, x3;  // element reactances, ohms (part values follow at 3.75 MHz)
  std::optional<double> railEnd;
  std::vector<double> arcs, seriesPlates, shuntPlates;
};

void PrintTo(const NetworkCase& network, std::ostream* os) { *os << network.name; }

class NetworkDrawingTest : public DesignWindowTest,
                           public ::testing::WithParamInterface<NetworkCase> {};

TEST_P(NetworkDrawingTest, DrawsTheElementsWithPartsInRange) {
  const NetworkCase& network = GetParam();
  // Analysis only: the stored reactances stand and only their part values are derived.
  state.NetValues[DesignMode] = -1;
  state.NetValues[NetworkFamily] = network.family;
  state.NetValues[NetX1] = network.x1;
  state.NetValues[NetX2] = network.x2;
  state.NetValues[NetX3] = network.x3;
  Load();
  const auto& drawn = calls();
  const auto rail = HorizontalCoverage(drawn, kLowerRail, 4700, 8600);
  if (network.railEnd) {
    EXPECT_EQ(rail, (std::vector<Span>{{4800, *network.railEnd}}));
  } else {
    EXPECT_TRUE(rail.empty());
  }
  EXPECT_EQ(ArcCentresX(drawn, 4700, 8600), network.arcs);
  EXPECT_EQ(SeriesPlates(drawn, 4700, 8600), network.seriesPlates);
  EXPECT_EQ(ShuntPlates(drawn, 4700, 8600), network.shuntPlates);
  EXPECT_TRUE(PrintedBetween(window.surface(), 3450, 8500).empty());  // labels show the values
}

const float kOmega = static_cast<float>(8.0 * std::atan(1.0) * 3750000.0);

// clang-format off
INSTANTIATE_TEST_SUITE_P(Families, NetworkDrawingTest,
    ::testing::Values(
        // Series capacitor 4800-5480, shunt inductor 5480-6120 (coil at 5800), series inductor
        // 6120-7080.
        NetworkCase{"TeeCapInductorInductor", 1, -200, 150, 300, 7080, {5800, 5800, 5800, 6440, 6600, 6760}, {5120, 5184}, {}},
        // Element 2 of 2 H has its captions but no symbol; element 3 follows element 1.
        NetworkCase{"PiWithTwoHenryMiddle", 2, -300, 2 * kOmega, -100, 6080, {}, {}, {5120, 5760}},
        NetworkCase{"PiInductorCapInductor", 2, 300, -200, 400, 6760, {5120, 5120, 5120, 6440, 6440, 6440}, {5760, 5824}, {}},
        NetworkCase{"TeeWithoutMiddle", 1, 200, 0, -100, 6440, {5120, 5280, 5440}, {6080, 6144}, {}},
        NetworkCase{"LowpassLWithoutElement1", 3, 0, 200, -100, 6400, {5120, 5280, 5440}, {}, {6080}},
        NetworkCase{"HighpassLLikePi", 4, 300, -200, 0, 6120, {5120, 5120, 5120}, {5760, 5824}, {}},
        NetworkCase{"UnknownFamilyDrawsNothing", 0, -200, 150, 300, std::nullopt, {}, {}, {}}),
    [](const auto& param) { return param.param.name; });
// clang-format on

// ---- Printed texts ------------------------------------------------------------------------

TEST_F(DesignWindowTest, EveryTextIsPrintedAfterAWhitePointAtItsCorner) {
  state.SourceValues[SeriesX] = 200;
  state.LoadValues[EntryForm] = 2;
  state.LoadValues[ParallelR] = 300;
  state.LoadValues[ParallelX] = -400;
  Load();
  const auto& drawn = calls();
  int texts = 0;
  for (std::size_t i = 0; i < drawn.size(); ++i) {
    if (drawn[i].kind != DrawCall::Kind::Print) continue;
    ++texts;
    ASSERT_GT(i, 0u);
    EXPECT_EQ(drawn[i - 1].kind, DrawCall::Kind::Point);
    EXPECT_EQ(drawn[i - 1].colour, (toolkit::Rgb{255, 255, 255}));
    EXPECT_EQ(drawn[i - 1].x1, drawn[i].x1);
    EXPECT_EQ(drawn[i - 1].y1, drawn[i].y1);
  }
  EXPECT_EQ(texts, 6);  // source R, part, angle; load part, angle, R
}

}  // namespace
}  // namespace corvantile
