#pragma once

#include <string>
#include <utility>
#include <vector>

#include "recognition/NormalizedRect.h"

namespace vv {

// One phone number found in an image. A read-only value: set once at construction.
class PhoneMatch {
 public:
  PhoneMatch(std::string number, std::string context, std::string kind, NormalizedRect box)
      : number_(std::move(number)),
        context_(std::move(context)),
        kind_(std::move(kind)),
        box_(box) {}

  // As written in the image, trimmed, 7 to 15 digits; never reduced to its digits.
  const std::string& number() const { return number_; }
  // The rest of the number's line, or the nearest line above it; at most 140 characters.
  const std::string& context() const { return context_; }
  // "Fax", "Mobile", "Support", "Sales", "Office" or "Phone".
  const std::string& kind() const { return kind_; }
  // Where the number's characters stand, exactly as the recogniser measured them.
  const NormalizedRect& box() const { return box_; }

 private:
  std::string number_;
  std::string context_;
  std::string kind_;
  NormalizedRect box_;
};

using PhoneMatches = std::vector<PhoneMatch>;

}  // namespace vv
