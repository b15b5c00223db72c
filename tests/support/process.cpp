#include "support/process.hpp"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>

#include "support/decks.hpp"

extern char** environ;

namespace torvane::testing {

Process_result Run_program(const std::string& program, const std::vector<std::string>& args,
                           const std::string& input_path, const std::string& folder) {
  Scratch_folder capture;
  std::string out_path = capture.path() + "/out";
  std::string err_path = capture.path() + "/err";
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, input_path.c_str(), O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 1, out_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  posix_spawn_file_actions_addopen(&actions, 2, err_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  posix_spawn_file_actions_addchdir_np(&actions, folder.c_str());
  std::vector<char*> argv;
  argv.push_back(const_cast<char*>(program.c_str()));
  for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
  argv.push_back(nullptr);
  pid_t pid = 0;
  int spawned = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (spawned != 0) return {-1, "", "cannot start " + program};
  int wait_status = 0;
  waitpid(pid, &wait_status, 0);
  int status = WIFEXITED(wait_status) ? WEXITSTATUS(wait_status) : 128 + WTERMSIG(wait_status);
  return {status, Read_file(out_path), Read_file(err_path)};
}

std::string First_difference(const std::string& expected, const std::string& found) {
  size_t at = std::mismatch(expected.begin(), expected.end(), found.begin(), found.end()).first - expected.begin();
  if (at == expected.size() && at == found.size()) return "";
  size_t record_start = expected.rfind('\n', at == 0 ? 0 : at - 1);
  record_start = (record_start == std::string::npos || at == 0) ? 0 : record_start + 1;
  size_t record =
      static_cast<size_t>(std::count(expected.begin(), expected.begin() + static_cast<long>(record_start), '\n')) + 1;
  auto excerpt = [at](const std::string& text) {
    if (at >= text.size()) return std::string("(end of file)");
    std::string quoted = "\"";
    return quoted.append(text, at, 40).append("\"");
  };
  std::string where = "record ";
  where.append(std::to_string(record)).append(", column ").append(std::to_string(at - record_start + 1));
  return where.append(": expected ").append(excerpt(expected)).append(", found ").append(excerpt(found));
}

}  // namespace torvane::testing
