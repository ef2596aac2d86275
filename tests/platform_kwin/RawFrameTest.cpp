#include "platform/kwin/RawFrame.h"

#include <gtest/gtest.h>

#include <cstring>

namespace vv {
namespace {

// What KWin 5.27 answers for a 1280x720 output.
QVariantMap kwinReply() {
  return {{"type", "raw"},  {"format", 5u},    {"width", 1280u},
          {"height", 720u}, {"stride", 5120u}, {"scale", 1.0}};
}

TEST(RawFrameLayout, ReadsTheFieldsOfKWinsReply) {
  const auto layout = rawFrameLayout(kwinReply());
  ASSERT_TRUE(layout);
  EXPECT_EQ(layout->format, QImage::Format_ARGB32);
  EXPECT_EQ(layout->width, 1280);
  EXPECT_EQ(layout->height, 720);
  EXPECT_EQ(layout->stride, 5120);
  EXPECT_EQ(layout->byteCount(), 5120 * 720);
}

TEST(RawFrameLayout, RefusesRepliesThatDoNotDescribeRawDirectColourRows) {
  const std::vector<std::pair<const char*, QVariant>> changes{
      {"type", "png"},
      {"type", QVariant()},
      {"format", 0u},                               // Format_Invalid
      {"format", 3u},                               // Format_Indexed8: no colour table
      {"format", 1u},                               // Format_Mono
      {"format", unsigned(QImage::NImageFormats)},  // past the last format
      {"format", QVariant()},
      {"format", -5},
      {"width", 0u},
      {"height", 0u},
      {"width", 40000u},
      {"stride", 5119u},  // a row of 1280 32-bit pixels does not fit
      {"stride", QVariant()},
      {"stride", 2'000'000u},  // 1.4 GB in all
  };
  for (const auto& [key, value] : changes) {
    QVariantMap reply = kwinReply();
    if (value.isValid()) {
      reply[key] = value;
    } else {
      reply.remove(key);
    }
    EXPECT_FALSE(rawFrameLayout(reply)) << key << " = " << value.toString().toStdString();
  }
}

TEST(RawFrameLayout, AcceptsRowsPaddedBeyondTheirPixels) {
  QVariantMap reply = kwinReply();
  reply["format"] = unsigned(QImage::Format_RGB888);
  reply["stride"] = 3 * 1280 + 64;
  const auto layout = rawFrameLayout(reply);
  ASSERT_TRUE(layout);
  EXPECT_EQ(layout->byteCount(), (3 * 1280 + 64) * 720);
}

QByteArray filled(qsizetype size, char byte) { return QByteArray(size, byte); }

TEST(RawFrameDecode, GivesAnOpaqueImageOfTheRowsWithoutTheirPadding) {
  const RawFrameLayout layout{QImage::Format_ARGB32_Premultiplied, 3, 2, 16};
  QByteArray bytes = filled(layout.byteCount(), char(0x77));  // padding that must not show
  const quint32 pixels[2][3] = {{0xffc81e1e, 0xff000000, 0xffffffff},
                                {0xff102030, 0xff405060, 0xff708090}};
  for (int y = 0; y < 2; ++y) {
    std::memcpy(bytes.data() + y * 16, pixels[y], sizeof pixels[y]);
  }
  const auto image = decodeRawFrame(layout, bytes);
  ASSERT_TRUE(image);
  EXPECT_EQ(image->format(), QImage::Format_RGB32);
  EXPECT_EQ(image->size(), QSize(3, 2));
  for (int y = 0; y < 2; ++y) {
    for (int x = 0; x < 3; ++x) {
      EXPECT_EQ(image->pixel(x, y), pixels[y][x]) << x << "," << y;
    }
  }
}

TEST(RawFrameDecode, ConvertsOtherChannelOrders) {
  const RawFrameLayout layout{QImage::Format_RGBA8888, 1, 1, 4};
  const auto image = decodeRawFrame(layout, QByteArray("\x10\x20\x30\xff", 4));
  ASSERT_TRUE(image);
  EXPECT_EQ(image->pixel(0, 0), 0xff102030u);
}

TEST(RawFrameDecode, RefusesAShortOrLongPipe) {
  const RawFrameLayout layout{QImage::Format_RGB32, 4, 4, 16};
  EXPECT_FALSE(decodeRawFrame(layout, filled(63, 0)));
  EXPECT_FALSE(decodeRawFrame(layout, filled(65, 0)));
  EXPECT_FALSE(decodeRawFrame(layout, QByteArray()));
  EXPECT_TRUE(decodeRawFrame(layout, filled(64, 0)));
}

TEST(RawFrameDecode, TheImageOutlivesTheBytesItWasMadeFrom) {
  const RawFrameLayout layout{QImage::Format_RGB32, 2, 2, 8};
  std::optional<QImage> image;
  {
    QByteArray bytes = filled(layout.byteCount(), char(0x40));
    image = decodeRawFrame(layout, bytes);
    bytes.fill(char(0x99));
  }
  ASSERT_TRUE(image);
  EXPECT_EQ(image->pixel(1, 1), 0xff404040u);
}

}  // namespace
}  // namespace vv
