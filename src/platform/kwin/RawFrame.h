#pragma once

#include <QByteArray>
#include <QImage>
#include <QVariantMap>
#include <optional>

namespace vv {

// How KWin lays out the raw pixels it writes to the pipe of a screenshot call, as its reply
// describes them.
struct RawFrameLayout {
  QImage::Format format = QImage::Format_Invalid;
  int width = 0;
  int height = 0;
  qsizetype stride = 0;  // bytes from one row to the next

  qsizetype byteCount() const { return stride * height; }
};

// The layout a screenshot reply names: raw pixels of a direct-colour QImage format, a size of at
// most 32767 pixels a side, and rows that hold their pixels; none for any other reply.
std::optional<RawFrameLayout> rawFrameLayout(const QVariantMap& reply);

// The pixels as an opaque image (QImage::Format_RGB32, whatever KWin sent); none when `bytes` is
// not exactly the layout's size.
std::optional<QImage> decodeRawFrame(const RawFrameLayout& layout, QByteArray bytes);

}  // namespace vv
