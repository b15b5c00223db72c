#include "control/shared_check.hpp"

#include <algorithm>
#include <climits>
#include <system_error>

namespace torvane {

namespace {

// Polls of a waiting task before it sleeps: a plane of a typical grid takes
// some tens of microseconds to build, less than a sleep and a wake-up cost.
constexpr int kPollsBeforeSleep = 200;

}  // namespace

Check_work::Check_work(int ie, int je)
    : fold{Fold_work(ie, je), Fold_work(ie, je)}, sense{Sense_work(ie), Sense_work(ie)} {}

Shared_check::Shared_check(const Grid_points& points, int ile, int ite, double pitch_angle, Check_work& work)
    : points_(points),
      ile_(ile),
      ite_(ite),
      pitch_angle_(pitch_angle),
      tasks_(std::max(1, (points.ke - 1 + kLayersPerTask - 1) / kLayersPerTask)),
      work_(work) {}

void Shared_check::Planes_done(int k_done) {
  planes_done_.store(k_done, std::memory_order_release);
  planes_done_.notify_all();
}

void Shared_check::Stop() {
  stopped_.store(true, std::memory_order_release);
  planes_done_.store(INT_MAX, std::memory_order_release);
  planes_done_.notify_all();
}

void Shared_check::Work(int worker) {
  for (int task = next_++; task < tasks_; task = next_++) {
    // Task t: the layers of cells k_first .. k_last and the blade-wall
    // stations of the planes k_first .. k_last, the last task those of plane ke too.
    const int k_first = 1 + task * kLayersPerTask;
    const int k_last = std::min(k_first + kLayersPerTask - 1, points_.ke - 1);
    const int planes_last = task == tasks_ - 1 ? points_.ke : k_last;
    const int needed = std::max(k_last + 1, planes_last);
    int polls = 0;
    for (int done = planes_done_.load(std::memory_order_acquire); done < needed;
         done = planes_done_.load(std::memory_order_acquire)) {
      if (++polls < kPollsBeforeSleep) {
        std::this_thread::yield();
      } else {
        planes_done_.wait(done, std::memory_order_acquire);
      }
    }
    if (stopped_.load(std::memory_order_acquire)) return;
    folded_[worker] = Merged(folded_[worker], Find_folded_cells(points_, work_.fold[worker], k_first, k_last));
    sense_[worker] = Merged(sense_[worker], Find_covering_stations(points_, ile_, ite_, pitch_angle_,
                                                                   work_.sense[worker], k_first, planes_last));
  }
}

Grid_findings Shared_check::Findings() const { return {Merged(folded_[0], folded_[1]), Merged(sense_[0], sense_[1])}; }

namespace {

// The states of a Check_beside_build's helper.
constexpr int kWaiting = 0, kStarted = 1, kEnded = 2;

}  // namespace

Check_beside_build::~Check_beside_build() {
  if (state_.load(std::memory_order_acquire) == kStarted) {
    check_->Stop();
  } else {
    state_.store(kEnded, std::memory_order_release);
    state_.notify_all();
  }
  // The helper, if any, is joined by its own destructor before the check goes.
}

void Check_beside_build::Begin() {
  try {
    helper_ = std::jthread([this] { Help(); });
  } catch (const std::system_error&) {
    // No second thread to be had: Finish does all of the check on this one.
  }
}

void Check_beside_build::Help() {
  state_.wait(kWaiting, std::memory_order_acquire);
  if (state_.load(std::memory_order_acquire) == kStarted) check_->Work(1);
}

void Check_beside_build::Start(const Grid_points& points, int ile, int ite, double pitch_angle, Check_work& work) {
  check_.emplace(points, ile, ite, pitch_angle, work);
  state_.store(kStarted, std::memory_order_release);
  state_.notify_all();
}

Grid_findings Check_beside_build::Finish() {
  check_->Work(0);
  if (helper_.joinable()) helper_.join();
  return check_->Findings();
}

}  // namespace torvane
