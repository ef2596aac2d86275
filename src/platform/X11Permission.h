#pragma once

#include "services/PlatformServices.h"

namespace vv {

// On X11 every client may read the screen, so there is no permission to hold or to ask for.
class UngatedCapturePermission : public ScreenCapturePermission {
 public:
  bool preflight() override { return true; }
  bool request() override { return true; }
};

}  // namespace vv
