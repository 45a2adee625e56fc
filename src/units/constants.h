#pragma once

#include <numbers>

// The circle constants, defined once for every folder of the program. The run state's start-up
// values (StartupValues::Pi, TwoPi, DegreesPerRadian) are set from these, so a calculation that
// reads either gets the same bits.
namespace corvantile {

// pi in double precision: 3.141592653589793, the same bits as 4 * atan(1).
inline constexpr double kPi = std::numbers::pi;

// 2 pi in double precision, the same bits as 8 * atan(1): omega = kTwoPi * frequency.
inline constexpr double kTwoPi = 2.0 * std::numbers::pi;

// 180 / pi in double precision, the same bits as 45 / atan(1): degrees = radians * this.
inline constexpr double kDegreesPerRadian = 180.0 / std::numbers::pi;

// pi rounded to single precision, as the program stores it: 3.14159274f.
inline constexpr float kPiSingle = static_cast<float>(std::numbers::pi);

}  // namespace corvantile
