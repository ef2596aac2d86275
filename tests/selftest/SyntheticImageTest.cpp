#include <gtest/gtest.h>

#include <QColor>
#include <QFontMetrics>
#include <QGuiApplication>
#include <array>

#include "selftest/SyntheticImage.h"

namespace vv {
namespace {

bool isInk(QRgb pixel) { return qGray(pixel) < 128; }

// Whether any dark pixel lies in the image rows [top, bottom) and columns [left, right).
bool hasInk(const QImage& image, int left, int top, int right, int bottom) {
  for (int y = std::max(top, 0); y < std::min(bottom, image.height()); ++y) {
    for (int x = std::max(left, 0); x < std::min(right, image.width()); ++x) {
      if (isInk(image.pixel(x, y))) {
        return true;
      }
    }
  }
  return false;
}

TEST(SyntheticImage, IsTheFixedCanvas) {
  const QImage image = syntheticImage();
  EXPECT_EQ(image.size(), QSize(1600, 900));
  EXPECT_EQ(image.pixel(0, 0), qRgb(255, 255, 255));
  EXPECT_EQ(image.pixel(1599, 899), qRgb(255, 255, 255));
  EXPECT_EQ(image, syntheticImage());
}

TEST(SyntheticImage, DrawsFiveLinesAtTheirBottomLeftPositions) {
  const QImage image = syntheticImage();
  QFont font = QGuiApplication::font();
  font.setPixelSize(36);
  const int lineHeight = QFontMetrics(font).height();

  for (const int bottom : {730, 620, 510, 400, 290}) {
    const int bottomRow = 900 - bottom;  // rows grow downward
    EXPECT_TRUE(hasInk(image, 100, bottomRow - lineHeight, 1600, bottomRow)) << bottom;
  }
  // Nothing left of the text start, above the first line or below the last one; the next step
  // of the sequence (180) is not drawn.
  EXPECT_FALSE(hasInk(image, 0, 0, 98, 900));
  EXPECT_FALSE(hasInk(image, 0, 0, 1600, (900 - 730) - lineHeight));
  EXPECT_FALSE(hasInk(image, 0, 900 - 290, 1600, 900));
}

}  // namespace
}  // namespace vv
