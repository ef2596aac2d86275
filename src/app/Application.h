#pragma once

namespace vv {

// Runs one whole run of the program: chooses the services for this environment, installs the
// delegate and runs the event loop. Every road ends the process through the delegate's latch.
int runApplication(int argc, char** argv);

}  // namespace vv
