#pragma once

#include <algorithm>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "reading/LineEngine.h"
#include "reading/PixelBox.h"
#include "recognition/TextRecognizer.h"

namespace vv::test {

// What a line engine gave on a page: its layout, line by line, and the reading of each line,
// the symbol boxes in page pixels.
struct RecordedPage {
  struct Reading {
    PixelBox fragment;
    LineReading reading;
  };
  int height = 0;
  std::vector<std::vector<PixelBox>> layout;
  std::vector<Reading> readings;
};

// A line engine that plays a recorded page back, and notes what it was asked.
class FakeLineEngine final : public LineEngine {
 public:
  // `lowerPart`: the engine lays out the bottom rows of the page when given only part of it
  // (the page reader gives its second engine the lower half).
  explicit FakeLineEngine(std::shared_ptr<const RecordedPage> page, bool lowerPart = false)
      : page_(std::move(page)), lowerPart_(lowerPart) {}

  // The words of the recorded layout within the mask's rows, cut to them.
  std::vector<LayoutWord> layOut(const InkMask& ink) override {
    maskHeights.push_back(ink.height);
    const int top = lowerPart_ ? page_->height - ink.height : 0;
    std::vector<LayoutWord> words;
    for (const std::vector<PixelBox>& line : page_->layout) {
      bool starts = true;
      for (PixelBox word : line) {
        word.top = std::max(word.top, top) - top;
        word.bottom = std::min(word.bottom, top + ink.height) - top;
        if (word.height() > 0) {
          words.push_back(LayoutWord{word, starts});
          starts = false;
        }
      }
    }
    return words;
  }

  // The recorded reading of the largest fragment within the strip, boxes in strip pixels.
  LineReading read(const Strip& strip) override {
    if (failing) {
      throw RecognitionError("the engine failed");
    }
    readAreas.push_back(strip.area);
    pixelsPerInch.push_back(strip.pixelsPerInch());
    const RecordedPage::Reading* found = nullptr;
    for (const RecordedPage::Reading& r : page_->readings) {
      const PixelBox& f = r.fragment;
      const bool inside = f.left >= strip.area.left && f.right <= strip.area.right &&
                          f.top >= strip.area.top && f.bottom <= strip.area.bottom;
      if (inside && (!found || f.width() > found->fragment.width())) {
        found = &r;
      }
    }
    if (!found) {
      return {};
    }
    LineReading reading = found->reading;
    const auto toStrip = [&](int v, int origin) {
      return (v - origin) * strip.zoom.up / strip.zoom.down;
    };
    for (Symbol& s : reading.symbols) {
      s.box =
          PixelBox{toStrip(s.box.left, strip.area.left), toStrip(s.box.top, strip.area.top),
                   toStrip(s.box.right, strip.area.left), toStrip(s.box.bottom, strip.area.top)};
    }
    return reading;
  }

  std::vector<int> maskHeights;
  std::vector<PixelBox> readAreas;
  std::vector<int> pixelsPerInch;
  bool failing = false;

 private:
  std::shared_ptr<const RecordedPage> page_;
  bool lowerPart_;
};

}  // namespace vv::test
