#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

#include "FakePhoneDetector.h"
#include "RecordedLine.h"
#include "recognition/PhoneScan.h"

namespace vv {
namespace {

using test::DigitRunDetector;
using test::lineAt;
using test::LiteralPhoneDetector;
using test::recordedLine;

std::vector<std::string> numbersOf(const PhoneMatches& matches) {
  std::vector<std::string> numbers;
  for (const PhoneMatch& match : matches) {
    numbers.push_back(match.number());
  }
  return numbers;
}

class FakeRecognizer final : public TextRecognizer {
 public:
  explicit FakeRecognizer(RecognitionResult result, bool fails = false)
      : result_(std::move(result)), fails_(fails) {}

  RecognitionResult recognize(const ImageView&) override {
    if (fails_) {
      throw RecognitionError("engine refused the image");
    }
    return result_;
  }

 private:
  RecognitionResult result_;
  bool fails_;
};

// The lines of the self-test image as the recogniser reported them: one observation per line,
// top to bottom, boxes in normalised coordinates.
RecognitionResult selfTestRecording() {
  return {
      recordedLine("Contact our team", {0.0625, 0.8125, 0.375, 0.0625}, 0.96f),
      recordedLine("Sales - San Francisco: +1 (415) 555-0142", {0.0625, 0.6250, 0.8125, 0.0625},
                   0.93f),
      recordedLine("Support - London: +44 20 7946 0958", {0.0625, 0.4375, 0.6875, 0.0625}, 0.91f),
      recordedLine("Invoice: 4155550143", {0.0625, 0.2500, 0.4375, 0.0625}, 0.95f),
      recordedLine("Order: 1234567890", {0.0625, 0.0625, 0.375, 0.0625}, 0.94f),
  };
}

const LiteralPhoneDetector kSelfTestDetector({"+1 (415) 555-0142", "+44 20 7946 0958", "4155550143",
                                              "1234567890"});

TEST(PhoneScan, SelfTestImage) {
  const RecognitionResult recording = selfTestRecording();
  const auto matches = phoneMatches(recording, kSelfTestDetector);
  ASSERT_EQ(matches.size(), 2u);
  EXPECT_EQ(matches[0].number(), "+1 (415) 555-0142");
  EXPECT_EQ(matches[0].context(), "Sales - San Francisco");
  EXPECT_EQ(matches[0].kind(), "Sales");
  EXPECT_EQ(matches[1].number(), "+44 20 7946 0958");
  EXPECT_EQ(matches[1].context(), "Support - London");
  EXPECT_EQ(matches[1].kind(), "Support");

  // The box is the union of the characters of the span, unchanged: from the "+" (character 23
  // of 40) to the last digit.
  const NormalizedRect& line = recording[1].box;
  const NormalizedRect& box = matches[0].box();
  EXPECT_DOUBLE_EQ(box.x, line.x + line.width * 23 / 40);
  EXPECT_DOUBLE_EQ(box.x + box.width, line.x + line.width);
  EXPECT_DOUBLE_EQ(box.y, line.y);
  EXPECT_DOUBLE_EQ(box.height, line.height);
  for (const PhoneMatch& match : matches) {
    EXPECT_GE(match.box().minX(), 0);
    EXPECT_LE(match.box().maxX(), 1);
    EXPECT_GE(match.box().minY(), 0);
    EXPECT_LE(match.box().maxY(), 1);
  }
}

TEST(PhoneScan, ImageOverloadRecognisesThenScans) {
  FakeRecognizer recognizer(selfTestRecording());
  EXPECT_EQ(numbersOf(phoneMatches(ImageView{}, recognizer, kSelfTestDetector)),
            (std::vector<std::string>{"+1 (415) 555-0142", "+44 20 7946 0958"}));
}

TEST(PhoneScan, RecogniserFailurePropagatesWithoutAskingTheDetector) {
  FakeRecognizer recognizer({}, true);
  LiteralPhoneDetector detector({"5550142"});
  EXPECT_THROW(phoneMatches(ImageView{}, recognizer, detector), RecognitionError);
  EXPECT_EQ(detector.calls, 0);
}

TEST(PhoneScan, NoTextGivesNoMatches) {
  FakeRecognizer recognizer({});
  EXPECT_TRUE(phoneMatches(ImageView{}, recognizer, kSelfTestDetector).empty());
}

struct ConfidenceCase {
  const char* name;
  float confidence;
  bool scanned;
};

class ConfidenceGate : public ::testing::TestWithParam<ConfidenceCase> {};

TEST_P(ConfidenceGate, ComparesAsFloat) {
  LiteralPhoneDetector detector({"555-0142"});
  const auto matches =
      phoneMatches({lineAt("Call 555-0142", 0.5, GetParam().confidence)}, detector);
  EXPECT_EQ(matches.size(), GetParam().scanned ? 1u : 0u);
  EXPECT_EQ(detector.calls, GetParam().scanned ? 1 : 0);
}

INSTANTIATE_TEST_SUITE_P(
    Confidences, ConfidenceGate,
    ::testing::Values(ConfidenceCase{"AtThreshold", 0.35f, true},
                      ConfidenceCase{"JustBelow", std::nextafter(0.35f, 0.0f), false},
                      ConfidenceCase{"FourDigitsBelow", 0.3499f, false},
                      ConfidenceCase{"Full", 1.0f, true},
                      ConfidenceCase{"NotANumber", std::numeric_limits<float>::quiet_NaN(), false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(PhoneScan, LineWithoutCandidateIsNotScanned) {
  LiteralPhoneDetector detector({"555-0142"});
  EXPECT_TRUE(
      phoneMatches({RecognizedLine{{0.1, 0.5, 0.5, 0.03}, std::nullopt}}, detector).empty());
  EXPECT_EQ(detector.calls, 0);
}

TEST(PhoneScan, KeepsRecogniserOrderAndDuplicates) {
  // Bottom line first, as a recogniser reading columns might return it.
  const auto matches = phoneMatches(
      {lineAt("Fax 555-0199", 0.1), lineAt("Call 555-0142", 0.8), lineAt("Again 555-0142", 0.5)},
      LiteralPhoneDetector({"555-0142", "555-0199"}));
  EXPECT_EQ(numbersOf(matches), (std::vector<std::string>{"555-0199", "555-0142", "555-0142"}));
  ASSERT_EQ(matches.size(), 3u);
  EXPECT_EQ(matches[1].context(), "Call");
  EXPECT_EQ(matches[2].context(), "Again");
}

std::string numberRun(int first, int count) {
  std::string line;
  for (int i = first; i < first + count; ++i) {
    line += std::to_string(5550000 + i) + " ";
  }
  return line;
}

TEST(PhoneScan, StopsAtTheHundredthRecordInTheMiddleOfALine) {
  DigitRunDetector detector;
  const auto matches = phoneMatches({lineAt(numberRun(0, 60), 0.8), lineAt(numberRun(60, 50), 0.5),
                                     lineAt(numberRun(110, 5), 0.2)},
                                    detector);
  ASSERT_EQ(matches.size(), kMaxPhoneMatches);
  EXPECT_EQ(matches.front().number(), "5550000");
  EXPECT_EQ(matches.back().number(), "5550099");
  EXPECT_EQ(detector.calls, 2);
}

TEST(PhoneScan, RejectedSpansDoNotCountTowardsTheCap) {
  const auto matches =
      phoneMatches({lineAt("Order: 5559999 " + numberRun(0, 100), 0.5)}, DigitRunDetector());
  ASSERT_EQ(matches.size(), kMaxPhoneMatches);
  EXPECT_EQ(matches.front().number(), "5550000");
}

struct UnusableBoxCase {
  const char* name;
  std::optional<NormalizedRect> box;
};

class UnusableBox : public ::testing::TestWithParam<UnusableBoxCase> {};

TEST_P(UnusableBox, DropsOnlyThatNumber) {
  RecognizedLine line = lineAt("A 5550142 B 5550143 C 5550144", 0.5);
  // Every character of the middle number gets the box under test.
  for (std::size_t i = 12; i < 19; ++i) {
    line.topCandidate->graphemeBoxes[i] = GetParam().box;
  }
  EXPECT_EQ(numbersOf(phoneMatches({line}, DigitRunDetector())),
            (std::vector<std::string>{"5550142", "5550144"}));
}

INSTANTIATE_TEST_SUITE_P(
    Boxes, UnusableBox,
    ::testing::Values(
        UnusableBoxCase{"None", std::nullopt},
        UnusableBoxCase{"ZeroWidth", NormalizedRect{0.4, 0.5, 0, 0.03}},
        UnusableBoxCase{"NotANumberWidth",
                        NormalizedRect{0.4, 0.5, std::numeric_limits<double>::quiet_NaN(), 0.03}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(PhoneScan, FewerCharacterBoxesThanCharactersDropsTheUncoveredNumber) {
  RecognizedLine line = lineAt("5550142 5550143", 0.5);
  line.topCandidate->graphemeBoxes.resize(10);
  EXPECT_EQ(numbersOf(phoneMatches({line}, DigitRunDetector())),
            (std::vector<std::string>{"5550142"}));
}

TEST(PhoneScan, BoxFollowsCharactersAfterNonAsciiText) {
  // Twenty-four characters, one cell of 0.01 each: the number starts at character 9.
  const RecognizedLine line =
      recordedLine("Caf\u00e9 \u2014 \U0001F4DE 415-555-0142 ok", {0.1, 0.5, 0.24, 0.03});
  const auto matches = phoneMatches({line}, LiteralPhoneDetector({"415-555-0142"}));
  ASSERT_EQ(matches.size(), 1u);
  EXPECT_DOUBLE_EQ(matches[0].box().x, 0.19);
  EXPECT_DOUBLE_EQ(matches[0].box().width, 0.12);
  EXPECT_EQ(matches[0].context(), "Caf\u00e9 \u2014 \U0001F4DE  ok");
}

}  // namespace
}  // namespace vv
