#pragma once

#include <QObject>
#include <QSocketNotifier>
#include <functional>
#include <memory>

namespace vv {

// SIGTERM, SIGINT and SIGHUP as requests to stop, delivered on the main thread's event loop.
// `catchStopSignals` installs the handlers as early as possible; a signal that arrives before the
// event loop runs waits for it. Each signal only writes a byte to a pipe: the handlers touch no
// other state.
void catchStopSignals();

class StopRequests : public QObject {
 public:
  // Calls `stop` from the event loop for a request that arrived since `catchStopSignals`, before
  // this object existed or after. Needs a QCoreApplication.
  explicit StopRequests(std::function<void()> stop);

  // Whether a request is waiting; does not consume it.
  static bool pending();

 private:
  std::function<void()> stop_;
  std::unique_ptr<QSocketNotifier> notifier_;
};

}  // namespace vv
