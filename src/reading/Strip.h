#pragma once

#include "reading/GreyImage.h"
#include "reading/PixelBox.h"

namespace vv {

// Screens show about this many pixels per inch; a line engine is told so for every image.
inline constexpr int kScreenPixelsPerInch = 96;

// A fragment of a line as a line engine reads it: the fragment with a margin, so that the
// engine sees whole glyphs and some background around them, clipped to the page; small text
// enlarged (see Zoom), and made ready by lineStrip.
struct Strip {
  PixelBox area;  // on the page
  Zoom zoom;
  GreyImage image;

  // The strip's resolution, its pixels being zoomed screen pixels.
  int pixelsPerInch() const { return kScreenPixelsPerInch * zoom.up / zoom.down; }
  // A box in strip pixels as page pixels. Exclusive right and bottom edges round up, so that a
  // box never loses a page pixel.
  PixelBox toPage(const PixelBox& box) const;
};

// The strip of `fragment`, a box within `page`.
Strip stripFor(const PixelBox& fragment, const GreyImage& page);

}  // namespace vv
