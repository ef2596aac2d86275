#pragma once

#include <QImage>
#include <functional>
#include <variant>

#include "services/CaptureService.h"
#include "services/Screen.h"

namespace vv {

// The screen cannot be tied to any capturable display: an ordinary outcome, not an error.
struct NoMatchingDisplay {};

using SnapshotOutcome = std::variant<QImage, NoMatchingDisplay, CaptureFailure>;

// Takes one still image of the display that shows a screen.
class DisplaySnapshotter {
 public:
  virtual ~DisplaySnapshotter() = default;
  // Returns at once. `done` runs later, exactly once, on the thread that called (the main
  // thread), with the image, NoMatchingDisplay or CaptureFailure.
  virtual void snapshot(const ScreenInfo& screen, std::function<void(SnapshotOutcome)> done) = 0;
};

}  // namespace vv
