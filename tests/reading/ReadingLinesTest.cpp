#include "reading/ReadingLines.h"

#include <gtest/gtest.h>

#include <vector>

namespace vv {
namespace {

using Lines = std::vector<std::vector<std::size_t>>;

// Text 20 pixels high with its top at `top`, from `left` to `right`.
PixelBox text(int left, int right, int top = 100) { return PixelBox{left, top, right, top + 20}; }

TEST(ReadingLinesTest, SplitKeepsWordsAtOrdinarySpacingTogether) {
  const ReadingLines lines(8.0);
  const std::vector<PixelBox> pieces = lines.split({text(0, 50), text(58, 120), text(130, 200)});
  ASSERT_EQ(pieces.size(), 1u);
  EXPECT_EQ(pieces[0], text(0, 200));
}

// Two cards side by side: the layout reads their lines as one, which would join two
// addresses' digits into a fake number.
TEST(ReadingLinesTest, SplitCutsALineAtAGutterWiderThanTheLimit) {
  const ReadingLines lines(8.0);
  const std::vector<PixelBox> pieces =
      lines.split({text(0, 50), text(60, 120), text(300, 350), text(360, 400)});
  ASSERT_EQ(pieces.size(), 2u);
  EXPECT_EQ(pieces[0], text(0, 120));
  EXPECT_EQ(pieces[1], text(300, 400));
  // Exactly at the limit (8 heights of 20 pixels) the words still belong together.
  EXPECT_EQ(lines.split({text(0, 50), text(210, 260)}).size(), 1u);
  EXPECT_EQ(lines.split({text(0, 50), text(211, 260)}).size(), 2u);
}

// A table read column by column: the layout gives each cell a line of its own, first the
// label column, then the number column. The rows come back as lines, cells left to right.
TEST(ReadingLinesTest, GroupJoinsTableCellsOnOneBaselineIntoRows) {
  const ReadingLines lines(8.0);
  const std::vector<PixelBox> cells{text(0, 60, 100),    text(0, 60, 130),   text(100, 300, 101),
                                    text(100, 300, 131), text(340, 400, 99), text(340, 400, 130)};
  EXPECT_EQ(lines.group(cells), (Lines{{0, 2, 4}, {1, 3, 5}}));
}

TEST(ReadingLinesTest, GroupKeepsApartWhatOnlyLooksAligned) {
  const ReadingLines lines(8.0);
  // Too far apart: neighbouring cards.
  EXPECT_EQ(lines.group({text(0, 100), text(400, 500)}), (Lines{{0}, {1}}));
  // Overlapping by less than 60% of the lower height: neighbouring lines of text.
  EXPECT_EQ(lines.group({text(0, 100, 100), text(150, 250, 109)}), (Lines{{0}, {1}}));
  // A heading beside body text shares some of its height but is far taller.
  EXPECT_EQ(lines.group({PixelBox{0, 90, 200, 130}, text(220, 300, 105)}), (Lines{{0}, {1}}));
  // Text stacked in one column: no horizontal chain at all.
  EXPECT_EQ(lines.group({text(0, 100, 100), text(0, 100, 100)}), (Lines{{0}, {1}}));
}

// Each fragment joins the nearest line that ends before it, so two rows that happen to be
// chained through their first cells do not swallow each other's later cells.
TEST(ReadingLinesTest, GroupChainsEachFragmentToTheNearestLineOnItsLeft) {
  const ReadingLines lines(8.0);
  const std::vector<PixelBox> fragments{text(0, 100), text(120, 200), text(210, 260)};
  EXPECT_EQ(lines.group(fragments), (Lines{{0, 1, 2}}));
}

TEST(ReadingLinesTest, GroupOrdersLinesByTheirEarliestFragment) {
  const ReadingLines lines(8.0);
  // The layout put the right-hand block first; its line stays first.
  const std::vector<PixelBox> fragments{text(500, 600, 300), text(0, 100, 100), text(0, 100, 300)};
  EXPECT_EQ(lines.group(fragments), (Lines{{0}, {1}, {2}}));
  EXPECT_TRUE(lines.group({}).empty());
}

}  // namespace
}  // namespace vv
