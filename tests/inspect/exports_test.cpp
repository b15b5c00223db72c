// Every export read back: the .vts through its XML, Plot3D ASCII and binary by
// small readers, CGNS through the library; coordinates must come back exactly.
#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>

#include "inspect/export/plot3d_export.hpp"
#include "inspect/export/vts_export.hpp"
#include "inspect/quality/cell_quality.hpp"
#include "inspect/run_files/run_files.hpp"
#include "inspect_support.hpp"
#ifdef TORVANE_INSPECT_CGNS
#include <cgnslib.h>

#include "inspect/export/cgns_export.hpp"
#endif

namespace torvane::inspect {
namespace {

using testing::Scratch;

// The hand-made sector and, where present, two reference runs.
std::vector<Run_files> Runs(const Scratch& scratch) {
  std::vector<Run_files> runs;
  const std::string sector = scratch.File("sector");
  testing::Write_run(sector, testing::Sector_grid(5, 4, 3, 0.1, 0.05, 1.0, 0.1), 2, 4, 0.15);
  runs.push_back(Read_run(sector));
  for (const char* name : {"small", "turbine_stator"}) {
    const std::string stem = testing::Reference_stem(name);
    if (!stem.empty()) runs.push_back(Read_run(stem));
  }
  return runs;
}

std::vector<double> Numbers_in(std::string_view text) {
  std::vector<double> values;
  const char* p = text.data();
  const char* end = p + text.size();
  while (p < end) {
    while (p < end && std::isspace(static_cast<unsigned char>(*p))) ++p;
    if (p == end) break;
    double v;
    auto r = std::from_chars(p, end, v);
    if (r.ec != std::errc()) break;
    values.push_back(v);
    p = r.ptr;
  }
  return values;
}

// Text between the opening tag that contains `marker` and the next closing tag.
std::string_view Element_text(const std::string& xml, const std::string& marker) {
  const std::size_t at = xml.find(marker);
  if (at == std::string::npos) return {};
  const std::size_t open_end = xml.find('>', at) + 1;
  return std::string_view(xml).substr(open_end, xml.find("</DataArray>", open_end) - open_end);
}

TEST(Exports, VtsHoldsEveryPointExactlyAndOneValuePerCell) {
  Scratch scratch;
  for (const Run_files& run : Runs(scratch)) {
    const Grid& g = run.grid;
    const Cell_field cells = Measure_cells(g, run.faces);
    const std::string xml = Vts_text(g, cells);
    const std::string extent = "WholeExtent=\"0 " + std::to_string(g.ie - 1) + " 0 " + std::to_string(g.je - 1) +
                               " 0 " + std::to_string(g.ke - 1) + "\"";
    EXPECT_NE(xml.find(extent), std::string::npos) << run.stem;
    const std::vector<double> points = Numbers_in(Element_text(xml, "NumberOfComponents=\"3\""));
    ASSERT_EQ(points.size(), 3 * g.points()) << run.stem;
    for (std::size_t n = 0; n < g.points(); ++n) {
      ASSERT_EQ(points[3 * n], g.x[n]) << run.stem << " point " << n;
      ASSERT_EQ(points[3 * n + 1], g.y[n]) << run.stem << " point " << n;
      ASSERT_EQ(points[3 * n + 2], g.z[n]) << run.stem << " point " << n;
    }
    for (const char* name :
         {"ScaledJacobian", "MinFaceAngle", "MaxFaceAngle", "AspectRatio", "VolumeRatio", "QualityBand"}) {
      EXPECT_EQ(Numbers_in(Element_text(xml, std::string("Name=\"") + name + "\"")).size(), cells.cells())
          << run.stem << " " << name;
    }
    EXPECT_EQ(xml.substr(xml.size() - 11), "</VTKFile>\n");
  }
}

TEST(Exports, Plot3dAsciiReadsBackExactly) {
  Scratch scratch;
  for (const Run_files& run : Runs(scratch)) {
    const Grid& g = run.grid;
    const std::string text = Plot3d_ascii(g);
    const std::vector<double> v = Numbers_in(text);
    ASSERT_EQ(v.size(), 4 + 3 * g.points()) << run.stem;
    EXPECT_EQ(v[0], 1);
    EXPECT_EQ(v[1], g.ie);
    EXPECT_EQ(v[2], g.je);
    EXPECT_EQ(v[3], g.ke);
    const std::size_t n = g.points();
    for (std::size_t m = 0; m < n; ++m) {
      ASSERT_EQ(v[4 + m], g.x[m]) << run.stem;
      ASSERT_EQ(v[4 + n + m], g.y[m]) << run.stem;
      ASSERT_EQ(v[4 + 2 * n + m], g.z[m]) << run.stem;
    }
    // 17 significant digits each: one digit, the point, 16 decimals, an exponent.
    const std::size_t third_line = text.find('\n', text.find('\n') + 1) + 1;
    const std::string first = text.substr(third_line, text.find(' ', third_line) - third_line);
    EXPECT_EQ(first.find('e') - first.find('.'), 17u) << first;
  }
}

std::uint32_t U32(const std::string& b, std::size_t at) {
  std::uint32_t v = 0;
  for (int n = 3; n >= 0; --n) v = (v << 8) | static_cast<unsigned char>(b[at + n]);
  return v;
}

double F64(const std::string& b, std::size_t at) {
  std::uint64_t bits = 0;
  for (int n = 7; n >= 0; --n) bits = (bits << 8) | static_cast<unsigned char>(b[at + n]);
  double v;
  std::memcpy(&v, &bits, sizeof v);
  return v;
}

TEST(Exports, Plot3dBinaryHasLittleEndianRecordsFramedByTheirLengths) {
  Scratch scratch;
  for (const Run_files& run : Runs(scratch)) {
    const Grid& g = run.grid;
    const std::string b = Plot3d_binary(g);
    const std::size_t n = g.points();
    ASSERT_EQ(b.size(), 12 + 20 + 8 + 24 * n) << run.stem;
    EXPECT_EQ(U32(b, 0), 4u);
    EXPECT_EQ(U32(b, 4), 1u);
    EXPECT_EQ(U32(b, 8), 4u);
    EXPECT_EQ(U32(b, 12), 12u);
    EXPECT_EQ(U32(b, 16), static_cast<std::uint32_t>(g.ie));
    EXPECT_EQ(U32(b, 20), static_cast<std::uint32_t>(g.je));
    EXPECT_EQ(U32(b, 24), static_cast<std::uint32_t>(g.ke));
    EXPECT_EQ(U32(b, 28), 12u);
    EXPECT_EQ(U32(b, 32), 24 * n);
    EXPECT_EQ(U32(b, 36 + 24 * n), 24 * n);
    for (std::size_t m = 0; m < n; ++m) {
      ASSERT_EQ(F64(b, 36 + 8 * m), g.x[m]);
      ASSERT_EQ(F64(b, 36 + 8 * (n + m)), g.y[m]);
      ASSERT_EQ(F64(b, 36 + 8 * (2 * n + m)), g.z[m]);
    }
  }
}

#ifdef TORVANE_INSPECT_CGNS

TEST(Exports, CgnsReadsBackThroughTheLibrary) {
  TORVANE_REQUIRE_REFERENCE(stem, "typical");
  const Run_files run = Read_run(stem);
  const Grid& g = run.grid;
  Scratch scratch;
  const std::string path = scratch.File("typical.cgns");
  Write_cgns(path, run);
  int file = 0;
  ASSERT_EQ(cg_open(path.c_str(), CG_MODE_READ, &file), CG_OK) << cg_get_error();
  char name[64];
  cgsize_t size[9];
  ASSERT_EQ(cg_zone_read(file, 1, 1, name, size), CG_OK);
  EXPECT_EQ(std::string(name), "Passage");
  EXPECT_EQ(size[0], 81);
  EXPECT_EQ(size[1], 33);
  EXPECT_EQ(size[2], 17);
  const cgsize_t lo[3] = {1, 1, 1}, hi[3] = {81, 33, 17};
  std::vector<double> read(g.points());
  const std::vector<double>* expected[3] = {&g.x, &g.y, &g.z};
  const char* names[3] = {"CoordinateX", "CoordinateY", "CoordinateZ"};
  for (int d = 0; d < 3; ++d) {
    ASSERT_EQ(cg_coord_read(file, 1, 1, names[d], CGNS_ENUMV(RealDouble), lo, hi, read.data()), CG_OK);
    EXPECT_TRUE(read == *expected[d]) << names[d];
  }
  // Boundary conditions of the typical run in points: inlet i = 1, outlet i = 81, blade walls
  // i = 21..51 at j = 1 and j = 33, hub k = 1, casing k = 17.
  struct Bc {
    BCType_t type;
    const char* family;
    cgsize_t range[6];
  } bcs[] = {
      {CGNS_ENUMV(BCWall), "blade", {21, 1, 1, 51, 1, 17}},  {CGNS_ENUMV(BCWall), "blade", {21, 33, 1, 51, 33, 17}},
      {CGNS_ENUMV(BCWall), "hub", {1, 1, 1, 81, 33, 1}},     {CGNS_ENUMV(BCWall), "casing", {1, 1, 17, 81, 33, 17}},
      {CGNS_ENUMV(BCInflow), "inlet", {1, 1, 1, 1, 33, 17}}, {CGNS_ENUMV(BCOutflow), "outlet", {81, 1, 1, 81, 33, 17}},
  };
  int count = 0;
  ASSERT_EQ(cg_nbocos(file, 1, 1, &count), CG_OK);
  ASSERT_EQ(count, 6);
  for (int n = 1; n <= count; ++n) {
    BCType_t type;
    PointSetType_t set;
    cgsize_t points, normal_size;
    int normal_index[3], datasets;
    DataType_t normal_type;
    ASSERT_EQ(
        cg_boco_info(file, 1, 1, n, name, &type, &set, &points, normal_index, &normal_size, &normal_type, &datasets),
        CG_OK);
    cgsize_t range[6];
    ASSERT_EQ(cg_boco_read(file, 1, 1, n, range, nullptr), CG_OK);
    // Each boundary names its family; the family carries the boundary type.
    EXPECT_EQ(type, CGNS_ENUMV(FamilySpecified)) << name;
    ASSERT_EQ(cg_goto(file, 1, "Zone_t", 1, "ZoneBC_t", 1, "BC_t", n, "end"), CG_OK);
    char family[33];
    ASSERT_EQ(cg_famname_read(family), CG_OK) << name;
    EXPECT_EQ(std::string(family), bcs[n - 1].family) << name;
    int families = 0;
    ASSERT_EQ(cg_nfamilies(file, 1, &families), CG_OK);
    BCType_t family_type = CGNS_ENUMV(BCTypeNull);
    for (int f = 1; f <= families; ++f) {
      char family_name[33], bc_name[33];
      int bcs_of_family = 0, geometries = 0;
      ASSERT_EQ(cg_family_read(file, 1, f, family_name, &bcs_of_family, &geometries), CG_OK);
      if (std::string(family_name) != family) continue;
      ASSERT_EQ(bcs_of_family, 1) << family_name;
      ASSERT_EQ(cg_fambc_read(file, 1, f, 1, bc_name, &family_type), CG_OK);
    }
    EXPECT_EQ(family_type, bcs[n - 1].type) << name;
    EXPECT_EQ(set, CGNS_ENUMV(PointRange)) << name;
    for (int m = 0; m < 6; ++m) EXPECT_EQ(range[m], bcs[n - 1].range[m]) << name << " value " << m;
  }
  // Periodic pairs: upstream i = 1..21 and downstream i = 51..81, each face joined to the other.
  ASSERT_EQ(cg_n1to1(file, 1, 1, &count), CG_OK);
  ASSERT_EQ(count, 4);
  const double pitch = 0.20943951023931953;
  for (int n = 1; n <= count; ++n) {
    char donor[64];
    cgsize_t range[6], donor_range[6];
    int transform[3];
    ASSERT_EQ(cg_1to1_read(file, 1, 1, n, name, donor, range, donor_range, transform), CG_OK);
    EXPECT_EQ(std::string(donor), "Passage");
    EXPECT_EQ(transform[0], 1);
    EXPECT_EQ(transform[1], 2);
    EXPECT_EQ(transform[2], 3);
    EXPECT_EQ(range[1], range[4]);
    EXPECT_EQ(donor_range[1], range[1] == 1 ? 33 : 1);
    EXPECT_EQ(range[0], n <= 2 ? 1 : 51);
    EXPECT_EQ(range[3], n <= 2 ? 21 : 81);
    float center[3], angle[3], translation[3];
    ASSERT_EQ(cg_1to1_periodic_read(file, 1, 1, n, center, angle, translation), CG_OK);
    EXPECT_EQ(angle[0], static_cast<float>(range[1] == 1 ? -pitch : pitch)) << name;
    EXPECT_EQ(angle[1], 0.0f);
    // The right-handed rotation about x by the angle carries each point onto its donor.
    const double c = std::cos(angle[0]), s = std::sin(angle[0]);
    for (cgsize_t k = range[2]; k <= range[5]; ++k) {
      for (cgsize_t i = range[0]; i <= range[3]; ++i) {
        const Vec3 p = g.Point(static_cast<int>(i), static_cast<int>(range[1]), static_cast<int>(k));
        const Vec3 q = g.Point(static_cast<int>(i), static_cast<int>(donor_range[1]), static_cast<int>(k));
        const double ty = p.y * c - p.z * s, tz = p.y * s + p.z * c;
        // Single-precision angle: the match holds to about 1e-7 of the pitch.
        EXPECT_LT(std::hypot(ty - q.y, tz - q.z), 1e-6 * std::hypot(p.y, p.z) * pitch) << name << " i " << i;
      }
    }
  }
  EXPECT_EQ(cg_close(file), CG_OK);
}

#else

TEST(Exports, CgnsReadsBackThroughTheLibrary) { GTEST_SKIP() << "built without the CGNS library (libcgns-dev)"; }

#endif

}  // namespace
}  // namespace torvane::inspect
