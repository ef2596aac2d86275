"""A headless sway for end-to-end tests: two outputs side by side with solid backgrounds of known
colours, a pointer device placed through a virtual-pointer helper, and a keyboard kept alive.

sway refuses to run as root, so it runs as nobody with a runtime directory of its own; clients
running as root reach its socket by its full path and keep a runtime directory of their own, as
the toolkit wants one owned by its user (else it makes one under /tmp)."""

import glob
import json
import os
import pwd
import shutil
import signal
import subprocess
import tempfile
import time
import unittest

import harness

OUTPUT_SIZE = (1920, 1080)
# Output name -> (x position, background colour).
OUTPUTS = {"HEADLESS-1": (0, "#336699"), "HEADLESS-2": (1920, "#994422")}
LAYOUT_SIZE = (2 * OUTPUT_SIZE[0], OUTPUT_SIZE[1])


def tool(name):
    """A test tool built beside the program."""
    return os.path.join(harness.BIN_DIR, name)


def need_sway():
    harness.need_tools("sway", "swaybg", "swaymsg", "grim", "setpriv")
    if not os.path.isfile(tool("virtual_pointer")):
        raise unittest.SkipTest("virtual_pointer helper not built")


def _wait_for(predicate, timeout, what):
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        found = predicate()
        if found:
            return found
        time.sleep(0.05)
    raise RuntimeError("sway harness: timed out waiting for " + what)


