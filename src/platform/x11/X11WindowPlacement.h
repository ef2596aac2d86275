#pragma once

#include "services/WindowPlacement.h"

namespace vv {

// Full screen the EWMH way on the window's own monitor, whatever the window manager: a tiling one
// would otherwise lay the window out below its bar, a stacking one leave its panel on top. The
// window also stays above every other window, on every desktop, out of the taskbar and the pager.
class X11WindowPlacement : public WindowPlacement {
 public:
  void present(QWidget& window, const ScreenInfo& screen) override;
};

}  // namespace vv
