#include "overlay/PickerLayout.h"

#include <algorithm>
#include <cmath>

namespace vv {

namespace {

constexpr double kPanelShare = 0.32;
constexpr double kMaxPanelWidth = 340;
constexpr double kRowHeight = 104;
constexpr double kHeaderBand = 64;
constexpr double kHighlightOutset = 3;
constexpr double kBadgeGap = 1;

// Left of the frame first, where a number's own label or the page margin usually is, then above
// it, right of it and below it. When every side is blocked, the first one inside the bounds wins:
// a badge may then touch another number's frame, but never its own.
LayoutRect placeBadge(const LayoutRect& frame, const LayoutRect& bounds,
                      const std::vector<LayoutRect>& frames,
                      const std::vector<LayoutRect>& placed) {
  const double b = kBadgeSize;
  const double g = kBadgeGap;
  const double centredY = frame.midY() - b * 0.5;
  const LayoutRect candidates[] = {{frame.x - g - b, centredY, b, b},
                                   {frame.x, frame.y + frame.height + g, b, b},
                                   {frame.x + frame.width + g, centredY, b, b},
                                   {frame.x, frame.y - g - b, b, b}};
  const auto clear = [&](const LayoutRect& badge) {
    for (const std::vector<LayoutRect>* others : {&frames, &placed}) {
      for (const LayoutRect& other : *others) {
        if (badge.intersects(other)) {
          return false;
        }
      }
    }
    return true;
  };
  for (const LayoutRect& candidate : candidates) {
    if (bounds.contains(candidate) && clear(candidate)) {
      return candidate;
    }
  }
  for (const LayoutRect& candidate : candidates) {
    if (bounds.contains(candidate)) {
      return candidate;
    }
  }
  return candidates[0];
}

}  // namespace

bool LayoutRect::intersects(const LayoutRect& other) const {
  return x < other.x + other.width && other.x < x + width && y < other.y + other.height &&
         other.y < y + height;
}

bool LayoutRect::contains(const LayoutRect& other) const {
  return other.x >= x && other.y >= y && other.x + other.width <= x + width &&
         other.y + other.height <= y + height;
}

PickerLayout layoutPicker(double screenWidth, double screenHeight, double imageWidth,
                          double imageHeight, const std::vector<NormalizedRect>& boxes) {
  const double W = screenWidth;
  const double H = screenHeight;
  PickerLayout layout;
  const double P = std::min(W * kPanelShare, kMaxPanelWidth);
  layout.panelWidth = P;

  layout.heading = {24, H - 44, std::max(W - 180, 180.0), 30};
  layout.instruction = {24, 8, W - 48, 42};
  layout.cancel = {W - 114, H - 44, 90, 30};

  const LayoutRect A{24, 58, W - P - 64, H - 120};
  layout.imageArea = A;
  layout.scale = std::min(A.height / imageHeight, A.width / imageWidth);
  const double dw = imageWidth * layout.scale;
  const double dh = imageHeight * layout.scale;
  layout.drawnWidth = dw;
  layout.drawnHeight = dh;
  const LayoutRect R{A.midX() - dw * 0.5, A.midY() - 0.5 * dh, dw, dh};
  layout.image = R;

  // Boxes and the content view both have their origin at the bottom-left: no flip.
  for (const NormalizedRect& box : boxes) {
    layout.highlights.push_back({R.x + box.minX() * dw - kHighlightOutset,
                                 R.y + box.minY() * dh - kHighlightOutset,
                                 (box.maxX() - box.minX()) * dw + 2 * kHighlightOutset,
                                 (box.maxY() - box.minY()) * dh + 2 * kHighlightOutset});
  }

  layout.list = {W - P - 20, 58, P, H - 120};
  // Badges may use the margins around the image area, up to the heading, the instructions, the
  // screen's left edge and the number list.
  const LayoutRect badgeBounds{4, 50, layout.list.x - 4, H - 94};
  const std::size_t badgeCount = std::min(layout.highlights.size(), kDigitKeyCount);
  for (std::size_t i = 0; i < badgeCount; ++i) {
    layout.badges.push_back(
        placeBadge(layout.highlights[i], badgeBounds, layout.highlights, layout.badges));
  }
  const double S = layout.list.height;
  const double D = P - 16;
  const double rowsHeight = static_cast<double>(boxes.size()) * kRowHeight + kHeaderBand;
  const double L = S <= rowsHeight ? rowsHeight : S;
  layout.documentWidth = D;
  layout.documentHeight = L;
  layout.header = {8, L - 58, D - 16, 50};
  for (std::size_t i = 0; i < boxes.size(); ++i) {
    const double rowY = L - kHeaderBand - kRowHeight * static_cast<double>(i + 1);
    layout.rows.push_back({{8, rowY + 45, D - 16, 44}, {8, rowY + 6, D - 16, 34}});
  }
  layout.scrollY = std::max(0.0, L - S);
  return layout;
}

QRect toChildGeometry(const LayoutRect& frame, double parentHeight) {
  const int left = static_cast<int>(std::lround(frame.x));
  const int right = static_cast<int>(std::lround(frame.x + frame.width));
  const int top = static_cast<int>(std::lround(parentHeight - frame.y - frame.height));
  const int bottom = static_cast<int>(std::lround(parentHeight - frame.y));
  return QRect(left, top, right - left, bottom - top);
}

}  // namespace vv
