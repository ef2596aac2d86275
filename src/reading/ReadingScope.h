#pragma once

#include <string_view>
#include <vector>

#include "reading/PixelBox.h"
#include "recognition/ScanRules.h"

namespace vv {

// How much of a page a recogniser reads.
enum class ReadingScope {
  // Every line.
  Everything,
  // What a phone scan uses: the lines that may show a phone number, and the lines a number
  // that stands alone on its line takes its context from (the nearest line above it). Lines
  // that show no run of digit-shaped glyphs (see mayShowDigitRun) are not read at all, which
  // on a page of running text is most of them.
  PhoneNumbers,
};

// Whether a line read as `text` (UTF-8) may hold nothing but phone numbers: digits (see
// isDigit), the marks between them, plus signs and white space. A number alone on its line takes
// its context from the line above.
bool mayBeNumbersAlone(std::string_view text);

// Which of `lines` (boxes of whole reading lines on a page of the given size) could be the
// nearest line above one of the lines marked in `of` by the rules' reach (see
// nearestLineAbove), judged with a little slack, since a line's box grows by a few pixels once
// its glyphs are read.
std::vector<bool> linesAbove(const std::vector<PixelBox>& lines, const std::vector<bool>& of,
                             int pageWidth, int pageHeight, const ScanRules& rules);

}  // namespace vv
