// Reading the grid and topology files: exact values of the reference runs and
// refusals of malformed or cut files that name file, record and column.
#include "inspect/run_files/run_files.hpp"

#include <gtest/gtest.h>

#include "inspect/quality/cell_survey.hpp"
#include "inspect/quality/report.hpp"
#include "inspect/run_files/block_faces.hpp"
#include "inspect/run_files/grid_file.hpp"
#include "inspect/run_files/text_input.hpp"
#include "inspect/run_files/topology_file.hpp"
#include "inspect_support.hpp"

namespace torvane::inspect {
namespace {

using testing::Reference_stem;
using testing::Scratch;
using testing::Write_text;

TEST(GridFile, ReadsEveryCoordinateOfTheReferenceSmallGridExactly) {
  TORVANE_REQUIRE_REFERENCE(stem, "small");
  const Grid g = Read_grid_file(stem + ".rgra");
  EXPECT_EQ(g.ie, 13);
  EXPECT_EQ(g.je, 8);
  EXPECT_EQ(g.ke, 6);
  // Values as the reference file writes them: first and second x, last x, first y, first and last z.
  EXPECT_EQ(g.x.front(), -5.0001768257276674E-002);
  EXPECT_EQ(g.x[1], -2.8182841268524824E-002);
  EXPECT_EQ(g.x.back(), 0.14994977725534048);
  EXPECT_EQ(g.y.front(), 2.3211930756880075E-002);
  EXPECT_EQ(g.z.front(), 0.29910066243747740);
  EXPECT_EQ(g.z.back(), 0.44666763816929833);
}

// A grid file of 2 x 2 x 2 points (24 coordinates), with its records replaced as each case says.
std::string Tiny_grid(const std::string& record1, const std::string& record2, const std::string& record3,
                      const std::string& tail = "\r\n") {
  return record1 + "\r\n" + record2 + "\r\n" + record3 + tail;
}

std::string Numbers(int n, const std::string& last = "") {
  std::string s;
  for (int m = 0; m < n; ++m) s += "   1.0000000000000000     ";  // 26 columns, as a list write
  return s + last;
}

TEST(GridFile, RefusesMalformedOrCutFilesNamingRecordAndColumn) {
  struct Case {
    const char* what;
    std::string text;
    std::string message;  // after "PATH, "
  } cases[] = {
      {"empty file", "", "record 1: missing (the file ends before record 1, the text 0.0)"},
      {"wrong opening", Tiny_grid("1.0", "1   1   1   1", Numbers(24)),
       "record 1, column 1: expected the text 0.0 that opens a grid file"},
      {"two blocks", Tiny_grid("0.0", "2   1   1   1", Numbers(24)),
       "record 2, column 1: block count 2: an H-grid file holds 1 block"},
      {"zero intervals", Tiny_grid("0.0", "1   1   0   1", Numbers(24)),
       "record 2, column 9: j intervals: 0 is not at least 1"},
      {"letters for a size", Tiny_grid("0.0", "1   1   x   1", Numbers(24)),
       "record 2, column 9: j intervals: \"x\" is not an integer"},
      {"missing size", Tiny_grid("0.0", "1   1   1", Numbers(24)), "record 2, column 10: missing k intervals"},
      {"no coordinates", "0.0\r\n1   1   1   1\r\n",
       "record 3: missing (the file ends before record 3, the coordinates)"},
      {"cut inside the record", Tiny_grid("0.0", "1   1   1   1", Numbers(23), ""),
       "record 3, column 599: the record ends after 23 of 24 coordinates (the file is cut short)"},
      {"cut inside the last number", Tiny_grid("0.0", "1   1   1   1", Numbers(23, "  1.00"), ""),
       "record 3, column 605: the record has no line end (the file is cut short)"},
      {"a lone carriage return at the end", Tiny_grid("0.0", "1   1   1   1", Numbers(24), "\r"),
       "record 3, column 625: the record has no line end (the file is cut short)"},
      {"a word among the numbers", Tiny_grid("0.0", "1   1   1   1", Numbers(2, "  abc") + Numbers(21)),
       "record 3, column 55: coordinate 3: \"abc\" is not a finite number"},
      {"not a number", Tiny_grid("0.0", "1   1   1   1", Numbers(5, "  NaN") + Numbers(18)),
       "record 3, column 133: coordinate 6: \"NaN\" is not a finite number"},
      {"glued numbers", Tiny_grid("0.0", "1   1   1   1", "  1.0-2.0" + Numbers(23)),
       "record 3, column 3: coordinate 1: \"1.0-2.0\" is not a finite number"},
      {"one coordinate too many", Tiny_grid("0.0", "1   1   1   1", Numbers(25)),
       "record 3, column 628: more than the 24 coordinates of 2 x 2 x 2 points"},
      {"a fourth record", Tiny_grid("0.0", "1   1   1   1", Numbers(24), "\r\n7\r\n"),
       "record 4, column 1: unexpected record after the end of the data"},
      {"far too short for its sizes", Tiny_grid("0.0", "1  99  99  99", Numbers(24)),
       "record 3, column 625: the record ends after 624 characters, too short for 3000000 coordinates (the file is cut "
       "short)"},
  };
  Scratch scratch;
  const std::string path = scratch.File("bad.rgra");
  for (const Case& c : cases) {
    Write_text(path, c.text);
    try {
      Read_grid_file(path);
      ADD_FAILURE() << c.what << ": accepted";
    } catch (const Input_error& e) {
      EXPECT_EQ(std::string(e.what()), path + ", " + c.message) << c.what;
    }
  }
}

TEST(GridFile, AcceptsLineFeedEndingsAndAPlusSign) {
  Scratch scratch;
  const std::string path = scratch.File("lf.rgra");
  Write_text(path, "0.0\n1 1 1 1\n +2.5" + Numbers(23) + "\n");
  const Grid g = Read_grid_file(path);
  EXPECT_EQ(g.x[0], 2.5);
  EXPECT_EQ(g.z[7], 1.0);
}

TEST(TopologyFile, ReadsTheTenRowsAndPitchAngleOfTheTypicalRun) {
  TORVANE_REQUIRE_REFERENCE(stem, "typical");
  const Run_files run = Read_run(stem);
  ASSERT_EQ(run.passage.patches.size(), 10u);
  const Boundary_patch& first = run.passage.patches[0];
  EXPECT_EQ(first.role, torvane::Patch_role::periodic);
  EXPECT_EQ(first.face, 3);
  EXPECT_EQ(first.range[0], (Cell_range{1, 16}));  // written negated
  EXPECT_EQ(first.range[1].hi, 20);
  EXPECT_EQ(first.angle, -0.20943951023931953);
  EXPECT_EQ(run.passage.patches[3].angle, 0.20943951023931953);
  EXPECT_EQ(run.passage.patches[9].role, torvane::Patch_role::outlet);
  // The stations the wall rows tell: the hub at k = 1, the casing at k = ke.
  ASSERT_EQ(run.passage.stations.size(), 2u);
  EXPECT_EQ(run.passage.stations[1].surface, Surface::casing);
  EXPECT_EQ(run.passage.stations[1].k, 17);
  // 30 blades: leading edge i = 21, trailing edge i = 51, pitch 2 pi / 30.
  EXPECT_EQ(run.faces.ile, 21);
  EXPECT_EQ(run.faces.ite, 51);
  EXPECT_EQ(run.faces.pitch_angle, 0.20943951023931953);
  EXPECT_EQ(run.faces.face3_angle, -0.20943951023931953);
  // Row 5, the blade wall j = 1: points i 21..51, k 1..17.
  const Patch& wall = run.faces.patches[4];
  EXPECT_EQ(wall.points.lo[0], 21);
  EXPECT_EQ(wall.points.hi[0], 51);
  EXPECT_EQ(wall.points.lo[1], 1);
  EXPECT_EQ(wall.points.hi[1], 1);
  EXPECT_EQ(wall.points.hi[2], 17);
  // Row 8, the casing: k = ke = 17 over all i and j.
  const Patch& casing = run.faces.patches[7];
  EXPECT_EQ(casing.points.lo[2], 17);
  EXPECT_EQ(casing.points.hi[0], 81);
  EXPECT_EQ(casing.points.hi[1], 33);
}

TEST(TopologyFile, KeepsTheEmptyUpstreamRowsOfARunWithoutInlet) {
  TORVANE_REQUIRE_REFERENCE(stem, "nin0");
  const Run_files run = Read_run(stem);
  EXPECT_TRUE(run.faces.patches[0].empty);
  EXPECT_TRUE(run.faces.patches[1].empty);
  EXPECT_FALSE(run.faces.patches[2].empty);
  EXPECT_EQ(run.faces.ile, 1);
  EXPECT_EQ(run.faces.ite, 21);
}

// The typical run's topology file with one record replaced.
std::string Typical_topology(int record, const std::string& replacement) {
  const char* records[] = {
      "# Topology file for a blade (H-grid, 1 region)",
      "#",
      "1 1",
      "1",
      "10  80  32  16",
      "120     3   -1  -16    1   20    1    4   -1  -16    1   20",
      " -0.20943951023931953     ",
      "120     4   -1  -16    1   20    1    3   -1  -16    1   20",
      "  0.20943951023931953     ",
      "120     3   -1  -16   51   80    1    4   -1  -16   51   80",
      " -0.20943951023931953     ",
      "120     4   -1  -16   51   80    1    3   -1  -16   51   80",
      "  0.20943951023931953     ",
      " 70     3    1   16   21   50    0    0    0    0    0    0",
      " 70     4    1   16   21   50    0    0    0    0    0    0",
      " 70     5    1   80    1   32    0    0    0    0    0    0",
      " 70     6    1   80    1   32    0    0    0    0    0    0",
      " 10     1    1   32    1   16    0    0    0    0    0    0",
      " 20     2    1   32    1   16    0    0    0    0    0    0",
  };
  std::string text;
  for (int n = 1; n <= 19; ++n) {
    if (n == record && replacement == "<cut>") break;
    text += (n == record ? replacement : std::string(records[n - 1])) + "\r\n";
  }
  return text;
}

TEST(TopologyFile, RefusesRowsThatDoNotFitTheBlock) {
  struct Case {
    int record;
    std::string replacement, message;
  } cases[] = {
      {1, "Topology", "record 1, column 1: expected a comment record beginning with #"},
      {3, "2 1", "record 3, column 1: expected 1, found 2: only one region is supported"},
      {6, "130     3   -1  -16    1   20    1    4   -1  -16    1   20",
       "record 6, column 1: type code 130 is none of 10, 20, 70, 120"},
      {14, " 70     7    1   16   21   50    0    0    0    0    0    0", "record 14, column 9: face 7 is not 1 to 6"},
      {14, " 70     3    1   17   21   50    0    0    0    0    0    0",
       "record 14, column 14: first range 1, 17 lies outside cells 1..16"},
      {14, " 70     3    1   16   50   21    0    0    0    0    0    0",
       "record 14, column 23: second range 50, 21 runs backwards"},
      {14, " 70     3    1   16   21   50    1    4    0    0    0    0",
       "record 14, column 34: a non-periodic row names a partner"},
      {6, "120     3   -1  -16    1   20    1    3   -1  -16    1   20",
       "record 6, column 34: periodic row of face 3 must be matched with the same cells of face 4 of region 1"},
      {7, " -0.2094x", "record 7, column 2: periodic angle: \"-0.2094x\" is not a finite number"},
      {7, "<cut>", "record 7: missing (the file ends before the periodic angle after a periodic row)"},
      {19, "<cut>", "record 19: missing (the file ends before boundary row 10 of 10)"},
      {13, "  0.3     ", "record 13, column 1: periodic angle differs from the pitch angle of the other rows"},
  };
  TORVANE_REQUIRE_REFERENCE(stem, "typical");
  const Grid grid = Read_grid_file(stem + ".rgra");
  Scratch scratch;
  const std::string path = scratch.File("bad.rtp");
  for (const Case& c : cases) {
    Write_text(path, Typical_topology(c.record, c.replacement));
    try {
      Lay_out_faces(Read_topology_file(path), path, grid);
      ADD_FAILURE() << "record " << c.record << " \"" << c.replacement << "\": accepted";
    } catch (const Input_error& e) {
      EXPECT_EQ(std::string(e.what()), path + ", " + c.message);
    }
  }
}

// Damaged rows that each read well alone: the rows together must cover every
// boundary cell once, each with a role its face can have, the periodic faces
// turned one way and the other.
TEST(TopologyFile, RefusesRowsThatCoverACellTwiceOrNotAtAllOrMisplaceARole) {
  struct Case {
    int record;
    std::string replacement, message;
  } cases[] = {
      {14, " 70     3    1   16   21   52    0    0    0    0    0    0",
       "record 14: the row covers a cell of face 3 that the row of record 10 covers already"},
      {18, " 10     1    1   32    1   12    0    0    0    0    0    0",
       "record 18: no row covers the cell (1, 1, 13) on face 1 (i = 1): every boundary cell lies in exactly one row"},
      {16, " 70     5    1   80    1   31    0    0    0    0    0    0",
       "record 16: no row covers the cell (1, 32, 1) on face 5 (k = 1): every boundary cell lies in exactly one row"},
      {14, " 20     3    1   16   21   50    0    0    0    0    0    0",
       "record 14, column 1: the outlet row (type code 20) on face 3 (j = 1): it lies on face 2 (i = ie) only"},
      {19, " 10     2    1   32    1   16    0    0    0    0    0    0",
       "record 19, column 1: the inlet row (type code 10) on face 2 (i = ie): it lies on face 1 (i = 1) only"},
      {18, " 70     1    1   32    1   16    0    0    0    0    0    0",
       "record 18, column 1: a wall row (type code 70) on face 1 (i = 1): walls lie on faces 3 to 6 only"},
      {9, " -0.20943951023931953     ",
       "record 9, column 1: periodic angle of face 4 turns the same way as an earlier row of face 3"},
  };
  Scratch scratch;
  const std::string path = scratch.File("damaged.rtp");
  for (const Case& c : cases) {
    Write_text(path, Typical_topology(c.record, c.replacement));
    try {
      Read_topology_file(path);
      ADD_FAILURE() << "record " << c.record << " \"" << c.replacement << "\": accepted";
    } catch (const Input_error& e) {
      EXPECT_EQ(std::string(e.what()), path + ", " + c.message);
    }
  }
}

// Every record of the three run files ends with its line end; a topology file
// whose last record has none was cut short, as a grid or plot file would be.
TEST(TopologyFile, RefusesALastRecordWithoutItsLineEnd) {
  struct Case {
    int cut_before;  // the record the file ends before
    const char* message;
  } cases[] = {
      {20, "record 19, column 60: the record has no line end (the file is cut short)"},  // 3 + 1 + 11 x 5 characters
      {14, "record 13, column 27: the record has no line end (the file is cut short)"},  // the last periodic angle
  };
  TORVANE_REQUIRE_REFERENCE(stem, "typical");
  const Grid grid = Read_grid_file(stem + ".rgra");
  Scratch scratch;
  const std::string path = scratch.File("open.rtp");
  for (const Case& c : cases) {
    std::string text = Typical_topology(c.cut_before, "<cut>");
    text.resize(text.size() - 2);  // without the last CR LF
    Write_text(path, text);
    try {
      Lay_out_faces(Read_topology_file(path), path, grid);
      ADD_FAILURE() << c.message << ": accepted";
    } catch (const Input_error& e) {
      EXPECT_EQ(std::string(e.what()), path + ", " + c.message);
    }
  }
}

TEST(TopologyFile, RefusesCellCountsThatDoNotMatchTheGrid) {
  TORVANE_REQUIRE_REFERENCE(stem, "small");
  const Grid grid = Read_grid_file(stem + ".rgra");
  Scratch scratch;
  const std::string path = scratch.File("typical.rtp");
  Write_text(path, Typical_topology(0, ""));
  try {
    Lay_out_faces(Read_topology_file(path), path, grid);
    ADD_FAILURE() << "accepted";
  } catch (const Input_error& e) {
    EXPECT_EQ(std::string(e.what()),
              path + ", record 5, column 4: 80 x 32 x 16 cells do not match the 13 x 8 x 6 points of the grid file");
  }
}

// A run held in memory reports what its files report, and is refused in the same words.
TEST(RunInMemory, ReportsWhatTheFilesReport) {
  TORVANE_REQUIRE_REFERENCE(stem, "typical");
  const Run_files files = Read_run(stem);
  const Run_files memory =
      Lay_out_run(stem, files.grid, Read_topology_text(stem + ".rtp", testing::Read_text(stem + ".rtp")));
  EXPECT_EQ(Report_json(Make_report(stem, memory.grid, memory.faces, Survey_cells(memory.grid, memory.faces))),
            Report_json(Make_report(stem, files.grid, files.faces, Survey_cells(files.grid, files.faces))));

  const Grid small = Read_grid_file(Reference_stem("small") + ".rgra");
  try {
    Lay_out_run("typical", small, files.passage);
    ADD_FAILURE() << "accepted";
  } catch (const Input_error& e) {
    EXPECT_EQ(
        std::string(e.what()),
        "typical.rtp, record 5, column 4: 80 x 32 x 16 cells do not match the 13 x 8 x 6 points of the grid file");
  }
}

}  // namespace
}  // namespace torvane::inspect

