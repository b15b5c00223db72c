// torvane-inspect when an output file cannot be written whole (a file-size
// limit, a full disk): the earlier file of that name stays as it was, no
// temporary file is left, and one line on the error stream names the file
// and the reason, with the output-error status.
#include <fcntl.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "inspect/command_line.hpp"
#include "inspect/picture/picture_files.hpp"
#include "inspect/subcommands.hpp"
#include "inspect_support.hpp"

namespace torvane::inspect {
namespace {

using testing::Read_text;
using testing::Scratch;

struct Outcome {
  int status = -1;  // exit status, or 128 + the signal that ended the program
  std::string out, err;
};

// Runs torvane-inspect in a child process whose files may grow to limit bytes
// at most (0: no limit); its output and error streams go to files in `capture`.
Outcome Run_limited(const std::vector<std::string>& args, rlim_t limit, const Scratch& capture) {
  const std::string out = capture.File("stdout.txt"), err = capture.File("stderr.txt");
  const pid_t pid = ::fork();
  if (pid == 0) {
    if (limit > 0) {
      rlimit size{limit, limit};
      ::setrlimit(RLIMIT_FSIZE, &size);
    }
    const int out_fd = ::open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    const int err_fd = ::open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    ::dup2(out_fd, 1);
    ::dup2(err_fd, 2);
    std::vector<char*> argv{const_cast<char*>(TORVANE_INSPECT_EXE)};
    for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    ::execv(TORVANE_INSPECT_EXE, argv.data());
    ::_exit(127);
  }
  int status = 0;
  ::waitpid(pid, &status, 0);
  return {WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status), Read_text(out), Read_text(err)};
}

// A hand-made run large enough that every export and picture is some hundred kilobytes.
std::string Large_run(const Scratch& scratch) {
  const Grid g = testing::Sector_grid(61, 31, 13, 0.01, 0.004, 1.0, 0.02);
  const std::string stem = scratch.File("rotor");
  testing::Write_run(stem, g, 20, 40, 0.12);
  return stem;
}

// The commands that write files, and the file of each that the tests make fail.
struct Writer {
  const char* name;
  std::vector<std::string> args;  // before --output PREFIX STEM
  std::string target;             // ending after the prefix
  bool system_reason;             // the message gives the system's reason, not a library's
  bool available = true;
};

std::vector<Writer> Writers() {
  return {
      {"vts", {"export", "--to", "vts"}, ".vts", true},
      {"plot3d", {"export", "--to", "plot3d"}, ".xyz", true},
      {"plot3d binary", {"export", "--to", "plot3d", "--binary"}, "_bin.xyz", true},
      {"cgns", {"export", "--to", "cgns"}, ".cgns", false, Cgns_available()},
      {"svg", {"picture"}, "_hub.svg", true},
      // The cross-section's image is the largest file of the six this grid's picture writes.
      {"png", {"picture", "--png"}, "_le.png", false, Png_available()},
  };
}

std::vector<std::string> With_output(std::vector<std::string> args, const std::string& prefix,
                                     const std::string& stem) {
  args.insert(args.end(), {"--output", prefix, stem});
  return args;
}

// The earlier file is intact, the failure is one line naming the target, and
// the folder holds nothing but what was there and what the command says it wrote.
void Expect_refused_cleanly(const Outcome& o, const std::string& target, const std::string& earlier,
                            const std::string& folder, std::vector<std::string> names_before) {
  EXPECT_EQ(o.status, kExitUsage) << o.err;
  EXPECT_EQ(std::count(o.err.begin(), o.err.end(), '\n'), 1) << o.err;
  EXPECT_TRUE(o.err.starts_with("torvane-inspect: cannot write " + target) ||
              o.err.starts_with("torvane-inspect: cannot close " + target))
      << o.err;
  EXPECT_EQ(Read_text(target), earlier) << "the earlier file was damaged";
  size_t wrote = 0;
  while ((wrote = o.out.find("wrote ", wrote)) != std::string::npos) {
    const size_t end = o.out.find('\n', wrote);
    names_before.push_back(std::filesystem::path(o.out.substr(wrote + 6, end - wrote - 6)).filename().string());
    wrote = end;
  }
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) names.push_back(entry.path().filename());
  std::sort(names.begin(), names.end());
  std::sort(names_before.begin(), names_before.end());
  names_before.erase(std::unique(names_before.begin(), names_before.end()), names_before.end());
  EXPECT_EQ(names, names_before) << "a temporary file was left behind";
}

