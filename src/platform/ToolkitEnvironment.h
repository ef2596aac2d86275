#pragma once

namespace vv {

// What the toolkit is told before it starts, so that it starts no process and creates no file:
//  - without a session bus address, Qt's accessibility and portal support would have libdbus
//    autolaunch a bus (dbus-launch, a dbus-daemon that outlives the run, a file under ~/.dbus and
//    a socket in /tmp). A bus present at $XDG_RUNTIME_DIR/bus is named instead, since the Wayland
//    back ends need it; failing that, the address names no bus.
//  - without XDG_RUNTIME_DIR, Qt creates $TMPDIR/runtime-$USER the moment anything asks where the
//    runtime directory is (QGuiApplication itself does, looking for flatpak-info). Directories
//    that cannot exist make every such look-up fail without creating anything; libwayland then
//    fails quietly too, where it would complain on standard error about the missing variable.
// Variables already set are left as they are.
void prepareToolkitEnvironment();

}  // namespace vv
