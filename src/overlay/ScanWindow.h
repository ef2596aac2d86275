#pragma once

#include <QPointer>
#include <QRect>
#include <QScreen>
#include <QWidget>

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

  // Covers the whole of `geometry` (the screen's full rectangle in the toolkit's global
  // coordinates) on `screen` (none for screens the toolkit does not know), then shows, raises
  // and activates the window and focuses the first responder.
  void present(QScreen* screen, const QRect& geometry);

 private:
  QPointer<QWidget> firstResponder_;
};

}  // namespace vv
