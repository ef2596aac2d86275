#include "reading/DigitRuns.h"

#include <gtest/gtest.h>

#include <string_view>

namespace vv {
namespace {

// Glyphs drawn as solid blocks on a white strip, one character per glyph, from left to right:
//   D  a digit (cap height, on the baseline)     x  an x-height letter
//   W  two digits that touch
//   p  a descender letter                        -  a hyphen (a small mark at mid-height)
//   (  a bracket (above the cap line, below the baseline)
//   :  a glyph broken into two pieces stacked over one another (thin strokes of small text)
//   ' '  a word space
// The cap height is 20 pixels; the strip has a 6-pixel margin above and below.
constexpr int kCap = 20;
constexpr int kBaseline = 26;

GreyImage stripOf(std::string_view glyphs, int gapAfterFirst = 0) {
  const int width = 8 + static_cast<int>(glyphs.size()) * 28 + gapAfterFirst;
  GreyImage strip(width, kBaseline + 10);
  std::fill(strip.pixels.begin(), strip.pixels.end(), 255);
  const auto block = [&](int left, int top, int right, int bottom) {
    for (int y = top; y < bottom; ++y) {
      for (int x = left; x < right; ++x) {
        strip.at(x, y) = 0;
      }
    }
  };
  int x = 4;
  for (std::size_t i = 0; i < glyphs.size(); ++i) {
    switch (glyphs[i]) {
      case 'D':
        block(x, kBaseline - kCap, x + 11, kBaseline);
        break;
      case 'W':
        block(x, kBaseline - kCap, x + 25, kBaseline);
        break;
      case 'x':
        block(x, kBaseline - 14, x + 11, kBaseline);
        break;
      case 'p':
        block(x, kBaseline - 14, x + 11, kBaseline + 6);
        break;
      case '-':
        block(x, kBaseline - 10, x + 7, kBaseline - 8);
        break;
      case '(':
        block(x, kBaseline - kCap - 2, x + 4, kBaseline + 4);
        break;
      case ':':
        block(x, kBaseline - kCap, x + 11, kBaseline - 12);
        block(x, kBaseline - 11, x + 11, kBaseline);
        break;
      default:
        break;
    }
    x += (glyphs[i] == 'W' ? 28 : 14) + (i == 0 ? gapAfterFirst : 0);
  }
  return strip;
}

TEST(DigitRunsTest, NumbersShowARunOfDigitShapedGlyphs) {
  EXPECT_TRUE(mayShowDigitRun(stripOf("DDD-DDD-DDDD"), 7));
  EXPECT_TRUE(mayShowDigitRun(stripOf("(DDD) DDD-DDDD"), 7));
  EXPECT_TRUE(mayShowDigitRun(stripOf("xpx: DDD DDDD"), 7));
  // Glyphs that touch count as the digits that fit into them; broken ones are put back
  // together.
  EXPECT_TRUE(mayShowDigitRun(stripOf("WW WW"), 7));
  EXPECT_FALSE(mayShowDigitRun(stripOf("WWW"), 7));
  EXPECT_TRUE(mayShowDigitRun(stripOf("::: ::::"), 7));
}

TEST(DigitRunsTest, RunningTextAndShortRunsDoNot) {
  EXPECT_FALSE(mayShowDigitRun(stripOf("DxxDpxD xDxpDxx DxD"), 7));
  EXPECT_FALSE(mayShowDigitRun(stripOf("DDDxDDDD"), 7));
  EXPECT_FALSE(mayShowDigitRun(stripOf("DDD-DDD"), 7));
  EXPECT_FALSE(mayShowDigitRun(stripOf("DDDpDDDD"), 7));
  // A wide gap parts two columns of digits.
  EXPECT_FALSE(mayShowDigitRun(stripOf("DDDDDDD", 40), 7));
  EXPECT_FALSE(mayShowDigitRun(stripOf(""), 7));
}

TEST(DigitRunsTest, InkAtTheStripsEdgesIsNotPartOfTheLine) {
  // A bubble's dark surroundings frame the text and reach the top and bottom edges.
  GreyImage strip = stripOf("  DDD-DDD-DDDD  ");
  for (int y = 0; y < strip.height; ++y) {
    for (int x = 0; x < 3; ++x) {
      strip.at(x, y) = 0;
    }
  }
  for (int x = 0; x < strip.width; ++x) {
    strip.at(x, 0) = 0;
    strip.at(x, strip.height - 1) = 0;
  }
  EXPECT_TRUE(mayShowDigitRun(strip, 7));
}

TEST(DigitRunsTest, EachRowOfAStripIsJudgedOnItsOwn) {
  // Running text with a row of small digits (a time stamp) under it.
  const GreyImage text = stripOf("DxxDpxD xDxpDxx");
  GreyImage strip(text.width, text.height + 20);
  std::fill(strip.pixels.begin(), strip.pixels.end(), 255);
  std::copy(text.pixels.begin(), text.pixels.end(), strip.pixels.begin());
  const auto digitsRow = [&](int count) {
    for (int d = 0; d < count; ++d) {
      for (int y = text.height + 4; y < text.height + 14; ++y) {
        for (int x = 4 + 8 * d; x < 9 + 8 * d; ++x) {
          strip.at(x, y) = 0;
        }
      }
    }
  };
  digitsRow(4);
  EXPECT_FALSE(mayShowDigitRun(strip, 7));
  digitsRow(10);
  EXPECT_TRUE(mayShowDigitRun(strip, 7));
}

}  // namespace
}  // namespace vv
