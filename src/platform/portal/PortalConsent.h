#pragma once

#include <memory>
#include <utility>

#include "services/PlatformServices.h"

namespace vv {

// What the portal's dialog answered during this run. The capture service records it; the
// permission gate reports it.
class PortalConsent {
 public:
  enum class Answer { NotAskedYet, Refused, NotRefused };

  Answer answer() const { return answer_; }
  void record(Answer answer) { answer_ = answer; }

 private:
  Answer answer_ = Answer::NotAskedYet;
};

// The portal asks inside the capture itself, so the gate is open to a request and held only once
// a capture got past the dialog. A capture that fails after a refusal therefore ends with
// "permission", and one that fails for any other reason with "failed".
class PortalCapturePermission : public ScreenCapturePermission {
 public:
  explicit PortalCapturePermission(std::shared_ptr<const PortalConsent> consent)
      : consent_(std::move(consent)) {}

  bool preflight() override { return consent_->answer() == PortalConsent::Answer::NotRefused; }
  bool request() override { return true; }

 private:
  std::shared_ptr<const PortalConsent> consent_;
};

}  // namespace vv
