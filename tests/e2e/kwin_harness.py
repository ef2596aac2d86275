"""KWin's virtual back end on a private session bus, for the KDE end-to-end tests."""

import ctypes
import os
import shutil
import signal
import subprocess
import time

import harness

SCREENSHOT_INTERFACE = "org.kde.KWin.ScreenShot2"

BUS_CONFIG = """<!DOCTYPE busconfig PUBLIC "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
  <type>session</type>
  <listen>unix:dir={dir}</listen>
  <auth>EXTERNAL</auth>
  <policy context="default">
    <allow send_destination="*" eavesdrop="true"/>
    <allow eavesdrop="true"/>
    <allow own="*"/>
  </policy>
</busconfig>
"""


def desktop_entry(executable):
    """A desktop file that lets `executable` use KWin's screenshot interface."""
    return ("[Desktop Entry]\nType=Application\nName=KWin test client\n"
            f"Exec={executable}\nNoDisplay=true\n"
            f"X-KDE-DBUS-Restricted-Interfaces={SCREENSHOT_INTERFACE}\n")


def die_with_parent():
    """Run in the child before exec: the kernel kills it when the test process dies, also when a
    timeout kills the test before its cleanup could run."""
    pr_set_pdeathsig = 1
    ctypes.CDLL(None, use_errno=True).prctl(pr_set_pdeathsig, signal.SIGKILL)


def stop(process, timeout=10):
    """Ends a process this harness started and its process group, and reaps it."""
    if process is None or process.poll() is not None:
        return
    try:
        os.killpg(process.pid, signal.SIGTERM)
    except ProcessLookupError:
        return
    try:
        process.wait(timeout=timeout)
    except subprocess.TimeoutExpired:
        os.killpg(process.pid, signal.SIGKILL)
        process.wait(timeout=timeout)


class KWinSession:
    """kwin_wayland --virtual with `outputs` outputs of width x height, software rendering, and a
    session bus of its own. `authorised` executables get a desktop file granting them KWin's
    screenshot interface, written before KWin starts. KWin's active output follows the active
    window instead of the pointer (`ActiveMouseScreen=false`): a virtual session has no pointer
    that a test could move, and a window can be activated."""

    _runs = 0

    def __init__(self, width=1280, height=720, outputs=2, authorised=()):
        self.width, self.height, self.outputs = width, height, outputs
        self.authorised = list(authorised)
        self.bus = self.kwin = None
        self._dir = None

    def __enter__(self):
        harness.need_tools("kwin_wayland", "dbus-daemon", "dbus-send")
        self._dir = harness.temp_dir()
        try:
            self._start()
        except BaseException:
            self.__exit__(None, None, None)
            raise
        return self

    def _start(self):
        root = self._dir.name
        self.runtime_dir = self._mkdir("runtime")
        os.chmod(self.runtime_dir, 0o700)
        applications = self._mkdir("data/applications")
        for number, executable in enumerate(self.authorised):
            self._write(os.path.join(applications, f"vv-kwin-test-{number}.desktop"),
                        desktop_entry(executable))
        self._write(os.path.join(self._mkdir("config"), "kwinrc"),
                    "[Windows]\nActiveMouseScreen=false\n")
        self._write(os.path.join(root, "bus.conf"), BUS_CONFIG.format(dir=self._mkdir("bus")))
        self.bus = subprocess.Popen(
            ["dbus-daemon", "--config-file", os.path.join(root, "bus.conf"), "--nofork",
             "--print-address=1"],
            stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, start_new_session=True,
            preexec_fn=die_with_parent)
        self.bus_address = self.bus.stdout.readline().decode().strip()
        if not self.bus_address:
            raise RuntimeError("the session bus did not start")
        # The packaged binary carries a file capability that fails to exec where the bounding
        # set lacks it; a plain copy carries none.
        kwin = os.path.join(root, "kwin_wayland")
        shutil.copy(shutil.which("kwin_wayland"), kwin)
        # A socket name is never reused: KWin was seen to exit early on a name just freed.
        KWinSession._runs += 1
        self.socket = f"vv-kwin-{os.getpid()}-{KWinSession._runs}"
        self.kwin = subprocess.Popen(
            [kwin, "--virtual", "--output-count", str(self.outputs), "--width", str(self.width),
             "--height", str(self.height), "--socket", self.socket],
            env=self._base_env(LIBGL_ALWAYS_SOFTWARE="1"), stdout=subprocess.DEVNULL,
            stderr=subprocess.DEVNULL, start_new_session=True, preexec_fn=die_with_parent)
        self._wait_for_screenshot_interface(timeout=60)

    def __exit__(self, *exc):
        stop(self.kwin)
        stop(self.bus)
        if self.bus is not None:
            self.bus.stdout.close()
        if self._dir is not None:
            self._dir.cleanup()

    def _mkdir(self, relative):
        path = os.path.join(self._dir.name, relative)
        os.makedirs(path, exist_ok=True)
        return path

    @staticmethod
    def _write(path, text):
        with open(path, "w", encoding="utf-8") as f:
            f.write(text)

    def _base_env(self, **extra):
        root = self._dir.name
        return harness.clean_env(
            HOME=root, XDG_RUNTIME_DIR=self.runtime_dir, DBUS_SESSION_BUS_ADDRESS=self.bus_address,
            XDG_DATA_HOME=os.path.join(root, "data"), XDG_CONFIG_HOME=os.path.join(root, "config"),
            XDG_CACHE_HOME=os.path.join(root, "cache"),
            XDG_DATA_DIRS="/usr/local/share:/usr/share", **extra)

    def env(self, **extra):
        """The environment of a client of this session."""
        return self._base_env(WAYLAND_DISPLAY=self.socket, **extra)

    def path(self, relative):
        return os.path.join(self._dir.name, relative)

    def _wait_for_screenshot_interface(self, timeout):
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            if self.kwin.poll() is not None:
                raise RuntimeError(f"KWin exited with {self.kwin.returncode}")
            socket_ready = os.path.exists(os.path.join(self.runtime_dir, self.socket))
            if socket_ready and SCREENSHOT_INTERFACE in self._introspect():
                return
            time.sleep(0.1)
        raise RuntimeError("KWin's screenshot interface did not appear")

    def _introspect(self):
        done = subprocess.run(
            ["dbus-send", "--session", "--print-reply", "--dest=org.kde.KWin",
             "/org/kde/KWin/ScreenShot2", "org.freedesktop.DBus.Introspectable.Introspect"],
            env=self._base_env(), capture_output=True, text=True, timeout=10)
        return done.stdout

    def active_output(self):
        done = subprocess.run(
            ["dbus-send", "--session", "--print-reply=literal", "--dest=org.kde.KWin", "/KWin",
             "org.kde.KWin.activeOutputName"],
            env=self._base_env(), capture_output=True, text=True, timeout=10)
        return done.stdout.strip()


class Backdrop:
    """The test client's full-screen window of one colour or image on one output, until the end
    of the `with` block."""

    def __init__(self, session, client, screen, content):
        self.program = harness.RunningProgram([client, "show", screen, content],
                                              session.env(QT_QPA_PLATFORM="wayland"))

    def __enter__(self):
        try:
            if self.program.read_status(timeout=30) != {"shown": True}:
                raise RuntimeError("the backdrop was not drawn")
        except BaseException:
            self.program.kill()
            raise
        return self

    def __exit__(self, *exc):
        self.program.kill()
