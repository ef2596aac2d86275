#include "platform/portal/PortalRequest.h"

#include <QDBusArgument>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusServiceWatcher>
#include <QMetaObject>
#include <atomic>

namespace vv {
namespace {

const QString requestInterface = QStringLiteral("org.freedesktop.portal.Request");

}  // namespace

QString uniqueToken() {
  static std::atomic<unsigned> counter{0};
  return QStringLiteral("vizovi_vevo_%1").arg(++counter);
}

QString requestPath(const QDBusConnection& bus, const QString& token) {
  const QString sender = bus.baseService().mid(1).replace(QLatin1Char('.'), QLatin1Char('_'));
  return QStringLiteral("/org/freedesktop/portal/desktop/request/%1/%2").arg(sender, token);
}

PortalRequest::PortalRequest(QObject* owner, QDBusConnection bus,
                             std::function<void(RequestOutcome)> done)
    : QObject(owner), bus_(std::move(bus)), done_(std::move(done)) {}

void PortalRequest::start(QObject* owner, QDBusConnection bus, QDBusMessage message,
                          std::function<void(RequestOutcome)> done) {
  auto* request = new PortalRequest(owner, bus, std::move(done));
  const QString token = uniqueToken();
  QList<QVariant> arguments = message.arguments();
  QVariantMap options = arguments.isEmpty() ? QVariantMap() : arguments.takeLast().toMap();
  options.insert(QStringLiteral("handle_token"), token);
  arguments.append(options);
  message.setArguments(arguments);
  request->listen(requestPath(bus, token));

  // The portal leaving the bus ends every request still waiting for it.
  auto* watcher = new QDBusServiceWatcher(portalService, bus,
                                          QDBusServiceWatcher::WatchForUnregistration, request);
  QObject::connect(watcher, &QDBusServiceWatcher::serviceUnregistered, request,
                   [request] { request->end(CaptureFailure{}); });

  auto* call = new QDBusPendingCallWatcher(bus.asyncCall(message), request);
  QObject::connect(call, &QDBusPendingCallWatcher::finished, request,
                   [request](QDBusPendingCallWatcher* finished) {
                     const QDBusPendingReply<QDBusObjectPath> reply = *finished;
                     if (reply.isError()) {
                       request->end(CaptureFailure{});
                       return;
                     }
                     // Portals older than the handle token put the request elsewhere.
                     if (reply.value().path() != request->path_) {
                       request->listen(reply.value().path());
                     }
                   });
}

void PortalRequest::listen(const QString& path) {
  path_ = path;
  bus_.connect(portalService, path, requestInterface, QStringLiteral("Response"), this,
               SLOT(respond(QDBusMessage)));
}

void PortalRequest::respond(const QDBusMessage& response) {
  if (response.signature() != QLatin1String("ua{sv}")) {
    end(CaptureFailure{});
    return;
  }
  const QList<QVariant> arguments = response.arguments();
  const QVariantMap results = qdbus_cast<QVariantMap>(arguments.at(1));
  switch (arguments.at(0).toUInt()) {
    case 0:
      end(results);
      return;
    case 1:
    case 2:
      end(RequestRefused{});
      return;
    default:
      end(CaptureFailure{});
  }
}

void PortalRequest::end(RequestOutcome outcome) {
  if (ended_) {
    return;
  }
  ended_ = true;
  bus_.disconnect(portalService, path_, requestInterface, QStringLiteral("Response"), this,
                  SLOT(respond(QDBusMessage)));
  // Always from the event loop, so that `done` never runs inside start().
  QMetaObject::invokeMethod(
      this,
      [this, outcome = std::move(outcome)]() mutable {
        done_(std::move(outcome));
        deleteLater();
      },
      Qt::QueuedConnection);
}

}  // namespace vv
