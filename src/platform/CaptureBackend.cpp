#include "platform/CaptureBackend.h"

#include <QObject>

#include "platform/X11CaptureService.h"

namespace vv {
namespace {

class UnavailableCaptureService : public CaptureService {
 public:
  void shareableContent(std::function<void(ContentOutcome)> done) override {
    QMetaObject::invokeMethod(
        &context_, [done = std::move(done)] { done(CaptureFailure{}); }, Qt::QueuedConnection);
  }
  std::optional<DisplayId> screenNumber(const ScreenInfo&) override { return std::nullopt; }
  void screenshot(const DisplayRecord&, QSize,
                  std::function<void(ScreenshotOutcome)> done) override {
    QMetaObject::invokeMethod(
        &context_, [done = std::move(done)] { done(CaptureFailure{}); }, Qt::QueuedConnection);
  }

 private:
  QObject context_;
};

}  // namespace

CaptureBackend selectCaptureBackend(std::string_view waylandDisplay) {
  return waylandDisplay.empty() ? CaptureBackend::X11 : CaptureBackend::Wayland;
}

std::unique_ptr<CaptureService> makeCaptureService(CaptureBackend backend) {
  switch (backend) {
    case CaptureBackend::Wayland:
      return std::make_unique<UnavailableCaptureService>();
    case CaptureBackend::X11:
      break;
  }
  return std::make_unique<X11CaptureService>();
}

}  // namespace vv
