// torvane's grid check beside the build: the folded cells and the blade-wall
// sense measured a few layers of cells at a time, each as soon as the volume
// build has completed its planes, on a second thread while the first builds
// the rest and writes the files.
#pragma once

#include <atomic>
#include <condition_variable>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>
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

// The inner planes of the volume and the measures of the grid, as tasks that
// two threads take in turn: the planes first, then the measures a few layers
// of cells at a time, each waiting until the planes it reads are complete. The
// thread that builds the grid and writes the files takes what is left of the
// measures once the files are written, so a helper thread that gets no core
// on a busy machine holds the run up by one task at most. Work allocates nothing.
class Build_scheduler {
 public:
  // The points of the grid being built; ile, ite and the pitch angle [rad] of
  // its blade walls; the memory to work in, made for at least the grid's ie and je.
  Build_scheduler(const Grid_points& points, int ile, int ite, double pitch_angle, Check_work& work);
  // Makes tasks of the inner planes k = 2 .. ke - 1 (before any Work): build
  // fills plane k, or throws when it cannot be used. Planes 1 and ke
  // must be complete. Without it, the caller says which planes are complete.
  void Share_planes(std::function<void(int k)> build);
  // The planes k = 1 .. k_done are complete (from the thread that builds them).
  void Planes_done(int k_done);
  // The build failed: Work takes no further task.
  void Stop();
  // Builds planes until none is left to take and returns once every plane is
  // complete; a plane that could not be used stops the run with what its
  // build threw, the lowest such k as a build in order would have.
  void Build_planes();
  // Takes tasks, planes first, until none is left or the check is stopped; worker 0 or 1, each on a thread of its own.
  void Work(int worker);
  // The findings, once every Work call has returned on a check that was not stopped.
  Grid_findings Findings() const;

 private:
  static constexpr int kLayersPerTask = 2;
  // Takes plane tasks until none is left.
  void Take_planes();
  // Waits until planes k_first .. k_last are complete or the check is stopped; false when stopped.
  bool Wait_for_planes(int k_first, int k_last);
  // Marks plane k complete and wakes the waiting.
  void Plane_complete(int k);

  Grid_points points_;
  int ile_, ite_;
  double pitch_angle_;
  int tasks_;
  std::atomic<int> next_{0};
  std::function<void(int k)> build_;
  std::atomic<int> next_plane_{0};
  std::atomic<int> planes_left_{0};                // inner planes not yet complete
  std::unique_ptr<std::atomic<bool>[]> complete_;  // [k] for k = 1 .. ke
  std::atomic<int> changes_{0};                    // counts completions and the stop, for waiting on
  std::atomic<bool> stopped_{false};
  std::mutex failure_lock_;
  int failed_plane_ = 0;        // the lowest plane that could not be used, 0 for none
  std::exception_ptr failure_;  // what the build of that plane threw
  Check_work& work_;
  Folded_cells folded_[2];
  Blade_sense sense_[2];
};

// A second thread kept from build to build, for a caller that builds many
// grids: the check beside each build runs on it instead of on a thread started
// for that build (some tens of microseconds a build).
class Helper_thread {
 public:
  Helper_thread();
  Helper_thread(const Helper_thread&) = delete;
  Helper_thread& operator=(const Helper_thread&) = delete;
  ~Helper_thread();  // stops and joins the thread (no job may be running)

  // Runs job on the thread; the job before must have been waited for.
  void Run(std::function<void()> job);
  // Returns once the job has returned.
  void Wait();

 private:
  void Serve();

  std::mutex lock_;
  std::condition_variable changed_;
  std::function<void()> job_;
  bool running_ = false;
  bool ending_ = false;
  std::jthread thread_;
};

// A Build_scheduler with its helper thread. The thread is started with the
// build (Begin), so that it is running by the time the volume build starts and
// the check is made (Start); stopped and joined when it goes out of scope (a
// build that stops part way).
class Check_beside_build {
 public:
  // With a kept helper thread, or with one of its own when helper is null.
  explicit Check_beside_build(Helper_thread* helper = nullptr) : kept_(helper) {}
  Check_beside_build(const Check_beside_build&) = delete;
  Check_beside_build& operator=(const Check_beside_build&) = delete;
  ~Check_beside_build();

  // Starts the helper (no thread to be had: the building thread does all of the work itself).
  void Begin();
  // Runs job on the helper before the check (on this thread when there is no
  // helper); Wait_first returns once it has returned.
  void Run_first(std::function<void()> job);
  void Wait_first();
  // Makes the check, with the inner planes as tasks (build fills plane k), which the helper thread takes up.
  void Start(const Grid_points& points, int ile, int ite, double pitch_angle, Check_work& work,
             std::function<void(int k)> build);
  // Builds inner planes with the helper until all are complete (what the build threw for one that cannot be used).
  void Build_planes() { check_->Build_planes(); }
  // Takes what is left on this thread, waits for the helper, and gives the findings.
  Grid_findings Finish();

 private:
  // The helper's work: waits for the check or the end, then works.
  void Help();
  // Returns once Help has returned, if it was started.
  void Join();
  // Whether a helper takes up Help.
  bool Helping() const;

  std::optional<Build_scheduler> check_;
  // 0 while the helper waits for the check, 1 once it is made, 2 when the build ended without one.
  std::atomic<int> state_{0};
  std::function<void()> first_;
  std::atomic<bool> first_posted_{false};
  std::atomic<bool> first_done_{false};
  std::atomic<int> signal_{0};  // bumped on every change the helper waits for
  Helper_thread* kept_;
  bool helping_ = false;  // Help was started on kept_
  std::jthread helper_;   // else the thread of its own, if any
};

}  // namespace torvane
