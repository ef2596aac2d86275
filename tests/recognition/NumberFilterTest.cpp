#include <gtest/gtest.h>

#include <string>

#include "recognition/NumberFilter.h"

namespace vv {
namespace {

// The spans of every occurrence of `proposed` in `line`, as a detector would report them.
std::vector<DetectedSpan> spansOf(const std::string& line, const std::string& proposed) {
  std::vector<DetectedSpan> spans;
  for (auto at = line.find(proposed); at != std::string::npos; at = line.find(proposed, at + 1)) {
    spans.push_back(DetectedSpan{at, proposed.size()});
  }
  return spans;
}

struct FilterCase {
  const char* name;
  std::string line;
  std::string proposed;  // the detector's span, found in `line`
  bool accepted;
};

void PrintTo(const FilterCase& c, std::ostream* out) { *out << c.name; }

class NumberFilterCase : public ::testing::TestWithParam<FilterCase> {
 protected:
  NumberFilter filter;
};

TEST_P(NumberFilterCase, AcceptsOnlyDialableUnlabelledNumbers) {
  const FilterCase& c = GetParam();
  const auto spans = spansOf(c.line, c.proposed);
  ASSERT_EQ(spans.size(), 1u) << c.line;
  EXPECT_EQ(filter.acceptedSpans(c.line, spans).size(), c.accepted ? 1u : 0u);
}

std::string nameOf(const ::testing::TestParamInfo<FilterCase>& info) { return info.param.name; }

INSTANTIATE_TEST_SUITE_P(
    Shape, NumberFilterCase,
    ::testing::Values(
        FilterCase{"International", "Call +1 (415) 555-0142", "+1 (415) 555-0142", true},
        FilterCase{"Parenthesised", "Call (415) 555-0142", "(415) 555-0142", true},
        FilterCase{"PlusBeforeParenthesis", "Call +(415) 555 0142", "+(415) 555 0142", true},
        FilterCase{"Dotted", "Call 415.555.0142 now", "415.555.0142", true},
        FilterCase{"Slash", "Call 415/555-0142", "415/555-0142", false},
        FilterCase{"Letters", "Call 1-800-FLOWERS", "1-800-FLOWERS", false},
        FilterCase{"Extension", "Call 555-0142 x12", "555-0142 x12", false},
        FilterCase{"SecondPlus", "Call ++1 415 555 0142", "++1 415 555 0142", false},
        FilterCase{"LeadingDash", "Call -415 555 0142", "-415 555 0142", false},
        FilterCase{"LeadingDot", "Call .415 555 0142", ".415 555 0142", false},
        FilterCase{"LeadingClosingParenthesis", "Call )415 555 0142", ")415 555 0142", false},
        FilterCase{"NoBreakSpaceInside", "Call 415\u00a0555 0142", "415\u00a0555 0142", false},
        FilterCase{"ArabicIndicDigits",
                   "Call \u0664\u0661\u0665\u0665\u0665\u0665\u0660\u0661\u0664\u0662",
                   "\u0664\u0661\u0665\u0665\u0665\u0665\u0660\u0661\u0664\u0662", false},
        FilterCase{"WhiteSpaceAtBothEndsIsTrimmed", "Call \u00a0 555-0142\n", " \u00a0 555-0142\n",
                   true},
        FilterCase{"TrailingLineTerminatorsAreTrimmed", "Call 555-0142\n\n", "555-0142\n\n", true}),
    nameOf);

INSTANTIATE_TEST_SUITE_P(DigitBounds, NumberFilterCase,
                         ::testing::Values(FilterCase{"Six", "Call 555-014", "555-014", false},
                                           FilterCase{"Seven", "Call 555-0142", "555-0142", true},
                                           FilterCase{"Fifteen", "Call +123 456 789 012 345",
                                                      "+123 456 789 012 345", true},
                                           FilterCase{"SixteenCardNumber",
                                                      "Card 4111 1111 1111 1111",
                                                      "4111 1111 1111 1111", false}),
                         nameOf);

INSTANTIATE_TEST_SUITE_P(
    ReferenceLabel, NumberFilterCase,
    ::testing::Values(
        FilterCase{"InvoiceNo", "INVOICE NO. 4155550143", "4155550143", false},
        FilterCase{"OrderHash", "Order #1234567", "1234567", false},
        FilterCase{"AccountNumberDash", "Account number - 4155550143", "4155550143", false},
        FilterCase{"CustomerId", "Customer ID 4155550142", "4155550142", false},
        FilterCase{"ZipDash", "Zip-94107123", "94107123", false},
        FilterCase{"AreaCodeIsALabel", "Area code: 4155550142", "4155550142", false},
        FilterCase{"PaidHasNoWordBoundaryBeforeId", "Paid: 4155550142", "4155550142", true},
        FilterCase{"LabelFarBefore", "Invoice 4155550143, call 4155550142", "4155550142", true},
        FilterCase{"NoLabel", "Sales - San Francisco: +1 (415) 555-0142", "+1 (415) 555-0142",
                   true},
        FilterCase{"LabelWithThirtySpaces", "Invoice:" + std::string(30, ' ') + "4155550142",
                   "4155550142", false},
        FilterCase{"LabelCutByThirtyThreeSpaces", "Invoice:" + std::string(33, ' ') + "4155550142",
                   "4155550142", true},
        // Twenty CRLF are 20 characters (40 UTF-16 units): the label stays in the window.
        FilterCase{"WindowCountsCharactersNotCodeUnits",
                   "Invoice:" +
                       [] {
                         std::string breaks;
                         for (int i = 0; i < 20; ++i) breaks += "\r\n";
                         return breaks;
                       }() +
                       "4155550142",
                   "4155550142", false},
        FilterCase{"NonBreakingSpaceAfterLabel", "Invoice:\u00a04155550142", "4155550142", false}),
    nameOf);

TEST(NumberFilter, KeepsDetectorOrderAndSkipsOnlyTheRejectedSpan) {
  const std::string line = "Invoice 4155550143, call 4155550142 or 555-0199";
  std::vector<DetectedSpan> spans = spansOf(line, "4155550143");
  const auto second = spansOf(line, "4155550142");
  const auto third = spansOf(line, "555-0199");
  spans.insert(spans.end(), second.begin(), second.end());
  spans.insert(spans.end(), third.begin(), third.end());
  const auto accepted = NumberFilter().acceptedSpans(line, spans);
  ASSERT_EQ(accepted.size(), 2u);
  EXPECT_EQ(accepted[0], (AcceptedSpan{"4155550142", GraphemeRange{25, 10}}));
  EXPECT_EQ(accepted[1], (AcceptedSpan{"555-0199", GraphemeRange{39, 8}}));
}

TEST(NumberFilter, CandidateIsTrimmedButTheSpanIsNot) {
  const std::string line = "Call \u00a0555-0142\n";
  const auto accepted = NumberFilter().acceptedSpans(line, {DetectedSpan{4, line.size() - 4}});
  ASSERT_EQ(accepted.size(), 1u);
  EXPECT_EQ(accepted[0], (AcceptedSpan{"555-0142", GraphemeRange{4, 11}}));
}

TEST(NumberFilter, MeasuresSpansInCharactersAfterNonAsciiText) {
  const std::string line = "Caf\u00e9 \u2014 \U0001F4DE 415-555-0142 ok";
  const auto accepted = NumberFilter().acceptedSpans(line, spansOf(line, "415-555-0142"));
  ASSERT_EQ(accepted.size(), 1u);
  EXPECT_EQ(accepted[0].span, (GraphemeRange{9, 12}));
}

TEST(NumberFilter, SkipsSpansThatEndInsideACharacter) {
  const std::string line = "Call 415-555-0142\u20E3 or 415-555-0143";
  const auto accepted = NumberFilter().acceptedSpans(
      line, {DetectedSpan{5, 12}, spansOf(line, "415-555-0143").front()});
  ASSERT_EQ(accepted.size(), 1u);
  EXPECT_EQ(accepted[0].number, "415-555-0143");
}

}  // namespace
}  // namespace vv
