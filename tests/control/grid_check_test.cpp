// torvane's check of every grid before its files: a family of small decks that
// fold for different reasons or let the passage cover the blade, each stopped
// with its status, one line naming the part and the cause, and no file left;
// --allow-folded writes the very files a run without the check writes.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "control/grid_verdict.hpp"
#include "control/run.hpp"
#include "support/decks.hpp"
#include "support/run_contract.hpp"

namespace torvane {
namespace {

using testing::Exists;
using testing::Join;
using testing::Read_file;
using testing::Run_under_contract;
using testing::Scratch_folder;
using testing::Small_deck_lines;

// A line of the small deck (0-based) and its new text.
struct Edit {
  size_t line;
  std::string text;
};

std::string Small_deck_with(const std::vector<Edit>& edits) {
  std::vector<std::string> lines = Small_deck_lines("small");
  for (const Edit& e : edits) lines[e.line] = e.text;
  return Join(lines);
}

// Hub points 6 to 12 of the -y side moved to three times their distance on the +y side: the side crosses the other.
std::string Crossing_contour() {
  std::vector<std::string> lines = Small_deck_lines("small");
  for (size_t line = 33 + 6; line <= 33 + 12; ++line) {
    double x = 0, y = 0;
    std::istringstream(lines[line]) >> x >> y;
    char text[64];
    std::snprintf(text, sizeof text, "%.8f %.8f", x, -3 * y);
    lines[line] = text;
  }
  return Join(lines);
}

// The family. The small deck: span 0.25, pitch at the hub 2 pi 0.25 / 20 = 0.07854, two wall intervals
// (nwall, nwallhc) growing by 1.2 at hub, casing and blade walls, 14 x 8 x 6 points.
struct Folding_deck {
  const char* reason;
  std::string deck;
  int status;
  std::vector<std::string> said;  // parts of the one diagnostic line
};

std::vector<Folding_deck> Family() {
  return {
      {"hub and casing wall layers: 0.1 + 0.12 = 0.22 twice in a span of 0.25",
       Small_deck_with({{25, "0.1 dzwall"}}),
       1,
       {"the likely cause lies in records 7 (nspan), 17 (rhub), 18 (rcas), 22 (nwallhc), 23 (ratio) and 26 (dzwall): "
        "the two wall layers of 2 intervals from 0.1 growing by 1.2 take 2 x 0.22 of the span 0.25 (176 %), leaving "
        "nothing for the blend between them"}},
      {"blade-wall layers: 0.02 + 0.024 = 0.044 twice in a pitch of 0.07854",
       Small_deck_with({{24, "0.02 dywle"}}),
       1,
       {"the likely cause lies in records 6 (npitch), 21 (nwall), 23 (ratio), 25 (dywle), 28 (dywte) and 30 "
        "(dyout): at the hub the two wall layers of 2 intervals from 0.02 growing by 1.2 take 2 x 0.044 of the pitch "
        "0.07854 (112 %), leaving nothing for the blend between them"}},
      {"upstream stretch: eight intervals at -70 degrees against a hub staggered by 60",
       Small_deck_with({{3, "8 nin"},
                        {4, "1 nout"},
                        {8, "-70 betain"},
                        {9, "20 betaout"},
                        {10, "60 staghub"},
                        {11, "0 stagcas"},
                        {18, "0.2 lin"},
                        {23, "0.006 dsle"},
                        {26, "0.002 dste"}}),
       1,
       {"lies upstream of the leading edge",
        "records 4 (nin), 9 (betain), 19 (lin) and 24 (dsle) its streamwise part"}},
      {"downstream stretch: eight intervals at -70 degrees behind a hub staggered by 60",
       Small_deck_with({{3, "1 nin"},
                        {4, "8 nout"},
                        {8, "-50 betain"},
                        {9, "-70 betaout"},
                        {10, "60 staghub"},
                        {11, "70 stagcas"},
                        {18, "0.005 lin"},
                        {19, "0.4 lx"},
                        {23, "0.002 dsle"},
                        {26, "0.006 dste"}}),
       1,
       {"lies downstream of the trailing edge",
        "records 5 (nout), 10 (betaout), 20 (lx) and 27 (dste) its streamwise part"}},
      {"the blade passage: hub and casing staggered 0 and 70 degrees apart, long edge intervals",
       Small_deck_with({{3, "8 nin"},
                        {4, "2 nout"},
                        {8, "-50 betain"},
                        {9, "20 betaout"},
                        {10, "0 staghub"},
                        {11, "70 stagcas"},
                        {19, "0.4 lx"},
                        {23, "0.006 dsle"},
                        {26, "0.006 dste"}}),
       1,
       {"lies in the blade passage", "records 3 (nblade), 24 (dsle) and 27 (dste) and the section's contour"}},
      {"one spanwise interval, whose wall-layer count is not checked: wide blade-wall layers fold the hub plane",
       Small_deck_with({{6, "1 nspan"}, {21, "2147483647 nwallhc"}, {24, "0.2 dywle"}}),
       1,
       {"lies upstream of the leading edge; records 4 (nin)", "the two wall layers of 2 intervals from 0.2"}},
      {"a single blade: a passage of a whole turn",
       Small_deck_with({{7, "1 nbrow"}}),
       1,
       {"lies in the blade passage"}},
      {"a crossing contour",
       Crossing_contour(),
       2,
       {"hub section, blade station i = ", "the passage covers the blade",
        "the nearest contour points are hub point "}},
  };
}

TEST(GridCheck, DecksThatFoldForDifferentReasonsStopWithOneLineAndNoFile) {
  for (const Folding_deck& c : Family()) {
    Scratch_folder folder;
    const auto run = Run_under_contract(c.deck, folder.path());
    EXPECT_EQ(run.status, c.status) << c.reason << "\n" << run.err;
    EXPECT_EQ(run.broken, "") << c.reason;  // one diagnostic line, no file left
    const std::string opening = c.status == 1 ? "torvane: the grid has " : "torvane: hub section, blade station";
    EXPECT_TRUE(run.err.starts_with(opening)) << c.reason << "\n" << run.err;
    for (const std::string& part : c.said)
      EXPECT_NE(run.err.find(part), std::string::npos) << c.reason << "\n" << run.err;
    EXPECT_TRUE(run.err.ends_with("; no file written (torvane --allow-folded writes them for a viewer)\r\n"));
    EXPECT_EQ(run.out.find("Finished."), std::string::npos) << c.reason;
    // Nothing was stored, so the console says nothing of storing.
    EXPECT_EQ(run.out.find("Storing"), std::string::npos) << c.reason;
  }
}

TEST(GridCheck, TheCrossingContourNamesAMovedPoint) {
  Scratch_folder folder;
  const auto run = Run_under_contract(Crossing_contour(), folder.path());
  // Hub point n is record 34 + n; points 6 to 12 were moved.
  bool named = false;
  for (int record = 40; record <= 46; ++record) {
    named = named || run.err.find("(record " + std::to_string(record) + ")") != std::string::npos;
  }
  EXPECT_TRUE(named) << run.err;
}

// The three files of a run in `folder` on the deck with these options, read whole.
struct Written {
  int status;
  std::string err;
  std::vector<std::string> files;
};

Written Write(const std::string& deck, const std::string& folder, bool allow_folded, bool check_grid) {
  std::istringstream in(deck);
  Console out, err;
  Run_options options;
  options.output_stem = folder + "/run";
  options.allow_folded = allow_folded;
  options.check_grid = check_grid;
  Written w{Run(in, out, err, options), err.captured(), {}};
  for (const char* end : {".rgra", ".rtp", "_grid_volume.plt"}) {
    const std::string path = options.output_stem + end;
    w.files.push_back(Exists(path) ? Read_file(path) : "(missing)");
  }
  return w;
}

TEST(GridCheck, AllowFoldedWritesTheFilesOfARunWithoutTheCheckAndWarns) {
  const std::string sound = Join(Small_deck_lines("small"));
  for (const std::string& deck : {Family()[0].deck, Family()[6].deck, sound}) {
    Scratch_folder allowed_folder, unchecked_folder;
    const Written allowed = Write(deck, allowed_folder.path(), true, true);
    const Written unchecked = Write(deck, unchecked_folder.path(), false, false);
    EXPECT_EQ(allowed.status, 0);
    EXPECT_EQ(unchecked.status, 0);
    EXPECT_EQ(allowed.files, unchecked.files);
    EXPECT_EQ(allowed.files[0] == "(missing)", false);
    if (deck == sound) {
      EXPECT_EQ(testing::Without_bad_cell_note(allowed.err), "");
    } else {
      EXPECT_TRUE(allowed.err.starts_with("torvane: warning: ")) << allowed.err;
      EXPECT_TRUE(allowed.err.ends_with("; the files are written as --allow-folded asks\r\n")) << allowed.err;
      EXPECT_EQ(allowed.err.find('\n'), allowed.err.size() - 1);
    }
  }
}

TEST(GridCheck, AFailedCheckLeavesAnEarlierSetOfFilesAsItWas) {
  Scratch_folder folder;
  const Written first = Write(Join(Small_deck_lines("small")), folder.path(), false, true);
  ASSERT_EQ(first.status, 0);
  const Written second = Write(Family()[0].deck, folder.path(), false, true);
  EXPECT_EQ(second.status, 1);
  EXPECT_EQ(second.files, first.files);
}

TEST(GridCheck, ACellsPartFollowsTheEdgeIndicesAndTheWallLayers) {
  // The small deck's sizes: 14 x 8 x 6 points, ile 4, ite 10; two wall intervals at every wall.
  const Grid_sizes sizes{4, 10, 14, 8, 6};
  using Stream = Grid_part::Stream;
  using Layer = Grid_part::Layer;
  struct Case {
    int i, j, k;
    Stream stream;
    Layer layer;
  } cases[] = {
      {3, 4, 3, Stream::upstream, Layer::none},       {4, 4, 3, Stream::passage, Layer::none},
      {9, 4, 3, Stream::passage, Layer::none},        {10, 4, 3, Stream::downstream, Layer::none},
      {13, 4, 3, Stream::downstream, Layer::none},    {5, 4, 2, Stream::passage, Layer::hub},
      {5, 4, 4, Stream::passage, Layer::casing},      {5, 2, 3, Stream::passage, Layer::blade_walls},
      {5, 6, 3, Stream::passage, Layer::blade_walls}, {5, 5, 3, Stream::passage, Layer::none},
      {1, 1, 1, Stream::upstream, Layer::hub},  // the hub's layer is told before the blade walls'
  };
  for (const Case& c : cases) {
    const Grid_part part = Part_of_cell(c.i, c.j, c.k, sizes, 2, 2);
    EXPECT_EQ(part.stream, c.stream) << c.i << ", " << c.j << ", " << c.k;
    EXPECT_EQ(part.layer, c.layer) << c.i << ", " << c.j << ", " << c.k;
  }
  // One spanwise interval has no hub or casing layer, whatever the (unchecked) count says.
  const Grid_sizes flat{4, 10, 14, 8, 2};
  EXPECT_EQ(Part_of_cell(5, 4, 1, flat, 2, 2147483647).layer, Layer::none);
  EXPECT_EQ(Part_of_cell(5, 1, 1, flat, 2, 2147483647).layer, Layer::blade_walls);
}

TEST(GridCheck, TheCausesBesideTheFixedErrorLinesNameEverySizeBeyondItsLimit) {
  Control_values v;
  v.nin = 200, v.nblade = 100, v.nout = 100, v.npitch = 70, v.nspan = 10;
  EXPECT_EQ(Grid_size_excess(v), "ie = nin + nblade/2 + nout + 1 = 351 exceeds 257; je = npitch + 1 = 71 exceeds 65");
  v.nin = 10, v.npitch = 10, v.nspan = 60;
  EXPECT_EQ(Grid_size_excess(v), "ke = nspan + 1 = 61 exceeds 49");
}

}  // namespace
}  // namespace torvane
