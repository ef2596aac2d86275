#pragma once

#include <QPointer>
#include <QWidget>

#include "services/Screen.h"
#include "services/WindowPlacement.h"

namespace vv {

// The picker's top-level window: borderless, above other windows, near-black. It accepts the
// keyboard focus, so that its Cancel button can hold it and key presses reach the program.
// Closing it hides it without deleting it; whoever holds it decides when it goes.
class ScanWindow : public QWidget {
  Q_OBJECT

 public:
  ScanWindow();

  // The widget that receives the keyboard focus when the window is presented.
  void setFirstResponder(QWidget* widget) { firstResponder_ = widget; }

  // Covers the whole of the screen, above everything else, the way the desktop's placement asks
  // for it, then focuses the first responder.
  void present(WindowPlacement& placement, const ScreenInfo& screen);

 private:
  QPointer<QWidget> firstResponder_;
};

}  // namespace vv
