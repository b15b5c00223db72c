#include "inspect/subcommands.hpp"

#include <filesystem>
#include <new>
#include <string>
#include <vector>

#include "base/output_file.hpp"
#include "base/rotor_speed.hpp"
#include "base/terminal_text.hpp"
#include "base/version.hpp"
#include "inspect/export/openfoam_export.hpp"
#include "inspect/export/openfoam_export_rans.hpp"
#include "inspect/export/plot3d_export.hpp"
#include "inspect/export/solver_mesh.hpp"
#include "inspect/export/su2_export.hpp"
#include "inspect/export/vts_export.hpp"
#include "inspect/output_file.hpp"
#include "inspect/picture/picture_files.hpp"
#include "inspect/quality/cell_quality.hpp"
#include "inspect/quality/cell_survey.hpp"
#include "inspect/quality/report.hpp"
#include "inspect/run_files/plot_file.hpp"
#include "inspect/run_files/run_files.hpp"
#include "inspect/run_files/text_input.hpp"

#ifdef TORVANE_INSPECT_CGNS
#include "inspect/export/cgns_export.hpp"
#endif

namespace torvane::inspect {

namespace {

int Report_command(const Options& o, std::ostream& out) {
  const Run_files run = Read_run(o.stem);
  Report report = Make_report(o.stem, run.grid, run.faces, Survey_cells(run.grid, run.faces));
  if (o.plot) {
    const std::string path = o.stem + "_grid_volume.plt";
    const Grid plot = Read_plot_file(path);
    if (plot.ie != run.grid.ie || plot.je != run.grid.je || plot.ke != run.grid.ke) {
      Refuse(path, 3, 1,
             "I, J, K = " + std::to_string(plot.ie) + ", " + std::to_string(plot.je) + ", " + std::to_string(plot.ke) +
                 " differ from the grid file's " + std::to_string(run.grid.ie) + " x " + std::to_string(run.grid.je) +
                 " x " + std::to_string(run.grid.ke) + " points");
    }
    report.plot_checked = true;
    report.plot = Compare_plot(plot, run.grid);
  }
  out << (o.json ? Report_json(report) : Report_text(report));
  // Only the list of bad cells needs every cell's values kept.
  if (!o.bad_cells.empty()) Write_whole_file(o.bad_cells, Bad_cells_csv(Measure_cells(run.grid, run.faces)));
  return report.Exit_status();
}

// A RANS case with no speed given and none left by the run.
constexpr const char* kRansNeedsSpeed = "--case rans needs the rotor's speed: --rpm N (0 for a stationary row)";

int Export_command(const Options& o, std::ostream& out) {
  const bool rans = o.format == Export_format::openfoam && o.foam_case == Foam_case::rans;
  // Without --rpm the RANS case takes the speed the run left in its machine file.
  std::error_code absent;
  if (rans && o.rpm < 0 && !std::filesystem::exists(o.stem + std::string(kMachineFileSuffix), absent)) {
    throw Usage_error(kRansNeedsSpeed);
  }
  Run_files run = Read_run(o.stem);
  Rans_request request{o.rpm, o.inflow, ""};
  if (rans && o.rpm < 0) {
    if (!run.rpm) throw Usage_error(std::string(kRansNeedsSpeed) + "; " + run.machine_path + " gives none");
    request.rpm = *run.rpm;
    request.rpm_source = run.machine_path;
  }
  const Machine_axis axis = o.axis_z ? Machine_axis::z : Machine_axis::x;
  if (axis == Machine_axis::z) run.grid = Axis_z_grid(run.grid);
  std::string path;
  switch (o.format) {
    case Export_format::vts:
      path = o.output + ".vts";
      Write_whole_file(path, Vts_text(run.grid, Measure_cells(run.grid, run.faces)));
      break;
    case Export_format::plot3d:
      if (o.binary) {
        path = o.output + "_bin.xyz";
        Write_whole_file(path, Plot3d_binary(run.grid));
      } else {
        path = o.output + ".xyz";
        Write_whole_file(path, Plot3d_ascii(run.grid));
      }
      break;
    case Export_format::cgns:
      path = o.output + ".cgns";
#ifdef TORVANE_INSPECT_CGNS
      Write_cgns(path, run, axis);
      break;
#else
      throw Output_error("cannot write " + path + ": this build has no CGNS output (libcgns was not found)");
#endif
    case Export_format::openfoam: {
      const Solver_boundary boundary = Solver_boundaries(run);
      std::vector<Case_file> files = Openfoam_mesh(run.grid, boundary, axis);
      std::string summary;
      if (o.foam_case == Foam_case::potential) {
        for (Case_file& file : Potential_flow_case(boundary, axis)) files.push_back(std::move(file));
      } else if (o.foam_case == Foam_case::rans) {
        Rans_case_files rans_case = Rans_case(run.grid, run.faces, boundary, axis, request);
        for (Case_file& file : rans_case.files) files.push_back(std::move(file));
        summary = Rans_summary(rans_case.setup, axis);
      }
      Write_case_files(o.output, files);
      path = o.output + (o.foam_case == Foam_case::potential ? " (mesh and potential-flow case)"
                         : o.foam_case == Foam_case::rans    ? " (mesh and RANS case; ./Allrun runs it)"
                                                             : "/constant/polyMesh");
      if (!summary.empty()) path += "\n" + summary;
      break;
    }
    case Export_format::su2: {
      const Solver_boundary boundary = Solver_boundaries(run);
      path = o.output + ".su2";
      Write_whole_file(path, Su2_text(run.grid, boundary));
      out << "wrote " << path << "\n";
      path = o.output + "_periodic.cfg";
      Write_whole_file(path, Su2_periodic_text(boundary, axis));
      break;
    }
    case Export_format::none:
      throw Usage_error("export needs --to");
  }
  out << "wrote " << path << "\n";
  return kExitOk;
}

int Picture_command(const Options& o, std::ostream& out) {
  const Run_files run = Read_run(o.stem);
  const Grid& g = run.grid;
  const int station = run.faces.ile > 0 ? run.faces.ile : 1;
  // With --quality every drawn cell takes the band the report gives it.
  Cell_field measured;
  if (o.quality) measured = Measure_cells(g, run.faces);
  const Cell_field* cells = o.quality ? &measured : nullptr;
  const std::string banded = o.quality ? ", cells by quality band" : "";
  struct Page {
    std::string suffix;
    Drawing drawing;
  };
  // A blade-to-blade picture of each span station, then the cross-section at the leading edge.
  std::vector<Page> pages;
  for (const Span_station& s : run.passage.stations) {
    const std::string name(Surface_name(s.surface));
    pages.push_back(
        {"_" + name,
         Blade_to_blade(g, run.faces, s.k,
                        o.stem + ": " + name + ", k = " + std::to_string(s.k) + ", two pitches" + banded, cells)});
  }
  pages.push_back({"_le", Cross_section(g, run.faces, station,
                                        o.stem + ": cross-section at i = " + std::to_string(station) + banded, cells)});
  // With a tip gap, a close-up of it at mid-chord: the walls closing onto the camber, the gap above.
  const int tip = run.faces.tip_k;
  if (run.faces.ile > 0 && tip > 0 && tip < g.ke) {
    const int middle = (run.faces.ile + run.faces.ite) / 2;
    const int k_first = std::max(1, 2 * tip - g.ke);
    pages.push_back({"_tip", Cross_section(g, run.faces, middle,
                                           o.stem + ": tip gap at i = " + std::to_string(middle) + ", k = " +
                                               std::to_string(k_first) + " to " + std::to_string(g.ke) + banded,
                                           cells, k_first)});
  }
  // The font caches go when the pictures are done, written or not.
  struct Png_caches {
    bool used;
    ~Png_caches() {
      if (used) Release_png_caches();
    }
  } caches{o.png};
  for (const Page& page : pages) {
    const std::string svg = o.output + page.suffix + ".svg";
    Write_whole_file(svg, Svg_text(page.drawing));
    out << "wrote " << svg << "\n";
    if (o.png) {
      const std::string png = o.output + page.suffix + ".png";
      Write_png(png, page.drawing);
      out << "wrote " << png << "\n";
    }
  }
  return kExitOk;
}

}  // namespace

bool Cgns_available() {
#ifdef TORVANE_INSPECT_CGNS
  return true;
#else
  return false;
#endif
}

int Run_command(const Options& o, std::ostream& out, std::ostream& err) {
  try {
    switch (o.command) {
      case Command::help:
        out << Usage_text();
        return kExitOk;
      case Command::version:
        out << "torvane-inspect " << kVersion << " (CGNS " << (Cgns_available() ? "yes" : "no") << ", PNG "
            << (Png_available() ? "yes" : "no") << ")\n";
        return kExitOk;
      case Command::report:
        return Report_command(o, out);
      case Command::export_grid:
        return Export_command(o, out);
      case Command::picture:
        return Picture_command(o, out);
    }
  } catch (const Input_error& e) {
    err << "torvane-inspect: " << Printable(e.what()) << "\n";
    return kExitInput;
  } catch (const File_error& e) {
    err << "torvane-inspect: " << Printable(e.what()) << "\n";
    return kExitUsage;
  } catch (const Output_error& e) {
    err << "torvane-inspect: " << Printable(e.what()) << "\n";
    return kExitUsage;
  } catch (const std::bad_alloc&) {
    // Sizes a file claims but whose length could not be checked first (a pipe, say).
    err << "torvane-inspect: " << Printable(o.stem) << ": not enough memory for the grid the files describe\n";
    return kExitInput;
  } catch (const Usage_error& e) {
    err << "torvane-inspect: " << Printable(e.what()) << "\n" << Usage_text();
    return kExitUsage;
  }
  return kExitUsage;
}

}  // namespace torvane::inspect
