#pragma once

#include <memory>
#include <vector>

#include "reading/GreyImage.h"
#include "reading/LineEngine.h"
#include "reading/PixelBox.h"
#include "reading/WorkerThreads.h"

namespace vv {

// A line of the layout, as its words' boxes in page pixels, from left to right.
using LayoutLine = std::vector<PixelBox>;

// The text lines of `page` (dark-on-light) in the layout's order, as the first engine lays out
// its ink (see sauvolaInk). Words taller than a sixth of the page are pictures the layout took
// for text, and left out. With two engines or more, where a quiet band runs across the page
// near its middle (see quietRowNearMiddle), the halves above and below it are laid out at once
// on the first two, and each half's lines keep their order; should a word of either half still
// reach the cut, something did run through the band after all, and the page is laid out whole.
std::vector<LayoutLine> pageLayout(const std::vector<std::unique_ptr<LineEngine>>& engines,
                                   const GreyImage& page, const ThreadSetup& setup = {});

}  // namespace vv
