#include "inspect/export/su2_export.hpp"

#include <charconv>
#include <numbers>

namespace torvane::inspect {

namespace {

constexpr int kSu2Hexahedron = 12;
constexpr int kSu2Quadrilateral = 9;

}  // namespace

std::string Su2_text(const Grid& g, const Solver_boundary& b) {
  const std::size_t cells = static_cast<std::size_t>(g.ie - 1) * (g.je - 1) * (g.ke - 1);
  std::string out;
  out.reserve(cells * 70 + g.points() * 75 + 1024);
  out += "% written by torvane-inspect: one blade passage, hexahedra\nNDIME= 3\nNELEM= ";
  Put_count(out, cells);
  out += '\n';
  std::size_t number = 0;
  for (int k = 1; k < g.ke; ++k) {
    for (int j = 1; j < g.je; ++j) {
      for (int i = 1; i < g.ie; ++i) {
        Put_count(out, kSu2Hexahedron);
        for (std::size_t p : Hex_corners(g, i, j, k, b.right_handed)) {
          out += ' ';
          Put_count(out, p);
        }
        out += ' ';
        Put_count(out, number++);
        out += '\n';
      }
    }
  }
  out += "NPOIN= ";
  Put_count(out, g.points());
  out += '\n';
  for (std::size_t n = 0; n < g.points(); ++n) {
    Put_real(out, g.x[n]);
    out += ' ';
    Put_real(out, g.y[n]);
    out += ' ';
    Put_real(out, g.z[n]);
    out += ' ';
    Put_count(out, n);
    out += '\n';
  }
  out += "NMARK= ";
  Put_count(out, b.patches.size());
  out += '\n';
  for (const Solver_patch& p : b.patches) {
    out += "MARKER_TAG= ";
    out += p.name;
    out += "\nMARKER_ELEMS= ";
    Put_count(out, p.faces.size());
    out += '\n';
    for (const Quad_face& f : p.faces) {
      Put_count(out, kSu2Quadrilateral);
      for (std::size_t point : f.points) {
        out += ' ';
        Put_count(out, point);
      }
      out += '\n';
    }
  }
  return out;
}

std::string Su2_periodic_text(const Solver_boundary& b, Machine_axis axis) {
  std::string angle;
  Put_real(angle, b.lower_to_upper * 180 / std::numbers::pi);
  const std::string angles = axis == Machine_axis::z ? "0.0, 0.0, " + angle : angle + ", 0.0, 0.0";
  return "% Periodic pair of the passage, to paste into an SU2 configuration: rotation centre,\n"
         "% rotation angles in degrees about x, y, z (right-handed) that carry " +
         b.patches[kPeriodicLower].name + " onto " + b.patches[kPeriodicUpper].name +
         ", translation.\n"
         "MARKER_PERIODIC= ( " +
         b.patches[kPeriodicLower].name + ", " + b.patches[kPeriodicUpper].name + ", 0.0, 0.0, 0.0, " + angles +
         ", 0.0, 0.0, 0.0 )\n";
}

}  // namespace torvane::inspect
