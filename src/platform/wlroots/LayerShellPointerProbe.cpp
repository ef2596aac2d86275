#include "platform/wlroots/LayerShellPointerProbe.h"

#include <memory>
#include <vector>

#include "platform/wlroots/PointerProbeTally.h"
#include "platform/wlroots/ShmFrame.h"
#include "platform/wlroots/WaylandConnection.h"
#include "platform/wlroots/WaylandProtocols.h"

namespace vv {
namespace {

// One probe surface: a 1x1 transparent buffer, stretched over the whole output.
struct ProbeSurface {
  wl_surface* surface = nullptr;
  zwlr_layer_surface_v1* layer = nullptr;
  wp_viewport* viewport = nullptr;
  wl_buffer* buffer = nullptr;  // shared by all surfaces; not owned

  ~ProbeSurface() {
    if (viewport) {
      wp_viewport_destroy(viewport);
    }
    zwlr_layer_surface_v1_destroy(layer);
    wl_surface_destroy(surface);
  }
};

const zwlr_layer_surface_v1_listener layerListener = {
    .configure =
        [](void* data, zwlr_layer_surface_v1* layer, uint32_t serial, uint32_t width,
           uint32_t height) {
          auto& probe = *static_cast<ProbeSurface*>(data);
          zwlr_layer_surface_v1_ack_configure(layer, serial);
          if (width == 0 || height == 0) {
            return;
          }
          wp_viewport_set_destination(probe.viewport, static_cast<int32_t>(width),
                                      static_cast<int32_t>(height));
          wl_surface_attach(probe.surface, probe.buffer, 0, 0);
          wl_surface_commit(probe.surface);
        },
    .closed = [](void*, zwlr_layer_surface_v1*) {},
};

const wl_pointer_listener pointerListener = {
    .enter = [](void* data, wl_pointer*, uint32_t, wl_surface* surface, wl_fixed_t,
                wl_fixed_t) { static_cast<PointerProbeTally*>(data)->entered(surface); },
    .leave = [](void*, wl_pointer*, uint32_t, wl_surface*) {},
    .motion = [](void*, wl_pointer*, uint32_t, wl_fixed_t, wl_fixed_t) {},
    .button = [](void*, wl_pointer*, uint32_t, uint32_t, uint32_t, uint32_t) {},
    .axis = [](void*, wl_pointer*, uint32_t, uint32_t, wl_fixed_t) {},
    .frame = [](void*, wl_pointer*) {},
    .axis_source = [](void*, wl_pointer*, uint32_t) {},
    .axis_stop = [](void*, wl_pointer*, uint32_t, uint32_t) {},
    .axis_discrete = [](void*, wl_pointer*, uint32_t, int32_t) {},
    .axis_value120 = [](void*, wl_pointer*, uint32_t, int32_t) {},
};

struct PointerDeleter {
  void operator()(wl_pointer* pointer) const { wl_pointer_destroy(pointer); }
};
struct BufferDeleter {
  void operator()(wl_buffer* buffer) const { wl_buffer_destroy(buffer); }
};

}  // namespace

std::optional<QString> outputUnderPointer(std::chrono::milliseconds timeout) {
  const Deadline deadline = std::chrono::steady_clock::now() + timeout;
  const auto connection = WaylandConnection::open(deadline);
  if (!connection || !connection->compositor() || !connection->shm() || !connection->layerShell() ||
      !connection->viewporter()) {
    return std::nullopt;
  }

  PointerProbeTally tally;
  std::vector<std::unique_ptr<wl_pointer, PointerDeleter>> pointers;
  for (const auto& seat : connection->seats()) {
    if (seat->capabilities & WL_SEAT_CAPABILITY_POINTER) {
      pointers.emplace_back(wl_seat_get_pointer(seat->proxy));
      wl_pointer_add_listener(pointers.back().get(), &pointerListener, &tally);
    }
  }
  if (pointers.empty()) {
    return std::nullopt;
  }

  // All zero: ARGB8888 with alpha 0, so nothing of the probe is ever seen.
  const std::optional<MemoryFile> pixel = MemoryFile::create(4);
  if (!pixel) {
    return std::nullopt;
  }
  wl_shm_pool* pool = wl_shm_create_pool(connection->shm(), pixel->fd(), 4);
  const std::unique_ptr<wl_buffer, BufferDeleter> buffer(
      wl_shm_pool_create_buffer(pool, 0, 1, 1, 4, WL_SHM_FORMAT_ARGB8888));
  wl_shm_pool_destroy(pool);

  std::vector<std::unique_ptr<ProbeSurface>> surfaces;
  for (const auto& output : connection->outputs()) {
    auto probe = std::make_unique<ProbeSurface>();
    probe->buffer = buffer.get();
    probe->surface = wl_compositor_create_surface(connection->compositor());
    probe->viewport = wp_viewporter_get_viewport(connection->viewporter(), probe->surface);
    probe->layer = zwlr_layer_shell_v1_get_layer_surface(
        connection->layerShell(), probe->surface, output->proxy, ZWLR_LAYER_SHELL_V1_LAYER_OVERLAY,
        "pointer-probe");
    zwlr_layer_surface_v1_add_listener(probe->layer, &layerListener, probe.get());
    zwlr_layer_surface_v1_set_anchor(
        probe->layer, ZWLR_LAYER_SURFACE_V1_ANCHOR_TOP | ZWLR_LAYER_SURFACE_V1_ANCHOR_BOTTOM |
                          ZWLR_LAYER_SURFACE_V1_ANCHOR_LEFT | ZWLR_LAYER_SURFACE_V1_ANCHOR_RIGHT);
    // The whole output, the areas panels reserve for themselves included.
    zwlr_layer_surface_v1_set_exclusive_zone(probe->layer, -1);
    wl_surface_commit(probe->surface);
    tally.watch(probe->surface, output->name());
    surfaces.push_back(std::move(probe));
  }
  connection->dispatchUntil([&tally] { return tally.answered(); }, deadline);
  return tally.answer();
}

}  // namespace vv
