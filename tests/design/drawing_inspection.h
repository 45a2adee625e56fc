#pragma once

// Reading a recorded drawing back: rail coverage, arcs and printed texts.
#include <algorithm>
#include <utility>
#include <vector>

#include "toolkit/recording_toolkit.h"

namespace corvantile::testing {

using toolkit::DrawCall;

inline std::vector<DrawCall> CallsOfKind(const std::vector<DrawCall>& calls, DrawCall::Kind kind,
                                         double xMin = -1e9, double xMax = 1e9) {
  std::vector<DrawCall> found;
  for (const DrawCall& call : calls) {
    if (call.kind == kind && call.x1 >= xMin && call.x1 <= xMax) found.push_back(call);
  }
  return found;
}

// The x intervals covered by horizontal lines at height y that start inside [xMin, xMax],
// merged where they touch.
inline std::vector<std::pair<double, double>> HorizontalCoverage(const std::vector<DrawCall>& calls,
                                                                 double y, double xMin = -1e9,
                                                                 double xMax = 1e9) {
  std::vector<std::pair<double, double>> spans;
  for (const DrawCall& call : CallsOfKind(calls, DrawCall::Kind::Line, xMin, xMax)) {
    if (call.y1 == y && call.y2 == y) {
      spans.emplace_back(std::min(call.x1, call.x2), std::max(call.x1, call.x2));
    }
  }
  std::sort(spans.begin(), spans.end());
  std::vector<std::pair<double, double>> merged;
  for (const auto& span : spans) {
    if (!merged.empty() && span.first <= merged.back().second) {
      merged.back().second = std::max(merged.back().second, span.second);
    } else {
      merged.push_back(span);
    }
  }
  return merged;
}

// Centres (x) of the arcs that start inside [xMin, xMax].
inline std::vector<double> ArcCentresX(const std::vector<DrawCall>& calls, double xMin = -1e9,
                                       double xMax = 1e9) {
  std::vector<double> xs;
  for (const DrawCall& call : CallsOfKind(calls, DrawCall::Kind::Arc, xMin, xMax)) {
    xs.push_back(call.x1);
  }
  return xs;
}

}  // namespace corvantile::testing
