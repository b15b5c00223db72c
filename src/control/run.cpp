#include "control/run.hpp"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <exception>
#include <memory>
#include <new>
#include <optional>
#include <variant>

#include "base/build_failure.hpp"
#include "base/terminal_text.hpp"
#include "base/version.hpp"
#include "control/build_scheduler.hpp"
#include "control/build_stop.hpp"
#include "control/control_check.hpp"
#include "control/control_input.hpp"
#include "control/deck_block.hpp"
#include "control/flow_path_file.hpp"
#include "control/grid_storage.hpp"
#include "control/grid_verdict.hpp"
#include "control/run_diagnostics.hpp"
#include "control/section_stations.hpp"
#include "geometry/contour_sense.hpp"
#include "geometry/finite_check.hpp"
#include "geometry/passage_smoothing.hpp"
#include "geometry/plane_extent.hpp"
#include "geometry/section_grid.hpp"
#include "geometry/surface_description.hpp"
#include "geometry/tip_gap.hpp"
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
  Put_count(text, sizes.ie, 3);
  text += " x ";
  Put_count(text, sizes.je, 3);
  text += " x ";
  Put_count(text, sizes.ke, 3);
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

// The summary lines of a run on a flow path: the axial positions of the
// inlet and outlet lines on hub and casing.
// With the block's frame, in the frame's axial coordinate.
std::string Flow_path_lines(const Surface_maps& maps, const Flow_path_demands& demands, const Deck_block& block) {
  auto x = [&](const Conformal_map& map, double xi) {
    return block.frame ? map.Axial(xi) + block.frame->x : map.Axial(xi);
  };
  std::string text = " Inlet x (hub, casing): ";
  Put_fixed(text, x(maps.hub, demands.hub.inlet), 10, 5);
  Put_fixed(text, x(maps.casing, demands.casing.inlet), 11, 5);
  text += "\r\n Outlet x(hub, casing): ";
  Put_fixed(text, x(maps.hub, demands.hub.outlet), 10, 5);
  Put_fixed(text, x(maps.casing, demands.casing.outlet), 11, 5);
  text += "\r\n";
  return text;
}

// The flow path checked with the deck before the build, and its maps.
Surface_maps Flow_path_maps(const Flow_path_file& file, const Control_values& v, const Setup_values& setup,
                            const Contour_points& hub, const Contour_points& casing, const Deck_block& block,
                            std::string& summary) {
  Plane_extent extents[2];
  const Contour_points* contours[2] = {&hub, &casing};
  for (Surface surface : {Surface::hub, Surface::casing}) {
    // With planes the curves must reach the planes; the lines' lengths do not count.
    if (block.planes) break;
    const Surface_description d = Describe_surface(surface, v);
    const Contour_points& contour = *contours[surface == Surface::hub ? 0 : 1];
    extents[surface == Surface::hub ? 0 : 1] =
        Surface_plane_extent(d.sizes, d.geometry, d.spacings, contour.npts, contour.iref, contour.xy);
  }
  const double tan_sweep = setup.span == 0.0 ? 0.0 : setup.xrefcas / setup.span;
  Flow_path_demands demands{v.rhub, v.rcas, setup.xrefcas, tan_sweep, extents[0], extents[1]};
  if (block.planes) demands.axial_planes = Plane_extent{block.planes->inlet, block.planes->outlet};
  Surface_maps maps = Check_flow_path(file, demands);
  if (block.planes) {
    demands.hub = {maps.hub.Xi(block.planes->inlet), maps.hub.Xi(block.planes->outlet)};
    demands.casing = {maps.casing.Xi(block.planes->inlet), maps.casing.Xi(block.planes->outlet)};
  }
  summary = Flow_path_lines(maps, demands, block);
  return maps;
}

// A length in a message: six significant digits.
std::string Short_number(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%.6g", value);
  return text;
}

