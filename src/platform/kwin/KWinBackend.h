#pragma once

#include "services/DisplayBackend.h"

namespace vv {

// KDE Plasma's compositor: its screenshot interface on the session bus, for a program that an
// installed desktop file authorises. Unavailable where KWin or the interface is missing, not
// authorised where KWin refuses this executable.
BackendProbe probeKWinBackend();

}  // namespace vv
