// The flow-path file of `torvane --flow-path FILE`: a line `hub` and its
// (x, r) points, a line `casing` and its points; read, then checked with the
// deck (the reference radii, the axial range each surface needs, the hub
// below the casing). Every refusal is a Run_stop (status 2) "FILE:LINE: why".
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/deck_block.hpp"
#include "geometry/flow_path.hpp"
#include "geometry/plane_extent.hpp"

namespace torvane {

// Largest flow-path file read (far more than any curve needs).
inline constexpr std::size_t kMaxFlowPathBytes = std::size_t{1} << 24;

// Reads and parses the file.
Flow_path_file Read_flow_path_file(const std::string& path);

// Parses the text of a file called `name`: blank lines and `#` comments
// anywhere, items separated by blanks or a comma, numbers as in the deck;
// x strictly increasing, r > 0 and at least two points on each curve.
Flow_path_file Parse_flow_path(std::string_view name, std::string_view text);

// Parses the lines of the deck block's flow-path entry, opened on deck line
// `entry_line`, its first line being deck line entry_line + 1; refusals name
// the deck line and the entry: "deck line 305 (flow-path): why".
Flow_path_file Parse_flow_path_entry(std::string_view text, int entry_line);

// Where a refusal about the flow path points: "FILE:LINE" for a file,
// "deck line LINE (flow-path)" for the block's entry (its opening line for line 0).
std::string Flow_path_place(const Flow_path_file& file, int line);

// What the deck asks of the flow path.
struct Flow_path_demands {
  double rhub;          // radius of the hub section, at x = 0
  double rcas;          // radius of the casing section
  double xrefcas;       // axial position of the casing section's reference point
  double tan_sweep;     // tan(sweep), for the rcas the casing curve asks for
  Plane_extent hub;     // inlet and outlet of the hub plane
  Plane_extent casing;  // and of the casing plane
  // When given, the inlet and outlet planes x = const (the deck block's
  // `planes`), which the curves must reach in place of the planes' extents.
  std::optional<Plane_extent> axial_planes = std::nullopt;
};

// The conformal maps of both surfaces.
struct Surface_maps {
  Conformal_map hub;
  Conformal_map casing;
};

// The maps, once the file passes every check with the deck.
Surface_maps Check_flow_path(const Flow_path_file& file, const Flow_path_demands& demands);

}  // namespace torvane
