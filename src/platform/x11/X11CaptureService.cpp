#include "platform/x11/X11CaptureService.h"

#include <sys/ipc.h>
#include <sys/shm.h>
#include <xcb/randr.h>
#include <xcb/shm.h>
#include <xcb/xcb.h>

#include <QByteArray>
#include <QSysInfo>
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>
#include <type_traits>
#include <utility>
#include <variant>

#include "capture/BackgroundTask.h"
#include "platform/x11/XcbReply.h"

namespace vv {

namespace {

using Monitor = X11CaptureService::Monitor;
using MonitorsOutcome = std::variant<std::vector<Monitor>, CaptureFailure>;

// Thrown inside the pool threads only, and caught at the end of each request.
struct XRequestFailed {};

// Waits for one reply: `fetch` is handed the error slot of an xcb_*_reply call.
template <typename Fetch>
auto awaitReply(Fetch fetch) {
  xcb_generic_error_t* error = nullptr;
  auto* reply = fetch(&error);
  const Reply<xcb_generic_error_t> ownedError(error);
  Reply<std::remove_pointer_t<decltype(reply)>> owned(reply);
  if (!owned || ownedError) {
    throw XRequestFailed{};
  }
  return owned;
}

class Connection {
 public:
  explicit Connection(const QString& display) {
    const QByteArray name = display.toLocal8Bit();
    int screenIndex = 0;
    connection_ = xcb_connect(display.isEmpty() ? nullptr : name.constData(), &screenIndex);
    if (xcb_connection_has_error(connection_)) {
      xcb_disconnect(connection_);
      throw XRequestFailed{};
    }
    xcb_screen_iterator_t screens = xcb_setup_roots_iterator(xcb_get_setup(connection_));
    for (int i = 0; i < screenIndex && screens.rem; ++i) {
      xcb_screen_next(&screens);
    }
    if (!screens.rem) {
      xcb_disconnect(connection_);
      throw XRequestFailed{};
    }
    screen_ = screens.data;
  }
  ~Connection() { xcb_disconnect(connection_); }
  Connection(const Connection&) = delete;
  Connection& operator=(const Connection&) = delete;

  xcb_connection_t* get() const { return connection_; }
  const xcb_screen_t& screen() const { return *screen_; }
  bool offers(xcb_extension_t* extension) const {
    const xcb_query_extension_reply_t* data = xcb_get_extension_data(connection_, extension);
    return data && data->present;
  }

