#include "platform/AllocatorArenas.h"

#include <malloc.h>

namespace vv {

void limitAllocatorArenas() { mallopt(M_ARENA_MAX, 2); }

}  // namespace vv
