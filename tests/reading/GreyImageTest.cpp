#include "reading/GreyImage.h"

#include <gtest/gtest.h>

#include <optional>
#include <vector>

#include "reading/DrawnPages.h"

namespace vv {
namespace {

using test::fill;
using test::filled;

TEST(GreyImageTest, GreyIsTheLumaInEitherByteOrder) {
  // One orange pixel and one white pixel, as R, G, B, A and as B, G, R, X.
  const std::vector<std::uint8_t> rgba{255, 128, 0, 255, 255, 255, 255, 255};
  const std::vector<std::uint8_t> bgrx{0, 128, 255, 0, 255, 255, 255, 0};
  const GreyImage a = greyFrom(ImageView{rgba.data(), 2, 1, 8, PixelLayout::Rgba});
  const GreyImage b = greyFrom(ImageView{bgrx.data(), 2, 1, 8, PixelLayout::Bgrx});
  EXPECT_EQ(a.pixels, (std::vector<std::uint8_t>{151, 255}));
  EXPECT_EQ(b.pixels, a.pixels);
}

// A light page with dark text, and a dark bubble with light text on it.
TEST(GreyImageTest, DarkOnLightTurnsOverDarkRegionsOnly) {
  GreyImage page = filled(200, 120, 240);
  fill(page, PixelBox{10, 10, 14, 22}, 20);     // a dark stroke on the page
  fill(page, PixelBox{100, 20, 190, 110}, 40);  // the bubble
  fill(page, PixelBox{140, 60, 144, 72}, 250);  // a light stroke inside it
  const GreyImage out = darkOnLight(page, 8);
  EXPECT_EQ(out.at(12, 15), 20);    // dark text on the page stays
  EXPECT_EQ(out.at(50, 60), 240);   // so does the page
  EXPECT_EQ(out.at(120, 40), 215);  // the bubble becomes light
  EXPECT_EQ(out.at(142, 65), 5);    // and its text dark
  // No frame along the bubble's border: just inside it is light, just outside too.
  EXPECT_GT(out.at(101, 60), 128);
  EXPECT_GT(out.at(98, 60), 128);
}

TEST(GreyImageTest, LineStripIsDarkOnLightAtFullContrast) {
  // Light text on a dark bar.
  GreyImage bar = filled(40, 10, 60);
  fill(bar, PixelBox{5, 2, 30, 8}, 200);
  const GreyImage fromBar = lineStrip(bar, PixelBox{0, 0, 40, 10}, Zoom{});
  EXPECT_EQ(fromBar.at(1, 1), 255);
  EXPECT_EQ(fromBar.at(10, 5), 0);

  // Grey text on a slightly lighter grey.
  GreyImage faint = filled(40, 10, 200);
  fill(faint, PixelBox{5, 2, 30, 8}, 150);
  const GreyImage fromFaint = lineStrip(faint, PixelBox{0, 0, 40, 10}, Zoom{});
  EXPECT_EQ(fromFaint.at(1, 1), 255);
  EXPECT_EQ(fromFaint.at(10, 5), 0);

  // Nearly flat: nothing to stretch, left as it is.
  GreyImage flat = filled(40, 10, 200);
  fill(flat, PixelBox{5, 2, 30, 8}, 190);
  EXPECT_EQ(lineStrip(flat, PixelBox{0, 0, 40, 10}, Zoom{}).pixels, flat.pixels);
}

TEST(GreyImageTest, LineStripCutsOutItsBoxAndResizesIt) {
  GreyImage page = filled(30, 20, 250);
  fill(page, PixelBox{10, 7, 15, 12}, 0);
  const GreyImage same = lineStrip(page, PixelBox{5, 5, 25, 15}, Zoom{});
  EXPECT_EQ(same.width, 20);
  EXPECT_EQ(same.height, 10);
  EXPECT_EQ(same.at(4, 4), 255);
  EXPECT_EQ(same.at(5, 4), 0);

  const GreyImage doubled = lineStrip(page, PixelBox{5, 5, 25, 15}, Zoom{2, 1});
  EXPECT_EQ(doubled.width, 40);
  EXPECT_EQ(doubled.height, 20);
  EXPECT_EQ(doubled.at(0, 0), 255);
  EXPECT_EQ(doubled.at(11, 9), 0);

  const GreyImage halved = lineStrip(page, PixelBox{5, 5, 25, 15}, Zoom{1, 2});
  EXPECT_EQ(halved.width, 10);
  EXPECT_EQ(halved.height, 5);
}

TEST(GreyImageTest, ReducedAveragesBlocksAndDropsPartialOnes) {
  GreyImage image(5, 3);
  image.pixels = {0, 100, 200, 200, 9, 100, 0, 200, 200, 9, 7, 7, 7, 7, 7};
  const GreyImage half = reduced(image, 2);
  EXPECT_EQ(half.width, 2);
  EXPECT_EQ(half.height, 1);
  EXPECT_EQ(half.pixels, (std::vector<std::uint8_t>{50, 200}));
}

// Text, as far as telling its rows apart goes: every other row of the box dark.
void text(GreyImage& image, const PixelBox& box) {
  for (int y = box.top; y < box.bottom; y += 2) {
    fill(image, PixelBox{box.left, y, box.right, y + 1}, 0);
  }
}

// Text above and below the middle with a plain band between, a gradient across the whole page
// and a rule running down through everything.
TEST(GreyImageTest, ThePageIsCutOnlyAlongAQuietBand) {
  GreyImage page(120, 90);
  for (int y = 0; y < page.height; ++y) {
    for (int x = 0; x < page.width; ++x) {
      page.at(x, y) = static_cast<std::uint8_t>(150 + x / 2);
    }
  }
  text(page, PixelBox{10, 10, 100, 40});
  text(page, PixelBox{10, 52, 100, 80});
  fill(page, PixelBox{110, 0, 111, 90}, 0);
  const std::optional<int> cut = quietRowNearMiddle(page);
  ASSERT_TRUE(cut);
  EXPECT_EQ(*cut, 46);  // the middle of rows 40 to 51, each the same as the row above it

  const GreyImage below = rowsOf(page, *cut, page.height);
  EXPECT_EQ(below.height, 44);
  EXPECT_EQ(below.at(10, 52 - *cut), 0);
  EXPECT_EQ(below.at(5, 0), page.at(5, *cut));

  // A band too narrow to tell from the upright strokes of glyphs is no place to cut.
  text(page, PixelBox{10, 40, 100, 48});
  EXPECT_FALSE(quietRowNearMiddle(page));
}

}  // namespace
}  // namespace vv
