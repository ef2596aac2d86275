#pragma once

#include <QObject>
#include <QString>
#include <atomic>
#include <memory>
#include <optional>
#include <vector>

#include "services/CaptureService.h"
#include "services/PlatformServices.h"

namespace vv {

// Whether the compositor has refused to copy the screen for this program (a permission manager
// answering "failed"). Shared by the capture service, which learns it, and the permission gate,
// which reports it.
using CopyRefusal = std::shared_ptr<std::atomic<bool>>;

// The screen is readable until the compositor has refused a copy; nothing can be asked of the
// user beforehand (a compositor that asks does so while copying).
class ScreencopyPermission : public ScreenCapturePermission {
 public:
  explicit ScreencopyPermission(CopyRefusal refusal) : refusal_(std::move(refusal)) {}
  bool preflight() override { return !refusal_->load(); }
  bool request() override { return !refusal_->load(); }

 private:
  CopyRefusal refusal_;
};

// The capture service of wlroots compositors (wlr-screencopy): the displays are the Wayland
// outputs, identified by their registry names, and an image is copied into a memfd buffer on a
// connection of the service's own, on a pool thread. Completions come back on the thread that
// owns the service (the main thread). Create, use and destroy it there.
class ScreencopyCaptureService : public CaptureService {
 public:
  explicit ScreencopyCaptureService(CopyRefusal refusal);

  void shareableContent(std::function<void(ContentOutcome)> done) override;
  // The output of the screen's name among those of the latest shareable content.
  std::optional<DisplayId> screenNumber(const ScreenInfo& screen) override;
  void screenshot(const DisplayRecord& display, QSize size,
                  std::function<void(ScreenshotOutcome)> done) override;

 private:
  CopyRefusal refusal_;
  std::vector<DisplayRecord> outputs_;  // from the latest shareable content; main thread only
  QObject context_;                     // completions are delivered in this object's thread
};

}  // namespace vv
