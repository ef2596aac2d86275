#pragma once

#include <QDBusConnection>
#include <QObject>
#include <QString>
#include <chrono>
#include <memory>
#include <optional>
#include <vector>

#include "platform/QtScreenLocator.h"
#include "platform/portal/PortalConsent.h"
#include "platform/portal/PortalReplies.h"
#include "services/CaptureService.h"

namespace vv {

// Capture through the desktop portal's ScreenCast. The shareable content is what the user picks in
// the portal's dialog: one monitor, whose stream then is the only display and shows whichever
// screen the request named. A screenshot is the first complete frame of that stream over
// PipeWire, in shared memory; the session closes right after it. Nothing is kept for later runs.
// D-Bus traffic runs on the main thread's event loop, the PipeWire stream on a pool thread. Create,
// use and destroy it on the main thread.
class PortalCaptureService : public CaptureService {
 public:
  PortalCaptureService(QDBusConnection bus, std::shared_ptr<PortalConsent> consent,
                       std::chrono::milliseconds frameTimeout = std::chrono::seconds(5));
  ~PortalCaptureService() override;

  void shareableContent(std::function<void(ContentOutcome)> done) override;
  // The stream the user chose, whatever the screen: on these desktops the dialog, not the
  // pointer, says which screen is meant.
  std::optional<DisplayId> screenNumber(const ScreenInfo& screen) override;
  std::optional<ScreenInfo> screenShown(const DisplayRecord& display) override;
  void screenshot(const DisplayRecord& display, QSize size,
                  std::function<void(ScreenshotOutcome)> done) override;

 private:
  void selectSources(std::function<void(ContentOutcome)> done);
  void startStreams(std::function<void(ContentOutcome)> done);
  // Ends a capture that did not get its streams, recording whether the user refused.
  void contentFailed(bool refused, const std::function<void(ContentOutcome)>& done);
  void closeSession();

  QDBusConnection bus_;
  std::shared_ptr<PortalConsent> consent_;
  std::chrono::milliseconds frameTimeout_;
  QtScreenLocator screens_;
  std::optional<QString> session_;
  std::vector<PortalStream> streams_;
  QObject context_;  // completions are delivered in this object's thread
};

}  // namespace vv
