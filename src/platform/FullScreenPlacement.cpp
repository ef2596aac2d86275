#include "platform/FullScreenPlacement.h"

namespace vv {

void FullScreenPlacement::present(QWidget& window, const ScreenInfo& screen) {
  // The screen must be set before the native window exists: the full-screen request names the
  // output of the window's screen at that moment.
  if (screen.qscreen) {
    window.setScreen(screen.qscreen);
  }
  window.setGeometry(screen.geometry);
  window.showFullScreen();
  window.raise();
  window.activateWindow();
}

}  // namespace vv
