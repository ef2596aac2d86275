#pragma once

#include <QPoint>
#include <QPointF>
#include <QRect>
#include <QRectF>

#include "services/PlatformServices.h"

namespace vv {

// Qt's top-left global geometry -> the global space with its origin at the bottom-left of the
// primary screen and y upward.
QRectF toGlobalFrame(const QRect& geometry, const QRect& primaryGeometry);

// A pointer pixel -> the point at the pixel's centre, in the same space, so that a pointer on any
// pixel of a screen (its top row included) lies inside that screen's frame.
QPointF toGlobalPoint(const QPoint& pixel, const QRect& primaryGeometry);

// The screens and the pointer as the running QGuiApplication reports them.
class QtScreenLocator : public ScreenLocator {
 public:
  std::vector<ScreenInfo> screens() const override;
  std::optional<ScreenInfo> mainScreen() const override;
  QPointF pointer() const override;
};

}  // namespace vv
