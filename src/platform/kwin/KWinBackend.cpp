#include "platform/kwin/KWinBackend.h"

#include <memory>

#include "platform/FullScreenPlacement.h"
#include "platform/QtScreenLocator.h"
#include "platform/kwin/KWinCapturePermission.h"
#include "platform/kwin/KWinCaptureService.h"
#include "platform/kwin/KWinDBus.h"

namespace vv {

BackendProbe probeKWinBackend() {
  // KWin answers these from its own main loop at once; a second is reached only when it hangs.
  const KWinDBus kwin(QDBusConnection::sessionBus(), std::chrono::milliseconds(1000));
  switch (kwin.screenShotAccess()) {
    case KWinDBus::ScreenShotAccess::Absent:
      return BackendUnavailable{};
    case KWinDBus::ScreenShotAccess::Refused:
      return BackendNotAuthorised{};
    case KWinDBus::ScreenShotAccess::Granted:
      break;
  }
  DisplayBackend backend;
  backend.name = "kwin";
  backend.screens = std::make_unique<QtScreenLocator>([kwin] { return kwin.activeOutputName(); });
  backend.permission = std::make_unique<KWinCapturePermission>(kwin);
  backend.capture = std::make_unique<KWinCaptureService>(kwin);
  backend.placement = std::make_unique<FullScreenPlacement>();
  return backend;
}

}  // namespace vv
