#include <QFuture>
#include <QMetaObject>
#include <QPointer>
#include <utility>
#include <variant>

#include "app/VizoviVevoApp.h"
#include "capture/BackgroundTask.h"

namespace vv {

void VizoviVevoApp::capture(const ScreenInfo& screen) {
  if (window) {
    return;
  }
  if (finished) {
    return;
  }
  // The pipeline starts from the event loop, after this call has returned. Nothing holds on to
  // it and nothing cancels it; only the latch and its own steps end it. An answer that arrives
  // after the delegate is gone is dropped.
  QMetaObject::invokeMethod(
      this,
      [this, screen] {
        services_.snapshotter.snapshot(
            screen, [self = QPointer<VizoviVevoApp>(this)](SnapshotOutcome outcome) {
              if (self) {
                self->snapshotTaken(std::move(outcome));
              }
            });
      },
      Qt::QueuedConnection);
}

void VizoviVevoApp::snapshotTaken(SnapshotOutcome outcome) {
  if (std::holds_alternative<NoMatchingDisplay>(outcome)) {
    // An ordinary absence, not an error: the permission is not asked about.
    finish("failed");
    return;
  }
  if (std::holds_alternative<CaptureFailure>(outcome)) {
    captureFailed();
    return;
  }
  // Recognition shares nothing with the main thread but the image, which nobody changes; only
  // the finished list comes back, and only here is it stored. The picker goes to the screen the
  // image shows, which need not be the one asked for.
  Snapshot snapshot = std::get<Snapshot>(std::move(outcome));
  const QImage image = std::move(snapshot.image);
  const ScreenInfo screen = std::move(snapshot.screen);
  PhoneScanner& scanner = services_.scanner;
  runInBackground(
      this, [&scanner, image] { return scanner.phoneMatches(image); },
      [this, image, screen](const QFuture<PhoneMatches>& recognition) {
        PhoneMatches list;
        try {
          list = recognition.result();
        } catch (...) {
          // Whatever the recogniser threw ends the run the same way; its content is never read.
          captureFailed();
          return;
        }
        recognised(std::move(list), image, screen);
      });
}

void VizoviVevoApp::recognised(PhoneMatches list, const QImage& image, const ScreenInfo& screen) {
  // Stored even when the run has ended meanwhile; only the lines are skipped then.
  matches = std::move(list);
  if (finished) {
    return;
  }
  emit("ready");
  if (!matches.empty()) {
    show(image, screen);
    return;
  }
  finish("empty");
}

void VizoviVevoApp::captureFailed() {
  // Asked on every failure, before the latch is looked at, so that a lost permission shows
  // whichever request it broke.
  finish(services_.permission.preflight() ? "failed" : "permission");
}

}  // namespace vv
