#include "toolkit/qt/qt_surface.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include <QColor>
#include <QFontMetricsF>
#include <QPen>
#include <QRectF>
#include <QString>

namespace corvantile::toolkit {
namespace {

// Qt measures points at the image's logical DPI; 96 dots per inch matches 15 twips per pixel.
constexpr int kDotsPerMeterAt96Dpi = 3780;

QColor ToQColor(Rgb colour) { return QColor(colour.r, colour.g, colour.b); }

// Degrees counter-clockwise from +x for the start of an arc, and the counter-clockwise sweep
// to its end in (0, 360]: 1.5 pi to 0.5 pi -> start 270, sweep 180 (the right half).
std::pair<double, double> ArcDegrees(double startAngle, double endAngle) {
  constexpr double kTwoPi = 2 * std::numbers::pi;
  double sweep = std::fmod(endAngle - startAngle, kTwoPi);
  if (sweep <= 0) sweep += kTwoPi;
  constexpr double kDegrees = 180 / std::numbers::pi;
  return {startAngle * kDegrees, sweep * kDegrees};
}

}  // namespace

QtSurface::QtSurface() {
  image_ = QImage(1, 1, QImage::Format_RGB32);
  image_.setDotsPerMeterX(kDotsPerMeterAt96Dpi);
  image_.setDotsPerMeterY(kDotsPerMeterAt96Dpi);
  image_.fill(ToQColor(background_));
}

QtSurface::~QtSurface() { painter_.reset(); }

const QImage& QtSurface::image() {
  painter_.reset();
  changed_ = false;
  return image_;
}

QPainter& QtSurface::Painter() {
  if (!painter_) {
    painter_.emplace(&image_);
    pen_.reset();
    painter_->setRenderHint(QPainter::TextAntialiasing, true);
    painter_->setFont(font_);
  }
  return *painter_;
}

void QtSurface::Changed() {
  if (changed_) return;
  changed_ = true;
  if (onChanged) onChanged();
}

QPointF QtSurface::ToPixels(double x, double y) const {
  return {scale_.XToPixels(x), scale_.YToPixels(y)};
}

QPointF QtSurface::ToPixelGrid(double x, double y) const {
  const double ratio = image_.devicePixelRatio();
  const QPointF exact = ToPixels(x, y);
  return {std::round(exact.x() * ratio) / ratio, std::round(exact.y() * ratio) / ratio};
}

void QtSurface::UsePen(Rgb colour, int width, LineStyle style) {
  const PenKey key{colour, std::max(width, 1), style == LineStyle::Dotted && width <= 1};
  QPainter& painter = Painter();
  if (pen_ == key) return;  // changing the pen costs more than most lines
  pen_ = key;
  QPen pen(ToQColor(colour));
  // Cosmetic pens take the raster engine's fast path for thin lines; widths count in
  // device-independent pixels.
  pen.setCosmetic(true);
  pen.setWidthF(key.width * image_.devicePixelRatio());
  // A dotted pen wider than one pixel draws solid, as the Windows pens do.
  pen.setStyle(key.dotted ? Qt::DotLine : Qt::SolidLine);
  pen.setCapStyle(key.width > 1 ? Qt::RoundCap : Qt::SquareCap);
  pen.setJoinStyle(Qt::RoundJoin);
  painter.setPen(pen);
}

void QtSurface::Resize(QSize size, double devicePixelRatio) {
  const QSize pixels(static_cast<int>(std::ceil(size.width() * devicePixelRatio)),
                     static_cast<int>(std::ceil(size.height() * devicePixelRatio)));
  if (pixels.width() <= image_.width() && pixels.height() <= image_.height() &&
      devicePixelRatio == image_.devicePixelRatio()) {
    return;
  }
  painter_.reset();
  QImage grown(std::max(pixels.width(), image_.width()), std::max(pixels.height(), image_.height()),
               QImage::Format_RGB32);
  grown.setDotsPerMeterX(kDotsPerMeterAt96Dpi);
  grown.setDotsPerMeterY(kDotsPerMeterAt96Dpi);
  grown.fill(ToQColor(background_));
  {
    QPainter copy(&grown);
    copy.drawImage(0, 0, image_);
  }
  grown.setDevicePixelRatio(devicePixelRatio);
  image_ = std::move(grown);
  Changed();
}

void QtSurface::SetBackground(Rgb colour) { background_ = colour; }

void QtSurface::SetFont(const QFont& font) {
  font_ = font;
  if (painter_) painter_->setFont(font_);
}

void QtSurface::Clear() {
  painter_.reset();
  image_.fill(ToQColor(background_));
  textX_ = 0;
  textY_ = 0;
  Changed();
}

void QtSurface::Line(double x1, double y1, double x2, double y2, Rgb colour, int width,
                     LineStyle style) {
  const QPointF a = ToPixelGrid(x1, y1), b = ToPixelGrid(x2, y2);
  if (width <= 1 && style == LineStyle::Solid && (a.x() == b.x() || a.y() == b.y())) {
    // Rails, leads and the opening screen's thousands of background rows: a one-pixel box is
    // what the pen would draw, several times faster.
    const double pixel = 1 / image_.devicePixelRatio();
    Painter().fillRect(
        QRectF(QPointF(std::min(a.x(), b.x()), std::min(a.y(), b.y())),
               QPointF(std::max(a.x(), b.x()) + pixel, std::max(a.y(), b.y()) + pixel)),
        ToQColor(colour));
  } else {
    UsePen(colour, width, style);
    Painter().drawLine(a, b);
  }
  Changed();
}

void QtSurface::FillRect(double x1, double y1, double x2, double y2, Rgb colour) {
  // Both corners' pixels belong to the box.
  const QPointF a = ToPixelGrid(x1, y1), b = ToPixelGrid(x2, y2);
  const double pixel = 1 / image_.devicePixelRatio();
  const QRectF box(QPointF(std::min(a.x(), b.x()), std::min(a.y(), b.y())),
                   QPointF(std::max(a.x(), b.x()) + pixel, std::max(a.y(), b.y()) + pixel));
  Painter().fillRect(box, ToQColor(colour));
  Changed();
}

void QtSurface::OutlineRect(double x1, double y1, double x2, double y2, Rgb colour, int width) {
  const QPointF a = ToPixelGrid(x1, y1), b = ToPixelGrid(x2, y2);
  UsePen(colour, width, LineStyle::Solid);
  QPainter& painter = Painter();
  painter.setBrush(Qt::NoBrush);
  painter.drawRect(QRectF(QPointF(std::min(a.x(), b.x()), std::min(a.y(), b.y())),
                          QPointF(std::max(a.x(), b.x()), std::max(a.y(), b.y()))));
  Changed();
}

void QtSurface::Arc(double cx, double cy, double radius, double startAngle, double endAngle,
                    Rgb colour, int width) {
  // The radius is measured across, so the arc stays circular on the screen.
  const QPointF centre = ToPixels(cx, cy);
  const double r = scale_.XToPixels(radius);
  const auto [start, sweep] = ArcDegrees(startAngle, endAngle);
  UsePen(colour, width, LineStyle::Solid);
  Painter().drawArc(QRectF(centre.x() - r, centre.y() - r, 2 * r, 2 * r),
                    static_cast<int>(std::lround(start * 16)),
                    static_cast<int>(std::lround(sweep * 16)));
  Changed();
}

void QtSurface::Point(double x, double y, Rgb colour) {
  UsePen(colour, 1, LineStyle::Solid);
  Painter().drawPoint(ToPixelGrid(x, y));
  textX_ = x;
  textY_ = y;
  Changed();
}

void QtSurface::Print(const std::string& text) {
  QPainter& painter = Painter();
  painter.setPen(ToQColor(foreground_));
  pen_.reset();
  const QFontMetricsF metrics(font_, &image_);
  const QPointF corner = ToPixels(textX_, textY_);
  painter.drawText(QPointF(corner.x(), corner.y() + metrics.ascent()),
                   QString::fromStdString(text));
  // Like a printed line, the next one starts at the left edge below this one.
  textX_ = 0;
  if (scale_.twipsPerUnitY > 0) {
    textY_ += metrics.height() * kTwipsPerPixel / scale_.twipsPerUnitY;
  }
  Changed();
}

}  // namespace corvantile::toolkit
