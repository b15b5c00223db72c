#include "control/build_stop.hpp"

#include <cmath>
#include <limits>
#include <string>

#include <gtest/gtest.h>

namespace torvane {
namespace {

// Each failure of the build becomes the status and the line torvane has
// always given for it.
TEST(BuildStop, EachFailureBecomesItsStatusAndLine) {
  constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
  struct Case {
    Build_failure failure;
    int status;
    std::string diagnostic;
  } cases[] = {
      {{Edges_out_of_order{Surface::casing, 0.75, 0.25}},
       kExitRefused,
       "casing section: the contour must start and end at the trailing edge and pass the leading edge once; its "
       "edge search found the leading edge at curve parameter 0.7500 and the trailing edge at 0.2500"},
      {{Blade_covered{Surface::hub}},
       kExitRefused,
       "hub section: the contour runs along the +y side first, so the grid would cover the blade; the point list "
       "must start at the trailing edge and run along the -y side first"},
      {{Coordinate_not_finite{3, 2, 7, 0.5, kNaN, -INFINITY}},
       kExitProgramError,
       "the grid has a coordinate that is not a finite number at point (i, j, k) = (3, 2, 7): x = 0.5, y = nan, "
       "z = -inf; no file is written"},
      {{Station_outside_curve{1.5, 0.0, 1.25}},
       kExitProgramError,
       "a blade station fell outside the contour between its edges (x = 1.5, the curve interval from x = 0 to "
       "1.25)"},
  };
  for (const Case& c : cases) {
    const Run_stop stop = Stop_of(c.failure);
    EXPECT_EQ(stop.status, c.status) << c.diagnostic;
    EXPECT_EQ(stop.diagnostic, c.diagnostic);
  }
}

}  // namespace
}  // namespace torvane