class Sway:
    """sway headless with the outputs of OUTPUTS, started and ended by the context manager."""

    def __init__(self, extra_config=""):
        self.extra_config = extra_config
        self.process = None
        self.pointer = None
        self.keyboard = None
        self._temp = None
        self.runtime_dir = None
        self.client_runtime_dir = None
        self.wayland_display = None
        self.ipc_socket = None

    def __enter__(self):
        try:
            self._start()
        except BaseException:
            self.__exit__(None, None, None)
            raise
        return self

    def _start(self):
        self._temp = tempfile.TemporaryDirectory(prefix="vv-sway-")
        nobody = pwd.getpwnam("nobody")
        # The temporary directory is root's 0700: nobody needs to pass through it.
        os.chmod(self._temp.name, 0o711)
        self.runtime_dir = os.path.join(self._temp.name, "runtime")
        os.mkdir(self.runtime_dir, 0o700)
        os.chown(self.runtime_dir, nobody.pw_uid, nobody.pw_gid)
        self.client_runtime_dir = os.path.join(self._temp.name, "client-runtime")
        os.mkdir(self.client_runtime_dir, 0o700)
        config = os.path.join(self._temp.name, "config")
        with open(config, "w", encoding="utf-8") as f:
            for name, (x, colour) in OUTPUTS.items():
                f.write(f"output {name} resolution {OUTPUT_SIZE[0]}x{OUTPUT_SIZE[1]} "
                        f"position {x} 0 bg {colour} solid_color\n")
            f.write("default_border none\nfocus_follows_mouse yes\n")
            f.write(self.extra_config)
        os.chmod(config, 0o644)
        env = harness.clean_env(
            XDG_RUNTIME_DIR=self.runtime_dir, HOME=self.runtime_dir,
            WLR_BACKENDS="headless", WLR_RENDERER="pixman", WLR_LIBINPUT_NO_DEVICES="1",
            WLR_HEADLESS_OUTPUTS=str(len(OUTPUTS)))
        for key in ("SWAYSOCK", "I3SOCK"):
            env.pop(key, None)
        self.process = subprocess.Popen(
            ["setpriv", "--reuid=nobody", "--regid=nogroup", "--clear-groups",
             "sway", "-c", config],
            env=env, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
            stderr=subprocess.DEVNULL, start_new_session=True)

        def sockets():
            if self.process.poll() is not None:
                raise RuntimeError("sway exited at start")
            wayland = [p for p in glob.glob(os.path.join(self.runtime_dir, "wayland-*"))
                       if not p.endswith(".lock")]
            ipc = glob.glob(os.path.join(self.runtime_dir, "sway-ipc.*.sock"))
            return (wayland[0], ipc[0]) if wayland and ipc else None

        self.wayland_display, self.ipc_socket = _wait_for(sockets, 20, "sway's sockets")
        _wait_for(lambda: len(self.swaymsg("-t", "get_outputs")) == len(OUTPUTS), 20,
                  "sway's outputs")

        self.pointer = subprocess.Popen(
            [tool("virtual_pointer")], env=self.env(), stdin=subprocess.PIPE,
            stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True, bufsize=1)
        self._expect_ok()
        # A keyboard that exists before any key is sent: one created for a key can lose it.
        if shutil.which("wtype"):
            self.keyboard = subprocess.Popen(
                ["wtype", "-s", "600000"], env=self.env(), stdout=subprocess.DEVNULL,
                stderr=subprocess.DEVNULL)
        for name, (_, colour) in OUTPUTS.items():
            _wait_for(lambda n=name, c=colour: self.output_centre(n) == c, 20,
                      "the background of " + name)

    def __exit__(self, *exc):
        if self.pointer is not None:
            try:
                self.pointer.stdin.close()
            except OSError:
                pass
        harness.stop(self.pointer)
        if self.pointer is not None:
            self.pointer.stdout.close()
        harness.stop(self.keyboard)
        if self.process is not None and self.process.poll() is None:
            # sway's children (swaybg, clients it spawned) share its session.
            try:
                os.killpg(self.process.pid, signal.SIGTERM)
            except ProcessLookupError:
                pass
            try:
                self.process.wait(timeout=10)
            except subprocess.TimeoutExpired:
                os.killpg(self.process.pid, signal.SIGKILL)
                self.process.wait(timeout=10)
        if self._temp is not None:
            self._temp.cleanup()

    def env(self, **extra):
        """A client's environment: this sway's Wayland display and nothing of X11."""
        return harness.clean_env(XDG_RUNTIME_DIR=self.client_runtime_dir,
                                 WAYLAND_DISPLAY=self.wayland_display,
                                 SWAYSOCK=self.ipc_socket, **extra)

    def swaymsg(self, *args):
        done = subprocess.run(["swaymsg", "-s", self.ipc_socket, "-r", *args],
                              capture_output=True, text=True, timeout=20)
        try:
            return json.loads(done.stdout)
        except json.JSONDecodeError:
            return []

    def _expect_ok(self):
        line = self.pointer.stdout.readline()
        if line.strip() != "ok":
            raise RuntimeError("virtual pointer helper failed")

    def move_pointer(self, x, y):
        """Moves the pointer to (x, y) of the output layout."""
        self.pointer.stdin.write(f"move {x} {y} {LAYOUT_SIZE[0]} {LAYOUT_SIZE[1]}\n")
        self._expect_ok()

    def click(self):
        self.pointer.stdin.write("click\n")
        self._expect_ok()

    def grim_ppm(self, output):
        """The output's pixels as grim sees them: (width, height, RGB bytes)."""
        done = subprocess.run(["grim", "-t", "ppm", "-o", output, "-"], env=self.env(),
                              capture_output=True, timeout=20)
        if done.returncode != 0:
            return None
        data = done.stdout
        fields = []
        pos = 0
        while len(fields) < 4:
            while data[pos:pos + 1].isspace():
                pos += 1
            end = pos
            while not data[end:end + 1].isspace():
                end += 1
            fields.append(data[pos:end])
            pos = end
        pos += 1
        width, height = int(fields[1]), int(fields[2])
        return width, height, data[pos:pos + width * height * 3]

    def output_centre(self, output):
        shot = self.grim_ppm(output)
        if shot is None:
            return None
        width, height, rgb = shot
        i = ((height // 2) * width + width // 2) * 3
        return "#%02x%02x%02x" % tuple(rgb[i:i + 3])

    def screenshot(self, path, output=None):
        args = ["grim"] + (["-o", output] if output else []) + [path]
        subprocess.run(args, env=self.env(), check=True, capture_output=True, timeout=20)
