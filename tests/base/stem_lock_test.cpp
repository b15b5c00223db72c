#include "base/stem_lock.hpp"

#include <atomic>
#include <chrono>
#include <optional>
#include <thread>

#include <gtest/gtest.h>

#include "support/scratch_folder.hpp"

namespace torvane {
namespace {

using testing::Exists;
using testing::Folder_listing;
using testing::Scratch_folder;

// A second run on the stem waits, says so once, and goes on when the first
// lets go; the last one out leaves no lock file behind.
TEST(Stem_lock, ASecondHolderWaitsUntilTheFirstLetsGo) {
  Scratch_folder folder;
  const std::string path = folder.File("rotor.lock");
  std::optional<Stem_lock> first(std::in_place, path, [] { ADD_FAILURE() << "the first run waited"; });
  EXPECT_TRUE(Exists(path));
  std::atomic<int> waits{0};
  std::atomic<bool> second_holds{false};
  std::thread second([&] {
    Stem_lock lock(path, [&] { ++waits; });
    second_holds = true;
  });
  while (waits == 0) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  EXPECT_FALSE(second_holds) << "both held the lock at once";
  first.reset();
  second.join();
  EXPECT_TRUE(second_holds);
  EXPECT_EQ(waits, 1);
  EXPECT_EQ(Folder_listing(folder.path()), "");
}

}  // namespace
}  // namespace torvane
