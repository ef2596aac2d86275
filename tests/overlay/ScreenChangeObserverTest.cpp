#include "overlay/ScreenChangeObserver.h"

#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QScreen>
#include <memory>

namespace vv {
namespace {

TEST(ScreenChangeObserver, EveryKindOfScreenChangeIsReportedWhileItLives) {
  QScreen* screen = QGuiApplication::primaryScreen();
  int changes = 0;
  auto observer = std::make_unique<ScreenChangeObserver>([&] { ++changes; });

  Q_EMIT qGuiApp->screenAdded(screen);
  Q_EMIT qGuiApp->screenRemoved(screen);
  Q_EMIT qGuiApp->primaryScreenChanged(screen);
  Q_EMIT screen->geometryChanged(screen->geometry());
  EXPECT_EQ(changes, 4);

  observer.reset();
  Q_EMIT qGuiApp->screenRemoved(screen);
  Q_EMIT screen->geometryChanged(screen->geometry());
  EXPECT_EQ(changes, 4);
}

TEST(ScreenChangeObserver, CallbackMayDestroyTheObserver) {
  QScreen* screen = QGuiApplication::primaryScreen();
  int changes = 0;
  std::unique_ptr<ScreenChangeObserver> observer;
  observer = std::make_unique<ScreenChangeObserver>([&] {
    ++changes;
    observer.reset();
  });
  Q_EMIT screen->geometryChanged(screen->geometry());
  Q_EMIT screen->geometryChanged(screen->geometry());
  EXPECT_EQ(changes, 1);
}

}  // namespace
}  // namespace vv
