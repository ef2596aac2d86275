#pragma once

#include "recognition/PhoneMatch.h"

namespace vv {

// True when the matches found in syntheticImage() are what working recognition must find.
bool selfTestPasses(const PhoneMatches& matches);

}  // namespace vv
