#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "reading/PixelBox.h"
#include "recognition/ImageView.h"

namespace vv {

// An 8-bit grey image, rows packed without padding.
struct GreyImage {
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> pixels;

  GreyImage() = default;
  GreyImage(int w, int h) : width(w), height(h), pixels(std::size_t(w) * std::size_t(h)) {}

  std::uint8_t at(int x, int y) const { return pixels[std::size_t(y) * width + x]; }
  std::uint8_t& at(int x, int y) { return pixels[std::size_t(y) * width + x]; }
};

// How a strip is resized for recognition: each page pixel becomes `up / down` strip pixels.
// One of the two is 1.
struct Zoom {
  int up = 1;
  int down = 1;
};

// The luma of every pixel (ITU-R BT.601 weights).
GreyImage greyFrom(const ImageView& image);

// The page with every region whose surroundings are mostly dark turned over, so that text on
// dark themes, coloured bars, bubbles and buttons reads dark-on-light like the rest. A pixel is
// turned over when most pixels of the square of side 2 * radius + 1 around it are darker than
// mid-grey; on a straight edge between a dark and a light region that switch falls on the edge
// itself, so the region's border vanishes instead of becoming a dark frame. Tesseract's page layout
// finds no lines in light-on-dark regions of an otherwise light page, whatever its own inversion
// setting.
GreyImage darkOnLight(const GreyImage& page, int radius);

// The part of the page inside `box`, made ready for line recognition: turned over when its
// background (its most common grey level) is darker than its ink, its grey levels stretched
// to the full range so that low-contrast text gets the contrast of black on white, and
// resized by `zoom` (bilinear enlargement, box-filter reduction). `box` must lie within the
// page.
GreyImage lineStrip(const GreyImage& page, const PixelBox& box, Zoom zoom);

// Rows `top` to `bottom` (exclusive) of the image, which must hold them.
GreyImage rowsOf(const GreyImage& image, int top, int bottom);

// A row at which the page can be cut in two without cutting through text: the middle of the
// band of rows nearest the page's middle, within its middle third, along which the page does
// not change (every pixel matches the one above it) for at least five rows. Such a band is a
// gap between lines of text, or crosses only what runs straight across it: rules, bars, the
// edges of panels and sidebars. None when there is no such band.
std::optional<int> quietRowNearMiddle(const GreyImage& page);

// The image reduced `factor` times in both directions, each pixel the mean of the block it
// replaces; a partial block at the right or bottom edge is dropped.
GreyImage reduced(const GreyImage& image, int factor);

}  // namespace vv
