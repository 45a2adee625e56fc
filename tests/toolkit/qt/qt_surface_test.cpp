#include "toolkit/qt/qt_surface.h"

#include <cmath>
#include <numbers>

#include <gtest/gtest.h>

#include <QColor>
#include <QImage>

#include "support/qt/pixels.h"
#include "toolkit/qt/qt_fonts.h"

namespace corvantile::toolkit {
namespace {

constexpr Rgb kWhite{255, 255, 255};
constexpr Rgb kBlack{0, 0, 0};
constexpr Rgb kRed{255, 0, 0};
constexpr double kPi = std::numbers::pi;

// 15 twips per unit: one logical unit is one pixel.
constexpr LogicalScale kPixelScale{15, 15};

using testing::PixelAt;

bool Inked(const QImage& image, int x, int y) { return PixelAt(image, x, y) != kWhite; }

// Any pixel within one of (x, y) differs from the background.
bool InkedNear(const QImage& image, int x, int y) {
  for (int dy = -1; dy <= 1; ++dy) {
    for (int dx = -1; dx <= 1; ++dx) {
      if (Inked(image, x + dx, y + dy)) return true;
    }
  }
  return false;
}

class QtSurfaceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    surface.SetScale(kPixelScale);
    surface.SetBackground(kWhite);
    surface.Resize(QSize(100, 100));
    surface.Clear();
  }
  QtSurface surface;
};

TEST_F(QtSurfaceTest, LineCoversItsEndsAndNothingBesideIt) {
  surface.Line(10, 20, 50, 20, kRed);
  const QImage& image = surface.image();
  EXPECT_EQ(PixelAt(image, 10, 20), kRed);
  EXPECT_EQ(PixelAt(image, 30, 20), kRed);
  EXPECT_EQ(PixelAt(image, 50, 20), kRed);
  EXPECT_EQ(PixelAt(image, 30, 19), kWhite);
  EXPECT_EQ(PixelAt(image, 30, 21), kWhite);
  EXPECT_EQ(PixelAt(image, 53, 20), kWhite);
}

TEST_F(QtSurfaceTest, VerticalAndSlantedLinesCoverTheirEndsToo) {
  surface.Line(70, 40, 70, 10, kRed);
  surface.Line(10, 50, 30, 70, kRed);
  const QImage& image = surface.image();
  EXPECT_EQ(PixelAt(image, 70, 10), kRed);
  EXPECT_EQ(PixelAt(image, 70, 40), kRed);
  EXPECT_EQ(PixelAt(image, 71, 25), kWhite);
  EXPECT_EQ(PixelAt(image, 70, 41), kWhite);
  EXPECT_EQ(PixelAt(image, 10, 50), kRed);
  EXPECT_EQ(PixelAt(image, 20, 60), kRed);
  EXPECT_EQ(PixelAt(image, 30, 70), kRed);
  EXPECT_EQ(PixelAt(image, 20, 62), kWhite);
}

TEST_F(QtSurfaceTest, WideLineIsWidthPixelsThick) {
  surface.Line(10, 20, 50, 20, kBlack, 3);
  const QImage& image = surface.image();
  EXPECT_EQ(PixelAt(image, 30, 19), kBlack);
  EXPECT_EQ(PixelAt(image, 30, 21), kBlack);
  EXPECT_EQ(PixelAt(image, 30, 23), kWhite);
}

int InkedAlongRow(const QImage& image, int y, int from, int to) {
  int count = 0;
  for (int x = from; x <= to; ++x) count += Inked(image, x, y) ? 1 : 0;
  return count;
}

TEST_F(QtSurfaceTest, DottedLineHasGapsOnlyWhenOnePixelWide) {
  surface.Line(10, 20, 90, 20, kBlack, 1, LineStyle::Dotted);
  surface.Line(10, 60, 90, 60, kBlack, 2, LineStyle::Dotted);
  const QImage& image = surface.image();
  const int dotted = InkedAlongRow(image, 20, 12, 88);
  EXPECT_GT(dotted, 10);
  EXPECT_LT(dotted, 77);
  EXPECT_EQ(InkedAlongRow(image, 60, 12, 88), 77);
}

