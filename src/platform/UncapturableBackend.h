#pragma once

#include "services/DisplayBackend.h"

namespace vv {

// A Wayland session where no back end can capture. The picker's own modes still run; a capture
// fails, and ends with "permission" when a back end refused this program ("failed" otherwise).
DisplayBackend makeUncapturableBackend(bool authorisationRefused);

}  // namespace vv
