#include "output/grid_files.hpp"

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cmath>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <limits>
#include <vector>

#include <gtest/gtest.h>

#include "base/run_stop.hpp"
#include "support/decks.hpp"

namespace torvane {
namespace {

using testing::Exists;
using testing::Read_file;
using testing::Scratch_folder;

// A grid block of the given sizes filled with value(i, j, k, coordinate).
struct Small_grid {
  std::vector<double> x, y, z;
  Grid grid;
  Small_grid(int ie, int je, int ke) : x(size_t(ie * je * ke)), y(x.size()), z(x.size()) {
    grid = {Block(x, ie, je, ke), Block(y, ie, je, ke), Block(z, ie, je, ke)};
  }
};

TEST(OutputStem, IsTheTextBeforeTheFirstBlank) {
  struct Case {
    std::string fname, stem;
  } cases[] = {
      {"blade12" + std::string(43, ' '), "blade12"}, {"blade12 run2" + std::string(38, ' '), "blade12"},
      {" blade12" + std::string(42, ' '), ""},       {"runs/blade1" + std::string(39, ' '), "runs/blade1"},
      {std::string(50, 'n'), std::string(50, 'n')},
  };
  for (const Case& c : cases) EXPECT_EQ(Output_stem(c.fname), c.stem) << c.fname;
}

TEST(TopologyFile, DescribesTheBoundariesOfTheTypicalGrid) {
  Scratch_folder folder;
  Write_topology_file(folder.path() + "/typical",
                      Make_passage({81, 33, 17, 21, 51}, 6.283185307179586 / 30, Station_kind::cylinder));
  EXPECT_EQ(Read_file(folder.path() + "/typical.rtp"),
            "# Topology file for a blade (H-grid, 1 region)\r\n"
            "#\r\n"
            "1 1\r\n"
            "1\r\n"
            "10  80  32  16\r\n"
            "120     3   -1  -16    1   20    1    4   -1  -16    1   20\r\n"
            " -0.20943951023931953     \r\n"
            "120     4   -1  -16    1   20    1    3   -1  -16    1   20\r\n"
            "  0.20943951023931953     \r\n"
            "120     3   -1  -16   51   80    1    4   -1  -16   51   80\r\n"
            " -0.20943951023931953     \r\n"
            "120     4   -1  -16   51   80    1    3   -1  -16   51   80\r\n"
            "  0.20943951023931953     \r\n"
            " 70     3    1   16   21   50    0    0    0    0    0    0\r\n"
            " 70     4    1   16   21   50    0    0    0    0    0    0\r\n"
            " 70     5    1   80    1   32    0    0    0    0    0    0\r\n"
            " 70     6    1   80    1   32    0    0    0    0    0    0\r\n"
            " 10     1    1   32    1   16    0    0    0    0    0    0\r\n"
            " 20     2    1   32    1   16    0    0    0    0    0    0\r\n");
}

TEST(TopologyFile, WritesEmptyCellRangesAndAnyPitchAngle) {
  Scratch_folder folder;
  std::string stem = folder.path() + "/edges";
  // nin = 0 and nout = 0: ile = 1 and ite = ie = 9.
  Write_topology_file(stem, Make_passage({9, 5, 3, 1, 9}, 6.283185307179586, Station_kind::cylinder));
  std::string text = Read_file(stem + ".rtp");
  EXPECT_NE(text.find("120     3   -1   -2    1    0    1    4   -1   -2    1    0\r\n"), std::string::npos);
  EXPECT_NE(text.find("120     3   -1   -2    9    8    1    4   -1   -2    9    8\r\n"), std::string::npos);
  EXPECT_NE(text.find("\r\n  -6.2831853071795862     \r\n"), std::string::npos);
  EXPECT_NE(text.find("\r\n   6.2831853071795862     \r\n"), std::string::npos);

  Write_topology_file(stem,
                      Make_passage({9, 5, 3, 1, 9}, std::numeric_limits<double>::infinity(), Station_kind::cylinder));
  text = Read_file(stem + ".rtp");
  EXPECT_NE(text.find("\r\n                 -Infinity\r\n"), std::string::npos);
  EXPECT_NE(text.find("\r\n                  Infinity\r\n"), std::string::npos);
}

TEST(GridFile, WritesEveryXThenEveryYThenEveryZInOneRecord) {
  Scratch_folder folder;
  Small_grid g(2, 2, 2);
  for (int k = 1; k <= 2; ++k) {
    for (int j = 1; j <= 2; ++j) {
      for (int i = 1; i <= 2; ++i) {
        g.grid.xg(i, j, k) = i + 10 * j + 100 * k;
        g.grid.yg(i, j, k) = -(i + 10 * j + 100 * k);
        g.grid.zg(i, j, k) = 0.5;
      }
    }
  }
  Console console;
  Write_grid_file(folder.path() + "/cube", Block_sizes{2, 2, 2, 1, 2, 0, 1, 1}, g.grid, console);
  EXPECT_EQ(console.captured(), " Storing grid ...\r\n");
  std::string expected = "0.0\r\n1   1   1   1\r\n";
  for (int value : {111, 112, 121, 122, 211, 212, 221, 222}) {
    expected += "   " + std::to_string(value) + ".00000000000000     ";
  }
  for (int value : {111, 112, 121, 122, 211, 212, 221, 222}) {
    expected += "  -" + std::to_string(value) + ".00000000000000     ";
  }
  for (int n = 0; n < 8; ++n) expected += "  0.50000000000000000     ";
  expected += "\r\n";
  EXPECT_EQ(Read_file(folder.path() + "/cube.rgra"), expected);
}

TEST(PlotFile, WritesTheTitleZoneAndOnePointPerRecord) {
  Scratch_folder folder;
  Small_grid g(3, 2, 2);
  for (size_t n = 0; n < g.x.size(); ++n) {
    g.x[n] = -0.0125;
    g.y[n] = 0.021;
    g.z[n] = 0.49995;
  }
  g.grid.xg(3, 2, 2) = 0.0;
  g.grid.yg(3, 2, 2) = -0.0;
  g.grid.zg(3, 2, 2) = 0.0;
  Console console;
  Write_plot_file(folder.path() + "/plot", std::string(50, ' '), Block_sizes{3, 2, 2, 1, 3, 0, 1, 1}, g.grid, console);
  EXPECT_EQ(console.captured(), " Storing plot files ...\r\n\r\n Finished.\r\n\r\n");
  std::string expected = "TITLE = \"" + std::string(50, ' ') + "\"\r\nVARIABLES = x, y, z\r\n" +
                         "ZONE T=\"volume\", I=  3, J=  2, K=  2, F=POINT\r\n";
  for (int n = 0; n < 11; ++n) expected += " -0.1250000E-01  0.2100000E-01  0.4999500E+00\r\n";
  expected += "  0.0000000E+00 -0.0000000E+00  0.0000000E+00\r\n";
  EXPECT_EQ(Read_file(folder.path() + "/plot_grid_volume.plt"), expected);
}

// torvane words a failed output file with the action, the quoted path and
// the system's reason, with status 2.
TEST(GridFiles, AFailedWriteStopsTheRunNamingTheFileAndTheReason) {
  Scratch_folder folder;
  const std::string stem = folder.File("big");
  Small_grid g(257, 65, 49);
  const Block_sizes s{257, 65, 49, 30, 200, 29, 64, 48};
  // In a child process limited to 64 KiB per file, the grid file cannot be written.
  pid_t pid = ::fork();
  if (pid == 0) {
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit limit{65536, 65536};
    ::setrlimit(RLIMIT_FSIZE, &limit);
    Console console;
    try {
      Write_grid_file(stem, s, g.grid, console);
    } catch (const Run_stop& stop) {
      const bool named = stop.status == 2 && stop.diagnostic == "cannot write \"" + stem + ".rgra\": File too large";
      ::_exit(named ? 42 : 1);
    }
    ::_exit(0);
  }
  int status = 0;
  ::waitpid(pid, &status, 0);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 42) << "the failed write was not reported in torvane's words";
  EXPECT_FALSE(Exists(stem + ".rgra"));
}

}  // namespace
}  // namespace torvane
