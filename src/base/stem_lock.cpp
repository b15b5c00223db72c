#include "base/stem_lock.hpp"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "base/output_file.hpp"

namespace torvane {

namespace {

// An open lock file, and whether this run made it (only then is it ours to remove).
struct Lock_file {
  int fd;
  bool created;
};

// Times the lock file may vanish between our two opens before we give up:
// another run removing its lock file just then; more is not a race.
constexpr int kMaxVanished = 100;

// Opens the lock file, made new if there is none; one that others made and we
// may only read locks as well.
Lock_file Open_lock_file(const std::string& path) {
  for (int vanished = 0;; ++vanished) {
    int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd >= 0) return {fd, true};
    if (errno != EEXIST) {
      const int error = errno;
      throw File_error("cannot create", path, std::strerror(error), error);
    }
    fd = ::open(path.c_str(), O_RDWR | O_CLOEXEC);
    if (fd < 0 && errno == EACCES) fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd >= 0) return {fd, false};
    const int error = errno;
    std::string reason = std::strerror(error);
    if (error == ENOENT) {
      // The name exists (the exclusive create says so) yet opens nothing: a
      // symbolic link to a missing file, which no retry mends.
      struct stat named {};
      if (::lstat(path.c_str(), &named) == 0 && S_ISLNK(named.st_mode)) {
        throw File_error("cannot open", path,
                         "it is a symbolic link to a file that does not exist; remove it (torvane makes the lock "
                         "file itself)",
                         error);
      }
      if (vanished < kMaxVanished) continue;  // removed between the two opens: make it again
    }
    if (error == EACCES) reason += " (the lock file exists and this user may not open it; its owner may remove it)";
    throw File_error("cannot open", path, reason, error);
  }
}

// Whether the locked descriptor is still the file of that name: the holder
// before us removes the lock file before it lets go, and a run that waited on
// the removed file must lock the new one instead.
bool Still_named(int fd, const std::string& path) {
  struct stat held {
  }, named{};
  return ::fstat(fd, &held) == 0 && ::stat(path.c_str(), &named) == 0 && held.st_dev == named.st_dev &&
         held.st_ino == named.st_ino;
}

}  // namespace

Stem_lock::Stem_lock(std::string path, const std::function<void()>& on_wait) : path_(std::move(path)) {
  bool told = false;
  for (;;) {
    const Lock_file file = Open_lock_file(path_);
    fd_ = file.fd;
    created_ = file.created;
    int locked = ::flock(fd_, LOCK_EX | LOCK_NB);
    if (locked != 0 && errno == EWOULDBLOCK) {
      if (!told && on_wait) on_wait();
      told = true;
      do {
        locked = ::flock(fd_, LOCK_EX);
      } while (locked != 0 && errno == EINTR);
    }
    if (locked != 0) {
      const int error = errno;
      ::close(fd_);
      throw File_error("cannot lock", path_, std::strerror(error), error);
    }
    if (Still_named(fd_, path_)) break;
    ::close(fd_);
  }
  // A lock file this run did not make (another run's, or a file of the user's
  // that has the name) stays.
  if (created_) mark_ = Temporary_mark(path_.c_str());
}

Stem_lock::~Stem_lock() {
  // Off the signal's list first: once removed, the name may be the next run's lock file.
  mark_.Release();
  if (created_) ::unlink(path_.c_str());
  ::close(fd_);
}

}  // namespace torvane
