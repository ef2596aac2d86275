#include "reading/ReadingScope.h"

#include <gtest/gtest.h>

namespace vv {
namespace {

TEST(ReadingScopeTest, OnlyDigitsMarksAndSpacesMayBeANumberAlone) {
  EXPECT_TRUE(mayBeNumbersAlone("+1 (415) 555-0142"));
  EXPECT_TRUE(mayBeNumbersAlone("020 7946 0958 / 555-0142."));
  EXPECT_TRUE(mayBeNumbersAlone(""));
  EXPECT_FALSE(mayBeNumbersAlone("Tel 555-0142"));
  EXPECT_FALSE(mayBeNumbersAlone("555-0142 \xE2\x82\xAC"));  // a currency sign
  EXPECT_FALSE(mayBeNumbersAlone("\xD9\xA5\xD9\xA5 x"));     // Arabic-Indic digits, then a letter
}

// A 1000 x 1000 page: the nearest line above may lie up to 90 pixels higher and 180 pixels to
// either side.
TEST(ReadingScopeTest, LinesAboveAreThoseALabelCanComeFrom) {
  const std::vector<PixelBox> lines{
      {100, 500, 400, 520},  // 0: the number
      {100, 470, 300, 490},  // 1: just above it
      {250, 420, 600, 440},  // 2: higher, shifted right but within reach
      {100, 380, 300, 400},  // 3: too far up
      {600, 470, 900, 490},  // 4: too far right
      {100, 530, 300, 550},  // 5: below it
      {420, 500, 600, 520},  // 6: beside it
  };
  const std::vector<bool> above =
      linesAbove(lines, {true, false, false, false, false, false, false}, 1000, 1000, kScanRules);
  EXPECT_EQ(above, (std::vector<bool>{false, true, true, false, false, false, false}));
  EXPECT_EQ(linesAbove(lines, std::vector<bool>(lines.size(), false), 1000, 1000, kScanRules),
            std::vector<bool>(lines.size(), false));
}

}  // namespace
}  // namespace vv
