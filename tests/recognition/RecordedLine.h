#pragma once

#include <optional>
#include <string>

#include "recognition/TextRecognizer.h"
#include "recognition/UnicodeText.h"

namespace vv::test {

// A line as the recogniser reports it: the graphemes of `text` laid out left to right across
// `box` in equal cells, the white space without ink (no box), like the recorded output of a
// screen line set in a monospaced font.
inline RecognizedLine recordedLine(const std::string& text, NormalizedRect box,
                                   float confidence = 0.9f) {
  const LineText line(text);
  TextCandidate candidate{text, confidence, {}};
  const std::size_t count = line.graphemeCount();
  const double cell = count == 0 ? 0 : box.width / static_cast<double>(count);
  for (std::size_t i = 0; i < count; ++i) {
    const icu::UnicodeString grapheme = line.slice(GraphemeRange{i, 1});
    if (isWhiteSpace(grapheme.char32At(0))) {
      candidate.graphemeBoxes.push_back(std::nullopt);
    } else {
      candidate.graphemeBoxes.push_back(
          NormalizedRect{box.x + cell * static_cast<double>(i), box.y, cell, box.height});
    }
  }
  return RecognizedLine{box, std::move(candidate)};
}

// A line of the usual size, its bottom edge at `y`.
inline RecognizedLine lineAt(const std::string& text, double y, float confidence = 0.9f) {
  return recordedLine(text, NormalizedRect{0.1, y, 0.8, 0.03}, confidence);
}

}  // namespace vv::test
