#pragma once

#include "services/DisplayBackend.h"

namespace vv {

// The desktop portal's ScreenCast, for every Wayland desktop that offers monitors through it.
// Available when the portal lists monitors among its source types; the probe reads that property
// and nothing else, so it never shows the portal's dialog.
BackendProbe probePortalBackend();

}  // namespace vv
