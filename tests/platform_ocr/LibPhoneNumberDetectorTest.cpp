#include "platform/ocr/LibPhoneNumberDetector.h"

#include <gtest/gtest.h>
#include <unicode/locid.h>

#include <string>
#include <vector>

namespace vv {
namespace {

// The proposed spans, as the text they cover.
std::vector<std::string> proposed(const PhoneDetector& detector, const std::string& text) {
  std::vector<std::string> spans;
  for (const DetectedSpan& span : detector.find(text)) {
    EXPECT_LE(span.byteOffset + span.byteLength, text.size());
    spans.push_back(text.substr(span.byteOffset, span.byteLength));
  }
  return spans;
}

using Spans = std::vector<std::string>;

TEST(LibPhoneNumberDetector, ProposesTheSelfTestNumbers) {
  const LibPhoneNumberDetector us("US");
  EXPECT_EQ(proposed(us, "Sales - San Francisco: +1 (415) 555-0142"), Spans{"+1 (415) 555-0142"});
  EXPECT_EQ(proposed(us, "Support - London: +44 20 7946 0958"), Spans{"+44 20 7946 0958"});
  EXPECT_EQ(proposed(us, "Invoice: 4155550143"), Spans{"4155550143"});
  EXPECT_EQ(proposed(us, "Contact our team"), Spans{});
}

TEST(LibPhoneNumberDetector, ProposesLocalNumbersThatAreOnlyPossible) {
  const LibPhoneNumberDetector us("US");
  EXPECT_EQ(proposed(us, "Front desk 555-0142"), Spans{"555-0142"});
  EXPECT_EQ(proposed(us, "Order: 1234567890"), Spans{"1234567890"});
}

TEST(LibPhoneNumberDetector, LeavesDatesTimesAndAddressesAlone) {
  const LibPhoneNumberDetector us("US");
  for (const char* text : {"2024-01-15", "12:30:45", "192.168.1.1", "ISBN 978-3-16-148410-0",
                           "$1,234,567.00", "4111 1111 1111 1111", "Page 12 of 345"}) {
    EXPECT_EQ(proposed(us, text), Spans{}) << text;
  }
}

TEST(LibPhoneNumberDetector, ReportsEveryNumberOfALineInOrder) {
  const LibPhoneNumberDetector us("US");
  EXPECT_EQ(proposed(us, "Invoice 4155550143, call 4155550142"),
            (Spans{"4155550143", "4155550142"}));
}

TEST(LibPhoneNumberDetector, FindsANumberAfterManyOtherCandidates) {
  std::string text;
  for (int day = 1; day <= 30; ++day) {
    text += "2024-01-" + std::to_string(10 + day % 18) + " ";
  }
  text += "call (415) 555-0142";
  EXPECT_EQ(proposed(LibPhoneNumberDetector("US"), text), Spans{"(415) 555-0142"});
}

TEST(LibPhoneNumberDetector, OffsetsAreUtf8Bytes) {
  const std::string text = "Caf\u00e9 \u2014 \U0001F4DE 415-555-0142 ok";
  const std::vector<DetectedSpan> spans = LibPhoneNumberDetector("US").find(text);
  ASSERT_EQ(spans.size(), 1u);
  EXPECT_EQ(spans[0].byteOffset, 15u);
  EXPECT_EQ(spans[0].byteLength, 12u);
}

TEST(LibPhoneNumberDetector, InvalidUtf8GivesNothing) {
  const LibPhoneNumberDetector us("US");
  EXPECT_TRUE(us.find("call \xff\xfe (415) 555-0142").empty());
  EXPECT_TRUE(us.find(std::string("+1 415 555 0142\xc3", 16)).empty());
  EXPECT_TRUE(us.find("").empty());
}

TEST(LibPhoneNumberDetector, RegionDecidesNationalNumbers) {
  EXPECT_EQ(proposed(LibPhoneNumberDetector("GB"), "Tel 020 7946 0958"), Spans{"020 7946 0958"});
  // An unknown region only accepts numbers with their country code.
  const LibPhoneNumberDetector unknown("XX");
  EXPECT_EQ(proposed(unknown, "(415) 555-0142"), Spans{});
  EXPECT_EQ(proposed(unknown, "+1 (415) 555-0142"), Spans{"+1 (415) 555-0142"});
}

class DefaultRegion : public ::testing::Test {
 protected:
  void TearDown() override {
    UErrorCode status = U_ZERO_ERROR;
    icu::Locale::setDefault(saved_, status);
  }
  static void useLocale(const char* name) {
    UErrorCode status = U_ZERO_ERROR;
    icu::Locale::setDefault(icu::Locale(name), status);
    ASSERT_TRUE(U_SUCCESS(status));
  }

 private:
  icu::Locale saved_ = icu::Locale::getDefault();
};

TEST_F(DefaultRegion, IsTheLocaleCountry) {
  useLocale("de_DE");
  EXPECT_EQ(LibPhoneNumberDetector::defaultRegion(), "DE");
  useLocale("fr_CA");
  EXPECT_EQ(LibPhoneNumberDetector::defaultRegion(), "CA");
}

TEST_F(DefaultRegion, FallsBackToUsWithoutASupportedCountry) {
  useLocale("en");
  EXPECT_EQ(LibPhoneNumberDetector::defaultRegion(), "US");
  useLocale("en_QQ");
  EXPECT_EQ(LibPhoneNumberDetector::defaultRegion(), "US");
  useLocale("en_US_POSIX");
  EXPECT_EQ(LibPhoneNumberDetector::defaultRegion(), "US");
}

}  // namespace
}  // namespace vv
