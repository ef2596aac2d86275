#include "platform/kwin/RawFrame.h"

#include <QPixelFormat>
#include <limits>
#include <memory>
#include <utility>

namespace vv {
namespace {

constexpr qint64 maxSide = 32767;
// Beyond any screen this program would capture; keeps a lying reply from asking for gigabytes.
constexpr qint64 maxBytes = qint64(1) << 30;

std::optional<qint64> unsignedField(const QVariantMap& reply, const QString& key) {
  const QVariant value = reply.value(key);
  bool ok = false;
  const qulonglong number = value.toULongLong(&ok);
  if (!ok || number > qulonglong(std::numeric_limits<qint64>::max())) {
    return std::nullopt;
  }
  return qint64(number);
}

bool isDirectColour(qint64 format) {
  if (format <= QImage::Format_Invalid || format >= QImage::NImageFormats) {
    return false;
  }
  // Palette formats would need a colour table that the reply does not carry.
  return format != QImage::Format_Mono && format != QImage::Format_MonoLSB &&
         format != QImage::Format_Indexed8;
}

}  // namespace

std::optional<RawFrameLayout> rawFrameLayout(const QVariantMap& reply) {
  if (reply.value(QStringLiteral("type")).toString() != QStringLiteral("raw")) {
    return std::nullopt;
  }
  const auto format = unsignedField(reply, QStringLiteral("format"));
  const auto width = unsignedField(reply, QStringLiteral("width"));
  const auto height = unsignedField(reply, QStringLiteral("height"));
  const auto stride = unsignedField(reply, QStringLiteral("stride"));
  if (!format || !width || !height || !stride || !isDirectColour(*format)) {
    return std::nullopt;
  }
  if (*width < 1 || *width > maxSide || *height < 1 || *height > maxSide) {
    return std::nullopt;
  }
  const auto imageFormat = static_cast<QImage::Format>(*format);
  const qint64 bitsPerPixel = QImage::toPixelFormat(imageFormat).bitsPerPixel();
  const qint64 rowBytes = (*width * bitsPerPixel + 7) / 8;
  if (*stride < rowBytes || *stride > maxBytes / *height) {
    return std::nullopt;
  }
  return RawFrameLayout{imageFormat, int(*width), int(*height), qsizetype(*stride)};
}

std::optional<QImage> decodeRawFrame(const RawFrameLayout& layout, QByteArray bytes) {
  if (bytes.size() != layout.byteCount()) {
    return std::nullopt;
  }
  // The image takes the bytes over instead of copying them; they are freed with the image.
  auto owned = std::make_unique<QByteArray>(std::move(bytes));
  auto* data = reinterpret_cast<uchar*>(owned->data());
  const QImage wrapped(
      data, layout.width, layout.height, layout.stride, layout.format,
      [](void* buffer) { delete static_cast<QByteArray*>(buffer); }, owned.get());
  if (wrapped.isNull()) {
    return std::nullopt;
  }
  // The image frees the bytes from here on.
  static_cast<void>(owned.release());
  QImage opaque = wrapped.convertToFormat(QImage::Format_RGB32);
  if (opaque.isNull()) {
    return std::nullopt;
  }
  return opaque;
}

}  // namespace vv
