#pragma once

// The one placement rule of the windows whose load sets a logical scale and places the
// controls: a row in logical units, either a whole rectangle (and then the load's font size)
// or only a corner, for a control that keeps its design size in twips and its design font.
//
// Example: at 1.2672 x 1.1648 twips a unit (a 1024 x 768 screen), {"cmdPhasePlusOne", 6200,
// 5205} with a 435 x 330 twips design size becomes {6200, 5205, 343.3, 283.3} units.
#include <string_view>

#include "toolkit/control_look.h"
#include "toolkit/geometry.h"
#include "toolkit/toolkit.h"

namespace corvantile::toolkit {

struct ControlPlacement {
  std::string_view name;
  double left = 0;
  double top = 0;
  double width = 0;  // 0: keep the design size and font
  double height = 0;

  bool SetsSizeAndFont() const { return width > 0; }
};

// Where `row` puts the control `look` describes, in logical units at `scale`.
inline LogicalRect PlacedRect(const ControlPlacement& row, const ControlLook& look,
                              const LogicalScale& scale) {
  if (row.SetsSizeAndFont()) return {row.left, row.top, row.width, row.height};
  // Moved only: the size stays the design size in twips whatever the scale.
  return {row.left, row.top, look.rect.width / scale.twipsPerUnitX,
          look.rect.height / scale.twipsPerUnitY};
}

// Places `control` by `row`; a row with a size also gives it the font size `points`.
inline void PlaceControl(Control& control, const ControlPlacement& row, const ControlLook& look,
                         const LogicalScale& scale, double points) {
  control.SetGeometry(PlacedRect(row, look, scale));
  if (row.SetsSizeAndFont()) control.SetFontSize(points);
}

}  // namespace corvantile::toolkit
