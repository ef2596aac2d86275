#pragma once

#include <QPointer>
#include <QRect>
#include <QRectF>
#include <QScreen>
#include <QString>

namespace vv {

// One attached screen, as the launch code and the capture and overlay code see it.
struct ScreenInfo {
  QPointer<QScreen> qscreen;  // the toolkit's screen; null for screens made up by tests
  QString name;               // the toolkit's name for it (the RandR monitor name on X11)
  // Frame in the global screen space: origin at the bottom-left of the primary screen, y upward,
  // in device-independent pixels (points).
  QRectF frame;
  // The same rectangle in the toolkit's own top-left global coordinates, for placing windows.
  QRect geometry;
  double backingScale = 1.0;  // device pixels per point
};

}  // namespace vv