TEST_F(QtSurfaceTest, FilledRectangleIncludesBothCorners) {
  surface.FillRect(20, 15, 10, 10, kRed);  // corners in either order
  const QImage& image = surface.image();
  EXPECT_EQ(PixelAt(image, 10, 10), kRed);
  EXPECT_EQ(PixelAt(image, 20, 15), kRed);
  EXPECT_EQ(PixelAt(image, 15, 12), kRed);
  EXPECT_EQ(PixelAt(image, 9, 10), kWhite);
  EXPECT_EQ(PixelAt(image, 21, 10), kWhite);
  EXPECT_EQ(PixelAt(image, 10, 9), kWhite);
  EXPECT_EQ(PixelAt(image, 10, 16), kWhite);
}

TEST_F(QtSurfaceTest, RectangleOutlineLeavesTheInsideAlone) {
  surface.OutlineRect(10, 10, 30, 20, kRed);
  const QImage& image = surface.image();
  EXPECT_EQ(PixelAt(image, 10, 10), kRed);
  EXPECT_EQ(PixelAt(image, 30, 20), kRed);
  EXPECT_EQ(PixelAt(image, 20, 10), kRed);
  EXPECT_EQ(PixelAt(image, 10, 15), kRed);
  EXPECT_EQ(PixelAt(image, 20, 15), kWhite);
  EXPECT_EQ(PixelAt(image, 31, 10), kWhite);
  EXPECT_EQ(PixelAt(image, 20, 21), kWhite);
}

// An arc from start to end, counter-clockwise on the screen, and the angles (radians from
// +x, counter-clockwise) of points on its circle that must be drawn and must not be.
struct ArcCase {
  const char* name;
  double start, end;
  double drawnAt, blankAt;
};

class QtSurfaceArcTest : public QtSurfaceTest, public ::testing::WithParamInterface<ArcCase> {};

TEST_P(QtSurfaceArcTest, DrawsTheCounterClockwiseSweepOnly) {
  const ArcCase& arc = GetParam();
  constexpr double cx = 50, cy = 50, r = 20;
  surface.Arc(cx, cy, r, arc.start, arc.end, kBlack);
  const QImage& image = surface.image();
  const auto pointAt = [&](double angle) {
    return QPoint(static_cast<int>(std::lround(cx + r * std::cos(angle))),
                  static_cast<int>(std::lround(cy - r * std::sin(angle))));
  };
  const QPoint drawn = pointAt(arc.drawnAt), blank = pointAt(arc.blankAt);
  EXPECT_TRUE(InkedNear(image, drawn.x(), drawn.y())) << "at " << arc.drawnAt;
  EXPECT_FALSE(InkedNear(image, blank.x(), blank.y())) << "at " << arc.blankAt;
}

INSTANTIATE_TEST_SUITE_P(
    Halves, QtSurfaceArcTest,
    ::testing::Values(ArcCase{"UpperHalf", 0, kPi, kPi / 2, 1.5 * kPi},
                      ArcCase{"LowerHalf", kPi, 2 * kPi, 1.5 * kPi, kPi / 2},
                      ArcCase{"RightHalfAcrossZero", 1.5 * kPi, 0.5 * kPi, 0, kPi},
                      ArcCase{"LeftHalf", 0.5 * kPi, 1.5 * kPi, kPi, 0},
                      ArcCase{"SinglePrecisionPi", 0, static_cast<double>(3.14159274f), 0.25 * kPi,
                              1.25 * kPi},
                      ArcCase{"FirstQuadrant", 0, kPi / 2, kPi / 4, 0.75 * kPi}),
    [](const ::testing::TestParamInfo<ArcCase>& param) { return std::string(param.param.name); });

