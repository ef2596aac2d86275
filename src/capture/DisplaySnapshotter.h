#pragma once

#include <QImage>
#include <functional>
#include <variant>

#include "services/CaptureService.h"
#include "services/Screen.h"

namespace vv {

// The screen cannot be tied to any capturable display: an ordinary outcome, not an error.
struct NoMatchingDisplay {};

// An image and the screen it shows: the screen asked for, or the one the capture service chose
// in its place (where the user picks the screen in the desktop's own dialog).
struct Snapshot {
  QImage image;
  ScreenInfo screen;
};

using SnapshotOutcome = std::variant<Snapshot, NoMatchingDisplay, CaptureFailure>;

// Takes one still image of the display that shows a screen.
class DisplaySnapshotter {
 public:
  virtual ~DisplaySnapshotter() = default;
  // Returns at once. `done` runs later, exactly once, on the thread that called (the main
  // thread), with the snapshot, NoMatchingDisplay or CaptureFailure.
  virtual void snapshot(const ScreenInfo& screen, std::function<void(SnapshotOutcome)> done) = 0;
};

}  // namespace vv
