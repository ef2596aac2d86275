#pragma once

namespace vv {

// A rectangle in normalised image coordinates: the image is the unit square, origin at its
// bottom-left corner, y growing upward. x and y are the left and bottom edges.
struct NormalizedRect {
  double x = 0;
  double y = 0;
  double width = 0;
  double height = 0;

  // Edges of the standardised rectangle: a negative width or height reads as the same
  // rectangle with a positive one.
  double minX() const { return width < 0 ? x + width : x; }
  double maxX() const { return width < 0 ? x : x + width; }
  double minY() const { return height < 0 ? y + height : y; }
  double maxY() const { return height < 0 ? y : y + height; }
};

}  // namespace vv
