#include "platform/portal/PipeWireFrameGrab.h"

// PipeWire's inline functions and macros are written with GNU statement expressions, which
// clang's pedantic warnings name.
#if defined(__clang__)
#pragma clang diagnostic ignored "-Wgnu-statement-expression"
#endif

#include <pipewire/pipewire.h>
#include <spa/buffer/meta.h>
#include <spa/param/param.h>
#include <unistd.h>

#include <array>
#include <memory>
#include <mutex>
#include <span>

#include "platform/portal/SpaParams.h"
#include "platform/portal/VideoFrame.h"

namespace vv {
namespace {

void initialisePipeWire() {
  static std::once_flag once;
  std::call_once(once, [] {
    pw_init(nullptr, nullptr);
    // The library writes its warnings to stderr, where this program never writes.
    pw_log_set_level(SPA_LOG_LEVEL_NONE);
  });
}

struct LoopDeleter {
  void operator()(pw_main_loop* loop) const { pw_main_loop_destroy(loop); }
};
struct ContextDeleter {
  void operator()(pw_context* context) const { pw_context_destroy(context); }
};
struct CoreDeleter {
  void operator()(pw_core* core) const { pw_core_disconnect(core); }
};
struct StreamDeleter {
  void operator()(pw_stream* stream) const { pw_stream_destroy(stream); }
};

// What the stream callbacks share; lives on the grabbing thread's stack.
struct Grab {
  pw_main_loop* loop = nullptr;
  pw_stream* stream = nullptr;
  std::optional<vv_video_format> format;
  std::optional<QImage> frame;

