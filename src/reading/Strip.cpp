#include "reading/Strip.h"

#include <algorithm>

namespace vv {

namespace {

// Text shorter than this (pixels of ink, ascender to descender) is enlarged twice before
// recognition: at screen scale 1 the recogniser drops spaces and misreads digits in it.
constexpr int kSmallText = 20;

PixelBox stripAround(const PixelBox& fragment, const GreyImage& page) {
  const int h = fragment.height();
  const int dx = std::max(2, h / 2);
  const int dy = std::max(2, h / 5);
  return PixelBox{std::max(0, fragment.left - dx), std::max(0, fragment.top - dy),
                  std::min(page.width, fragment.right + dx),
                  std::min(page.height, fragment.bottom + dy)};
}

Zoom zoomFor(const PixelBox& fragment) {
  return fragment.height() < kSmallText ? Zoom{2, 1} : Zoom{};
}

}  // namespace

PixelBox Strip::toPage(const PixelBox& box) const {
  const auto scaled = [&](int v, bool roundUp) {
    return (v * zoom.down + (roundUp ? zoom.up - 1 : 0)) / zoom.up;
  };
  return PixelBox{area.left + scaled(box.left, false), area.top + scaled(box.top, false),
                  area.left + scaled(box.right, true), area.top + scaled(box.bottom, true)};
}

Strip stripFor(const PixelBox& fragment, const GreyImage& page) {
  const PixelBox area = stripAround(fragment, page);
  const Zoom zoom = zoomFor(fragment);
  return Strip{area, zoom, lineStrip(page, area, zoom)};
}

}  // namespace vv
