#include "platform/FdStatusOutput.h"

#include <unistd.h>

#include <cerrno>

namespace vv {

FdStatusOutput::FdStatusOutput(int fd) : fd_(fd) {}

void FdStatusOutput::write(std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t written = ::write(fd_, bytes.data(), bytes.size());
    if (written < 0) {
      if (errno == EINTR) {
        continue;
      }
      // EPIPE (the companion closed its end) and every other failure: nobody is left to tell.
      return;
    }
    bytes.remove_prefix(static_cast<std::size_t>(written));
  }
}

}  // namespace vv
