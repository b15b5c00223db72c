// One run at a time on the files of a stem: an advisory lock (flock) on the
// lock file STEM.lock, held from the first temporary to the last rename, so
// two runs at once each leave a complete set of files from one run.
#pragma once

#include <functional>
#include <string>

#include "base/temporary_files.hpp"

namespace torvane {

class Stem_lock {
 public:
  // Takes the lock on the file at path, created if need be; waits while
  // another process holds it, calling on_wait once before the wait. Throws
  // File_error ("cannot create", "cannot open", "cannot lock") naming the
  // lock file: "cannot open" for a lock file that exists but cannot be
  // opened (another user's, or a symbolic link to a missing file).
  Stem_lock(std::string path, const std::function<void()>& on_wait);
  // Removes the lock file if this run made it, and lets the next run in.
  ~Stem_lock();
  Stem_lock(const Stem_lock&) = delete;
  Stem_lock& operator=(const Stem_lock&) = delete;

  const std::string& path() const { return path_; }

 private:
  std::string path_;
  int fd_ = -1;
  bool created_ = false;  // made by this run: removed when done
  Temporary_mark mark_;   // a signal removes the lock file with the temporaries
};

}  // namespace torvane
