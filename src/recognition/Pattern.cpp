#include "recognition/Pattern.h"

#include <stdexcept>
#include <string>

namespace vv {

Pattern::Pattern(const icu::UnicodeString& source) {
  UParseError where{};
  UErrorCode status = U_ZERO_ERROR;
  compiled_.reset(icu::RegexPattern::compile(source, 0, where, status));
  if (U_FAILURE(status) || !compiled_) {
    throw std::logic_error(std::string("pattern does not compile: ") + u_errorName(status));
  }
}

bool Pattern::foundIn(const icu::UnicodeString& text) const {
  UErrorCode status = U_ZERO_ERROR;
  const std::unique_ptr<icu::RegexMatcher> matcher(compiled_->matcher(text, status));
  if (U_FAILURE(status)) {
    throw std::runtime_error(std::string("pattern search failed: ") + u_errorName(status));
  }
  const bool found = matcher->find(status);
  if (U_FAILURE(status)) {
    throw std::runtime_error(std::string("pattern search failed: ") + u_errorName(status));
  }
  return found;
}

}  // namespace vv
