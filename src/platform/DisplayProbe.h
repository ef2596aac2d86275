#pragma once

namespace vv {

// Whether the window toolkit can start here. Qt aborts the process when its platform plugin
// cannot connect, so the X server is tried first when Qt would use it.
bool displayAvailable();

}  // namespace vv
