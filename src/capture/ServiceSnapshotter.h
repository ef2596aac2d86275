#pragma once

#include "capture/DisplaySnapshotter.h"
#include "services/CaptureService.h"

#include <optional>
#include <vector>

namespace vv {

// The first display whose identifier equals the screen number; none without a screen number.
std::optional<DisplayRecord> matchingDisplay(std::optional<DisplayId> screenNumber,
                                             const std::vector<DisplayRecord>& displays);

// Takes a snapshot through a capture service: fetches the displays, ties the screen to one of
// them and asks for one image sized from the frame and density of the screen that display shows.
// Keeps no state between snapshots; the service must outlive every snapshot in flight.
class ServiceSnapshotter : public DisplaySnapshotter {
 public:
  explicit ServiceSnapshotter(CaptureService& service) : service_(service) {}

  void snapshot(const ScreenInfo& screen, std::function<void(SnapshotOutcome)> done) override;

 private:
  CaptureService& service_;
};

}  // namespace vv
