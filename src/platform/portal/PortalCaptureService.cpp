#include "platform/portal/PortalCaptureService.h"

#include <fcntl.h>

#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusUnixFileDescriptor>
#include <QFuture>
#include <utility>

#include "capture/BackgroundTask.h"
#include "platform/portal/PipeWireFrameGrab.h"
#include "platform/portal/PortalRequest.h"
#include "platform/portal/StreamScreen.h"

namespace vv {
namespace {

const QString screenCastInterface = QStringLiteral("org.freedesktop.portal.ScreenCast");

constexpr uint monitorSources = 1;
constexpr uint hiddenCursor = 1;
constexpr uint persistNothing = 0;

QDBusMessage screenCastCall(const QString& method, const QList<QVariant>& arguments) {
  QDBusMessage message =
      QDBusMessage::createMethodCall(portalService, portalPath, screenCastInterface, method);
  message.setArguments(arguments);
  return message;
}

// The grabbed frame at the size the caller asked for; scaling happens on the pool thread.
std::optional<QImage> frameAtSize(int remoteFd, std::uint32_t node, QSize size,
                                  std::chrono::milliseconds timeout) {
  std::optional<QImage> frame = grabFirstFrame(remoteFd, node, timeout);
  if (frame && frame->size() != size) {
    frame = frame->scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
  }
  return frame;
}

}  // namespace

PortalCaptureService::PortalCaptureService(QDBusConnection bus,
                                           std::shared_ptr<PortalConsent> consent,
                                           std::chrono::milliseconds frameTimeout)
    : bus_(std::move(bus)), consent_(std::move(consent)), frameTimeout_(frameTimeout) {}

PortalCaptureService::~PortalCaptureService() { closeSession(); }

void PortalCaptureService::shareableContent(std::function<void(ContentOutcome)> done) {
  closeSession();
  streams_.clear();
  const QVariantMap options{{QStringLiteral("session_handle_token"), uniqueToken()}};
  PortalRequest::start(&context_, bus_, screenCastCall(QStringLiteral("CreateSession"), {options}),
                       [this, done = std::move(done)](RequestOutcome outcome) {
                         const auto* results = std::get_if<QVariantMap>(&outcome);
                         session_ = results ? sessionHandleOf(*results) : std::nullopt;
                         if (!session_) {
                           contentFailed(std::holds_alternative<RequestRefused>(outcome), done);
                           return;
                         }
                         selectSources(done);
                       });
}

void PortalCaptureService::selectSources(std::function<void(ContentOutcome)> done) {
  const QVariantMap options{{QStringLiteral("types"), monitorSources},
                            {QStringLiteral("multiple"), false},
                            {QStringLiteral("cursor_mode"), hiddenCursor},
                            {QStringLiteral("persist_mode"), persistNothing}};
  PortalRequest::start(&context_, bus_,
                       screenCastCall(QStringLiteral("SelectSources"),
                                      {QVariant::fromValue(QDBusObjectPath(*session_)), options}),
                       [this, done = std::move(done)](RequestOutcome outcome) {
                         if (!std::holds_alternative<QVariantMap>(outcome)) {
                           contentFailed(std::holds_alternative<RequestRefused>(outcome), done);
                           return;
                         }
                         startStreams(done);
                       });
}

void PortalCaptureService::startStreams(std::function<void(ContentOutcome)> done) {
  // The portal's dialog shows during Start; it closes before the Response arrives.
  PortalRequest::start(
      &context_, bus_,
      screenCastCall(QStringLiteral("Start"),
                     {QVariant::fromValue(QDBusObjectPath(*session_)), QString(), QVariantMap()}),
      [this, done = std::move(done)](RequestOutcome outcome) {
        const auto* results = std::get_if<QVariantMap>(&outcome);
        const auto streams = results ? streamsOf(*results) : std::nullopt;
        if (!streams || streams->empty()) {
          contentFailed(std::holds_alternative<RequestRefused>(outcome), done);
          return;
        }
        consent_->record(PortalConsent::Answer::NotRefused);
        streams_ = *streams;
        std::vector<DisplayRecord> displays;
        for (const PortalStream& stream : streams_) {
          displays.push_back(DisplayRecord{stream.node, QString(), stream.area.value_or(QRect())});
        }
        done(std::move(displays));
      });
}

void PortalCaptureService::contentFailed(bool refused,
                                         const std::function<void(ContentOutcome)>& done) {
  consent_->record(refused ? PortalConsent::Answer::Refused : PortalConsent::Answer::NotRefused);
  closeSession();
  done(CaptureFailure{});
}

std::optional<DisplayId> PortalCaptureService::screenNumber(const ScreenInfo&) {
  if (streams_.empty()) {
    return std::nullopt;
  }
  return streams_.front().node;
}

std::optional<ScreenInfo> PortalCaptureService::screenShown(const DisplayRecord& display) {
  for (const PortalStream& stream : streams_) {
    if (stream.node == display.displayID) {
      return screenShowing(stream.area, screens_.screens(), screens_.mainScreen());
    }
  }
  return std::nullopt;
}

void PortalCaptureService::screenshot(const DisplayRecord& display, QSize size,
                                      std::function<void(ScreenshotOutcome)> done) {
  if (!session_) {
    QMetaObject::invokeMethod(
        &context_, [done = std::move(done)] { done(CaptureFailure{}); }, Qt::QueuedConnection);
    return;
  }
  auto* call = new QDBusPendingCallWatcher(
      bus_.asyncCall(
          screenCastCall(QStringLiteral("OpenPipeWireRemote"),
                         {QVariant::fromValue(QDBusObjectPath(*session_)), QVariantMap()})),
      &context_);
  const std::uint32_t node = display.displayID;
  const std::chrono::milliseconds timeout = frameTimeout_;
  QObject::connect(
      call, &QDBusPendingCallWatcher::finished, &context_,
      [this, node, size, timeout, done = std::move(done)](QDBusPendingCallWatcher* finished) {
        finished->deleteLater();
        const QDBusPendingReply<QDBusUnixFileDescriptor> reply = *finished;
        // The reply keeps its own descriptor; the stream gets a copy it can close.
        const int remoteFd = reply.isError() || !reply.value().isValid()
                                 ? -1
                                 : fcntl(reply.value().fileDescriptor(), F_DUPFD_CLOEXEC, 0);
        if (remoteFd < 0) {
          closeSession();
          done(CaptureFailure{});
          return;
        }
        runInBackground(
            &context_,
            [remoteFd, node, size, timeout] { return frameAtSize(remoteFd, node, size, timeout); },
            [this, done](const QFuture<std::optional<QImage>>& grab) {
              closeSession();
              std::optional<QImage> frame;
              try {
                frame = grab.result();
              } catch (...) {
                frame.reset();
              }
              if (frame) {
                done(std::move(*frame));
              } else {
                done(CaptureFailure{});
              }
            });
      });
}

void PortalCaptureService::closeSession() {
  if (!session_) {
    return;
  }
  bus_.asyncCall(QDBusMessage::createMethodCall(portalService, *session_,
                                                QStringLiteral("org.freedesktop.portal.Session"),
                                                QStringLiteral("Close")));
  session_.reset();
}

}  // namespace vv
