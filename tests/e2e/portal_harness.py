"""A private desktop portal for end-to-end tests: a session bus of its own, PipeWire and
WirePlumber on it, a GStreamer "monitor" showing a known picture, the real xdg-desktop-portal
front end with a fake back end (fake_portal_backend.py), and a headless weston for the program's
windows. Everything runs in a temporary directory and ends with the context."""

import json
import os
import signal
import subprocess
import tempfile
import time
import unittest

import harness

HERE = os.path.dirname(os.path.abspath(__file__))
FAKE_BACKEND = os.path.join(HERE, "fake_portal_backend.py")
FAKE_BUS_NAME = "org.freedesktop.impl.portal.desktop.fake"
PORTAL_BUS_NAME = "org.freedesktop.portal.Desktop"
STORE_BUS_NAME = "org.freedesktop.impl.portal.PermissionStore"
# Debian's interpreter: the one the dbusmock, dbus and gi modules are installed for.
DEBIAN_PYTHON = "/usr/bin/python3"
LIBEXEC = "/usr/libexec"

BUS_CONFIG = """<busconfig>
  <type>session</type>
  <listen>unix:tmpdir={tmp}</listen>
  <auth>EXTERNAL</auth>
  <servicedir>{services}</servicedir>
  <policy context="default">
    <allow send_destination="*" eavesdrop="true"/><allow eavesdrop="true"/><allow own="*"/>
  </policy>
</busconfig>
"""

PORTAL_FILE = """[portal]
DBusName=org.freedesktop.impl.portal.desktop.fake
Interfaces=org.freedesktop.impl.portal.ScreenCast;
UseIn=fake
"""

STORE_SERVICE = """[D-BUS Service]
Name=org.freedesktop.impl.portal.PermissionStore
Exec={libexec}/xdg-permission-store
"""


def need_portal_tools():
    harness.need_tools("dbus-daemon", "dbus-send", "pipewire", "wireplumber", "pw-dump",
                       "gst-launch-1.0", "weston")
    for path in (DEBIAN_PYTHON, os.path.join(LIBEXEC, "xdg-desktop-portal"),
                 os.path.join(LIBEXEC, "xdg-permission-store")):
        if not os.path.exists(path):
            raise unittest.SkipTest("missing " + path)


def wait_until(condition, timeout, what):
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        if condition():
            return
        time.sleep(0.05)
    raise RuntimeError(what + " did not come up")


