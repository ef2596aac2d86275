#pragma once

#include <functional>

namespace vv {

// Ends the run through `lost` when the toolkit gives up on its display: Qt's X11 and Wayland
// plugins call exit(1) once their connection breaks, and Xlib (which Qt's X11 plugin also
// holds) prints a "fatal IO error" on standard error first. While an instance lives, Xlib's fatal
// IO error and any exit() call `lost` instead, which is expected to end the process itself.
// Create it once the QGuiApplication is up (Qt installs its own Xlib handler while starting),
// after the object `lost` refers to, on the main thread.
class LostDisplayGuard {
 public:
  explicit LostDisplayGuard(std::function<void()> lost);
  ~LostDisplayGuard();
  LostDisplayGuard(const LostDisplayGuard&) = delete;
  LostDisplayGuard& operator=(const LostDisplayGuard&) = delete;
};

// Ends the run as a lost display does, at once: for a toolkit that says its connection broke
// and will then leave by a way that runs no exit handler. Exits with 1 when no guard is armed.
[[noreturn]] void endForLostDisplay();

}  // namespace vv
