#include "platform/x11/X11Backend.h"

#include <memory>

#include "platform/QtScreenLocator.h"
#include "platform/UngatedCapturePermission.h"
#include "platform/x11/X11CaptureService.h"
#include "platform/x11/X11WindowPlacement.h"

namespace vv {

DisplayBackend makeX11Backend() {
  return DisplayBackend{
      "x11", std::make_unique<QtScreenLocator>(), std::make_unique<UngatedCapturePermission>(),
      std::make_unique<X11CaptureService>(), std::make_unique<X11WindowPlacement>()};
}

}  // namespace vv
