#pragma once

#include <cstdint>
#include <string>
#include <variant>

#include "platform/ocr/OwnedPix.h"
#include "recognition/NormalizedRect.h"

namespace vv {

// Images declaring more pixels than this are refused from their header, before any decoding.
inline constexpr std::int64_t kImagePixelLimit = 64'000'000;
// Images with more pixels than this are scaled down to it before they are recognised: the
// recogniser reads no better above it, only slower and with more memory.
inline constexpr std::int64_t kScanPixelBudget = 16'000'000;

// An image ready for the recogniser: 32-bit R, G, B, A bytes in memory order, with a margin of
// its own background colour on every side. The recogniser finds no lines on a crop whose text
// comes close to the edges; the margin gives it the room a screenshot has.
struct ScanImage {
  PixPtr pix;
  int margin = 0;
};

// The file as a ScanImage, or the reason it cannot be scanned: not a regular file (a FIFO would
// block the reader), unreadable, or declaring more than kImagePixelLimit pixels. Nothing is
// written to standard error on the way, whatever the image decoders would print.
std::variant<ScanImage, std::string> loadScanImage(const std::string& path);

// The image with `margin` pixels of its own background colour around it, as a ScanImage. The
// background is the most common colour along the image's edges. `rgba` is 32 bits per pixel.
ScanImage withMargin(PixPtr rgba, int margin);

// A box on the image with its margin -> the same box on the image without it, clipped to it.
NormalizedRect withoutMargin(const NormalizedRect& box, int paddedWidth, int paddedHeight,
                             int margin);

}  // namespace vv
