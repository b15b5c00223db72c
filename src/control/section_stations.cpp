#include "control/section_stations.hpp"

#include <charconv>
#include <cmath>

#include "base/build_failure.hpp"
#include "base/run_stop.hpp"
#include "control/build_stop.hpp"
#include "geometry/finite_check.hpp"
#include "geometry/meridional_curve.hpp"
#include "geometry/plane_extent.hpp"
#include "geometry/section_grid.hpp"

namespace torvane {

namespace {

std::string Shortest(double value) {
  char text[64];
  return std::string(text, std::to_chars(text, text + sizeof text, value).ptr);
}

[[noreturn]] void Refuse(int line, std::string_view entry, const std::string& why) {
  throw Run_stop{kExitRefused, "deck line " + std::to_string(line) + " (" + std::string(entry) + "): " + why};
}

// The description of a section: the hub's, with the section's own placement,
// radius, chord (the edge spacings scaled by it as the casing's are) and angles.
Surface_description Describe_section(const Block_section& section, const Conformal_map& map, const Control_values& v) {
  Surface_description d = Describe_surface(Surface::hub, v, &map);
  const double scale = section.chord / v.chordhub;
  d.geometry.stagger = section.stagger * kDegree;
  d.geometry.xref = section.xref;
  d.geometry.yref = section.yref;
  d.geometry.chord = section.chord;
  d.geometry.radius = map.radius();
  if (section.angles_given) {
    d.geometry.betain = section.betain * kDegree;
    d.geometry.betaout = section.betaout * kDegree;
  }
  d.spacings.dsle = v.dsle * scale;
  d.spacings.dywle = v.dywle * scale;
  d.spacings.dste = v.dste * scale;
  d.spacings.dywte = v.dywte * scale;
  d.sizes.k = 1;
  return d;
}

// The lines end on the planes exactly: the section's curve reaches both.
void Check_curve_reaches_planes(const Block_section& given, const Meridional_curve& curve, const Axial_planes& planes) {
  if (planes.inlet < curve.x_first() || planes.outlet > curve.x_last()) {
    const bool before = planes.inlet < curve.x_first();
    Refuse(given.curve.header_line, "section",
           "the section's curve " + std::string(before ? "starts" : "ends") + " at x = " +
               Shortest(before ? curve.x_first() : curve.x_last()) + ", short of the " + (before ? "inlet" : "outlet") +
               " plane at x = " + Shortest(before ? planes.inlet : planes.outlet) + "; extend the curve");
  }
}

// The section's mapped curve spans the grid's extent in the section's plane.
void Check_curve_covers_grid(const Block_section& given, const Meridional_curve& curve, const Conformal_map& map,
                             const Surface_description& d, const std::vector<double>& xy) {
  const int npts = static_cast<int>(given.xy.size() / 2);
  const Plane_extent extent = Surface_plane_extent(d.sizes, d.geometry, d.spacings, npts, given.iref, xy);
  if (extent.inlet < map.xi_first() || extent.outlet > map.xi_last()) {
    const bool before = extent.inlet < map.xi_first();
    Refuse(given.curve.header_line, "section",
           "the section's curve " + std::string(before ? "starts" : "ends") +
               " at x = " + Shortest(before ? curve.x_first() : curve.x_last()) + ", short of the grid's " +
               (before ? "inlet" : "outlet") + " at xi = " + Shortest(before ? extent.inlet : extent.outlet) +
               " in the section's plane; extend the curve or shorten lin or lx");
  }
}

}  // namespace

Section_stations::Section_stations(const Deck_block& block, const Control_values& values, const Grid_sizes& sizes)
    : block_(block), sizes_(sizes) {
  if (block.frame) frame_ = {block.frame->x, block.frame->theta * kDegree};
  if (block.sections.size() + 2 > static_cast<std::size_t>(kMaxSpanStations)) {
    Refuse(block.sections[kMaxSpanStations - 2].line, "section",
           "more than " + std::to_string(kMaxSpanStations - 2) + " sections between hub and casing");
  }
  const std::size_t plane = static_cast<std::size_t>(sizes.ie) * static_cast<std::size_t>(sizes.je);
  for (const Block_section& given : block.sections) {
    const Meridional_curve curve(given.curve.x, given.curve.r);
    Section section{&given,
                    std::make_unique<Conformal_map>(curve, curve.Radius(given.xref), given.xref),
                    given.xy,
                    std::vector<double>(plane),
                    std::vector<double>(plane),
                    std::vector<double>(plane)};
    Surface_description d = Describe_section(given, *section.map, values);
    Adjust(d, true);
    if (block.planes) {
      Check_curve_reaches_planes(given, curve, *block.planes);
    } else {
      Check_curve_covers_grid(given, curve, *section.map, d, section.xy);
    }
    sections_.push_back(std::move(section));
  }
  if (Spans()) {
    span_values_.assign(7 * Span_work_size(static_cast<int>(sections_.size()) + 2, sizes.ie, sizes.je), 0);
    station_planes_.assign(sections_.size() + 2, 0.0);
    station_k_.assign(sections_.size() + 2, 0);
    kept_.assign(sections_.size(), Kept_station{0, 0.0});
  }
}

void Section_stations::Adjust(Surface_description& d, bool section) const {
  if (!section && block_.angles) {
    const bool hub = d.surface == Surface::hub;
    d.geometry.betain = (hub ? block_.angles->hub_in : block_.angles->casing_in) * kDegree;
    d.geometry.betaout = (hub ? block_.angles->hub_out : block_.angles->casing_out) * kDegree;
  }
  if (block_.planes) {
    // On a cylinder xi is x.
    d.geometry.inlet_xi = d.map != nullptr ? d.map->Xi(block_.planes->inlet) : block_.planes->inlet;
    d.geometry.outlet_xi = d.map != nullptr ? d.map->Xi(block_.planes->outlet) : block_.planes->outlet;
  }
}

void Section_stations::Build_sections(const Control_values& values, Grid_storage& storage, Diagnostics& diagnostics) {
  const Section_work work{storage.plane1(), storage.plane2(), storage.bez(), storage.w1(),
                          storage.w2(),     storage.w3(),     storage.w4()};
  for (Section& section : sections_) {
    Surface_description d = Describe_section(*section.given, *section.map, values);
    Adjust(d, true);
    const Contour_points contour{0, static_cast<int>(section.xy.size() / 2), section.given->iref, section.xy};
    const Grid grid{Block(section.x, sizes_.ie, sizes_.je, 1), Block(section.y, sizes_.ie, sizes_.je, 1),
                    Block(section.z, sizes_.ie, sizes_.je, 1)};
    // The build names the hub section, whose description the section's starts
    // from; a failure is the block's section, told at its deck line.
    auto refuse = [&](int status, std::string why) {
      if (why.starts_with("hub section: ")) why.erase(0, 13);
      if (why.empty()) why = "a blade point cannot be found on its contour (the Bezier inversion failed)";
      throw Run_stop{status, "deck line " + std::to_string(section.given->line) + " (section): " + why};
    };
    try {
      Section_grid(d, contour, work, grid, diagnostics);
    } catch (const Build_failure& failure) {
      const Run_stop stop = Stop_of(failure);
      refuse(stop.status, stop.diagnostic);
    } catch (const Run_stop& stop) {
      refuse(kExitRefused, stop.diagnostic);
    }
    // A surface point that is not a number would spread along its spanwise line.
    try {
      Check_finite_planes(grid, sizes_.ie, sizes_.je, 1, 1);
    } catch (const Build_failure& failure) {
      const auto& at = std::get<Coordinate_not_finite>(failure.kind);
      refuse(kExitProgramError, "the section's surface has a coordinate that is not a finite number at its point " +
                                    ("(i, j) = (" + std::to_string(at.i) + ", " + std::to_string(at.j)) +
                                    "); its contour cannot be gridded as it is listed");
    }
  }
}

Span_work Section_stations::Work(Grid_storage& storage) const {
  const std::size_t size = Span_work_size(static_cast<int>(sections_.size()) + 2, sizes_.ie, sizes_.je);
  double* base = span_values_.data();
  auto part = [&](int n) { return std::span<double>(base + static_cast<std::size_t>(n) * size, size); };
  return Span_work{part(0), part(1), part(2),         part(3),         part(4),
                   part(5), part(6), storage.sspan(), station_planes_, station_k_};
}

void Section_stations::Prepare(const Volume_sizes& sizes, Grid_storage& storage, Diagnostics& diagnostics) {
  const Grid grid = storage.grid();
  std::vector<Station_surface> stations;
  stations.push_back({grid, 1});
  for (Section& section : sections_) {
    stations.push_back({Grid{Block(section.x, sizes_.ie, sizes_.je, 1), Block(section.y, sizes_.ie, sizes_.je, 1),
                             Block(section.z, sizes_.ie, sizes_.je, 1)},
                        1});
  }
  stations.push_back({grid, sizes.ke});
  std::vector<double> places{0.0};
  for (const Section& section : sections_) places.push_back(section.given->span);
  places.push_back(1.0);
  Prepare_span_lines(sizes, stations, places, frame_, Work(storage), grid, diagnostics);
  kept_count_ = 0;
  if (std::isnan(station_planes_[0])) return;
  for (std::size_t n = 0; n < sections_.size(); ++n) kept_[n] = {station_k_[n + 1], places[n + 1]};
  kept_count_ = sections_.size();
}

void Section_stations::Build_plane(int k, const Volume_sizes& sizes, Grid_storage& storage) const {
  Build_span_plane(k, sizes, static_cast<int>(sections_.size()) + 2, Work(storage), storage.grid());
}

}  // namespace torvane
