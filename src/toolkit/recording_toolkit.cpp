#include "toolkit/recording_toolkit.h"

namespace corvantile::toolkit {
namespace {

DrawCall Call(DrawCall::Kind kind, double x1 = 0, double y1 = 0, double x2 = 0, double y2 = 0) {
  DrawCall call;
  call.kind = kind;
  call.x1 = x1;
  call.y1 = y1;
  call.x2 = x2;
  call.y2 = y2;
  return call;
}

}  // namespace

void RecordingSurface::Clear() {
  calls_.clear();
  calls_.push_back(Call(DrawCall::Kind::Clear));
}

void RecordingSurface::Line(double x1, double y1, double x2, double y2, Rgb colour, int width,
                            LineStyle style) {
  DrawCall call = Call(DrawCall::Kind::Line, x1, y1, x2, y2);
  call.colour = colour;
  call.width = width;
  call.style = style;
  calls_.push_back(call);
}

void RecordingSurface::FillRect(double x1, double y1, double x2, double y2, Rgb colour) {
  DrawCall call = Call(DrawCall::Kind::FillRect, x1, y1, x2, y2);
  call.colour = colour;
  calls_.push_back(call);
}

void RecordingSurface::OutlineRect(double x1, double y1, double x2, double y2, Rgb colour,
                                   int width) {
  DrawCall call = Call(DrawCall::Kind::OutlineRect, x1, y1, x2, y2);
  call.colour = colour;
  call.width = width;
  calls_.push_back(call);
}

void RecordingSurface::Arc(double cx, double cy, double radius, double startAngle, double endAngle,
                           Rgb colour, int width) {
  DrawCall call = Call(DrawCall::Kind::Arc, cx, cy);
  call.radius = radius;
  call.startAngle = startAngle;
  call.endAngle = endAngle;
  call.colour = colour;
  call.width = width;
  calls_.push_back(call);
}

void RecordingSurface::Point(double x, double y, Rgb colour) {
  DrawCall call = Call(DrawCall::Kind::Point, x, y);
  call.colour = colour;
  calls_.push_back(call);
  textX_ = x;
  textY_ = y;
}

void RecordingSurface::Print(const std::string& text) {
  DrawCall call = Call(DrawCall::Kind::Print, textX_, textY_);
  call.text = text;
  calls_.push_back(call);
}

std::vector<RecordingSurface::PrintedText> RecordingSurface::printed() const {
  std::vector<PrintedText> texts;
  for (const DrawCall& call : calls_) {
    if (call.kind == DrawCall::Kind::Print) texts.push_back({call.x1, call.y1, call.text});
  }
  return texts;
}

RecordingControl& RecordingWindow::Find(std::string_view name) {
  auto it = controls_.find(name);
  if (it == controls_.end()) {
    it = controls_.emplace(std::string(name), std::make_unique<RecordingControl>()).first;
  }
  return *it->second;
}

}  // namespace corvantile::toolkit
