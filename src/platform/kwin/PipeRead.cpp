#include "platform/kwin/PipeRead.h"

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <cerrno>

namespace vv {

UniqueFd::~UniqueFd() {
  if (fd_ >= 0) {
    ::close(fd_);
  }
}

UniqueFd& UniqueFd::operator=(UniqueFd&& other) noexcept {
  if (this != &other) {
    UniqueFd doomed(release());
    fd_ = other.release();
  }
  return *this;
}

std::optional<PipeEnds> makePipe() {
  int fds[2];
  if (::pipe2(fds, O_CLOEXEC) != 0) {
    return std::nullopt;
  }
  PipeEnds ends{UniqueFd(fds[0]), UniqueFd(fds[1])};
  // A larger buffer lets the writer hand over a whole screen in fewer wake-ups; the default
  // size still works when the system refuses.
  ::fcntl(ends.read.get(), F_SETPIPE_SZ, 1 << 20);
  return ends;
}

std::optional<QByteArray> readExactlyToEnd(const UniqueFd& readEnd, qsizetype expected,
                                           std::chrono::milliseconds budget) {
  using Clock = std::chrono::steady_clock;
  const Clock::time_point deadline = Clock::now() + budget;
  // One spare byte tells a writer that sends too much from one that sends just enough.
  QByteArray bytes(expected + 1, Qt::Uninitialized);
  qsizetype filled = 0;
  while (true) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    if (left <= 0) {
      return std::nullopt;
    }
    pollfd waiting{readEnd.get(), POLLIN, 0};
    const int ready = ::poll(&waiting, 1, int(left));
    if (ready < 0 && errno == EINTR) {
      continue;
    }
    if (ready <= 0) {
      return std::nullopt;
    }
    const ssize_t got = ::read(readEnd.get(), bytes.data() + filled, size_t(bytes.size() - filled));
    if (got < 0 && (errno == EINTR || errno == EAGAIN)) {
      continue;
    }
    if (got < 0) {
      return std::nullopt;
    }
    if (got == 0) {
      break;
    }
    filled += got;
    if (filled > expected) {
      return std::nullopt;
    }
  }
  if (filled != expected) {
    return std::nullopt;
  }
  bytes.truncate(expected);
  return bytes;
}

}  // namespace vv