// The tip gap's length, cells and pinch for the deck's grid; a gap or a
// pinch the passage cannot take stops the run (status 2) naming where it was
// given: the gap at `source`, the pinch at `pinch_source`.
Tip_gap_sizes Tip_gap_of(const Tip_gap_request& request, const std::string& source, const std::string& pinch_source,
                         const Control_values& v, const Grid_sizes& sizes, const Setup_values& setup) {
  const double gap = request.Length(setup.span);
  if (!(gap > 0) || gap > kLargestGapShare * std::fabs(setup.span)) {
    throw Run_stop{kExitRefused, source + ": a tip gap of " + Short_number(gap) +
                                     " is more than a quarter of the span " + Short_number(setup.span) +
                                     " (rcas - rhub, records 14 and 15)"};
  }
  if (Tip_plane(sizes.ke, request.cells) == 0) {
    throw Run_stop{kExitRefused, source + ": " + std::to_string(request.cells) +
                                     " cells across the gap leave fewer than " + "2 of the " + std::to_string(v.nspan) +
                                     " spanwise cells (nspan, record 7) below the blade tip"};
  }
  const double pinch = request.Pinch_length(setup.span);
  if (!(pinch < std::fabs(setup.span) - gap)) {
    throw Run_stop{kExitRefused, pinch_source + ": a pinch of " + Short_number(pinch) +
                                     " is not below the blade's height " + Short_number(std::fabs(setup.span) - gap) +
                                     " under its tip (the span less the gap)"};
  }
  return {sizes.ie, sizes.je, sizes.ke,   sizes.ile, sizes.ite,  request.cells, v.nwallhc,
          v.ratio,  v.dzwall, setup.span, gap,       setup.dphi, pinch,         request.pinch_auto};
}

// The tip gap of the deck's block or of the options (not both), checked with the deck.
std::optional<Tip_gap_sizes> Chosen_tip_gap(const Deck_block& block, const Run_options& options,
                                            const Control_values& values, const Grid_sizes& sizes,
                                            const Setup_values& setup) {
  if (block.tip_gap && options.tip_gap) {
    throw Run_stop{kExitRefused, "deck line " + std::to_string(block.tip_gap_line) +
                                     " (tip-gap): the deck's block gives the tip gap and so does " +
                                     options.tip_gap_source + "; give it once"};
  }
  if (options.tip_pinch && !block.tip_gap && !options.tip_gap) {
    throw Run_stop{kExitRefused, options.tip_pinch_source + " needs a tip gap: give " + options.tip_gap_source +
                                     ", or the deck's block a tip-gap entry"};
  }
  if (block.tip_gap) {
    Tip_gap_request request = *block.tip_gap;
    const std::string source = "deck line " + std::to_string(block.tip_gap_line) + " (tip-gap)";
    if (!options.tip_pinch) return Tip_gap_of(request, source, source, values, sizes, setup);
    request.Take_pinch(*options.tip_pinch);
    return Tip_gap_of(request, source, options.tip_pinch_source, values, sizes, setup);
  }
  if (options.tip_gap) {
    return Tip_gap_of(*options.tip_gap, options.tip_gap_source, options.tip_pinch_source, values, sizes, setup);
  }
  return std::nullopt;
}

// The summary line of a run with a tip gap; nothing without one.
std::string Tip_gap_line(const std::optional<Tip_gap_sizes>& gap) {
  if (!gap) return {};
  std::string text = " Tip gap              : " + Short_number(gap->gap);
  text += " (" + std::to_string(gap->gap_cells) +
          " cells, blade tip at k = " + std::to_string(Tip_plane(gap->ke, gap->gap_cells));
  if (gap->pinch_auto) text += ", walls closed over the tip's half thickness below it";
  if (gap->pinch > 0) text += ", walls closed over " + Short_number(gap->pinch) + " below it";
  text += ")\r\n";
  return text;
}

