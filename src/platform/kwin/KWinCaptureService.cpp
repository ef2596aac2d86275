#include "platform/kwin/KWinCaptureService.h"

#include <QDBusArgument>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QGuiApplication>
#include <QScreen>
#include <QTimer>
#include <algorithm>
#include <memory>
#include <new>
#include <utility>

#include "capture/BackgroundTask.h"
#include "platform/kwin/RawFrame.h"

namespace vv {
namespace {

std::optional<QVariantMap> replyMap(const QDBusMessage& reply) {
  const QVariantList arguments = reply.arguments();
  if (reply.type() != QDBusMessage::ReplyMessage || arguments.size() != 1 ||
      !arguments.front().canConvert<QDBusArgument>()) {
    return std::nullopt;
  }
  return qdbus_cast<QVariantMap>(arguments.front().value<QDBusArgument>());
}

ScreenshotOutcome readFrame(const UniqueFd& readEnd, const RawFrameLayout& layout, QSize size,
                            std::chrono::milliseconds budget) {
  try {
    std::optional<QByteArray> bytes = readExactlyToEnd(readEnd, layout.byteCount(), budget);
    if (!bytes) {
      return CaptureFailure{};
    }
    std::optional<QImage> image = decodeRawFrame(layout, std::move(*bytes));
    if (!image) {
      return CaptureFailure{};
    }
    if (image->size() == size) {
      return std::move(*image);
    }
    QImage scaled = image->scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    if (scaled.isNull()) {
      return CaptureFailure{};
    }
    return scaled;
  } catch (const std::bad_alloc&) {
    return CaptureFailure{};
  }
}

}  // namespace

KWinCaptureService::KWinCaptureService(KWinDBus kwin, KWinCaptureTimeouts timeouts)
    : kwin_(std::move(kwin)), timeouts_(timeouts) {}

void KWinCaptureService::shareableContent(std::function<void(ContentOutcome)> done) {
  displays_.clear();
  DisplayId next = 0;
  for (const QScreen* screen : QGuiApplication::screens()) {
    const QRect geometry = screen->geometry();
    const double scale = screen->devicePixelRatio();
    displays_.push_back(DisplayRecord{
        next++, screen->name(),
        QRect(QPoint(qRound(geometry.x() * scale), qRound(geometry.y() * scale)),
              QSize(qRound(geometry.width() * scale), qRound(geometry.height() * scale)))});
  }
  QTimer::singleShot(0, &context_,
                     [displays = displays_, done = std::move(done)] { done(displays); });
}

std::optional<DisplayId> KWinCaptureService::screenNumber(const ScreenInfo& screen) {
  const auto found =
      std::find_if(displays_.begin(), displays_.end(),
                   [&](const DisplayRecord& display) { return display.name == screen.name; });
  if (found == displays_.end()) {
    return std::nullopt;
  }
  return found->displayID;
}

void KWinCaptureService::screenshot(const DisplayRecord& display, QSize size,
                                    std::function<void(ScreenshotOutcome)> done) {
  std::optional<PipeEnds> pipe = makePipe();
  if (!pipe || size.isEmpty()) {
    QTimer::singleShot(0, &context_, [done = std::move(done)] { done(CaptureFailure{}); });
    return;
  }
  auto readEnd = std::make_shared<UniqueFd>(std::move(pipe->read));
  auto* watcher = new QDBusPendingCallWatcher(
      kwin_.captureScreen(display.name, std::move(pipe->write), timeouts_.reply), &context_);
  QObject::connect(
      watcher, &QDBusPendingCallWatcher::finished, &context_,
      [this, watcher, readEnd, size, done = std::move(done)] {
        // The call keeps the message it sent, and with it a copy of the pipe's write end: the
        // reader sees the end of the pixels only once the watcher is gone.
        watcher->deleteLater();
        const std::optional<QVariantMap> reply = replyMap(watcher->reply());
        const std::optional<RawFrameLayout> layout = reply ? rawFrameLayout(*reply) : std::nullopt;
        if (!layout) {
          done(CaptureFailure{});
          return;
        }
        runInBackground(
            &context_,
            [readEnd, layout = *layout, size, budget = timeouts_.pixels] {
              return readFrame(*readEnd, layout, size, budget);
            },
            [done](const QFuture<ScreenshotOutcome>& finished) { done(finished.result()); });
      });
}

}  // namespace vv
