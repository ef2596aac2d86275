#pragma once

#include <memory>
#include <string_view>

#include "services/CaptureService.h"

namespace vv {

enum class CaptureBackend { X11, Wayland };

// Chosen once, at start-up. A Wayland session is recognised first: its X server (Xwayland) shows
// only the X clients, so grabbing it would capture a screen the user does not see.
CaptureBackend selectCaptureBackend(std::string_view waylandDisplay);

// The capture service of a back end. Wayland has no capture service yet: every request there
// fails, and the run ends with "failed" instead of capturing the wrong picture.
std::unique_ptr<CaptureService> makeCaptureService(CaptureBackend backend);

}  // namespace vv
