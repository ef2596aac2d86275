#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

#include "FakePhoneDetector.h"
#include "RecordedLine.h"
#include "recognition/MatchLabeler.h"
#include "recognition/PhoneScan.h"
#include "recognition/UnicodeText.h"

namespace vv {
namespace {

using test::LiteralPhoneDetector;
using test::recordedLine;

struct KindCase {
  const char* name;
  std::string line;
  std::string kind;
};

class KindOfLine : public ::testing::TestWithParam<KindCase> {};

TEST_P(KindOfLine, FirstWholeWordKeywordInListOrder) {
  EXPECT_EQ(MatchLabeler().kindOf(icu::UnicodeString::fromUTF8(GetParam().line)), GetParam().kind);
}

INSTANTIATE_TEST_SUITE_P(
    Lines, KindOfLine,
    ::testing::Values(KindCase{"ListOrderBeatsLineOrder", "Sales & Support: +1 (415) 555-0142",
                               "Support"},
                      KindCase{"AnyLetterCase", "SALES: +1 (415) 555-0142", "Sales"},
                      KindCase{"InsideAWord", "Wholesale: +1 (415) 555-0142", "Phone"},
                      KindCase{"Plural", "Faxes: +1 (415) 555-0142", "Phone"},
                      KindCase{"FaxFirst", "Mobile/fax 555-0142", "Fax"},
                      KindCase{"Office", "Head office 555-0142", "Office"},
                      KindCase{"HyphenIsABoundary", "e-sales 555-0142", "Sales"},
                      KindCase{"UnderscoreIsAWordCharacter", "sales_team 555-0142", "Phone"},
                      KindCase{"NoKeyword", "Call: +1 (415) 555-0142", "Phone"}),
    [](const auto& info) { return std::string(info.param.name); });

// The context of the one number proposed on `line`, the only line of the image.
struct ContextCase {
  const char* name;
  std::string line;
  std::vector<std::string> proposed;
  std::vector<std::string> contexts;  // one per record, in order
};

class ContextOfLine : public ::testing::TestWithParam<ContextCase> {};

TEST_P(ContextOfLine, RestOfTheLineTrimmedAtTheEnds) {
  const ContextCase& c = GetParam();
  const auto matches = phoneMatches({test::lineAt(c.line, 0.5)}, LiteralPhoneDetector(c.proposed));
  std::vector<std::string> contexts;
  for (const PhoneMatch& match : matches) {
    contexts.push_back(match.context());
  }
  EXPECT_EQ(contexts, c.contexts);
}

std::string repeated(const std::string& piece, int times) {
  std::string text;
  for (int i = 0; i < times; ++i) {
    text += piece;
  }
  return text;
}

INSTANTIATE_TEST_SUITE_P(
    Lines, ContextOfLine,
    ::testing::Values(
        ContextCase{"Label", "Call: +1 (415) 555-0142", {"+1 (415) 555-0142"}, {"Call"}},
        ContextCase{"TwoNumbersRemoveOnlyTheirOwnSpan",
                    "Sales: +1 (415) 555-0142, Support: +44 20 7946 0958",
                    {"+1 (415) 555-0142", "+44 20 7946 0958"},
                    {"Sales: , Support: +44 20 7946 0958", "Sales: +1 (415) 555-0142, Support"}},
        ContextCase{
            "OnlyMarksLeftAndNoLineAbove", "-- +1 (415) 555-0142 --", {"+1 (415) 555-0142"}, {""}},
        ContextCase{"StrayPlusIsASymbol", "+(415) 555 0142", {"(415) 555 0142"}, {"+"}},
        ContextCase{"CutAt140Characters",
                    repeated("x", 150) + " 5550142",
                    {"5550142"},
                    {repeated("x", 140)}},
        ContextCase{"CutCountsCombinedCharactersOnce",
                    repeated("e\u0301", 150) + " 5550142",
                    {"5550142"},
                    {repeated("e\u0301", 140)}},
        ContextCase{
            "SameNumberTwice", "5550142 or 5550142", {"5550142"}, {"or 5550142", "5550142 or"}}),
    [](const auto& info) { return std::string(info.param.name); });

// The number's line is the bottom half of the strip just below y = 0, so that gaps and shifts
// are exact in binary: its top edge is 0 and its left edge 0.
class NearestLineAbove : public ::testing::Test {
 protected:
  static constexpr NormalizedRect kOwnBox{0, -0.05, 0.5, 0.05};

