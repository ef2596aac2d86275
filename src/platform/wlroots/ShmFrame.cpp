#include "platform/wlroots/ShmFrame.h"

#include <sys/mman.h>
#include <unistd.h>
#include <wayland-client-protocol.h>

#include <algorithm>
#include <limits>
#include <utility>

namespace vv {
namespace {

// Where red and blue sit in the four little-endian bytes of a pixel; green is always byte 1.
struct ChannelOrder {
  int red;
  int blue;
};

std::optional<ChannelOrder> channelOrder(std::uint32_t format) {
  switch (format) {
    case WL_SHM_FORMAT_XRGB8888:
    case WL_SHM_FORMAT_ARGB8888:
      return ChannelOrder{2, 0};
    case WL_SHM_FORMAT_XBGR8888:
    case WL_SHM_FORMAT_ABGR8888:
      return ChannelOrder{0, 2};
    default:
      return std::nullopt;
  }
}

}  // namespace

bool isReadableShmFormat(std::uint32_t format) { return channelOrder(format).has_value(); }

std::optional<std::uint32_t> chooseShmFormat(const std::vector<std::uint32_t>& offered) {
  const auto found = std::find_if(offered.begin(), offered.end(), isReadableShmFormat);
  if (found == offered.end()) {
    return std::nullopt;
  }
  return *found;
}

std::optional<std::size_t> frameBytes(const FrameLayout& layout) {
  if (layout.width <= 0 || layout.height <= 0 || layout.stride <= 0 ||
      layout.stride / 4 < layout.width) {
    return std::nullopt;
  }
  // QImage rows are addressed with int; a frame that large is no screen.
  const auto bytes = static_cast<std::size_t>(layout.stride) * std::size_t(layout.height);
  if (bytes > std::size_t(std::numeric_limits<int>::max())) {
    return std::nullopt;
  }
  return bytes;
}

std::optional<QImage> frameToImage(std::span<const std::uint8_t> data, const FrameLayout& layout) {
  const std::optional<ChannelOrder> order = channelOrder(layout.format);
  const std::optional<std::size_t> bytes = frameBytes(layout);
  if (!order || !bytes || data.size() < *bytes) {
    return std::nullopt;
  }
  QImage image(layout.width, layout.height, QImage::Format_RGB32);
  if (image.isNull()) {
    return std::nullopt;
  }
  for (int y = 0; y < layout.height; ++y) {
    const int sourceRow = layout.yInverted ? layout.height - 1 - y : y;
    const std::uint8_t* source = data.data() + std::size_t(sourceRow) * std::size_t(layout.stride);
    auto* target = reinterpret_cast<QRgb*>(image.scanLine(y));
    for (int x = 0; x < layout.width; ++x, source += 4) {
      target[x] = qRgb(source[order->red], source[1], source[order->blue]);
    }
  }
  return image;
}

std::optional<MemoryFile> MemoryFile::create(std::size_t size) {
  const int fd = memfd_create("vv-frame", MFD_CLOEXEC);
  if (fd < 0) {
    return std::nullopt;
  }
  if (ftruncate(fd, static_cast<off_t>(size)) != 0) {
    close(fd);
    return std::nullopt;
  }
  void* address = mmap(nullptr, size, PROT_READ, MAP_SHARED, fd, 0);
  if (address == MAP_FAILED) {
    close(fd);
    return std::nullopt;
  }
  return MemoryFile(fd, address, size);
}

MemoryFile::MemoryFile(MemoryFile&& other) noexcept
    : fd_(std::exchange(other.fd_, -1)),
      address_(std::exchange(other.address_, nullptr)),
      size_(std::exchange(other.size_, 0)) {}

MemoryFile::~MemoryFile() {
  if (address_) {
    munmap(address_, size_);
  }
  if (fd_ >= 0) {
    close(fd_);
  }
}

}  // namespace vv
