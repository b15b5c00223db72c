// Airfoil coordinate files as the UIUC database distributes them: Selig (a
// name line, then x y from the trailing edge over the upper side to the
// leading edge and back along the lower side) and Lednicer (a name line, the
// point counts of the two sides, then each side from the leading edge to the
// trailing edge). Lines whose first character other than a blank is '#' are
// comments, before the name line as well as among the points.
#pragma once

#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace torvane::deck {

struct Point {
  double x;
  double y;
  bool operator==(const Point&) const = default;
};

enum class Airfoil_format { selig, lednicer };

// A section file that cannot be read or is not a section: "FILE, line N: why"
// (or "FILE: why" when no one line is at fault).
class Input_error : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Most points a section file may hold.
inline constexpr int kMaxFilePoints = 100000;
// Largest size of a coordinate: a section is drawn in chords, metres or
// millimetres, and a point far beyond would make the chord its own.
inline constexpr double kLargestCoordinate = 1e6;

// A section as its file gives it.
struct Airfoil_file {
  std::string path;
  std::string name;  // the name line without surrounding blanks
  Airfoil_format format = Airfoil_format::selig;
  // The contour in Selig order: from one trailing-edge end over one side to
  // the leading edge and back along the other side. A Lednicer file's upper
  // side is turned round and its lower side follows (a leading-edge point the
  // two sides share is kept once).
  std::vector<Point> loop;
};

// Parses the text of a section file; path only names it in messages.
Airfoil_file Parse_airfoil_text(const std::string& path, std::string_view text);

// Reads and parses a section file.
Airfoil_file Read_airfoil_file(const std::string& path);

}  // namespace torvane::deck
