#include "platform/StandardStreams.h"

#include <fcntl.h>
#include <unistd.h>

namespace vv {

void openMissingStandardStreams() {
  for (int fd = 0; fd <= 2; ++fd) {
    if (fcntl(fd, F_GETFD) != -1) {
      continue;
    }
    // open() returns the lowest free descriptor, which is this one: the lower ones are open.
    const int opened = open("/dev/null", O_RDWR);
    if (opened != fd && opened != -1) {
      close(opened);
      return;
    }
  }
}

}  // namespace vv
