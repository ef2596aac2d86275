#pragma once

#include "services/DisplayBackend.h"

namespace vv {

// The back end of wlroots compositors (sway, Hyprland, river, labwc, Wayfire): capture through
// wlr-screencopy, the pointer's screen through an invisible layer-shell probe, the picker through
// the toolkit's full-screen request. Unavailable when the compositor does not advertise
// screencopy. Call on the main thread once the QApplication exists, in a Wayland session.
BackendProbe probeWlrootsBackend();

}  // namespace vv
