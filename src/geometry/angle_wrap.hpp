// Angles about the machine's axis: a difference of two angles brought into
// one turn, so a line that crosses theta = pi keeps its course.
#pragma once

#include <cmath>
#include <numbers>

namespace torvane {

// An angle difference brought into (-pi, pi]; one that is not finite as it is.
inline double Wrapped(double angle) {
  constexpr double kTurn = 2 * std::numbers::pi;
  if (!std::isfinite(angle)) return angle;
  while (angle > std::numbers::pi) angle -= kTurn;
  while (angle <= -std::numbers::pi) angle += kTurn;
  return angle;
}

}  // namespace torvane
