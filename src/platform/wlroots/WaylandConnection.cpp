#include "platform/wlroots/WaylandConnection.h"

#include <poll.h>

#include <algorithm>
#include <cerrno>
#include <cstdarg>
#include <cstring>
#include <mutex>

#include "platform/wlroots/WaylandProtocols.h"

namespace vv {
namespace {

// Bound versions: the highest the back end understands, never above what the compositor offers.
constexpr std::uint32_t kCompositorVersion = 4;
constexpr std::uint32_t kOutputVersion = 4;
constexpr std::uint32_t kScreencopyVersion = 3;
constexpr std::uint32_t kXdgOutputManagerVersion = 3;
constexpr std::uint32_t kSeatVersion = 5;

template <typename T>
T* bind(wl_registry* registry, std::uint32_t name, const wl_interface* interface,
        std::uint32_t offered, std::uint32_t wanted) {
  return static_cast<T*>(wl_registry_bind(registry, name, interface, std::min(offered, wanted)));
}

void ignoreMessage(const char*, va_list) {}

WaylandOutput* outputOf(void* data) { return static_cast<WaylandOutput*>(data); }

const wl_output_listener outputListener = {
    .geometry = [](void*, wl_output*, int32_t, int32_t, int32_t, int32_t, int32_t, const char*,
                   const char*, int32_t) {},
    .mode =
        [](void* data, wl_output*, uint32_t flags, int32_t width, int32_t height, int32_t) {
          if (flags & WL_OUTPUT_MODE_CURRENT) {
            outputOf(data)->modeSize = QSize(width, height);
          }
        },
    .done = [](void*, wl_output*) {},
    .scale = [](void*, wl_output*, int32_t) {},
    .name = [](void* data, wl_output*,
               const char* name) { outputOf(data)->outputName = QString::fromUtf8(name); },
    .description = [](void*, wl_output*, const char*) {},
};

const zxdg_output_v1_listener xdgOutputListener = {
    .logical_position = [](void* data, zxdg_output_v1*, int32_t x,
                           int32_t y) { outputOf(data)->logicalPosition = QPoint(x, y); },
    .logical_size = [](void*, zxdg_output_v1*, int32_t, int32_t) {},
    .done = [](void*, zxdg_output_v1*) {},
    .name = [](void* data, zxdg_output_v1*,
               const char* name) { outputOf(data)->xdgName = QString::fromUtf8(name); },
    .description = [](void*, zxdg_output_v1*, const char*) {},
};

const wl_seat_listener seatListener = {
    .capabilities =
        [](void* data, wl_seat*, uint32_t capabilities) {
          static_cast<WaylandSeat*>(data)->capabilities = capabilities;
        },
    .name = [](void*, wl_seat*, const char*) {},
};

const wl_registry_listener registryListener = {
    .global =
        [](void* data, wl_registry* registry, uint32_t name, const char* interface,
           uint32_t version) {
          static_cast<WaylandConnection*>(data)->announce(registry, name, interface, version);
        },
    .global_remove = [](void* data, wl_registry*,
                        uint32_t name) { static_cast<WaylandConnection*>(data)->withdraw(name); },
};

void destroyOutput(WaylandOutput& output) {
  if (output.xdgOutput) {
    zxdg_output_v1_destroy(output.xdgOutput);
  }
  wl_output_destroy(output.proxy);
}

}  // namespace

void silenceWaylandMessages() {
  // Connections are opened on pool threads too; the handler is one process-wide pointer.
  static std::once_flag once;
  std::call_once(once, [] { wl_log_set_handler_client(ignoreMessage); });
}

std::unique_ptr<WaylandConnection> WaylandConnection::open(Deadline deadline) {
  silenceWaylandMessages();
  wl_display* display = wl_display_connect(nullptr);
  if (!display) {
    return nullptr;
  }
  std::unique_ptr<WaylandConnection> connection(new WaylandConnection(display));
  // The first round trip lists the globals; the second brings the events of the outputs bound
  // in the first.
  if (!connection->roundtrip(deadline) || !connection->describeOutputs(deadline)) {
    return nullptr;
  }
  return connection;
}

WaylandConnection::WaylandConnection(wl_display* display) : display_(display) {
  registry_ = wl_display_get_registry(display_);
  wl_registry_add_listener(registry_, &registryListener, this);
}

WaylandConnection::~WaylandConnection() {
  for (const auto& output : outputs_) {
    destroyOutput(*output);
  }
  for (const auto& seat : seats_) {
    wl_seat_destroy(seat->proxy);
  }
  if (xdgOutputManager_) {
    zxdg_output_manager_v1_destroy(xdgOutputManager_);
  }
  if (viewporter_) {
    wp_viewporter_destroy(viewporter_);
  }
  if (layerShell_) {
    zwlr_layer_shell_v1_destroy(layerShell_);
  }
  if (screencopy_) {
    zwlr_screencopy_manager_v1_destroy(screencopy_);
  }
  if (shm_) {
    wl_shm_destroy(shm_);
  }
  if (compositor_) {
    wl_compositor_destroy(compositor_);
  }
  wl_registry_destroy(registry_);
  wl_display_disconnect(display_);
}

void WaylandConnection::announce(wl_registry* registry, std::uint32_t name, const char* interface,
                                 std::uint32_t version) {
  const auto is = [interface](const wl_interface& known) {
    return std::strcmp(interface, known.name) == 0;
  };
  if (is(wl_compositor_interface) && !compositor_) {
    compositor_ =
        bind<wl_compositor>(registry, name, &wl_compositor_interface, version, kCompositorVersion);
  } else if (is(wl_shm_interface) && !shm_) {
    shm_ = bind<wl_shm>(registry, name, &wl_shm_interface, version, 1);
  } else if (is(zwlr_screencopy_manager_v1_interface) && !screencopy_) {
    screencopyVersion_ = std::min(version, kScreencopyVersion);
    screencopy_ = bind<zwlr_screencopy_manager_v1>(
        registry, name, &zwlr_screencopy_manager_v1_interface, version, kScreencopyVersion);
  } else if (is(zwlr_layer_shell_v1_interface) && !layerShell_) {
    layerShell_ =
        bind<zwlr_layer_shell_v1>(registry, name, &zwlr_layer_shell_v1_interface, version, 1);
  } else if (is(wp_viewporter_interface) && !viewporter_) {
    viewporter_ = bind<wp_viewporter>(registry, name, &wp_viewporter_interface, version, 1);
  } else if (is(zxdg_output_manager_v1_interface) && !xdgOutputManager_) {
    xdgOutputManager_ = bind<zxdg_output_manager_v1>(
        registry, name, &zxdg_output_manager_v1_interface, version, kXdgOutputManagerVersion);
  } else if (is(wl_seat_interface)) {
    auto seat = std::make_unique<WaylandSeat>();
    seat->proxy = bind<wl_seat>(registry, name, &wl_seat_interface, version, kSeatVersion);
    wl_seat_add_listener(seat->proxy, &seatListener, seat.get());
    seats_.push_back(std::move(seat));
  } else if (is(wl_output_interface)) {
    auto output = std::make_unique<WaylandOutput>();
    output->globalName = name;
    output->proxy = bind<wl_output>(registry, name, &wl_output_interface, version, kOutputVersion);
    wl_output_add_listener(output->proxy, &outputListener, output.get());
    outputs_.push_back(std::move(output));
  }
}

void WaylandConnection::withdraw(std::uint32_t name) {
  const auto gone = std::find_if(outputs_.begin(), outputs_.end(),
                                 [name](const auto& output) { return output->globalName == name; });
  if (gone != outputs_.end()) {
    destroyOutput(**gone);
    outputs_.erase(gone);
  }
}

bool WaylandConnection::describeOutputs(Deadline deadline) {
  if (xdgOutputManager_) {
    for (const auto& output : outputs_) {
      output->xdgOutput = zxdg_output_manager_v1_get_xdg_output(xdgOutputManager_, output->proxy);
      zxdg_output_v1_add_listener(output->xdgOutput, &xdgOutputListener, output.get());
    }
  }
  return roundtrip(deadline);
}

bool WaylandConnection::dispatchUntil(const std::function<bool()>& done, Deadline deadline) {
  while (true) {
    if (wl_display_dispatch_pending(display_) < 0) {
      return false;
    }
    if (done()) {
      return true;
    }
    while (wl_display_prepare_read(display_) != 0) {
      if (wl_display_dispatch_pending(display_) < 0) {
        return false;
      }
    }
    if (wl_display_flush(display_) < 0 && errno != EAGAIN) {
      wl_display_cancel_read(display_);
      return false;
    }
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) {
      wl_display_cancel_read(display_);
      return false;
    }
    pollfd watched{wl_display_get_fd(display_), POLLIN, 0};
    const int ready = poll(&watched, 1, static_cast<int>(left.count()) + 1);
    if (ready <= 0) {
      wl_display_cancel_read(display_);
      if (ready < 0 && errno != EINTR) {
        return false;
      }
      continue;  // the deadline is looked at again
    }
    if (wl_display_read_events(display_) < 0) {
      return false;
    }
  }
}

bool WaylandConnection::roundtrip(Deadline deadline) {
  bool synced = false;
  static const wl_callback_listener listener = {
      .done =
          [](void* data, wl_callback* callback, uint32_t) {
            *static_cast<bool*>(data) = true;
            wl_callback_destroy(callback);
          },
  };
  wl_callback* callback = wl_display_sync(display_);
  wl_callback_add_listener(callback, &listener, &synced);
  if (dispatchUntil([&synced] { return synced; }, deadline)) {
    return true;
  }
  if (!synced) {
    // Still queued: the listener must not write to `synced` once this frame is gone.
    wl_callback_destroy(callback);
  }
  return false;
}

}  // namespace vv
