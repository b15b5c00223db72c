// The two blade-to-blade surfaces of the grid: the hub (k = 1) and the
// casing (k = ke), each built from its own section contour.
#pragma once

#include <string_view>

namespace torvane {

enum class Surface { hub, casing };

// "hub" or "casing", as messages name the surface and its section.
constexpr std::string_view Surface_name(Surface surface) { return surface == Surface::hub ? "hub" : "casing"; }

}  // namespace torvane
