#include "reading/WorkerThreads.h"

#include <atomic>
#include <exception>
#include <thread>
#include <vector>

namespace vv {

void runOnThreads(std::size_t count, const std::function<void(std::size_t)>& task,
                  const ThreadSetup& setup) {
  std::vector<std::exception_ptr> failures(count);
  const auto guarded = [&](std::size_t t) {
    try {
      if (setup) {
        setup();
      }
      task(t);
    } catch (...) {
      failures[t] = std::current_exception();
    }
  };
  std::vector<std::thread> helpers;
  for (std::size_t t = 1; t < count; ++t) {
    helpers.emplace_back(guarded, t);
  }
  guarded(0);
  for (std::thread& helper : helpers) {
    helper.join();
  }
  for (const std::exception_ptr& failure : failures) {
    if (failure) {
      std::rethrow_exception(failure);
    }
  }
}

void forEachInParallel(std::size_t threads, std::size_t count,
                       const std::function<void(std::size_t, std::size_t)>& work,
                       const ThreadSetup& setup) {
  std::atomic<std::size_t> next{0};
  runOnThreads(
      threads,
      [&](std::size_t t) {
        try {
          for (std::size_t i = next++; i < count; i = next++) {
            work(t, i);
          }
        } catch (...) {
          next = count;
          throw;
        }
      },
      setup);
}

}  // namespace vv
