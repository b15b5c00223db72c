// The blade sections of the deck's block between hub and casing, and what
// the block asks of the whole grid: each section's conformal map and its
// blade-to-blade grid on its own streamsurface, the grid angles per station,
// the inlet and outlet planes, the frame, and the volume through every
// section. Every refusal is a Run_stop (status 2) naming the deck line.
#pragma once

#include <memory>
#include <span>
#include <vector>

#include "base/control_values.hpp"
#include "base/deck_block.hpp"
#include "base/diagnostics.hpp"
#include "control/grid_storage.hpp"
#include "geometry/flow_path.hpp"
#include "geometry/span_lines.hpp"
#include "geometry/surface_description.hpp"
#include "geometry/tip_gap.hpp"
#include "geometry/volume_grid.hpp"

namespace torvane {

class Section_stations {
 public:
  // The sections' maps and storage for a grid of the sizes; refuses a section
  // whose curve misses the planes or the grid's axial extent.
  Section_stations(const Deck_block& block, const Control_values& values, const Grid_sizes& sizes);

  // Whether the volume goes through the stations (sections or a frame given)
  // rather than along straight lines from hub to casing.
  bool Spans() const { return !sections_.empty() || frame_.x != 0.0 || frame_.theta != 0.0; }

  // A description with the block's planes, and for hub and casing (not a
  // section, which has its own) the block's angles.
  void Adjust(Surface_description& description, bool section = false) const;

  // The sections' blade-to-blade grids, built with the hub's work arrays.
  void Build_sections(const Control_values& values, Grid_storage& storage, Diagnostics& diagnostics);

  // What every inner plane needs, then one inner plane (any order, any thread).
  void Prepare(const Volume_sizes& sizes, Grid_storage& storage, Diagnostics& diagnostics);
  void Build_plane(int k, const Volume_sizes& sizes, Grid_storage& storage) const;

  // The sections as the prepared volume placed them, hub first, for the tip
  // gap's cut to keep on the grid; none when they got no planes of their own.
  std::span<const Kept_station> Kept_stations() const { return {kept_.data(), kept_count_}; }

 private:
  struct Section {
    const Block_section* given;
    std::unique_ptr<Conformal_map> map;
    std::vector<double> xy;       // the contour, placed by the build
    std::vector<double> x, y, z;  // its surface, ie x je
  };
  Span_work Work(Grid_storage& storage) const;

  const Deck_block& block_;
  Grid_sizes sizes_;
  Frame_shift frame_;
  std::vector<Section> sections_;
  mutable std::vector<double> span_values_;     // the span work's seven arrays, one after the other
  mutable std::vector<double> station_planes_;  // the spanwise fraction of each station's plane
  mutable std::vector<int> station_k_;          // and its k
  std::vector<Kept_station> kept_;              // the sections' planes and places, once prepared
  std::size_t kept_count_ = 0;                  // how many of them have a plane of their own
};

}  // namespace torvane
