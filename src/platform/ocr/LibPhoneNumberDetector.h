#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "recognition/PhoneDetector.h"

namespace vv {

// Phone-number spans as libphonenumber's matcher proposes them. It accepts numbers that are
// merely possible for the region (the right length, any plausible shape), so that local
// seven-digit numbers such as "555-0142" are proposed; the scan's own filters then reject what
// is not dialable. Holds no state besides the region; safe to share between threads.
class LibPhoneNumberDetector final : public PhoneDetector {
 public:
  // `region` is an upper-case CLDR region code ("US", "GB"). A code the library does not know
  // limits the detector to numbers written with a leading "+".
  explicit LibPhoneNumberDetector(std::string region);

  // The country of the user's locale when the library supports it as a region, else "US".
  static std::string defaultRegion();

  std::vector<DetectedSpan> find(std::string_view utf8Line) const override;

 private:
  std::string region_;
};

}  // namespace vv