TEST_F(QtSurfaceTest, ArcStaysCircularWhenTheUnitsAreNotSquare) {
  // Two pixels per unit across, one down: the radius counts across.
  surface.SetScale({30, 15});
  surface.Arc(25, 50, 10, 0, 2 * kPi, kBlack);
  const QImage& image = surface.image();
  EXPECT_TRUE(InkedNear(image, 70, 50));
  EXPECT_TRUE(InkedNear(image, 30, 50));
  EXPECT_TRUE(InkedNear(image, 50, 30));
  EXPECT_TRUE(InkedNear(image, 50, 70));
  EXPECT_FALSE(InkedNear(image, 50, 40));
}

TEST_F(QtSurfaceTest, LogicalUnitsFollowTheWindowScale) {
  // The design window on a 1024 x 768 screen: 12000 units span 0.99 of the width.
  const LogicalScale scale =
      LogicalScale::ForMainWindow(ScreenTwips::FromPixels(1024, 768), 11880, 8190);
  surface.SetScale(scale);
  surface.Resize(QSize(1024, 768));
  surface.FillRect(6000, 4500, 6100, 4600, kRed);
  const QImage& image = surface.image();
  const int x = static_cast<int>(std::lround(scale.XToPixels(6050)));
  const int y = static_cast<int>(std::lround(scale.YToPixels(4550)));
  EXPECT_NEAR(x, 1024 * 0.99 * 6050 / 12000, 1);
  EXPECT_EQ(PixelAt(image, x, y), kRed);
  EXPECT_EQ(PixelAt(image, static_cast<int>(std::lround(scale.XToPixels(5900))), y), kWhite);
}

TEST_F(QtSurfaceTest, PointPlotsAndPrintStartsThereWithTheTopLeftCorner) {
  surface.SetFont(MakeFont("Arial", true, 20, surface.image()));
  surface.Point(5, 5, kRed);
  EXPECT_EQ(PixelAt(surface.image(), 5, 5), kRed);

  surface.Point(20, 30, kWhite);
  EXPECT_EQ(surface.textX(), 20);
  EXPECT_EQ(surface.textY(), 30);
  surface.Print("HH");
  const QImage& image = surface.image();
  int inside = 0, above = 0, left = 0;
  for (int y = 0; y < 100; ++y) {
    for (int x = 0; x < 100; ++x) {
      if (!Inked(image, x, y) || (x == 5 && y == 5)) continue;
      if (y < 30) ++above;
      if (x < 19) ++left;
      if (y >= 30 && y < 60 && x >= 19 && x < 60) ++inside;
    }
  }
  EXPECT_GT(inside, 50);
  EXPECT_EQ(above, 0);
  EXPECT_EQ(left, 0);
  // The next print goes on the next line, from the left edge.
  EXPECT_EQ(surface.textX(), 0);
  EXPECT_GT(surface.textY(), 45);
}

TEST_F(QtSurfaceTest, GrowingKeepsTheDrawingAndClearRemovesIt) {
  surface.Line(10, 10, 20, 10, kRed);
  surface.Resize(QSize(200, 150));
  QImage image = surface.image();
  ASSERT_EQ(image.size(), QSize(200, 150));
  EXPECT_EQ(PixelAt(image, 15, 10), kRed);
  EXPECT_EQ(PixelAt(image, 150, 120), kWhite);

  surface.Resize(QSize(50, 50));  // never shrinks
  EXPECT_EQ(surface.image().size(), QSize(200, 150));

  surface.Clear();
  image = surface.image();
  EXPECT_EQ(PixelAt(image, 15, 10), kWhite);
}

TEST_F(QtSurfaceTest, AsksForOneRepaintPerBatchOfDrawing) {
  surface.image();  // what SetUp drew has been painted
  int repaints = 0;
  surface.onChanged = [&] { ++repaints; };
  surface.Line(0, 0, 10, 10, kBlack);
  surface.Line(0, 10, 10, 0, kBlack);
  surface.FillRect(0, 0, 5, 5, kBlack);
  EXPECT_EQ(repaints, 1);
  surface.image();  // painted
  surface.Arc(50, 50, 10, 0, kPi, kBlack);
  EXPECT_EQ(repaints, 2);
}

}  // namespace
}  // namespace corvantile::toolkit
