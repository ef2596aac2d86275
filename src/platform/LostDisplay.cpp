#include "platform/LostDisplay.h"

#include <X11/Xlib.h>

#include <cstdlib>
#include <utility>

namespace vv {
namespace {

std::function<void()>& armed() {
  static std::function<void()> lost;
  return lost;
}

void runArmed() {
  // Taken out first: whatever `lost` does, it runs once.
  const std::function<void()> lost = std::exchange(armed(), nullptr);
  if (lost) {
    lost();
  }
}

extern "C" void exitingWithDisplay() { runArmed(); }

extern "C" int xlibLostConnection(Display*) {
  runArmed();
  // Xlib exits when this returns; the exit handler has nothing left to run.
  return 0;
}

}  // namespace

LostDisplayGuard::LostDisplayGuard(std::function<void()> lost) {
  // Exit handlers run in the reverse order of their registration: the stored function is built
  // first, so that it is destroyed only after the handler that reads it has run.
  armed() = std::move(lost);
  static const bool registered = std::atexit(exitingWithDisplay) == 0;
  if (!registered) {
    armed() = nullptr;
  }
  XSetIOErrorHandler(xlibLostConnection);
}

LostDisplayGuard::~LostDisplayGuard() { armed() = nullptr; }

void endForLostDisplay() {
  runArmed();
  std::exit(1);
}

}  // namespace vv
