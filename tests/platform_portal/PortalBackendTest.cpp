#include <gtest/gtest.h>
#include <spa/param/video/raw.h>

#include <QImage>
#include <array>
#include <cstdint>
#include <memory>
#include <vector>

#include "FormatPods.h"
#include "platform/portal/PortalConsent.h"
#include "platform/portal/SpaParams.h"
#include "platform/portal/StreamScreen.h"
#include "platform/portal/VideoFrame.h"

namespace vv {
namespace {

ScreenInfo makeScreen(QString name, QRect geometry) {
  ScreenInfo screen;
  screen.name = std::move(name);
  screen.geometry = geometry;
  return screen;
}

// Two pixels, red then blue, in the given order, followed by `padding` bytes per row.
std::vector<std::uint8_t> redThenBlue(vv_pixel_order order, int padding, int rows) {
  const std::array<std::uint8_t, 4> red =
      order == VV_PIXEL_BGRX   ? std::array<std::uint8_t, 4>{0, 0, 255, 7}
      : order == VV_PIXEL_RGBX ? std::array<std::uint8_t, 4>{255, 0, 0, 7}
                               : std::array<std::uint8_t, 4>{7, 255, 0, 0};
  const std::array<std::uint8_t, 4> blue =
      order == VV_PIXEL_BGRX   ? std::array<std::uint8_t, 4>{255, 0, 0, 7}
      : order == VV_PIXEL_RGBX ? std::array<std::uint8_t, 4>{0, 0, 255, 7}
                               : std::array<std::uint8_t, 4>{7, 0, 0, 255};
  std::vector<std::uint8_t> bytes;
  for (int row = 0; row < rows; ++row) {
    bytes.insert(bytes.end(), red.begin(), red.end());
    bytes.insert(bytes.end(), blue.begin(), blue.end());
    bytes.insert(bytes.end(), std::size_t(padding), 0xee);
  }
  return bytes;
}

TEST(VideoFrameTest, EveryPixelOrderGivesOpaqueColoursInPlace) {
  for (const vv_pixel_order order : {VV_PIXEL_BGRX, VV_PIXEL_RGBX, VV_PIXEL_XRGB}) {
    SCOPED_TRACE(int(order));
    const std::vector<std::uint8_t> bytes = redThenBlue(order, 8, 2);
    const auto image = copyVideoFrame(bytes, FrameLayout{2, 2, 16, order});
    ASSERT_TRUE(image);
    EXPECT_EQ(image->size(), QSize(2, 2));
    EXPECT_EQ(image->pixel(0, 1), qRgb(255, 0, 0));
    EXPECT_EQ(image->pixel(1, 1), qRgb(0, 0, 255));
  }
}

TEST(VideoFrameTest, TheLastRowNeedsNoPadding) {
  std::vector<std::uint8_t> bytes = redThenBlue(VV_PIXEL_BGRX, 8, 2);
  bytes.resize(bytes.size() - 8);
  EXPECT_TRUE(copyVideoFrame(bytes, FrameLayout{2, 2, 16, VV_PIXEL_BGRX}));
}

TEST(VideoFrameTest, RefusesBytesThatCannotHoldTheFrame) {
  const std::vector<std::uint8_t> bytes = redThenBlue(VV_PIXEL_BGRX, 0, 2);
  EXPECT_FALSE(copyVideoFrame(std::span(bytes).first(15), FrameLayout{2, 2, 8, VV_PIXEL_BGRX}));
  EXPECT_FALSE(copyVideoFrame(bytes, FrameLayout{2, 2, 4, VV_PIXEL_BGRX}));  // stride < row
  EXPECT_FALSE(copyVideoFrame(bytes, FrameLayout{2, 3, 8, VV_PIXEL_BGRX}));
  EXPECT_FALSE(copyVideoFrame(bytes, FrameLayout{0, 2, 8, VV_PIXEL_BGRX}));
}

TEST(SpaFormatTest, ReadsTheOfferedFormatsAsTheirByteOrder) {
  struct Case {
    spa_video_format format;
    vv_pixel_order order;
  };
  for (const Case c :
       {Case{SPA_VIDEO_FORMAT_BGRx, VV_PIXEL_BGRX}, Case{SPA_VIDEO_FORMAT_BGRA, VV_PIXEL_BGRX},
        Case{SPA_VIDEO_FORMAT_RGBx, VV_PIXEL_RGBX}, Case{SPA_VIDEO_FORMAT_RGBA, VV_PIXEL_RGBX},
        Case{SPA_VIDEO_FORMAT_xRGB, VV_PIXEL_XRGB}, Case{SPA_VIDEO_FORMAT_ARGB, VV_PIXEL_XRGB}}) {
    SCOPED_TRACE(int(c.format));
    std::array<std::uint8_t, 512> space{};
    vv_video_format parsed{};
    ASSERT_EQ(vv_parse_format(
                  vv_test_raw_format(space.data(), space.size(), c.format, 1920, 1080, 0), &parsed),
              0);
    EXPECT_EQ(parsed.order, c.order);
    EXPECT_EQ(parsed.width, 1920u);
    EXPECT_EQ(parsed.height, 1080u);
  }
}

TEST(SpaFormatTest, RefusesWhatCannotBeReadInMemory) {
  std::array<std::uint8_t, 512> space{};
  vv_video_format parsed{};
  EXPECT_EQ(vv_parse_format(
                vv_test_raw_format(space.data(), space.size(), SPA_VIDEO_FORMAT_BGRx, 640, 480, 1),
                &parsed),
            -1);
  EXPECT_EQ(vv_parse_format(
                vv_test_raw_format(space.data(), space.size(), SPA_VIDEO_FORMAT_RGB, 640, 480, 0),
                &parsed),
            -1);
  EXPECT_EQ(vv_parse_format(
                vv_test_raw_format(space.data(), space.size(), SPA_VIDEO_FORMAT_BGRx, 0, 480, 0),
                &parsed),
            -1);
  EXPECT_EQ(vv_parse_format(vv_test_raw_format(space.data(), space.size(), SPA_VIDEO_FORMAT_BGRx,
                                               VV_MAX_FRAME_SIDE + 1, 480, 0),
                            &parsed),
            -1);
  EXPECT_EQ(vv_parse_format(vv_test_audio_format(space.data(), space.size()), &parsed), -1);
}

TEST(StreamScreenTest, TheStreamsAreaNamesTheScreenElseThePrimary) {
  const ScreenInfo left = makeScreen("LEFT", QRect(0, 0, 1920, 1080));
  const ScreenInfo right = makeScreen("RIGHT", QRect(1920, 0, 1280, 1024));
  const std::vector<ScreenInfo> screens{left, right};

  EXPECT_EQ(screenShowing(QRect(1920, 0, 1280, 1024), screens, left)->name, "RIGHT");
  EXPECT_EQ(screenShowing(std::nullopt, screens, left)->name, "LEFT");
  EXPECT_EQ(screenShowing(QRect(1920, 0, 1920, 1080), screens, left)->name, "LEFT");
  EXPECT_FALSE(screenShowing(QRect(5, 5, 10, 10), screens, std::nullopt));
}

TEST(PortalCapturePermissionTest, HeldOnlyOnceACaptureGotPastTheDialog) {
  auto consent = std::make_shared<PortalConsent>();
  PortalCapturePermission permission(consent);
  // Before any capture the dialog is still to come, inside the capture.
  EXPECT_FALSE(permission.preflight());
  EXPECT_TRUE(permission.request());

  consent->record(PortalConsent::Answer::Refused);
  EXPECT_FALSE(permission.preflight());

  consent->record(PortalConsent::Answer::NotRefused);
  EXPECT_TRUE(permission.preflight());
}

}  // namespace
}  // namespace vv
