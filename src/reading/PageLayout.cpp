#include "reading/PageLayout.h"

#include <algorithm>
#include <array>
#include <iterator>
#include <optional>

#include "reading/InkMask.h"

namespace vv {

namespace {

// A global threshold turns a coloured bubble or bar into one black blob, text and all, even
// once the page is dark-on-light; Sauvola's local threshold keeps the text there. The layout
// gets the page already thresholded, with Tesseract's own Sauvola settings at screen
// resolution: a window a third of an inch wide, and its contrast factor.
constexpr int kInkRadius = 15;
constexpr double kInkContrast = 0.34;
// A "word" taller than this share of the page is a picture the layout took for text.
constexpr int kMaxWordHeightShare = 6;

// The layout's text lines in `part`, a band of the page that starts at page row `top`. A word
// left out at the start of a layout line leaves the rest of that line to the line before.
std::vector<LayoutLine> layoutLines(LineEngine& engine, const GreyImage& part, int top,
                                    int maxWordHeight) {
  std::vector<LayoutLine> lines;
  for (const LayoutWord& found : engine.layOut(sauvolaInk(part, kInkRadius, kInkContrast))) {
    PixelBox word = found.box;
    if (word.height() > maxWordHeight) {
      continue;
    }
    word.top += top;
    word.bottom += top;
    if (lines.empty() || found.startsLine) {
      lines.emplace_back();
    }
    lines.back().push_back(word);
  }
  return lines;
}

}  // namespace

std::vector<LayoutLine> pageLayout(const std::vector<std::unique_ptr<LineEngine>>& engines,
                                   const GreyImage& page, const ThreadSetup& setup) {
  const int maxWordHeight = page.height / kMaxWordHeightShare;
  const std::optional<int> cut =
      engines.size() > 1 ? quietRowNearMiddle(page) : std::optional<int>();
  if (!cut) {
    return layoutLines(*engines.front(), page, 0, maxWordHeight);
  }
  const std::array<int, 3> bounds{0, *cut, page.height};
  std::array<std::vector<LayoutLine>, 2> halves;
  runOnThreads(
      2,
      [&](std::size_t h) {
        halves[h] = layoutLines(*engines[h], rowsOf(page, bounds[h], bounds[h + 1]), bounds[h],
                                maxWordHeight);
      },
      setup);
  const auto reaches = [&](const std::vector<LayoutLine>& lines, auto touches) {
    return std::any_of(lines.begin(), lines.end(), [&](const LayoutLine& words) {
      return std::any_of(words.begin(), words.end(), touches);
    });
  };
  if (reaches(halves[0], [&](const PixelBox& w) { return w.bottom >= *cut - 1; }) ||
      reaches(halves[1], [&](const PixelBox& w) { return w.top <= *cut + 1; })) {
    return layoutLines(*engines.front(), page, 0, maxWordHeight);
  }
  std::vector<LayoutLine> lines = std::move(halves[0]);
  std::move(halves[1].begin(), halves[1].end(), std::back_inserter(lines));
  return lines;
}

}  // namespace vv
