// The real program on the shared public decks, compared byte for byte with
// the reference outputs: console (banner version line masked), exit status
// and every file the reference run created (large ones by their digest).
#include <filesystem>
#include <fstream>

#include <gtest/gtest.h>

#include "support/decks.hpp"
#include "support/process.hpp"
#include "support/run_files.hpp"
#include "support/sha256.hpp"

namespace torvane {
namespace {

namespace fs = std::filesystem;
using testing::First_difference;
using testing::Read_file;

const fs::path kShared = TORVANE_SHARED_DIR;

std::vector<std::string> Public_decks() {
  std::vector<std::string> names;
  std::error_code error;
  for (const auto& entry : fs::directory_iterator(kShared / "cases" / "public", error)) {
    if (entry.path().extension() == ".in") names.push_back(entry.path().stem().string());
  }
  std::sort(names.begin(), names.end());
  if (names.empty()) names.push_back("(no shared decks)");
  return names;
}

// The console without its sixth record, the implementation's own version line.
std::string Without_version_line(const std::string& console) {
  size_t start = 0;
  for (int record = 1; record < 6 && start != std::string::npos; ++record) {
    start = console.find('\n', start);
    if (start != std::string::npos) ++start;
  }
  if (start == std::string::npos) return console;
  size_t end = console.find('\n', start);
  return console.substr(0, start) + (end == std::string::npos ? "" : console.substr(end + 1));
}

// Grid sizes from the summary line " Number of grid points:  81 x  33 x  17".
bool Summary_sizes(const std::string& console, int& ie, int& je, int& ke) {
  size_t at = console.find(" Number of grid points: ");
  if (at == std::string::npos) return false;
  return std::sscanf(console.c_str() + at + 24, "%d x %d x %d", &ie, &je, &ke) == 3;
}

class PublicDeck : public ::testing::TestWithParam<std::string> {};

TEST_P(PublicDeck, MatchesTheReferenceRunByteForByte) {
  const std::string name = GetParam();
  const fs::path deck = kShared / "cases" / "public" / (name + ".in");
  const fs::path reference = kShared / "reference" / name;
  if (!fs::exists(deck)) GTEST_SKIP() << "shared decks not found at " << kShared << "; skipping the end-to-end runs";
  if (!fs::exists(reference)) GTEST_SKIP() << "no reference output for " << name;

  testing::Scratch_folder folder;
  // A stem with a folder in it needs that folder in the working folder.
  for (const auto& entry : fs::recursive_directory_iterator(reference / "files")) {
    if (entry.is_directory()) fs::create_directories(folder.path() / fs::relative(entry.path(), reference / "files"));
  }
  testing::Process_result run = testing::Run_program(TORVANE_BINARY, {}, deck.string(), folder.path());

  EXPECT_EQ(std::to_string(run.status) + "\n", Read_file((reference / "status").string()));
  std::string expected_console = Without_version_line(Read_file((reference / "console.txt").string()));
  EXPECT_EQ(First_difference(expected_console, Without_version_line(run.out)), "") << "console";
  // A grid with cells in the report's bad band gets one note, nothing else.
  EXPECT_EQ(testing::Without_bad_cell_note(run.err), "");

  for (const auto& entry : fs::recursive_directory_iterator(reference / "files")) {
    if (!entry.is_regular_file()) continue;
    fs::path relative = fs::relative(entry.path(), reference / "files");
    if (entry.path().extension() == ".sha256") {
      fs::path produced = folder.path() / relative.parent_path() / relative.stem();
      std::string bytes = Read_file(produced.string());
      std::string digest = testing::Sha256_hex(bytes) + " " + std::to_string(bytes.size()) + "\n";
      EXPECT_EQ(digest, Read_file(entry.path().string())) << produced;
    } else {
      std::string produced = Read_file((folder.path() / relative).string());
      EXPECT_EQ(First_difference(Read_file(entry.path().string()), produced), "") << relative;
    }
  }

  // Independently of the reference: well-formed files with finite coordinates.
  int ie = 0, je = 0, ke = 0;
  if (run.status == 0 && Summary_sizes(run.out, ie, je, ke)) {
    for (const auto& entry : fs::recursive_directory_iterator(folder.path())) {
      std::string path = entry.path().string();
      if (path.ends_with(".rtp")) {
        std::string stem = path.substr(0, path.size() - 4);
        EXPECT_EQ(testing::Check_run_files(stem, ie, je, ke), "");
      }
    }
  }
}

INSTANTIATE_TEST_SUITE_P(SharedCases, PublicDeck, ::testing::ValuesIn(Public_decks()), [](const auto& info) {
  std::string name = info.param;
  for (char& c : name) {
    if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
  }
  return name;
});

}  // namespace
}  // namespace torvane