 private:
  xcb_connection_t* connection_ = nullptr;
  const xcb_screen_t* screen_ = nullptr;
};

std::vector<Monitor> readMonitors(const Connection& x) {
  xcb_connection_t* c = x.get();
  if (!x.offers(&xcb_randr_id)) {
    throw XRequestFailed{};
  }
  // Monitors arrived with RandR 1.5; the version must be asked for before they can be listed.
  const auto version = awaitReply([&](xcb_generic_error_t** e) {
    return xcb_randr_query_version_reply(c, xcb_randr_query_version(c, 1, 5), e);
  });
  if (version->major_version < 1 || (version->major_version == 1 && version->minor_version < 5)) {
    throw XRequestFailed{};
  }
  const auto listed = awaitReply([&](xcb_generic_error_t** e) {
    return xcb_randr_get_monitors_reply(c, xcb_randr_get_monitors(c, x.screen().root, 1), e);
  });

  std::vector<Monitor> monitors;
  std::vector<xcb_get_atom_name_cookie_t> names;
  for (auto it = xcb_randr_get_monitors_monitors_iterator(listed.get()); it.rem;
       xcb_randr_monitor_info_next(&it)) {
    const xcb_randr_monitor_info_t* info = it.data;
    Monitor monitor;
    if (xcb_randr_monitor_info_outputs_length(info) > 0) {
      monitor.firstOutput = xcb_randr_monitor_info_outputs(info)[0];
    }
    monitor.pixels = QRect(info->x, info->y, info->width, info->height);
    monitors.push_back(std::move(monitor));
    names.push_back(xcb_get_atom_name(c, info->name));
  }
  for (std::size_t i = 0; i < monitors.size(); ++i) {
    const auto name = awaitReply(
        [&](xcb_generic_error_t** e) { return xcb_get_atom_name_reply(c, names[i], e); });
    monitors[i].name = QString::fromUtf8(xcb_get_atom_name_name(name.get()),
                                         xcb_get_atom_name_name_length(name.get()));
  }
  return monitors;
}

MonitorsOutcome fetchMonitors(const QString& display) {
  try {
    const Connection x(display);
    return readMonitors(x);
  } catch (const XRequestFailed&) {
    return CaptureFailure{};
  } catch (const std::bad_alloc&) {
    return CaptureFailure{};
  }
}

// How the root window's pixels are laid out: the true-colour layouts that read as a QImage
// format in this process's byte order. 32 bits per pixel is the common server; 16 (and 15) and
// 24 are what VNC servers and older hardware offer.
struct PixelLayout {
  int bytesPerLine = 0;
  QImage::Format format = QImage::Format_Invalid;
};

struct ChannelMasks {
  std::uint32_t red, green, blue;
  bool operator==(const ChannelMasks&) const = default;
};

QImage::Format qtFormat(int bitsPerPixel, const ChannelMasks& masks) {
  constexpr ChannelMasks eightBits{0xff0000u, 0x00ff00u, 0x0000ffu};
  if (bitsPerPixel == 32 && masks == eightBits) {
    return QImage::Format_RGB32;
  }
  if (bitsPerPixel == 24 && masks == eightBits) {
    // Least significant byte first: blue, green, red in memory.
    return QImage::Format_BGR888;
  }
  if (bitsPerPixel == 16 && masks == ChannelMasks{0xf800u, 0x07e0u, 0x001fu}) {
    return QImage::Format_RGB16;
  }
  if (bitsPerPixel == 16 && masks == ChannelMasks{0x7c00u, 0x03e0u, 0x001fu}) {
    return QImage::Format_RGB555;
  }
  return QImage::Format_Invalid;
}

PixelLayout rootPixelLayout(const Connection& x, int width) {
  const xcb_setup_t* setup = xcb_get_setup(x.get());
  const bool serverLittleEndian = setup->image_byte_order == XCB_IMAGE_ORDER_LSB_FIRST;
  if (serverLittleEndian != (QSysInfo::ByteOrder == QSysInfo::LittleEndian)) {
    throw XRequestFailed{};
  }
  const xcb_screen_t& screen = x.screen();
  const xcb_format_t* format = nullptr;
  for (auto it = xcb_setup_pixmap_formats_iterator(setup); it.rem; xcb_format_next(&it)) {
    if (it.data->depth == screen.root_depth) {
      format = it.data;
    }
  }
  if (!format || format->scanline_pad % 8 != 0) {
    throw XRequestFailed{};
  }
  const xcb_visualtype_t* visual = nullptr;
  for (auto depths = xcb_screen_allowed_depths_iterator(&screen); depths.rem && !visual;
       xcb_depth_next(&depths)) {
    for (auto v = xcb_depth_visuals_iterator(depths.data); v.rem; xcb_visualtype_next(&v)) {
      if (v.data->visual_id == screen.root_visual) {
        visual = v.data;
        break;
      }
    }
  }
  if (!visual || visual->_class != XCB_VISUAL_CLASS_TRUE_COLOR) {
    throw XRequestFailed{};
  }
  const QImage::Format qt =
      qtFormat(format->bits_per_pixel, {visual->red_mask, visual->green_mask, visual->blue_mask});
  if (qt == QImage::Format_Invalid) {
    throw XRequestFailed{};
  }
  const int pad = format->scanline_pad;
  return PixelLayout{(width * format->bits_per_pixel + pad - 1) / pad * pad / 8, qt};
}

// Server pixels -> the snapshot, in Format_RGB32 at `size`. The pixels are read where they
// lie and scaled or converted from there: on an 8K screen each full-size copy is 130 MB.
QImage toSnapshot(const std::uint8_t* data, std::size_t bytes, QSize pixels, QSize size,
                  PixelLayout layout) {
  if (bytes < static_cast<std::size_t>(layout.bytesPerLine) * pixels.height()) {
    throw XRequestFailed{};
  }
  const QImage server(data, pixels.width(), pixels.height(), layout.bytesPerLine, layout.format);
  QImage image;
  if (pixels != size) {
    image = server.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
                .convertToFormat(QImage::Format_RGB32);
  } else if (layout.format == QImage::Format_RGB32) {
    image = server.copy();
  } else {
    image = server.convertToFormat(QImage::Format_RGB32);
  }
  if (image.isNull() || image.size() != size) {
    throw XRequestFailed{};
  }
  // A 32-bit server leaves the unused top byte 0; Format_RGB32 promises 0xff to everyone who
  // reads the image later.
  for (int y = 0; y < image.height(); ++y) {
    auto* line = reinterpret_cast<std::uint32_t*>(image.scanLine(y));
    for (int x = 0; x < image.width(); ++x) {
      line[x] |= 0xff000000u;
    }
  }
  return image;
}

QImage grabOverSocket(const Connection& x, const QRect& rect, QSize size, PixelLayout layout) {
  xcb_connection_t* c = x.get();
  const auto reply = awaitReply([&](xcb_generic_error_t** e) {
    return xcb_get_image_reply(c,
                               xcb_get_image(c, XCB_IMAGE_FORMAT_Z_PIXMAP, x.screen().root,
                                             rect.x(), rect.y(), rect.width(), rect.height(), ~0u),
                               e);
  });
  return toSnapshot(xcb_get_image_data(reply.get()),
                    static_cast<std::size_t>(xcb_get_image_data_length(reply.get())), rect.size(),
                    size, layout);
}

// A System V shared-memory segment attached to this process and, once `attachTo` succeeds, to
// the X server. The segment is marked for removal as soon as both hold it, so that it cannot
// outlive them whatever happens to this process.
class SharedSegment {
 public:
  explicit SharedSegment(std::size_t size) : size_(size) {
    id_ = shmget(IPC_PRIVATE, size, IPC_CREAT | 0600);
    if (id_ == -1) {
      throw XRequestFailed{};
    }
    address_ = shmat(id_, nullptr, SHM_RDONLY);
    if (address_ == reinterpret_cast<void*>(-1)) {
      shmctl(id_, IPC_RMID, nullptr);
      throw XRequestFailed{};
    }
  }
  ~SharedSegment() {
    if (segment_) {
      xcb_shm_detach(connection_, segment_);
      xcb_flush(connection_);
    }
    shmdt(address_);
    if (!removed_) {
      shmctl(id_, IPC_RMID, nullptr);
    }
  }
  SharedSegment(const SharedSegment&) = delete;
  SharedSegment& operator=(const SharedSegment&) = delete;

