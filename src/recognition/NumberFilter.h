#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "recognition/Pattern.h"
#include "recognition/PhoneDetector.h"
#include "recognition/UnicodeText.h"

namespace vv {

// A proposed span that looks like a dialable number.
struct AcceptedSpan {
  std::string number;  // the span's text without white space at either end
  GraphemeRange span;  // the span as proposed, untrimmed, in graphemes of the line

  friend bool operator==(const AcceptedSpan&, const AcceptedSpan&) = default;
};

// Keeps the proposed spans of a line that have a phone number's shape and digit count (see
// ScanRules) and that
// do not directly follow a reference label ("Invoice:", "Order #"). Rejections are silent.
// Immutable after construction, so one instance may serve several threads.
class NumberFilter {
 public:
  // How many characters before a number the label search looks at.
  static constexpr std::size_t kReferenceWindow = 40;

  NumberFilter();

  std::optional<AcceptedSpan> accept(const LineText& line, const DetectedSpan& span) const;

  // The accepted spans of `line`, in the order proposed.
  std::vector<AcceptedSpan> acceptedSpans(std::string_view line,
                                          const std::vector<DetectedSpan>& spans) const;

 private:
  Pattern shape_;
  Pattern referenceLabel_;
};

}  // namespace vv
