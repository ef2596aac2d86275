#include "platform/wlroots/ScreencopyCaptureService.h"

#include <algorithm>
#include <chrono>
#include <new>
#include <utility>
#include <variant>

#include "capture/BackgroundTask.h"
#include "platform/wlroots/ShmFrame.h"
#include "platform/wlroots/WaylandConnection.h"
#include "platform/wlroots/WaylandProtocols.h"

namespace vv {
namespace {

using namespace std::chrono_literals;

// Listing the outputs is two round trips. A copy waits for the output's next frame, and on a
// compositor that asks the user first (Hyprland's permission manager), for the user's answer.
constexpr auto kListingTime = 2s;
constexpr auto kCopyTime = 30s;

// The compositor answered "failed" to a copy.
struct CopyRefused {};
using GrabOutcome = std::variant<QImage, CopyRefused, CaptureFailure>;

ContentOutcome listOutputs() {
  const auto connection = WaylandConnection::open(std::chrono::steady_clock::now() + kListingTime);
  if (!connection || !connection->screencopy()) {
    return CaptureFailure{};
  }
  std::vector<DisplayRecord> displays;
  for (const auto& output : connection->outputs()) {
    displays.push_back(DisplayRecord{output->globalName, output->name(),
                                     QRect(output->logicalPosition, output->modeSize)});
  }
  return displays;
}

struct BufferOffer {
  std::uint32_t format = 0;
  int width = 0;
  int height = 0;
  int stride = 0;
};

// What the compositor said about one frame so far.
struct FrameEvents {
  std::uint32_t version = 0;
  std::vector<BufferOffer> offers;
  bool offersComplete = false;
  bool yInverted = false;
  bool ready = false;
  bool failed = false;
};

FrameEvents& eventsOf(void* data) { return *static_cast<FrameEvents*>(data); }

const zwlr_screencopy_frame_v1_listener frameListener = {
    .buffer =
        [](void* data, zwlr_screencopy_frame_v1*, uint32_t format, uint32_t width, uint32_t height,
           uint32_t stride) {
          FrameEvents& events = eventsOf(data);
          events.offers.push_back(BufferOffer{format, static_cast<int>(width),
                                              static_cast<int>(height), static_cast<int>(stride)});
          // Before version 3 the shared-memory offer is the only one, and it comes alone.
          if (events.version < 3) {
            events.offersComplete = true;
          }
        },
    .flags =
        [](void* data, zwlr_screencopy_frame_v1*, uint32_t flags) {
          eventsOf(data).yInverted = (flags & ZWLR_SCREENCOPY_FRAME_V1_FLAGS_Y_INVERT) != 0;
        },
    .ready = [](void* data, zwlr_screencopy_frame_v1*, uint32_t, uint32_t,
                uint32_t) { eventsOf(data).ready = true; },
    .failed = [](void* data, zwlr_screencopy_frame_v1*) { eventsOf(data).failed = true; },
    .damage = [](void*, zwlr_screencopy_frame_v1*, uint32_t, uint32_t, uint32_t, uint32_t) {},
    .linux_dmabuf = [](void*, zwlr_screencopy_frame_v1*, uint32_t, uint32_t, uint32_t) {},
    .buffer_done = [](void* data,
                      zwlr_screencopy_frame_v1*) { eventsOf(data).offersComplete = true; },
};

// Owns the client side of one frame and the buffer it is copied into.
class FrameRequest {
 public:
  FrameRequest(const WaylandConnection& connection, wl_output* output)
      : frame_(zwlr_screencopy_manager_v1_capture_output(connection.screencopy(), 0, output)) {
    events_.version = connection.screencopyVersion();
    zwlr_screencopy_frame_v1_add_listener(frame_, &frameListener, &events_);
  }
  ~FrameRequest() {
    if (buffer_) {
      wl_buffer_destroy(buffer_);
    }
    zwlr_screencopy_frame_v1_destroy(frame_);
  }
  FrameRequest(const FrameRequest&) = delete;
  FrameRequest& operator=(const FrameRequest&) = delete;

  const FrameEvents& events() const { return events_; }
  void copyInto(wl_shm* shm, const MemoryFile& memory, const FrameLayout& layout) {
    wl_shm_pool* pool =
        wl_shm_create_pool(shm, memory.fd(), static_cast<int>(memory.bytes().size()));
    buffer_ = wl_shm_pool_create_buffer(pool, 0, layout.width, layout.height, layout.stride,
                                        layout.format);
    wl_shm_pool_destroy(pool);
    zwlr_screencopy_frame_v1_copy(frame_, buffer_);
  }

