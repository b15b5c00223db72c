// torvane's grid check beside the build: the folded cells and the blade-wall
// sense measured a few layers of cells at a time, each as soon as the volume
// build has completed its planes, on a second thread while the first builds
// the rest and writes the files.
#pragma once

#include <atomic>
#include <optional>
#include <thread>

#include "base/grid_check.hpp"

namespace torvane {

// What the measures found: the folded cells and the blade-wall sense.
struct Grid_findings {
  Folded_cells folded;
  Blade_sense sense;
};

// The memory of the check's two workers for grids of up to ie x je points
// along i and j: part of the run's storage, so that a storage used for one
// build after another is not made afresh each time.
struct Check_work {
  Check_work(int ie, int je);
  Fold_work fold[2];
  Sense_work sense[2];
};

// The measures split into tasks of a few layers of cells that two threads take
// in turn. A task waits until the planes it reads are complete; the thread
// that builds the grid and writes the files takes what is left once it is
// done, so a helper thread that gets no core on a busy machine holds the run
// up by one task at most. Work allocates nothing.
class Shared_check {
 public:
  // The points of the grid being built; ile, ite and the pitch angle [rad] of
  // its blade walls; the memory to work in, made for at least the grid's ie and je.
  Shared_check(const Grid_points& points, int ile, int ite, double pitch_angle, Check_work& work);
  // The planes k = 1 .. k_done are complete (from the thread that builds them).
  void Planes_done(int k_done);
  // The build failed: Work takes no further task.
  void Stop();
  // Takes tasks until none is left or the check is stopped; worker 0 or 1, each on a thread of its own.
  void Work(int worker);
  // The findings, once every Work call has returned on a check that was not stopped.
  Grid_findings Findings() const;

 private:
  static constexpr int kLayersPerTask = 2;
  Grid_points points_;
  int ile_, ite_;
  double pitch_angle_;
  int tasks_;
  std::atomic<int> next_{0};
  std::atomic<int> planes_done_{0};
  std::atomic<bool> stopped_{false};
  Check_work& work_;
  Folded_cells folded_[2];
  Blade_sense sense_[2];
};

// A Shared_check with its helper thread. The thread is started with the
// build (Begin), so that it is running by the time the volume build starts and
// the check is made (Start); stopped and joined when it goes out of scope (a
// build that stops part way).
class Check_beside_build {
 public:
  Check_beside_build() = default;
  Check_beside_build(const Check_beside_build&) = delete;
  Check_beside_build& operator=(const Check_beside_build&) = delete;
  ~Check_beside_build();

  // Starts the helper thread (none to be had: the building thread does all of the check in Finish).
  void Begin();
  // Makes the check, which the helper thread takes up.
  void Start(const Grid_points& points, int ile, int ite, double pitch_angle, Check_work& work);
  void Planes_done(int k_done) { check_->Planes_done(k_done); }
  // Takes what is left on this thread, waits for the helper, and gives the findings.
  Grid_findings Finish();

 private:
  // The helper's thread: waits for the check or the end, then works.
  void Help();

  std::optional<Shared_check> check_;
  // 0 while the helper waits for the check, 1 once it is made, 2 when the build ended without one.
  std::atomic<int> state_{0};
  std::jthread helper_;
};

}  // namespace torvane
