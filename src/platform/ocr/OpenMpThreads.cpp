#include "platform/ocr/OpenMpThreads.h"

#include <unistd.h>

#include <cstdlib>

namespace vv {

void ensureSingleThreadedOpenMp(int argc, char** argv) {
  if (argc < 1 || argv == nullptr || std::getenv("OMP_THREAD_LIMIT") != nullptr) {
    return;
  }
  if (::setenv("OMP_THREAD_LIMIT", "1", 1) != 0) {
    return;
  }
  // The procfs link names this very executable even when argv[0] is a bare name or a
  // relative path from another directory.
  ::execv("/proc/self/exe", argv);
}

}  // namespace vv
