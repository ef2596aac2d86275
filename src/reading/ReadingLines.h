#pragma once

#include <cstddef>
#include <vector>

#include "reading/PixelBox.h"

namespace vv {

// What a person reads as one line, built from the page layout's lines. The layout joins text
// across a wide gutter (two cards side by side become one line, and two addresses become a
// fake number) and splits a table row into one line per column (so a label is cut off from
// its number). Both are undone with one measure: a horizontal gap wider than `maxGap` times
// the text's height separates lines, a narrower one joins them.
class ReadingLines {
 public:
  explicit ReadingLines(double maxGap) : maxGap_(maxGap) {}

  // The pieces of one layout line, given as its words' boxes from left to right: the line is
  // cut wherever two neighbouring words lie too far apart. Each piece is the union of its
  // words' boxes.
  std::vector<PixelBox> split(const std::vector<PixelBox>& words) const;

  // Fragments that share a baseline and lie close enough, chained from left to right into
  // lines. Each line lists indices into `fragments`, from left to right; the lines come in the
  // order of their earliest fragment, so the layout's order of blocks survives.
  std::vector<std::vector<std::size_t>> group(const std::vector<PixelBox>& fragments) const;

 private:
  bool closeEnough(const PixelBox& left, const PixelBox& right) const;

  double maxGap_;
};

}  // namespace vv
