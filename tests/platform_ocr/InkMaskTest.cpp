#include "platform/ocr/InkMask.h"

#include <gtest/gtest.h>
#include <leptonica/allheaders.h>

#include <filesystem>
#include <memory>

#include "platform/ocr/OwnedPix.h"
#include "platform_ocr/DrawnPages.h"

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

// The same threshold as leptonica's, which Tesseract uses on its own: on a real screen the two
// disagree only where the threshold falls within a grey level of a pixel (leptonica rounds the
// window's mean and truncates the threshold) and at the page's edges (it mirrors the page
// there, this clips the window).
TEST(InkMaskTest, AgreesWithLeptonicasSauvolaOnARealScreen) {
  const std::filesystem::path path = std::filesystem::path(VV_CORPUS_DIR) / "dev_07_chat.png";
  if (!std::filesystem::exists(path)) {
    GTEST_SKIP() << "the corpus is not beside the sources";
  }
  const PixPtr colour(pixRead(path.c_str()));
  ASSERT_NE(colour, nullptr);
  const PixPtr grey(pixConvertRGBToLuminance(colour.get()));
  Pix* theirs = nullptr;
  ASSERT_EQ(pixSauvolaBinarize(grey.get(), 15, 0.34f, 1, nullptr, nullptr, nullptr, &theirs), 0);
  const PixPtr reference(theirs);

  GreyImage page(pixGetWidth(grey.get()), pixGetHeight(grey.get()));
  for (int y = 0; y < page.height; ++y) {
    for (int x = 0; x < page.width; ++x) {
      l_uint32 v = 0;
      pixGetPixel(grey.get(), x, y, &v);
      page.at(x, y) = static_cast<std::uint8_t>(v);
    }
  }
  const InkMask ours = sauvolaInk(page, 15, 0.34);
  long differing = 0;
  long inked = 0;
  for (int y = 0; y < page.height; ++y) {
    for (int x = 0; x < page.width; ++x) {
      l_uint32 v = 0;
      pixGetPixel(reference.get(), x, y, &v);
      differing += ours.ink(x, y) != (v != 0);
      inked += v != 0;
    }
  }
  ASSERT_GT(inked, 10000);
  EXPECT_LT(differing, inked / 50) << differing << " of " << inked << " ink pixels differ";
}

}  // namespace
}  // namespace vv
