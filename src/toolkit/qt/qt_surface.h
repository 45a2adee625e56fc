#pragma once

// The drawing surface of a Qt window: a backing image in device pixels that keeps everything
// drawn until Clear, painted onto the window by its canvas widget.
#include <functional>
#include <optional>

#include <QFont>
#include <QImage>
#include <QPainter>
#include <QSize>

#include "toolkit/geometry.h"
#include "toolkit/toolkit.h"

namespace corvantile::toolkit {

class QtSurface : public Surface {
 public:
  QtSurface();
  ~QtSurface() override;
  QtSurface(const QtSurface&) = delete;
  QtSurface& operator=(const QtSurface&) = delete;

  void Clear() override;
  void Line(double x1, double y1, double x2, double y2, Rgb colour, int width = 1,
            LineStyle style = LineStyle::Solid) override;
  void FillRect(double x1, double y1, double x2, double y2, Rgb colour) override;
  void OutlineRect(double x1, double y1, double x2, double y2, Rgb colour, int width = 1) override;
  void Arc(double cx, double cy, double radius, double startAngle, double endAngle, Rgb colour,
           int width = 1) override;
  void Point(double x, double y, Rgb colour) override;
  void Print(const std::string& text) override;

  // The image's size in device-independent pixels. Growing keeps what was drawn (new area in
  // the background colour); the image never shrinks, so a drawing made before the window got
  // its final size survives.
  void Resize(QSize size, double devicePixelRatio = 1.0);
  void SetScale(const LogicalScale& scale) { scale_ = scale; }
  const LogicalScale& scale() const { return scale_; }
  // The colour Clear fills with (the window background).
  void SetBackground(Rgb colour);
  // The colour of printed text (the window's drawing colour).
  void SetForeground(Rgb colour) { foreground_ = colour; }
  Rgb foreground() const { return foreground_; }
  // The font of printed text.
  void SetFont(const QFont& font);
  const QFont& font() const { return font_; }

  // Everything drawn so far, in device pixels with the device pixel ratio set.
  const QImage& image();
  // The text position in logical units (moved by Point and Print).
  double textX() const { return textX_; }
  double textY() const { return textY_; }

  // Called once when the image first changes after the last image() call: the canvas asks
  // for a repaint here.
  std::function<void()> onChanged;

 private:
  QPainter& Painter();
  void Changed();
  QPointF ToPixels(double x, double y) const;
  // The same, on the nearest device pixel: lines and points land where a filled box with the
  // same corner would.
  QPointF ToPixelGrid(double x, double y) const;
  void UsePen(Rgb colour, int width, LineStyle style);

  QImage image_;
  std::optional<QPainter> painter_;  // open between drawing calls, ended before the image is read
  // The painter's current line pen.
  struct PenKey {
    Rgb colour;
    int width = 1;
    bool dotted = false;
    friend bool operator==(const PenKey&, const PenKey&) = default;
  };
  std::optional<PenKey> pen_;
  LogicalScale scale_;
  Rgb background_{255, 255, 255};
  Rgb foreground_{0, 0, 0};
  QFont font_;
  double textX_ = 0, textY_ = 0;
  bool changed_ = false;
};

}  // namespace corvantile::toolkit
