#include "base/temporary_files.hpp"

#include <pthread.h>

#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstring>

namespace torvane {

namespace {

// The list is the one piece of process-wide state: a signal handler can reach
// nothing else. Its slots are fixed in size, so the handler neither allocates
// nor locks; a slot is claimed, filled, then marked listed, and the handler
// reads only slots marked listed.
constexpr int kSlots = 16;
constexpr size_t kLongestName = 4096;

enum Slot_state : int { kFree = 0, kFilling = 1, kListed = 2 };

struct Slot {
  std::atomic<int> state{kFree};
  char name[kLongestName];
};

Slot g_slots[kSlots];

static_assert(std::atomic<int>::is_always_lock_free, "the signal handler reads the slots' states");

const int kEndingSignals[] = {SIGINT, SIGTERM, SIGHUP};

extern "C" void Remove_and_reraise(int signal_number) {
  const int saved_errno = errno;
  for (Slot& slot : g_slots) {
    if (slot.state.load() == kListed) ::unlink(slot.name);
  }
  // The default action ends the program by this signal once the handler returns.
  struct sigaction fallback {};
  fallback.sa_handler = SIG_DFL;
  sigemptyset(&fallback.sa_mask);
  ::sigaction(signal_number, &fallback, nullptr);
  ::raise(signal_number);
  errno = saved_errno;
}

}  // namespace

Temporary_mark::Temporary_mark(const char* path) {
  const size_t length = std::strlen(path);
  if (length >= kLongestName) return;
  for (int n = 0; n < kSlots; ++n) {
    int expected = kFree;
    if (g_slots[n].state.compare_exchange_strong(expected, kFilling)) {
      std::memcpy(g_slots[n].name, path, length + 1);
      g_slots[n].state.store(kListed);
      slot_ = n;
      return;
    }
  }
}

Temporary_mark& Temporary_mark::operator=(Temporary_mark&& other) noexcept {
  if (this != &other) {
    Release();
    slot_ = other.slot_;
    other.slot_ = -1;
  }
  return *this;
}

void Temporary_mark::Release() {
  if (slot_ >= 0) g_slots[slot_].state.store(kFree);
  slot_ = -1;
}

void Remove_temporaries_on_signal() {
  for (int signal_number : kEndingSignals) {
    struct sigaction found {};
    if (::sigaction(signal_number, nullptr, &found) != 0 || found.sa_handler == SIG_IGN) continue;
    struct sigaction handler {};
    handler.sa_handler = Remove_and_reraise;
    sigemptyset(&handler.sa_mask);
    for (int other : kEndingSignals) sigaddset(&handler.sa_mask, other);
    ::sigaction(signal_number, &handler, nullptr);
  }
}

Held_signals::Held_signals() {
  sigset_t held;
  sigemptyset(&held);
  for (int signal : {SIGINT, SIGTERM, SIGHUP}) sigaddset(&held, signal);
  pthread_sigmask(SIG_BLOCK, &held, &saved_);
}

Held_signals::~Held_signals() { pthread_sigmask(SIG_SETMASK, &saved_, nullptr); }

}  // namespace torvane
