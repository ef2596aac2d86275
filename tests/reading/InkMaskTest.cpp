#include "reading/InkMask.h"

#include <gtest/gtest.h>

#include "reading/DrawnPages.h"

namespace vv {
namespace {

using test::fill;
using test::filled;

int inkCount(const InkMask& mask, int top = 0, int bottom = -1) {
  int count = 0;
  for (int y = top; y < (bottom < 0 ? mask.height : bottom); ++y) {
    for (int x = 0; x < mask.width; ++x) {
      count += mask.ink(x, y);
    }
  }
  return count;
}

// Dark strokes on a light page and light strokes on a mid-grey bar: a single global threshold
// would take the bar for ink; the local one finds the strokes in both places. Only the bar's
// edge, within a window of the page, is darker than its surroundings there and comes out as ink.
TEST(InkMaskTest, FindsStrokesOnThePageAndOnABarButNotTheBarItself) {
  GreyImage page = filled(101, 70, 235);
  fill(page, PixelBox{20, 10, 22, 22}, 30);
  fill(page, PixelBox{0, 30, 101, 70}, 110);
  fill(page, PixelBox{60, 50, 62, 62}, 20);
  const InkMask mask = sauvolaInk(page, 15, 0.34);
  ASSERT_EQ(mask.wordsPerRow, 4);
  EXPECT_TRUE(mask.ink(20, 15) && mask.ink(21, 15));
  EXPECT_TRUE(mask.ink(60, 55) && mask.ink(61, 55));
  EXPECT_EQ(inkCount(mask, 0, 30), 2 * 12);
  EXPECT_EQ(inkCount(mask, 30 + 16), 2 * 12);
  // Bits past the row's end stay clear: the words go to the layout as they are.
  for (int y = 0; y < mask.height; ++y) {
    EXPECT_EQ(mask.words[std::size_t(y) * 4 + 3] & 0x07ffffffu, 0u);
  }
}

TEST(InkMaskTest, APlainPageHasNoInk) {
  for (const std::uint8_t level : {0, 128, 255}) {
    EXPECT_EQ(inkCount(sauvolaInk(filled(40, 33, level), 15, 0.34)), 0);
  }
  EXPECT_EQ(inkCount(sauvolaInk(filled(1, 1, 0), 15, 0.34)), 0);
}

}  // namespace
}  // namespace vv
