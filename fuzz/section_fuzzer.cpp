// The section-file fuzzer: any bytes as a Selig or Lednicer file, through the
// contour, its resampling and the section checks of torvane-deck. A file is
// either refused (Input_error) or gives a closed contour in torvane's sense
// whose resampled points are finite numbers.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "deck/airfoil_file.hpp"
#include "deck/deck_checks.hpp"
#include "deck/deck_records.hpp"
#include "deck/section_contour.hpp"

using namespace torvane::deck;

namespace {

void Require(bool holds) {
  if (!holds) std::abort();
}

void Check_contour(const Section_contour& c) {
  const int npts = static_cast<int>(c.points.size());
  Require(npts >= 4);
  Require(c.points.front() == c.points.back());
  Require(1 < c.iref && c.iref < npts);
  Require((c.corner_first == 0) == (c.corner_last == 0));
  if (c.corner_first > 0)
    Require(1 < c.corner_first && c.corner_first < c.iref && c.iref < c.corner_last && c.corner_last < npts);
  for (const Point& p : c.points) Require(std::isfinite(p.x) && std::isfinite(p.y));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > 65536) return 0;
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  try {
    const Airfoil_file file = Parse_airfoil_text("fuzz.dat", text);
    const Section_contour contour = Build_contour(file);
    Check_contour(contour);
    const int npoints =
        kMinResampledPoints + static_cast<int>(size % (torvane::kMaxContourPoints - kMinResampledPoints + 1));
    const Section_contour resampled = Resample_contour(contour, npoints);
    Require(static_cast<int>(resampled.points.size()) == npoints);
    Check_contour(resampled);
    Section_problems(Default_values(), torvane::Surface::hub, Deck_section{"fuzz.dat", file.name, resampled, true});
  } catch (const Input_error&) {
  }
  return 0;
}
