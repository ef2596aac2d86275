#pragma once

#include <QString>
#include <optional>
#include <vector>

namespace vv {

// The bookkeeping of the pointer probe: which probe surface lies on which output, and which
// output the pointer entered first. Surfaces are only compared, never used.
class PointerProbeTally {
 public:
  void watch(const void* surface, const QString& outputName);
  // A pointer entered `surface`. Only the first enter of a watched surface counts: later ones
  // come from the pointer moving on while the probe ends. A null surface (one already gone, as
  // libwayland reports it) and surfaces the probe does not own count for nothing.
  void entered(const void* surface);
  bool answered() const { return answer_.has_value(); }
  // The name of the entered output; none until a watched surface was entered, or when that
  // output has no name.
  std::optional<QString> answer() const;

 private:
  struct Watched {
    const void* surface;
    QString outputName;
  };
  std::vector<Watched> watched_;
  std::optional<QString> answer_;
};

}  // namespace vv
