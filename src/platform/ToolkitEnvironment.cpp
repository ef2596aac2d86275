#include "platform/ToolkitEnvironment.h"

#include <sys/stat.h>

#include <cstdlib>
#include <string>

namespace vv {
namespace {

bool isSet(const char* name) {
  const char* value = std::getenv(name);
  return value && *value;
}

std::string userBusSocket() {
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  if (!runtime || !*runtime) {
    return {};
  }
  const std::string path = std::string(runtime) + "/bus";
  struct stat status {};
  return stat(path.c_str(), &status) == 0 && S_ISSOCK(status.st_mode) ? path : std::string();
}

std::string sessionBusAddress(const std::string& userBusSocket) {
  // libdbus knows no "disabled" transport: connecting fails at once, and nothing is launched.
  return userBusSocket.empty() ? "disabled:" : "unix:path=" + userBusSocket;
}

}  // namespace

void prepareToolkitEnvironment() {
  if (!isSet("DBUS_SESSION_BUS_ADDRESS")) {
    setenv("DBUS_SESSION_BUS_ADDRESS", sessionBusAddress(userBusSocket()).c_str(), 1);
  }
  if (!isSet("XDG_RUNTIME_DIR")) {
    // Qt falls back to $TMPDIR/runtime-$USER when the runtime directory is unusable; under a
    // temporary directory that is not a directory, that fallback cannot be created either. The
    // program itself never writes a temporary file.
    setenv("XDG_RUNTIME_DIR", "/dev/null", 1);
    setenv("TMPDIR", "/dev/null", 1);
  }
}

}  // namespace vv
