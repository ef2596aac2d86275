#include "platform/QtScreenLocator.h"

#include <QCursor>
#include <QGuiApplication>
#include <QScreen>
#include <utility>

namespace vv {
namespace {

QRect primaryGeometry() {
  const QScreen* primary = QGuiApplication::primaryScreen();
  return primary ? primary->geometry() : QRect();
}

ScreenInfo describe(QScreen* screen, const QRect& primary) {
  ScreenInfo info;
  info.qscreen = screen;
  info.name = screen->name();
  info.geometry = screen->geometry();
  info.frame = toGlobalFrame(info.geometry, primary);
  info.backingScale = screen->devicePixelRatio();
  return info;
}

QPointF centreOf(const QScreen* screen, const QRect& primary) {
  return screen ? toGlobalFrame(screen->geometry(), primary).center() : QPointF();
}

}  // namespace

QRectF toGlobalFrame(const QRect& geometry, const QRect& primaryGeometry) {
  // QRect::bottom() is one pixel short of the edge, so the edges are computed from y + height.
  const double primaryBottom = double(primaryGeometry.y()) + primaryGeometry.height();
  const double bottom = double(geometry.y()) + geometry.height();
  return QRectF(geometry.x(), primaryBottom - bottom, geometry.width(), geometry.height());
}

QPointF toGlobalPoint(const QPoint& pixel, const QRect& primaryGeometry) {
  const double primaryBottom = double(primaryGeometry.y()) + primaryGeometry.height();
  return QPointF(pixel.x() + 0.5, primaryBottom - (pixel.y() + 0.5));
}

std::vector<ScreenInfo> QtScreenLocator::screens() const {
  const QRect primary = primaryGeometry();
  std::vector<ScreenInfo> result;
  for (QScreen* screen : QGuiApplication::screens()) {
    result.push_back(describe(screen, primary));
  }
  return result;
}

std::optional<ScreenInfo> QtScreenLocator::mainScreen() const {
  QScreen* primary = QGuiApplication::primaryScreen();
  if (!primary) {
    return std::nullopt;
  }
  return describe(primary, primary->geometry());
}

QtScreenLocator::QtScreenLocator(PointerScreenName pointerScreen)
    : pointerScreen_(std::move(pointerScreen)) {}

QPointF QtScreenLocator::pointer() const {
  const QRect primary = primaryGeometry();
  if (!pointerScreen_) {
    return toGlobalPoint(QCursor::pos(), primary);
  }
  if (const std::optional<QString> name = pointerScreen_()) {
    for (const QScreen* screen : QGuiApplication::screens()) {
      if (screen->name() == *name) {
        return centreOf(screen, primary);
      }
    }
  }
  return centreOf(QGuiApplication::primaryScreen(), primary);
}

}  // namespace vv
