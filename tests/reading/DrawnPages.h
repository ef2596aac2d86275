#pragma once

#include <algorithm>
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "reading/GreyImage.h"
#include "reading/PixelBox.h"
#include "recognition/NumberText.h"

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

// ASCII text drawn in black blocks with the shapes of its glyphs, one block a character, from
// `left` on a line with its baseline at row `baseline`: digits, capitals and ascender letters
// reach the cap height (`cap` pixels), other small letters the x-height, and g, j, p, q, y go
// below the baseline; marks are small blocks at mid-height, brackets reach above and below.
// The box of every character, none for a space.
inline std::vector<std::optional<PixelBox>> drawText(GreyImage& page, int left, int baseline,
                                                     std::string_view text, int cap = 20) {
  const int advance = cap * 7 / 10;
  const int glyph = cap * 11 / 20;
  const auto inSet = [](std::string_view set, char c) { return set.find(c) != set.npos; };
  std::vector<std::optional<PixelBox>> boxes;
  int x = left;
  for (const char c : text) {
    std::optional<PixelBox> box;
    if (isDigit(c) || (c >= 'A' && c <= 'Z') || inSet("bdfhiklt", c)) {
      box = PixelBox{x, baseline - cap, x + glyph, baseline};
    } else if (inSet("gjpqy", c)) {
      box = PixelBox{x, baseline - cap * 7 / 10, x + glyph, baseline + cap * 3 / 10};
    } else if (c >= 'a' && c <= 'z') {
      box = PixelBox{x, baseline - cap * 7 / 10, x + glyph, baseline};
    } else if (inSet("()", c)) {
      box = PixelBox{x, baseline - cap - 2, x + cap / 5, baseline + 4};
    } else if (c != ' ') {
      box = PixelBox{x, baseline - cap / 2, x + cap / 3, baseline - cap / 2 + 2};
    }
    if (box) {
      fill(page, *box, 0);
    }
    boxes.push_back(box);
    x += advance;
  }
  return boxes;
}

}  // namespace vv::test
