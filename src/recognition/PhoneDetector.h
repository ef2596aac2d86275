#pragma once

#include <cstddef>
#include <string_view>
#include <vector>

namespace vv {

// A proposed phone-number span, in UTF-8 bytes of the searched text.
struct DetectedSpan {
  std::size_t byteOffset = 0;
  std::size_t byteLength = 0;
};

// Proposes phone-number spans in one line of text, in ascending order of position. It never
// fails: text it cannot read (invalid UTF-8, for one) gives no spans.
class PhoneDetector {
 public:
  virtual ~PhoneDetector() = default;
  virtual std::vector<DetectedSpan> find(std::string_view utf8Line) const = 0;
};

}  // namespace vv
