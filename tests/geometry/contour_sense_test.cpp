#include "geometry/contour_sense.hpp"

#include <vector>

#include <gtest/gtest.h>

#include "control/build_stop.hpp"

namespace torvane {
namespace {

// A blade-to-blade plane whose blade walls are set station by station: the
// wall j = 1 at y = 0.30 and the wall j = je at y = pitch + 0.25 (right
// sense: the blade lies between 0.25 and 0.30), with the listed stations
// swapped to 0.25 and pitch + 0.30.
struct Walls {
  static constexpr int kLd = 20, kJe = 5, kIle = 3, kIte = 13;  // 9 inner stations
  static constexpr double kPitch = 1.0;
  std::vector<double> values = std::vector<double>(kLd * kJe);
  Plane y{values, kLd, kJe};

  explicit Walls(const std::vector<int>& swapped) {
    for (int i = 1; i <= kLd; ++i) {
      y(i, 1) = 0.30;
      y(i, kJe) = kPitch + 0.25;
    }
    for (int i : swapped) {
      y(i, 1) = 0.25;
      y(i, kJe) = kPitch + 0.30;
    }
  }
};

TEST(ContourSense, RefusesASurfaceSwappedAtMoreThanHalfTheBladeStations) {
  struct Case {
    std::vector<int> swapped;
    bool covers;
  } cases[] = {
      {{}, false},
      {{4}, false},                                    // a local crossing near the leading edge
      {{4, 5, 11, 12}, false},                         // crossings near both edges
      {{4, 5, 6, 7}, false},                           // 4 of 9
      {{4, 5, 6, 7, 8}, true},                         // 5 of 9
      {{4, 5, 6, 7, 8, 9, 10, 11, 12}, true},          // every station
      {{1, 2, 3, 13, 14, 15, 16, 17, 18, 19}, false},  // outside the blade: periodic lines do not count
  };
  for (const Case& c : cases) {
    Walls walls(c.swapped);
    EXPECT_EQ(Surface_covers_blade(walls.y, Walls::kIle, Walls::kIte, Walls::kJe, Walls::kPitch), c.covers)
        << c.swapped.size() << " swapped";
  }
}

TEST(ContourSense, EqualWallsAreNotSwapped) {
  Walls walls({});
  for (int i = 1; i <= Walls::kLd; ++i) {
    walls.y(i, 1) = 0.5;
    walls.y(i, Walls::kJe) = 0.5 + Walls::kPitch;
  }
  EXPECT_FALSE(Surface_covers_blade(walls.y, Walls::kIle, Walls::kIte, Walls::kJe, Walls::kPitch));
}

TEST(ContourSense, TheRefusalNamesTheSectionAndTheListOrder) {
  Walls walls({4, 5, 6, 7, 8, 9, 10, 11, 12});
  try {
    Check_contour_sense(Surface::casing, walls.y, Walls::kIle, Walls::kIte, Walls::kJe, Walls::kPitch);
    FAIL() << "not refused";
  } catch (const Build_failure& failure) {
    const auto* covered = std::get_if<Blade_covered>(&failure.kind);
    ASSERT_NE(covered, nullptr);
    EXPECT_EQ(covered->surface, Surface::casing);
    const Run_stop stop = Stop_of(failure);
    EXPECT_EQ(stop.status, 2);
    EXPECT_EQ(stop.diagnostic,
              "casing section: the contour runs along the +y side first, so the grid would cover the blade; "
              "the point list must start at the trailing edge and run along the -y side first");
  }
}

}  // namespace
}  // namespace torvane
