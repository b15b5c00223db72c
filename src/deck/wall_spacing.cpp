#include "deck/wall_spacing.hpp"

#include <cmath>

namespace torvane::deck {

double Flat_plate_skin_friction(double re_x) { return std::pow(2.0 * std::log10(re_x) - 0.65, -2.3); }

double Wall_distance(double yplus, double re, double length) {
  // The friction velocity over the free-stream one is sqrt(Cf / 2); y+ = y u_tau / nu.
  return yplus * length / (re * std::sqrt(Flat_plate_skin_friction(re) / 2.0));
}

}  // namespace torvane::deck
