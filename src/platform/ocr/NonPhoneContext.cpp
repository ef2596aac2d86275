#include "platform/ocr/NonPhoneContext.h"

#include <algorithm>
#include <regex>
#include <string>

namespace vv {

namespace {

bool isAsciiDigit(char c) { return c >= '0' && c <= '9'; }

bool isAsciiAlnum(char c) {
  return isAsciiDigit(c) || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

bool isSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

bool matches(const std::string& text, const std::regex& pattern) {
  return std::regex_search(text, pattern);
}

// The span widened to the white space on either side: the word it was cut from.
std::string enclosingWord(std::string_view line, std::size_t offset, std::size_t length) {
  std::size_t begin = offset;
  while (begin > 0 && !isSpace(line[begin - 1])) {
    --begin;
  }
  std::size_t end = offset + length;
  while (end < line.size() && !isSpace(line[end])) {
    ++end;
  }
  return std::string(line.substr(begin, end - begin));
}

bool gluedToAWord(std::string_view line, std::size_t offset, std::size_t length) {
  const std::size_t end = offset + length;
  return (offset > 0 && isAsciiAlnum(line[offset - 1])) ||
         (end < line.size() && isAsciiAlnum(line[end]));
}

// Four dot-separated groups of one to three digits, with or without a port.
bool insideAnIpAddress(const std::string& word) {
  static const std::regex dottedQuad(R"((^|[^0-9.])\d{1,3}\.\d{1,3}\.\d{1,3}\.\d{1,3}($|[^0-9.]))");
  return matches(word, dottedQuad);
}

// ISBN-13 prefixes make thirteen-digit book numbers look like long international numbers.
bool anIsbn(std::string_view line, std::size_t offset, const std::string& word) {
  static const std::regex isbnLabel(R"(\bisbn(-?1[03])?:?\s*$)", std::regex::icase);
  static const std::regex isbn13(R"(^97[89]-[0-9-]+$)");
  const std::size_t windowStart = offset > 16 ? offset - 16 : 0;
  const std::string before(line.substr(windowStart, offset - windowStart));
  const auto digits = std::count_if(word.begin(), word.end(), isAsciiDigit);
  return matches(before, isbnLabel) || (digits == 13 && matches(word, isbn13));
}

// Ten digits from 1 followed by anything are seconds since 1970 (2001 to 2286); only a label
// says so, since a bare ten-digit string may well be a national number.
bool aLabelledTimestamp(std::string_view line, std::size_t offset, std::size_t length) {
  static const std::regex timestampLabel(R"(\b(ts|time|timestamp|epoch|unix)\s*[=:]?\s*$)",
                                         std::regex::icase);
  const std::string_view span = line.substr(offset, length);
  const bool tenDigitsFromOne = span.size() == 10 && span.front() == '1' &&
                                std::all_of(span.begin(), span.end(), isAsciiDigit);
  const std::size_t windowStart = offset > 16 ? offset - 16 : 0;
  return tenDigitsFromOne &&
         matches(std::string(line.substr(windowStart, offset - windowStart)), timestampLabel);
}

}  // namespace

bool plainlyNotAPhoneNumber(std::string_view line, std::size_t offset, std::size_t length) {
  const std::string word = enclosingWord(line, offset, length);
  return gluedToAWord(line, offset, length) || insideAnIpAddress(word) ||
         anIsbn(line, offset, word) || aLabelledTimestamp(line, offset, length);
}

}  // namespace vv
