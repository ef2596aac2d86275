#include "platform/kwin/KWinDBus.h"

#include <QDBusMessage>
#include <QDBusUnixFileDescriptor>
#include <QVariantMap>
#include <utility>

namespace vv {
namespace {

const QString kwinService = QStringLiteral("org.kde.KWin");
const QString screenShotPath = QStringLiteral("/org/kde/KWin/ScreenShot2");
const QString screenShotInterface = QStringLiteral("org.kde.KWin.ScreenShot2");

QDBusMessage screenShotCall(const QString& method, const QVariantList& arguments) {
  QDBusMessage call =
      QDBusMessage::createMethodCall(kwinService, screenShotPath, screenShotInterface, method);
  call.setAutoStartService(false);
  call.setArguments(arguments);
  return call;
}

// The descriptor duplicates the write end into the message; this process's own copy is closed
// here, so that the reader sees the end of the pixels once KWin and the sent message let go.
QVariant passedOn(UniqueFd writeEnd) {
  const QDBusUnixFileDescriptor descriptor(writeEnd.get());
  return QVariant::fromValue(descriptor);
}

}  // namespace

KWinDBus::KWinDBus(QDBusConnection bus, std::chrono::milliseconds callTimeout)
    : bus_(std::move(bus)), callTimeout_(callTimeout) {}

KWinDBus::ScreenShotAccess KWinDBus::screenShotAccess() const {
  if (!bus_.isConnected() ||
      !(bus_.connectionCapabilities() & QDBusConnection::UnixFileDescriptorPassing)) {
    return ScreenShotAccess::Absent;
  }
  std::optional<PipeEnds> pipe = makePipe();
  if (!pipe) {
    return ScreenShotAccess::Absent;
  }
  const QDBusMessage reply =
      bus_.call(screenShotCall(QStringLiteral("CaptureWindow"),
                               {QStringLiteral("{00000000-0000-0000-0000-000000000000}"),
                                QVariantMap(), passedOn(std::move(pipe->write))}),
                QDBus::Block, int(callTimeout_.count()));
  const QString error = reply.errorName();
  if (error == screenShotInterface + QStringLiteral(".Error.InvalidWindow")) {
    return ScreenShotAccess::Granted;
  }
  if (error == screenShotInterface + QStringLiteral(".Error.NoAuthorized")) {
    return ScreenShotAccess::Refused;
  }
  return ScreenShotAccess::Absent;
}

std::optional<QString> KWinDBus::activeOutputName() const {
  QDBusMessage call = QDBusMessage::createMethodCall(kwinService, QStringLiteral("/KWin"),
                                                     QStringLiteral("org.kde.KWin"),
                                                     QStringLiteral("activeOutputName"));
  call.setAutoStartService(false);
  const QDBusMessage reply = bus_.call(call, QDBus::Block, int(callTimeout_.count()));
  const QVariantList arguments = reply.arguments();
  if (reply.type() != QDBusMessage::ReplyMessage || arguments.size() != 1 ||
      arguments.front().metaType() != QMetaType::fromType<QString>()) {
    return std::nullopt;
  }
  return arguments.front().toString();
}

QDBusPendingCall KWinDBus::captureScreen(const QString& output, UniqueFd writeEnd,
                                         std::chrono::milliseconds timeout) const {
  const QVariantMap options{{QStringLiteral("native-resolution"), true},
                            {QStringLiteral("include-cursor"), false}};
  return bus_.asyncCall(screenShotCall(QStringLiteral("CaptureScreen"),
                                       {output, options, passedOn(std::move(writeEnd))}),
                        int(timeout.count()));
}

}  // namespace vv
