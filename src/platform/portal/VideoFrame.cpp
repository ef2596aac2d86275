#include "platform/portal/VideoFrame.h"

namespace vv {
namespace {

struct ChannelOffsets {
  int red;
  int green;
  int blue;
};

ChannelOffsets offsetsOf(vv_pixel_order order) {
  switch (order) {
    case VV_PIXEL_RGBX:
      return {0, 1, 2};
    case VV_PIXEL_XRGB:
      return {1, 2, 3};
    case VV_PIXEL_BGRX:
      break;
  }
  return {2, 1, 0};
}

}  // namespace

std::optional<QImage> copyVideoFrame(std::span<const std::uint8_t> bytes,
                                     const FrameLayout& layout) {
  if (layout.width <= 0 || layout.height <= 0 || layout.stride / 4 < layout.width) {
    return std::nullopt;
  }
  // The last row needs only its pixels, not a whole stride.
  const std::size_t needed =
      std::size_t(layout.stride) * std::size_t(layout.height - 1) + std::size_t(layout.width) * 4;
  if (bytes.size() < needed) {
    return std::nullopt;
  }
  QImage image(layout.width, layout.height, QImage::Format_RGB32);
  if (image.isNull()) {
    return std::nullopt;
  }
  const ChannelOffsets at = offsetsOf(layout.order);
  for (int y = 0; y < layout.height; ++y) {
    const std::uint8_t* source = bytes.data() + std::size_t(y) * std::size_t(layout.stride);
    auto* target = reinterpret_cast<QRgb*>(image.scanLine(y));
    for (int x = 0; x < layout.width; ++x, source += 4) {
      target[x] = qRgb(source[at.red], source[at.green], source[at.blue]);
    }
  }
  return image;
}

}  // namespace vv
