#pragma once

#include <stdexcept>

#include "capture/DisplaySnapshotter.h"
#include "services/PlatformServices.h"

namespace vv {

// Services for a run without any display: no screens at all, and nothing to recognise or capture.
class NoScreens : public ScreenLocator {
 public:
  std::vector<ScreenInfo> screens() const override { return {}; }
  std::optional<ScreenInfo> mainScreen() const override { return std::nullopt; }
  QPointF pointer() const override { return {}; }
};

class NoDemoSetting : public DemoSetting {
 public:
  bool isOn() const override { return false; }
};

class UnavailableScanner : public PhoneScanner {
 public:
  PhoneMatches phoneMatches(const QImage&) override {
    throw std::runtime_error("no recogniser in this run");
  }
};

class UnavailableSnapshotter : public DisplaySnapshotter {
 public:
  void snapshot(const ScreenInfo&, std::function<void(SnapshotOutcome)> done) override {
    done(CaptureFailure{});
  }
};

}  // namespace vv
