#include "overlay/ScanWindow.h"

#include <QPalette>

namespace vv {

ScanWindow::ScanWindow() : QWidget(nullptr, Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint) {
  setWindowTitle(QStringLiteral("Call from screen"));
  setAttribute(Qt::WA_DeleteOnClose, false);
  QPalette background = palette();
  background.setColor(QPalette::Window, QColor::fromRgbF(0.08f, 0.08f, 0.08f));
  setPalette(background);
  setAutoFillBackground(true);
}

void ScanWindow::present(WindowPlacement& placement, const ScreenInfo& screen) {
  placement.present(*this, screen);
  if (firstResponder_) {
    firstResponder_->setFocus(Qt::ActiveWindowFocusReason);
  }
}

}  // namespace vv
