#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "recognition/NumberText.h"
#include "recognition/TextRecognizer.h"
#include "recognition/UnicodeText.h"

namespace vv {
namespace {

struct ByteSpanCase {
  const char* name;
  std::string text;
  std::size_t byteOffset;
  std::size_t byteLength;
  std::optional<GraphemeRange> expected;
};

class ByteSpanToGraphemes : public ::testing::TestWithParam<ByteSpanCase> {};

TEST_P(ByteSpanToGraphemes, MapsOnlySpansOnGraphemeBoundaries) {
  const ByteSpanCase& c = GetParam();
  EXPECT_EQ(LineText(c.text).graphemesForBytes(c.byteOffset, c.byteLength), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Spans, ByteSpanToGraphemes,
    ::testing::Values(
        ByteSpanCase{"Ascii", "Call 5550142", 5, 7, GraphemeRange{5, 7}},
        // é = 2 bytes, — = 3, 📞 = 4: 15 bytes are 9 characters.
        ByteSpanCase{"MultiByteBefore", "Caf\u00e9 \u2014 \U0001F4DE 415-555-0142 ok", 15, 12,
                     GraphemeRange{9, 12}},
        ByteSpanCase{"CombiningMarkBefore", "Cafe\u0301: +1 415 555 0142", 8, 15,
                     GraphemeRange{6, 15}},
        ByteSpanCase{"FlagAndFamilyAreOneCharacterEach",
                     "\U0001F1EC\U0001F1E7 \U0001F468\u200D\U0001F469\u200D\U0001F467 5550142", 28,
                     7, GraphemeRange{4, 7}},
        ByteSpanCase{"EndsInsideKeycap", "Call 415-555-0142\u20E3", 5, 12, std::nullopt},
        ByteSpanCase{"StartsInsideCodePoint", "\u00e9 5550142", 1, 9, std::nullopt},
        ByteSpanCase{"SplitsCrLf", "a\r\nb", 2, 2, std::nullopt},
        ByteSpanCase{"RunsPastEnd", "5550142", 2, 6, std::nullopt},
        ByteSpanCase{"OffsetPastEnd", "5550142", 8, 0, std::nullopt},
        ByteSpanCase{"LengthOverflows", "5550142", 2, std::numeric_limits<std::size_t>::max(),
                     std::nullopt},
        ByteSpanCase{"EmptyAtEnd", "5550142", 7, 0, GraphemeRange{7, 0}},
        ByteSpanCase{"AfterIllFormedBytes", "\xff\xfe 5550142", 3, 7, GraphemeRange{3, 7}}),
    [](const auto& info) { return std::string(info.param.name); });

struct TrimCase {
  const char* name;
  std::u16string text;
  std::u16string expected;
};

class TrimWhiteSpaceAndPunctuation : public ::testing::TestWithParam<TrimCase> {};

TEST_P(TrimWhiteSpaceAndPunctuation, TrimsOnlyTheEnds) {
  const TrimCase& c = GetParam();
  EXPECT_EQ(trimmed(icu::UnicodeString(c.text.c_str()), isWhiteSpaceOrPunctuation),
            icu::UnicodeString(c.expected.c_str()));
}

INSTANTIATE_TEST_SUITE_P(
    Texts, TrimWhiteSpaceAndPunctuation,
    ::testing::Values(TrimCase{"InnerDashStays", u"Sales - San Francisco: ",
                               u"Sales - San Francisco"},
                      TrimCase{"OnlyMarks", u"-- \u2014 \u2022 --", u""},
                      // "+" and "$" are symbols, not punctuation.
                      TrimCase{"SymbolsStay", u" +$ ", u"+$"},
                      TrimCase{"UnicodeSpacesAndBreaks", u"\u00a0\u0085x\u2028\u3000", u"x"},
                      TrimCase{"ZeroWidthSpaceIsNotWhiteSpace", u"\u200bx", u"\u200bx"},
                      TrimCase{"AstralPunctuation", u"\U00010100x\U00010100", u"x"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(FirstGraphemes, CountsUserPerceivedCharacters) {
  const icu::UnicodeString decomposed(u"e\u0301e\u0301e\u0301");
  EXPECT_EQ(firstGraphemes(decomposed, 2), icu::UnicodeString(u"e\u0301e\u0301"));
  EXPECT_EQ(firstGraphemes(decomposed, 10), decomposed);
  EXPECT_EQ(firstGraphemes(decomposed, 0), icu::UnicodeString());
}

TEST(LineText, OutputIsWellFormedForIllFormedInput) {
  const LineText line("a\xc3 b");
  EXPECT_EQ(toUtf8(line.slice(GraphemeRange{0, 2})), "a\uFFFD");
}

class BoxForGraphemes : public ::testing::Test {
 protected:
  static constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
  TextCandidate candidate{
      "ab cd",
      0.9f,
      {NormalizedRect{0.1, 0.5, 0.1, 0.1}, NormalizedRect{0.2, 0.45, 0.1, 0.1}, std::nullopt,
       NormalizedRect{0.4, 0.5, 0.1, 0.2}, NormalizedRect{0.6, 0.5, -0.1, 0.1}}};
};

TEST_F(BoxForGraphemes, UnitesTheVisibleCharacters) {
  const auto box = candidate.boxForGraphemes(1, 3);
  ASSERT_TRUE(box);
  EXPECT_DOUBLE_EQ(box->x, 0.2);
  EXPECT_DOUBLE_EQ(box->y, 0.45);
  EXPECT_DOUBLE_EQ(box->width, 0.3);
  EXPECT_DOUBLE_EQ(box->height, 0.25);
}

TEST_F(BoxForGraphemes, StandardisesNegativeSizes) {
  const auto box = candidate.boxForGraphemes(4, 1);
  ASSERT_TRUE(box);
  EXPECT_DOUBLE_EQ(box->x, 0.5);
  EXPECT_DOUBLE_EQ(box->width, 0.1);
}

TEST_F(BoxForGraphemes, NoneWithoutVisibleCharactersOrOutsideTheText) {
  EXPECT_FALSE(candidate.boxForGraphemes(2, 1));
  EXPECT_FALSE(candidate.boxForGraphemes(1, 0));
  EXPECT_FALSE(candidate.boxForGraphemes(4, 2));
  EXPECT_FALSE(candidate.boxForGraphemes(6, 0));
  EXPECT_FALSE(candidate.boxForGraphemes(1, std::numeric_limits<std::size_t>::max()));
}

TEST_F(BoxForGraphemes, NotANumberSurvivesTheUnion) {
  for (const std::size_t nanAt : {0u, 1u}) {
    TextCandidate withNaN = candidate;
    withNaN.graphemeBoxes[nanAt]->x = kNaN;
    const auto box = withNaN.boxForGraphemes(0, 2);
    ASSERT_TRUE(box);
    EXPECT_FALSE(box->width > 0) << "NaN at " << nanAt;
  }
}

TEST(WellFormedUtf8, RejectsEveryIllFormedSequence) {
  EXPECT_TRUE(isWellFormedUtf8(""));
  EXPECT_TRUE(isWellFormedUtf8("Tel. \xE2\x80\xAA+44 20 7946 0958 \xF0\x9F\x93\x9E"));
  EXPECT_FALSE(isWellFormedUtf8("\xC3"));  // cut short
  EXPECT_FALSE(
      isWellFormedUtf8("a\x80"
                       "b"));                          // a lone continuation byte
  EXPECT_FALSE(isWellFormedUtf8("\xC0\xAF"));          // an overlong "/"
  EXPECT_FALSE(isWellFormedUtf8("\xED\xA0\x80"));      // a surrogate
  EXPECT_FALSE(isWellFormedUtf8("\xF4\x90\x80\x80"));  // beyond U+10FFFF
}

// Phone numbers are written with ASCII digits only: no other script's digits count.
TEST(NumberText, CountsAsciiDigitsOnly) {
  EXPECT_EQ(digitCount(std::string_view("+1 (415) 555-0142")), 11u);
  EXPECT_EQ(digitCount(std::string_view("\xD9\xA5\xD9\xA5 12")), 2u);
  EXPECT_EQ(digitCount(icu::UnicodeString::fromUTF8("\xD9\xA5 12 \xF0\x9D\x9F\x8E")), 2u);
  EXPECT_TRUE(isDigit(U'7'));
  EXPECT_FALSE(isDigit(U'\u0665'));
}

}  // namespace
}  // namespace vv
