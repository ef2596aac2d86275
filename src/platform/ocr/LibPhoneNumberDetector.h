#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "recognition/PhoneDetector.h"

namespace vv {

// Phone-number spans found with libphonenumber. Its matcher runs leniently, so that local numbers
// ("555-0142") and fictional ranges are seen, and each proposal is then checked against how the
// region's plan writes numbers: part numbers, IP addresses, timestamps and the like are dropped.
// Two numbers side by side, which the matcher reads as one over-long candidate, are split apart.
// Numbers of other countries are found as the country whose plan makes them valid writes them:
// with the trunk prefix ("020 7946 0958", "0612345678" on a US desktop), with the country code
// but no "+" in one word ("919812345678"), or in that country's exact grouping ("1800 123 000").
// An extension after a number and the next table column are left out of its span; a short area
// code in parentheses before it is taken in. Holds no state besides the region; safe to share
// between threads.
class LibPhoneNumberDetector final : public PhoneDetector {
 public:
  // `region` is an upper-case CLDR region code ("US", "GB"). A code the library does not know
  // leaves only numbers with a leading "+" and those some region's plan writes so.
  explicit LibPhoneNumberDetector(std::string region);

  // The country of the user's locale when the library supports it as a region, else "US".
  static std::string defaultRegion();

  std::vector<DetectedSpan> find(std::string_view utf8Line) const override;

 private:
  std::string region_;
};

}  // namespace vv
