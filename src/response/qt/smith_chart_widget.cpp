#include "response/qt/smith_chart_widget.h"

#include <algorithm>
#include <cmath>
#include <span>
#include <vector>

#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>
#include <QToolTip>

#include "analysis/formats/number_text.h"
#include "response/response_text.h"

namespace corvantile {
namespace {

using Complex = std::complex<double>;

const QColor kGridColour(190, 190, 190);
const QColor kRimColour(90, 90, 90);
const QColor kPathColour(200, 40, 40);
const QColor kLocusColour(20, 90, 200);
const QColor kMeasuredLoadColour(150, 60, 170);  // a measured load over its file's band
const QColor kMeasuredSourceColour(0, 150, 60);  // a measured source's conjugate, the target's
const QColor kTargetColour(0, 150, 60);
const QColor kMarkerColour(0, 0, 0);
const QColor kFeedlineColour(230, 120, 0);  // the impedance along a feedline

constexpr double kHeaderPixels = 22;  // the title line
constexpr double kLegendLinePixels = 19;
constexpr double kFooterPixels = 40;  // the legend's two lines
// Where the source conjugate's legend entry starts, as a share of the width, beside the locus's.
constexpr double kConjugateColumn = 0.62;
QString LocusText() { return QStringLiteral("Input impedance over the sweep"); }
// The narrowest chart on which the conjugate's legend entry fits beside the locus's.
constexpr int kConjugateBesideWidth = 340;
constexpr double kSidePixels = 30;  // room for the reactance labels

QString ToQString(const std::string& text) { return QString::fromStdString(text); }

// "+j0.5", "-j2".
QString ReactanceLabel(double x) {
  return ToQString((x < 0 ? "-j" : "+j") + ShortNumber(std::fabs(x), 3));
}

QString HarmonicName(int harmonic) {
  return harmonic == 1 ? QStringLiteral("f") : QStringLiteral("%1f").arg(harmonic);
}

}  // namespace

SmithChartWidget::SmithChartWidget(QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("smithChart"));
  setAccessibleName(QStringLiteral("Smith chart"));
  setMouseTracking(true);
  setAutoFillBackground(false);
  setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Expanding);
}

void SmithChartWidget::SetView(const ResponseView* view) {
  view_ = view;
  update();
}

double SmithChartWidget::FooterPixels() const {
  // A line more for each measured side's locus.
  if (!view_ || !view_->hasNetwork) return kFooterPixels;
  const int measured = static_cast<int>(!view_->measuredLoadLocus.empty()) +
                       static_cast<int>(!view_->measuredSourceLocus.empty()) +
                       static_cast<int>(view_->feedline.has_value());
  return kFooterPixels + (measured + static_cast<int>(!ConjugateBesideLocus())) * kLegendLinePixels;
}

bool SmithChartWidget::ConjugateBesideLocus() const {
  // The locus entry's line and text end about 200 pixels in; the conjugate's starts at
  // kConjugateColumn of the width.
  return width() >= kConjugateBesideWidth;
}

QRectF SmithChartWidget::ChartRect() const {
  const double width = std::max(1.0, static_cast<double>(this->width()) - 2 * kSidePixels);
  const double height =
      std::max(1.0, static_cast<double>(this->height()) - kHeaderPixels - FooterPixels() - 16);
  const double side = std::min(width, height);
  const double left = (static_cast<double>(this->width()) - side) / 2;
  const double top = kHeaderPixels + 8 + (height - side) / 2;
  return {left, top, side, side};
}

QPointF SmithChartWidget::PixelOf(Complex reflection) const {
  const QRectF chart = ChartRect();
  const double radius = chart.width() / 2;
  return {chart.center().x() + radius * reflection.real(),
          chart.center().y() - radius * reflection.imag()};
}

Complex SmithChartWidget::ReflectionAt(QPointF pixel) const {
  const QRectF chart = ChartRect();
  const double radius = chart.width() / 2;
  return {(pixel.x() - chart.center().x()) / radius, (chart.center().y() - pixel.y()) / radius};
}

