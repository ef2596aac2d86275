#include "recognition/NumberText.h"

#include <algorithm>

namespace vv {

std::size_t digitCount(std::string_view text) {
  return static_cast<std::size_t>(
      std::count_if(text.begin(), text.end(), [](char c) { return isDigit(c); }));
}

std::size_t digitCount(const icu::UnicodeString& text) {
  // Every digit is one UTF-16 unit, and no unit of a surrogate pair is a digit.
  std::size_t digits = 0;
  for (std::int32_t i = 0; i < text.length(); ++i) {
    if (isDigit(text.charAt(i))) {
      ++digits;
    }
  }
  return digits;
}

}  // namespace vv
