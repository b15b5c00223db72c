#include "control/run.hpp"

#include <new>
#include <optional>

#include "base/version.hpp"
#include "control/control_check.hpp"
#include "control/control_input.hpp"
#include "control/flow_path_file.hpp"
#include "control/grid_storage.hpp"
#include "geometry/contour_sense.hpp"
#include "geometry/finite_check.hpp"
#include "geometry/plane_extent.hpp"
#include "geometry/section_grid.hpp"
#include "geometry/section_setup.hpp"
#include "geometry/surface_wrap.hpp"
#include "geometry/volume_grid.hpp"
#include "output/grid_files.hpp"
#include "output/number_format.hpp"

namespace torvane {

namespace {

void Print_banner(Console& out) {
  out.list_text(" ");
  out.list_text("*************************************************");
  out.list_text("*                                               *");
  out.list_text("*    GENERATION OF 3-D H-GRID AROUND A BLADE    *");
  out.list_text("*                                               *");
  out.list_text(Banner_version_line());
  out.list_text("*                                               *");
  out.list_text("*************************************************");
  out.list_text(" ");
}

void Print_summary(Console& out, const Grid_sizes& sizes, double dphi, std::string_view flow_path_lines = {}) {
  std::string text = " Number of grid points: ";
  Put_integers(text, {sizes.ie, sizes.je, sizes.ke}, 3, " x ");
  text += "\r\n Leading edge index   : ";
  Put_integer(text, sizes.ile, 3);
  text += "\r\n Trailing edge index  : ";
  Put_integer(text, sizes.ite, 3);
  text += "\r\n Pitch angle          : ";
  Put_fixed(text, dphi / kDegree, 5, 2);
  text += "\r\n";
  text += flow_path_lines;
  text += "\r\n";
  out.write(text);
}

// The placement of the hub or the casing section.
Section_geometry Surface_geometry(bool hub, const Control_values& v, const Setup_values& setup) {
  return Section_geometry{setup.dphi,
                          v.betain,
                          v.betaout,
                          hub ? v.staghub : v.stagcas,
                          hub ? 0.0 : setup.xrefcas,
                          hub ? 0.0 : setup.yrefcas,
                          hub ? v.chordhub : v.chordcas,
                          hub ? v.rhub : v.rcas,
                          v.lin,
                          v.lx};
}

// The summary lines of a run on a flow path: the axial positions of the
// inlet and outlet lines on hub and casing.
std::string Flow_path_lines(const Surface_maps& maps, const Flow_path_demands& demands) {
  std::string text = " Inlet x (hub, casing): ";
  Put_fixed(text, maps.hub.Axial(demands.hub.inlet), 10, 5);
  Put_fixed(text, maps.casing.Axial(demands.casing.inlet), 11, 5);
  text += "\r\n Outlet x(hub, casing): ";
  Put_fixed(text, maps.hub.Axial(demands.hub.outlet), 10, 5);
  Put_fixed(text, maps.casing.Axial(demands.casing.outlet), 11, 5);
  text += "\r\n";
  return text;
}

// The flow path checked with the deck before the build, and its maps.
Surface_maps Flow_path_maps(const std::string& path, const Control_values& v, const Grid_sizes& sizes,
                            const Setup_values& setup, const Contour_points& hub, const Contour_points& casing,
                            std::string& summary) {
  const Flow_path_file file = Read_flow_path_file(path);
  Control_values casing_values = v;
  Scale_casing_spacings(casing_values);
  const Control_values* surface_values[2] = {&v, &casing_values};
  const Contour_points* contours[2] = {&hub, &casing};
  Plane_extent extents[2];
  for (int n = 0; n < 2; ++n) {
    const Control_values& s = *surface_values[n];
    extents[n] = Surface_plane_extent(
        Section_sizes{sizes.ie, sizes.je, s.nin, s.nout, s.npitch, sizes.ile, sizes.ite, s.nwall, 1},
        Surface_geometry(n == 0, s, setup), Section_spacings{s.dsle, s.dywle, s.dste, s.dywte, s.dyout, s.ratio},
        contours[n]->npts, contours[n]->iref, contours[n]->xy);
  }
  const double tan_sweep = setup.span == 0.0 ? 0.0 : setup.xrefcas / setup.span;
  const Flow_path_demands demands{v.rhub, v.rcas, setup.xrefcas, tan_sweep, extents[0], extents[1]};
  Surface_maps maps = Check_flow_path(file, demands);
  summary = Flow_path_lines(maps, demands);
  return maps;
}

// One surface of the grid: hub (k = 1) or casing (k = ke), wrapped onto the
// flow path's surface when there is one.
void Build_surface(std::string_view name, int k, const Control_values& v, const Grid_sizes& sizes,
                   const Setup_values& setup, Contour_points& contour, Grid_storage& storage, Console& out,
                   const Conformal_map* map) {
  bool hub = name == "hub";
  Section_sizes section_sizes{sizes.ie, sizes.je, v.nin, v.nout, v.npitch, sizes.ile, sizes.ite, v.nwall, k};
  const Section_geometry geometry = Surface_geometry(hub, v, setup);
  Section_spacings spacings{v.dsle, v.dywle, v.dste, v.dywte, v.dyout, v.ratio};
  Section_work work{storage.plane1(), storage.plane2(), storage.bez(), storage.w1(),
                    storage.w2(),     storage.w3(),     storage.w4()};
  Section_grid(section_sizes, geometry, spacings, v.ibez, Section_points{name, contour.npts, contour.iref, contour.xy},
               work, storage.grid(), out);
  Check_contour_sense(name, storage.plane2(), sizes.ile, sizes.ite, sizes.je, geometry.dphi * geometry.radius);
  // Section_grid wrapped the plane onto the cylinder; the flow path's surface replaces it.
  if (map != nullptr)
    Wrap_on_flow_path(storage.plane1(), storage.plane2(), sizes.ie, sizes.je, *map, storage.grid(), k);
}

int Generate(std::istream& deck, Console& out, const Run_options& options) {
  Print_banner(out);
  Deck_reader reader(deck);
  Control_values values = reader.Read_control_values();
  if (!Grid_fits_storage(values)) {
    out.list_text("ERROR - too many grid points !");
    return kExitProgramError;
  }
  Check_control_values(values);
  const Grid_sizes sizes = Derive_grid_sizes(values);
  const Setup_values setup = Section_setup(values);

  Grid_storage storage;
  Contour_points hub{0, 0, 0, storage.xyhub()};
  Contour_points casing{0, 0, 0, storage.xycas()};
  reader.Read_point_list("hub", hub);
  reader.Read_point_list("casing", casing);
  Check_contour("hub", hub);
  Check_contour("casing", casing);

  std::optional<Surface_maps> maps;
  std::string flow_path_lines;
  if (!options.flow_path.empty()) {
    maps.emplace(Flow_path_maps(options.flow_path, values, sizes, setup, hub, casing, flow_path_lines));
  }

  Print_summary(out, sizes, setup.dphi, flow_path_lines);
  out.record(" Generating grid at hub & casing ...");
  Build_surface("hub", 1, values, sizes, setup, hub, storage, out, maps ? &maps->hub : nullptr);
  Scale_casing_spacings(values);
  Build_surface("casing", sizes.ke, values, sizes, setup, casing, storage, out, maps ? &maps->casing : nullptr);

  out.record(" Generating volume grid ...");
  // No file receives a coordinate that is not finite: the planes are checked
  // in increasing k, the inner ones by the volume build as it completes them.
  Check_finite_planes(storage.grid(), sizes.ie, sizes.je, 1, 1);
  Build_volume(Volume_sizes{sizes.ie, sizes.je, sizes.ke, values.nwallhc, values.ratio, values.dzwall, setup.span},
               Volume_work{storage.plane1(), storage.plane2(), storage.sspan(), storage.w1(), storage.w2(),
                           storage.w3(), storage.w4(), storage.hub_parameters(), storage.casing_parameters(),
                           storage.side1_parameters(), storage.side2_parameters()},
               storage.grid(), out);
  Check_finite_planes(storage.grid(), sizes.ie, sizes.je, sizes.ke, sizes.ke);

  if (!options.write_files) return kExitComplete;
  const Block_sizes block{sizes.ie, sizes.je, sizes.ke, sizes.ile, sizes.ite, values.nin, values.npitch, values.nspan};
  const std::string stem = options.output_stem.empty() ? Output_stem(values.fname) : options.output_stem;
  Write_grid_file(stem, block, storage.grid(), out);
  Write_topology_file(stem, block, setup.dphi);
  Write_plot_file(stem, values.title, block, storage.grid(), out);
  return kExitComplete;
}

}  // namespace

std::string Banner_version_line() {
  constexpr size_t kInside = 47;
  std::string text = std::string("torvane ") + kVersion + " (" + kReleaseDate + ")";
  if (text.size() > kInside) text.resize(kInside);
  size_t left = (kInside - text.size()) / 2;
  std::string line = "*";
  line.append(left, ' ');
  line.append(text);
  line.resize(1 + kInside, ' ');
  line.push_back('*');
  return line;
}

int Run(std::istream& deck, Console& out, Console& err, const Run_options& options) {
  try {
    return Generate(deck, out, options);
  } catch (const Run_stop& stop) {
    if (!stop.diagnostic.empty()) err.record(std::string("torvane: ").append(stop.diagnostic));
    return stop.status;
  } catch (const std::bad_alloc&) {
    // Almost all of it is the grid storage, allocated once before the point
    // lists are read; an output file in the making is removed with its buffer.
    err.record("torvane: not enough memory (a run needs about 25 MB)");
    return kExitProgramError;
  }
}

}  // namespace torvane
