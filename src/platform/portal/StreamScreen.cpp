#include "platform/portal/StreamScreen.h"

#include <algorithm>

namespace vv {

std::optional<ScreenInfo> screenShowing(const std::optional<QRect>& area,
                                        const std::vector<ScreenInfo>& screens,
                                        const std::optional<ScreenInfo>& primary) {
  if (area) {
    const auto found = std::find_if(screens.begin(), screens.end(), [&](const ScreenInfo& screen) {
      return screen.geometry == *area;
    });
    if (found != screens.end()) {
      return *found;
    }
  }
  return primary;
}

}  // namespace vv
