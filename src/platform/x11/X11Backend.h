#pragma once

#include "services/DisplayBackend.h"

namespace vv {

// An X11 session: the pointer from the X server, no capture permission, the RandR monitors
// captured over the program's own connection, and the picker full screen by EWMH.
DisplayBackend makeX11Backend();

}  // namespace vv
