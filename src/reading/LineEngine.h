#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "reading/InkMask.h"
#include "reading/PixelBox.h"
#include "reading/Strip.h"

namespace vv {

// One word of a page's layout, its box in the pixels of the ink mask laid out.
struct LayoutWord {
  PixelBox box;
  bool startsLine = false;  // the first word the layout gives of one of its text lines
};

// One recognised symbol: its bytes within the text it belongs to and its ink.
struct Symbol {
  std::size_t begin = 0;
  std::size_t end = 0;
  PixelBox box;
};

// What an engine reads on a strip, or the page reader on a line.
struct LineReading {
  std::string text;  // UTF-8, words joined by single spaces
  float confidence = 0.0f;
  std::vector<Symbol> symbols;  // in text order; symbols without text are left out
};

// The port through which the page reader drives a line recogniser. One instance serves one
// thread at a time; the page reader keeps one per thread.
class LineEngine {
 public:
  virtual ~LineEngine() = default;

  // The words of the text blocks the engine's page layout finds in `ink` (a page seen at
  // kScreenPixelsPerInch), in the layout's order: line by line, each line's words from left to
  // right.
  virtual std::vector<LayoutWord> layOut(const InkMask& ink) = 0;

  // The text of the one line of text on `strip` (strip.image; see Strip), its confidence on a
  // 0 to 1 scale, and its symbols' boxes in the strip image's pixels. Throws RecognitionError
  // when the engine fails.
  virtual LineReading read(const Strip& strip) = 0;
};

}  // namespace vv
