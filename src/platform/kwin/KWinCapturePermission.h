#pragma once

#include <utility>

#include "platform/kwin/KWinDBus.h"
#include "services/PlatformServices.h"

namespace vv {

// KWin has no way to ask the user: the permission is held exactly when an installed desktop file
// grants it, so a request only looks again.
class KWinCapturePermission : public ScreenCapturePermission {
 public:
  explicit KWinCapturePermission(KWinDBus kwin) : kwin_(std::move(kwin)) {}

  bool preflight() override {
    return kwin_.screenShotAccess() == KWinDBus::ScreenShotAccess::Granted;
  }
  bool request() override { return preflight(); }

 private:
  KWinDBus kwin_;
};

}  // namespace vv
