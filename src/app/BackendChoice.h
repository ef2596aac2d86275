#pragma once

#include <functional>
#include <string_view>
#include <vector>

#include "services/DisplayBackend.h"

namespace vv {

enum class Session { X11, Wayland };

// A Wayland session is recognised by its compositor's socket, never by DISPLAY: there DISPLAY
// names Xwayland, which cannot see the Wayland windows the user looks at.
Session sessionOf(std::string_view waylandDisplay);

using BackendProber = std::function<BackendProbe()>;
// The bundle used when every probe came back empty; told whether one of them refused us.
using FallbackBackend = std::function<DisplayBackend(bool authorisationRefused)>;

// The first back end, in the probes' order, that the desktop offers and that accepts this
// program. Probes after it are never run.
DisplayBackend chooseDisplayBackend(const std::vector<BackendProber>& probes,
                                    const FallbackBackend& fallback);

}  // namespace vv
