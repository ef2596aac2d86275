#include "platform/ocr/OpenMpThreads.h"

#include <omp.h>

#include <cstdlib>

namespace vv {

void serialiseOpenMpOnThisThread() {
  if (std::getenv("OMP_THREAD_LIMIT") != nullptr) {
    return;
  }
  // No parallel region may be active, so each runs on the thread that meets it. Unlike
  // omp_set_num_threads, this also binds the num_threads clauses Tesseract writes in its loops.
  omp_set_max_active_levels(0);
}

}  // namespace vv
