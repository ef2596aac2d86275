#pragma once

#include <QDBusConnection>
#include <QDBusMessage>
#include <QObject>
#include <QString>
#include <QVariant>
#include <QVariantMap>
#include <functional>
#include <variant>

#include "services/CaptureService.h"

namespace vv {

// The user cancelled the portal's dialog, or the desktop refused the request.
struct RequestRefused {};

// A request's results, a refusal, or any other failure (an error reply, a portal that left the
// bus, a Response of the wrong shape).
using RequestOutcome = std::variant<QVariantMap, RequestRefused, CaptureFailure>;

inline const QString portalService = QStringLiteral("org.freedesktop.portal.Desktop");
inline const QString portalPath = QStringLiteral("/org/freedesktop/portal/desktop");

// A fresh token for a request or session handle of this process.
QString uniqueToken();

// The object path of the request the portal makes for `token` on behalf of this connection.
QString requestPath(const QDBusConnection& bus, const QString& token);

// One portal call that answers through an org.freedesktop.portal.Request object. The Response
// signal is subscribed to on the predicted path before the call goes out, so that an answer given
// at once is not lost. `done` runs exactly once, on the thread of the connection's event loop,
// never inside start(); the request deletes itself afterwards, or with `owner` before that, and
// then `done` never runs.
class PortalRequest : public QObject {
  Q_OBJECT

 public:
  // `message` must end with the options map; the handle token is added to it here.
  static void start(QObject* owner, QDBusConnection bus, QDBusMessage message,
                    std::function<void(RequestOutcome)> done);

 public Q_SLOTS:
  void respond(const QDBusMessage& response);

 private:
  PortalRequest(QObject* owner, QDBusConnection bus, std::function<void(RequestOutcome)> done);
  void listen(const QString& path);
  void end(RequestOutcome outcome);

  QDBusConnection bus_;
  std::function<void(RequestOutcome)> done_;
  QString path_;
  bool ended_ = false;
};

}  // namespace vv
