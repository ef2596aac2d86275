#include "reading/ReadingScope.h"

#include <algorithm>
#include <cstdlib>

#include <unicode/unistr.h>

#include "recognition/NumberText.h"
#include "recognition/UnicodeText.h"

namespace vv {

namespace {

// A read line's box keeps the layout's top and bottom, to the pixel.
constexpr int kVerticalSlack = 2;

}  // namespace

bool mayBeNumbersAlone(std::string_view text) {
  const icu::UnicodeString u =
      icu::UnicodeString::fromUTF8(icu::StringPiece(text.data(), std::int32_t(text.size())));
  for (std::int32_t i = 0; i < u.length(); i = u.moveIndex32(i, 1)) {
    const UChar32 c = u.char32At(i);
    if (!isDigit(c) && !isWhiteSpaceOrPunctuation(c) && c != U'+') {
      return false;
    }
  }
  return true;
}

std::vector<bool> linesAbove(const std::vector<PixelBox>& lines, const std::vector<bool>& of,
                             int pageWidth, int pageHeight, const ScanRules& rules) {
  std::vector<bool> above(lines.size(), false);
  const double maxGap = rules.maxGapAbove * pageHeight + kVerticalSlack;
  const double maxShift = rules.maxAlignmentShift * pageWidth;
  for (std::size_t n = 0; n < lines.size() && n < of.size(); ++n) {
    if (!of[n]) {
      continue;
    }
    const PixelBox& number = lines[n];
    for (std::size_t a = 0; a < lines.size(); ++a) {
      const PixelBox& candidate = lines[a];
      const int gap = number.top - candidate.bottom;
      // Reading widens a line by the margin of its strips, half a text height each side.
      const int sideSlack = std::max(number.height(), candidate.height());
      if (a != n && gap >= -kVerticalSlack && gap < maxGap &&
          std::abs(candidate.left - number.left) < maxShift + sideSlack) {
        above[a] = true;
      }
    }
  }
  return above;
}

}  // namespace vv
