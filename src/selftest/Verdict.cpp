#include "selftest/Verdict.h"

#include <unicode/uchar.h>
#include <unicode/unistr.h>

#include <algorithm>
#include <string>
#include <string_view>
#include <vector>

namespace vv {

namespace {

// The number's characters that have a Unicode numeric value, in order.
std::string digitsOf(const std::string& number) {
  const icu::UnicodeString text = icu::UnicodeString::fromUTF8(number);
  icu::UnicodeString digits;
  for (std::int32_t i = 0; i < text.length(); i = text.moveIndex32(i, 1)) {
    const UChar32 c = text.char32At(i);
    if (u_getNumericValue(c) != U_NO_NUMERIC_VALUE) {
      digits.append(c);
    }
  }
  std::string out;
  digits.toUTF8String(out);
  return out;
}

bool contains(const std::vector<std::string>& list, std::string_view value) {
  return std::find(list.begin(), list.end(), value) != list.end();
}

bool hasLabelledMatch(const PhoneMatches& matches, std::string_view kind,
                      std::string_view contextPart) {
  return std::any_of(matches.begin(), matches.end(), [&](const PhoneMatch& match) {
    return match.kind() == kind && match.context().find(contextPart) != std::string::npos;
  });
}

// Written as "within bounds" so that a NaN edge, which compares false, fails.
bool insideUnitSquare(const NormalizedRect& box) {
  return box.minX() >= 0.0 && box.maxX() <= 1.0 && box.minY() >= 0.0 && box.maxY() <= 1.0;
}

}  // namespace

bool selfTestPasses(const PhoneMatches& matches) {
  std::vector<std::string> digitStrings;
  digitStrings.reserve(matches.size());
  for (const PhoneMatch& match : matches) {
    digitStrings.push_back(digitsOf(match.number()));
  }
  return contains(digitStrings, "14155550142") && contains(digitStrings, "442079460958") &&
         !contains(digitStrings, "4155550143") &&
         hasLabelledMatch(matches, "Sales", "San Francisco") &&
         hasLabelledMatch(matches, "Support", "London") &&
         std::all_of(matches.begin(), matches.end(),
                     [](const PhoneMatch& match) { return insideUnitSquare(match.box()); });
}

}  // namespace vv
