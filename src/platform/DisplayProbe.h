#pragma once

namespace vv {

// Whether the window toolkit can start here. Qt aborts the process when its platform plugin
// cannot connect, so the server Qt would use (the X server or the Wayland compositor) is tried
// first.
bool displayAvailable();

}  // namespace vv
