#include "platform/wlroots/WlrootsBackend.h"

#include <atomic>
#include <chrono>
#include <memory>

#include "platform/FullScreenPlacement.h"
#include "platform/QtScreenLocator.h"
#include "platform/wlroots/LayerShellPointerProbe.h"
#include "platform/wlroots/ScreencopyCaptureService.h"
#include "platform/wlroots/WaylandConnection.h"

namespace vv {
namespace {

using namespace std::chrono_literals;

// A compositor answers the two round trips of the probe in about a millisecond; one that takes
// longer is treated as not offering capture rather than delaying the start.
constexpr auto kProbeTime = 250ms;
// The pointer enters a probe surface within a millisecond of its mapping, when it is over one.
constexpr auto kPointerProbeTime = 150ms;

}  // namespace

BackendProbe probeWlrootsBackend() {
  const auto connection = WaylandConnection::open(std::chrono::steady_clock::now() + kProbeTime);
  if (!connection || !connection->screencopy() || !connection->shm()) {
    return BackendUnavailable{};
  }
  const auto refusal = std::make_shared<std::atomic<bool>>(false);
  DisplayBackend backend;
  backend.name = "wlroots";
  backend.screens =
      std::make_unique<QtScreenLocator>([] { return outputUnderPointer(kPointerProbeTime); });
  backend.permission = std::make_unique<ScreencopyPermission>(refusal);
  backend.capture = std::make_unique<ScreencopyCaptureService>(refusal);
  backend.placement = std::make_unique<FullScreenPlacement>();
  return backend;
}

}  // namespace vv
