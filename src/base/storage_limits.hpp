// The run's storage limits: the largest grid block and the longest contour
// point list. The storage is sized by them, the size check refuses decks
// beyond them, and torvane-deck checks its decks against them.
#pragma once

namespace torvane {

// Largest number of points of the grid block in i (streamwise), j (pitchwise)
// and k (spanwise).
inline constexpr int kMaxIe = 257;
inline constexpr int kMaxJe = 65;
inline constexpr int kMaxKe = 49;

// Largest number of points of a contour point list.
inline constexpr int kMaxContourPoints = 257;

// The largest grid block in points along i, j and k.
struct Grid_limits {
  int ie;
  int je;
  int ke;
};

// The classic limits, and the limits of a large grid (torvane --large): as
// many intervals as the three-column interval fields of the grid and
// topology files hold, 999 in each direction.
inline constexpr Grid_limits kClassicLimits{kMaxIe, kMaxJe, kMaxKe};
inline constexpr Grid_limits kLargeLimits{1000, 1000, 1000};

constexpr Grid_limits Limits_of(bool large) { return large ? kLargeLimits : kClassicLimits; }

}  // namespace torvane
