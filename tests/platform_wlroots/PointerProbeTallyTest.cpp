#include "platform/wlroots/PointerProbeTally.h"

#include <gtest/gtest.h>

namespace vv {
namespace {

TEST(PointerProbeTally, TheFirstEnteredProbeSurfaceNamesTheOutput) {
  int left = 0;
  int right = 0;
  PointerProbeTally tally;
  tally.watch(&left, "HEADLESS-1");
  tally.watch(&right, "HEADLESS-2");
  EXPECT_FALSE(tally.answered());

  tally.entered(&right);
  tally.entered(&left);  // the pointer moved on while the probe was ending
  EXPECT_TRUE(tally.answered());
  EXPECT_EQ(tally.answer(), "HEADLESS-2");
}

TEST(PointerProbeTally, EntersOfForeignOrVanishedSurfacesAreNoAnswer) {
  int probe = 0;
  int other = 0;
  PointerProbeTally tally;
  tally.watch(&probe, "HEADLESS-1");
  tally.entered(nullptr);
  tally.entered(&other);
  EXPECT_FALSE(tally.answered());
  EXPECT_EQ(tally.answer(), std::nullopt);
}

TEST(PointerProbeTally, AnOutputWithoutANameEndsTheWaitButNamesNothing) {
  int probe = 0;
  PointerProbeTally tally;
  tally.watch(&probe, QString());
  tally.entered(&probe);
  EXPECT_TRUE(tally.answered());
  EXPECT_EQ(tally.answer(), std::nullopt);
}

}  // namespace
}  // namespace vv
