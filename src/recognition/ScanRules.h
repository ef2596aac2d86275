#pragma once

#include <cstddef>

namespace vv {

// The rules a phone scan judges digits and places by. The filter and the labeler apply them to
// recognised text; the page reader needs the same ones to know which lines it must read, so
// both take them from here and a change reaches every side at once.
struct ScanRules {
  // How many digits a phone number holds; no numbering plan has a longer number (E.164).
  std::size_t minDigits = 7;
  std::size_t maxDigits = 15;
  // A number alone on its line takes its context from the nearest line above: one whose bottom
  // edge lies less than `maxGapAbove` image heights above the number's line and whose left edge
  // is less than `maxAlignmentShift` image widths away from the line's own.
  double maxGapAbove = 0.09;
  double maxAlignmentShift = 0.18;
};

inline constexpr ScanRules kScanRules{};

}  // namespace vv
