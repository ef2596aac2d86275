#pragma once

namespace vv {

// Caps the allocator's arenas at two. Every thread (the toolkit's, the recogniser's pool) would
// otherwise get an arena of its own and keep it: on a large screen, tens of megabytes that the
// picker's full-screen window then has to live beside. Call before threads start.
void limitAllocatorArenas();

}  // namespace vv
