#pragma once

// Colours read back from Qt: a pixel of a picture, or any QColor, as the toolkit's Rgb.
//
//   EXPECT_EQ(PixelAt(image, 10, 20), (toolkit::Rgb{255, 0, 0}));
#include <QColor>
#include <QImage>

#include "toolkit/geometry.h"

namespace corvantile::testing {

inline toolkit::Rgb RgbOf(const QColor& colour) {
  return {colour.red(), colour.green(), colour.blue()};
}

inline toolkit::Rgb PixelAt(const QImage& image, int x, int y) {
  return RgbOf(image.pixelColor(x, y));
}

}  // namespace corvantile::testing
