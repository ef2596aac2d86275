#pragma once

#include "services/PlatformServices.h"

namespace vv {

// For desktops where every client may read the screen: there is no permission to hold or ask for.
class UngatedCapturePermission : public ScreenCapturePermission {
 public:
  bool preflight() override { return true; }
  bool request() override { return true; }
};

}  // namespace vv
