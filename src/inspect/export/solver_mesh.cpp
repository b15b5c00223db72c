#include "inspect/export/solver_mesh.hpp"

#include <charconv>
#include <string>

#include "inspect/quality/hex_cell.hpp"
#include "inspect/run_files/text_input.hpp"

namespace torvane::inspect {

namespace {

// The solver patches: one per role of the passage in the role table's order,
// named as the role, two for a matched role (its faces 3 and 4, "_lower" and
// "_upper"). first[role] is the index of the role's (first) patch.
std::vector<Solver_patch> Patches_of_roles(const Passage& passage, std::vector<std::size_t>& first) {
  std::vector<Solver_patch> patches;
  for (torvane::Patch_role role : torvane::All_roles()) {
    first.push_back(patches.size());
    bool present = false;
    for (const Boundary_patch& p : passage.patches) present = present || p.role == role;
    if (!present) continue;
    const std::string name(torvane::Role_name(role));
    if (torvane::Is_matched(role)) {
      patches.push_back({name + "_lower", Patch_role::cyclic, {}});
      patches.push_back({name + "_upper", Patch_role::cyclic, {}});
    } else {
      patches.push_back({name, torvane::Is_wall(role) ? Patch_role::wall : Patch_role::patch, {}});
    }
  }
  return patches;
}

// The solver patch of a boundary patch.
std::size_t Patch_of_row(const std::vector<std::size_t>& first, torvane::Patch_role role, int face) {
  return first[static_cast<std::size_t>(role)] + (torvane::Is_matched(role) && face == 4 ? 1 : 0);
}

// Cells of one block face laid out in its two in-face directions (i before j before k),
// each holding the patch number that covers it, -1 while none does.
struct Face_cover {
  int axes[2] = {0, 0};
  int cells[2] = {0, 0};
  std::vector<int> patch;
  std::vector<long> record;
};

Face_cover Cover_of(const Grid& g, int face) {
  const int cells[3] = {g.ie - 1, g.je - 1, g.ke - 1};
  const int normal = (face - 1) / 2;
  Face_cover c;
  c.axes[0] = normal == 0 ? 1 : 0;
  c.axes[1] = normal == 2 ? 1 : 2;
  c.cells[0] = cells[c.axes[0]];
  c.cells[1] = cells[c.axes[1]];
  c.patch.assign(static_cast<std::size_t>(c.cells[0]) * c.cells[1], -1);
  c.record.assign(c.patch.size(), 0);
  return c;
}

}  // namespace

bool Right_handed(const Grid& g) {
  double sum = 0;
  for (int k = 1; k < g.ke; ++k) {
    for (int j = 1; j < g.je; ++j) {
      for (int i = 1; i < g.ie; ++i) {
        Vec3 corner[8];
        for (int c = 0; c < 8; ++c) corner[c] = g.Point(i + (c & 1), j + ((c >> 1) & 1), k + (c >> 2));
        sum += Hex_volume(corner);
      }
    }
  }
  return sum >= 0;
}

Quad_face Face_of_cell(const Grid& g, const int cell[3], int axis, bool high_side, bool right_handed) {
  const int a = (axis + 1) % 3, b = (axis + 2) % 3;
  int p[4][3];
  for (int n = 0; n < 4; ++n) {
    for (int d = 0; d < 3; ++d) p[n][d] = cell[d];
    p[n][axis] += high_side ? 1 : 0;
  }
  // base, base + a, base + a + b, base + b: normal along +axis in a right-handed grid.
  p[1][a] += 1;
  p[2][a] += 1;
  p[2][b] += 1;
  p[3][b] += 1;
  Quad_face q;
  q.cell = Cell_number(g, cell[0], cell[1], cell[2]);
  const bool along_axis = high_side == right_handed;
  const int order[2][4] = {{0, 3, 2, 1}, {0, 1, 2, 3}};
  for (int n = 0; n < 4; ++n) {
    const int* at = p[order[along_axis][n]];
    q.points[n] = g.Index(at[0], at[1], at[2]);
  }
  return q;
}

std::array<std::size_t, 8> Hex_corners(const Grid& g, int i, int j, int k, bool right_handed) {
  // Bottom face at k, top at k + 1; in a left-handed grid the bottom runs j before i.
  const int di[4] = {0, 1, 1, 0}, dj[4] = {0, 0, 1, 1};
  std::array<std::size_t, 8> c;
  for (int n = 0; n < 4; ++n) {
    const int a = right_handed ? di[n] : dj[n], b = right_handed ? dj[n] : di[n];
    c[n] = g.Index(i + a, j + b, k);
    c[n + 4] = g.Index(i + a, j + b, k + 1);
  }
  return c;
}

namespace {

// Marks the cells of each face with the solver patch of the topology row that
// covers them; refuses a cell two rows cover.
void Cover_faces(const Run_files& run, const std::vector<std::size_t>& first, Face_cover (&cover)[6]) {
  const Grid& g = run.grid;
  const std::string& path = run.topology_path;
  for (int face = 1; face <= 6; ++face) cover[face - 1] = Cover_of(g, face);
  for (const Patch& row : run.faces.patches) {
    if (row.empty) continue;
    const int patch = static_cast<int>(Patch_of_row(first, row.role, row.face));
    Face_cover& c = cover[row.face - 1];
    for (int b = row.points.lo[c.axes[1]]; b < row.points.hi[c.axes[1]]; ++b) {
      for (int a = row.points.lo[c.axes[0]]; a < row.points.hi[c.axes[0]]; ++a) {
        const std::size_t n = static_cast<std::size_t>(b - 1) * c.cells[0] + static_cast<std::size_t>(a - 1);
        if (c.patch[n] >= 0) {
          Refuse(path, row.record, 0,
                 "the row covers a cell of face " + std::to_string(row.face) + " that the row of record " +
                     std::to_string(c.record[n]) + " covers already");
        }
        c.patch[n] = patch;
        c.record[n] = row.record;
      }
    }
  }
}

}  // namespace

Solver_boundary Solver_boundaries(const Run_files& run) {
  const Grid& g = run.grid;
  const std::string& path = run.topology_path;
  Solver_boundary s;
  s.right_handed = Right_handed(g);
  s.lower_to_upper = run.faces.face3_angle;
  std::vector<std::size_t> first;
  s.patches = Patches_of_roles(run.passage, first);
  Face_cover cover[6];
  Cover_faces(run, first, cover);
  const int plane_top[3] = {g.ie - 1, g.je - 1, g.ke - 1};
  for (int face = 1; face <= 6; ++face) {
    const Face_cover& c = cover[face - 1];
    const int normal = (face - 1) / 2;
    const bool high = face % 2 == 0;
    for (int b = 1; b <= c.cells[1]; ++b) {
      for (int a = 1; a <= c.cells[0]; ++a) {
        const std::size_t n = static_cast<std::size_t>(b - 1) * c.cells[0] + static_cast<std::size_t>(a - 1);
        int cell[3];
        cell[normal] = high ? plane_top[normal] : 1;
        cell[c.axes[0]] = a;
        cell[c.axes[1]] = b;
        if (c.patch[n] < 0) {
          throw Input_error(path + ": no row covers the cell (" + std::to_string(cell[0]) + ", " +
                            std::to_string(cell[1]) + ", " + std::to_string(cell[2]) + ") on face " +
                            std::to_string(face) +
                            ": a solver mesh needs every "
                            "boundary face in a patch");
        }
        // The periodic pair is matched face by face: both faces are laid out alike.
        if (face == 4 && (c.patch[n] == kPeriodicUpper) != (cover[2].patch[n] == kPeriodicLower)) {
          Refuse(path, c.record[n], 0, "the periodic rows of faces 3 and 4 cover different cells");
        }
        s.patches[c.patch[n]].faces.push_back(Face_of_cell(g, cell, normal, high, s.right_handed));
      }
    }
  }
  return s;
}

Grid Axis_z_grid(const Grid& g) {
  Grid z;
  z.ie = g.ie;
  z.je = g.je;
  z.ke = g.ke;
  z.x = g.y;
  z.y = g.z;
  z.z = g.x;
  return z;
}

void Put_real(std::string& out, double v) {
  char text[40];
  auto r = std::to_chars(text, text + sizeof text, v, std::chars_format::general, 17);
  out.append(text, static_cast<std::size_t>(r.ptr - text));
}

void Put_count(std::string& out, std::size_t n) {
  char text[24];
  auto r = std::to_chars(text, text + sizeof text, n);
  out.append(text, static_cast<std::size_t>(r.ptr - text));
}

}  // namespace torvane::inspect