 private:
  zwlr_screencopy_frame_v1* frame_;
  wl_buffer* buffer_ = nullptr;
  FrameEvents events_;
};

GrabOutcome grab(DisplayId id, QSize size) {
  const Deadline deadline = std::chrono::steady_clock::now() + kCopyTime;
  const auto connection = WaylandConnection::open(deadline);
  if (!connection || !connection->screencopy() || !connection->shm() || size.isEmpty()) {
    return CaptureFailure{};
  }
  const auto& outputs = connection->outputs();
  const auto output = std::find_if(outputs.begin(), outputs.end(),
                                   [id](const auto& known) { return known->globalName == id; });
  if (output == outputs.end()) {
    return CaptureFailure{};
  }

  FrameRequest request(*connection, (*output)->proxy);
  const FrameEvents& events = request.events();
  if (!connection->dispatchUntil([&] { return events.offersComplete || events.failed; },
                                 deadline)) {
    return CaptureFailure{};
  }
  if (events.failed) {
    return CopyRefused{};
  }
  std::vector<std::uint32_t> formats;
  for (const BufferOffer& offer : events.offers) {
    formats.push_back(offer.format);
  }
  const std::optional<std::uint32_t> format = chooseShmFormat(formats);
  if (!format) {
    return CaptureFailure{};
  }
  const BufferOffer& offer =
      *std::find_if(events.offers.begin(), events.offers.end(),
                    [&](const BufferOffer& o) { return o.format == *format; });
  FrameLayout layout{*format, offer.width, offer.height, offer.stride, false};
  const std::optional<std::size_t> bytes = frameBytes(layout);
  if (!bytes) {
    return CaptureFailure{};
  }
  const std::optional<MemoryFile> memory = MemoryFile::create(*bytes);
  if (!memory) {
    return CaptureFailure{};
  }
  request.copyInto(connection->shm(), *memory, layout);
  if (!connection->dispatchUntil([&] { return events.ready || events.failed; }, deadline)) {
    return CaptureFailure{};
  }
  if (events.failed) {
    return CopyRefused{};
  }
  layout.yInverted = events.yInverted;
  const std::optional<QImage> image = frameToImage(memory->bytes(), layout);
  if (!image) {
    return CaptureFailure{};
  }
  if (image->size() == size) {
    return *image;
  }
  QImage scaled = image->scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
  if (scaled.isNull()) {
    return CaptureFailure{};
  }
  return scaled;
}

GrabOutcome guardedGrab(DisplayId id, QSize size) {
  try {
    return grab(id, size);
  } catch (const std::bad_alloc&) {
    return CaptureFailure{};
  }
}

}  // namespace

ScreencopyCaptureService::ScreencopyCaptureService(CopyRefusal refusal)
    : refusal_(std::move(refusal)) {}

void ScreencopyCaptureService::shareableContent(std::function<void(ContentOutcome)> done) {
  runInBackground(
      &context_,
      [] {
        try {
          return listOutputs();
        } catch (const std::bad_alloc&) {
          return ContentOutcome(CaptureFailure{});
        }
      },
      [this, done = std::move(done)](const QFuture<ContentOutcome>& finished) {
        ContentOutcome outcome = finished.result();
        const auto* displays = std::get_if<std::vector<DisplayRecord>>(&outcome);
        outputs_ = displays ? *displays : std::vector<DisplayRecord>();
        done(std::move(outcome));
      });
}

std::optional<DisplayId> ScreencopyCaptureService::screenNumber(const ScreenInfo& screen) {
  const auto found =
      std::find_if(outputs_.begin(), outputs_.end(), [&](const DisplayRecord& output) {
        return !output.name.isEmpty() && output.name == screen.name;
      });
  if (found == outputs_.end()) {
    return std::nullopt;
  }
  return found->displayID;
}

void ScreencopyCaptureService::screenshot(const DisplayRecord& display, QSize size,
                                          std::function<void(ScreenshotOutcome)> done) {
  runInBackground(
      &context_, [id = display.displayID, size] { return guardedGrab(id, size); },
      [refusal = refusal_, done = std::move(done)](const QFuture<GrabOutcome>& finished) {
        const GrabOutcome outcome = finished.result();
        if (const auto* image = std::get_if<QImage>(&outcome)) {
          done(*image);
          return;
        }
        if (std::holds_alternative<CopyRefused>(outcome)) {
          refusal->store(true);
        }
        done(CaptureFailure{});
      });
}

}  // namespace vv
