#pragma once

#include <algorithm>
#include <string>
#include <string_view>
#include <vector>

#include "recognition/NumberText.h"
#include "recognition/PhoneDetector.h"

namespace vv::test {

// Proposes every occurrence of each of the given texts, in ascending order of position, exactly
// as written (leading "-" or white space included), so that the filters see what a real
// detector would never hand over.
class LiteralPhoneDetector final : public PhoneDetector {
 public:
  explicit LiteralPhoneDetector(std::vector<std::string> literals)
      : literals_(std::move(literals)) {}

  std::vector<DetectedSpan> find(std::string_view line) const override {
    ++calls;
    std::vector<DetectedSpan> spans;
    for (const std::string& literal : literals_) {
      for (auto at = line.find(literal); at != std::string_view::npos;
           at = line.find(literal, at + 1)) {
        spans.push_back(DetectedSpan{at, literal.size()});
      }
    }
    std::sort(spans.begin(), spans.end(), [](const DetectedSpan& a, const DetectedSpan& b) {
      return a.byteOffset < b.byteOffset;
    });
    return spans;
  }

  mutable int calls = 0;

 private:
  std::vector<std::string> literals_;
};

// Proposes every maximal run of ASCII digits.
class DigitRunDetector final : public PhoneDetector {
 public:
  std::vector<DetectedSpan> find(std::string_view line) const override {
    ++calls;
    std::vector<DetectedSpan> spans;
    std::size_t i = 0;
    while (i < line.size()) {
      if (!isDigit(line[i])) {
        ++i;
        continue;
      }
      const std::size_t start = i;
      while (i < line.size() && isDigit(line[i])) {
        ++i;
      }
      spans.push_back(DetectedSpan{start, i - start});
    }
    return spans;
  }

  mutable int calls = 0;
};

}  // namespace vv::test