QString SmithChartWidget::TooltipAt(QPointF pixel) const {
  if (!view_ || !view_->hasNetwork) return {};
  const Complex at = ReflectionAt(pixel);
  const double radius = kHoverPixels / (ChartRect().width() / 2);

  std::vector<const SmithNode*> nodes;
  for (const SmithNode& node : view_->path.nodes) nodes.push_back(&node);
  nodes.push_back(&view_->sourceTarget);
  if (view_->feedline) {
    nodes.push_back(&view_->feedline->far);
    nodes.push_back(&view_->feedline->near);
  }
  std::vector<Complex> points;
  for (const SmithNode* node : nodes) points.push_back(node->reflection);
  if (const auto i = NearestPoint(points, at, radius)) return ToQString(SmithNodeText(*nodes[*i]));

  const double z0 = view_->referenceImpedance;
  for (const HarmonicMarker& marker : view_->markers) {
    if (!marker.inSpan) continue;
    const Complex gamma = ReflectionOf(marker.response.inputImpedance / z0);
    if (std::abs(gamma - at) <= radius) {
      return HarmonicName(marker.harmonic) + QStringLiteral(": ") +
             ToQString(SweepPointText(marker.response, z0));
    }
  }
  if (const auto i = NearestPoint(view_->locus, at, radius)) {
    return QStringLiteral("Input impedance at ") + ToQString(SweepPointText(view_->sweep[*i], z0));
  }
  return {};
}

void SmithChartWidget::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.fillRect(rect(), Qt::white);
  const QRectF chart = ChartRect();
  PaintGrid(painter, chart);

  painter.setPen(Qt::black);
  const double z0 = view_ ? view_->referenceImpedance : 50.0;
  painter.drawText(QRectF(8, 2, width() - 16, kHeaderPixels), Qt::AlignLeft | Qt::AlignVCenter,
                   QStringLiteral("Smith chart, Z0 = %1 ohm").arg(ToQString(ShortNumber(z0, 6))));
  if (!view_ || !view_->hasNetwork) {
    QFont bold = painter.font();
    bold.setBold(true);
    bold.setPointSizeF(bold.pointSizeF() * 1.4);
    painter.setFont(bold);
    painter.setPen(Qt::black);
    painter.drawText(chart, Qt::AlignCenter, QStringLiteral("No network"));
    return;
  }
  PaintView(painter);
  PaintLegend(painter);
}

void SmithChartWidget::PaintGrid(QPainter& painter, const QRectF& chart) const {
  const double radius = chart.width() / 2;
  const QPointF centre = chart.center();
  auto toPixels = [&](const SmithCircle& circle) {
    return QRectF(centre.x() + radius * (circle.centre.real() - circle.radius),
                  centre.y() - radius * (circle.centre.imag() + circle.radius),
                  2 * radius * circle.radius, 2 * radius * circle.radius);
  };

  painter.save();
  QPainterPath inside;
  inside.addEllipse(chart);
  painter.setClipPath(inside);
  painter.setPen(QPen(kGridColour, 1));
  painter.setBrush(Qt::NoBrush);
  for (double value : SmithGridValues()) {
    painter.drawEllipse(toPixels(ResistanceCircle(value)));
    painter.drawEllipse(toPixels(ReactanceCircle(value)));
    painter.drawEllipse(toPixels(ReactanceCircle(-value)));
  }
  painter.drawLine(QPointF(chart.left(), centre.y()), QPointF(chart.right(), centre.y()));
  painter.restore();

  painter.setPen(QPen(kRimColour, 1.5));
  painter.drawEllipse(chart);

  // Resistance labels just above the real axis, reactance labels outside the rim.
  QFont small = painter.font();
  small.setPointSizeF(small.pointSizeF() * 0.85);
  painter.setFont(small);
  painter.setPen(kRimColour);
  const QFontMetricsF metrics(small);
  for (double value : SmithGridValues()) {
    const QPointF at = PixelOf(ReflectionOf({value, 0.0}));
    const QString label = ToQString(ShortNumber(value, 3));
    painter.drawText(QPointF(at.x() - metrics.horizontalAdvance(label) - 2, at.y() - 3), label);
    for (double x : {value, -value}) {
      const Complex rim = ReflectionOf({0.0, x});
      const QString text = ReactanceLabel(x);
      const QPointF outside = PixelOf(rim * 1.0) + QPointF(rim.real() * 14, -rim.imag() * 12);
      painter.drawText(QRectF(outside.x() - 30, outside.y() - 9, 60, 18), Qt::AlignCenter, text);
    }
  }
  painter.drawText(QPointF(PixelOf({-1, 0}).x() + 2, centre.y() - 3), QStringLiteral("0"));
}

