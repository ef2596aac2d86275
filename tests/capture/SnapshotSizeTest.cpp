#include "capture/SnapshotSize.h"

#include <gtest/gtest.h>

#include <string>

#include <string>

namespace vv {
namespace {

struct Sizing {
  double width;
  double height;
  double scale;
  QSize expected;
};

class SnapshotSizeTest : public ::testing::TestWithParam<Sizing> {};

TEST_P(SnapshotSizeTest, FollowsTheDensityWithinBothBounds) {
  const Sizing& c = GetParam();
  const QSize size = snapshotSize(c.width, c.height, c.scale);
  EXPECT_EQ(size.width(), c.expected.width());
  EXPECT_EQ(size.height(), c.expected.height());
}

INSTANTIATE_TEST_SUITE_P(
    WorkedValues, SnapshotSizeTest,
    ::testing::Values(Sizing{1440, 900, 2, {2880, 1800}},   // native density
                      Sizing{2560, 1440, 2, {5120, 2880}},  // native, just under the budget
                      Sizing{3840, 2160, 2, {5333, 3000}},  // pixel budget binds
                      Sizing{3840, 2160, 1, {3840, 2160}},  // native at 1x
                      Sizing{3440, 1440, 2, {6182, 2587}},  // budget binds; 2587.99 truncated
                      Sizing{10000, 1000, 1, {8192, 819}},  // side limit binds; 819.2 truncated
                      Sizing{0, 0, 2, {0, 0}},              // no area: no bound binds
                      Sizing{1000, 10000, 1, {819, 8192}},  // side limit on the height
                      Sizing{480, 540, 2, {960, 1080}}),    // HiDPI half of a 1920 x 1080 desk
    [](const ::testing::TestParamInfo<Sizing>& info) {
      const Sizing& c = info.param;
      return std::to_string(static_cast<int>(c.width)) + "x" +
             std::to_string(static_cast<int>(c.height)) + "at" +
             std::to_string(static_cast<int>(c.scale * 100)) + "percent";
    });

TEST(SnapshotSize, NeverRaisesTheDensityAndStaysInsideTheBudget) {
  for (double scale : {0.5, 1.0, 1.25, 2.0, 3.0}) {
    for (double width : {800.0, 1366.0, 2560.0, 5120.0, 7680.0}) {
      const double height = width * 9 / 16;
      const QSize size = snapshotSize(width, height, scale);
      EXPECT_LE(size.width(), static_cast<int>(width * scale));
      EXPECT_LE(static_cast<double>(size.width()) * size.height(), snapshotPixelBudget);
      EXPECT_LE(size.width(), snapshotMaxSide);
    }
  }
}

}  // namespace
}  // namespace vv
