#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace vv {

// What a finished child process gave back. `status` reads as a shell's $?: the exit status,
// 128 + N when signal N ended it, 127 when it could not be started.
struct Finished {
  int status = 0;
  std::string output;  // its standard output, when it was captured
};

// Runs `command` (found on PATH unless it holds a slash) with this process's standard input and
// error, and captures its standard output.
Finished runCapturingOutput(const std::vector<std::string>& command);

// Runs `command` with `input` on its standard input and its output and errors thrown away: what
// a helper prints (an opener's complaint names the URI) must not reach a session log.
Finished runQuietly(const std::vector<std::string>& command, std::string_view input = {});

}  // namespace vv