  static RecognizedLine above(const std::string& text, double gap, double shift,
                              float confidence = 0.9f) {
    return recordedLine(text, NormalizedRect{shift, gap, 0.4, 0.03}, confidence);
  }

  // The context given to a number that stands alone on its line, below `others`.
  static std::string contextBelow(RecognitionResult others) {
    others.push_back(recordedLine("+1 (415) 555-0142", kOwnBox));
    const auto matches = phoneMatches(others, LiteralPhoneDetector({"+1 (415) 555-0142"}));
    EXPECT_EQ(matches.size(), 1u);
    return matches.empty() ? "<none>" : matches.front().context();
  }
};

struct BoundCase {
  const char* name;
  double gap;
  double shift;
  bool qualifies;
};

class NearestLineBounds : public NearestLineAbove,
                          public ::testing::WithParamInterface<BoundCase> {};

TEST_P(NearestLineBounds, GapAndShiftBounds) {
  const BoundCase& c = GetParam();
  EXPECT_EQ(contextBelow({above("Head office", c.gap, c.shift)}), c.qualifies ? "Head office" : "");
}

INSTANTIATE_TEST_SUITE_P(
    Bounds, NearestLineBounds,
    ::testing::Values(BoundCase{"Near", 0.02, 0.05, true}, BoundCase{"Touching", 0, 0, true},
                      BoundCase{"GapJustBelowBound", std::nextafter(0.09, 0.0), 0, true},
                      BoundCase{"GapAtBound", 0.09, 0, false},
                      BoundCase{"ShiftJustBelowBoundToTheLeft", 0.02, -std::nextafter(0.18, 0.0),
                                true},
                      BoundCase{"ShiftAtBound", 0.02, 0.18, false},
                      BoundCase{"ShiftAtBoundToTheLeft", 0.02, -0.18, false},
                      BoundCase{"Overlapping", -0.01, 0, false},
                      BoundCase{"NotANumber", std::numeric_limits<double>::quiet_NaN(), 0, false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(NearestLineAbove, SmallestGapWinsThenResultOrder) {
  EXPECT_EQ(contextBelow({above("far", 0.05, 0), above("near", 0.03, 0)}), "near");
  EXPECT_EQ(contextBelow({above("first", 0.03, 0.1), above("second", 0.03, 0)}), "first");
}

TEST_F(NearestLineAbove, ConfidenceDoesNotMatterAndTextIsUntrimmed) {
  EXPECT_EQ(contextBelow({above("  Head office: ", 0.02, 0, 0.1f)}), "  Head office: ");
}

TEST_F(NearestLineAbove, LineWithoutCandidateGivesEmptyContext) {
  RecognizedLine blank{NormalizedRect{0, 0.01, 0.4, 0.03}, std::nullopt};
  EXPECT_EQ(contextBelow({above("Head office", 0.05, 0), blank}), "");
}

TEST_F(NearestLineAbove, KindComesFromTheOwnLineOnly) {
  const auto matches =
      phoneMatches({above("Head office", 0.02, 0.05), recordedLine("+1 (415) 555-0142", kOwnBox)},
                   LiteralPhoneDetector({"+1 (415) 555-0142"}));
  ASSERT_EQ(matches.size(), 1u);
  EXPECT_EQ(matches[0].kind(), "Phone");
}

TEST(NearestLineAboveSearch, OwnLineQualifiesOnlyWithZeroHeight) {
  const NormalizedRect flat{0.1, 0.5, 0.5, 0};
  const RecognitionResult lines{recordedLine("Fax 5550142", flat)};
  EXPECT_EQ(nearestLineAbove(lines, flat), &lines[0]);
  const NormalizedRect tall{0.1, 0.5, 0.5, 0.02};
  EXPECT_EQ(nearestLineAbove({recordedLine("Fax 5550142", tall)}, tall), nullptr);
}

TEST(NearestLineAboveSearch, ReadsEdgesOfStandardisedRectangles) {
  // Bottom edge 0.52 and left edge 0.1 once the negative sizes are turned around.
  const RecognitionResult lines{
      recordedLine("Head office", NormalizedRect{0.5, 0.55, -0.4, -0.03})};
  EXPECT_EQ(nearestLineAbove(lines, NormalizedRect{0.1, 0.49, 0.5, 0.01}), &lines[0]);
}

}  // namespace
}  // namespace vv
