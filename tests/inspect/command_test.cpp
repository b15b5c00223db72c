// The torvane-inspect command end to end: exit statuses, refusals on the
// error stream, the JSON report, the bad-cell list and the files written.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "inspect/command_line.hpp"
#include "inspect/run_files/grid_file.hpp"
#include "inspect_support.hpp"
#include "support/decks.hpp"
#include "support/process.hpp"
#include "support/scratch_folder.hpp"

namespace torvane::inspect {
namespace {

using testing::Read_text;
using testing::Scratch;

struct Outcome {
  int status = -1;
  std::string out, err;
};

Outcome Run_inspect(const Scratch& scratch, const std::string& args) {
  const std::string out = scratch.File("stdout.txt"), err = scratch.File("stderr.txt");
  const int raw = std::system((std::string(TORVANE_INSPECT_EXE) + " " + args + " >" + out + " 2>" + err).c_str());
  return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, Read_text(out), Read_text(err)};
}

// The sector of the boundary-check tests; a pitch of 0.15 closes it, 0.1 does not.
std::string Sector(const Scratch& scratch, double pitch, bool fold = false) {
  Grid g = testing::Sector_grid(5, 4, 3, 0.1, 0.05, 1.0, 0.1);
  if (fold) std::swap(g.x[g.Index(2, 2, 2)], g.x[g.Index(3, 2, 2)]);  // two points change places along i
  const std::string stem = scratch.File("sector");
  testing::Write_run(stem, g, 2, 4, pitch);
  return stem;
}

TEST(Command, ReportExitsZeroForASoundGridAndOneForAFoldedOrMismatchedOne) {
  Scratch scratch;
  Outcome ok = Run_inspect(scratch, "report " + Sector(scratch, 0.15));
  EXPECT_EQ(ok.status, 0) << ok.err;
  EXPECT_NE(ok.out.find("folded cells (scaled Jacobian <= 0): 0\n"), std::string::npos) << ok.out;
  EXPECT_NE(ok.out.find("periodic boundaries  24 points"), std::string::npos) << ok.out;
  // --plot wants the plot file, which the hand-made run does not have.
  Outcome no_plot = Run_inspect(scratch, "report --plot " + scratch.File("sector"));
  EXPECT_EQ(no_plot.status, kExitInput);
  EXPECT_NE(no_plot.err.find("sector_grid_volume.plt: cannot open"), std::string::npos) << no_plot.err;

  Outcome mismatch = Run_inspect(scratch, "report " + Sector(scratch, 0.1));
  EXPECT_EQ(mismatch.status, 1);
  EXPECT_NE(mismatch.out.find("periodic mismatch above 1e-09 of the pitch"), std::string::npos) << mismatch.out;

  // Swapping points i = 2 and 3 at (j, k) = (2, 2) turns the 8 cells around them inside out.
  Outcome folded = Run_inspect(scratch, "report " + Sector(scratch, 0.15, true));
  EXPECT_EQ(folded.status, 1);
  EXPECT_NE(folded.out.find("folded cells (scaled Jacobian <= 0): "), std::string::npos) << folded.out;
  EXPECT_NE(folded.out.find("    cell i = 2, j = 1, k = 1: scaled Jacobian -"), std::string::npos) << folded.out;
}

TEST(Command, RefusesMissingOrCutFilesWithStatusTwo) {
  Scratch scratch;
  const std::string stem = Sector(scratch, 0.15);
  Outcome missing = Run_inspect(scratch, "report " + scratch.File("nothing"));
  EXPECT_EQ(missing.status, kExitInput);
  EXPECT_EQ(missing.err.rfind("torvane-inspect: " + scratch.File("nothing.rgra") + ": cannot open: ", 0), 0u)
      << missing.err;
  // Cut the grid file 40 characters into its coordinate record.
  const std::string grid = Read_text(stem + ".rgra");
  const std::size_t record3 = grid.find('\n', grid.find('\n') + 1) + 1;
  testing::Write_text(stem + ".rgra", grid.substr(0, record3 + 40));
  Outcome cut = Run_inspect(scratch, "report " + stem);
  EXPECT_EQ(cut.status, kExitInput);
  EXPECT_NE(cut.err.find(stem + ".rgra, record 3, column 41: the record ends after"), std::string::npos) << cut.err;
  Outcome exported = Run_inspect(scratch, "export --to vts " + stem);
  EXPECT_EQ(exported.status, kExitInput);
  EXPECT_FALSE(std::filesystem::exists(stem + ".vts"));
}

TEST(Command, RefusesAWrongCommandLineWithStatusThree) {
  Scratch scratch;
  for (const char* args : {"", "inspect x", "report", "report --to vts x", "export x", "export --to stl x",
                           "picture --binary x", "report a b"}) {
    Outcome o = Run_inspect(scratch, args);
    EXPECT_EQ(o.status, kExitUsage) << args;
    EXPECT_NE(o.err.find("usage: torvane-inspect"), std::string::npos) << args;
  }
  Outcome unwritable = Run_inspect(
      scratch, "export --to plot3d --output " + scratch.File("no/such/dir/x") + " " + Sector(scratch, 0.15));
  EXPECT_EQ(unwritable.status, kExitUsage);
  EXPECT_NE(unwritable.err.find("cannot create " + scratch.File("no/such/dir/x.xyz")), std::string::npos)
      << unwritable.err;
}

// Without --rpm a RANS case takes the speed of the run's machine file; without
// one (or with one that gives none) it is refused as a wrong command line, and a
// malformed one as a malformed run file.
TEST(Command, ARansCaseWithoutRpmTakesTheSpeedOfTheMachineFile) {
  Scratch scratch;
  const std::string stem = Sector(scratch, 0.15);
  const std::string needs = "torvane-inspect: --case rans needs the rotor's speed: --rpm N (0 for a stationary row)";
  struct Case {
    const char* machine_file;  // nullptr: none
    int status;
    std::string err;  // the start of standard error
  };
  const Case cases[] = {
      {nullptr, kExitUsage, needs + "\nusage: torvane-inspect"},
      {"# nothing\r\n", kExitUsage, needs + "; " + stem + ".rmach gives none\nusage: torvane-inspect"},
      {"rpm x\r\n", kExitInput, "torvane-inspect: " + stem + ".rmach, record 1, column 5: \"x\" is not a speed"},
      {"rpm 0\r\n", kExitOk, ""},
  };
  for (const Case& c : cases) {
    std::filesystem::remove(stem + ".rmach");
    if (c.machine_file != nullptr) testing::Write_text(stem + ".rmach", c.machine_file);
    const Outcome o =
        Run_inspect(scratch, "export --to openfoam --case rans --output " + scratch.File("rans") + " " + stem);
    EXPECT_EQ(o.status, c.status) << o.err;
    EXPECT_EQ(o.err.substr(0, c.err.size()), c.err);
    if (c.status == kExitOk) {
      EXPECT_NE(o.out.find("RANS case for simpleFoam: a stationary row (the grid's speed, " + stem + ".rmach); "),
                std::string::npos)
          << o.out;
    }
  }
  // --rpm wins over the machine file; the run is also named by it.
  testing::Write_text(stem + ".rmach", "rpm x\r\n");
  const Outcome given = Run_inspect(
      scratch, "export --to openfoam --case rans --rpm 0 --output " + scratch.File("rans") + " " + stem + ".rmach");
  EXPECT_EQ(given.status, kExitInput) << "the machine file is read with the run, and this one is malformed";
  testing::Write_text(stem + ".rmach", "rpm 5000\r\n");
  const Outcome zero = Run_inspect(
      scratch, "export --to openfoam --case rans --rpm 0 --output " + scratch.File("rans") + " " + stem + ".rmach");
  EXPECT_EQ(zero.status, kExitOk) << zero.err;
  EXPECT_NE(zero.out.find("RANS case for simpleFoam: a stationary row; "), std::string::npos) << zero.out;
}

TEST(Command, JsonReportAndBadCellListOfAFoldedGrid) {
  Scratch scratch;
  const std::string stem = Sector(scratch, 0.15, true);
  const std::string list = scratch.File("bad.csv");
  Outcome o = Run_inspect(scratch, "report --json --bad-cells " + list + " " + stem);
  EXPECT_EQ(o.status, 1);
  EXPECT_EQ(o.out.front(), '{');
  EXPECT_NE(o.out.find("\"points\": {\"ie\": 5, \"je\": 4, \"ke\": 3, \"count\": 60}"), std::string::npos) << o.out;
  EXPECT_NE(o.out.find("\"exit_status\": 1\n}"), std::string::npos) << o.out;
  const std::string csv = Read_text(list);
  EXPECT_EQ(csv.rfind("i,j,k,scaled_jacobian,min_face_angle,max_face_angle,aspect_ratio,volume_ratio\n2,1,1,-", 0), 0u)
      << csv;
}

TEST(Command, ExportAndPictureWriteTheirFilesBesideTheOutputPrefix) {
  Scratch scratch;
  const std::string stem = Sector(scratch, 0.15);
  const std::string prefix = scratch.File("out");
  struct Case {
    std::string args;
    std::vector<std::string> files;
  } cases[] = {
      {"export --to vts", {".vts"}},
      {"export --to plot3d", {".xyz"}},
      {"export --to plot3d --binary", {"_bin.xyz"}},
      {"picture", {"_hub.svg", "_casing.svg", "_le.svg"}},
      {"picture --quality", {"_hub.svg", "_casing.svg", "_le.svg"}},
  };
  for (const Case& c : cases) {
    Outcome o = Run_inspect(scratch, c.args + " --output " + prefix + " " + stem);
    EXPECT_EQ(o.status, 0) << c.args << ": " << o.err;
    for (const std::string& ending : c.files) {
      EXPECT_TRUE(std::filesystem::exists(prefix + ending)) << c.args << " " << ending;
      EXPECT_NE(o.out.find("wrote " + prefix + ending + "\n"), std::string::npos) << o.out;
    }
  }
#ifdef TORVANE_INSPECT_PNG
  Outcome png = Run_inspect(scratch, "picture --png --output " + prefix + " " + stem);
  EXPECT_EQ(png.status, 0) << png.err;
  EXPECT_EQ(Read_text(prefix + "_hub.png").substr(0, 8), "\x89PNG\r\n\x1a\n");
#else
  Outcome png = Run_inspect(scratch, "picture --png --output " + prefix + " " + stem);
  EXPECT_EQ(png.status, kExitUsage);
  EXPECT_NE(png.err.find("this build has no PNG output"), std::string::npos) << png.err;
#endif
#ifndef TORVANE_INSPECT_CGNS
  Outcome cgns = Run_inspect(scratch, "export --to cgns --output " + prefix + " " + stem);
  EXPECT_EQ(cgns.status, kExitUsage);
  EXPECT_NE(cgns.err.find("this build has no CGNS output"), std::string::npos) << cgns.err;
#endif
}

// A blade wall row whose code turned from 70 to 20 would put the blade's faces
// into the outlet: every command that reads the run refuses it with status 2
// and writes nothing.
TEST(Command, ATopologyFileWithAMisplacedRoleIsRefusedByEveryCommand) {
  Scratch scratch;
  const std::string stem = Sector(scratch, 0.15);
  std::string topology = Read_text(stem + ".rtp");
  const std::size_t blade = topology.find(" 70     3 ");
  ASSERT_NE(blade, std::string::npos) << topology;
  topology.replace(blade, 3, " 20");
  testing::Write_text(stem + ".rtp", topology);
  const std::string prefix = scratch.File("out");
  for (const std::string& command : {std::string("report"), "export --to openfoam --output " + prefix,
                                     "export --to su2 --output " + prefix, "picture --output " + prefix}) {
    Outcome o = Run_inspect(scratch, command + " " + stem);
    EXPECT_EQ(o.status, kExitInput) << command;
    EXPECT_NE(o.err.find(stem + ".rtp, record 14, column 1: the outlet row (type code 20) on face 3 (j = 1)"),
              std::string::npos)
        << command << ": " << o.err;
  }
  EXPECT_FALSE(std::filesystem::exists(prefix));
  EXPECT_FALSE(std::filesystem::exists(prefix + ".su2"));
  EXPECT_FALSE(std::filesystem::exists(prefix + "_hub.svg"));
}

// Bytes a terminal would act on, from a damaged run file or a stem, reach the
// terminal as '?': the messages quote what they found, and the user's terminal
// must not clear its screen, return to the line start or change its title.
TEST(Command, ControlBytesInWhatAMessageQuotesAreShownAsMarks) {
  Scratch scratch;
  const std::string stem = Sector(scratch, 0.15);
  const std::string grid = Read_text(stem + ".rgra"), topology = Read_text(stem + ".rtp");
  const size_t record2 = grid.find('\n') + 1, record5 = topology.find("\n10 ") + 1;
  testing::Write_text(scratch.File("grid.rgra"),
                      grid.substr(0, record2) + "1 \x1b[2J4\r 3 2\r\n" + grid.substr(grid.find('\n', record2) + 1));
  testing::Write_text(scratch.File("grid.rtp"), topology);
  testing::Write_text(scratch.File("topology.rgra"), grid);
  testing::Write_text(scratch.File("topology.rtp"), topology.substr(0, record5) + "10 4 3\x1b]0;x\x07 2\r\n" +
                                                        topology.substr(topology.find('\n', record5) + 1));
  struct Case {
    std::string stem;
    std::string err;
  } cases[] = {
      {scratch.File("grid"), "torvane-inspect: " + scratch.File("grid.rgra") +
                                 ", record 2, column 3: i intervals: \"?[2J4?\" is not an integer\n"},
      {scratch.File("topology"), "torvane-inspect: " + scratch.File("topology.rtp") +
                                     ", record 5, column 6: cell count: \"3?]0;x?\" is not an integer\n"},
      {scratch.File("no\x1b[2Jrun"),
       "torvane-inspect: " + scratch.File("no?[2Jrun.rgra") + ": cannot open: No such file or directory\n"},
  };
  for (const Case& c : cases) {
    const auto result =
        torvane::testing::Run_program(TORVANE_INSPECT_EXE, {"report", c.stem}, "/dev/null", scratch.path());
    EXPECT_EQ(result.status, kExitInput) << c.err;
    EXPECT_EQ(result.err, c.err);
  }
}

// A deck whose record 2 begins with a blank leaves .rgra, .rtp and
// _grid_volume.plt: torvane says the names begin with a dot, torvane-inspect
// takes the run by any of those file names, and a --bad-cells list is not
// let replace one of the run's own files.
TEST(Command, ARunWhoseFileNamesBeginWithADotIsTakenByItsFileNames) {
  torvane::testing::Scratch_folder folder;
  std::vector<std::string> lines = torvane::testing::Small_deck_lines();
  lines[1] = " hidden stem";
  std::ofstream(folder.File("deck.in"), std::ios::binary) << torvane::testing::Join(lines);
  const auto run = torvane::testing::Run_program(TORVANE_BINARY, {}, folder.File("deck.in"), folder.path());
  ASSERT_EQ(run.status, 0) << run.err;
  const std::string hidden =
      "torvane: note: the file names begin with a dot (the stem \"\" has no name of its own; record 2 begins "
      "with a blank), so the files .rgra, .rtp and _grid_volume.plt are hidden; torvane-inspect takes the run "
      "by a file name, as in torvane-inspect report .rgra\r\n";
  EXPECT_TRUE(run.err.starts_with(hidden)) << run.err;
  // The note of bad cells, when the grid has some, names the run as torvane-inspect takes it.
  EXPECT_EQ(torvane::testing::Without_bad_cell_note(run.err.substr(std::min(hidden.size(), run.err.size()))), "")
      << run.err;
  if (run.err.size() > hidden.size()) {
    EXPECT_NE(run.err.find("; torvane-inspect report .rgra names the bad cells"), std::string::npos) << run.err;
  }
  const std::string grid = Read_text(folder.File(".rgra"));
  for (const char* name : {".rgra", ".rtp", "_grid_volume.plt"}) {
    const auto report =
        torvane::testing::Run_program(TORVANE_INSPECT_EXE, {"report", name}, "/dev/null", folder.path());
    EXPECT_EQ(report.status, 0) << name << report.err;
    EXPECT_NE(report.out.find("no folded cell"), std::string::npos) << name << report.out;
  }
  for (const std::vector<std::string>& args :
       {std::vector<std::string>{"report", "--bad-cells", ".rgra", ".rgra"},
        std::vector<std::string>{"report", "--bad-cells", "./.rtp", "_grid_volume.plt"}}) {
    const auto report = torvane::testing::Run_program(TORVANE_INSPECT_EXE, args, "/dev/null", folder.path());
    EXPECT_EQ(report.status, 3) << args[2];
    EXPECT_NE(report.err.find("that is the run's own file"), std::string::npos) << report.err;
  }
  EXPECT_EQ(Read_text(folder.File(".rgra")), grid);
  EXPECT_TRUE(Read_text(folder.File(".rtp")).starts_with("# Topology file"));
}

}  // namespace
}  // namespace torvane::inspect
