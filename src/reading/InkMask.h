#pragma once

#include <cstdint>
#include <vector>

#include "reading/GreyImage.h"

namespace vv {

// A 1-bit image of the ink on a page. Each row takes `wordsPerRow` 32-bit words, its first
// pixel in the most significant bit of its first word (leptonica's layout, so the words can
// be handed to Tesseract as they are); bits past the row's end are clear.
struct InkMask {
  int width = 0;
  int height = 0;
  int wordsPerRow = 0;
  std::vector<std::uint32_t> words;

  bool ink(int x, int y) const {
    const std::uint32_t word =
        words[std::size_t(y) * std::size_t(wordsPerRow) + std::size_t(x / 32)];
    return (word & (0x80000000u >> (x % 32))) != 0;
  }
};

// Sauvola's local threshold: a pixel is ink when it is darker than m * (1 + k * (s / 128 - 1)),
// m and s the mean and standard deviation of the grey levels in the square of side
// 2 * radius + 1 around it, clipped at the page's edges (radius at most 1000). Unlike a global
// threshold it keeps text on a coloured bar or bubble apart from the bar; on a plain background
// nothing is ink. Tesseract's own version of it costs a good third of its page layout; this one
// keeps the window's sums exact in integers and slides them, so each pixel costs a few operations.
InkMask sauvolaInk(const GreyImage& page, int radius, double k);

}  // namespace vv
