#pragma once

namespace vv {

// Drops every message of Qt's logging (warnings about the runtime directory, unsupported window
// operations and the like): the program writes nothing to standard error. A fatal message exits
// with status 1 instead of aborting.
void silenceToolkitMessages();

}  // namespace vv
