#include "platform/DisplayProbe.h"

#include <xcb/xcb.h>

#include <cstdlib>
#include <string_view>

namespace vv {
namespace {

bool xServerReachable() {
  xcb_connection_t* connection = xcb_connect(nullptr, nullptr);
  const bool reachable = xcb_connection_has_error(connection) == 0;
  xcb_disconnect(connection);
  return reachable;
}

}  // namespace

bool displayAvailable() {
  const char* platform = std::getenv("QT_QPA_PLATFORM");
  if (platform != nullptr && *platform != '\0') {
    const std::string_view name(platform);
    // Platforms that need no server (offscreen, minimal, vnc, ...) start anywhere.
    return name.substr(0, 3) != "xcb" || xServerReachable();
  }
  return xServerReachable();
}

}  // namespace vv
