#include "platform/ProcessTerminator.h"

#include <cstdlib>

namespace vv {

void ProcessTerminator::terminate() { std::_Exit(0); }

}  // namespace vv
