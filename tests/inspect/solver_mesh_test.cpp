// The solver meshes without the solvers: positive hexahedra and outward faces in
// grids of either handedness, the periodic pair matched face by face, OpenFOAM's
// face order and counts read back from the files, and the topology faults refused.
#include "inspect/export/solver_mesh.hpp"

#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <set>

#include "inspect/command_line.hpp"
#include "inspect/export/openfoam_export.hpp"
#include "inspect/quality/hex_cell.hpp"
#include "inspect/run_files/text_input.hpp"
#include "inspect_support.hpp"

namespace torvane::inspect {
namespace {

using testing::Scratch;

Vec3 Minus(Vec3 a, Vec3 b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
Vec3 Cross(Vec3 a, Vec3 b) { return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x}; }
double Dot(Vec3 a, Vec3 b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
Vec3 Point_at(const Grid& g, std::size_t n) { return {g.x[n], g.y[n], g.z[n]}; }

Vec3 Centre(const Grid& g, const std::size_t* points, int count) {
  Vec3 c;
  for (int n = 0; n < count; ++n) {
    const Vec3 p = Point_at(g, points[n]);
    c = {c.x + p.x / count, c.y + p.y / count, c.z + p.z / count};
  }
  return c;
}

// Area vector of a quadrilateral by the right-hand rule: half the cross product of its diagonals.
Vec3 Area(const Grid& g, const std::array<std::size_t, 4>& q) {
  return Cross(Minus(Point_at(g, q[2]), Point_at(g, q[0])), Minus(Point_at(g, q[3]), Point_at(g, q[1])));
}

struct Case {
  std::string name;
  Run_files run;
  int handed;  // 1 right, -1 left, 0 not known beforehand
};

// A sector whose angle grows with j (right-handed), the same mirrored (left-handed), and the
// public reference runs that are present: nin = 0, nout = 0 and a single span layer among them.
std::vector<Case> Cases(const Scratch& scratch) {
  std::vector<Case> cases;
  const std::string right = scratch.File("right"), left = scratch.File("left");
  testing::Write_run(right, testing::Sector_grid(5, 4, 3, 0.1, 0.05, 1.0, 0.1), 2, 4, 0.15);
  testing::Write_run(left, testing::Sector_grid(5, 4, 3, 0.1, -0.05, 1.0, 0.1), 2, 4, -0.15);
  cases.push_back({"sector", Read_run(right), 1});
  cases.push_back({"mirrored sector", Read_run(left), -1});
  for (const char* name : {"small", "turbine_stator", "nin0", "nout0", "span1", "typical", "format_a"}) {
    const std::string stem = testing::Reference_stem(name);
    if (!stem.empty()) cases.push_back({name, Read_run(stem), 0});
  }
  return cases;
}

TEST(SolverMesh, HexahedraArePositiveAndBoundaryFacesPointOutOfTheirCells) {
  Scratch scratch;
  for (const Case& c : Cases(scratch)) {
    const Grid& g = c.run.grid;
    const Solver_boundary b = Solver_boundaries(c.run);
    if (c.handed != 0) {
      EXPECT_EQ(b.right_handed, c.handed > 0) << c.name;
    }
    std::vector<Vec3> cell_centre;
    for (int k = 1; k < g.ke; ++k) {
      for (int j = 1; j < g.je; ++j) {
        for (int i = 1; i < g.ie; ++i) {
          const std::array<std::size_t, 8> h = Hex_corners(g, i, j, k, b.right_handed);
          // From the bottom-then-top order to local corners a + 2b + 4c of Hex_volume's.
          const int local[8] = {0, 1, 3, 2, 4, 5, 7, 6};
          Vec3 corner[8];
          for (int n = 0; n < 8; ++n) corner[local[n]] = Point_at(g, h[n]);
          ASSERT_GT(Hex_volume(corner), 0) << c.name << " cell " << i << " " << j << " " << k;
          ASSERT_EQ(Cell_number(g, i, j, k), cell_centre.size());
          cell_centre.push_back(Centre(g, h.data(), 8));
        }
      }
    }
    const std::size_t a = g.ie - 1, bj = g.je - 1, ck = g.ke - 1;
    std::size_t faces = 0;
    std::set<std::array<std::size_t, 4>> seen;
    for (const Solver_patch& p : b.patches) {
      for (const Quad_face& f : p.faces) {
        const Vec3 out = Minus(Centre(g, f.points.data(), 4), cell_centre[f.cell]);
        ASSERT_GT(Dot(Area(g, f.points), out), 0) << c.name << " " << p.name << " face " << faces;
        std::array<std::size_t, 4> key = f.points;
        std::sort(key.begin(), key.end());
        EXPECT_TRUE(seen.insert(key).second) << c.name << " " << p.name << ": a face in two patches";
        ++faces;
      }
    }
    EXPECT_EQ(faces, 2 * (a * bj + bj * ck + ck * a)) << c.name << ": every boundary face once";
  }
}

TEST(SolverMesh, PeriodicFacesMatchFaceByFaceUnderTheStatedRotation) {
  Scratch scratch;
  for (const Case& c : Cases(scratch)) {
    const Grid& g = c.run.grid;
    const Solver_boundary b = Solver_boundaries(c.run);
    const Solver_patch& lower = b.patches[kPeriodicLower];
    const Solver_patch& upper = b.patches[kPeriodicUpper];
    ASSERT_EQ(lower.faces.size(), upper.faces.size()) << c.name;
    EXPECT_EQ(std::fabs(b.lower_to_upper), c.run.faces.pitch_angle) << c.name;
    // Right-handed about x: y' = y cos a - z sin a, z' = y sin a + z cos a.
    const double cs = std::cos(b.lower_to_upper), sn = std::sin(b.lower_to_upper);
    for (std::size_t n = 0; n < lower.faces.size(); ++n) {
      const Vec3 lc = Centre(g, lower.faces[n].points.data(), 4);
      const Vec3 uc = Centre(g, upper.faces[n].points.data(), 4);
      const Vec3 turned = {lc.x, lc.y * cs - lc.z * sn, lc.y * sn + lc.z * cs};
      const double gap = std::hypot(turned.x - uc.x, turned.y - uc.y, turned.z - uc.z);
      ASSERT_LT(gap, 1e-9 * std::hypot(lc.y, lc.z)) << c.name << " face " << n;
    }
  }
}

// The whole-number entries of an OpenFOAM list file, after its count.
std::vector<std::size_t> Labels(const std::string& text) {
  std::vector<std::size_t> values;
  std::size_t at = text.find("\n(\n");
  const char* p = text.data() + at + 3;
  const char* end = text.data() + text.size();
  while (p < end) {
    std::size_t v;
    auto r = std::from_chars(p, end, v);
    if (r.ec != std::errc()) break;
    values.push_back(v);
    p = r.ptr + 1;
  }
  return values;
}

std::string File_text(const std::vector<Case_file>& files, const std::string& name) {
  for (const Case_file& f : files) {
    if (f.first == "constant/polyMesh/" + name) return f.second;
  }
  return "";
}

TEST(OpenfoamMesh, FacesAreUpperTriangularThenPatchByPatchAndEveryCellIsClosed) {
  Scratch scratch;
  for (const Case& c : Cases(scratch)) {
    const Grid& g = c.run.grid;
    const Solver_boundary b = Solver_boundaries(c.run);
    const std::vector<Case_file> files = Openfoam_mesh(g, b, Machine_axis::x);
    const std::vector<std::size_t> owner = Labels(File_text(files, "owner"));
    const std::vector<std::size_t> neighbour = Labels(File_text(files, "neighbour"));
    const std::size_t cells = static_cast<std::size_t>(g.ie - 1) * (g.je - 1) * (g.ke - 1);
    // Internal faces sorted by owner, then neighbour, each owner below its neighbour.
    for (std::size_t f = 0; f < neighbour.size(); ++f) {
      ASSERT_LT(owner[f], neighbour[f]) << c.name;
      if (f > 0) {
        ASSERT_TRUE(owner[f - 1] < owner[f] || (owner[f - 1] == owner[f] && neighbour[f - 1] < neighbour[f]))
            << c.name << " face " << f;
      }
    }
    // Each hexahedron has six faces, and a closed cell's area vectors sum to zero.
    std::vector<int> count(cells, 0);
    for (std::size_t o : owner) ++count[o];
    for (std::size_t n : neighbour) ++count[n];
    for (std::size_t cell = 0; cell < cells; ++cell) ASSERT_EQ(count[cell], 6) << c.name << " cell " << cell;
    // The boundary file's patches follow one another after the internal faces.
    const std::string boundary = File_text(files, "boundary");
    std::size_t start = neighbour.size();
    for (const Solver_patch& p : b.patches) {
      const std::string entry = "    " + p.name + "\n    {\n";
      const std::size_t at = boundary.find(entry);
      ASSERT_NE(at, std::string::npos) << p.name;
      EXPECT_NE(boundary.find("nFaces          " + std::to_string(p.faces.size()) + ";\n        startFace       " +
                                  std::to_string(start) + ";",
                              at),
                std::string::npos)
          << c.name << " " << p.name;
      start += p.faces.size();
    }
    EXPECT_EQ(start, owner.size()) << c.name;
    // The sector's upper face lies at theta = +0.15 (mirrored: -0.15); theta grows against the
    // right-handed turn about x, so periodic_lower goes onto periodic_upper by -0.15 rad (+0.15).
    if (c.handed != 0) {
      const std::size_t at = boundary.find("rotationAngle", boundary.find("periodic_lower"));
      const double degrees = std::stod(boundary.substr(at + 13));
      EXPECT_NEAR(degrees, -c.handed * 0.15 * 180 / 3.141592653589793, 1e-12) << c.name;
      EXPECT_NE(boundary.find("neighbourPatch  periodic_upper;", at), std::string::npos);
    }
  }
}

TEST(OpenfoamMesh, PointsReadBackExactly) {
  Scratch scratch;
  const std::string stem = scratch.File("sector");
  testing::Write_run(stem, testing::Sector_grid(5, 4, 3, 0.1, 0.05, 1.0, 0.1), 2, 4, 0.15);
  const Run_files run = Read_run(stem);
  const std::string points = File_text(Openfoam_mesh(run.grid, Solver_boundaries(run), Machine_axis::x), "points");
  const char* p = points.data() + points.find("\n(\n") + 3;
  for (std::size_t n = 0; n < run.grid.points(); ++n) {
    double v[3];
    ASSERT_EQ(*p, '(');
    ++p;
    for (double& value : v) {
      auto r = std::from_chars(p, points.data() + points.size(), value);
      ASSERT_EQ(r.ec, std::errc()) << "point " << n;
      p = r.ptr + 1;
    }
    EXPECT_EQ(v[0], run.grid.x[n]);
    EXPECT_EQ(v[1], run.grid.y[n]);
    EXPECT_EQ(v[2], run.grid.z[n]);
    ++p;  // the line end after ')'
  }
}

TEST(SolverMesh, AxisZIsACyclicRelabelling) {
  Grid g = testing::Sector_grid(3, 3, 2, 0.1, 0.05, 1.0, 0.1);
  const Grid z = Axis_z_grid(g);
  EXPECT_TRUE(z.z == g.x && z.x == g.y && z.y == g.z);
  EXPECT_EQ(Right_handed(z), Right_handed(g));
}

// Topology files that leave a boundary face out or give it twice, and what is said of them.
TEST(SolverMesh, TopologyFaultsAreRefusedNamingFileAndRecord) {
  struct Row {
    const char* what;
    const char* from;
    const char* to;
    const char* rows;  // the row count of the file's head
    const char* message;
  } rows[] = {
      {"inlet row dropped", " 10     1    1    3    1    2", "", "9", ": no row covers the cell (1, 1, 1) on face 1"},
      {"hub row doubled", " 70     5    1    4    1    3",
       " 70     5    1    4    1    3    0    0    0    0    0    0\r\n 70     5    1    4    1    3", "11",
       "record 17: the row covers a cell of face 5 that the row of record 16 covers already"},
  };
  for (const Row& row : rows) {
    Scratch scratch;
    const std::string stem = scratch.File("sector");
    testing::Write_run(stem, testing::Sector_grid(5, 4, 3, 0.1, 0.05, 1.0, 0.1), 2, 4, 0.15);
    std::string rtp = testing::Read_text(stem + ".rtp");
    const std::size_t at = rtp.find(row.from);
    ASSERT_NE(at, std::string::npos) << row.what << "\n" << rtp;
    if (*row.to == 0) {
      rtp.erase(at, rtp.find('\n', at) + 1 - at);
    } else {
      rtp.replace(at, std::string(row.from).size(), row.to);
    }
    rtp.replace(rtp.find("1\r\n10 ") + 3, 2, row.rows);
    testing::Write_text(stem + ".rtp", rtp);
    try {
      const Run_files run = Read_run(stem);
      Solver_boundaries(run);
      ADD_FAILURE() << row.what << ": not refused";
    } catch (const Input_error& e) {
      EXPECT_NE(std::string(e.what()).find(row.message), std::string::npos) << row.what << ": " << e.what();
    }
  }
}

TEST(SolverMesh, CommandLineOfTheSolverExports) {
  struct Row {
    std::vector<std::string> args;
    const char* error;  // "" when accepted
    const char* output;
  } rows[] = {
      {{"export", "--to", "openfoam", "runs/rotor"}, "", "runs/rotor_openfoam"},
      {{"export", "--to", "openfoam", "--case", "--output", "cases/rotor", "runs/rotor"}, "", "cases/rotor"},
      {{"export", "--to", "su2", "--axis", "z", "runs/rotor"}, "", "runs/rotor"},
      {{"export", "--to", "su2", "--case", "runs/rotor"}, "--case applies to --to openfoam only", ""},
      {{"export", "--to", "vts", "--axis", "y", "runs/rotor"}, "--axis y: the machine axis is written as x or z", ""},
      {{"report", "--axis", "z", "runs/rotor"}, "option --axis is not known to report", ""},
  };
  for (const Row& row : rows) {
    try {
      const Options o = Parse_command_line(row.args);
      EXPECT_STREQ(row.error, "") << row.args[2];
      EXPECT_EQ(o.output, row.output);
    } catch (const Usage_error& e) {
      EXPECT_EQ(std::string(e.what()), row.error);
    }
  }
}

}  // namespace
}  // namespace torvane::inspect
