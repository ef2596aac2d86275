#pragma once

#include <QObject>
#include <QString>
#include <chrono>
#include <optional>
#include <vector>

#include "platform/kwin/KWinDBus.h"
#include "services/CaptureService.h"

namespace vv {

// How long a screenshot may take, in two stages.
struct KWinCaptureTimeouts {
  std::chrono::milliseconds reply{10'000};   // until KWin answers the call
  std::chrono::milliseconds pixels{10'000};  // until the pipe has brought every byte
};

// The capture service of KWin's screenshot interface. The displays are the toolkit's screens,
// which on Wayland carry the compositor's output names; a screenshot names its output to KWin
// and reads the raw pixels from a pipe on a pool thread. Create, use and destroy it on the main
// thread.
class KWinCaptureService : public CaptureService {
 public:
  explicit KWinCaptureService(KWinDBus kwin, KWinCaptureTimeouts timeouts = {});

  void shareableContent(std::function<void(ContentOutcome)> done) override;
  // The display of the same name in the latest shareable content; none before any content.
  std::optional<DisplayId> screenNumber(const ScreenInfo& screen) override;
  void screenshot(const DisplayRecord& display, QSize size,
                  std::function<void(ScreenshotOutcome)> done) override;

 private:
  KWinDBus kwin_;
  KWinCaptureTimeouts timeouts_;
  std::vector<DisplayRecord> displays_;  // from the latest shareable content
  QObject context_;                      // completions are delivered in this object's thread
};

}  // namespace vv
