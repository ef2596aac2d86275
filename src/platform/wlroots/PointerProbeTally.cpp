#include "platform/wlroots/PointerProbeTally.h"

#include <algorithm>

namespace vv {

void PointerProbeTally::watch(const void* surface, const QString& outputName) {
  watched_.push_back(Watched{surface, outputName});
}

void PointerProbeTally::entered(const void* surface) {
  if (answer_ || !surface) {
    return;
  }
  const auto found = std::find_if(watched_.begin(), watched_.end(),
                                  [surface](const Watched& w) { return w.surface == surface; });
  if (found != watched_.end()) {
    answer_ = found->outputName;
  }
}

std::optional<QString> PointerProbeTally::answer() const {
  if (!answer_ || answer_->isEmpty()) {
    return std::nullopt;
  }
  return answer_;
}

}  // namespace vv
