// Files in the making that a signal must not leave behind: the temporaries of
// the output files and the lock file of a stem. A signal that ends the program
// (SIGINT, SIGTERM, SIGHUP) removes them, then ends it by that same signal.
#pragma once

#include <csignal>

namespace torvane {

// A place in the list of files to remove on a signal; empty when the list was full.
class Temporary_mark {
 public:
  Temporary_mark() = default;
  // Lists the file (the name is copied); a name too long for a slot is not listed.
  explicit Temporary_mark(const char* path);
  // Takes the file off the list: it was renamed or removed.
  ~Temporary_mark() { Release(); }
  Temporary_mark(Temporary_mark&& other) noexcept : slot_(other.slot_) { other.slot_ = -1; }
  Temporary_mark& operator=(Temporary_mark&& other) noexcept;
  Temporary_mark(const Temporary_mark&) = delete;
  Temporary_mark& operator=(const Temporary_mark&) = delete;

  // Takes the file off the list now.
  void Release();
  bool listed() const { return slot_ >= 0; }

 private:
  int slot_ = -1;
};

// Holds SIGINT, SIGTERM and SIGHUP off this thread while it lives, so that
// steps that belong together (the renames of a run's files) are not cut
// apart; a signal that came meanwhile is taken when it ends.
class Held_signals {
 public:
  Held_signals();
  ~Held_signals();
  Held_signals(const Held_signals&) = delete;
  Held_signals& operator=(const Held_signals&) = delete;

 private:
  sigset_t saved_;  // the thread's signal mask before
};

// Installs the handler of SIGINT, SIGTERM and SIGHUP that removes the listed
// files and re-raises the signal; a signal the program was started ignoring
// stays ignored.
void Remove_temporaries_on_signal();

}  // namespace torvane
