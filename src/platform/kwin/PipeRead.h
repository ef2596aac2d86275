#pragma once

#include <QByteArray>
#include <chrono>
#include <optional>

namespace vv {

// A file descriptor owned by one object and closed with it.
class UniqueFd {
 public:
  UniqueFd() = default;
  explicit UniqueFd(int fd) : fd_(fd) {}
  ~UniqueFd();
  UniqueFd(UniqueFd&& other) noexcept : fd_(other.release()) {}
  UniqueFd& operator=(UniqueFd&& other) noexcept;
  UniqueFd(const UniqueFd&) = delete;
  UniqueFd& operator=(const UniqueFd&) = delete;

  int get() const { return fd_; }
  int release() {
    const int fd = fd_;
    fd_ = -1;
    return fd;
  }

 private:
  int fd_ = -1;
};

struct PipeEnds {
  UniqueFd read;
  UniqueFd write;
};

// A pipe whose ends are closed on exec; none when the system refuses one.
std::optional<PipeEnds> makePipe();

// Everything written to the pipe until its last writer closes it: exactly `expected` bytes, or
// none when the writers stop short, send more, or take longer than `budget` in all.
std::optional<QByteArray> readExactlyToEnd(const UniqueFd& readEnd, qsizetype expected,
                                           std::chrono::milliseconds budget);

}  // namespace vv