// A tip gap into the passage's patches and the check's values.
void Take_tip_gap(const std::optional<Tip_gap_sizes>& gap, Passage& passage, int& gap_cells, double& length) {
  if (!gap) return;
  Add_tip_gap(passage, gap->gap_cells);
  gap_cells = gap->gap_cells;
  length = gap->gap;
}

// One surface of the grid: hub (k = 1) or casing (k = ke), on the flow path's
// surface when there is a map, else on the cylinder of the section's radius.
// A failure stops the run; a blade station the Bezier inversion cannot place
// keeps its ERROR line on the console and gets its cause beside it.
void Build_surface(Surface surface, const Control_values& values, Contour_points& contour, Grid_storage& storage,
                   const Conformal_map* map, const Section_stations& stations, Diagnostics& diagnostics) {
  Surface_description description = Describe_surface(surface, values, map);
  stations.Adjust(description);
  const Section_work work =
      surface == Surface::hub
          ? Section_work{storage.plane1(), storage.plane2(), storage.bez(), storage.w1(),
                         storage.w2(),     storage.w3(),     storage.w4()}
          : Section_work{storage.casing_plane1(), storage.casing_plane2(), storage.casing_bez(), storage.casing_w1(),
                         storage.casing_w2(),     storage.casing_w3(),     storage.casing_w4()};
  try {
    Section_grid(description, contour, work, storage.grid(), diagnostics);
    const Section_sizes& s = description.sizes;
    Check_contour_sense(surface, work.y, s.ile, s.ite, s.je, description.geometry.dphi * description.geometry.radius);
  } catch (const Build_failure& failure) {
    if (!std::holds_alternative<Station_outside_curve>(failure.kind)) throw Stop_of(failure);
    throw Run_stop{kExitProgramError, Inversion_cause(Surface_name(surface), contour, description.spacings.dsle,
                                                      description.spacings.dste)};
  }
}

// Stops the run on a grid that failed its check, unless --allow-folded asks
// for its files anyway.
void Accept_grid(const Grid_verdict& verdict, const Run_options& options, Console& err) {
  if (verdict.status == kExitComplete) return;
  if (options.allow_folded) {
    err.record("torvane: warning: " + Printable(verdict.diagnostic) + "; the files are written as --allow-folded asks");
    return;
  }
  throw Run_stop{verdict.status,
                 verdict.diagnostic + "; no file written (torvane --allow-folded writes them for a viewer)"};
}

// The point lists and the block of a deck, read before the grid's storage is
// made (the block may ask for a large grid).
struct Read_ahead {
  std::array<double, 2 * kMaxContourPoints> hub_xy, casing_xy;
  Contour_points hub{0, 0, 0, hub_xy}, casing{0, 0, 0, casing_xy};
  Deck_block block;

  Read_ahead() = default;
  Read_ahead(const Read_ahead&) = delete;
  Read_ahead& operator=(const Read_ahead&) = delete;

  // Into the storage's lists, as reading them there would have left them.
  void Copy_to(Contour_points& to_hub, Contour_points& to_casing) const {
    const Contour_points* from[2] = {&hub, &casing};
    Contour_points* to[2] = {&to_hub, &to_casing};
    for (int n = 0; n < 2; ++n) {
      to[n]->count_record = from[n]->count_record;
      to[n]->npts = from[n]->npts;
      to[n]->iref = from[n]->iref;
      std::copy(from[n]->xy.begin(), from[n]->xy.end(), to[n]->xy.begin());
    }
  }
};

// Reads the point lists and the block; false when either cannot be read.
bool Read_lists_and_block(Deck_reader& reader, Read_ahead& ahead) {
  try {
    reader.Read_point_list(Surface::hub, ahead.hub);
    reader.Read_point_list(Surface::casing, ahead.casing);
    ahead.block = Read_deck_block(reader);
  } catch (const Run_stop&) {
    return false;
  }
  return true;
}

