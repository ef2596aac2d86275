#pragma once

#include <unicode/unistr.h>

#include <cstddef>
#include <string_view>

namespace vv {

// The digits phone numbers are written with: ASCII 0 to 9. The shape a number must have admits
// no other digit, so every rule that looks for or counts digits goes by these alone.
constexpr bool isDigit(char32_t c) { return c >= U'0' && c <= U'9'; }

// The white space that parts the words of recognised text.
constexpr bool isAsciiSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

// The marks a number is written with besides its digits, as in "+1 (215) 555-0150".
constexpr bool isNumberMark(char c) {
  return c == '+' || c == '(' || c == ')' || c == '-' || c == '.';
}

std::size_t digitCount(std::string_view text);
std::size_t digitCount(const icu::UnicodeString& text);

}  // namespace vv
