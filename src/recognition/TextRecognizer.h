#pragma once

#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "recognition/ImageView.h"
#include "recognition/NormalizedRect.h"

namespace vv {

// The recogniser's best reading of one line.
struct TextCandidate {
  std::string text;         // UTF-8, words joined by single spaces, no trailing line break
  float confidence = 0.0f;  // 0 to 1
  // One entry per grapheme cluster of `text`: the box of its ink, or none for a character
  // without ink (the spaces between words).
  std::vector<std::optional<NormalizedRect>> graphemeBoxes;

  // Union of the boxes of the graphemes in [first, first + count); none when the range holds
  // no visible character or leaves the text.
  std::optional<NormalizedRect> boxForGraphemes(std::size_t first, std::size_t count) const;
};

// One recognised line, in the recogniser's order.
struct RecognizedLine {
  NormalizedRect box;
  std::optional<TextCandidate> topCandidate;
};

using RecognitionResult = std::vector<RecognizedLine>;

// Thrown when the recogniser cannot process an image (or cannot be started at all).
class RecognitionError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// On-device text recognition of a whole image. Blocks until recognition is over; one call at a
// time per instance.
class TextRecognizer {
 public:
  virtual ~TextRecognizer() = default;
  // Throws RecognitionError on failure. An image without text gives an empty result.
  virtual RecognitionResult recognize(const ImageView& image) = 0;
};

}  // namespace vv
