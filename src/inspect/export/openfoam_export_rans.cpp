#include "inspect/export/openfoam_export_rans.hpp"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>
#include <numbers>

#include "base/grid_check.hpp"
#include "inspect/command_line.hpp"

namespace torvane::inspect {

namespace {

// The fluid: air at 20 C, its density left out (p is kinematic).
constexpr double kViscosity = 1.5e-5;  // m^2/s
// Inlet turbulence: intensity against the inflow and length scale against the span.
constexpr double kInletIntensity = 0.05;
constexpr double kInletLengthPerSpan = 0.01;
constexpr double kCmu = 0.09;
// Below this estimated first-cell y+ on every wall the walls are resolved (low Reynolds number).
constexpr double kLowReYplus = 3;
// Upstream grid lines closer to axial than this give no sense of rotation.
constexpr double kAxialLinesDegrees = 1;
// How long the solver may iterate, and when it stops early.
constexpr int kIterations = 2000;
constexpr const char* kResidualTarget = "1e-4";
constexpr const char* kRelaxation = "0.9";
// A grid with a flat tip over its gap: SIMPLE, p relaxed, two non-orthogonal correctors, a limited correction.
constexpr const char* kGapPressureRelaxation = "0.2";
constexpr const char* kGapRelaxation = "0.5";
constexpr const char* kGapCorrectionLimit = "0.33";
constexpr int kGapCorrectors = 2;

constexpr double kDegrees = 180 / std::numbers::pi;

// A point in the machine's own terms: axial position, radius, angle theta (y = r sin theta,
// z = r cos theta about x; the same after the relabelling x' = y, y' = z, z' = x about z).
struct Polar {
  double axial, radius, theta;
};

Polar Polar_of(const Grid& g, int i, int j, int k, Machine_axis axis) {
  const Vec3 p = g.Point(i, j, k);
  const double a = axis == Machine_axis::z ? p.z : p.x;
  const double s = axis == Machine_axis::z ? p.x : p.y;  // r sin theta
  const double c = axis == Machine_axis::z ? p.y : p.z;  // r cos theta
  return {a, std::hypot(s, c), std::atan2(s, c)};
}

// r dtheta / dx of the grid line from i = 1 to i = 2, averaged over the pitch at span station k.
double Upstream_slope(const Grid& g, int k, Machine_axis axis) {
  double sum = 0;
  for (int j = 1; j <= g.je; ++j) {
    const Polar a = Polar_of(g, 1, j, k, axis), b = Polar_of(g, 2, j, k, axis);
    double turn = b.theta - a.theta;
    if (turn > std::numbers::pi) turn -= 2 * std::numbers::pi;
    if (turn < -std::numbers::pi) turn += 2 * std::numbers::pi;
    sum += 0.5 * (a.radius + b.radius) * turn / (b.axial - a.axial);
  }
  return sum / g.je;
}

double Mean_inlet_radius(const Grid& g, int k, Machine_axis axis) {
  double sum = 0;
  for (int j = 1; j <= g.je; ++j) sum += Polar_of(g, 1, j, k, axis).radius;
  return sum / g.je;
}

Vec3 Mean(const Vec3* p, int n) {
  Vec3 m;
  for (int c = 0; c < n; ++c) m = shape_math::Plus(m, p[c]);
  return {m.x / n, m.y / n, m.z / n};
}

Vec3 Point_at(const Grid& g, std::size_t n) { return {g.x[n], g.y[n], g.z[n]}; }

// Distance from a wall face to the centre of its cell.
double First_cell_height(const Grid& g, const Quad_face& f) {
  Vec3 corners[4];
  for (int n = 0; n < 4; ++n) corners[n] = Point_at(g, f.points[n]);
  const Vec3 centre = Mean(corners, 4);
  const Vec3 normal =
      shape_math::Cross(shape_math::Minus(corners[2], corners[0]), shape_math::Minus(corners[3], corners[1]));
  const int i = static_cast<int>(f.cell % (g.ie - 1)) + 1;
  const int j = static_cast<int>(f.cell / (g.ie - 1) % (g.je - 1)) + 1;
  const int k = static_cast<int>(f.cell / (static_cast<std::size_t>(g.ie - 1) * (g.je - 1))) + 1;
  Vec3 cell[8];
  for (int c = 0; c < 8; ++c) cell[c] = g.Point(i + (c & 1), j + ((c >> 1) & 1), k + (c >> 2));
  const double length = std::sqrt(shape_math::Dot(normal, normal));
  return std::fabs(shape_math::Dot(shape_math::Minus(Mean(cell, 8), centre), normal)) / length;
}

std::string Number(double v) {
  char text[32];
  std::snprintf(text, sizeof text, "%.6g", v);
  return text;
}

std::string Angle(double degrees) {
  char text[32];
  std::snprintf(text, sizeof text, "%.1f", degrees);
  return text;
}

std::string Vector_text(double scale, Machine_axis axis) {
  const std::string s = Number(scale);
  return axis == Machine_axis::z ? "(0 0 " + s + ")" : "(" + s + " 0 0)";
}

// The kinds of boundary a RANS field tells apart.
enum class Flow_boundary { inlet, outlet, turning_wall, still_wall, cyclic };

std::vector<Flow_boundary> Flow_boundaries(const Solver_boundary& b, bool rotor) {
  std::vector<Flow_boundary> kinds;
  for (std::size_t n = 0; n < b.patches.size(); ++n) {
    const Patch_role role = b.patches[n].role;
    if (role == Patch_role::cyclic) {
      kinds.push_back(Flow_boundary::cyclic);
    } else if (n == kInletPatch) {
      kinds.push_back(Flow_boundary::inlet);
    } else if (n == kOutletPatch) {
      kinds.push_back(Flow_boundary::outlet);
    } else if (rotor && n == kCasingPatch) {
      // The casing stands still while the hub and the blade turn with the frame.
      kinds.push_back(Flow_boundary::still_wall);
    } else {
      kinds.push_back(Flow_boundary::turning_wall);
    }
  }
  return kinds;
}

std::string Entry(const std::string& type, const std::string& rest = "") {
  std::string e = "        type            " + type + ";\n";
  if (!rest.empty()) e += rest;
  return e;
}

std::string Value(const std::string& key, const std::string& value) {
  std::string e = "        " + key;
  e.append(key.size() < 16 ? 16 - key.size() : 1, ' ');
  return e + value + ";\n";
}

std::string Uniform(double v) { return "uniform " + Number(v); }

// The comment each field carries after its header.
std::string With_note(std::string field, const std::string& note) {
  const std::size_t at = field.find("dimensions");
  field.insert(at, note);
  return field;
}

std::string Dictionary(const char* location, const char* object, const std::string& body) {
  return Foam_header("dictionary", location, object) + body;
}

std::string Flow_rate_function(const char* name, const char* patch) {
  return std::string("    ") + name +
         "\n    {\n"
         "        type            surfaceFieldValue;\n"
         "        libs            (\"libfieldFunctionObjects.so\");\n"
         "        writeControl    timeStep;\n"
         "        writeInterval   1;\n"
         "        log             true;\n"
         "        writeFields     false;\n"
         "        regionType      patch;\n"
         "        name            " +
         patch +
         ";\n"
         "        operation       sum;\n"
         "        fields          (phi);\n"
         "    }\n";
}

// Whether the blade's walls close onto its camber over the last interval
// below a tip gap (a flat tip): cells of the layer under the tip, between the
// edges, lie in the report's bad band of the scaled Jacobian while the cells
// under them do not. A tapered tip (torvane --tip-pinch) leaves them sound;
// cells bad at every height (a blunt edge) say nothing of the tip.
bool Sheared_tip(const Grid& g, const Block_faces& faces) {
  const int roof = faces.tip_k - 1;
  if (roof < 2 || faces.tip_k >= g.ke || faces.ile < 1) return false;
  const auto line = static_cast<std::size_t>(g.ie);
  const Grid_points points{g.x.data(), g.y.data(), g.z.data(), g.ie,
                           g.je,       g.ke,       line,       line * static_cast<std::size_t>(g.je)};
  for (int j = 1; j < g.je; ++j) {
    for (int i = faces.ile; i < faces.ite; ++i) {
      if (Cell_scaled_jacobian(points, i, j, roof) < kBadScaledJacobian &&
          !(Cell_scaled_jacobian(points, i, j, roof - 1) < kBadScaledJacobian)) {
        return true;
      }
    }
  }
  return false;
}

// The sense of rotation and the inflow, absolute and relative, into the setup;
// the relative speed at mid-span.
double Set_inflow(const Grid& g, Machine_axis axis, const Rans_request& request, Rans_setup& s) {
  const bool rotor = request.rpm != 0;
  // The sense of rotation from the upstream grid lines: with an axial inflow the relative
  // flow meets the blade along them, so the blade moves against their tangential lean.
  const int mid = (g.ke + 1) / 2;
  const double mid_slope = Upstream_slope(g, mid, axis);
  s.upstream_angle = std::atan(mid_slope) * kDegrees;
  const double omega = request.rpm * 2 * std::numbers::pi / 60;
  const double r_mid = Mean_inlet_radius(g, mid, axis);
  if (rotor) {
    if (std::fabs(s.upstream_angle) < kAxialLinesDegrees) {
      throw Usage_error("--rpm " + Number(request.rpm) + ": the grid's upstream lines are axial (" +
                        Angle(s.upstream_angle) +
                        " deg at mid-span), so the sense of rotation cannot be read from the grid; "
                        "export a stationary row with --rpm 0");
    }
    s.sense = mid_slope > 0 ? 1 : -1;
  }
  // Right-handed about +axis the blade moves towards -theta: the relative inflow leans sense * omega r.
  s.inflow = request.inflow > 0 ? request.inflow : rotor ? omega * r_mid / std::fabs(mid_slope) : kStationaryInflow;
  const double swirl = s.sense * omega * r_mid;
  s.relative_angle = std::atan2(swirl, s.inflow) * kDegrees;
  return std::hypot(s.inflow, swirl);
}

// The blade's chord at mid-span (plane mid), leading to trailing edge, or the
// grid's axial length when the edges give none.
double Mid_chord(const Grid& g, const Block_faces& faces, int mid, Machine_axis axis) {
  double chord = 0;
  if (faces.ile > 0) {
    const Vec3 d = shape_math::Minus(g.Point(faces.ite, 1, mid), g.Point(faces.ile, 1, mid));
    chord = std::sqrt(shape_math::Dot(d, d));
  }
  if (!(chord > 0)) chord = std::fabs(Polar_of(g, g.ie, 1, mid, axis).axial - Polar_of(g, 1, 1, mid, axis).axial);
  return chord;
}

// The lowest and highest first-cell y+ over the walls, and whether they take wall functions.
void Set_wall_yplus(const Grid& g, const Solver_boundary& b, double friction_velocity, Rans_setup& s) {
  s.yplus_low = std::numeric_limits<double>::infinity();
  s.yplus_high = 0;
  for (const Solver_patch& p : b.patches) {
    if (p.role != Patch_role::wall) continue;
    for (const Quad_face& f : p.faces) {
      const double yplus = friction_velocity * First_cell_height(g, f) / kViscosity;
      s.yplus_low = std::min(s.yplus_low, yplus);
      s.yplus_high = std::max(s.yplus_high, yplus);
    }
  }
  if (s.yplus_high == 0) s.yplus_low = 0;
  s.wall_functions = s.yplus_high > kLowReYplus;
}

// The span at the inlet: the highest less the lowest mean inlet radius of the planes k.
double Inlet_span(const Grid& g, Machine_axis axis) {
  double low = std::numeric_limits<double>::infinity(), high = 0;
  for (int k = 1; k <= g.ke; ++k) {
    const double r = Mean_inlet_radius(g, k, axis);
    low = std::min(low, r);
    high = std::max(high, r);
  }
  return high - low;
}

// The inlet's turbulence: k, omega and nut.
struct Inlet_turbulence {
  double k, omega, nut;
};

// The boundary entries of each field, one per patch.
struct Boundary_entries {
  std::vector<std::string> u, p, k, w, nut;
};

Boundary_entries Field_entries(const std::vector<Flow_boundary>& kinds, bool rotor, bool wall_functions,
                               const std::string& inflow, const Inlet_turbulence& in) {
  const std::string still = "uniform (0 0 0)";
  Boundary_entries e;
  for (Flow_boundary kind : kinds) {
    switch (kind) {
      case Flow_boundary::inlet:
        e.u.push_back(
            rotor ? Entry("SRFVelocity", Value("inletValue", inflow) + Value("relative", "no") + Value("value", inflow))
                  : Entry("fixedValue", Value("value", inflow)));
        e.p.push_back(Entry("zeroGradient"));
        e.k.push_back(Entry("fixedValue", Value("value", Uniform(in.k))));
        e.w.push_back(Entry("fixedValue", Value("value", Uniform(in.omega))));
        e.nut.push_back(Entry("calculated", Value("value", Uniform(in.nut))));
        break;
      case Flow_boundary::outlet:
        e.u.push_back(Entry("pressureInletOutletVelocity", Value("value", inflow)));
        e.p.push_back(Entry("fixedValue", Value("value", "uniform 0")));
        e.k.push_back(Entry("inletOutlet", Value("inletValue", Uniform(in.k)) + Value("value", Uniform(in.k))));
        e.w.push_back(Entry("inletOutlet", Value("inletValue", Uniform(in.omega)) + Value("value", Uniform(in.omega))));
        e.nut.push_back(Entry("calculated", Value("value", Uniform(in.nut))));
        break;
      case Flow_boundary::turning_wall:
      case Flow_boundary::still_wall:
        e.u.push_back(
            kind == Flow_boundary::still_wall
                ? Entry("SRFVelocity", Value("inletValue", still) + Value("relative", "no") + Value("value", still))
                : Entry("noSlip"));
        e.p.push_back(Entry("zeroGradient"));
        e.k.push_back(wall_functions ? Entry("kqRWallFunction", Value("value", Uniform(in.k)))
                                     : Entry("fixedValue", Value("value", "uniform 1e-10")));
        e.w.push_back(Entry("omegaWallFunction", Value("value", Uniform(in.omega))));
        e.nut.push_back(
            Entry(wall_functions ? "nutkWallFunction" : "nutLowReWallFunction", Value("value", "uniform 0")));
        break;
      case Flow_boundary::cyclic:
        for (auto* list : {&e.u, &e.p, &e.k, &e.w, &e.nut}) list->push_back(Entry("cyclic"));
        break;
    }
  }
  return e;
}

// The comment of the velocity field: the inflow and the walls.
std::string Velocity_note(const Rans_setup& s, bool rotor) {
  std::string velocity_note = "// Axial inflow " + Number(s.inflow) + " m/s (absolute)";
  if (rotor) {
    velocity_note += "; the relative flow meets the inlet at " + Angle(s.relative_angle) +
                     " deg at mid-span, the grid's upstream lines at " + Angle(s.upstream_angle) + " deg";
  }
  velocity_note += ".\n// Walls: no slip";
  if (rotor) velocity_note += " on the hub and blade, which turn with the frame; the casing stands still";
  velocity_note += ".\n\n";
  return velocity_note;
}

}  // namespace

Rans_case_files Rans_case(const Grid& g, const Block_faces& faces, const Solver_boundary& b, Machine_axis axis,
                          const Rans_request& request) {
  Rans_case_files out;
  Rans_setup& s = out.setup;
  const bool rotor = request.rpm != 0;
  s.rpm = request.rpm;
  s.rpm_source = request.rpm_source;
  s.solver = rotor ? "SRFSimpleFoam" : "simpleFoam";
  const char* const velocity = rotor ? "Urel" : "U";
  const double relative_speed = Set_inflow(g, axis, request, s);

  // The first cells' y+ from a flat plate's skin friction over the blade's chord at mid-span.
  const int mid = (g.ke + 1) / 2;
  const double chord = Mid_chord(g, faces, mid, axis);
  const double reynolds = relative_speed * chord / kViscosity;
  const double friction_velocity = relative_speed * std::sqrt(0.5 * 0.026 * std::pow(reynolds, -1.0 / 7));
  Set_wall_yplus(g, b, friction_velocity, s);

  // Inlet turbulence.
  const double span = Inlet_span(g, axis);
  const double length_scale = kInletLengthPerSpan * span;
  const double k_in = 1.5 * (kInletIntensity * s.inflow) * (kInletIntensity * s.inflow);
  const double omega_in = std::sqrt(k_in) / (std::pow(kCmu, 0.25) * length_scale);
  const double nut_in = k_in / omega_in;

  const std::vector<Flow_boundary> kinds = Flow_boundaries(b, rotor);
  const std::string inflow = "uniform " + Vector_text(s.inflow, axis);
  const Boundary_entries entries =
      Field_entries(kinds, rotor, s.wall_functions, inflow, Inlet_turbulence{k_in, omega_in, nut_in});

  char yplus_text[320];
  std::snprintf(yplus_text, sizeof yplus_text,
                "// Walls: %s. The first cells' y+ is %.3g to %.3g, estimated from a flat plate's\n"
                "// skin friction (Re %.3g on the chord %.4g m, relative speed %.4g m/s).\n",
                s.wall_functions ? "wall functions" : "resolved to the wall (low Reynolds number)", s.yplus_low,
                s.yplus_high, reynolds, chord, relative_speed);
  const std::string turbulence_note = std::string(yplus_text) + "// Inlet: intensity " + Number(kInletIntensity * 100) +
                                      " % of " + Number(s.inflow) + " m/s, length scale " + Number(length_scale) +
                                      " m (" + Number(kInletLengthPerSpan * 100) + " % of the span).\n\n";
  const std::string velocity_note = Velocity_note(s, rotor);

  std::vector<Case_file>& files = out.files;
  files.emplace_back(
      std::string("0/") + velocity,
      With_note(Foam_field("volVectorField", velocity, "[0 1 -1 0 0 0 0]", inflow, b, entries.u), velocity_note));
  files.emplace_back("0/p", Foam_field("volScalarField", "p", "[0 2 -2 0 0 0 0]", "uniform 0", b, entries.p));
  files.emplace_back(
      "0/k",
      With_note(Foam_field("volScalarField", "k", "[0 2 -2 0 0 0 0]", Uniform(k_in), b, entries.k), turbulence_note));
  files.emplace_back(
      "0/omega", With_note(Foam_field("volScalarField", "omega", "[0 0 -1 0 0 0 0]", Uniform(omega_in), b, entries.w),
                           turbulence_note));
  files.emplace_back("0/nut",
                     With_note(Foam_field("volScalarField", "nut", "[0 2 -1 0 0 0 0]", Uniform(nut_in), b, entries.nut),
                               turbulence_note));

  files.emplace_back("constant/transportProperties",
                     Dictionary("constant", "transportProperties",
                                "transportModel  Newtonian;\n\nnu              " + Number(kViscosity) +
                                    ";  // air at 20 C; the grid's lengths are read as metres\n"));
  files.emplace_back("constant/turbulenceProperties",
                     Dictionary("constant", "turbulenceProperties",
                                "simulationType  RAS;\n\nRAS\n{\n    RASModel        kOmegaSST;\n"
                                "    turbulence      on;\n    printCoeffs     on;\n}\n"));
  if (rotor) {
    const std::string axis_text = Vector_text(s.sense, axis);
    files.emplace_back(
        "constant/SRFProperties",
        Dictionary("constant", "SRFProperties",
                   "// The rotor turns right-handed about " + axis_text +
                       ": its blades move towards the side the grid's\n"
                       "// upstream lines lean away from (" +
                       Angle(s.upstream_angle) +
                       " deg at mid-span, theta = atan2(y, z) about x),\n// so the axial inflow"
                       " meets them along those lines.\n" +
                       (request.rpm_source.empty() ? std::string("// The speed is --rpm's.\n\n")
                                                   : "// The speed is the grid's, from " + request.rpm_source +
                                                         " (the rpm of its deck's block); --rpm N overrides it.\n\n") +
                       "SRFModel        rpm;\n\norigin          (0 0 0);\naxis            " + axis_text +
                       ";\n\nrpmCoeffs\n{\n    rpm             " + Number(request.rpm) + ";\n}\n"));
  }

  const std::string residual_fields = std::string("(p ") + velocity + " k omega)";
  files.emplace_back(
      "system/controlDict",
      Dictionary("system", "controlDict",
                 "application     " + s.solver +
                     ";\n\n"
                     "startFrom       startTime;\nstartTime       0;\nstopAt          endTime;\n"
                     "endTime         " +
                     std::to_string(kIterations) +
                     ";  // iterations at most; fvSolution's residualControl stops it earlier\n"
                     "deltaT          1;\nwriteControl    timeStep;\nwriteInterval   500;\npurgeWrite      0;\n"
                     "writeFormat     ascii;\nwritePrecision  8;\nwriteCompression off;\ntimeFormat      general;\n"
                     "timePrecision   6;\nrunTimeModifiable true;\n\n"
                     "// Each iteration: the volume flow rates through the inlet and the outlet (sum of phi,\n"
                     "// m^3/s, negative where the flow enters) under postProcessing/inletFlowRate and\n"
                     "// postProcessing/outletFlowRate, and the initial residuals under postProcessing/residuals.\n"
                     "functions\n{\n" +
                     Flow_rate_function("inletFlowRate", "inlet") + Flow_rate_function("outletFlowRate", "outlet") +
                     "    residuals\n    {\n        type            solverInfo;\n"
                     "        libs            (\"libutilityFunctionObjects.so\");\n"
                     "        writeControl    timeStep;\n        writeInterval   1;\n"
                     "        fields          " +
                     residual_fields +
                     ";\n    }\n"
                     "    yPlus\n    {\n        type            yPlus;\n"
                     "        libs            (\"libfieldFunctionObjects.so\");\n"
                     "        writeControl    writeTime;\n    }\n}\n"));
  // SIMPLEC with the full non-orthogonal correction: on these sheared H-grids a limited
  // Laplacian correction or pressure-relaxed SIMPLE leaves the residuals hanging at 1e-2 to 1e-1
  // (measured on the compressor rotor and the turbine stator). Velocity: linear upwind with a
  // limited gradient for a stationary row; upwind in a rotor's frame, where linear upwind
  // leaves the residuals swinging between 1e-3 and 4e-3 on the compressor rotor. Upwind k, omega.
  // A grid with a flat tip over its gap has thin cells sheared flat under the blade tip (a
  // scaled Jacobian down to 2e-4 on Rotor 37) where that SIMPLEC diverges within 50 iterations:
  // there SIMPLE with p relaxed, two non-orthogonal correctors and a limited correction, which
  // converges, slowly. A tapered tip converges with the SIMPLEC of the other grids.
  const bool gap = Sheared_tip(g, faces);
  const std::string correction =
      gap ? std::string("limited corrected ") + kGapCorrectionLimit : std::string("corrected");
  const std::string simple =
      gap ? "SIMPLE\n{\n    // The flat tip's sheared cells: SIMPLE with p relaxed, a limited non-orthogonal "
            "correction.\n"
            "    nNonOrthogonalCorrectors " +
                std::to_string(kGapCorrectors) + ";\n    consistent      no;\n\n"
          : std::string("SIMPLE\n{\n    nNonOrthogonalCorrectors 0;\n    consistent      yes;\n\n");
  const std::string relaxation =
      gap ? std::string("relaxationFactors\n{\n    fields\n    {\n        p               ") + kGapPressureRelaxation +
                ";\n    }\n    equations\n    {\n        \".*\"            " + kGapRelaxation + ";\n    }\n}\n"
          : std::string("relaxationFactors\n{\n    equations\n    {\n        \".*\"            ") + kRelaxation +
                ";\n    }\n}\n";
  const std::string v = velocity;
  const std::string velocity_scheme = rotor ? "bounded Gauss upwind" : "bounded Gauss linearUpwind limited";
  files.emplace_back("system/fvSchemes", Dictionary("system", "fvSchemes",
                                                    "ddtSchemes\n{\n    default         steadyState;\n}\n\n"
                                                    "gradSchemes\n{\n    default         Gauss linear;\n"
                                                    "    limited         cellLimited Gauss linear 1;\n}\n\n"
                                                    "divSchemes\n{\n    default         none;\n"
                                                    "    div(phi," +
                                                        v + ")  " + velocity_scheme + ";\n" +
                                                        "    div(phi,k)      bounded Gauss upwind;\n"
                                                        "    div(phi,omega)  bounded Gauss upwind;\n"
                                                        "    div((nuEff*dev2(T(grad(" +
                                                        v +
                                                        "))))) Gauss linear;\n}\n\n"
                                                        "laplacianSchemes\n{\n    default         Gauss linear " +
                                                        correction +
                                                        ";\n}\n\n"
                                                        "interpolationSchemes\n{\n    default         linear;\n}\n\n"
                                                        "snGradSchemes\n{\n    default         " +
                                                        correction +
                                                        ";\n}\n\n"
                                                        "wallDist\n{\n    method          meshWave;\n}\n"));
  files.emplace_back(
      "system/fvSolution",
      Dictionary("system", "fvSolution",
                 "solvers\n{\n"
                 "    p\n    {\n        solver          PCG;\n        preconditioner  DIC;\n"
                 "        tolerance       1e-6;\n        relTol          0.01;\n    }\n\n"
                 "    \"(" +
                     v +
                     "|k|omega)\"\n    {\n        solver          smoothSolver;\n"
                     "        smoother        symGaussSeidel;\n        tolerance       1e-6;\n"
                     "        relTol          0.1;\n    }\n}\n\n" +
                     simple +
                     "    // Stops when every initial residual is below its target.\n"
                     "    residualControl\n    {\n        p               " +
                     kResidualTarget + ";\n        " + v + std::string(16 - v.size(), ' ') + kResidualTarget +
                     ";\n        \"(k|omega)\"       " + kResidualTarget + ";\n    }\n}\n\n" + relaxation));

  const std::string log = "log." + s.solver;
  files.emplace_back("Allrun",
                     "#!/bin/bash\n"
                     "# Runs " +
                         s.solver + " on this case, its output in " + log +
                         ". Each iteration's inlet and outlet\n"
                         "# flow rates: postProcessing/inletFlowRate, postProcessing/outletFlowRate; the residuals:\n"
                         "# postProcessing/residuals. ./Allclean removes what a run left.\n"
                         "cd \"${0%/*}\" || exit 1\n"
                         "if [ -z \"${WM_PROJECT_DIR:-}\" ]; then\n"
                         "    for rc in /usr/share/openfoam/etc/bashrc /usr/lib/openfoam/openfoam*/etc/bashrc; do\n"
                         "        if [ -f \"$rc\" ]; then . \"$rc\" > /dev/null 2>&1; break; fi\n"
                         "    done\n"
                         "fi\n"
                         "if ! command -v " +
                         s.solver +
                         " > /dev/null 2>&1; then\n"
                         "    echo \"" +
                         s.solver +
                         " not found: install OpenFOAM (Debian: apt-get install openfoam)\" >&2\n"
                         "    exit 1\n"
                         "fi\n"
                         "if [ -e " +
                         log +
                         " ]; then\n"
                         "    echo \"" +
                         log +
                         " is there from an earlier run: ./Allclean removes it and its results\" >&2\n"
                         "    exit 1\n"
                         "fi\n"
                         "echo \"Running " +
                         s.solver + " in $PWD (" + log + "; a few minutes on two cores)\"\n" + s.solver + " > " + log +
                         " 2>&1\n"
                         "status=$?\n"
                         "grep -E '^(SIMPLE solution converged|End$)' " +
                         log +
                         " | head -n 1\n"
                         "tail -n 1 postProcessing/inletFlowRate/0/surfaceFieldValue.dat 2> /dev/null\n"
                         "tail -n 1 postProcessing/outletFlowRate/0/surfaceFieldValue.dat 2> /dev/null\n"
                         "exit $status\n");
  files.emplace_back("Allclean",
                     "#!/bin/sh\n"
                     "# Removes what Allrun left: the time folders after 0, postProcessing and the log.\n"
                     "cd \"${0%/*}\" || exit 1\n"
                     "for d in *; do\n"
                     "    case \"$d\" in\n"
                     "        0 | *[!0-9.e+-]*) ;;\n"
                     "        [0-9]*) [ -d \"$d\" ] && rm -rf -- \"$d\" ;;\n"
                     "    esac\n"
                     "done\n"
                     "rm -rf -- postProcessing " +
                         log + "\n");
  return out;
}

std::string Rans_summary(const Rans_setup& s, Machine_axis axis) {
  std::string text = "RANS case for " + s.solver + ": ";
  const std::string source = s.rpm_source.empty() ? "" : " (the grid's speed, " + s.rpm_source + ")";
  if (s.rpm != 0) {
    text += Number(s.rpm) + " rpm" + source + ", right-handed about " + Vector_text(s.sense, axis) + "; ";
  } else {
    text += "a stationary row" + source + "; ";
  }
  text += "axial inflow " + Number(s.inflow) + " m/s";
  if (s.rpm != 0) text += " (relative inflow " + Angle(s.relative_angle) + " deg at mid-span)";
  char yplus[96];
  std::snprintf(yplus, sizeof yplus, "; %s (first-cell y+ %.3g to %.3g, estimated)",
                s.wall_functions ? "wall functions" : "walls resolved", s.yplus_low, s.yplus_high);
  return text + yplus;
}

}  // namespace torvane::inspect
