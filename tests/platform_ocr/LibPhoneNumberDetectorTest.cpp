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

TEST(LibPhoneNumberDetector, ProposesLocalNumbersOnlyWhenJoinedLikeOne) {
  const LibPhoneNumberDetector us("US");
  EXPECT_EQ(proposed(us, "Front desk 555-0142"), Spans{"555-0142"});
  EXPECT_EQ(proposed(us, "Front desk 555.0142"), Spans{"555.0142"});
  // Spaced or bare seven-digit strings are house numbers, quantities and hashes far more often.
  EXPECT_EQ(proposed(us, "653 Union Square, Suite 740 2160 Elm Avenue"), Spans{});
  EXPECT_EQ(proposed(us, "7388014 fix phone parser"), Spans{});
  EXPECT_EQ(proposed(us, "Jul 6, 2024 555,98"), Spans{});
}

TEST(LibPhoneNumberDetector, AcceptsValidNumbersGroupedAsThePlanGroupsThem) {
  const LibPhoneNumberDetector us("US");
  for (const char* text :
       {"(415) 555-0142", "415.555.0142", "415 555 0142", "415-5550142", "4155550143",
        "1 800 555 0199", "1-800-555-0199", "+1 415-555-0142", "(555) 555-0100"}) {
    EXPECT_EQ(proposed(us, text), Spans{text}) << text;
  }
  // The country code makes the reading unambiguous, whatever the spacing.
  EXPECT_EQ(proposed(us, "HR +1 212555 0167"), Spans{"+1 212555 0167"});
  EXPECT_EQ(proposed(us, "+447700900956"), Spans{"+447700900956"});
}

TEST(LibPhoneNumberDetector, RejectsDigitsGroupedAsNoPlanGroupsThem) {
  const LibPhoneNumberDetector us("US");
  for (const char* text :
       {"Ref 4417-2231-09", "Field guide 3509-1507-13", "Los Angeles, CA 90028 73140",
        "Order: 1234567890", "ts=1704398817", "10.03.2024 15:41:22", "Sofia 04:23 2024-09-21",
        "5500 0000 0000 0004", "VAT GB 412 8452 46", "Version 10.0.21749.3779"}) {
    EXPECT_EQ(proposed(us, text), Spans{}) << text;
  }
}

TEST(LibPhoneNumberDetector, RejectsWhatIsPlainlyNotAPhoneNumber) {
  const LibPhoneNumberDetector us("US");
  for (const char* text :
       {"peer 192.168.9.113:5060 timeout", "inet 10.78.109.123/24", "ISBN 0-306-40615-2",
        "ISBN: 978-1-4028-9462-6", "978-1-4028-9462-6", "v1.2.3.4567", "kit A12-555-0142"}) {
    EXPECT_EQ(proposed(us, text), Spans{}) << text;
  }
}

TEST(LibPhoneNumberDetector, SplitsNumbersWrittenSideBySide) {
  const LibPhoneNumberDetector us("US");
  EXPECT_EQ(proposed(us, "Operations +1 (312) 555-0178 512.555.0161 sofia@example"),
            (Spans{"+1 (312) 555-0178", "512.555.0161"}));
  EXPECT_EQ(proposed(us, "(415) 555-0142 (415) 555-0143"),
            (Spans{"(415) 555-0142", "(415) 555-0143"}));
  EXPECT_EQ(proposed(us, "415-555-0142 555-0143"), (Spans{"415-555-0142", "555-0143"}));
  EXPECT_EQ(proposed(us, "HR +1305 5550142 415-555-0187"),
            (Spans{"+1305 5550142", "415-555-0187"}));
  // A neighbour that reads as no number leaves the first one whole.
  EXPECT_EQ(proposed(us, "Billing +1 (215) 555-0150 412135550141 aisha@example"),
            Spans{"+1 (215) 555-0150"});
  EXPECT_EQ(proposed(us, "call 415 555 0142, 415 555 0143"),
            (Spans{"415 555 0142", "415 555 0143"}));
}