// The run as torvane-inspect takes it: by its stem, or by its grid file when
// the stem has no name of its own (its files' names begin with a dot).
std::string Inspect_name(const std::string& stem) {
  return Printable(stem.empty() || stem.back() == '/' ? stem + ".rgra" : stem);
}

// One line on standard error for a grid that passed its check with cells in
// the report's bad band of the scaled Jacobian.
void Note_bad_cells(const Folded_cells& cells, const std::string& stem, Console& err) {
  if (cells.bad == 0) return;
  char worst[32];
  std::snprintf(worst, sizeof worst, "%.3g", cells.worst);
  err.record("torvane: note: " + std::to_string(cells.bad) + " of " + std::to_string(cells.cells) +
             " cells have a scaled Jacobian below 0.2 (bad), the worst " + worst + " at cell (" +
             std::to_string(cells.worst_i) + ", " + std::to_string(cells.worst_j) + ", " +
             std::to_string(cells.worst_k) + "); torvane-inspect report " + Inspect_name(stem) +
             " names the bad cells of every measure and where they lie");
}

// For a grid beyond the classic limits but within the large ones, without
// --large: the point lists and the block read ahead, kept when the block asks
// for the large limits.
void Read_ahead_for_large(Deck_reader& reader, const Control_values& values, const Run_options& options,
                          std::optional<Read_ahead>& ahead) {
  if (options.large || Grid_fits_storage(values) || !Grid_fits_storage(values, kLargeLimits)) return;
  ahead.emplace();
  if (!Read_lists_and_block(reader, *ahead) || !ahead->block.large) ahead.reset();
}

// The volume of a grid with a tip gap or smoothing: every inner plane first
// (through the sections when the block has them), then the gap cut into the
// whole volume and the smoothing, then the check on the finished grid, whose
// plane tasks have nothing left to build.
void Build_volume_then_adjust(const std::optional<Tip_gap_sizes>& gap, const std::optional<Smoothing_sizes>& smoothing,
                              Section_stations& stations, const Volume_sizes& volume, const Volume_work& volume_work,
                              Grid_storage& storage, const Grid_sizes& sizes, const Passage& passage,
                              Check_beside_build* check, Diagnostics& diagnostics) {
  if (stations.Spans()) {
    stations.Prepare(volume, storage, diagnostics);
    Check_finite_planes(storage.grid(), sizes.ie, sizes.je, 1, 1);
    for (int k = 2; k <= sizes.ke - 1; ++k) stations.Build_plane(k, volume, storage);
  } else {
    Build_volume(volume, volume_work, storage.grid(), diagnostics);
  }
  if (gap) Cut_tip_gap(*gap, storage.tip_gap_work(), stations.Kept_stations(), storage.grid(), diagnostics);
  Check_finite_planes(storage.grid(), sizes.ie, sizes.je, 2, sizes.ke - 1);
  if (smoothing) {
    Smooth_passage(*smoothing, storage.smoothing_work(), storage.grid());
    Check_finite_planes(storage.grid(), sizes.ie, sizes.je, 1, sizes.ke);
  }
  if (check == nullptr) return;
  const Passage::Edges blade = passage.Blade_edges();
  check->Start(Points_of(storage.grid(), sizes), blade.ile, blade.ite, passage.Pitch_angle(), storage.check_work(),
               [](int) {});
  check->Build_planes();
}

// A grid built into the storage, with what its check and its files need.
struct Built_grid {
  Grid_storage& storage;
  Control_values values;
  Grid_sizes sizes;
  Setup_values setup;
  Contour_points hub;     // placed in the blade-to-blade plane
  Contour_points casing;  // likewise
  int gap_cells = 0;      // cells across the tip gap, 0 without one
  double gap = 0;         // its length
};

