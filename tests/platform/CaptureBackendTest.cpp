#include "platform/CaptureBackend.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>

namespace vv {
namespace {

TEST(CaptureBackend, AWaylandSessionIsRecognisedBeforeItsXServer) {
  EXPECT_EQ(selectCaptureBackend(""), CaptureBackend::X11);
  EXPECT_EQ(selectCaptureBackend("wayland-0"), CaptureBackend::Wayland);
}

TEST(CaptureBackend, WaylandCaptureFailsLaterInsteadOfGrabbingTheWrongScreen) {
  const auto service = makeCaptureService(CaptureBackend::Wayland);
  int failures = 0;
  service->shareableContent([&](ContentOutcome outcome) {
    failures += std::holds_alternative<CaptureFailure>(outcome) ? 1 : 0;
  });
  EXPECT_EQ(failures, 0) << "the completion must not run inside the request";
  QElapsedTimer waited;
  waited.start();
  while (failures == 0 && waited.elapsed() < 5000) {
    QCoreApplication::processEvents();
  }
  EXPECT_EQ(failures, 1);
}

}  // namespace
}  // namespace vv
