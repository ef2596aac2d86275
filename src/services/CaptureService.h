#pragma once

#include <QImage>
#include <QRect>
#include <QSize>
#include <QString>
#include <cstdint>
#include <functional>
#include <optional>
#include <variant>
#include <vector>

#include "services/Screen.h"

namespace vv {

// The capture service failed; what went wrong is never reported, so nothing more is kept.
struct CaptureFailure {};

// Identifies a display of the capture service; screens are tied to displays through it.
using DisplayId = std::uint32_t;

// One display the capture service can take an image of.
struct DisplayRecord {
  DisplayId displayID = 0;
  QString name;
  QRect pixels;  // where the display lies, in the service's device pixels
};

using ContentOutcome = std::variant<std::vector<DisplayRecord>, CaptureFailure>;
using ScreenshotOutcome = std::variant<QImage, CaptureFailure>;

// The platform's screen-capture service. Both requests return at once and run their completion
// later, exactly once, on the main thread; the work in between happens elsewhere, so the event
// loop keeps running.
class CaptureService {
 public:
  virtual ~CaptureService() = default;
  // The displays that can be captured now, in the service's order.
  virtual void shareableContent(std::function<void(ContentOutcome)> done) = 0;
  // The identifier of the display that shows the screen; none when it cannot be told. Called on
  // the main thread; never blocks on the service.
  virtual std::optional<DisplayId> screenNumber(const ScreenInfo& screen) = 0;
  // The screen a display shows when the service rather than the caller chose the display (the
  // user picked it in the desktop's own dialog); none when it is the screen the caller named.
  virtual std::optional<ScreenInfo> screenShown(const DisplayRecord& display) {
    static_cast<void>(display);
    return std::nullopt;
  }
  // One image of the whole display, exactly `size` pixels, without the mouse pointer.
  virtual void screenshot(const DisplayRecord& display, QSize size,
                          std::function<void(ScreenshotOutcome)> done) = 0;
};

}  // namespace vv
