#pragma once

namespace vv {

// libgomp, which Tesseract uses, starts a team of threads for each of Tesseract's parallel
// loops; on small machines those teams thrash and make recognition several times slower,
// and the recogniser already spreads its work over threads of its own. This makes every
// OpenMP parallel region entered from the calling thread run on that thread alone. libgomp
// keeps the setting per thread, so call it on each thread before it drives Tesseract.
// An OMP_THREAD_LIMIT in the environment is left to take effect instead: libgomp reads it at
// start-up, and setting it to a large value keeps OpenMP's own threads (the benchmark
// compares the two).
void serialiseOpenMpOnThisThread();

}  // namespace vv
