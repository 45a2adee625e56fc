#pragma once

// The Smith chart of the response window, drawn with QPainter: the unit circle with circles of
// constant resistance and arcs of constant reactance, the reference impedance, the impedance's
// path from the load through each element to the source side at the design frequency, the
// conjugate of the source it should reach, and the input impedance's locus over the sweep with
// the design frequency and its harmonics marked. Hovering a point shows its values.
#include <complex>

#include <QPointF>
#include <QRectF>
#include <QString>
#include <QWidget>

#include "response/response_view.h"

class QPainter;

namespace corvantile {

class SmithChartWidget : public QWidget {
  Q_OBJECT

 public:
  explicit SmithChartWidget(QWidget* parent = nullptr);

  // The view to draw; it must outlive the widget or be replaced. Null draws the grid alone.
  void SetView(const ResponseView* view);

  // Where a reflection coefficient lies in the widget at its present size, and back.
  QPointF PixelOf(std::complex<double> reflection) const;
  std::complex<double> ReflectionAt(QPointF pixel) const;

  // What hovering `pixel` shows: the nearest path node, the source's conjugate, a harmonic
  // marker or a locus point within kHoverPixels, in that order of preference; empty for none.
  QString TooltipAt(QPointF pixel) const;

  QSize sizeHint() const override { return {420, 440}; }
  QSize minimumSizeHint() const override { return {260, 280}; }

  static constexpr double kHoverPixels = 7.0;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void leaveEvent(QEvent* event) override;

 private:
  // The unit circle's bounding square in widget pixels.
  QRectF ChartRect() const;
  // The legend's height: two lines, and one more for each measured side.
  double FooterPixels() const;
  // Whether the source conjugate's legend entry fits beside the locus's, or goes under it.
  bool ConjugateBesideLocus() const;
  void PaintGrid(QPainter& painter, const QRectF& chart) const;
  void PaintView(QPainter& painter) const;
  void PaintLegend(QPainter& painter) const;

  const ResponseView* view_ = nullptr;
};

}  // namespace corvantile
