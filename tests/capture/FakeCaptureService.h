#pragma once

#include <functional>
#include <optional>
#include <utility>
#include <vector>

#include "services/CaptureService.h"

namespace vv::testing {

// Holds each completion until the test runs it, the way the real service answers later.
class FakeCaptureService : public CaptureService {
 public:
  struct ScreenshotRequest {
    DisplayRecord display;
    QSize size;
    std::function<void(ScreenshotOutcome)> done;
  };

  std::optional<DisplayId> number;
  std::optional<ScreenInfo> shown;
  std::vector<std::function<void(ContentOutcome)>> contentRequests;
  std::vector<ScreenshotRequest> screenshotRequests;
  int screenNumberReads = 0;

  void shareableContent(std::function<void(ContentOutcome)> done) override {
    contentRequests.push_back(std::move(done));
  }
  std::optional<DisplayId> screenNumber(const ScreenInfo&) override {
    ++screenNumberReads;
    return number;
  }
  std::optional<ScreenInfo> screenShown(const DisplayRecord&) override { return shown; }
  void screenshot(const DisplayRecord& display, QSize size,
                  std::function<void(ScreenshotOutcome)> done) override {
    screenshotRequests.push_back(ScreenshotRequest{display, size, std::move(done)});
  }

  void answerContent(ContentOutcome outcome) { contentRequests.at(0)(std::move(outcome)); }
  void answerScreenshot(ScreenshotOutcome outcome) {
    screenshotRequests.at(0).done(std::move(outcome));
  }
};

}  // namespace vv::testing
