#pragma once

#include <unicode/uchar.h>
#include <unicode/unistr.h>

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vv {

// A range of user-perceived characters (extended grapheme clusters).
struct GraphemeRange {
  std::size_t first = 0;
  std::size_t count = 0;

  friend bool operator==(const GraphemeRange&, const GraphemeRange&) = default;
};

// White space and line breaks: the Unicode White_Space property (this includes U+00A0 and
// U+0085, which the Java-style u_isWhitespace leaves out).
bool isWhiteSpace(UChar32 c);
// Unicode punctuation, general category P*. "+", "$" and "|" are symbols, not punctuation.
bool isPunctuation(UChar32 c);
bool isWhiteSpaceOrPunctuation(UChar32 c);

// `text` without the code points at either end for which `drop` holds.
icu::UnicodeString trimmed(const icu::UnicodeString& text, bool (*drop)(UChar32));

// The first `limit` grapheme clusters of `text`, all of it when it has fewer.
icu::UnicodeString firstGraphemes(const icu::UnicodeString& text, std::size_t limit);

// Always well-formed UTF-8 (unpaired surrogates become U+FFFD).
std::string toUtf8(const icu::UnicodeString& text);

// Whether `text` is UTF-8 without a single ill-formed sequence. Text too long for ICU to index
// (2^31 bytes or more) is not.
bool isWellFormedUtf8(std::string_view text);

// One line of text, split into grapheme clusters once, so that every byte span proposed for it
// maps to graphemes in logarithmic time. Ill-formed UTF-8 reads as U+FFFD, one per maximal
// ill-formed subsequence; spans are still measured in the bytes of the original text.
class LineText {
 public:
  explicit LineText(std::string_view utf8);

  const icu::UnicodeString& utf16() const { return utf16_; }
  std::size_t graphemeCount() const { return utf16Bounds_.size() - 1; }

  // The graphemes that exactly cover a byte span; none when the span leaves the text or does not
  // start and end on grapheme boundaries.
  std::optional<GraphemeRange> graphemesForBytes(std::size_t byteOffset,
                                                 std::size_t byteLength) const;

  // The text of `range`, which must lie within the line.
  icu::UnicodeString slice(GraphemeRange range) const;
  // The text of the graphemes before `range.first`, at most `limit` of them.
  icu::UnicodeString before(GraphemeRange range, std::size_t limit) const;
  // The line with the graphemes of `range` removed.
  icu::UnicodeString without(GraphemeRange range) const;

 private:
  icu::UnicodeString utf16_;
  // Grapheme boundaries, both ends included: in bytes of the original text and in UTF-16 units.
  std::vector<std::size_t> byteBounds_;
  std::vector<std::int32_t> utf16Bounds_;
};

}  // namespace vv
