#include "app/ScreenChoice.h"

namespace vv {

bool frameContains(const QRectF& frame, const QPointF& point) {
  const QRectF r = frame.normalized();
  return r.left() <= point.x() && point.x() < r.left() + r.width() && r.top() <= point.y() &&
         point.y() < r.top() + r.height();
}

std::optional<ScreenInfo> chooseScreen(const std::vector<ScreenInfo>& screens,
                                       const QPointF& pointer,
                                       const std::optional<ScreenInfo>& mainScreen) {
  for (const ScreenInfo& screen : screens) {
    if (frameContains(screen.frame, pointer)) {
      return screen;
    }
  }
  return mainScreen;
}

}  // namespace vv