// The hub and casing surfaces: in turn, or, when check is given, the casing
// on the helper thread while this one builds the hub's.
void Build_surfaces(const Control_values& values, Built_grid& built, const Conformal_map* hub_map,
                    const Conformal_map* casing_map, const Section_stations& stations, Console_diagnostics& diagnostics,
                    Check_beside_build* check) {
  Grid_storage& storage = built.storage;
  Contour_points& hub = built.hub;
  Contour_points& casing = built.casing;
  if (check == nullptr) {
    diagnostics.Begin(Build_part::hub_surface);
    Build_surface(Surface::hub, values, hub, storage, hub_map, stations, diagnostics);
    diagnostics.Begin(Build_part::casing_surface);
    Build_surface(Surface::casing, values, casing, storage, casing_map, stations, diagnostics);
  } else {
    // The casing surface on the helper thread while this one builds the
    // hub's; its events are told after the hub's and its failure after them,
    // as a build in order tells them.
    Diagnostic_log casing_events;
    std::exception_ptr casing_failure;
    check->Run_first([&] {
      try {
        Build_surface(Surface::casing, values, casing, storage, casing_map, stations, casing_events);
      } catch (...) {
        casing_failure = std::current_exception();
      }
    });
    try {
      diagnostics.Begin(Build_part::hub_surface);
      Build_surface(Surface::hub, values, hub, storage, hub_map, stations, diagnostics);
    } catch (...) {
      check->Wait_first();
      throw;
    }
    check->Wait_first();
    diagnostics.Begin(Build_part::casing_surface);
    for (const Diagnostic& event : casing_events.events()) diagnostics.Report(event);
    if (casing_failure) std::rethrow_exception(casing_failure);
  }
}

