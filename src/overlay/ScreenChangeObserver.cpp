#include "overlay/ScreenChangeObserver.h"

#include <QGuiApplication>
#include <QScreen>
#include <utility>

namespace vv {

ScreenChangeObserver::ScreenChangeObserver(std::function<void()> onChange, QObject* parent)
    : QObject(parent), onChange_(std::move(onChange)) {
  // X11 reports an edited monitor as removed and added again, not as a geometry change.
  connect(qGuiApp, &QGuiApplication::screenAdded, this, [this](QScreen* screen) {
    watchGeometry(screen);
    changed();
  });
  connect(qGuiApp, &QGuiApplication::screenRemoved, this, [this] { changed(); });
  connect(qGuiApp, &QGuiApplication::primaryScreenChanged, this, [this] { changed(); });
  for (QScreen* screen : QGuiApplication::screens()) {
    watchGeometry(screen);
  }
}

void ScreenChangeObserver::watchGeometry(QScreen* screen) {
  connect(screen, &QScreen::geometryChanged, this, &ScreenChangeObserver::changed,
          Qt::UniqueConnection);
}

void ScreenChangeObserver::changed() {
  // The callback may destroy this observer: run a copy.
  const std::function<void()> onChange = onChange_;
  if (onChange) {
    onChange();
  }
}

}  // namespace vv
