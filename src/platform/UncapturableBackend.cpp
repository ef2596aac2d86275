#include "platform/UncapturableBackend.h"

#include <QObject>
#include <memory>
#include <optional>
#include <utility>

#include "platform/FullScreenPlacement.h"
#include "platform/QtScreenLocator.h"
#include "platform/UngatedCapturePermission.h"

namespace vv {
namespace {

class RefusedCapturePermission : public ScreenCapturePermission {
 public:
  bool preflight() override { return false; }
  bool request() override { return false; }
};

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

std::unique_ptr<ScreenCapturePermission> permissionFor(bool authorisationRefused) {
  if (authorisationRefused) {
    return std::make_unique<RefusedCapturePermission>();
  }
  return std::make_unique<UngatedCapturePermission>();
}

}  // namespace

DisplayBackend makeUncapturableBackend(bool authorisationRefused) {
  // Nothing here can tell where the pointer is, so the picker's modes use the primary screen.
  return DisplayBackend{
      "none", std::make_unique<QtScreenLocator>([] { return std::optional<QString>(); }),
      permissionFor(authorisationRefused), std::make_unique<UnavailableCaptureService>(),
      std::make_unique<FullScreenPlacement>()};
}

}  // namespace vv
