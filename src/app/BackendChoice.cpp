#include "app/BackendChoice.h"

#include <variant>

namespace vv {

Session sessionOf(std::string_view waylandDisplay) {
  return waylandDisplay.empty() ? Session::X11 : Session::Wayland;
}

DisplayBackend chooseDisplayBackend(const std::vector<BackendProber>& probes,
                                    const FallbackBackend& fallback) {
  bool refused = false;
  for (const BackendProber& probe : probes) {
    BackendProbe found = probe();
    if (auto* backend = std::get_if<DisplayBackend>(&found)) {
      return std::move(*backend);
    }
    refused = refused || std::holds_alternative<BackendNotAuthorised>(found);
  }
  return fallback(refused);
}

}  // namespace vv
