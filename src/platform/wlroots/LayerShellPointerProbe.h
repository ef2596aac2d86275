#pragma once

#include <QString>
#include <chrono>
#include <optional>

namespace vv {

// Finds the output under the pointer, which Wayland tells a client only when the pointer is over
// one of the client's own surfaces: on a connection of its own, one fully transparent surface per
// output on the layer above everything, covering the output, and the first that the pointer
// enters names the output. Nothing shows, and the surfaces are gone when this returns.
// None when the compositor has no layer shell, viewporter or pointer, or the pointer entered no
// surface before `timeout`.
std::optional<QString> outputUnderPointer(std::chrono::milliseconds timeout);

}  // namespace vv
