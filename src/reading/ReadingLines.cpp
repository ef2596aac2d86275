#include "reading/ReadingLines.h"

#include <algorithm>
#include <numeric>

namespace vv {

namespace {

// Two fragments share a baseline when most of the smaller one's height lies within the
// other's and neither is much taller (a heading beside body text is not one line).
constexpr double kMinVerticalOverlap = 0.6;
constexpr double kMaxHeightRatio = 1.6;
// Neighbours on one line may touch or overlap a little where the layout's boxes are loose.
constexpr double kMaxOverlapInHeights = 0.5;

bool shareBaseline(const PixelBox& a, const PixelBox& b) {
  const int lower = std::min(a.height(), b.height());
  const int higher = std::max(a.height(), b.height());
  if (lower <= 0 || higher > kMaxHeightRatio * lower) {
    return false;
  }
  const int overlap = std::min(a.bottom, b.bottom) - std::max(a.top, b.top);
  return overlap >= kMinVerticalOverlap * lower;
}

}  // namespace

bool ReadingLines::closeEnough(const PixelBox& left, const PixelBox& right) const {
  const double height = 0.5 * (left.height() + right.height());
  const double gap = right.left - left.right;
  return gap <= maxGap_ * height && gap >= -kMaxOverlapInHeights * height;
}

std::vector<PixelBox> ReadingLines::split(const std::vector<PixelBox>& words) const {
  std::vector<PixelBox> pieces;
  for (const PixelBox& word : words) {
    if (!pieces.empty() && closeEnough(pieces.back(), word)) {
      pieces.back().unite(word);
    } else {
      pieces.push_back(word);
    }
  }
  return pieces;
}

std::vector<std::vector<std::size_t>> ReadingLines::group(
    const std::vector<PixelBox>& fragments) const {
  std::vector<std::size_t> byLeft(fragments.size());
  std::iota(byLeft.begin(), byLeft.end(), std::size_t{0});
  std::stable_sort(byLeft.begin(), byLeft.end(), [&](std::size_t a, std::size_t b) {
    return fragments[a].left < fragments[b].left;
  });

  std::vector<std::vector<std::size_t>> lines;
  for (const std::size_t f : byLeft) {
    const PixelBox& box = fragments[f];
    std::vector<std::size_t>* best = nullptr;
    int bestGap = 0;
    for (std::vector<std::size_t>& line : lines) {
      const PixelBox& last = fragments[line.back()];
      if (!shareBaseline(last, box) || !closeEnough(last, box)) {
        continue;
      }
      const int gap = box.left - last.right;
      if (best == nullptr || gap < bestGap) {
        best = &line;
        bestGap = gap;
      }
    }
    if (best != nullptr) {
      best->push_back(f);
    } else {
      lines.push_back({f});
    }
  }
  std::stable_sort(lines.begin(), lines.end(), [](const auto& a, const auto& b) {
    return *std::min_element(a.begin(), a.end()) < *std::min_element(b.begin(), b.end());
  });
  return lines;
}

}  // namespace vv
