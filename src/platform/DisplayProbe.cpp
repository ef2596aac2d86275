#include "platform/DisplayProbe.h"

#include <wayland-client.h>
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

bool compositorReachable() {
  wl_display* display = wl_display_connect(nullptr);
  if (!display) {
    return false;
  }
  wl_display_disconnect(display);
  return true;
}

std::string_view environment(const char* name) {
  const char* value = std::getenv(name);
  return value ? std::string_view(value) : std::string_view();
}

}  // namespace

bool displayAvailable() {
  const std::string_view platform = environment("QT_QPA_PLATFORM");
  if (platform.substr(0, 3) == "xcb") {
    return xServerReachable();
  }
  if (platform.substr(0, 7) == "wayland") {
    return compositorReachable();
  }
  if (!platform.empty()) {
    // Platforms that need no server (offscreen, minimal, vnc, ...) start anywhere.
    return true;
  }
  return environment("WAYLAND_DISPLAY").empty() ? xServerReachable() : compositorReachable();
}

}  // namespace vv
