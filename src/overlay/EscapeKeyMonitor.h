#pragma once

#include <QObject>
#include <functional>

namespace vv {

// Watches every key press the application receives while it exists. Escape is consumed (it
// reaches no window or widget) and runs the callback; every other key goes on as usual.
// Destroying the monitor uninstalls it; the callback may do so.
class EscapeKeyMonitor : public QObject {
  Q_OBJECT

 public:
  // Needs a running QCoreApplication; installs itself on it.
  explicit EscapeKeyMonitor(std::function<void()> onEscape);
  ~EscapeKeyMonitor() override;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  std::function<void()> onEscape_;
};

}  // namespace vv
