#include "platform/wlroots/ScreencopyCaptureService.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <atomic>
#include <memory>
#include <optional>
#include <variant>

#include "platform/wlroots/WlrootsBackend.h"

namespace vv {
namespace {

// The test compositor, in one of its modes, as the process's Wayland display for one test.
class FakeCompositor {
 public:
  explicit FakeCompositor(const QString& mode) {
    previousDisplay_ = qgetenv("WAYLAND_DISPLAY");
    previousRuntime_ = qgetenv("XDG_RUNTIME_DIR");
    qputenv("XDG_RUNTIME_DIR", runtime_.path().toLocal8Bit());
    qputenv("WAYLAND_DISPLAY", "vv-fake-screencopy");
    process_.start(VV_FAKE_SCREENCOPY, {mode, "vv-fake-screencopy"});
    started_ = process_.waitForReadyRead(10000) && process_.readLine().trimmed() == "ready";
  }
  ~FakeCompositor() {
    process_.terminate();
    if (!process_.waitForFinished(5000)) {
      process_.kill();
      process_.waitForFinished(5000);
    }
    qputenv("WAYLAND_DISPLAY", previousDisplay_);
    qputenv("XDG_RUNTIME_DIR", previousRuntime_);
  }
  bool started() const { return started_; }

 private:
  QTemporaryDir runtime_;
  QProcess process_;
  QByteArray previousDisplay_;
  QByteArray previousRuntime_;
  bool started_ = false;
};

// Runs the event loop until `outcome` holds a value, at most a few seconds.
template <typename T>
bool awaitOutcome(const std::optional<T>& outcome) {
  QElapsedTimer timer;
  timer.start();
  while (!outcome && timer.elapsed() < 10000) {
    QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
  }
  return outcome.has_value();
}

struct Capture {
  std::optional<ContentOutcome> content;
  std::optional<ScreenshotOutcome> shot;
  bool permissionHeld = true;
};

// The snapshot sequence against the fake: its outputs, then one image of FAKE-1 at `size`.
Capture captureFakeOutput(QSize size) {
  const auto refusal = std::make_shared<std::atomic<bool>>(false);
  ScreencopyCaptureService service(refusal);
  ScreencopyPermission permission(refusal);
  Capture capture;
  service.shareableContent([&](ContentOutcome outcome) { capture.content = std::move(outcome); });
  if (!awaitOutcome(capture.content)) {
    return capture;
  }
  ScreenInfo screen;
  screen.name = "FAKE-1";
  const auto* displays = std::get_if<std::vector<DisplayRecord>>(&*capture.content);
  const std::optional<DisplayId> id = service.screenNumber(screen);
  if (displays && id) {
    for (const DisplayRecord& display : *displays) {
      if (display.displayID == *id) {
        service.screenshot(display, size,
                           [&](ScreenshotOutcome outcome) { capture.shot = std::move(outcome); });
      }
    }
    awaitOutcome(capture.shot);
  }
  capture.permissionHeld = permission.preflight() && permission.request();
  return capture;
}

bool failed(const Capture& capture) {
  return capture.shot && std::holds_alternative<CaptureFailure>(*capture.shot);
}

TEST(ScreencopyCaptureService, CopiesTheOutputUprightInItsColoursAtTheAskedSize) {
  FakeCompositor compositor("good");
  ASSERT_TRUE(compositor.started());
  for (const QSize size : {QSize(120, 80), QSize(60, 40)}) {
    const Capture capture = captureFakeOutput(size);
    const auto* displays = std::get_if<std::vector<DisplayRecord>>(&*capture.content);
    ASSERT_TRUE(displays);
    ASSERT_EQ(displays->size(), 1u);
    EXPECT_EQ(displays->front().pixels, QRect(0, 0, 120, 80));
    ASSERT_TRUE(capture.shot);
    const auto* image = std::get_if<QImage>(&*capture.shot);
    ASSERT_TRUE(image);
    EXPECT_EQ(image->size(), size);
    // In memory red lies above blue, and the frame is flagged y-inverted.
    EXPECT_EQ(image->pixel(size.width() / 2, 1), qRgb(0, 0, 255));
    EXPECT_EQ(image->pixel(size.width() / 2, size.height() - 2), qRgb(255, 0, 0));
    EXPECT_TRUE(capture.permissionHeld);
  }
}

TEST(ScreencopyCaptureService, UnreadableFramesAndALostCompositorFailWithThePermissionHeld) {
  for (const char* mode : {"rgb565", "empty", "vanish"}) {
    SCOPED_TRACE(mode);
    FakeCompositor compositor(mode);
    ASSERT_TRUE(compositor.started());
    const Capture capture = captureFakeOutput(QSize(120, 80));
    EXPECT_TRUE(failed(capture));
    EXPECT_TRUE(capture.permissionHeld);
  }
}

TEST(ScreencopyCaptureService, ARefusedCopyFailsAndThePermissionIsNoLongerHeld) {
  FakeCompositor compositor("refuse");
  ASSERT_TRUE(compositor.started());
  const Capture capture = captureFakeOutput(QSize(120, 80));
  EXPECT_TRUE(failed(capture));
  EXPECT_FALSE(capture.permissionHeld);
}

TEST(ScreencopyCaptureService, WithoutACompositorTheContentFails) {
  QTemporaryDir runtime;
  const QByteArray previousRuntime = qgetenv("XDG_RUNTIME_DIR");
  qputenv("XDG_RUNTIME_DIR", runtime.path().toLocal8Bit());
  qputenv("WAYLAND_DISPLAY", "vv-nobody-listens");
  const Capture capture = captureFakeOutput(QSize(120, 80));
  ASSERT_TRUE(capture.content);
  EXPECT_TRUE(std::holds_alternative<CaptureFailure>(*capture.content));
  EXPECT_TRUE(std::holds_alternative<BackendUnavailable>(probeWlrootsBackend()));
  qunsetenv("WAYLAND_DISPLAY");
  qputenv("XDG_RUNTIME_DIR", previousRuntime);
}

TEST(WlrootsBackend, IsOfferedWhereScreencopyIsAdvertised) {
  FakeCompositor compositor("good");
  ASSERT_TRUE(compositor.started());
  const BackendProbe probe = probeWlrootsBackend();
  const auto* backend = std::get_if<DisplayBackend>(&probe);
  ASSERT_TRUE(backend);
  EXPECT_TRUE(backend->screens && backend->permission && backend->capture && backend->placement);
  EXPECT_TRUE(backend->permission->preflight());
}

}  // namespace
}  // namespace vv
