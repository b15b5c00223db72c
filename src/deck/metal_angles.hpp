// The blade's inlet and outlet metal angles: the direction of the camber line
// at the leading and the trailing edge of a section placed as torvane places
// it, in the angle convention of the upstream and downstream grid lines.
#pragma once

#include <optional>

#include "base/control_values.hpp"
#include "base/surface.hpp"
#include "deck/section_contour.hpp"

namespace torvane::deck {

// Camber-line directions to the x axis [deg], positive towards +y.
struct Metal_angles {
  double inlet;
  double outlet;
};

// The metal angles of the section placed with the surface's stagger and chord,
// its edges where torvane's edge search finds them; nothing when the search
// finds the edges in the wrong order or a side does not span the chord.
std::optional<Metal_angles> Section_metal_angles(const Control_values& values, Surface surface,
                                                 const Section_contour& contour);

}  // namespace torvane::deck
