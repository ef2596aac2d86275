#pragma once

#include <cstddef>
#include <string_view>
#include <vector>

#include "recognition/PhoneDetector.h"

namespace vv {

// A stretch of a line made of consecutive words that hold only digits and the marks numbers are
// written with ("+", "(", ")", "-", "."), such as "+1 (215) 555-0150 412 135 5501". Two numbers
// side by side in a table row or a signature form one run, which the matcher then reads as one
// over-long candidate and keeps only a fragment of.
struct NumberRun {
  std::vector<DetectedSpan> words;  // UTF-8 bytes, without sentence punctuation at either end
  std::size_t digits = 0;
};

// The runs of at least `minWords` such words, in order. A comma, semicolon or colon after a word
// ends its run.
std::vector<NumberRun> numberRuns(std::string_view line, std::size_t minWords = 2);

}  // namespace vv