TEST(Output_failure, AFileSizeLimitLeavesTheEarlierFileAndReportsIt) {
  Scratch scratch;
  const std::string stem = Large_run(scratch);
  for (const Writer& w : Writers()) {
    SCOPED_TRACE(w.name);
    if (!w.available) continue;
    Scratch out;
    const std::string prefix = out.File("rotor");
    // The good files of an earlier run, and the size the limit must cut.
    const Outcome good = Run_limited(With_output(w.args, prefix, stem), 0, scratch);
    ASSERT_EQ(good.status, 0) << good.err;
    const std::string target = prefix + w.target;
    const std::string earlier = Read_text(target);
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(out.path())) names.push_back(entry.path().filename());
    // One byte short of the whole target: every file written before it fits.
    const Outcome cut = Run_limited(With_output(w.args, prefix, stem), earlier.size() - 1, scratch);
    Expect_refused_cleanly(cut, target, earlier, out.path(), names);
    if (w.system_reason) {
      EXPECT_NE(cut.err.find(": File too large\n"), std::string::npos) << cut.err;
    }
  }
}

// Every regular file under folder with its bytes, by path inside it.
std::map<std::string, std::string> Files_under(const std::string& folder) {
  std::map<std::string, std::string> files;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(folder)) {
    if (entry.is_regular_file()) {
      files[std::filesystem::relative(entry.path(), folder).string()] = Read_text(entry.path().string());
    }
  }
  return files;
}

// An OpenFOAM case is written as one result: when a file of the new case cannot be written,
// every file of the earlier case in the folder stays as it was and no temporary is left.
TEST(Output_failure, AnOpenfoamCaseIsReplacedWholeOrNotAtAll) {
  Scratch scratch;
  const std::string stem = Large_run(scratch);
  const std::string earlier_stem = scratch.File("earlier");
  testing::Write_run(earlier_stem, testing::Sector_grid(21, 9, 5, 0.01, 0.004, 1.0, 0.02), 6, 14, 0.032);
  for (const char* kind : {"potential", "rans"}) {
    SCOPED_TRACE(kind);
    std::vector<std::string> args = {"export", "--to", "openfoam", "--case", kind};
    if (std::string(kind) == "rans") args.insert(args.end(), {"--rpm", "0"});
    Scratch out;
    const std::string folder = out.File("case"), fresh = out.File("fresh");
    // The new case written whole elsewhere: its largest file sets the limit.
    const Outcome whole = Run_limited(With_output(args, fresh, stem), 0, scratch);
    ASSERT_EQ(whole.status, 0) << whole.err;
    std::size_t largest = 0;
    for (const auto& [name, text] : Files_under(fresh)) largest = std::max(largest, text.size());
    const Outcome earlier = Run_limited(With_output(args, folder, earlier_stem), 0, scratch);
    ASSERT_EQ(earlier.status, 0) << earlier.err;
    const std::map<std::string, std::string> before = Files_under(folder);
    ASSERT_GT(largest, before.at("constant/polyMesh/points").size());

    const Outcome cut = Run_limited(With_output(args, folder, stem), largest - 1, scratch);
    EXPECT_EQ(cut.status, kExitUsage) << cut.err;
    EXPECT_EQ(std::count(cut.err.begin(), cut.err.end(), '\n'), 1) << cut.err;
    EXPECT_NE(cut.err.find(": File too large\n"), std::string::npos) << cut.err;
    EXPECT_TRUE(Files_under(folder) == before) << "the earlier case was changed or a temporary was left";

    // A plain file where a folder of the case should be: refused before any file is written.
    const std::string blocked = out.File("blocked");
    std::filesystem::create_directory(blocked);
    testing::Write_text(blocked + "/system", "a plain file");
    const Outcome refused = Run_limited(With_output(args, blocked, stem), 0, scratch);
    EXPECT_EQ(refused.status, kExitUsage) << refused.err;
    EXPECT_TRUE(refused.err.starts_with("torvane-inspect: cannot create " + blocked + "/system")) << refused.err;
    const std::map<std::string, std::string> left = Files_under(blocked);
    EXPECT_EQ(left.size(), 1u) << "files were written before the refusal";

    // The scripts of the whole case run as they are.
    if (std::string(kind) == "rans") {
      for (const char* script : {"/Allrun", "/Allclean"}) {
        EXPECT_EQ(::access((fresh + script).c_str(), X_OK), 0) << script << " is not executable";
      }
    }
  }
}