// Reads the deck, checks it and builds its grid into the storage the provider
// gives (asked for only once the deck's values passed their checks); a
// refusal or a failure stops the run (Run_stop). Fills what the files need.
// Between the deck and the build, prepare_files gets the stem of record 2, so
// the output files can be created before the work of the build.
// When check is given, its helper thread builds the casing surface beside the
// hub's and the volume's planes beside this thread, and the grid check starts.
template <typename Storage_provider, typename File_preparer>
Built_grid Build_into(std::istream& deck, Console& out, const Run_options& options, Storage_provider provide,
                      Grid_build& build, File_preparer prepare_files, Check_beside_build* check) {
  Print_banner(out);
  if (check != nullptr) check->Begin();
  Deck_reader reader(deck);
  const Control_values values = reader.Read_control_values();
  // A grid beyond the classic limits may be one the deck's block asks to
  // build large: its point lists and block are read ahead, and any fault in
  // them leaves the refusal of too large a grid, as without the block.
  std::optional<Read_ahead> ahead;
  Read_ahead_for_large(reader, values, options, ahead);
  const Grid_limits limits = Limits_of(options.large || ahead);
  if (!Grid_fits_storage(values, limits)) {
    out.list_text("ERROR - too many grid points !");
    throw Run_stop{kExitProgramError, Grid_size_excess(values, limits)};
  }
  Check_control_values(values);
  const Grid_sizes sizes = Derive_grid_sizes(values);
  const Setup_values setup = Section_setup(values);
  build.block = {sizes.ie, sizes.je, sizes.ke, sizes.ile, sizes.ite, values.nin, values.npitch, values.nspan};
  build.dphi = setup.dphi;
  build.passage = Make_passage({sizes.ie, sizes.je, sizes.ke, sizes.ile, sizes.ite}, setup.dphi,
                               options.flow_path.empty() ? Station_kind::cylinder : Station_kind::flow_path);
  build.title = values.title;
  build.stem = Output_stem(values.fname);

  Grid_storage& storage = provide(sizes);
  Built_grid built{storage, values, sizes, setup, {0, 0, 0, storage.xyhub()}, {0, 0, 0, storage.xycas()}};
  Contour_points& hub = built.hub;
  Contour_points& casing = built.casing;
  if (ahead) {
    ahead->Copy_to(hub, casing);
  } else {
    reader.Read_point_list(Surface::hub, hub);
    reader.Read_point_list(Surface::casing, casing);
  }
  Check_contour(Surface::hub, hub);
  Check_contour(Surface::casing, casing);
  const Deck_block block = ahead ? ahead->block : Read_deck_block(reader);
  const std::optional<Tip_gap_sizes> tip_gap = Chosen_tip_gap(block, options, values, sizes, setup);
  Take_tip_gap(tip_gap, build.passage, built.gap_cells, built.gap);

  std::optional<Surface_maps> maps;
  std::string flow_path_lines;
  if (block.flow_path && !options.flow_path.empty()) {
    throw Run_stop{kExitRefused, Flow_path_place(*block.flow_path, 0) +
                                     ": the deck's block gives the flow path and "
                                     "so does --flow-path " +
                                     options.flow_path + "; give it once"};
  }
  if (block.flow_path) {
    maps.emplace(Flow_path_maps(*block.flow_path, values, setup, hub, casing, block, flow_path_lines));
  } else if (!options.flow_path.empty()) {
    maps.emplace(
        Flow_path_maps(Read_flow_path_file(options.flow_path), values, setup, hub, casing, block, flow_path_lines));
  }
  Section_stations stations(block, values, sizes);
  build.rpm = block.rpm;
  prepare_files(build.stem);

  flow_path_lines += Tip_gap_line(tip_gap);
  Print_summary(out, sizes, setup.dphi, flow_path_lines);
  Console_diagnostics diagnostics(out, options.on_event);
  out.record(" Generating grid at hub & casing ...");
  const Conformal_map* hub_map = maps ? &maps->hub : nullptr;
  const Conformal_map* casing_map = maps ? &maps->casing : nullptr;
  Build_surfaces(values, built, hub_map, casing_map, stations, diagnostics, check);

  out.record(" Generating volume grid ...");
  diagnostics.Begin(Build_part::volume);
  stations.Build_sections(values, storage, diagnostics);
  // No file receives a coordinate that is not finite: the planes are checked
  // in increasing k, the inner ones by the volume build as it completes them.
  Check_finite_planes(storage.grid(), sizes.ie, sizes.je, 1, 1);
  const Volume_sizes volume{sizes.ie, sizes.je, sizes.ke, values.nwallhc, values.ratio, values.dzwall, setup.span};
  const Volume_work volume_work{storage.plane1(),
                                storage.plane2(),
                                storage.sspan(),
                                storage.w1(),
                                storage.w2(),
                                storage.w3(),
                                storage.w4(),
                                storage.hub_parameters(),
                                storage.casing_parameters(),
                                storage.side1_parameters(),
                                storage.side2_parameters()};
  const std::optional<Smoothing_sizes> smoothing =
      options.smooth || block.smooth
          ? std::optional<Smoothing_sizes>({sizes.ie, sizes.je, sizes.ke, sizes.ile, sizes.ite, values.nwall,
                                            values.nwallhc,
                                            tip_gap ? Tip_plane(sizes.ke, tip_gap->gap_cells) : sizes.ke})
          : std::nullopt;
  if (tip_gap || smoothing) {
    Build_volume_then_adjust(tip_gap, smoothing, stations, volume, volume_work, storage, sizes, build.passage, check,
                             diagnostics);
  } else if (stations.Spans()) {
    // Spanwise lines through every section of the block, in its frame.
    stations.Prepare(volume, storage, diagnostics);
    Check_finite_planes(storage.grid(), sizes.ie, sizes.je, 1, 1);
    if (check == nullptr) {
      for (int k = 2; k <= sizes.ke - 1; ++k) stations.Build_plane(k, volume, storage);
    } else {
      check->Start(Points_of(storage.grid(), sizes), sizes.ile, sizes.ite, setup.dphi, storage.check_work(),
                   [&](int k) { stations.Build_plane(k, volume, storage); });
      check->Build_planes();
    }
  } else if (check == nullptr) {
    Build_volume(volume, volume_work, storage.grid(), diagnostics);
  } else {
    // The inner planes on both cores, the helper going on to the check.
    Prepare_volume(volume, volume_work, storage.grid(), diagnostics);
    const Passage::Edges blade = build.passage.Blade_edges();
    check->Start(Points_of(storage.grid(), sizes), blade.ile, blade.ite, build.passage.Pitch_angle(),
                 storage.check_work(), [&](int k) { Build_volume_plane(k, volume, volume_work, storage.grid()); });
    check->Build_planes();
  }
  Check_finite_planes(storage.grid(), sizes.ie, sizes.je, sizes.ke, sizes.ke);
  return built;
}

