#pragma once

#include <QSize>

namespace vv {

// Upper bound on width x height of a snapshot, in pixels.
inline constexpr double snapshotPixelBudget = 16'000'000;
// Upper bound on the longer side of a snapshot, in pixels.
inline constexpr double snapshotMaxSide = 8'192;

// The pixel size of the snapshot of a frame of w x h points at b pixels per point: the native
// density, lowered just enough to keep within the pixel budget and the side limit, never raised.
// Both sides are truncated toward zero. A 0 x 0 frame gives 0 x 0.
QSize snapshotSize(double frameWidth, double frameHeight, double backingScale);

}  // namespace vv
