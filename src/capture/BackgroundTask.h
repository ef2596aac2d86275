#pragma once

#include <QFuture>
#include <QFutureWatcher>
#include <QObject>
#include <QtConcurrent/QtConcurrentRun>
#include <type_traits>
#include <utility>

namespace vv {

// Runs `work` on a thread of the shared pool, then `deliver` with the finished future in the
// thread of `context`, always later through its event loop, never inside this call. Nothing is
// delivered once `context` is gone; the work itself still runs to its end, so it must own
// everything it touches. An exception thrown by `work` reaches `deliver` through the future.
template <typename Work, typename Deliver>
void runInBackground(QObject* context, Work work, Deliver deliver) {
  using Result = std::invoke_result_t<Work>;
  auto* watcher = new QFutureWatcher<Result>(context);
  QObject::connect(
      watcher, &QFutureWatcherBase::finished, context,
      [watcher, deliver = std::move(deliver)]() mutable {
        watcher->deleteLater();
        deliver(watcher->future());
      },
      Qt::QueuedConnection);
  watcher->setFuture(QtConcurrent::run(std::move(work)));
}

}  // namespace vv
