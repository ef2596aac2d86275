#pragma once

#include <unicode/brkiter.h>

#include <cstddef>
#include <memory>
#include <optional>
#include <vector>

#include "reading/LineEngine.h"
#include "reading/PixelBox.h"
#include "recognition/TextRecognizer.h"

namespace vv {

// Puts a reading line together from the readings of its fragments, in normalised bottom-left
// coordinates of a page of the given size. Throws RecognitionError when ICU cannot split text
// into grapheme clusters. One call at a time per instance.
class LineAssembler {
 public:
  LineAssembler(int pageWidth, int pageHeight);

  // The line of the fragments `members` (indices into `fragments` and `readings`, left to
  // right; readings with boxes in page pixels): their texts joined by spaces, their confidences
  // weighted by their symbols, the line's box (the fragments' boxes, widened to every symbol's
  // ink), and a box for every grapheme (see graphemeBoxes). None when nothing was read. Takes the
  // members' symbols out of `readings`.
  std::optional<RecognizedLine> assemble(const std::vector<std::size_t>& members,
                                         const std::vector<PixelBox>& fragments,
                                         std::vector<LineReading>& readings);

 private:
  NormalizedRect normalized(const PixelBox& box) const;
  // The box of every grapheme of the text: the union of the boxes of the symbols whose bytes
  // overlap it, stretched to the line's text band (see textBand); none for a grapheme without
  // ink.
  std::vector<std::optional<NormalizedRect>> graphemeBoxes(const LineReading& line);

  double width_;
  double height_;
  std::unique_ptr<icu::BreakIterator> graphemes_;
};

// Every grapheme's box spans the line's text height, widened by a quarter of it above and
// below: a character's own ink (a digit reaches neither ascender nor descender height) is far
// smaller than the text box that a reader, or a page's own layout, takes a number to occupy.
// The text height is that of the line's typical symbols: a stray mark read along with the
// text (a bubble's corner, a timestamp's edge) must not stretch it, nor may the layout's box,
// which on a small bubble may hold the bubble itself. `symbols` must not be empty.
PixelBox textBand(const std::vector<Symbol>& symbols, int pageHeight);

}  // namespace vv
