#pragma once

#include <cstddef>
#include <cstdint>

namespace vv {

// Byte order of one 32-bit pixel in memory.
enum class PixelLayout {
  Rgba,  // R, G, B, A (QImage::Format_RGBA8888)
  Bgrx,  // B, G, R, unused (QImage::Format_RGB32 on little-endian, X11 Z-pixmaps)
};

// A borrowed, read-only view of 32-bit pixels; the owner keeps the bytes alive and unchanged
// while the view is in use.
struct ImageView {
  const std::uint8_t* pixels = nullptr;
  int width = 0;
  int height = 0;
  std::ptrdiff_t bytesPerLine = 0;
  PixelLayout layout = PixelLayout::Rgba;
};

}  // namespace vv
