#include "control/build_scheduler.hpp"

#include <algorithm>
#include <system_error>

namespace torvane {

namespace {

// Polls of a waiting task before it sleeps: a plane of a typical grid takes
// some tens of microseconds to build, less than a sleep and a wake-up cost.
constexpr int kPollsBeforeSleep = 200;

}  // namespace

Check_work::Check_work(int ie, int je)
    : fold{Fold_work(ie, je), Fold_work(ie, je)}, sense{Sense_work(ie), Sense_work(ie)} {}

Build_scheduler::Build_scheduler(const Grid_points& points, int ile, int ite, double pitch_angle, Check_work& work)
    : points_(points),
      ile_(ile),
      ite_(ite),
      pitch_angle_(pitch_angle),
      tasks_(std::max(1, (points.ke - 1 + kLayersPerTask - 1) / kLayersPerTask)),
      complete_(new std::atomic<bool>[static_cast<std::size_t>(points.ke) + 1]),
      work_(work) {
  for (int k = 0; k <= points.ke; ++k) complete_[k].store(false, std::memory_order_relaxed);
}

void Build_scheduler::Share_planes(std::function<void(int k)> build) {
  build_ = std::move(build);
  planes_left_.store(std::max(0, points_.ke - 2), std::memory_order_relaxed);
  complete_[1].store(true, std::memory_order_relaxed);
  complete_[points_.ke].store(true, std::memory_order_relaxed);
}

void Build_scheduler::Planes_done(int k_done) {
  for (int k = 1; k <= k_done; ++k) complete_[k].store(true, std::memory_order_release);
  changes_.fetch_add(1, std::memory_order_release);
  changes_.notify_all();
}

void Build_scheduler::Plane_complete(int k) {
  complete_[k].store(true, std::memory_order_release);
  planes_left_.fetch_sub(1, std::memory_order_acq_rel);
  changes_.fetch_add(1, std::memory_order_release);
  changes_.notify_all();
}

void Build_scheduler::Stop() {
  stopped_.store(true, std::memory_order_release);
  changes_.fetch_add(1, std::memory_order_release);
  changes_.notify_all();
}

void Build_scheduler::Take_planes() {
  if (!build_) return;
  for (int k = 2 + next_plane_++; k <= points_.ke - 1; k = 2 + next_plane_++) {
    // Every plane is built, even after one failed, so that the lowest failure is the one told.
    try {
      build_(k);
    } catch (...) {
      std::lock_guard<std::mutex> held(failure_lock_);
      if (failed_plane_ == 0 || k < failed_plane_) {
        failed_plane_ = k;
        failure_ = std::current_exception();
      }
    }
    Plane_complete(k);
  }
}

bool Build_scheduler::Wait_for_planes(int k_first, int k_last) {
  int polls = 0;
  for (;;) {
    const int seen = changes_.load(std::memory_order_acquire);
    if (stopped_.load(std::memory_order_acquire)) return false;
    bool ready = true;
    for (int k = k_first; k <= k_last && ready; ++k) ready = complete_[k].load(std::memory_order_acquire);
    if (ready) return true;
    if (++polls < kPollsBeforeSleep) {
      std::this_thread::yield();
    } else {
      changes_.wait(seen, std::memory_order_acquire);
    }
  }
}

void Build_scheduler::Build_planes() {
  Take_planes();
  // The other thread may still be building its last plane.
  int polls = 0;
  for (int seen = changes_.load(std::memory_order_acquire); planes_left_.load(std::memory_order_acquire) > 0;
       seen = changes_.load(std::memory_order_acquire)) {
    if (++polls < kPollsBeforeSleep) {
      std::this_thread::yield();
    } else {
      changes_.wait(seen, std::memory_order_acquire);
    }
  }
  std::lock_guard<std::mutex> held(failure_lock_);
  if (failed_plane_ != 0) std::rethrow_exception(failure_);
}

void Build_scheduler::Work(int worker) {
  Take_planes();
  for (int task = next_++; task < tasks_; task = next_++) {
    // Task t: the layers of cells k_first .. k_last and the blade-wall
    // stations of the planes k_first .. k_last, the last task those of plane ke too.
    const int k_first = 1 + task * kLayersPerTask;
    const int k_last = std::min(k_first + kLayersPerTask - 1, points_.ke - 1);
    const int planes_last = task == tasks_ - 1 ? points_.ke : k_last;
    if (!Wait_for_planes(k_first, std::max(k_last + 1, planes_last))) return;
    folded_[worker] = Merged(folded_[worker], Find_folded_cells(points_, work_.fold[worker], k_first, k_last));
    sense_[worker] = Merged(sense_[worker], Find_covering_stations(points_, ile_, ite_, pitch_angle_,
                                                                   work_.sense[worker], k_first, planes_last));
  }
}

Grid_findings Build_scheduler::Findings() const {
  return {Merged(folded_[0], folded_[1]), Merged(sense_[0], sense_[1])};
}

namespace {

// The states of a Check_beside_build's helper.
constexpr int kWaiting = 0, kStarted = 1, kEnded = 2;

}  // namespace

Helper_thread::Helper_thread() : thread_([this] { Serve(); }) {}

Helper_thread::~Helper_thread() {
  {
    std::lock_guard<std::mutex> held(lock_);
    ending_ = true;
  }
  changed_.notify_all();
}

void Helper_thread::Run(std::function<void()> job) {
  {
    std::lock_guard<std::mutex> held(lock_);
    job_ = std::move(job);
    running_ = true;
  }
  changed_.notify_all();
}

void Helper_thread::Wait() {
  std::unique_lock<std::mutex> held(lock_);
  changed_.wait(held, [this] { return !running_; });
}

void Helper_thread::Serve() {
  std::unique_lock<std::mutex> held(lock_);
  for (;;) {
    changed_.wait(held, [this] { return ending_ || (running_ && job_); });
    if (ending_) return;
    std::function<void()> job = std::move(job_);
    job_ = nullptr;
    held.unlock();
    job();
    held.lock();
    running_ = false;
    changed_.notify_all();
  }
}

Check_beside_build::~Check_beside_build() {
  if (state_.load(std::memory_order_acquire) == kStarted) {
    check_->Stop();
  } else {
    state_.store(kEnded, std::memory_order_release);
    signal_.fetch_add(1, std::memory_order_release);
    signal_.notify_all();
  }
  Join();
  // A thread of its own, if any, is joined by its destructor before the check goes.
}

void Check_beside_build::Begin() {
  if (kept_ != nullptr) {
    kept_->Run([this] { Help(); });
    helping_ = true;
    return;
  }
  try {
    helper_ = std::jthread([this] { Help(); });
  } catch (const std::system_error&) {
    // No second thread to be had: Finish does all of the check on this one.
  }
}

bool Check_beside_build::Helping() const { return helping_ || helper_.joinable(); }

void Check_beside_build::Help() {
  for (;;) {
    const int seen = signal_.load(std::memory_order_acquire);
    if (first_posted_.load(std::memory_order_acquire) && !first_done_.load(std::memory_order_relaxed)) {
      first_();
      first_done_.store(true, std::memory_order_release);
      first_done_.notify_all();
      continue;
    }
    const int state = state_.load(std::memory_order_acquire);
    if (state == kStarted) {
      check_->Work(1);
      return;
    }
    if (state == kEnded) return;
    signal_.wait(seen, std::memory_order_acquire);
  }
}

void Check_beside_build::Run_first(std::function<void()> job) {
  first_ = std::move(job);
  if (!Helping()) {
    first_();
    first_done_.store(true, std::memory_order_release);
    return;
  }
  first_posted_.store(true, std::memory_order_release);
  signal_.fetch_add(1, std::memory_order_release);
  signal_.notify_all();
}

void Check_beside_build::Wait_first() { first_done_.wait(false, std::memory_order_acquire); }

void Check_beside_build::Join() {
  if (helping_) {
    kept_->Wait();
    helping_ = false;
  }
  if (helper_.joinable()) helper_.join();
}

void Check_beside_build::Start(const Grid_points& points, int ile, int ite, double pitch_angle, Check_work& work,
                               std::function<void(int k)> build) {
  check_.emplace(points, ile, ite, pitch_angle, work);
  check_->Share_planes(std::move(build));
  state_.store(kStarted, std::memory_order_release);
  signal_.fetch_add(1, std::memory_order_release);
  signal_.notify_all();
}

Grid_findings Check_beside_build::Finish() {
  check_->Work(0);
  Join();
  return check_->Findings();
}

}  // namespace torvane