// The output files' temporaries and the stem's lock, taken before the build
// so that a missing or read-only folder is reported at once.
Run_output Prepare_output(const std::string& deck_stem, Console& err, const Run_options& options, bool machine_file) {
  const bool own_stem = options.output_stem.empty();
  const std::string stem = own_stem ? deck_stem : options.output_stem;
  return Create_run_output(
      stem, own_stem ? "the folder named in record 2" : "the output folder",
      [&] {
        err.record("torvane: another run is writing the files of " + Printable(stem) + "; waiting until it is done (" +
                   Printable(stem) + ".lock)");
      },
      machine_file);
}

// A stem with no name of its own (record 2 beginning with a blank, or a
// folder ending with a slash) gives files whose names begin with a dot, which
// listings hide: the run says so, and how to name it to torvane-inspect.
void Note_hidden_names(const std::string& stem, Console& err) {
  if (!stem.empty() && stem.back() != '/') return;
  const std::string shown = Printable(stem);
  err.record("torvane: note: the file names begin with a dot (the stem \"" + shown +
             "\" has no name of its own; record 2 begins with a blank), so the files " + shown + ".rgra, " + shown +
             ".rtp and " + shown +
             "_grid_volume.plt are hidden; torvane-inspect takes the run by a file name, as in "
             "torvane-inspect report " +
             shown + ".rgra");
}

int Generate(std::istream& deck, Console& out, Console& err, const Run_options& options) {
  std::optional<Grid_storage> own;
  Grid_build build;
  Run_output files;
  // The grid check: no folded cell and no covered blade, before any file
  // takes its name. It starts on the second core with the volume build and
  // goes on while the files are written to their temporaries, which the
  // check's failure removes.
  Check_beside_build beside;
  std::string stem;
  const Built_grid built = Build_into(
      deck, out, options, [&](const Grid_sizes& s) -> Grid_storage& { return own.emplace(s.ie, s.je, s.ke); }, build,
      [&](const std::string& deck_stem) {
        stem = options.output_stem.empty() ? deck_stem : options.output_stem;
        if (options.write_files) files = Prepare_output(deck_stem, err, options, build.rpm.has_value());
      },
      options.check_grid ? &beside : nullptr);

  const Grid grid = built.storage.grid();
  const Check_input check{built.values, built.sizes, built.setup,     build.passage, built.hub,
                          built.casing, grid,        built.gap_cells, built.gap};
  if (!options.write_files) {
    if (options.check_grid) {
      const Grid_findings findings = beside.Finish();
      const Grid_verdict verdict = Judge_grid(findings, check);
      Accept_grid(verdict, options, err);
      if (verdict.status == kExitComplete) Note_bad_cells(findings.folded, build.stem, err);
    }
    return kExitComplete;
  }
  // The storing lines wait for the check: a grid that fails it stores nothing.
  Console storing;
  Write_grid_into(*files.grid, build.block, grid, storing);
  Write_topology_into(*files.topology, build.passage);
  Write_plot_into(*files.plot, build.title, build.block, grid, storing);
  if (build.rpm) Write_machine_into(*files.machine, *build.rpm);
  Grid_findings findings;
  bool passed = false;  // the check ran and passed: its bad cells get a note
  if (options.check_grid) {
    findings = beside.Finish();
    const Grid_verdict verdict = Judge_grid(findings, check);
    Accept_grid(verdict, options, err);
    passed = verdict.status == kExitComplete;
  }
  out.write(storing.captured());
  Put_in_place(files);
  Print_finished(out);
  Note_hidden_names(stem, err);
  if (passed) Note_bad_cells(findings.folded, options.output_stem.empty() ? build.stem : options.output_stem, err);
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
  // The one place a stopped run is told: its line on standard error and its status.
  // Names from the deck or the command line may hold bytes a terminal acts on: shown as '?'.
  auto tell = [&err](const Run_stop& stop) {
    if (!stop.diagnostic.empty()) err.record(std::string("torvane: ").append(Printable(stop.diagnostic)));
    return stop.status;
  };
  try {
    return Generate(deck, out, err, options);
  } catch (const Run_stop& stop) {
    return tell(stop);
  } catch (const Build_failure& failure) {
    return tell(Stop_of(failure));
  } catch (const std::bad_alloc&) {
    // Almost all of it is the grid storage, allocated once before the point
    // lists are read; an output file in the making is removed with its buffer.
    err.record("torvane: not enough memory (a run needs about 25 MB)");
    return kExitProgramError;
  }
}

