// The volume's inner planes and the grid check on two threads: the planes are
// all built, the measures give the findings of a check on one thread, a plane
// that cannot be used stops the build as a build in order would, and a build
// that stops part way leaves no thread waiting.
#include "control/build_scheduler.hpp"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <string>
#include <thread>
#include <vector>

#include "base/run_stop.hpp"

namespace torvane {
namespace {

// A 9 x 5 x 12 block of cells, two points pushed back to fold cells, its
// walls wider than the pitch; each plane NaN until Complete writes it.
struct Block_being_built {
  static constexpr int ie = 9, je = 5, ke = 12;
  std::vector<double> x, y, z, final_x, final_y, final_z;

  Block_being_built() {
    const std::size_t n = static_cast<std::size_t>(ie) * je * ke;
    for (auto* v : {&final_x, &final_y, &final_z}) v->resize(n);
    for (int k = 1; k <= ke; ++k) {
      for (int j = 1; j <= je; ++j) {
        for (int i = 1; i <= ie; ++i) {
          // Walls 0.04 rad apart per interval about the axis, at radius 10 + k.
          const double r = 10.0 + k, theta = 0.04 * (j - 1);
          Set(i, j, k, 0.5 * (i - 1), r * std::sin(theta), r * std::cos(theta));
        }
      }
    }
    Set(4, 2, 3, 0.9, final_y[At(4, 2, 3)], final_z[At(4, 2, 3)]);     // behind point (3, 2, 3)
    Set(7, 4, 11, 2.4, final_y[At(7, 4, 11)], final_z[At(7, 4, 11)]);  // behind point (6, 4, 11)
    x.assign(n, std::nan(""));
    y = z = x;
  }
  static std::size_t At(int i, int j, int k) { return static_cast<std::size_t>(((k - 1) * je + j - 1) * ie + i - 1); }
  void Set(int i, int j, int k, double px, double py, double pz) {
    final_x[At(i, j, k)] = px;
    final_y[At(i, j, k)] = py;
    final_z[At(i, j, k)] = pz;
  }
  void Complete(int k) {
    for (std::size_t n = At(1, 1, k); n < At(1, 1, k + 1); ++n) {
      x[n] = final_x[n];
      y[n] = final_y[n];
      z[n] = final_z[n];
    }
  }
  Grid_points Points() const {
    return {x.data(), y.data(), z.data(), ie, je, ke, static_cast<std::size_t>(ie), static_cast<std::size_t>(ie * je)};
  }
};

// The pitch angle: the walls span 0.16 rad, so a pitch of 0.15 rad has them cover the blade.
constexpr double kPitch = 0.15;

TEST(SharedCheck, TheHelperTakesUpThePlanesAsTheyComeAndFindsWhatOneThreadFinds) {
  Block_being_built alone;
  for (int k = 1; k <= alone.ke; ++k) alone.Complete(k);
  Check_work work(alone.ie, alone.je);
  Build_scheduler one(alone.Points(), 3, 6, kPitch, work);
  one.Planes_done(alone.ke);
  one.Work(0);
  const Grid_findings expected = one.Findings();
  // The four cells before each point pushed back: (3, 1..2, 2..3) and (6, 3..4, 10..11).
  ASSERT_EQ(expected.folded.folded, 8);
  ASSERT_EQ(expected.sense.covering, 4 * alone.ke);

  for (int round = 0; round < 20; ++round) {
    Block_being_built block;
    Check_work beside_work(block.ie, block.je);
    Check_beside_build beside;
    beside.Begin();
    block.Complete(1);
    block.Complete(block.ke);  // hub and casing first, as the run builds them
    // Every other round each plane takes a while, so the measures wait for them.
    beside.Start(block.Points(), 3, 6, kPitch, beside_work, [&](int k) {
      if (round % 2 == 1) std::this_thread::sleep_for(std::chrono::microseconds(50));
      block.Complete(k);
    });
    beside.Build_planes();
    for (int k = 1; k <= block.ke; ++k) {
      ASSERT_EQ(block.x[block.At(3, 2, k)], block.final_x[block.At(3, 2, k)]) << "plane " << k << " built";
    }
    const Grid_findings found = beside.Finish();
    EXPECT_EQ(found.folded.cells, expected.folded.cells);
    EXPECT_EQ(found.folded.folded, expected.folded.folded);
    EXPECT_EQ(found.folded.first_i, 3);
    EXPECT_EQ(found.folded.first_j, 1);
    EXPECT_EQ(found.folded.first_k, 2);
    EXPECT_EQ(found.sense.stations, expected.sense.stations);
    EXPECT_EQ(found.sense.covering, expected.sense.covering);
    EXPECT_EQ(found.sense.first_i, 3);
    EXPECT_EQ(found.sense.first_k, 1);
  }
}

TEST(SharedCheck, APlaneThatCannotBeUsedStopsTheBuildWithTheLowestOne) {
  for (int round = 0; round < 20; ++round) {
    Block_being_built block;
    Check_work work(block.ie, block.je);
    Check_beside_build beside;
    beside.Begin();
    block.Complete(1);
    block.Complete(block.ke);
    beside.Start(block.Points(), 3, 6, kPitch, work, [&](int k) {
      block.Complete(k);
      if (k == 4 || k == 9) throw Run_stop{1, "plane " + std::to_string(k)};
    });
    try {
      beside.Build_planes();
      ADD_FAILURE() << "no plane failed";
    } catch (const Run_stop& stop) {
      EXPECT_EQ(stop.status, 1);
      EXPECT_EQ(stop.diagnostic, "plane 4");
    }
  }
}

TEST(SharedCheck, ABuildThatStopsPartWayLeavesNoThreadWaiting) {
  // Each returns only when the helper has returned; a helper left waiting hangs the test.
  for (bool started : {false, true}) {
    Block_being_built block;
    Check_work work(block.ie, block.je);
    Check_beside_build beside;
    beside.Begin();
    if (!started) continue;  // stopped before the volume build: no check was made
    block.Complete(1);
    block.Complete(block.ke);
    beside.Start(block.Points(), 3, 6, kPitch, work, [&](int k) { block.Complete(k); });
    // The run stops here (a file that cannot be written, say): no Finish.
  }
}

}  // namespace
}  // namespace torvane
