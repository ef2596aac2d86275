#pragma once

#include <unicode/regex.h>
#include <unicode/unistr.h>

#include <memory>

namespace vv {

// One compiled ICU regular expression. The compiled form is immutable and may be shared between
// threads; every search makes a matcher of its own.
class Pattern {
 public:
  explicit Pattern(const icu::UnicodeString& source);

  // Whether the pattern occurs anywhere in `text` (a plain search for the first occurrence).
  bool foundIn(const icu::UnicodeString& text) const;

 private:
  std::unique_ptr<icu::RegexPattern> compiled_;
};

}  // namespace vv
