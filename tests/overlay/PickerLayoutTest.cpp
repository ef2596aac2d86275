#include "overlay/PickerLayout.h"

#include <gtest/gtest.h>

namespace vv {
namespace {

void expectFrame(const LayoutRect& actual, double x, double y, double width, double height) {
  constexpr double kTolerance = 1e-9;
  EXPECT_NEAR(actual.x, x, kTolerance);
  EXPECT_NEAR(actual.y, y, kTolerance);
  EXPECT_NEAR(actual.width, width, kTolerance);
  EXPECT_NEAR(actual.height, height, kTolerance);
}

std::vector<NormalizedRect> someBoxes(std::size_t count) {
  return std::vector<NormalizedRect>(count, NormalizedRect{0.1, 0.1, 0.2, 0.05});
}

TEST(PickerLayout, ThreeMatchesOnA960By600Screen) {
  std::vector<NormalizedRect> boxes = someBoxes(3);
  boxes[1] = {0.25, 0.5, 0.5, 0.1};
  const PickerLayout layout = layoutPicker(960, 600, 960, 600, boxes);

  EXPECT_NEAR(layout.panelWidth, 307.2, 1e-9);
  expectFrame(layout.imageArea, 24, 58, 588.8, 480);
  EXPECT_NEAR(layout.scale, 588.8 / 960, 1e-12);
  EXPECT_NEAR(layout.drawnWidth, 588.8, 1e-9);
  EXPECT_NEAR(layout.drawnHeight, 368, 1e-9);
  expectFrame(layout.image, 24, 114, 588.8, 368);
  expectFrame(layout.heading, 24, 556, 780, 30);
  expectFrame(layout.instruction, 24, 8, 912, 42);
  expectFrame(layout.cancel, 846, 556, 90, 30);
  expectFrame(layout.list, 632.8, 58, 307.2, 480);
  EXPECT_NEAR(layout.documentWidth, 291.2, 1e-9);
  EXPECT_DOUBLE_EQ(layout.documentHeight, 480);
  expectFrame(layout.header, 8, 422, 275.2, 50);

  ASSERT_EQ(layout.rows.size(), 3u);
  expectFrame(layout.rows[0].label, 8, 357, 275.2, 44);
  expectFrame(layout.rows[0].button, 8, 318, 275.2, 34);
  EXPECT_DOUBLE_EQ(layout.rows[1].label.y, 253);
  EXPECT_DOUBLE_EQ(layout.rows[1].button.y, 214);
  EXPECT_DOUBLE_EQ(layout.rows[2].label.y, 149);
  EXPECT_DOUBLE_EQ(layout.rows[2].button.y, 110);
  EXPECT_DOUBLE_EQ(layout.scrollY, 0);

  ASSERT_EQ(layout.highlights.size(), 3u);
  expectFrame(layout.highlights[1], 168.2, 295, 300.4, 42.8);
}

TEST(PickerLayout, FiveMatchesGrowTheListAndScrollItToTheHeader) {
  const PickerLayout layout = layoutPicker(960, 600, 960, 600, someBoxes(5));
  EXPECT_DOUBLE_EQ(layout.documentHeight, 584);
  expectFrame(layout.header, 8, 526, 275.2, 50);
  ASSERT_EQ(layout.rows.size(), 5u);
  expectFrame(layout.rows[4].button, 8, 6, 275.2, 34);
  EXPECT_DOUBLE_EQ(layout.scrollY, 104);
}

TEST(PickerLayout, NoMatchesLeaveOnlyTheHeaderInAListAsTallAsItsView) {
  const PickerLayout layout = layoutPicker(960, 600, 960, 600, {});
  EXPECT_TRUE(layout.highlights.empty());
  EXPECT_TRUE(layout.rows.empty());
  EXPECT_DOUBLE_EQ(layout.documentHeight, layout.list.height);
  expectFrame(layout.header, 8, 422, 275.2, 50);
  EXPECT_DOUBLE_EQ(layout.scrollY, 0);
}

TEST(PickerLayout, NarrowScreenKeepsTheHeadingAtItsMinimumWidth) {
  const PickerLayout layout = layoutPicker(300, 600, 960, 600, {});
  EXPECT_NEAR(layout.panelWidth, 96, 1e-9);
  EXPECT_DOUBLE_EQ(layout.heading.width, 180);
  EXPECT_NEAR(layout.imageArea.width, 140, 1e-9);
  EXPECT_NEAR(layout.drawnWidth, 140, 1e-9);
  EXPECT_NEAR(layout.drawnHeight, 87.5, 1e-9);
}

TEST(PickerLayout, WideScreenCapsTheListAndGivesTheImageTheRest) {
  const PickerLayout layout = layoutPicker(1920, 1080, 1600, 900, someBoxes(1));
  EXPECT_DOUBLE_EQ(layout.panelWidth, 340);
  expectFrame(layout.list, 1560, 58, 340, 960);
  expectFrame(layout.imageArea, 24, 58, 1516, 960);
  EXPECT_DOUBLE_EQ(layout.documentWidth, 324);
  // 1600 x 900 in 1516 x 960: the width decides.
  EXPECT_NEAR(layout.scale, 1516.0 / 1600, 1e-12);
  expectFrame(layout.image, 24, 58 + (960 - 852.75) / 2, 1516, 852.75);
}

TEST(PickerLayout, BoxOnTheImageEdgeReachesThreePointsBeyondTheImage) {
  const PickerLayout layout =
      layoutPicker(960, 600, 960, 600, {NormalizedRect{0, 0.9, 0.2, 0.1}, {0.8, 0, 0.2, 0.1}});
  const LayoutRect& R = layout.image;
  const LayoutRect& topLeft = layout.highlights[0];
  EXPECT_NEAR(topLeft.x, R.x - 3, 1e-9);
  EXPECT_NEAR(topLeft.y + topLeft.height, R.y + R.height + 3, 1e-9);
  const LayoutRect& bottomRight = layout.highlights[1];
  EXPECT_NEAR(bottomRight.x + bottomRight.width, R.x + R.width + 3, 1e-9);
  EXPECT_NEAR(bottomRight.y, R.y - 3, 1e-9);
}

TEST(PickerLayout, BoxWithNegativeExtentReadsAsItsStandardForm) {
  const PickerLayout layout =
      layoutPicker(960, 600, 960, 600, {NormalizedRect{0.75, 0.6, -0.5, -0.1}});
  expectFrame(layout.highlights[0], 168.2, 295, 300.4, 42.8);
}

TEST(PickerLayout, SmallSnapshotIsEnlargedToFillTheImageArea) {
  const PickerLayout layout = layoutPicker(960, 600, 100, 50, {});
  EXPECT_NEAR(layout.scale, 5.888, 1e-12);
  EXPECT_NEAR(layout.drawnWidth, 588.8, 1e-9);
  EXPECT_NEAR(layout.drawnHeight, 294.4, 1e-9);
  expectFrame(layout.image, 24, 58 + (480 - 294.4) / 2, 588.8, 294.4);

  const PickerLayout tall = layoutPicker(960, 600, 50, 100, {});
  EXPECT_NEAR(tall.scale, 4.8, 1e-12);
  EXPECT_NEAR(tall.drawnHeight, 480, 1e-9);
}

TEST(PickerLayout, OnlyTheFirstNineFramesGetABadge) {
  EXPECT_EQ(layoutPicker(960, 600, 960, 600, someBoxes(3)).badges.size(), 3u);
  EXPECT_EQ(layoutPicker(960, 600, 960, 600, someBoxes(12)).badges.size(), 9u);
  EXPECT_TRUE(layoutPicker(960, 600, 960, 600, {}).badges.empty());
}

TEST(PickerLayout, BadgeGoesLeftOfItsFrameThenAboveWhenTheLeftIsTaken) {
  // Frame 0 at (168.2, 295, 300.4, 42.8): the badge sits left of it, centred on it.
  // Frame 1 touches the image's left edge: no room left of it inside the margins.
  // Frame 2 starts where frame 3 ends: its left side is taken by frame 3.
  const PickerLayout layout = layoutPicker(960, 600, 960, 600,
                                           {NormalizedRect{0.25, 0.5, 0.5, 0.1},
                                            {0, 0.2, 0.25, 0.05},
                                            {0.5, 0.05, 0.2, 0.05},
                                            {0.3, 0.05, 0.19, 0.05}});
  ASSERT_EQ(layout.badges.size(), 4u);
  expectFrame(layout.badges[0], 149.2, 307.4, 18, 18);
  const LayoutRect& edge = layout.highlights[1];
  expectFrame(layout.badges[1], edge.x, edge.y + edge.height + 1, 18, 18);
  const LayoutRect& blocked = layout.highlights[2];
  expectFrame(layout.badges[2], blocked.x, blocked.y + blocked.height + 1, 18, 18);
  const LayoutRect& blocker = layout.highlights[3];
  EXPECT_NEAR(layout.badges[3].x + 18 + 1, blocker.x, 1e-9);
}

TEST(PickerLayout, BadgesOfAStackedColumnCoverNoFrameAndStayBesideTheImage) {
  // Nine numbers one under the other, the way a contact list shows them.
  std::vector<NormalizedRect> boxes;
  for (int i = 0; i < 9; ++i) {
    boxes.push_back({0.1, 0.9 - 0.06 * i, 0.3, 0.05});
  }
  const PickerLayout layout = layoutPicker(960, 600, 960, 600, boxes);
  const LayoutRect bounds{4, 50, layout.list.x - 4, 600 - 94};
  ASSERT_EQ(layout.badges.size(), 9u);
  for (std::size_t i = 0; i < layout.badges.size(); ++i) {
    const LayoutRect& badge = layout.badges[i];
    EXPECT_TRUE(bounds.contains(badge)) << i;
    for (const LayoutRect& frame : layout.highlights) {
      EXPECT_FALSE(badge.intersects(frame)) << i;
    }
    for (std::size_t j = 0; j < i; ++j) {
      EXPECT_FALSE(badge.intersects(layout.badges[j])) << i << " " << j;
    }
    EXPECT_NEAR(badge.x + 18 + 1, layout.highlights[i].x, 1e-9) << i;
  }
}

TEST(LayoutRect, TouchingIsNotIntersecting) {
  const LayoutRect a{0, 0, 10, 10};
  EXPECT_TRUE(a.intersects({9, 9, 5, 5}));
  EXPECT_FALSE(a.intersects({10, 0, 5, 5}));
  EXPECT_FALSE(a.intersects({0, 10, 5, 5}));
  EXPECT_TRUE(a.contains({0, 0, 10, 10}));
  EXPECT_FALSE(a.contains({1, 1, 10, 5}));
}

TEST(ChildGeometry, FlipsToTopLeftAndRoundsEachEdge) {
  EXPECT_EQ(toChildGeometry({24, 556, 780, 30}, 600), QRect(24, 14, 780, 30));
  // 632.8 .. 940 wide list: the right edge stays on the screen's edge at 940.
  EXPECT_EQ(toChildGeometry({632.8, 58, 307.2, 480}, 600), QRect(633, 62, 307, 480));
  // Two frames that touch in points still touch in pixels.
  const QRect upper = toChildGeometry({8, 357.4, 275.2, 44.3}, 480);
  const QRect lower = toChildGeometry({8, 300.1, 275.2, 57.3}, 480);
  EXPECT_EQ(upper.bottom() + 1, lower.top());
}

}  // namespace
}  // namespace vv
