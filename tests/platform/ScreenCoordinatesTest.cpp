#include <gtest/gtest.h>

#include "app/ScreenChoice.h"
#include "platform/QtScreenLocator.h"

namespace vv {
namespace {

const QRect kPrimary(0, 0, 1920, 1080);

TEST(ScreenCoordinates, FramesFlipAroundThePrimaryScreensBottom) {
  EXPECT_EQ(toGlobalFrame(kPrimary, kPrimary), QRectF(0, 0, 1920, 1080));
  // A monitor to the right, lower and shorter than the primary one.
  EXPECT_EQ(toGlobalFrame(QRect(1920, 300, 1280, 720), kPrimary), QRectF(1920, 60, 1280, 720));
  // A monitor above the primary one.
  EXPECT_EQ(toGlobalFrame(QRect(0, -900, 1440, 900), kPrimary), QRectF(0, 1080, 1440, 900));
}

TEST(ScreenCoordinates, EveryPointerPixelOfAScreenLiesInsideIt) {
  const QRect secondary(1920, 300, 1280, 720);
  const QRectF frame = toGlobalFrame(secondary, kPrimary);
  for (const QPoint corner : {secondary.topLeft(), secondary.topRight(), secondary.bottomLeft(),
                              secondary.bottomRight()}) {
    EXPECT_TRUE(frameContains(frame, toGlobalPoint(corner, kPrimary)))
        << corner.x() << "," << corner.y();
  }
  EXPECT_FALSE(frameContains(frame, toGlobalPoint(QPoint(1919, 300), kPrimary)));
  EXPECT_FALSE(frameContains(frame, toGlobalPoint(QPoint(1920, 299), kPrimary)));
}

}  // namespace
}  // namespace vv
