#pragma once

namespace vv {

// Opens /dev/null on whichever of descriptors 0, 1 and 2 the launcher left closed. Otherwise the
// next file opened (the display connection, say) would take the lowest free number, and status
// lines would be written into it. Call first, before anything opens a file.
void openMissingStandardStreams();

}  // namespace vv
