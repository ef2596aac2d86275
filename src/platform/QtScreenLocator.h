#pragma once

#include <QPoint>
#include <QPointF>
#include <QRect>
#include <QRectF>
#include <QString>
#include <functional>
#include <optional>

#include "services/PlatformServices.h"

namespace vv {

// Qt's top-left global geometry -> the global space with its origin at the bottom-left of the
// primary screen and y upward.
QRectF toGlobalFrame(const QRect& geometry, const QRect& primaryGeometry);

// A pointer pixel -> the point at the pixel's centre, in the same space, so that a pointer on any
// pixel of a screen (its top row included) lies inside that screen's frame.
QPointF toGlobalPoint(const QPoint& pixel, const QRect& primaryGeometry);

// Names the screen under the pointer where the toolkit cannot tell the pointer's position (Wayland
// tells a client where the pointer is only once it is over one of the client's own surfaces).
// None when the desktop does not say.
using PointerScreenName = std::function<std::optional<QString>()>;

// The screens and the pointer as the running QGuiApplication reports them. Given a source of
// the pointer's screen, the pointer is the centre of the screen of that name, and the centre of
// the primary screen when the source names none or a screen the toolkit does not know.
class QtScreenLocator : public ScreenLocator {
 public:
  QtScreenLocator() = default;
  explicit QtScreenLocator(PointerScreenName pointerScreen);

  std::vector<ScreenInfo> screens() const override;
  std::optional<ScreenInfo> mainScreen() const override;
  QPointF pointer() const override;

 private:
  PointerScreenName pointerScreen_;
};

}  // namespace vv
