#pragma once

#include <QRect>
#include <cstddef>
#include <vector>

#include "recognition/NormalizedRect.h"

namespace vv {

// A frame in its parent's coordinates with the origin at the parent's bottom-left corner and y
// growing upward, in points.
struct LayoutRect {
  double x = 0;
  double y = 0;
  double width = 0;
  double height = 0;

  double midX() const { return x + width * 0.5; }
  double midY() const { return y + height * 0.5; }
  bool intersects(const LayoutRect& other) const;
  bool contains(const LayoutRect& other) const;
};

// Digits 1 to 9 pick the first nine numbers; only those get a key badge.
inline constexpr std::size_t kDigitKeyCount = 9;
inline constexpr double kBadgeSize = 18;

struct RowFrames {
  LayoutRect label;   // in the list document
  LayoutRect button;  // in the list document
};

// Every frame of the picker for one screen size, snapshot size and list of match boxes.
struct PickerLayout {
  double panelWidth = 0;  // width of the number list
  LayoutRect imageArea;   // where the snapshot may go
  double scale = 0;       // snapshot pixels to points; may exceed 1
  double drawnWidth = 0;
  double drawnHeight = 0;
  LayoutRect image;  // the fitted snapshot, centred in imageArea
  LayoutRect heading;
  LayoutRect instruction;
  LayoutRect cancel;
  std::vector<LayoutRect> highlights;  // one per box, in the boxes' order
  // The key badge of each of the first nine highlights: beside its frame, never on it, and clear
  // of the other frames and badges wherever the room around the snapshot allows.
  std::vector<LayoutRect> badges;
  LayoutRect list;  // the scrolling number list
  double documentWidth = 0;
  double documentHeight = 0;  // at least the list's height; grows with the number of rows
  LayoutRect header;          // in the list document
  std::vector<RowFrames> rows;
  // The document's y at the bottom of the visible part when the list shows its top.
  double scrollY = 0;
};

// The picker's frames for a screen of screenWidth x screenHeight points showing a snapshot of
// imageWidth x imageHeight pixels (both positive) with one match per box.
PickerLayout layoutPicker(double screenWidth, double screenHeight, double imageWidth,
                          double imageHeight, const std::vector<NormalizedRect>& boxes);

// The frame as a Qt child geometry (top-left origin) in a parent parentHeight points tall. Edges
// are rounded one by one, so frames that touch keep touching.
QRect toChildGeometry(const LayoutRect& frame, double parentHeight);

}  // namespace vv
