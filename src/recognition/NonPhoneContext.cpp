#include "recognition/NonPhoneContext.h"

#include <algorithm>
#include <string>

#include "recognition/NumberText.h"
#include "recognition/Pattern.h"

namespace vv {

namespace {

// Labels are read as plain ASCII: a word starts after anything but an ASCII letter, digit or
// underscore, and white space is ASCII white space.
constexpr const char16_t* kWordStart = u"(?<![A-Za-z0-9_])";
constexpr const char16_t* kSpaces = u"[ \\t\\n\\x0B\\f\\r]*";

// How many bytes before a span a label is looked for in.
constexpr std::size_t kLabelWindow = 16;

bool isAsciiAlnum(char c) { return isDigit(c) || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

bool matches(std::string_view text, const Pattern& pattern) {
  return pattern.foundIn(
      icu::UnicodeString::fromUTF8(icu::StringPiece(text.data(), std::int32_t(text.size()))));
}

// The span widened to the white space on either side: the word it was cut from.
std::string_view enclosingWord(std::string_view line, std::size_t offset, std::size_t length) {
  std::size_t begin = offset;
  while (begin > 0 && !isAsciiSpace(line[begin - 1])) {
    --begin;
  }
  std::size_t end = offset + length;
  while (end < line.size() && !isAsciiSpace(line[end])) {
    ++end;
  }
  return line.substr(begin, end - begin);
}

std::string_view labelWindow(std::string_view line, std::size_t offset) {
  const std::size_t windowStart = offset > kLabelWindow ? offset - kLabelWindow : 0;
  return line.substr(windowStart, offset - windowStart);
}

bool gluedToAWord(std::string_view line, std::size_t offset, std::size_t length) {
  const std::size_t end = offset + length;
  return (offset > 0 && isAsciiAlnum(line[offset - 1])) ||
         (end < line.size() && isAsciiAlnum(line[end]));
}

// Four dot-separated groups of one to three digits, with or without a port.
bool insideAnIpAddress(std::string_view word) {
  static const Pattern dottedQuad(
      u"(^|[^0-9.])[0-9]{1,3}\\.[0-9]{1,3}\\.[0-9]{1,3}\\.[0-9]{1,3}($|[^0-9.])");
  return matches(word, dottedQuad);
}

// ISBN-13 prefixes make thirteen-digit book numbers look like long international numbers.
bool anIsbn(std::string_view line, std::size_t offset, std::string_view word) {
  static const Pattern isbnLabel(icu::UnicodeString(u"(?i)") + kWordStart + u"isbn(-?1[03])?:?" +
                                 kSpaces + u"\\z");
  static const Pattern isbn13(u"\\A97[89]-[0-9-]+\\z");
  return matches(labelWindow(line, offset), isbnLabel) ||
         (digitCount(word) == 13 && matches(word, isbn13));
}

// Ten digits from 1 followed by anything are seconds since 1970 (2001 to 2286); only a label
// says so, since a bare ten-digit string may well be a national number.
bool aLabelledTimestamp(std::string_view line, std::size_t offset, std::size_t length) {
  static const Pattern timestampLabel(icu::UnicodeString(u"(?i)") + kWordStart +
                                      u"(ts|time|timestamp|epoch|unix)" + kSpaces + u"[=:]?" +
                                      kSpaces + u"\\z");
  const std::string_view span = line.substr(offset, length);
  const bool tenDigitsFromOne =
      span.size() == 10 && span.front() == '1' &&
      std::all_of(span.begin(), span.end(), [](char c) { return isDigit(c); });
  return tenDigitsFromOne && matches(labelWindow(line, offset), timestampLabel);
}

}  // namespace

bool plainlyNotAPhoneNumber(std::string_view line, std::size_t offset, std::size_t length) {
  const std::string_view word = enclosingWord(line, offset, length);
  return gluedToAWord(line, offset, length) || insideAnIpAddress(word) ||
         anIsbn(line, offset, word) || aLabelledTimestamp(line, offset, length);
}

}  // namespace vv
