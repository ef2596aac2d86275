#include "overlay/EscapeKeyMonitor.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <utility>

namespace vv {

EscapeKeyMonitor::EscapeKeyMonitor(std::function<void()> onEscape)
    : onEscape_(std::move(onEscape)) {
  QCoreApplication::instance()->installEventFilter(this);
}

EscapeKeyMonitor::~EscapeKeyMonitor() {
  if (QCoreApplication* application = QCoreApplication::instance()) {
    application->removeEventFilter(this);
  }
}

bool EscapeKeyMonitor::eventFilter(QObject*, QEvent* event) {
  const QEvent::Type type = event->type();
  if ((type != QEvent::KeyPress && type != QEvent::ShortcutOverride) ||
      static_cast<QKeyEvent*>(event)->key() != Qt::Key_Escape) {
    return false;
  }
  if (type == QEvent::ShortcutOverride) {
    // Claiming the key here keeps shortcuts bound to Escape (the Cancel button's) from taking it
    // first, so the key press itself arrives, and arrives here.
    event->accept();
    return true;
  }
  // The callback may destroy this monitor: run a copy and touch no member afterwards.
  const std::function<void()> onEscape = onEscape_;
  if (onEscape) {
    onEscape();
  }
  return true;
}

}  // namespace vv
