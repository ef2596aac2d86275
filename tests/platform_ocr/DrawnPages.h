#pragma once

#include <algorithm>
#include <cstdint>

#include "platform/ocr/GreyImage.h"
#include "platform/ocr/PixelBox.h"

namespace vv::test {

// A page of one grey level.
inline GreyImage filled(int width, int height, std::uint8_t value) {
  GreyImage image(width, height);
  std::fill(image.pixels.begin(), image.pixels.end(), value);
  return image;
}

// Paints `box` of the page in one grey level.
inline void fill(GreyImage& image, const PixelBox& box, std::uint8_t value) {
  for (int y = box.top; y < box.bottom; ++y) {
    for (int x = box.left; x < box.right; ++x) {
      image.at(x, y) = value;
    }
  }
}

}  // namespace vv::test
