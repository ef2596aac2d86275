#include <gtest/gtest.h>

#include <limits>
#include <string>

#include "selftest/Verdict.h"

namespace vv {
namespace {

const NormalizedRect kInside{0.3, 0.6, 0.2, 0.04};

PhoneMatch match(std::string number, std::string context, std::string kind,
                 NormalizedRect box = kInside) {
  return PhoneMatch(std::move(number), std::move(context), std::move(kind), box);
}

PhoneMatch sales() { return match("+1 (415) 555-0142", "Sales - San Francisco", "Sales"); }
PhoneMatch support() { return match("+44 20 7946 0958", "Support - London", "Support"); }

PhoneMatches passingResult() { return {sales(), support()}; }

TEST(Verdict, PassesWhatWorkingRecognitionFinds) { EXPECT_TRUE(selfTestPasses(passingResult())); }

TEST(Verdict, FailsWithoutMatches) { EXPECT_FALSE(selfTestPasses({})); }

TEST(Verdict, NeedsBothNumbersByTheirDigits) {
  EXPECT_FALSE(selfTestPasses({sales()}));
  EXPECT_FALSE(selfTestPasses({support()}));
  // The digits decide, not the writing: "+1.415.555.0142" still reduces to 14155550142.
  EXPECT_TRUE(
      selfTestPasses({match("+1.415.555.0142", "Sales - San Francisco", "Sales"), support()}));
  // A number without its country code is a different digit string.
  EXPECT_FALSE(selfTestPasses({match("(415) 555-0142", "Sales - San Francisco", "Sales"),
                               match("+44 20 7946 0958", "Support - London", "Support")}));
}

TEST(Verdict, DuplicatesPass) {
  EXPECT_TRUE(selfTestPasses({sales(), sales(), support(), support()}));
}

TEST(Verdict, FailsWhenTheInvoiceNumberIsReported) {
  PhoneMatches result = passingResult();
  result.push_back(match("4155550143", "Invoice:", "Phone"));
  EXPECT_FALSE(selfTestPasses(result));
}

TEST(Verdict, IgnoresTheOrderLine) {
  PhoneMatches result = passingResult();
  result.push_back(match("1234567890", "Order:", "Phone"));
  EXPECT_TRUE(selfTestPasses(result));
}

TEST(Verdict, LabelsAreCaseSensitive) {
  EXPECT_FALSE(
      selfTestPasses({match("+1 (415) 555-0142", "Sales - San Francisco", "sales"), support()}));
  EXPECT_FALSE(
      selfTestPasses({match("+1 (415) 555-0142", "Sales - san francisco", "Sales"), support()}));
  EXPECT_FALSE(selfTestPasses({sales(), match("+44 20 7946 0958", "Support - London", "SUPPORT")}));
}

TEST(Verdict, ALabelledMatchNeedsItsContext) {
  EXPECT_FALSE(selfTestPasses({match("+1 (415) 555-0142", "Sales", "Sales"), support()}));
  EXPECT_FALSE(selfTestPasses({sales(), match("+44 20 7946 0958", "Support - Paris", "Support")}));
  // The label and the context must hold on the same match.
  EXPECT_FALSE(selfTestPasses({match("+1 (415) 555-0142", "Sales - Boston", "Sales"),
                               match("555-0100", "San Francisco office", "Office"), support()}));
}

TEST(Verdict, ALaterSalesMatchWithTheContextIsEnough) {
  EXPECT_TRUE(selfTestPasses({match("+1 (415) 555-0142", "Sales - Boston", "Sales"),
                              match("555-0101", "Sales - San Francisco", "Sales"), support()}));
}

TEST(Verdict, BoxesOnTheEdgesOfTheImagePass) {
  PhoneMatches result = passingResult();
  result.push_back(match("555-0100", "", "Phone", NormalizedRect{0.0, 0.0, 1.0, 1.0}));
  EXPECT_TRUE(selfTestPasses(result));
}

TEST(Verdict, ABoxBeyondAnyEdgeFails) {
  const double tiny = 1e-12;
  for (const NormalizedRect box :
       {NormalizedRect{-tiny, 0.5, 0.1, 0.1}, NormalizedRect{0.5, -tiny, 0.1, 0.1},
        NormalizedRect{0.9, 0.5, 0.1 + tiny, 0.1}, NormalizedRect{0.5, 0.9, 0.1, 0.1 + tiny}}) {
    PhoneMatches result = passingResult();
    result.push_back(match("555-0100", "", "Phone", box));
    EXPECT_FALSE(selfTestPasses(result))
        << box.x << ' ' << box.y << ' ' << box.width << ' ' << box.height;
  }
}

TEST(Verdict, BoxesAreReadWhicheverWayTheyPoint) {
  PhoneMatches inside = passingResult();
  inside.push_back(match("555-0100", "", "Phone", NormalizedRect{1.0, 1.0, -1.0, -1.0}));
  EXPECT_TRUE(selfTestPasses(inside));

  PhoneMatches outside = passingResult();
  outside.push_back(match("555-0100", "", "Phone", NormalizedRect{0.05, 0.5, -0.1, 0.1}));
  EXPECT_FALSE(selfTestPasses(outside));
}

TEST(Verdict, NotANumberFails) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  for (const NormalizedRect box :
       {NormalizedRect{nan, 0.5, 0.1, 0.1}, NormalizedRect{0.5, nan, 0.1, 0.1},
        NormalizedRect{0.5, 0.5, nan, 0.1}, NormalizedRect{0.5, 0.5, 0.1, nan}}) {
    PhoneMatches result = passingResult();
    result.push_back(match("555-0100", "", "Phone", box));
    EXPECT_FALSE(selfTestPasses(result));
  }
}

}  // namespace
}  // namespace vv
