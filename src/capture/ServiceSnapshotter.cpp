#include "capture/ServiceSnapshotter.h"

#include <algorithm>
#include <utility>

#include "capture/SnapshotSize.h"

namespace vv {

std::optional<DisplayRecord> matchingDisplay(std::optional<DisplayId> screenNumber,
                                             const std::vector<DisplayRecord>& displays) {
  if (!screenNumber) {
    return std::nullopt;
  }
  const auto found = std::find_if(
      displays.begin(), displays.end(),
      [&](const DisplayRecord& display) { return display.displayID == *screenNumber; });
  if (found == displays.end()) {
    return std::nullopt;
  }
  return *found;
}

void ServiceSnapshotter::snapshot(const ScreenInfo& screen,
                                  std::function<void(SnapshotOutcome)> done) {
  CaptureService& service = service_;
  service.shareableContent([&service, screen, done = std::move(done)](ContentOutcome content) {
    // A failed request ends the snapshot before the screen is looked at.
    const auto* displays = std::get_if<std::vector<DisplayRecord>>(&content);
    if (!displays) {
      done(CaptureFailure{});
      return;
    }
    const std::optional<DisplayRecord> display =
        matchingDisplay(service.screenNumber(screen), *displays);
    if (!display) {
      done(NoMatchingDisplay{});
      return;
    }
    // The size always comes from the screen shown, never from the display record.
    const ScreenInfo shown = service.screenShown(*display).value_or(screen);
    const QSize size = snapshotSize(shown.frame.width(), shown.frame.height(), shown.backingScale);
    service.screenshot(*display, size, [done, shown](ScreenshotOutcome shot) {
      if (auto* image = std::get_if<QImage>(&shot)) {
        done(Snapshot{std::move(*image), shown});
      } else {
        done(CaptureFailure{});
      }
    });
  });
}

}  // namespace vv
