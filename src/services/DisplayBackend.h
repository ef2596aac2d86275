#pragma once

#include <memory>
#include <string>
#include <variant>

#include "services/CaptureService.h"
#include "services/PlatformServices.h"
#include "services/WindowPlacement.h"

namespace vv {

// Everything that differs between desktops, as one bundle chosen once at start-up: where the
// pointer is, whether capture is allowed, the capture service, and how the picker is placed.
struct DisplayBackend {
  std::string name;
  std::unique_ptr<ScreenLocator> screens;
  std::unique_ptr<ScreenCapturePermission> permission;
  std::unique_ptr<CaptureService> capture;
  std::unique_ptr<WindowPlacement> placement;
};

// The desktop does not offer this way of capturing at all.
struct BackendUnavailable {};
// The desktop offers it but refuses this program, and nothing can be asked of the user.
struct BackendNotAuthorised {};

// What probing one back end found. A probe never prompts the user and takes a few milliseconds.
using BackendProbe = std::variant<DisplayBackend, BackendUnavailable, BackendNotAuthorised>;

}  // namespace vv
