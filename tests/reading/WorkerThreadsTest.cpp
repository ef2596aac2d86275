#include "reading/WorkerThreads.h"

#include <gtest/gtest.h>

#include <atomic>
#include <mutex>
#include <set>
#include <stdexcept>
#include <thread>
#include <vector>

namespace vv {
namespace {

TEST(WorkerThreadsTest, EveryItemOnceAndEveryThreadSetUp) {
  std::vector<std::atomic<int>> done(100);
  std::mutex mutex;
  std::set<std::thread::id> setUp;
  std::set<std::thread::id> worked;
  forEachInParallel(
      3, done.size(),
      [&](std::size_t, std::size_t i) {
        ++done[i];
        const std::lock_guard lock(mutex);
        worked.insert(std::this_thread::get_id());
      },
      [&] {
        const std::lock_guard lock(mutex);
        setUp.insert(std::this_thread::get_id());
      });
  for (const std::atomic<int>& count : done) {
    EXPECT_EQ(count, 1);
  }
  EXPECT_EQ(setUp.size(), 3u);
  EXPECT_TRUE(setUp.count(std::this_thread::get_id()));
  for (const std::thread::id& id : worked) {
    EXPECT_TRUE(setUp.count(id));
  }
}

TEST(WorkerThreadsTest, AFailureStopsTheWorkAndReachesTheCaller) {
  std::atomic<std::size_t> started{0};
  EXPECT_THROW(forEachInParallel(2, 10000,
                                 [&](std::size_t, std::size_t i) {
                                   ++started;
                                   if (i == 10) {
                                     throw std::runtime_error("item 10");
                                   }
                                 }),
               std::runtime_error);
  EXPECT_LT(started, 10000u);
  EXPECT_THROW(runOnThreads(2,
                            [](std::size_t t) {
                              if (t == 1) {
                                throw std::runtime_error("helper");
                              }
                            }),
               std::runtime_error);
}

}  // namespace
}  // namespace vv
