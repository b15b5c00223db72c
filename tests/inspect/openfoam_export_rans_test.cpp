// The RANS case read back: the sense of rotation follows the grid's upstream lines in
// either frame, the default inflow meets them head on, every field names every patch with
// the condition of its kind, the wall treatment follows the first cells' y+, and a grid
// that gives no sense of rotation is refused.
#include "inspect/export/openfoam_export_rans.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "inspect/command_line.hpp"
#include "inspect/run_files/run_files.hpp"
#include "inspect_support.hpp"

namespace torvane::inspect {
namespace {

using testing::Scratch;

// A sector grid whose lines i lean by `degrees` towards +theta (r dtheta/dx = tan), scaled by `size`.
Run_files Leaning_run(const Scratch& scratch, const std::string& name, double degrees, double size = 1) {
  Grid g = testing::Sector_grid(9, 5, 5, 0.02 * size, 0.04, 0.5 * size, 0.05 * size);
  const double slope = std::tan(degrees * std::numbers::pi / 180);
  for (int k = 1; k <= g.ke; ++k) {
    for (int j = 1; j <= g.je; ++j) {
      for (int i = 1; i <= g.ie; ++i) {
        const std::size_t n = g.Index(i, j, k);
        const double r = std::hypot(g.y[n], g.z[n]);
        const double theta = std::atan2(g.y[n], g.z[n]) + g.x[n] * slope / r;
        g.y[n] = r * std::sin(theta);
        g.z[n] = r * std::cos(theta);
      }
    }
  }
  const std::string stem = scratch.File(name);
  testing::Write_run(stem, g, 3, 6, 0.16);
  return Read_run(stem);
}

std::string Text_of(const Rans_case_files& c, const std::string& path) {
  for (const Case_file& f : c.files) {
    if (f.first == path) return f.second;
  }
  return "";
}

// The lines inside the braces of the patch's boundaryField entry.
std::string Entry_of(const std::string& field, const std::string& patch) {
  const std::size_t at = field.find("\n    " + patch + "\n    {\n");
  if (at == std::string::npos) return "";
  const std::size_t from = field.find('{', at) + 2;
  return field.substr(from, field.find("    }", from) - from);
}

TEST(RansCase, TheSenseOfRotationFollowsTheUpstreamLinesInEitherFrame) {
  Scratch scratch;
  const struct {
    double lean;  // degrees towards +theta
    Machine_axis axis;
    const char* srf_axis;
  } cases[] = {
      {-50, Machine_axis::x, "(-1 0 0)"},
      {50, Machine_axis::x, "(1 0 0)"},
      {-30, Machine_axis::z, "(0 0 -1)"},
      {30, Machine_axis::z, "(0 0 1)"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.lean);
    Run_files run = Leaning_run(scratch, "lean", c.lean);
    if (c.axis == Machine_axis::z) run.grid = Axis_z_grid(run.grid);
    const Solver_boundary b = Solver_boundaries(run);
    const Rans_case_files rans = Rans_case(run.grid, run.faces, b, c.axis, {1000, 0, ""});
    EXPECT_EQ(rans.setup.solver, "SRFSimpleFoam");
    EXPECT_NEAR(rans.setup.upstream_angle, c.lean, 1e-9);
    // The default inflow meets the upstream lines head on at mid-span.
    EXPECT_NEAR(rans.setup.relative_angle, c.lean, 1e-9);
    const double omega = 1000 * 2 * std::numbers::pi / 60, r_mid = 0.6;  // k = 3 of 5
    EXPECT_NEAR(rans.setup.inflow, omega * r_mid / std::tan(std::fabs(c.lean) * std::numbers::pi / 180), 1e-9);
    const std::string srf = Text_of(rans, "constant/SRFProperties");
    EXPECT_NE(srf.find(std::string("axis            ") + c.srf_axis + ";"), std::string::npos) << srf;
    EXPECT_NE(srf.find("rpm             1000;"), std::string::npos) << srf;
    // The inflow is axial in the frame written.
    const std::string u = Text_of(rans, "0/Urel");
    const std::string inlet = Entry_of(u, "inlet");
    EXPECT_NE(inlet.find("SRFVelocity"), std::string::npos) << inlet;
    EXPECT_NE(inlet.find("relative        no;"), std::string::npos) << inlet;
    const bool along_z = c.axis == Machine_axis::z;
    EXPECT_NE(inlet.find(along_z ? "inletValue      uniform (0 0 " : "inletValue      uniform ("), std::string::npos);
    EXPECT_NE(Rans_summary(rans.setup, c.axis).find(std::string("right-handed about ") + c.srf_axis),
              std::string::npos);
  }
}

TEST(RansCase, AStationaryRowRunsSimpleFoamAndARotorWithAxialLinesIsRefused) {
  Scratch scratch;
  const Run_files axial = Leaning_run(scratch, "axial", 0);
  const Solver_boundary b = Solver_boundaries(axial);
  try {
    Rans_case(axial.grid, axial.faces, b, Machine_axis::x, {800, 10, ""});
    ADD_FAILURE() << "a rotor with axial upstream lines was accepted";
  } catch (const Usage_error& e) {
    EXPECT_NE(std::string(e.what()).find("the sense of rotation cannot be read from the grid"), std::string::npos)
        << e.what();
  }
  const Rans_case_files still = Rans_case(axial.grid, axial.faces, b, Machine_axis::x, {0, 0, ""});
  EXPECT_EQ(still.setup.solver, "simpleFoam");
  EXPECT_EQ(still.setup.inflow, kStationaryInflow);
  EXPECT_EQ(Text_of(still, "constant/SRFProperties"), "");
  EXPECT_EQ(Text_of(still, "0/Urel"), "");
  EXPECT_NE(Text_of(still, "system/controlDict").find("application     simpleFoam;"), std::string::npos);
  const std::string allrun = Text_of(still, "Allrun");
  EXPECT_TRUE(allrun.starts_with("#!/bin/bash\n"));
  EXPECT_NE(allrun.find("simpleFoam > log.simpleFoam 2>&1"), std::string::npos) << allrun;
  EXPECT_NE(Text_of(still, "Allclean").find("log.simpleFoam"), std::string::npos);
}

TEST(RansCase, EveryFieldGivesEveryPatchTheConditionOfItsKind) {
  Scratch scratch;
  const Run_files run = Leaning_run(scratch, "rotor", -45);
  const Solver_boundary b = Solver_boundaries(run);
  const struct {
    double rpm;
    const char* velocity;
    const char* casing;  // the casing's velocity condition
  } cases[] = {{600, "0/Urel", "SRFVelocity"}, {0, "0/U", "noSlip"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.rpm);
    const Rans_case_files rans = Rans_case(run.grid, run.faces, b, Machine_axis::x, {c.rpm, 12, ""});
    EXPECT_EQ(rans.setup.inflow, 12);
    const struct {
      const char* file;
      const char* inlet;
      const char* outlet;
      const char* wall;
    } fields[] = {
        {c.velocity, c.rpm != 0 ? "SRFVelocity" : "fixedValue", "pressureInletOutletVelocity", "noSlip"},
        {"0/p", "zeroGradient", "fixedValue", "zeroGradient"},
        {"0/k", "fixedValue", "inletOutlet", "kqRWallFunction"},
        {"0/omega", "fixedValue", "inletOutlet", "omegaWallFunction"},
        {"0/nut", "calculated", "calculated", "nutkWallFunction"},
    };
    for (const auto& f : fields) {
      const std::string text = Text_of(rans, f.file);
      ASSERT_FALSE(text.empty()) << f.file;
      for (std::size_t n = 0; n < b.patches.size(); ++n) {
        const Solver_patch& p = b.patches[n];
        const std::string entry = Entry_of(text, p.name);
        std::string expected = p.role == Patch_role::cyclic ? "cyclic"
                               : n == kInletPatch           ? f.inlet
                               : n == kOutletPatch          ? f.outlet
                                                            : f.wall;
        if (n == kCasingPatch && std::string(f.file) == c.velocity) expected = c.casing;
        EXPECT_TRUE(entry.starts_with("        type            " + expected + ";\n"))
            << f.file << " " << p.name << ":\n"
            << entry;
      }
    }
    // The flow rates through both ends and the residuals, each iteration.
    const std::string control = Text_of(rans, "system/controlDict");
    for (const char* needed : {"    inletFlowRate\n", "    outletFlowRate\n", "name            inlet;",
                               "name            outlet;", "fields          (phi);", "type            solverInfo;"}) {
      EXPECT_NE(control.find(needed), std::string::npos) << needed;
    }
    EXPECT_NE(Text_of(rans, "system/fvSolution").find("residualControl"), std::string::npos);
    EXPECT_NE(Text_of(rans, "constant/turbulenceProperties").find("RASModel        kOmegaSST;"), std::string::npos);
  }
}

TEST(RansCase, TheWallTreatmentFollowsTheFirstCellsYplus) {
  Scratch scratch;
  const struct {
    double size;  // the grid's scale: its first cells' heights grow with it
    bool wall_functions;
    const char* nut;
  } cases[] = {{1, true, "nutkWallFunction"}, {1e-5, false, "nutLowReWallFunction"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.size);
    const Run_files run = Leaning_run(scratch, "wall", 20, c.size);
    const Rans_case_files rans = Rans_case(run.grid, run.faces, Solver_boundaries(run), Machine_axis::x, {0, 10, ""});
    EXPECT_EQ(rans.setup.wall_functions, c.wall_functions);
    EXPECT_LE(rans.setup.yplus_low, rans.setup.yplus_high);
    const std::string nut = Text_of(rans, "0/nut");
    EXPECT_TRUE(Entry_of(nut, "hub").starts_with(std::string("        type            ") + c.nut + ";"));
    // The comment says which treatment and why.
    EXPECT_NE(nut.find(c.wall_functions ? "// Walls: wall functions." : "// Walls: resolved to the wall"),
              std::string::npos)
        << nut;
    EXPECT_NE(nut.find("y+ is"), std::string::npos);
  }
}

}  // namespace
}  // namespace torvane::inspect