TEST(LibPhoneNumberDetector, ALongTableOfFiguresYieldsOnlyTheNumberAtItsEnd) {
  // What such a line costs is measured by the benchmark, not here.
  std::string line;
  for (int i = 0; i < 500; ++i) {
    line += "12 ";
  }
  line += "415-555-0142";
  EXPECT_EQ(proposed(LibPhoneNumberDetector("US"), line), Spans{"415-555-0142"});
}

TEST(LibPhoneNumberDetector, FindsNationalNumbersOfOtherCountries) {
  const LibPhoneNumberDetector us("US");
  EXPECT_EQ(proposed(us, "Room to let, Camden. Call 020 7946 0502"), Spans{"020 7946 0502"});
  EXPECT_EQ(proposed(us, "Tel 07700 900781"), Spans{"07700 900781"});
  EXPECT_EQ(proposed(us, "Reception: 0161 496 0882"), Spans{"0161 496 0882"});
  EXPECT_EQ(proposed(us, "Paris 01 99 00 12 34"), Spans{"01 99 00 12 34"});
  EXPECT_EQ(proposed(us, "Berlin 030 901820"), Spans{"030 901820"});
  EXPECT_EQ(proposed(us, "Office 555-0144 or mobile 020 7946 0095"),
            (Spans{"555-0144", "020 7946 0095"}));
}

TEST(LibPhoneNumberDetector, NeedsTheOtherCountrysExactFormatToLeaveHome) {
  const LibPhoneNumberDetector us("US");
  for (const char* text : {"Company no. 05182427", "Numbers: 01 24 28 29 32 40", "Date 08.06.2024",
                           "Ticket 0 2079 460958"}) {
    EXPECT_EQ(proposed(us, text), Spans{}) << text;
  }
  // A number the home region already reads is reported once.
  EXPECT_EQ(proposed(us, "Support: +44 20 7946 0958"), Spans{"+44 20 7946 0958"});
}

TEST(LibPhoneNumberDetector, HomeRegionComesFirst) {
  const LibPhoneNumberDetector gb("GB");
  EXPECT_EQ(proposed(gb, "Tel 020 7946 0958"), Spans{"020 7946 0958"});
  EXPECT_EQ(proposed(gb, "Tel 02079460958"), Spans{"02079460958"});
}

TEST(LibPhoneNumberDetector, ReadsNumbersOfAnyRegionAsThatRegionWritesThem) {
  const LibPhoneNumberDetector us("US");
  // With the trunk prefix, in the grouping of the region where the number is valid or unbroken.
  for (const char* text : {"02079460958", "0612345678", "0825551234", "0126292008", "082 555 1234",
                           "070-123 45 67", "0412 345 678"}) {
    EXPECT_EQ(proposed(us, std::string("Tel ") + text), Spans{text}) << text;
  }
  // The country code without its "+", in one word, and followed by the next column.
  EXPECT_EQ(proposed(us, "919812345678 9 months ago"), Spans{"919812345678"});
  EXPECT_EQ(proposed(us, "0825551234 will be converted to 27825551234 for South Africa"),
            (Spans{"0825551234", "27825551234"}));
  // No trunk prefix: only the region's own grouping.
  EXPECT_EQ(proposed(us, "Phone: 1800 123 000"), Spans{"1800 123 000"});
  EXPECT_EQ(proposed(us, "Phone: 1800123 000"), Spans{});
}

TEST(LibPhoneNumberDetector, ReadsNoOtherRegionsNumberIntoFigures) {
  const LibPhoneNumberDetector us("US");
  for (const char* text :
       {"Amount 1 234 567 890", "Lotto 12 34 56 78 90", "Total 1,98,300.00", "Qty 12 345 678",
        "Company no. 05182427", "due 06/04/2024 0.25", "Build 2024 12 15 10", "Batch 123456789",
        "INV-100001 GSTIN: 24DDF7682FHVCS6"}) {
    EXPECT_EQ(proposed(us, text), Spans{}) << text;
  }
}

