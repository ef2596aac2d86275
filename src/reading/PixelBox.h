#pragma once

#include <algorithm>

namespace vv {

// A rectangle of image pixels, origin at the top-left; left and top inclusive, right and bottom
// exclusive (Tesseract's convention).
struct PixelBox {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;

  int width() const { return right - left; }
  int height() const { return bottom - top; }

  void unite(const PixelBox& other) {
    left = std::min(left, other.left);
    top = std::min(top, other.top);
    right = std::max(right, other.right);
    bottom = std::max(bottom, other.bottom);
  }

  friend bool operator==(const PixelBox&, const PixelBox&) = default;
};

}  // namespace vv
