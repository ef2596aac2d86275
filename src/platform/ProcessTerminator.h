#pragma once

#include "services/PlatformServices.h"

namespace vv {

// Ends the process at once with status 0. Nothing runs after it (no destructors, no exit
// handlers), so nothing can write after the terminal status line.
class ProcessTerminator : public Terminator {
 public:
  [[noreturn]] void terminate() override;
};

}  // namespace vv
