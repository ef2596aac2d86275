#pragma once

namespace vv {

// libgomp, which Tesseract uses, starts a team of threads that thrash on small machines and
// make recognition several times slower; only OMP_THREAD_LIMIT in the environment at process
// start keeps it to one thread. When the variable is unset, this sets it to 1 and re-executes
// the running program with the same arguments; it returns only when the variable was already
// set or the re-execution failed (the program then carries on, just slower). Call it first
// thing in main(), before any thread exists. Running with OMP_THREAD_LIMIT set to a larger
// value keeps OpenMP's own threads (the benchmark compares the two).
void ensureSingleThreadedOpenMp(int argc, char** argv);

}  // namespace vv
