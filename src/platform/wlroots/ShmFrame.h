#pragma once

#include <QImage>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace vv {

// How a compositor laid out the pixels it copied into a shared-memory buffer.
struct FrameLayout {
  std::uint32_t format = 0;  // a wl_shm format code
  int width = 0;
  int height = 0;
  int stride = 0;          // bytes from one row to the next
  bool yInverted = false;  // the first row in memory is the bottom of the screen
};

// Whether frames of this wl_shm format can be read: the 8-bit-per-channel layouts.
bool isReadableShmFormat(std::uint32_t format);

// The first readable format among those the compositor offered, in its order of preference.
std::optional<std::uint32_t> chooseShmFormat(const std::vector<std::uint32_t>& offered);

// The bytes a buffer of this layout needs; none when the layout is unusable (empty, a stride
// shorter than a row, or too large to address).
std::optional<std::size_t> frameBytes(const FrameLayout& layout);

// The copied frame as an opaque image, top row first. The alpha channel of ARGB/ABGR frames is
// ignored: what the screen shows is opaque. None when the layout is unusable or the data short.
std::optional<QImage> frameToImage(std::span<const std::uint8_t> data, const FrameLayout& layout);

// A shared-memory file that exists only in memory (memfd), mapped into this process: the buffer
// the compositor copies a frame into. Nothing is ever written to a file system.
class MemoryFile {
 public:
  // None when the kernel refuses the memory.
  static std::optional<MemoryFile> create(std::size_t size);
  ~MemoryFile();
  MemoryFile(MemoryFile&& other) noexcept;
  MemoryFile& operator=(MemoryFile&&) = delete;
  MemoryFile(const MemoryFile&) = delete;
  MemoryFile& operator=(const MemoryFile&) = delete;

  int fd() const { return fd_; }
  std::span<const std::uint8_t> bytes() const {
    return {static_cast<const std::uint8_t*>(address_), size_};
  }

 private:
  MemoryFile(int fd, void* address, std::size_t size) : fd_(fd), address_(address), size_(size) {}
  int fd_ = -1;
  void* address_ = nullptr;
  std::size_t size_ = 0;
};

}  // namespace vv
