#pragma once

#include <QWidget>

#include "services/Screen.h"

namespace vv {

// How a top-level window is laid over one whole screen, above everything else, with the keyboard.
// Each desktop asks for that in its own way; the window itself does not know which one runs.
class WindowPlacement {
 public:
  virtual ~WindowPlacement() = default;
  // Shows `window` full screen on `screen`, raised and activated. Called on the main thread,
  // before the window was ever shown.
  virtual void present(QWidget& window, const ScreenInfo& screen) = 0;
};

}  // namespace vv
