#pragma once

namespace corvantile::toolkit {

// An RGB colour: Rgb{221, 248, 255} is the light panel blue.
struct Rgb {
  int r = 0, g = 0, b = 0;
  friend bool operator==(const Rgb&, const Rgb&) = default;
};

// A rectangle in a window's logical units (left, top, width, height).
struct LogicalRect {
  double left = 0, top = 0, width = 0, height = 0;
  friend bool operator==(const LogicalRect&, const LogicalRect&) = default;
};

// Screen size in twips (1/1440 inch; 15 twips per device-independent pixel at 96 dpi).
struct ScreenTwips {
  double width = 0, height = 0;
  static ScreenTwips FromPixels(int widthPx, int heightPx) {
    return {widthPx * 15.0, heightPx * 15.0};
  }
};

inline constexpr double kTwipsPerPixel = 15.0;

// How a window's logical units map to twips and device-independent pixels. The main windows
// spread 12000 x 9000 units over about the whole screen: the scale ends as 144e6 / W units
// across a client area designed 11880 twips wide, so one unit is 11880 W / 144e6 twips.
struct LogicalScale {
  double twipsPerUnitX = 1.0;
  double twipsPerUnitY = 1.0;

  // The main windows: 12000 units across and 9000 down the client area as designed
  // (11880 x 8490 twips for the opening screen, 11880 x 8190 for the design window).
  static LogicalScale ForMainWindow(ScreenTwips screen, double clientWidthTwips,
                                    double clientHeightTwips) {
    return {clientWidthTwips * screen.width / 144e6, clientHeightTwips * screen.height / 81e6};
  }
  // The small dialogs: 6000 x 4500 units by the same rule over their design client area.
  static LogicalScale ForDialog(ScreenTwips screen, double clientWidthTwips,
                                double clientHeightTwips) {
    return {clientWidthTwips * screen.width / 36e6, clientHeightTwips * screen.height / 20.25e6};
  }

  double XToPixels(double units) const { return units * twipsPerUnitX / kTwipsPerPixel; }
  double YToPixels(double units) const { return units * twipsPerUnitY / kTwipsPerPixel; }
};

}  // namespace corvantile::toolkit
