// Each program's --help names every option its documentation describes: the
// options are gathered from the docs pages as written (--name, --name=value),
// so the test keeps its meaning whatever parses the command line; and the
// docs' command lists are the programs' usage lines, word for word.
#include <gtest/gtest.h>

#include <algorithm>
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

// The usage lines of a --help text: those after "usage: " and those that name the program
// again below them, a line indented further continuing the one before.
std::vector<std::string> Usage_lines(const std::string& help, const std::string& program) {
  std::vector<std::string> lines;
  std::istringstream in(help);
  for (std::string line; std::getline(in, line);) {
    const std::size_t text = line.find_first_not_of(' ');
    if (line.rfind("usage: " + program + " ", 0) == 0 || line.rfind("Usage: " + program + " ", 0) == 0) {
      lines.push_back(line.substr(7));
    } else if (!lines.empty() && text != std::string::npos && text > 0) {
      if (line.compare(text, program.size() + 1, program + " ") == 0) {
        lines.push_back(line.substr(text));
      } else {
        lines.back().append(" ").append(line, text, std::string::npos);
      }
    } else if (!lines.empty()) {
      break;
    }
  }
  return lines;
}

// The command lists of a docs page: indented lines that start with the program's name and
// show a synopsis (an optional part, a choice or a STEM), not an example.
std::vector<std::string> Listed_commands(const std::string& page, const std::string& program) {
  std::vector<std::string> commands;
  std::istringstream in(page);
  for (std::string line; std::getline(in, line);) {
    if (line.rfind("    " + program + " ", 0) != 0) continue;
    const std::string command = line.substr(4);
    if (command.find('[') != std::string::npos || command.find(" | ") != std::string::npos ||
        command.find("STEM") != std::string::npos) {
      commands.push_back(command);
    }
  }
  return commands;
}

// Every usage line of the program stands in its own page's command list, and every command
// list of the docs shows only usage lines the program gives.
TEST(Docs, TheDocsCommandListsAreTheProgramsUsage) {
  struct Case {
    const char* program;
    const char* name;
    const char* own_page;
    std::vector<std::string> other_pages;
  } cases[] = {
      {TORVANE_INSPECT_EXE, "torvane-inspect", "docs/inspect.md", {"README.md", "docs/solvers.md"}},
  };
  const std::string folder = Scratch_folder();
  for (const Case& c : cases) {
    const testing::Process_result help = testing::Run_program(c.program, {"--help"}, "/dev/null", folder);
    ASSERT_EQ(help.status, 0) << c.name;
    const std::vector<std::string> usage = Usage_lines(help.out, c.name);
    ASSERT_GE(usage.size(), 2u) << c.name << " --help:\n" << help.out;
    const std::string own = Read_page(std::string(c.own_page).substr(5));
    const std::vector<std::string> listed = Listed_commands(own, c.name);
    for (const std::string& line : usage) {
      EXPECT_NE(std::find(listed.begin(), listed.end(), line), listed.end())
          << c.own_page << " does not list \"" << line << "\"";
    }
    std::vector<std::string> pages = c.other_pages;
    pages.push_back(c.own_page);
    for (const std::string& page : pages) {
      std::ifstream in(std::string(TORVANE_SOURCE_DIR) + "/" + page);
      std::stringstream text;
      text << in.rdbuf();
      ASSERT_FALSE(text.str().empty()) << page;
      for (const std::string& line : Listed_commands(text.str(), c.name)) {
        EXPECT_NE(std::find(usage.begin(), usage.end(), line), usage.end())
            << page << " lists \"" << line << "\", which is not in " << c.name << " --help";
      }
    }
  }
  std::filesystem::remove_all(folder);
}

}  // namespace
}  // namespace torvane
