#pragma once

#include <cstddef>
#include <functional>

namespace vv {

// Runs before anything else on every thread that takes part in the work below, the calling one
// included: a line engine may need settings of its own on each thread that drives it.
using ThreadSetup = std::function<void()>;

// Runs task(0) on the calling thread and task(1) to task(count - 1) on threads of their own,
// and returns once all are done; then rethrows the first failure, on whichever thread.
void runOnThreads(std::size_t count, const std::function<void(std::size_t)>& task,
                  const ThreadSetup& setup = {});

// Calls work(thread, item) for every item from 0 to count - 1, spread over `threads` threads;
// items are handed out in order, one at a time. After a failure the other threads stop at
// their next item.
void forEachInParallel(std::size_t threads, std::size_t count,
                       const std::function<void(std::size_t, std::size_t)>& work,
                       const ThreadSetup& setup = {});

}  // namespace vv
