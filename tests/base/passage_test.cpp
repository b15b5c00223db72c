// The passage: the one value the topology file is written from and read back
// into, and the check that its patches cover the block's boundary once.
#include "base/passage.hpp"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "inspect/run_files/text_input.hpp"
#include "inspect/run_files/topology_file.hpp"
#include "output/grid_files.hpp"

namespace torvane {
namespace {

std::string Read_bytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

// Written and read back, a passage keeps every role, face, range, partner and
// angle; the reader adds where each row stands and the stations the walls tell.
TEST(Passage, TheTopologyFileReadsBackIntoThePassageItWasWrittenFrom) {
  const Passage_sizes sizes[] = {
      {81, 33, 17, 21, 51},  // the typical run
      {9, 5, 3, 1, 9},       // nin = 0 and nout = 0: empty periodic rows
      {4, 2, 2, 2, 3},       // one cell across the pitch and the span
  };
  for (const Passage_sizes& s : sizes) {
    const Passage built = Make_passage(s, 6.283185307179586 / 7, Station_kind::flow_path);
    const Passage read = inspect::Read_topology_text("built.rtp", Topology_text(built));
    EXPECT_EQ(Topology_text(read), Topology_text(built));
    EXPECT_EQ(std::vector<int>({read.ni, read.nj, read.nk}), std::vector<int>({s.ie - 1, s.je - 1, s.ke - 1}));
    ASSERT_EQ(read.patches.size(), built.patches.size());
    long record = 6;
    for (std::size_t n = 0; n < read.patches.size(); ++n) {
      const Boundary_patch &r = read.patches[n], &b = built.patches[n];
      EXPECT_EQ(r.role, b.role) << n;
      EXPECT_EQ(r.face, b.face) << n;
      EXPECT_EQ(r.range[0], b.range[0]) << n;
      EXPECT_EQ(r.range[1], b.range[1]) << n;
      EXPECT_EQ(r.partner_face, b.partner_face) << n;
      EXPECT_EQ(r.angle, b.angle) << n;
      EXPECT_EQ(r.record, record) << n;
      record += r.periodic() ? 2 : 1;  // the angle's record after a periodic row
    }
    ASSERT_EQ(read.stations.size(), 2u);
    EXPECT_EQ(read.stations[0].k, 1);
    EXPECT_EQ(read.stations[1].k, s.ke);
    EXPECT_EQ(read.stations[1].kind, Station_kind::from_file);
    EXPECT_EQ(read.Blade_edges().ile, s.ile);
    EXPECT_EQ(read.Blade_edges().ite, s.ite);
    EXPECT_FALSE(Find_boundary_fault(built));
  }
}

// A tip gap of 1, 4 and all but two spanwise cells: the blade walls end below
// the casing, the gap's periodic pair covers the cells above them, and the
// passage still covers every boundary cell once and reads back unchanged.
TEST(Passage, ATipGapEndsTheBladeWallsAndPairsTheGapFaces) {
  for (int cells : {1, 4, 14}) {
    Passage p = Make_passage({81, 33, 17, 21, 51}, 6.283185307179586 / 30, Station_kind::cylinder);
    EXPECT_EQ(p.Blade_top(), 17);
    Add_tip_gap(p, cells);
    EXPECT_EQ(p.Blade_top(), 17 - cells) << cells;
    ASSERT_EQ(p.patches.size(), 12u);
    for (int face : {3, 4}) {
      const Boundary_patch& gap = p.patches[static_cast<std::size_t>(face + 7)];
      EXPECT_EQ(gap.role, Patch_role::periodic);
      EXPECT_EQ(gap.face, face);
      EXPECT_EQ(gap.range[0], (Cell_range{17 - cells, 16})) << cells;
      EXPECT_EQ(gap.range[1], (Cell_range{21, 50}));
      EXPECT_EQ(gap.angle, p.patches[static_cast<std::size_t>(face - 3)].angle);
    }
    EXPECT_FALSE(Find_boundary_fault(p)) << cells;
    EXPECT_EQ(Topology_text(inspect::Read_topology_text("gap.rtp", Topology_text(p))), Topology_text(p));
  }
}

// The ten rows of every public deck's run pass the reader's checks and are
// written again byte for byte from what was read.
TEST(Passage, EveryReferenceTopologyFileReadsAndWritesBackUnchanged) {
  const std::filesystem::path references = std::filesystem::path(TORVANE_SHARED_DIR) / "reference";
  if (!std::filesystem::exists(references)) GTEST_SKIP() << references << " not found";
  int files = 0;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(references)) {
    if (entry.path().extension() != ".rtp") continue;
    const std::string text = Read_bytes(entry.path().string());
    try {
      const Passage read = inspect::Read_topology_text(entry.path().string(), text);
      EXPECT_EQ(Topology_text(read), text) << entry.path();
      EXPECT_EQ(read.patches.size(), 10u) << entry.path();
    } catch (const inspect::Input_error& e) {
      ADD_FAILURE() << e.what();
    }
    ++files;
  }
  EXPECT_GE(files, 13);
}

// What the check says of a built passage whose patches do not fit its block.
TEST(Passage, TheBoundaryCheckNamesTheRowAndWhatIsWrong) {
  struct Case {
    const char* what;
    int patch;  // of Make_passage's ten, changed as `change` does
    void (*change)(Boundary_patch&);
    const char* fault;
  } cases[] = {
      {"blade wall into the downstream periodic cells", 4, [](Boundary_patch& p) { p.range[1].hi = 52; },
       "the row covers a cell of face 3 that the row of record 8 covers already"},
      {"inlet short of the casing", 8, [](Boundary_patch& p) { p.range[1].hi = 3; },
       "no row covers the cell (1, 1, 4) on face 1 (i = 1): every boundary cell lies in exactly one row"},
      {"blade side called the outlet", 5, [](Boundary_patch& p) { p.role = Patch_role::outlet; },
       "the outlet row (type code 20) on face 4 (j = je): it lies on face 2 (i = ie) only"},
      {"hub on the casing's face", 6, [](Boundary_patch& p) { p.face = 6; },
       "the hub row (type code 70) on face 6 (k = ke): it lies on face 5 (k = 1) only"},
      {"blade wall at the inlet", 4, [](Boundary_patch& p) { p.face = 1; },
       "a wall row (type code 70) on face 1 (i = 1): walls lie on faces 3 to 6 only"},
      {"periodic row matched with itself", 0, [](Boundary_patch& p) { p.partner_face = 3; },
       "periodic row of face 3 must be matched with face 4"},
      {"both periodic faces turned one way", 1, [](Boundary_patch& p) { p.angle = -p.angle; },
       "periodic angle of face 4 turns the same way as an earlier row of face 3"},
      {"a second pitch angle", 3, [](Boundary_patch& p) { p.angle *= 2; },
       "periodic angle differs from the pitch angle of the other rows"},
      {"range past the block", 7, [](Boundary_patch& p) { p.range[0].hi = 81; },
       "range 1, 81 of face 6 (k = ke) lies outside cells 1..80"},
  };
  for (const Case& c : cases) {
    Passage p = Make_passage({81, 33, 17, 21, 51}, 0.2, Station_kind::cylinder);
    for (std::size_t n = 0; n < p.patches.size(); ++n) p.patches[n].record = static_cast<long>(n) + 6;
    c.change(p.patches[static_cast<std::size_t>(c.patch)]);
    const std::optional<Boundary_fault> fault = Find_boundary_fault(p, 5);
    ASSERT_TRUE(fault) << c.what;
    EXPECT_EQ(fault->text, c.fault) << c.what;
  }
}

// The periodic faces must be periodic over the same cells: a blade wall one
// cell longer on face 4 than on face 3 leaves a periodic cell of face 3 facing a wall.
TEST(Passage, PeriodicCellsOfFaceThreeFacePeriodicCellsOfFaceFour) {
  Passage p = Make_passage({81, 33, 17, 21, 51}, 0.2, Station_kind::cylinder);
  for (std::size_t n = 0; n < p.patches.size(); ++n) p.patches[n].record = static_cast<long>(n) + 6;
  p.patches[1].range[1].hi = 19;  // the upstream periodic row of face 4
  p.patches[5].range[1].lo = 20;  // and its blade wall
  const std::optional<Boundary_fault> fault = Find_boundary_fault(p);
  ASSERT_TRUE(fault);
  EXPECT_EQ(fault->record, 6);
  EXPECT_EQ(fault->text,
            "the periodic rows of faces 3 and 4 cover different cells: some of this row's cells of face 3 have no "
            "periodic partner on face 4");
}

}  // namespace
}  // namespace torvane
