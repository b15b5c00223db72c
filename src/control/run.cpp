#include "control/run.hpp"

#include <memory>
#include <new>
#include <system_error>
#include <thread>

#include "base/version.hpp"
#include "control/control_check.hpp"
#include "control/control_input.hpp"
#include "control/grid_storage.hpp"
#include "control/grid_verdict.hpp"
#include "geometry/contour_sense.hpp"
#include "geometry/finite_check.hpp"
#include "geometry/section_grid.hpp"
#include "geometry/section_setup.hpp"
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

void Print_summary(Console& out, const Grid_sizes& sizes, double dphi) {
  std::string text = " Number of grid points: ";
  Put_integers(text, {sizes.ie, sizes.je, sizes.ke}, 3, " x ");
  text += "\r\n Leading edge index   : ";
  Put_integer(text, sizes.ile, 3);
  text += "\r\n Trailing edge index  : ";
  Put_integer(text, sizes.ite, 3);
  text += "\r\n Pitch angle          : ";
  Put_fixed(text, dphi / kDegree, 5, 2);
  text += "\r\n\r\n";
  out.write(text);
}

// One surface of the grid: hub (k = 1) or casing (k = ke).
void Build_surface(std::string_view name, int k, const Control_values& v, const Grid_sizes& sizes,
                   const Setup_values& setup, Contour_points& contour, Grid_storage& storage, Console& out) {
  bool hub = name == "hub";
  Section_sizes section_sizes{sizes.ie, sizes.je, v.nin, v.nout, v.npitch, sizes.ile, sizes.ite, v.nwall, k};
  Section_geometry geometry{setup.dphi,
                            v.betain,
                            v.betaout,
                            hub ? v.staghub : v.stagcas,
                            hub ? 0.0 : setup.xrefcas,
                            hub ? 0.0 : setup.yrefcas,
                            hub ? v.chordhub : v.chordcas,
                            hub ? v.rhub : v.rcas,
                            v.lin,
                            v.lx};
  Section_spacings spacings{v.dsle, v.dywle, v.dste, v.dywte, v.dyout, v.ratio};
  Section_work work{storage.plane1(), storage.plane2(), storage.bez(), storage.w1(),
                    storage.w2(),     storage.w3(),     storage.w4()};
  Section_grid(section_sizes, geometry, spacings, v.ibez, Section_points{name, contour.npts, contour.iref, contour.xy},
               work, storage.grid(), out);
  Check_contour_sense(name, storage.plane2(), sizes.ile, sizes.ite, sizes.je, geometry.dphi * geometry.radius);
}

// Stops the run on a grid that failed its check, unless --allow-folded asks
// for its files anyway.
void Accept_grid(const Grid_verdict& verdict, const Run_options& options, Console& err) {
  if (verdict.status == kExitComplete) return;
  if (options.allow_folded) {
    err.record("torvane: warning: " + verdict.diagnostic + "; the files are written as --allow-folded asks");
    return;
  }
  throw Run_stop{verdict.status,
                 verdict.diagnostic + "; no file written (torvane --allow-folded writes them for a viewer)"};
}

int Generate(std::istream& deck, Console& out, Console& err, const Run_options& options) {
  Print_banner(out);
  Deck_reader reader(deck);
  Control_values values = reader.Read_control_values();
  if (!Grid_fits_storage(values)) {
    out.list_text("ERROR - too many grid points !");
    err.record("torvane: " + Grid_size_excess(values));
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

  Print_summary(out, sizes, setup.dphi);
  out.record(" Generating grid at hub & casing ...");
  const Contour_points* building = &hub;
  try {
    Build_surface("hub", 1, values, sizes, setup, hub, storage, out);
    Scale_casing_spacings(values);
    building = &casing;
    Build_surface("casing", sizes.ke, values, sizes, setup, casing, storage, out);
  } catch (const Run_stop& stop) {
    // The Bezier inversion's ERROR line stays as it is; the cause goes beside it.
    if (stop.status != kExitProgramError || !stop.diagnostic.empty()) throw;
    const bool at_hub = building == &hub;
    throw Run_stop{stop.status, Inversion_cause(at_hub ? "hub" : "casing", *building, values.dsle, values.dste)};
  }

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

  // The grid check: no folded cell and no covered blade, before any file
  // takes its name. It runs on the second core while the files are written
  // to their temporaries, which the check's failure removes.
  const Grid grid = storage.grid();
  const Check_input check{values, sizes, setup, hub, casing, grid};
  if (!options.write_files) {
    if (options.check_grid) Accept_grid(Check_grid(check), options, err);
    return kExitComplete;
  }
  const Block_sizes block{sizes.ie, sizes.je, sizes.ke, sizes.ile, sizes.ite, values.nin, values.npitch, values.nspan};
  const std::string stem = options.output_stem.empty() ? Output_stem(values.fname) : options.output_stem;
  std::unique_ptr<Output_file> files[3];
  Shared_check shared(check);
  {
    std::jthread helper;
    if (options.check_grid) {
      try {
        helper = std::jthread([&shared] { shared.Work(1); });
      } catch (const std::system_error&) {
        // No second thread to be had: this one does all of the check below.
      }
    }
    files[0] = Write_grid_temporary(stem, block, grid, out);
    files[1] = Write_topology_temporary(stem, block, setup.dphi);
    files[2] = Write_plot_temporary(stem, values.title, block, grid, out);
    if (options.check_grid) shared.Work(0);
  }
  if (options.check_grid) Accept_grid(Judge_grid(shared.Findings(), check), options, err);
  for (const auto& file : files) file->Replace_target();
  Print_finished(out);
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
    return Generate(deck, out, err, options);
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
