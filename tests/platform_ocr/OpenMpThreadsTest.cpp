#include "platform/ocr/OpenMpThreads.h"

#include <gtest/gtest.h>
#include <omp.h>
#include <stdlib.h>

#include <cstdlib>
#include <thread>

namespace vv {
namespace {

// The size of the team a two-thread parallel region gets on a fresh thread, after `prepare`.
template <typename Prepare>
int teamSizeOnAFreshThread(Prepare prepare) {
  int size = 0;
  std::thread([&] {
    prepare();
#pragma omp parallel num_threads(2)
    {
#pragma omp single
      size = omp_get_num_threads();
    }
  }).join();
  return size;
}

class OpenMpThreads : public ::testing::Test {
 protected:
  void SetUp() override {
    // libgomp read the limit when the process started; with one set there, no team can form.
    if (std::getenv("OMP_THREAD_LIMIT") != nullptr) {
      GTEST_SKIP() << "needs a process started without OMP_THREAD_LIMIT";
    }
  }
  void TearDown() override { ::unsetenv("OMP_THREAD_LIMIT"); }
};

TEST_F(OpenMpThreads, KeepsParallelRegionsOnTheCallingThreadOnly) {
  ASSERT_EQ(teamSizeOnAFreshThread([] {}), 2) << "without the call a team forms";
  EXPECT_EQ(teamSizeOnAFreshThread([] { serialiseOpenMpOnThisThread(); }), 1);
  EXPECT_EQ(teamSizeOnAFreshThread([] {}), 2) << "other threads keep their teams";
}

TEST_F(OpenMpThreads, LeavesAnExplicitLimitToTakeEffect) {
  ::setenv("OMP_THREAD_LIMIT", "4", 1);
  EXPECT_EQ(teamSizeOnAFreshThread([] { serialiseOpenMpOnThisThread(); }), 2);
}

}  // namespace
}  // namespace vv