namespace torvane::inspect {
namespace {

// The machine file: the speed of its rpm line, other names and comments skipped,
// and a malformed speed refused naming the record and the column.
TEST(MachineFile, ReadsTheSpeedAndRefusesAMalformedOne) {
  Scratch scratch;
  const std::string path = scratch.File("run.rmach");
  struct Read {
    const char* text;
    std::optional<double> rpm;
  };
  for (const Read& c :
       {Read{"# Machine data of the grid's blade row (torvane)\r\nrpm 17189\r\n", 17189}, Read{"rpm 0", 0},
        Read{"\n# nothing\nstage 2 of 3\nrpm\t815.5  \n", 815.5}, Read{"# no speed\r\n", std::nullopt}}) {
    testing::Write_text(path, c.text);
    EXPECT_EQ(Read_machine_file(path), c.rpm) << c.text;
  }
  struct Refused {
    const char* text;
    const char* message;  // after "PATH, "
  };
  const Refused cases[] = {
      {"rpm\r\n", "record 1, column 1: `rpm` gives no speed; the line is `rpm N`"},
      {"#\r\nrpm fast\r\n",
       "record 2, column 5: \"fast\" is not a speed in rpm (for example 17189, or 0 for a stationary row)"},
      {"rpm -100\r\n",
       "record 1, column 5: \"-100\" is below 0: give the speed without a sign; the sense of rotation follows from "
       "the grid's blade angles"},
      {"rpm 100 rpm\r\n", "record 1, column 9: unexpected \"rpm\" after the speed"},
      {"rpm 100\r\nrpm 200\r\n", "record 2, column 1: a second `rpm` line; record 1 gives the speed"},
  };
  for (const Refused& c : cases) {
    testing::Write_text(path, c.text);
    std::string message;
    try {
      Read_machine_file(path);
    } catch (const Input_error& e) {
      message = e.what();
    }
    EXPECT_EQ(message, path + ", " + c.message) << c.text;
  }
}

}  // namespace
}  // namespace torvane::inspect
