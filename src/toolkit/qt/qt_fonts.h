#pragma once

// Fonts for the Qt toolkit: the Windows font names the windows are designed with, mapped to
// the metric-compatible Liberation fonts, and point sizes that keep Windows' 96-dpi relation
// (1 pt = 4/3 device-independent pixels) whatever logical DPI the platform reports, so that
// text keeps its size relative to a layout measured in twips.
#include <string_view>

#include <QFont>
#include <QString>

class QPaintDevice;

namespace corvantile::toolkit {

// "Arial" -> Liberation Sans, "Times New Roman" -> Liberation Serif, "Microsoft Sans Serif"
// -> Liberation Sans; any other name is kept as it is.
QString QtFontFamily(std::string_view family);

// The Qt point size that shows `points` Windows points on `device`: 9.216 -> 9.216 at 96
// dpi, 7.3728 at 120 dpi.
double QtPointSize(double points, const QPaintDevice& device);

// A font of the family (mapped as above, with the original name as a fallback), weight and
// Windows point size for `device`.
QFont MakeFont(std::string_view family, bool bold, double points, const QPaintDevice& device);

}  // namespace corvantile::toolkit