  void end() { pw_main_loop_quit(loop); }
};

bool corrupted(const spa_buffer* buffer) {
  const auto* header = static_cast<const spa_meta_header*>(
      spa_buffer_find_meta_data(buffer, SPA_META_Header, sizeof(spa_meta_header)));
  return header && (header->flags & SPA_META_HEADER_FLAG_CORRUPTED);
}

// The frame in a buffer, when the buffer holds a whole one in mapped memory.
std::optional<QImage> frameOf(const spa_buffer* buffer, const vv_video_format& format) {
  if (buffer->n_datas < 1 || corrupted(buffer)) {
    return std::nullopt;
  }
  const spa_data& data = buffer->datas[0];
  if ((data.type != SPA_DATA_MemFd && data.type != SPA_DATA_MemPtr) || !data.data || !data.chunk ||
      data.maxsize == 0 || data.chunk->size == 0 || data.chunk->stride < 0 ||
      (data.chunk->flags & SPA_CHUNK_FLAG_CORRUPTED)) {
    return std::nullopt;
  }
  const std::uint32_t offset = data.chunk->offset % data.maxsize;
  const std::uint32_t size = std::min(data.chunk->size, data.maxsize - offset);
  // A producer that leaves the stride out packs the rows.
  const int stride = data.chunk->stride > 0 ? data.chunk->stride : int(format.width) * 4;
  const std::span<const std::uint8_t> bytes(static_cast<const std::uint8_t*>(data.data) + offset,
                                            size);
  return copyVideoFrame(bytes,
                        FrameLayout{int(format.width), int(format.height), stride, format.order});
}

void onParamChanged(void* userData, std::uint32_t id, const spa_pod* param) {
  auto& grab = *static_cast<Grab*>(userData);
  if (id != SPA_PARAM_Format || !param) {
    return;
  }
  vv_video_format format{};
  if (vv_parse_format(param, &format) != 0) {
    grab.end();
    return;
  }
  grab.format = format;
  std::array<std::uint8_t, 256> buffersSpace{};
  std::array<std::uint8_t, 256> metaSpace{};
  std::array<const spa_pod*, 2> params{
      vv_build_memory_buffers(buffersSpace.data(), buffersSpace.size()),
      vv_build_header_meta(metaSpace.data(), metaSpace.size())};
  pw_stream_update_params(grab.stream, params.data(), params.size());
}

void onProcess(void* userData) {
  auto& grab = *static_cast<Grab*>(userData);
  while (pw_buffer* buffer = pw_stream_dequeue_buffer(grab.stream)) {
    if (!grab.frame && grab.format) {
      if (buffer->buffer->n_datas >= 1 && buffer->buffer->datas[0].type == SPA_DATA_DmaBuf) {
        pw_stream_queue_buffer(grab.stream, buffer);
        grab.end();
        return;
      }
      grab.frame = frameOf(buffer->buffer, *grab.format);
    }
    pw_stream_queue_buffer(grab.stream, buffer);
  }
  if (grab.frame) {
    grab.end();
  }
}

void onStateChanged(void* userData, pw_stream_state, pw_stream_state state, const char*) {
  if (state == PW_STREAM_STATE_ERROR || state == PW_STREAM_STATE_UNCONNECTED) {
    static_cast<Grab*>(userData)->end();
  }
}

void onCoreError(void* userData, std::uint32_t id, int, int, const char*) {
  if (id == PW_ID_CORE) {
    static_cast<Grab*>(userData)->end();
  }
}

void onTimeout(void* userData, std::uint64_t) { static_cast<Grab*>(userData)->end(); }

}  // namespace

std::optional<QImage> grabFirstFrame(int remoteFd, std::uint32_t node,
                                     std::chrono::milliseconds timeout) {
  initialisePipeWire();
  Grab grab;
  const std::unique_ptr<pw_main_loop, LoopDeleter> loop(pw_main_loop_new(nullptr));
  if (!loop) {
    close(remoteFd);
    return std::nullopt;
  }
  grab.loop = loop.get();
  pw_loop* events = pw_main_loop_get_loop(loop.get());
  const std::unique_ptr<pw_context, ContextDeleter> context(pw_context_new(events, nullptr, 0));
  if (!context) {
    close(remoteFd);
    return std::nullopt;
  }
  // The core owns the descriptor from here on, also when connecting fails.
  const std::unique_ptr<pw_core, CoreDeleter> core(
      pw_context_connect_fd(context.get(), remoteFd, nullptr, 0));
  if (!core) {
    return std::nullopt;
  }
  pw_core_events coreEvents{};
  coreEvents.version = PW_VERSION_CORE_EVENTS;
  coreEvents.error = onCoreError;
  spa_hook coreListener{};
  pw_core_add_listener(core.get(), &coreListener, &coreEvents, &grab);

  const std::unique_ptr<pw_stream, StreamDeleter> stream(
      pw_stream_new(core.get(), "vizovi-vevo",
                    pw_properties_new(PW_KEY_MEDIA_TYPE, "Video", PW_KEY_MEDIA_CATEGORY, "Capture",
                                      PW_KEY_MEDIA_ROLE, "Screen", nullptr)));
  if (!stream) {
    spa_hook_remove(&coreListener);
    return std::nullopt;
  }
  grab.stream = stream.get();
  pw_stream_events streamEvents{};
  streamEvents.version = PW_VERSION_STREAM_EVENTS;
  streamEvents.state_changed = onStateChanged;
  streamEvents.param_changed = onParamChanged;
  streamEvents.process = onProcess;
  spa_hook streamListener{};
  pw_stream_add_listener(stream.get(), &streamListener, &streamEvents, &grab);

  std::array<std::uint8_t, 1024> formatSpace{};
  std::array<const spa_pod*, 1> offer{
      vv_build_format_offer(formatSpace.data(), formatSpace.size())};
  const auto flags = pw_stream_flags(PW_STREAM_FLAG_AUTOCONNECT | PW_STREAM_FLAG_MAP_BUFFERS);
  if (pw_stream_connect(stream.get(), PW_DIRECTION_INPUT, node, flags, offer.data(),
                        offer.size()) == 0) {
    spa_source* timer = pw_loop_add_timer(events, onTimeout, &grab);
    const auto seconds = std::chrono::duration_cast<std::chrono::seconds>(timeout);
    timespec after{seconds.count(), long(std::chrono::nanoseconds(timeout - seconds).count())};
    pw_loop_update_timer(events, timer, &after, nullptr, false);
    pw_main_loop_run(loop.get());
    pw_loop_destroy_source(events, timer);
  }
  spa_hook_remove(&streamListener);
  spa_hook_remove(&coreListener);
  return grab.frame;
}

}  // namespace vv