class PortalDesktop:
    """The whole private desktop. `image` is shown by the "monitor" at width x height; with
    portal=False the front end and its back end are left out (a desktop without a portal)."""

    def __init__(self, image, width=1920, height=1080, portal=True):
        self.image, self.width, self.height, self.portal = image, width, height, portal
        self.processes = []
        self.tmp = None

    # --- set-up -----------------------------------------------------------------------------
    def __enter__(self):
        self.tmp = tempfile.TemporaryDirectory(prefix="vv-portal-", ignore_cleanup_errors=True)
        try:
            self._start()
        except BaseException:
            self.__exit__(None, None, None)
            raise
        return self

    def _dir(self, name, mode=0o700):
        path = os.path.join(self.tmp.name, name)
        os.makedirs(path, mode=mode, exist_ok=True)
        return path

    def _write(self, path, text):
        with open(path, "w", encoding="utf-8") as f:
            f.write(text)

    def _spawn(self, args, env, name):
        log = open(os.path.join(self.tmp.name, name + ".log"), "wb")
        process = subprocess.Popen(args, env=env, stdout=log, stderr=subprocess.STDOUT,
                                   stdin=subprocess.DEVNULL, start_new_session=True)
        log.close()
        self.processes.append(process)
        return process

    def _start(self):
        self.runtime = self._dir("runtime")
        self.home = self._dir("home")
        services = self._dir("services")
        portals = self._dir("portals")
        self._write(os.path.join(services, STORE_BUS_NAME + ".service"),
                    STORE_SERVICE.format(libexec=LIBEXEC))
        self._write(os.path.join(portals, "fake.portal"), PORTAL_FILE)
        config = os.path.join(self.tmp.name, "bus.conf")
        self._write(config, BUS_CONFIG.format(tmp=self.tmp.name, services=services))

        self.base_env = harness.clean_env(
            HOME=self.home, XDG_RUNTIME_DIR=self.runtime,
            XDG_DATA_HOME=self._dir("home/.local/share"),
            XDG_CONFIG_HOME=self._dir("home/.config"), XDG_CACHE_HOME=self._dir("home/.cache"),
            XDG_STATE_HOME=self._dir("home/.local/state"))
        for key in ("DBUS_SESSION_BUS_ADDRESS", "PIPEWIRE_REMOTE", "XDG_CURRENT_DESKTOP"):
            self.base_env.pop(key, None)
        self._start_bus(config)

        self.store = self._spawn([os.path.join(LIBEXEC, "xdg-permission-store"), "--replace"],
                                 self.env(), "permission-store")
        wait_until(lambda: self.has_owner(STORE_BUS_NAME), 10, "xdg-permission-store")
        self._spawn(["pipewire"], self.env(), "pipewire")
        wait_until(lambda: os.path.exists(os.path.join(self.runtime, "pipewire-0")), 10,
                   "pipewire")
        self._spawn(["wireplumber"], self.env(), "wireplumber")
        self._spawn(["gst-launch-1.0", "-q", "videotestsrc", "pattern=black", "!",
                     f"video/x-raw,format=BGRx,width={self.width},height={self.height},"
                     "framerate=5/1", "!", "gdkpixbufoverlay", f"location={self.image}", "!",
                     "pipewiresink", "mode=provide",
                     "stream-properties=props,media.class=Video/Source,node.name=vv-fake-screen"],
                    self.env(), "monitor")
        self.node = self.wait_for_node("vv-fake-screen")
        if self.portal:
            self._spawn([DEBIAN_PYTHON, "-m", "dbusmock", "--template", FAKE_BACKEND, "-p",
                         json.dumps({"node": self.node, "width": self.width,
                                     "height": self.height})],
                        self.env(), "fake-backend")
            wait_until(lambda: self.has_owner(FAKE_BUS_NAME), 20, "the fake portal back end")
            self.portal_process = self._spawn(
                [os.path.join(LIBEXEC, "xdg-desktop-portal"), "--replace"],
                self.env(XDG_CURRENT_DESKTOP="fake", XDG_DESKTOP_PORTAL_DIR=portals), "portal")
            wait_until(lambda: self.has_owner(PORTAL_BUS_NAME), 20, "xdg-desktop-portal")
        self.wayland_display = "vv-weston-%d" % os.getpid()
        self._spawn(["weston", "--backend=headless-backend.so", "--use-pixman",
                     "--socket=" + self.wayland_display, "--width", str(self.width),
                     "--height", str(self.height), "--idle-time=0"],
                    self.env(), "weston")
        wait_until(lambda: os.path.exists(os.path.join(self.runtime, self.wayland_display)), 20,
                   "weston")

    def _start_bus(self, config):
        read_fd, write_fd = os.pipe()
        bus = subprocess.Popen(["dbus-daemon", "--config-file=" + config, "--nofork",
                                "--print-address=%d" % write_fd],
                               pass_fds=(write_fd,), env=self.base_env, start_new_session=True,
                               stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(write_fd)
        self.processes.append(bus)
        with os.fdopen(read_fd, "rb") as pipe:
            self.bus_address = pipe.readline().decode().strip()
        if not self.bus_address:
            raise RuntimeError("dbus-daemon did not start")

    # --- use --------------------------------------------------------------------------------
    def env(self, **extra):
        env = dict(self.base_env, DBUS_SESSION_BUS_ADDRESS=self.bus_address)
        env.update(extra)
        return env

    def program_env(self):
        """The program's environment: a Wayland session on weston with this private bus."""
        return self.env(WAYLAND_DISPLAY=self.wayland_display)

    def bus_call(self, destination, path, method, *args, timeout=10):
        done = subprocess.run(["dbus-send", "--bus=" + self.bus_address, "--print-reply",
                               "--reply-timeout=%d" % (timeout * 1000), "--dest=" + destination,
                               path, method, *args],
                              env=self.env(), capture_output=True, text=True, timeout=timeout + 5)
        if done.returncode != 0:
            raise RuntimeError(done.stderr.strip())
        return done.stdout

    def has_owner(self, name):
        try:
            reply = self.bus_call("org.freedesktop.DBus", "/org/freedesktop/DBus",
                                  "org.freedesktop.DBus.NameHasOwner", "string:" + name)
        except RuntimeError:
            return False
        return "boolean true" in reply

    def nodes(self):
        """node.name -> (id, state) of every PipeWire node."""
        done = subprocess.run(["pw-dump"], env=self.env(), capture_output=True, timeout=10)
        try:
            objects = json.loads(done.stdout or b"[]")
        except ValueError:
            return {}
        found = {}
        for item in objects:
            info = item.get("info") or {}
            props = info.get("props") or {}
            if item.get("type") == "PipeWire:Interface:Node" and "node.name" in props:
                found[props["node.name"]] = (item["id"], info.get("state"))
        return found

    def wait_for_node(self, name, timeout=20):
        wait_until(lambda: name in self.nodes(), timeout, "the PipeWire node " + name)
        return self.nodes()[name][0]

    def rest_monitor(self, timeout=20):
        """Waits until WirePlumber has suspended the monitor after its last reader. The GStreamer
        source serves a reader that links within those seconds no frames at all, which a real
        desktop, starting a fresh stream for every session, never does."""
        wait_until(lambda: self.nodes().get("vv-fake-screen", (0, ""))[1] == "suspended",
                   timeout, "the monitor's rest")

    def start_source(self, args, name):
        """Another PipeWire "monitor", run as given, listed under node.name `name`."""
        self._spawn(args, self.env(), name)
        return self.wait_for_node(name)

    def configure_fake(self, mode, node=None):
        self.bus_call(FAKE_BUS_NAME, "/org/freedesktop/portal/desktop",
                      "org.example.FakePortal.Test.Configure",
                      "uint32:%d" % (self.node if node is None else node), "string:" + mode)

    def dialogs(self):
        reply = self.bus_call(FAKE_BUS_NAME, "/org/freedesktop/portal/desktop",
                              "org.example.FakePortal.Test.Dialogs")
        return int(reply.split()[-1])

    def selected_options(self):
        reply = self.bus_call(FAKE_BUS_NAME, "/org/freedesktop/portal/desktop",
                              "org.example.FakePortal.Test.Selected")
        # dbus-send prints the string between quotes without escaping the ones inside it.
        text = reply.split("string ", 1)[1].strip()
        return json.loads(text[1:-1])

    def wait_for_open_dialog(self, timeout=60):
        wait_until(lambda: "the dialog stays open" in self.log("fake-backend"), timeout,
                   "the portal's dialog")

    def stop_portal(self):
        """Ends the portal front end, as when it crashes."""
        os.killpg(self.portal_process.pid, signal.SIGKILL)
        self.portal_process.wait(timeout=10)

    def log(self, name):
        with open(os.path.join(self.tmp.name, name + ".log"), "rb") as f:
            return f.read().decode(errors="replace")

    # --- tear-down --------------------------------------------------------------------------
    def __exit__(self, *exc):
        for process in reversed(self.processes):
            if process.poll() is None:
                try:
                    os.killpg(process.pid, signal.SIGTERM)
                except ProcessLookupError:
                    pass
        deadline = time.monotonic() + 10
        for process in reversed(self.processes):
            try:
                process.wait(timeout=max(0.1, deadline - time.monotonic()))
            except subprocess.TimeoutExpired:
                try:
                    os.killpg(process.pid, signal.SIGKILL)
                except ProcessLookupError:
                    pass
                process.wait(timeout=5)
        self.processes = []
        if self.tmp is not None:
            self.tmp.cleanup()
            self.tmp = None