namespace {

// An in-memory build into the storage the provider gives, checked unless the
// options say otherwise.
template <typename Storage_provider>
Grid_build Build_in_memory(std::istream& deck, Storage_provider provide, const Run_options& options,
                           Helper_thread* helper) {
  Grid_build build;
  Console out;
  try {
    // The check on both cores beside the volume build, as a run does it.
    Check_beside_build beside(helper);
    const Built_grid built = Build_into(
        deck, out, options, provide, build, [](const std::string&) {}, options.check_grid ? &beside : nullptr);
    if (options.check_grid) {
      const Grid grid = built.storage.grid();
      const Check_input check{built.values, built.sizes, built.setup,     build.passage, built.hub,
                              built.casing, grid,        built.gap_cells, built.gap};
      const Grid_verdict verdict = Judge_grid(beside.Finish(), check);
      if (verdict.status != kExitComplete && !options.allow_folded) {
        throw Run_stop{verdict.status, verdict.diagnostic};
      }
    }
  } catch (const Run_stop& stop) {
    build.status = stop.status;
    build.diagnostic = stop.diagnostic;
  } catch (const Build_failure& failure) {
    const Run_stop stop = Stop_of(failure);
    build.status = stop.status;
    build.diagnostic = stop.diagnostic;
  }
  build.console = out.captured();
  return build;
}

}  // namespace

Grid_build Build_grid(std::istream& deck, Grid_storage& storage, const Run_options& options, Helper_thread* helper) {
  return Build_in_memory(
      deck,
      [&](const Grid_sizes& s) -> Grid_storage& {
        if (!storage.Holds(s.ie, s.je, s.ke)) {
          throw Run_stop{kExitProgramError, "the grid of " + std::to_string(s.ie) + " x " + std::to_string(s.je) +
                                                " x " + std::to_string(s.ke) +
                                                " points does not fit the storage given"};
        }
        return storage;
      },
      options, helper);
}

Grid_build Build_grid(std::istream& deck, std::unique_ptr<Grid_storage>& made, const Run_options& options,
                      Helper_thread* helper) {
  return Build_in_memory(
      deck,
      [&](const Grid_sizes& s) -> Grid_storage& {
        if (made && made->Has_size(s.ie, s.je, s.ke)) return *made;
        made.reset();  // before the new one: never two at a time
        return *(made = std::make_unique<Grid_storage>(s.ie, s.je, s.ke));
      },
      options, helper);
}

}  // namespace torvane
