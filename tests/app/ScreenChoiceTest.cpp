#include "app/ScreenChoice.h"

#include <gtest/gtest.h>

#include "fakes/FakeServices.h"

namespace vv {
namespace {

using vv::testing::makeScreen;

TEST(FrameContains, LeftAndBottomEdgesAreInsideRightAndTopOutside) {
  const QRectF frame(100, 50, 200, 100);
  EXPECT_TRUE(frameContains(frame, {100, 50}));
  EXPECT_TRUE(frameContains(frame, {299.5, 149.5}));
  EXPECT_FALSE(frameContains(frame, {300, 100}));
  EXPECT_FALSE(frameContains(frame, {150, 150}));
  EXPECT_FALSE(frameContains(frame, {99.9, 100}));
  EXPECT_FALSE(frameContains(frame, {150, 49.9}));
}

TEST(ChooseScreen, TakesTheFirstScreenHoldingThePointer) {
  const auto a = makeScreen("A", QRectF(0, 0, 1000, 800));
  const auto b = makeScreen("B", QRectF(500, 0, 1000, 800));
  const auto chosen = chooseScreen({a, b}, QPointF(700, 10), b);
  ASSERT_TRUE(chosen);
  EXPECT_EQ(chosen->name, "A");
  EXPECT_EQ(chooseScreen({a, b}, QPointF(1200, 10), a)->name, "B");
}

TEST(ChooseScreen, FallsBackToTheMainScreenThenToNone) {
  const auto a = makeScreen("A", QRectF(0, 0, 1000, 800));
  const auto main = makeScreen("Main", QRectF(0, 0, 10, 10));
  EXPECT_EQ(chooseScreen({a}, QPointF(1000, 10), main)->name, "Main") << "right edge is outside";
  EXPECT_EQ(chooseScreen({a}, QPointF(10, 800), main)->name, "Main") << "top edge is outside";
  EXPECT_EQ(chooseScreen({}, QPointF(1, 1), main)->name, "Main");
  EXPECT_FALSE(chooseScreen({a}, QPointF(-5, 1), std::nullopt).has_value());
}

}  // namespace
}  // namespace vv
