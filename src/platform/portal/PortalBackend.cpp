#include "platform/portal/PortalBackend.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusVariant>
#include <QDir>
#include <QFileInfo>
#include <memory>

#include "platform/FullScreenPlacement.h"
#include "platform/QtScreenLocator.h"
#include "platform/portal/PortalCaptureService.h"
#include "platform/portal/PortalConsent.h"
#include "platform/portal/PortalRequest.h"

namespace vv {
namespace {

constexpr uint monitorSourceType = 1;
// A portal that is already running answers in a few milliseconds; one that the bus has to start
// first is given a little longer, and is then not waited for.
constexpr int probeTimeoutMs = 1500;

// Without an address libdbus would try to launch a bus of its own.
bool sessionBusConfigured() {
  if (!qEnvironmentVariableIsEmpty("DBUS_SESSION_BUS_ADDRESS")) {
    return true;
  }
  const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
  return !runtime.isEmpty() && QFileInfo::exists(QDir(runtime).filePath(QStringLiteral("bus")));
}

bool offersMonitors(const QDBusConnection& bus) {
  QDBusMessage get = QDBusMessage::createMethodCall(
      portalService, portalPath, QStringLiteral("org.freedesktop.DBus.Properties"),
      QStringLiteral("Get"));
  get.setArguments({QStringLiteral("org.freedesktop.portal.ScreenCast"),
                    QStringLiteral("AvailableSourceTypes")});
  const QDBusMessage reply = bus.call(get, QDBus::Block, probeTimeoutMs);
  if (reply.type() != QDBusMessage::ReplyMessage || reply.signature() != QLatin1String("v")) {
    return false;
  }
  const QVariant types = reply.arguments().at(0).value<QDBusVariant>().variant();
  return types.metaType() == QMetaType::fromType<uint>() && (types.toUInt() & monitorSourceType);
}

}  // namespace

BackendProbe probePortalBackend() {
  if (!sessionBusConfigured()) {
    return BackendUnavailable{};
  }
  const QDBusConnection bus = QDBusConnection::sessionBus();
  if (!bus.isConnected() || !offersMonitors(bus)) {
    return BackendUnavailable{};
  }
  auto consent = std::make_shared<PortalConsent>();
  DisplayBackend backend;
  backend.name = "portal";
  // No program learns where the pointer is on these desktops: the screen is the one the user
  // picks in the portal's dialog, and until then the primary one.
  backend.screens = std::make_unique<QtScreenLocator>([] { return std::optional<QString>(); });
  backend.permission = std::make_unique<PortalCapturePermission>(consent);
  backend.capture = std::make_unique<PortalCaptureService>(bus, consent);
  backend.placement = std::make_unique<FullScreenPlacement>();
  return backend;
}

}  // namespace vv
