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

}  // namespace torvane