TEST(LibPhoneNumberDetector, ReadsAnInternationalPrefixWrittenForThePlus) {
  const LibPhoneNumberDetector us("US");
  for (const char* text :
       {"011 64 3 331 6005", "00 64 3 331 6005", "0011 65 6123 4567", "0044 20 7946 0958"}) {
    EXPECT_EQ(proposed(us, std::string("Call ") + text), Spans{text}) << text;
  }
  // The prefix runs into the number, or the rest breaks the number's own groups.
  EXPECT_EQ(proposed(us, "Call 011643 331 6005"), Spans{});
  EXPECT_EQ(proposed(us, "Call 00 643 3316 005"), Spans{});
}

TEST(LibPhoneNumberDetector, StartsAtAPlusInsideTheWord) {
  const LibPhoneNumberDetector us("US");
  EXPECT_EQ(proposed(us, "(+91) 9812345678"), Spans{"+91) 9812345678"});
  // A box-drawing border read as a digit glued in front.
  EXPECT_EQ(proposed(us, "1+1(555)555-5555"), Spans{"+1(555)555-5555"});
}

TEST(LibPhoneNumberDetector, KeepsTheAreaCodeInParentheses) {
  const LibPhoneNumberDetector us("US");
  // Judged whole: never offered without the area code, which would be another number.
  EXPECT_EQ(proposed(us, "Phone (5) 555-0147"), Spans{});
  EXPECT_EQ(proposed(us, "Tel (11) 555-0147"), Spans{"(11) 555-0147"});
  EXPECT_EQ(proposed(LibPhoneNumberDetector("AR"), "Tel (11) 4123-4567"), Spans{"(11) 4123-4567"});
}

TEST(LibPhoneNumberDetector, OffersTheNumberBeforeItsExtension) {
  const LibPhoneNumberDetector us("US");
  EXPECT_EQ(proposed(us, "Desk 555-0144 x12"), Spans{"555-0144"});
  EXPECT_EQ(proposed(us, "(503) 555-0119 ext. 33"), Spans{"(503) 555-0119"});
  EXPECT_EQ(proposed(us, "231-301-9589 x7036 Home"), Spans{"231-301-9589"});
  EXPECT_EQ(proposed(LibPhoneNumberDetector("NZ"), "03 331 6005 ext 3456"), Spans{"03 331 6005"});
}

TEST(LibPhoneNumberDetector, LeavesTheNextColumnOut) {
  const LibPhoneNumberDetector us("US");
  EXPECT_EQ(proposed(us, "+917666980887 7 months ago"), Spans{"+917666980887"});
  EXPECT_EQ(proposed(us, "176162350 +917666980887 7 months ago"), Spans{"+917666980887"});
  EXPECT_EQ(proposed(us, "176162350 919673599092 9 months ago"), Spans{"919673599092"});
}

TEST(LibPhoneNumberDetector, ReadsDemoAreaCodesWrittenAsNumbers) {
  const LibPhoneNumberDetector us("US");
  for (const char* text : {"(001) 606-8992", "(094) 344-9731", "(199) 790-1368"}) {
    EXPECT_EQ(proposed(us, text), Spans{text}) << text;
  }
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
  EXPECT_TRUE(us.find("(415) 555-0142 (415) 555-0143 \xff").empty());
}

TEST(LibPhoneNumberDetector, RegionDecidesNationalNumbers) {
  EXPECT_EQ(proposed(LibPhoneNumberDetector("GB"), "Tel 020 7946 0958"), Spans{"020 7946 0958"});
  // Without a known region, a number is read as some region writes it.
  const LibPhoneNumberDetector unknown("XX");
  EXPECT_EQ(proposed(unknown, "(415) 555-0142"), Spans{"(415) 555-0142"});
  EXPECT_EQ(proposed(unknown, "415-5550142"), Spans{});
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
