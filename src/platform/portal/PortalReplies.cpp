#include "platform/portal/PortalReplies.h"

#include <QDBusArgument>
#include <QDBusObjectPath>
#include <QMetaType>
#include <QPoint>
#include <QSize>

namespace vv {
namespace {

bool isArgument(const QVariant& value, const char* signature) {
  return value.metaType() == QMetaType::fromType<QDBusArgument>() &&
         value.value<QDBusArgument>().currentSignature() == QLatin1String(signature);
}

// A (ii) value, or none for anything else.
std::optional<std::pair<int, int>> integerPair(const QVariant& value) {
  if (!isArgument(value, "(ii)")) {
    return std::nullopt;
  }
  const QDBusArgument argument = value.value<QDBusArgument>();
  int first = 0;
  int second = 0;
  argument.beginStructure();
  argument >> first >> second;
  argument.endStructure();
  return std::pair{first, second};
}

}  // namespace

std::optional<QString> sessionHandleOf(const QVariantMap& results) {
  const QVariant handle = results.value(QStringLiteral("session_handle"));
  if (handle.metaType() == QMetaType::fromType<QString>()) {
    return handle.toString();
  }
  if (handle.metaType() == QMetaType::fromType<QDBusObjectPath>()) {
    return handle.value<QDBusObjectPath>().path();
  }
  return std::nullopt;
}

std::optional<std::vector<PortalStream>> streamsOf(const QVariantMap& results) {
  const QVariant value = results.value(QStringLiteral("streams"));
  if (!isArgument(value, "a(ua{sv})")) {
    return std::nullopt;
  }
  const QDBusArgument argument = value.value<QDBusArgument>();
  std::vector<PortalStream> streams;
  argument.beginArray();
  while (!argument.atEnd()) {
    PortalStream stream;
    QVariantMap properties;
    argument.beginStructure();
    argument >> stream.node >> properties;
    argument.endStructure();
    const QVariant position = properties.value(QStringLiteral("position"));
    const QVariant size = properties.value(QStringLiteral("size"));
    const auto corner = integerPair(position);
    const auto extent = integerPair(size);
    if ((position.isValid() && !corner) || (size.isValid() && !extent)) {
      return std::nullopt;
    }
    if (corner && extent) {
      stream.area =
          QRect(QPoint(corner->first, corner->second), QSize(extent->first, extent->second));
    }
    streams.push_back(stream);
  }
  argument.endArray();
  return streams;
}

}  // namespace vv
