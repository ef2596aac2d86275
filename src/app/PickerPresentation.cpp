#include <QCoreApplication>
#include <QGuiApplication>
#include <QPointer>
#include <QSize>

#include "app/VizoviVevoApp.h"
#include "overlay/EscapeKeyMonitor.h"
#include "overlay/PickerContent.h"
#include "overlay/ScanWindow.h"
#include "overlay/ScreenChangeObserver.h"

namespace vv {

void VizoviVevoApp::show(const QImage& image, const ScreenInfo& screen) {
  // The controls hold the delegate weakly and do nothing once it is gone.
  const QPointer<VizoviVevoApp> self(this);
  PickerActions actions{[self](int tag) {
                          if (self) {
                            self->selectNumber(tag);
                          }
                        },
                        [self] {
                          if (self) {
                            self->cancel();
                          }
                        }};
  std::unique_ptr<ScanWindow> built = buildPicker(image, screen.geometry.size(), matches, actions);
  if (!built) {
    if (!finished) {
      finish("failed");
    }
    return;
  }
  window = std::move(built);
  emit("showing");
  installDismissalTimer();
  installKeyMonitor();
  observeScreenChanges();
  // Losing activation means the user went to another program. The application only becomes
  // inactive after it was active, so this cannot fire before the window has been shown; the
  // connection goes with the window.
  QObject::connect(qGuiApp, &QGuiApplication::applicationStateChanged, window.get(),
                   [self](Qt::ApplicationState state) {
                     if (self && state != Qt::ApplicationActive) {
                       self->applicationDidResignActive();
                     }
                   });
  window->present(services_.placement, screen);
}

void VizoviVevoApp::selectNumber(int tag) {
  if (tag < 0 || static_cast<std::size_t>(tag) >= matches.size()) {
    return;
  }
  finish("selected", matches[static_cast<std::size_t>(tag)].number());
}

void VizoviVevoApp::installDismissalTimer() {
  if (dismissalTimer) {
    dismissalTimer->stop();
  }
  auto timer = std::make_unique<QTimer>();
  timer->setSingleShot(true);
  timer->setInterval(services_.dismissalInterval);
  const QPointer<VizoviVevoApp> self(this);
  QObject::connect(timer.get(), &QTimer::timeout, timer.get(), [self] {
    // The dismissal itself runs later, once, from the event loop of the main thread.
    QMetaObject::invokeMethod(
        QCoreApplication::instance(),
        [self] {
          if (self) {
            self->dismiss();
          }
        },
        Qt::QueuedConnection);
  });
  timer->start();
  dismissalTimer = std::move(timer);
}

void VizoviVevoApp::installKeyMonitor() {
  const QPointer<VizoviVevoApp> self(this);
  monitor = std::make_unique<EscapeKeyMonitor>([self] {
    if (self) {
      self->dismiss();
    }
  });
}

void VizoviVevoApp::observeScreenChanges() {
  // One observer at most: a second call replaces the first. It stays until the delegate goes.
  delete findChild<ScreenChangeObserver*>(QString(), Qt::FindDirectChildrenOnly);
  const QPointer<VizoviVevoApp> self(this);
  new ScreenChangeObserver(
      [self] {
        if (self) {
          self->cancel();
        }
      },
      this);
}

}  // namespace vv
