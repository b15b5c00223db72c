#include "deck/deck_text.hpp"

#include <gtest/gtest.h>

#include <sstream>

#include "deck/deck_records.hpp"
#include "deck/deck_support.hpp"

namespace torvane::deck {
namespace {

// The deck's lines that carry a note on a contour point, as "n: note".
std::vector<std::string> Marked_points(const std::string& deck, const std::string& count_note) {
  std::istringstream in(deck);
  std::vector<std::string> marked;
  bool in_list = false;
  int n = 0;
  for (std::string line; std::getline(in, line);) {
    if (line.find(count_note) != std::string::npos) {
      in_list = true;
      continue;
    }
    if (!in_list) continue;
    if (line.find("npts") != std::string::npos || line.find("nptcas") != std::string::npos) break;
    ++n;
    const size_t note = line.find("  ");
    if (note != std::string::npos)
      marked.push_back(std::to_string(n) + ": " + line.substr(line.find_first_not_of(' ', note)));
  }
  return marked;
}

TEST(DeckText, MarksTheEdgesAndCornersWhereTheyLieInTheList) {
  TORVANE_REQUIRE_NACA(path);
  const Airfoil_file file = Read_airfoil_file(path);
  const Section_contour contour = Build_contour(file);
  const Control_values values = Default_values();
  struct Case {
    Section_contour contour;
    std::vector<std::string> marks;
  };
  const Section_contour resampled = Resample_contour(contour, 50);
  const Case cases[] = {
      {contour,
       {"1: trailing edge: the list runs along the -y side first", "2: trailing-edge corner: an end point of the file",
        "26: leading edge: the reference point", "51: trailing-edge corner: an end point of the file",
        "52: back at the trailing edge: the contour is closed"}},
      {resampled,
       {"1: trailing edge: the list runs along the -y side first",
        std::to_string(resampled.corner_first) + ": trailing-edge corner: an end point of the file",
        "25: leading edge: the reference point",
        std::to_string(resampled.corner_last) + ": trailing-edge corner: an end point of the file",
        "50: back at the trailing edge: the contour is closed"}},
  };
  for (const Case& c : cases) {
    const Deck_section section{"naca65410.dat", file.name, c.contour, false};
    const std::string deck = Deck_text(values, section, section);
    EXPECT_EQ(Marked_points(deck, "npthub irefhub"), c.marks);
    // Each corner note is on a point the file gave.
    for (int corner : {c.contour.corner_first, c.contour.corner_last}) {
      const Point& p = c.contour.points[static_cast<size_t>(corner - 1)];
      EXPECT_TRUE(p == file.loop.front() || p == file.loop.back()) << corner;
    }
  }
  EXPECT_NE(resampled.corner_first, 2);  // 50 cosine-spaced points put a point between the midpoint and the corner
}

}  // namespace
}  // namespace torvane::deck