namespace torvane::inspect {
namespace {

// The numerics follow the grid: SIMPLEC with the full correction without a tip gap and over a
// tapered tip; over a flat tip (its walls closed over the last interval, the cells under the tip
// sheared flat), pressure-relaxed SIMPLE with two correctors and a limited correction, said in a
// comment. The speed's comment names where it came from.
TEST(RansCase, AGridWithAFlatTipOverItsGapGetsPressureRelaxedSimple) {
  Scratch scratch;
  const Run_files run = Leaning_run(scratch, "gap", -50);
  const Solver_boundary b = Solver_boundaries(run);
  const std::vector<std::string> simplec_solution = {"nNonOrthogonalCorrectors 0;\n    consistent      yes;",
                                                     "    equations\n    {\n        \".*\"            0.9;"};
  const std::vector<std::string> simplec_schemes = {"default         Gauss linear corrected;",
                                                    "default         corrected;"};
  struct Case {
    const char* name;
    int tip_below_casing;  // planes between the blade's top and the casing
    bool flat_roof;        // the planes from the tip up turned far over the plane below it
    const char* source;    // the machine file of Rans_request, or "" for --rpm
    std::vector<std::string> solution, schemes;
    const char* speed_note;
  };
  const Case cases[] = {
      {"no gap", 0, false, "", simplec_solution, simplec_schemes, "// The speed is --rpm's."},
      {"a tapered tip", 2, false, "", simplec_solution, simplec_schemes, "// The speed is --rpm's."},
      {"a flat tip",
       2,
       true,
       "runs/r37.rmach",
       {"// The flat tip's sheared cells", "nNonOrthogonalCorrectors 2;\n    consistent      no;",
        "    fields\n    {\n        p               0.2;\n    }\n    equations\n    {\n        \".*\"            0.5;"},
       {"default         Gauss linear limited corrected 0.33;", "default         limited corrected 0.33;"},
       "// The speed is the grid's, from runs/r37.rmach (the rpm of its deck's block); --rpm N overrides it."},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Block_faces faces = run.faces;
    faces.tip_k = run.grid.ke - c.tip_below_casing;
    Grid grid = run.grid;
    if (c.flat_roof) {
      // Everything from the tip plane up turned by 0.3 rad: the layer under it sheared far over its height.
      for (int k = faces.tip_k; k <= grid.ke; ++k) {
        for (int j = 1; j <= grid.je; ++j) {
          for (int i = 1; i <= grid.ie; ++i) {
            const std::size_t n = grid.Index(i, j, k);
            const double r = std::hypot(grid.y[n], grid.z[n]), theta = std::atan2(grid.y[n], grid.z[n]) + 0.3;
            grid.y[n] = r * std::sin(theta);
            grid.z[n] = r * std::cos(theta);
          }
        }
      }
    }
    const Rans_case_files rans = Rans_case(grid, faces, b, Machine_axis::x, {1000, 0, c.source});
    const std::string solution = Text_of(rans, "system/fvSolution"), schemes = Text_of(rans, "system/fvSchemes");
    for (const std::string& line : c.solution) EXPECT_NE(solution.find(line), std::string::npos) << line;
    for (const std::string& line : c.schemes) EXPECT_NE(schemes.find(line), std::string::npos) << line;
    EXPECT_NE(Text_of(rans, "constant/SRFProperties").find(c.speed_note), std::string::npos);
    EXPECT_EQ(rans.setup.rpm_source, c.source);
  }
}

}  // namespace
}  // namespace torvane::inspect
