#include "capture/SnapshotSize.h"

#include <algorithm>
#include <cmath>

namespace vv {

QSize snapshotSize(double frameWidth, double frameHeight, double backingScale) {
  // A frame of zero area divides by zero here on purpose: the infinite bound never binds.
  const double pixelBound = std::sqrt(snapshotPixelBudget / (frameWidth * frameHeight));
  const double sideBound = snapshotMaxSide / std::max(frameWidth, frameHeight);
  const double scale = std::min({backingScale, sideBound, pixelBound});
  // scale <= sideBound keeps both products at or under the side limit, so the casts cannot
  // overflow.
  return QSize(static_cast<int>(std::trunc(frameWidth * scale)),
               static_cast<int>(std::trunc(frameHeight * scale)));
}

}  // namespace vv