void SmithChartWidget::PaintView(QPainter& painter) const {
  auto polyline = [&](std::span<const Complex> points) {
    QPolygonF polygon;
    polygon.reserve(static_cast<qsizetype>(points.size()));
    for (const Complex& point : points) polygon.append(PixelOf(point));
    painter.drawPolyline(polygon);
  };
  painter.setBrush(Qt::NoBrush);
  painter.setPen(QPen(kLocusColour, 1.5));
  polyline(view_->locus);
  if (!view_->measuredLoadLocus.empty()) {
    painter.setPen(QPen(kMeasuredLoadColour, 1.5, Qt::DashLine));
    polyline(view_->measuredLoadLocus);
  }
  if (!view_->measuredSourceLocus.empty()) {
    painter.setPen(QPen(kMeasuredSourceColour, 1.5, Qt::DashLine));
    polyline(view_->measuredSourceLocus);
  }
  if (view_->feedline) {
    painter.setPen(QPen(kFeedlineColour, 2.2));
    polyline(view_->feedline->trace);
    painter.setBrush(kFeedlineColour);
    painter.drawEllipse(PixelOf(view_->feedline->far.reflection), 3.5, 3.5);
    painter.setBrush(Qt::NoBrush);
  }
  painter.setPen(QPen(kPathColour, 2.2));
  polyline(view_->path.trace);

  // The target first, so the path's end shows on top of it when they meet.
  painter.setPen(QPen(kTargetColour, 2));
  painter.drawEllipse(PixelOf(view_->sourceTarget.reflection), 7, 7);

  QFont bold = painter.font();
  bold.setBold(true);
  painter.setFont(bold);
  const double z0 = view_->referenceImpedance;
  painter.setPen(kMarkerColour);
  painter.setBrush(kMarkerColour);
  for (const HarmonicMarker& marker : view_->markers) {
    if (!marker.inSpan || marker.harmonic == 1) continue;  // f is the path's end
    const QPointF at = PixelOf(ReflectionOf(marker.response.inputImpedance / z0));
    painter.drawEllipse(at, 3, 3);
    painter.drawText(at + QPointF(5, -5), HarmonicName(marker.harmonic));
  }
  painter.setPen(kPathColour);
  painter.setBrush(kPathColour);
  const std::size_t count = view_->path.nodes.size();
  for (std::size_t i = 0; i < count; ++i) {
    const QPointF at = PixelOf(view_->path.nodes[i].reflection);
    painter.drawEllipse(at, 3.5, 3.5);
    // L for the load, then the number of the element just passed.
    const int element = view_->path.nodes[i].element;
    painter.drawText(at + QPointF(6, 14),
                     element == 0 ? QStringLiteral("L") : QString::number(element));
  }
}

void SmithChartWidget::PaintLegend(QPainter& painter) const {
  QFont font = painter.font();
  font.setBold(false);
  painter.setFont(font);
  const double top = height() - FooterPixels();
  auto entry = [&](double x, double y, const QColor& colour, const QString& text, bool circle) {
    painter.setPen(QPen(colour, 2));
    painter.setBrush(Qt::NoBrush);
    if (circle) {
      painter.drawEllipse(QPointF(x + 9, y + 9), 5, 5);
    } else {
      painter.drawLine(QPointF(x, y + 9), QPointF(x + 18, y + 9));
    }
    painter.setPen(Qt::black);
    painter.drawText(QRectF(x + 24, y, width() - x - 24, 18), Qt::AlignLeft | Qt::AlignVCenter,
                     text);
  };
  entry(8, top, kPathColour, QStringLiteral("Path at f from the load (L) through each element"),
        false);
  entry(8, top + kLegendLinePixels, kLocusColour, LocusText(), false);
  double line = top + 2 * kLegendLinePixels;
  // Beside the locus entry, or under it on a narrow chart.
  if (ConjugateBesideLocus()) {
    entry(static_cast<double>(width()) * kConjugateColumn, top + kLegendLinePixels, kTargetColour,
          QStringLiteral("Source conjugate"), true);
  } else {
    entry(8, line, kTargetColour, QStringLiteral("Source conjugate"), true);
    line += kLegendLinePixels;
  }
  if (!view_->measuredLoadLocus.empty()) {
    entry(
        8, line, kMeasuredLoadColour,
        QStringLiteral("Measured load over its file (%1)").arg(ToQString(view_->measuredLoadFile)),
        false);
    line += kLegendLinePixels;
  }
  if (!view_->measuredSourceLocus.empty()) {
    entry(8, line, kMeasuredSourceColour,
          QStringLiteral("Measured source's conjugate over the sweep (%1)")
              .arg(ToQString(view_->measuredSourceFile)),
          false);
    line += kLegendLinePixels;
  }
  if (view_->feedline) {
    entry(8, line, kFeedlineColour,
          QStringLiteral("Along the feedline at f, far end (dot) to near end (%1)")
              .arg(ToQString(view_->feedlineName)),
          false);
  }
}

void SmithChartWidget::mouseMoveEvent(QMouseEvent* event) {
  const QString text = TooltipAt(event->position());
  if (text.isEmpty()) {
    QToolTip::hideText();
  } else {
    QToolTip::showText(event->globalPosition().toPoint(), text, this);
  }
  QWidget::mouseMoveEvent(event);
}

void SmithChartWidget::leaveEvent(QEvent* event) {
  QToolTip::hideText();
  QWidget::leaveEvent(event);
}

}  // namespace corvantile
