#include "toolkit/qt/qt_fonts.h"

#include <array>
#include <utility>

#include <QPaintDevice>
#include <QStringList>

namespace corvantile::toolkit {
namespace {

// Windows measures points at 96 dots per inch, the same relation as 15 twips per pixel.
constexpr double kWindowsDpi = 96.0;

constexpr std::array<std::pair<std::string_view, const char*>, 3> kSubstitutes{{
    {"Arial", "Liberation Sans"},
    {"Times New Roman", "Liberation Serif"},
    {"Microsoft Sans Serif", "Liberation Sans"},
}};

}  // namespace

QString QtFontFamily(std::string_view family) {
  for (const auto& [windowsName, liberationName] : kSubstitutes) {
    if (family == windowsName) return QString::fromLatin1(liberationName);
  }
  return QString::fromUtf8(family.data(), static_cast<qsizetype>(family.size()));
}

double QtPointSize(double points, const QPaintDevice& device) {
  const int dpi = device.logicalDpiY();
  return dpi > 0 ? points * kWindowsDpi / dpi : points;
}

QFont MakeFont(std::string_view family, bool bold, double points, const QPaintDevice& device) {
  QFont font;
  const QString mapped = QtFontFamily(family);
  const QString original = QString::fromUtf8(family.data(), static_cast<qsizetype>(family.size()));
  font.setFamilies(mapped == original ? QStringList{mapped} : QStringList{mapped, original});
  font.setBold(bold);
  if (points > 0) font.setPointSizeF(QtPointSize(points, device));
  return font;
}

}  // namespace corvantile::toolkit
