#pragma once

#include <QImage>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

#include "platform/portal/SpaParams.h"

namespace vv {

// Where a frame's pixels lie in the bytes a stream buffer holds.
struct FrameLayout {
  int width = 0;
  int height = 0;
  int stride = 0;  // bytes from one row to the next
  vv_pixel_order order = VV_PIXEL_BGRX;
};

// An opaque copy of the frame, owning its pixels; none when the bytes cannot hold the frame the
// layout describes (a short or torn buffer, a stride narrower than a row).
std::optional<QImage> copyVideoFrame(std::span<const std::uint8_t> bytes,
                                     const FrameLayout& layout);

}  // namespace vv
