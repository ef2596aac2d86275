#pragma once

#include "services/PlatformServices.h"

namespace vv {

// Writes straight to a file descriptor (standard output by default), with no buffering in the
// process. A reader that went away is not an error: the bytes are dropped.
class FdStatusOutput : public StatusOutput {
 public:
  explicit FdStatusOutput(int fd = 1);
  void write(std::string_view bytes) override;

 private:
  int fd_;
};

}  // namespace vv
