#include "platform/ocr/OpenMpThreads.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <cstdlib>
#include <string_view>

namespace vv {
namespace {

constexpr int kExecFailed = 3;
constexpr int kLimitIsOne = 0;
constexpr int kLimitIsOther = 4;
constexpr int kReturned = 7;

// Runs only inside the re-executed test binary: reports what the new process sees.
TEST(OpenMpProbe, ReportsTheThreadLimit) {
  if (std::getenv("VV_OPENMP_PROBE") == nullptr) {
    GTEST_SKIP() << "only meaningful when re-executed";
  }
  const char* limit = std::getenv("OMP_THREAD_LIMIT");
  std::_Exit(limit != nullptr && std::string_view(limit) == "1" ? kLimitIsOne : kLimitIsOther);
}

[[noreturn]] void reExecuteIntoTheProbe() {
  ::unsetenv("OMP_THREAD_LIMIT");
  ::setenv("VV_OPENMP_PROBE", "1", 1);
  char program[] = "platform_ocr_tests";
  char filter[] = "--gtest_filter=OpenMpProbe.ReportsTheThreadLimit";
  char* argv[] = {program, filter, nullptr};
  ensureSingleThreadedOpenMp(2, argv);
  std::_Exit(kExecFailed);
}

[[noreturn]] void runWithAnExplicitLimit() {
  ::setenv("OMP_THREAD_LIMIT", "4", 1);
  char program[] = "platform_ocr_tests";
  char* argv[] = {program, nullptr};
  ensureSingleThreadedOpenMp(1, argv);
  std::_Exit(kReturned);
}

TEST(OpenMpThreads, ReExecutesWithOneThreadWhenTheLimitIsUnset) {
  EXPECT_EXIT(reExecuteIntoTheProbe(), ::testing::ExitedWithCode(kLimitIsOne), "");
}

TEST(OpenMpThreads, KeepsAnExplicitLimit) {
  EXPECT_EXIT(runWithAnExplicitLimit(), ::testing::ExitedWithCode(kReturned), "");
}

}  // namespace
}  // namespace vv
