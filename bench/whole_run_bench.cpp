// The whole-run benchmark: for each deck, torvane's wall time and peak
// resident memory, the floor (floor_write: the same count of numbers through
// std::to_chars and the same bytes written, in the same folder) and the grid
// build alone (grid_build_only, timed by itself around the build, without the
// process start). torvane and the floor are processes timed from spawn to exit.
// One warm-up round, then RUNS rounds with the three interleaved, so that a
// load on the machine weighs on all three alike; medians are reported.
// Usage: whole_run_bench [--runs N] [--folder DIR] TORVANE GRID_BUILD_ONLY FLOOR_WRITE DECK...
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

extern char** environ;

namespace fs = std::filesystem;

namespace {

// One timed process.
struct Sample {
  double wall = 0;  // seconds from spawn to exit
  double cpu = 0;   // user + system seconds
  long max_rss_kib = 0;
};

double Seconds(const timeval& t) { return static_cast<double>(t.tv_sec) + 1e-6 * static_cast<double>(t.tv_usec); }

double Now() {
  timespec t;
  clock_gettime(CLOCK_MONOTONIC, &t);
  return static_cast<double>(t.tv_sec) + 1e-9 * static_cast<double>(t.tv_nsec);
}

// Runs argv in the current folder with standard input from `input`, standard
// output discarded; exits the benchmark if it fails.
Sample Run(const std::vector<std::string>& argv, const std::string& input) {
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, input.c_str(), O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  std::vector<char*> args;
  for (const std::string& arg : argv) args.push_back(const_cast<char*>(arg.c_str()));
  args.push_back(nullptr);
  const double start = Now();
  pid_t pid;
  if (posix_spawn(&pid, args[0], &actions, nullptr, args.data(), environ) != 0) {
    std::fprintf(stderr, "whole_run_bench: cannot start %s\n", args[0]);
    std::exit(2);
  }
  int status = 0;
  rusage usage{};
  wait4(pid, &status, 0, &usage);
  Sample sample;
  sample.wall = Now() - start;
  posix_spawn_file_actions_destroy(&actions);
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
    std::fprintf(stderr, "whole_run_bench: %s failed (status %d)\n", args[0], status);
    std::exit(2);
  }
  sample.cpu = Seconds(usage.ru_utime) + Seconds(usage.ru_stime);
  sample.max_rss_kib = usage.ru_maxrss;
  return sample;
}

// The grid build alone: grid_build_only times its own build and writes the
// wall and CPU seconds to a file beside the runs' files.
Sample Run_build(const fs::path& build_only, const fs::path& deck) {
  const fs::path timing = fs::current_path() / "build_seconds.txt";
  Run({build_only.string(), timing.string()}, deck.string());
  Sample sample;
  std::ifstream(timing) >> sample.wall >> sample.cpu;
  fs::remove(timing);
  return sample;
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  const size_t n = values.size();
  return n % 2 == 1 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

// The files one torvane run left in the folder and the grid they hold.
struct Bench_run_files {
  fs::path grid, topology, plot;
  long ie = 0, je = 0, ke = 0;
};

Bench_run_files Find_run_files(const fs::path& folder) {
  Bench_run_files files;
  for (const auto& entry : fs::directory_iterator(folder)) {
    const std::string name = entry.path().filename().string();
    auto ends_with = [&](const std::string& end) {
      return name.size() >= end.size() && name.compare(name.size() - end.size(), end.size(), end) == 0;
    };
    if (ends_with("_grid_volume.plt"))
      files.plot = entry.path();
    else if (ends_with(".rgra"))
      files.grid = entry.path();
    else if (ends_with(".rtp"))
      files.topology = entry.path();
  }
  if (files.grid.empty() || files.topology.empty() || files.plot.empty()) {
    std::fprintf(stderr, "whole_run_bench: torvane left no grid, topology and plot file in %s\n", folder.c_str());
    std::exit(2);
  }
  // Record 2 of the grid file: "1 " and the numbers of intervals in i, j, k.
  std::ifstream grid(files.grid);
  std::string zero;
  int one = 0;
  grid >> zero >> one >> files.ie >> files.je >> files.ke;
  ++files.ie;
  ++files.je;
  ++files.ke;
  return files;
}

// The measured figures of one deck.
struct Result {
  std::string deck;
  Bench_run_files files;
  double run = 0, floor = 0, build = 0;              // median wall seconds
  double run_cpu = 0, floor_cpu = 0, build_cpu = 0;  // median user + system seconds
  long max_rss_kib = 0;                              // largest over all torvane runs
};

Result Measure(const fs::path& deck, const fs::path& torvane, const fs::path& build_only, const fs::path& floor,
               int runs) {
  Result result;
  result.deck = deck.filename().string();
  Sample warm = Run({torvane.string()}, deck.string());
  result.files = Find_run_files(fs::current_path());
  const Bench_run_files& f = result.files;
  const long points = f.ie * f.je * f.ke;
  // The topology file holds four list reals beside the grid file's 3 x points.
  const std::vector<std::string> floor_args = {
      floor.string(),
      fs::current_path().string(),
      std::to_string(3 * points + 4),
      std::to_string(fs::file_size(f.grid) + fs::file_size(f.topology)),
      std::to_string(3 * points),
      std::to_string(fs::file_size(f.plot)),
  };
  Run(floor_args, "/dev/null");
  Run_build(build_only, deck);
  result.max_rss_kib = warm.max_rss_kib;
  std::vector<double> run, floor_time, build, run_cpu, floor_cpu, build_cpu;
  for (int n = 0; n < runs; ++n) {
    Sample s = Run({torvane.string()}, deck.string());
    run.push_back(s.wall);
    run_cpu.push_back(s.cpu);
    result.max_rss_kib = std::max(result.max_rss_kib, s.max_rss_kib);
    s = Run(floor_args, "/dev/null");
    floor_time.push_back(s.wall);
    floor_cpu.push_back(s.cpu);
    s = Run_build(build_only, deck);
    build.push_back(s.wall);
    build_cpu.push_back(s.cpu);
  }
  result.run = Median(run);
  result.floor = Median(floor_time);
  result.build = Median(build);
  result.run_cpu = Median(run_cpu);
  result.floor_cpu = Median(floor_cpu);
  result.build_cpu = Median(build_cpu);
  for (const auto& entry : fs::directory_iterator(fs::current_path())) fs::remove(entry.path());
  return result;
}

[[noreturn]] void Usage() {
  std::fprintf(stderr,
               "usage: whole_run_bench [--runs N] [--folder DIR] TORVANE GRID_BUILD_ONLY FLOOR_WRITE DECK...\n");
  std::exit(2);
}

}  // namespace