// A tmpfs of 64 KiB mounted for the test, unmounted at the end.
class Small_disk {
 public:
  explicit Small_disk(const std::string& folder) : folder_(folder) {
    std::filesystem::create_directory(folder_);
    mounted_ = ::mount("tmpfs", folder_.c_str(), "tmpfs", 0, "size=64k") == 0;
    error_ = errno;
  }
  ~Small_disk() {
    if (mounted_) ::umount2(folder_.c_str(), MNT_DETACH);
  }
  bool mounted() const { return mounted_; }
  std::string why_not() const { return std::strerror(error_); }

 private:
  std::string folder_;
  bool mounted_ = false;
  int error_ = 0;
};

TEST(Output_failure, AFullDiskLeavesTheEarlierFileAndReportsIt) {
  Scratch scratch;
  const std::string stem = Large_run(scratch);
  const std::string disk = scratch.File("disk");
  Small_disk small(disk);
  if (!small.mounted()) GTEST_SKIP() << "cannot mount a small tmpfs here (" << small.why_not() << "); needs root";
  for (const Writer& w : Writers()) {
    SCOPED_TRACE(w.name);
    if (!w.available) continue;
    const std::string prefix = disk + "/rotor";
    // The target from an earlier run: 20 KiB of the 64.
    const std::string target = prefix + w.target;
    const std::string earlier(20 << 10, 'e');
    testing::Write_text(target, earlier);
    const Outcome full = Run_limited(With_output(w.args, prefix, stem), 0, scratch);
    if (w.system_reason) {
      EXPECT_NE(full.err.find(": No space left on device\n"), std::string::npos) << full.err;
    }
    // The first file that does not fit is refused; the target is untouched either way.
    const size_t named = full.err.find(disk);
    ASSERT_NE(named, std::string::npos) << full.err;
    // The path (no blank in it here) ends at ": REASON", or at " (STEP): REASON" in a library's words.
    const std::string refused = full.err.substr(named, full.err.find_first_of(": ", named) - named);
    Expect_refused_cleanly(full, refused, refused == target ? earlier : "", disk, {"rotor" + w.target});
    EXPECT_EQ(Read_text(target), earlier);
    for (const auto& entry : std::filesystem::directory_iterator(disk)) std::filesystem::remove(entry.path());
  }
}

// Standard output that takes nothing: a full device, a closed descriptor. The
// report that did not arrive is a failure with one line and the output-error
// status, never 0.
TEST(Output_failure, AStandardOutputThatFailsIsReportedWithTheOutputErrorStatus) {
  TORVANE_REQUIRE_REFERENCE(stem, "small");
  struct Case {
    const char* name;
    const char* device;  // opened as standard output; null: standard output closed
    const char* reason;
  } cases[] = {
      {"full device", "/dev/full", "No space left on device"},
      {"closed descriptor", nullptr, "Bad file descriptor"},
  };
  Scratch capture;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string err = capture.File("stderr.txt");
    const pid_t pid = ::fork();
    if (pid == 0) {
      const int err_fd = ::open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
      ::dup2(err_fd, 2);
      ::close(err_fd);
      ::close(1);
      if (c.device != nullptr && ::open(c.device, O_WRONLY) != 1) ::_exit(126);
      ::execl(TORVANE_INSPECT_EXE, TORVANE_INSPECT_EXE, "report", "--json", stem.c_str(), nullptr);
      ::_exit(127);
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), kExitUsage);
    EXPECT_EQ(Read_text(err), std::string("torvane-inspect: cannot write standard output: ") + c.reason + "\n");
  }
}

}  // namespace
}  // namespace torvane::inspect
