// The first interval at a wall from a target y+: the turbulent flat-plate
// skin friction of Schlichting, Cf = (2 log10(Re_x) - 0.65)^-2.3, taken at
// the end of a plate one chord long.
#pragma once

namespace torvane::deck {

// The Reynolds numbers the correlation is used for (turbulent flow on the chord).
inline constexpr double kMinReynolds = 1e4;
inline constexpr double kMaxReynolds = 1e10;

// Schlichting's local skin-friction coefficient at Reynolds number re_x.
double Flat_plate_skin_friction(double re_x);

// The wall distance of y+ on a plate of the given length at Reynolds number
// re on that length: y = y+ length / (re sqrt(Cf / 2)).
double Wall_distance(double yplus, double re, double length);

}  // namespace torvane::deck
