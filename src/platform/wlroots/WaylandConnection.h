#pragma once

#include <QPoint>
#include <QSize>
#include <QString>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

struct wl_compositor;
struct wl_display;
struct wl_output;
struct wl_registry;
struct wl_seat;
struct wl_shm;
struct wp_viewporter;
struct zwlr_layer_shell_v1;
struct zwlr_screencopy_manager_v1;
struct zxdg_output_manager_v1;
struct zxdg_output_v1;

namespace vv {

using Deadline = std::chrono::steady_clock::time_point;

// Routes libwayland's own messages (protocol errors, lost connections) away from standard error.
// Process-wide; idempotent.
void silenceWaylandMessages();

// One output as the compositor describes it on this connection.
struct WaylandOutput {
  std::uint32_t globalName = 0;  // the registry's name: the same on every connection
  wl_output* proxy = nullptr;
  zxdg_output_v1* xdgOutput = nullptr;
  QString outputName;  // wl_output version 4
  QString xdgName;     // xdg-output version 2, for compositors with an older wl_output
  QPoint logicalPosition;
  QSize modeSize;  // the current mode, in device pixels

  // The name the toolkit gives the screen of this output.
  QString name() const { return outputName.isEmpty() ? xdgName : outputName; }
};

// A seat and what it has, as it said last.
struct WaylandSeat {
  wl_seat* proxy = nullptr;
  std::uint32_t capabilities = 0;
};

// A connection of the back end's own to the Wayland compositor, with the globals it needs bound
// and every output described. Used by one thread at a time; every wait is bounded by a deadline.
class WaylandConnection {
 public:
  // None when there is no compositor to connect to, or it did not answer before the deadline.
  static std::unique_ptr<WaylandConnection> open(Deadline deadline);
  ~WaylandConnection();
  WaylandConnection(const WaylandConnection&) = delete;
  WaylandConnection& operator=(const WaylandConnection&) = delete;

  wl_display* display() const { return display_; }
  wl_compositor* compositor() const { return compositor_; }
  wl_shm* shm() const { return shm_; }
  zwlr_screencopy_manager_v1* screencopy() const { return screencopy_; }
  std::uint32_t screencopyVersion() const { return screencopyVersion_; }
  zwlr_layer_shell_v1* layerShell() const { return layerShell_; }
  wp_viewporter* viewporter() const { return viewporter_; }
  const std::vector<std::unique_ptr<WaylandSeat>>& seats() const { return seats_; }
  const std::vector<std::unique_ptr<WaylandOutput>>& outputs() const { return outputs_; }

  // Dispatches events until `done` holds. False when the deadline passes first, or the
  // connection breaks (the compositor went away, or a protocol error).
  bool dispatchUntil(const std::function<bool()>& done, Deadline deadline);
  // Waits until the compositor has handled every request sent so far.
  bool roundtrip(Deadline deadline);

  // Registry callbacks; public for the C listener tables only.
  void announce(wl_registry* registry, std::uint32_t name, const char* interface,
                std::uint32_t version);
  void withdraw(std::uint32_t name);

 private:
  explicit WaylandConnection(wl_display* display);
  bool describeOutputs(Deadline deadline);

  wl_display* display_ = nullptr;
  wl_registry* registry_ = nullptr;
  wl_compositor* compositor_ = nullptr;
  wl_shm* shm_ = nullptr;
  zwlr_screencopy_manager_v1* screencopy_ = nullptr;
  std::uint32_t screencopyVersion_ = 0;
  zwlr_layer_shell_v1* layerShell_ = nullptr;
  wp_viewporter* viewporter_ = nullptr;
  zxdg_output_manager_v1* xdgOutputManager_ = nullptr;
  std::vector<std::unique_ptr<WaylandSeat>> seats_;
  std::vector<std::unique_ptr<WaylandOutput>> outputs_;
};

}  // namespace vv
