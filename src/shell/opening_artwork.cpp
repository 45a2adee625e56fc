#include "shell/opening_artwork.h"

#include "units/precision.h"

namespace corvantile {
namespace {

using precision::D;

constexpr toolkit::Rgb kWhite{255, 255, 255};
constexpr toolkit::Rgb kNetworkBoxBlue{0, 0, 255};

}  // namespace

void DrawSourceResistor(toolkit::Surface& surface, Pen& pen) {
  DrawResistorZigzag(surface, pen);
  DrawWireStep(surface, pen);
  DrawWireStep(surface, pen);
}

void DrawLoadResistor(toolkit::Surface& surface, Pen& pen) { DrawResistorZigzag(surface, pen); }

void DrawBoxEdge(toolkit::Surface& surface, const Pen& pen) {
  // The line style goes back to solid after this line: the style is passed per call here.
  const double x = D(pen.x);
  const double y = D(pen.y);
  surface.Line(x, y - 400, x, y + 1400, pen.colour, pen.width, toolkit::LineStyle::Dotted);
}

void DrawOpeningArtwork(toolkit::Surface& surface, Pen& pen) {
  pen.colour = kWhite;
  pen.width = 2;
  pen.x = 5500;
  pen.y = 3200;
  DrawSourceResistor(surface, pen);
  DrawSeriesCapacitor(surface, pen);
  // The network box goes where the first two symbols left the pen; what follows lies on it.
  const double x = D(pen.x);
  const double y = D(pen.y);
  surface.FillRect(x, y - 400, x + 2230, y + 1400, kNetworkBoxBlue);
  DrawBoxEdge(surface, pen);
  DrawShuntCapacitor(surface, pen);
  DrawSeriesInductor(surface, pen);
  DrawShuntCapacitor(surface, pen);
  DrawBoxEdge(surface, pen);
  DrawSeriesInductor(surface, pen);
  DrawLoadResistor(surface, pen);
  pen.width = 1;
}

}  // namespace corvantile