int main(int argc, char** argv) {
  int runs = 7;
  fs::path base = fs::temp_directory_path();
  std::vector<fs::path> paths;
  for (int a = 1; a < argc; ++a) {
    const std::string arg = argv[a];
    if (arg == "--runs" && a + 1 < argc) {
      runs = std::atoi(argv[++a]);
    } else if (arg == "--folder" && a + 1 < argc) {
      base = argv[++a];
    } else {
      paths.push_back(fs::absolute(arg));
    }
  }
  if (paths.size() < 4 || runs < 1) Usage();
  const fs::path torvane = paths[0], build_only = paths[1], floor = paths[2];

  // A scratch folder of our own: torvane, the floor and the build write there.
  std::string pattern = (fs::absolute(base) / "torvane-bench-XXXXXX").string();
  if (mkdtemp(pattern.data()) == nullptr) {
    std::perror(pattern.c_str());
    return 2;
  }
  const fs::path scratch = pattern;
  fs::current_path(scratch);

  std::printf("torvane whole-run benchmark: medians of %d runs after one warm-up, files in %s\n\n", runs,
              scratch.c_str());
  std::printf("%-22s %-13s %9s %9s %9s %9s %9s %10s\n", "deck", "grid", "run", "floor", "run/floor", "build",
              "build/run", "peak RSS");
  std::vector<Result> results;
  for (size_t d = 3; d < paths.size(); ++d) {
    const Result r = Measure(paths[d], torvane, build_only, floor, runs);
    char grid[32];
    std::snprintf(grid, sizeof grid, "%ld x %ld x %ld", r.files.ie, r.files.je, r.files.ke);
    std::printf("%-22s %-13s %7.3f s %7.3f s %9.2f %7.3f s %7.1f %% %6.1f MiB\n", r.deck.c_str(), grid, r.run, r.floor,
                r.run / r.floor, r.build, 100 * r.build / r.run, static_cast<double>(r.max_rss_kib) / 1024);
    std::printf("%-22s %-13s %7.3f s %7.3f s %9.2f %7.3f s %7.1f %%   (user + system CPU time)\n", "", "", r.run_cpu,
                r.floor_cpu, r.run_cpu / r.floor_cpu, r.build_cpu, 100 * r.build_cpu / r.run_cpu);
    std::fflush(stdout);
    results.push_back(r);
  }
  fs::current_path(base);
  fs::remove_all(scratch);

  // The targets hold at the largest grid.
  const Result& largest = *std::max_element(results.begin(), results.end(), [](const Result& a, const Result& b) {
    return a.files.ie * a.files.je * a.files.ke < b.files.ie * b.files.je * b.files.ke;
  });
  const double ratio = largest.run / largest.floor;
  const double share = largest.build / largest.run;
  const double rss_mib = static_cast<double>(largest.max_rss_kib) / 1024;
  auto verdict = [](bool met) { return met ? "met" : "MISSED"; };
  std::printf("\ntargets at the largest grid (%s):\n", largest.deck.c_str());
  std::printf("  run / floor       %6.2f    (at most 1.30)    %s\n", ratio, verdict(ratio <= 1.3));
  std::printf("  build / run       %6.1f %%  (at most 5 %%)     %s\n", 100 * share, verdict(share <= 0.05));
  std::printf("  peak RSS          %6.1f MiB (at most 40 MiB) %s\n", rss_mib, verdict(rss_mib <= 40));
  return ratio <= 1.3 && share <= 0.05 && rss_mib <= 40 ? 0 : 1;
}