  xcb_shm_seg_t attachTo(xcb_connection_t* c) {
    const xcb_shm_seg_t segment = xcb_generate_id(c);
    const Reply<xcb_generic_error_t> error(
        xcb_request_check(c, xcb_shm_attach_checked(c, segment, id_, 0)));
    if (error) {
      throw XRequestFailed{};
    }
    connection_ = c;
    segment_ = segment;
    removed_ = shmctl(id_, IPC_RMID, nullptr) == 0;
    return segment;
  }
  const std::uint8_t* data() const { return static_cast<const std::uint8_t*>(address_); }
  std::size_t size() const { return size_; }

 private:
  std::size_t size_;
  int id_ = -1;
  void* address_ = nullptr;
  bool removed_ = false;
  xcb_connection_t* connection_ = nullptr;
  xcb_shm_seg_t segment_ = 0;
};

QImage grabThroughSharedMemory(const Connection& x, const QRect& rect, QSize size,
                               PixelLayout layout) {
  xcb_connection_t* c = x.get();
  SharedSegment segment(static_cast<std::size_t>(layout.bytesPerLine) * rect.height());
  const xcb_shm_seg_t id = segment.attachTo(c);
  awaitReply([&](xcb_generic_error_t** e) {
    return xcb_shm_get_image_reply(
        c,
        xcb_shm_get_image(c, x.screen().root, rect.x(), rect.y(), rect.width(), rect.height(), ~0u,
                          XCB_IMAGE_FORMAT_Z_PIXMAP, id, 0),
        e);
  });
  return toSnapshot(segment.data(), segment.size(), rect.size(), size, layout);
}

std::variant<QImage, CaptureFailure> grab(const QString& display,
                                          X11CaptureService::Transfer transfer, QRect rect,
                                          QSize size) {
  try {
    const Connection x(display);
    const QRect root(0, 0, x.screen().width_in_pixels, x.screen().height_in_pixels);
    if (rect.isEmpty() || !root.contains(rect) || size.isEmpty()) {
      throw XRequestFailed{};
    }
    const PixelLayout layout = rootPixelLayout(x, rect.width());
    if (transfer == X11CaptureService::Transfer::SharedMemoryWhenOffered && x.offers(&xcb_shm_id)) {
      // A server that cannot reach our memory (another machine, another user) refuses the
      // segment; the socket still works then.
      try {
        return grabThroughSharedMemory(x, rect, size, layout);
      } catch (const XRequestFailed&) {
        return grabOverSocket(x, rect, size, layout);
      }
    }
    return grabOverSocket(x, rect, size, layout);
  } catch (const XRequestFailed&) {
    return CaptureFailure{};
  } catch (const std::bad_alloc&) {
    return CaptureFailure{};
  }
}

}  // namespace

X11CaptureService::X11CaptureService(QString display, Transfer transfer)
    : display_(std::move(display)), transfer_(transfer) {}

void X11CaptureService::shareableContent(std::function<void(ContentOutcome)> done) {
  runInBackground(
      &context_, [display = display_] { return fetchMonitors(display); },
      [this, done = std::move(done)](const QFuture<MonitorsOutcome>& finished) {
        MonitorsOutcome outcome = finished.result();
        auto* monitors = std::get_if<std::vector<Monitor>>(&outcome);
        if (!monitors) {
          monitors_.clear();
          done(CaptureFailure{});
          return;
        }
        monitors_ = std::move(*monitors);
        std::vector<DisplayRecord> displays;
        for (const Monitor& monitor : monitors_) {
          if (monitor.firstOutput) {
            displays.push_back(DisplayRecord{*monitor.firstOutput, monitor.name, monitor.pixels});
          }
        }
        done(std::move(displays));
      });
}

std::optional<DisplayId> X11CaptureService::screenNumber(const ScreenInfo& screen) {
  const auto found = std::find_if(monitors_.begin(), monitors_.end(), [&](const Monitor& monitor) {
    return monitor.name == screen.name;
  });
  if (found == monitors_.end()) {
    return std::nullopt;
  }
  return found->firstOutput;
}

void X11CaptureService::screenshot(const DisplayRecord& display, QSize size,
                                   std::function<void(ScreenshotOutcome)> done) {
  runInBackground(
      &context_,
      [display = display_, transfer = transfer_, rect = display.pixels, size] {
        return grab(display, transfer, rect, size);
      },
      [done = std::move(done)](const QFuture<ScreenshotOutcome>& finished) {
        done(finished.result());
      });
}

}  // namespace vv
