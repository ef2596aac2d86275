#pragma once

#include "services/WindowPlacement.h"

namespace vv {

// The toolkit's own full-screen request on the window's screen: on Wayland, xdg-shell's
// set_fullscreen on that screen's output, and activation with the launcher's token when the
// launcher passed one (XDG_ACTIVATION_TOKEN).
class FullScreenPlacement : public WindowPlacement {
 public:
  void present(QWidget& window, const ScreenInfo& screen) override;
};

}  // namespace vv
