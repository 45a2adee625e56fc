#include "design/symbols.h"

#include <array>
#include <cmath>

#include "units/constants.h"
#include "units/precision.h"

namespace corvantile {
namespace {

using precision::D;

void PenLine(toolkit::Surface& surface, const Pen& pen, float x1, float y1, float x2, float y2,
             toolkit::Rgb colour) {
  surface.Line(D(x1), D(y1), D(x2), D(y2), colour, pen.width);
}

void PenLine(toolkit::Surface& surface, const Pen& pen, float x1, float y1, float x2, float y2) {
  PenLine(surface, pen, x1, y1, x2, y2, pen.colour);
}

void PenArc(toolkit::Surface& surface, const Pen& pen, float cx, float cy, double startAngle,
            double endAngle, toolkit::Rgb colour) {
  constexpr double kRadius = 80.0;
  surface.Arc(D(cx), D(cy), kRadius, startAngle, endAngle, colour, pen.width);
}

}  // namespace

float SymbolPi() { return kPiSingle; }

void DrawWireStep(toolkit::Surface& surface, Pen& pen) {
  const float x = pen.x;
  const float y = pen.y;
  PenLine(surface, pen, x, y, x + 160, y);
  PenLine(surface, pen, x, y + kRailGap, x + 160, y + kRailGap);
  pen.x = x + 160;
}

void DrawSeriesInductor(toolkit::Surface& surface, Pen& pen) {
  DrawWireStep(surface, pen);
  const float s = pen.x;
  const float y = pen.y;
  PenLine(surface, pen, s, y, s + 80, y);
  for (int k = 1; k <= 3; ++k) {
    PenArc(surface, pen, s + static_cast<float>(160 * k), y, 0.0, D(SymbolPi()), pen.colour);
  }
  float x = s + 560;
  PenLine(surface, pen, x, y, x + 80, y);
  x += 80;
  PenLine(surface, pen, s, y + kRailGap, x, y + kRailGap);
  pen.x = x;
  DrawWireStep(surface, pen);
}

void DrawShuntInductor(toolkit::Surface& surface, Pen& pen, toolkit::Rgb coilColour) {
  DrawWireStep(surface, pen);
  DrawWireStep(surface, pen);
  const float x = pen.x;
  const float y = pen.y;
  const double pi = D(SymbolPi());
  PenLine(surface, pen, x, y, x, y + 280, coilColour);
  for (int k = 1; k <= 3; ++k) {
    PenArc(surface, pen, x, y + 200 + static_cast<float>(160 * k), 1.5 * pi, 0.5 * pi, coilColour);
  }
  PenLine(surface, pen, x, y + 760, x, y + kRailGap, coilColour);
  DrawWireStep(surface, pen);
  DrawWireStep(surface, pen);
}

void DrawSeriesCapacitor(toolkit::Surface& surface, Pen& pen) {
  DrawWireStep(surface, pen);
  const float x = pen.x;
  const float y = pen.y;
  PenLine(surface, pen, x, y, x + 160, y);
  PenLine(surface, pen, x + 160, y - 120, x + 160, y + 120);
  PenLine(surface, pen, x + 224, y - 120, x + 224, y + 120);
  PenLine(surface, pen, x + 224, y, x + 360, y);
  PenLine(surface, pen, x, y + kRailGap, x + 360, y + kRailGap);
  pen.x = x + 360;
  DrawWireStep(surface, pen);
}

void DrawShuntCapacitor(toolkit::Surface& surface, Pen& pen) {
  DrawWireStep(surface, pen);
  DrawWireStep(surface, pen);
  const float x = pen.x;
  const float y = pen.y;
  PenLine(surface, pen, x, y, x, y + 480);
  PenLine(surface, pen, x - 120, y + 480, x + 120, y + 480);
  PenLine(surface, pen, x - 120, y + 540, x + 120, y + 540);
  PenLine(surface, pen, x, y + 540, x, y + kRailGap);
  DrawWireStep(surface, pen);
  DrawWireStep(surface, pen);
}

void DrawResistorZigzag(toolkit::Surface& surface, const Pen& pen) {
  struct Offset {
    float dx, dy;
  };
  // One connected line from the upper rail down through the zigzag to the lower rail.
  static constexpr std::array<Offset, 10> kPoints{{{0, 0},
                                                   {0, 320},
                                                   {60, 350},
                                                   {-60, 410},
                                                   {60, 470},
                                                   {-60, 530},
                                                   {60, 590},
                                                   {-60, 650},
                                                   {0, 680},
                                                   {0, kRailGap}}};
  for (std::size_t i = 1; i < kPoints.size(); ++i) {
    PenLine(surface, pen, pen.x + kPoints[i - 1].dx, pen.y + kPoints[i - 1].dy,
            pen.x + kPoints[i].dx, pen.y + kPoints[i].dy);
  }
}

}  // namespace corvantile
