#include "platform/StopRequests.h"

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <utility>

namespace vv {
namespace {

int pipeEnds[2] = {-1, -1};

extern "C" void requestStop(int) {
  const int saved = errno;
  const char byte = 1;
  // A full pipe already holds a request; the byte is not needed.
  [[maybe_unused]] const ssize_t written = write(pipeEnds[1], &byte, 1);
  errno = saved;
}

}  // namespace

void catchStopSignals() {
  if (pipeEnds[0] != -1 || pipe2(pipeEnds, O_CLOEXEC | O_NONBLOCK) != 0) {
    return;
  }
  struct sigaction action {};
  action.sa_handler = requestStop;
  action.sa_flags = SA_RESTART;
  sigemptyset(&action.sa_mask);
  for (const int signal : {SIGTERM, SIGINT, SIGHUP}) {
    sigaction(signal, &action, nullptr);
  }
}

bool StopRequests::pending() {
  pollfd readable{pipeEnds[0], POLLIN, 0};
  return pipeEnds[0] != -1 && poll(&readable, 1, 0) == 1;
}

StopRequests::StopRequests(std::function<void()> stop) : stop_(std::move(stop)) {
  if (pipeEnds[0] == -1) {
    return;
  }
  notifier_ = std::make_unique<QSocketNotifier>(pipeEnds[0], QSocketNotifier::Read);
  connect(notifier_.get(), &QSocketNotifier::activated, this, [this] {
    char bytes[16];
    while (read(pipeEnds[0], bytes, sizeof bytes) > 0) {
    }
    stop_();
  });
}

}  // namespace vv
