#include "platform/wlroots/ShmFrame.h"

#include <gtest/gtest.h>
#include <wayland-client-protocol.h>

#include <array>
#include <cstdint>
#include <vector>

namespace vv {
namespace {

// A frame of `width` x `height` with `padding` spare bytes after each row, every pixel's bytes
// (in memory order) given by `pixel(x, y)`.
template <typename Pixel>
std::vector<std::uint8_t> frame(int width, int height, int padding, Pixel pixel) {
  std::vector<std::uint8_t> bytes;
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const std::array<std::uint8_t, 4> p = pixel(x, y);
      bytes.insert(bytes.end(), p.begin(), p.end());
    }
    bytes.insert(bytes.end(), padding, 0xee);
  }
  return bytes;
}

TEST(ShmFrame, EachByteOrderGivesTheSameOpaqueColour) {
  // The colour #204060 as each format lays it out in memory (little-endian words), alpha or
  // padding byte 0x00: a compositor may leave it zero, which must not make the image transparent.
  const struct {
    std::uint32_t format;
    std::array<std::uint8_t, 4> bytes;
  } cases[] = {
      {WL_SHM_FORMAT_XRGB8888, {0x60, 0x40, 0x20, 0x00}},
      {WL_SHM_FORMAT_ARGB8888, {0x60, 0x40, 0x20, 0x00}},
      {WL_SHM_FORMAT_XBGR8888, {0x20, 0x40, 0x60, 0x00}},
      {WL_SHM_FORMAT_ABGR8888, {0x20, 0x40, 0x60, 0x00}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.format);
    const auto data = frame(3, 2, 0, [&](int, int) { return c.bytes; });
    const std::optional<QImage> image = frameToImage(data, FrameLayout{c.format, 3, 2, 12, false});
    ASSERT_TRUE(image);
    EXPECT_EQ(image->format(), QImage::Format_RGB32);
    EXPECT_EQ(image->pixel(2, 1), qRgb(0x20, 0x40, 0x60));
  }
}

TEST(ShmFrame, RowsFollowTheStrideAndTheYInvertFlag) {
  // Row y is grey level 10 * (y + 1); the padding after each row must never be read as pixels.
  const auto data = frame(2, 3, 8, [](int, int y) {
    const auto level = static_cast<std::uint8_t>(10 * (y + 1));
    return std::array<std::uint8_t, 4>{level, level, level, 0xff};
  });
  const FrameLayout upright{WL_SHM_FORMAT_XRGB8888, 2, 3, 16, false};
  const std::optional<QImage> top = frameToImage(data, upright);
  ASSERT_TRUE(top);
  EXPECT_EQ(qRed(top->pixel(1, 0)), 10);
  EXPECT_EQ(qRed(top->pixel(1, 2)), 30);

  FrameLayout inverted = upright;
  inverted.yInverted = true;
  const std::optional<QImage> flipped = frameToImage(data, inverted);
  ASSERT_TRUE(flipped);
  EXPECT_EQ(qRed(flipped->pixel(0, 0)), 30);
  EXPECT_EQ(qRed(flipped->pixel(0, 2)), 10);
}

TEST(ShmFrame, UnusableLayoutsAndShortDataGiveNoImage) {
  const std::vector<std::uint8_t> data(64, 0);
  EXPECT_FALSE(frameToImage(data, FrameLayout{WL_SHM_FORMAT_RGB565, 2, 2, 8, false}));
  EXPECT_FALSE(frameToImage(data, FrameLayout{WL_SHM_FORMAT_XRGB8888, 0, 0, 0, false}));
  EXPECT_FALSE(frameToImage(data, FrameLayout{WL_SHM_FORMAT_XRGB8888, 4, 2, 12, false}));
  EXPECT_FALSE(frameToImage(data, FrameLayout{WL_SHM_FORMAT_XRGB8888, 4, 5, 16, false}));
  EXPECT_FALSE(frameToImage(data, FrameLayout{WL_SHM_FORMAT_XRGB8888, -4, 2, 16, false}));
  EXPECT_TRUE(frameToImage(data, FrameLayout{WL_SHM_FORMAT_XRGB8888, 4, 4, 16, false}));
}

TEST(ShmFrame, FrameSizeIsBoundedBeforeAnythingIsAllocated) {
  EXPECT_EQ(frameBytes(FrameLayout{WL_SHM_FORMAT_XRGB8888, 1920, 1080, 7680, false}),
            std::size_t(7680) * 1080);
  // A compositor's numbers are not trusted: this would overflow int row addressing.
  EXPECT_FALSE(frameBytes(FrameLayout{WL_SHM_FORMAT_XRGB8888, 40000, 40000, 160000, false}));
}

TEST(ShmFrame, TheFirstReadableOfferIsChosen) {
  EXPECT_EQ(chooseShmFormat({WL_SHM_FORMAT_RGB565, WL_SHM_FORMAT_XBGR8888, WL_SHM_FORMAT_XRGB8888}),
            WL_SHM_FORMAT_XBGR8888);
  EXPECT_FALSE(chooseShmFormat({WL_SHM_FORMAT_RGB565, WL_SHM_FORMAT_XRGB2101010}));
  EXPECT_FALSE(chooseShmFormat({}));
}

TEST(MemoryFile, IsZeroFilledMemoryOfTheAskedSize) {
  const std::optional<MemoryFile> file = MemoryFile::create(4096);
  ASSERT_TRUE(file);
  EXPECT_GE(file->fd(), 0);
  ASSERT_EQ(file->bytes().size(), 4096u);
  EXPECT_EQ(file->bytes()[4095], 0);
}

}  // namespace
}  // namespace vv
