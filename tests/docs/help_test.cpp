// Each program's --help names every option its documentation describes: the
// options are gathered from the docs pages as written (--name, --name=value),
// so the test keeps its meaning whatever parses the command line.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <regex>
#include <set>
#include <sstream>

#include "support/process.hpp"

namespace torvane {
namespace {

std::string Read_page(const std::string& name) {
  std::ifstream in(std::string(TORVANE_SOURCE_DIR) + "/docs/" + name);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

// The long options a page names, leaving out the build tools' own (lines with cmake or ctest).
std::set<std::string> Options_named(const std::string& page) {
  std::set<std::string> options;
  std::istringstream lines(page);
  const std::regex option(R"((^|[^A-Za-z0-9_-])(--[a-z][a-z0-9-]*))");
  for (std::string line; std::getline(lines, line);) {
    if (line.find("cmake") != std::string::npos || line.find("ctest") != std::string::npos) continue;
    for (std::sregex_iterator m(line.begin(), line.end(), option), end; m != end; ++m) options.insert((*m)[2]);
  }
  return options;
}

// An option is named when --help shows it, or lists it among the values a generic --NAME takes.
bool Named_in(const std::string& help, const std::string& option) {
  if (help.find(option) != std::string::npos) return true;
  if (help.find("--NAME") == std::string::npos) return false;
  const std::regex word("(^|[^A-Za-z0-9_-])" + option.substr(2) + "([^A-Za-z0-9_-]|$)");
  return std::regex_search(help, word);
}

// A fresh folder for the programs to run in, removed by the test.
std::string Scratch_folder() {
  std::string pattern = (std::filesystem::temp_directory_path() / "torvane-help-XXXXXX").string();
  if (mkdtemp(pattern.data()) == nullptr) std::abort();
  return pattern;
}

TEST(Docs, EveryOptionADocsPageDescribesIsNamedInItsProgramsHelp) {
  struct Case {
    const char* program;
    std::vector<std::string> pages;
    std::size_t at_least;  // options the pages must yield, so that an empty page does not pass
  } cases[] = {
      {TORVANE_BINARY, {"deck.md", "tip-gap.md"}, 4},
      {TORVANE_INSPECT_EXE, {"inspect.md", "files.md"}, 9},
      {TORVANE_DECK_EXE, {"deck-tool.md"}, 10},
  };
  const std::string folder = Scratch_folder();
  for (const Case& c : cases) {
    const testing::Process_result help = testing::Run_program(c.program, {"--help"}, "/dev/null", folder);
    ASSERT_EQ(help.status, 0) << c.program << ": " << help.err;
    std::set<std::string> options;
    for (const std::string& page : c.pages) {
      const std::string text = Read_page(page);
      ASSERT_FALSE(text.empty()) << "docs/" << page << " not found";
      options.merge(Options_named(text));
    }
    EXPECT_GE(options.size(), c.at_least) << c.program;
    for (const std::string& option : options) {
      EXPECT_TRUE(Named_in(help.out, option)) << c.program << " --help does not name " << option << "\n" << help.out;
    }
  }
  std::filesystem::remove_all(folder);
}

}  // namespace
}  // namespace torvane
