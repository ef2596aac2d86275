"""The picker covers the whole monitor under real window managers with a panel or a bar."""

import os
import subprocess
import time
import unittest

import harness

WIDTH, HEIGHT = 1280, 800
WINDOW_TITLE = "Call from screen"

I3_CONFIG = """\
# i3 config file (v4)
font pango:DejaVu Sans Mono 8
bar {
    position top
    status_command true
}
"""


def wait_for(predicate, timeout=20.0):
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        value = predicate()
        if value:
            return value
        time.sleep(0.1)
    return None


class WindowManagerCase(unittest.TestCase):
    """Starts an X server, a window manager and its panel, then the demo picker."""

    def start(self, *commands):
        self.server = harness.XServer(WIDTH, HEIGHT).__enter__()
        self.addCleanup(self.server.__exit__, None, None, None)
        for command in commands:
            process = subprocess.Popen(command, env=self.server.env(HOME=self.home.name),
                                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
            self.addCleanup(harness.stop, process)

    def setUp(self):
        self.home = harness.temp_dir()
        self.addCleanup(self.home.cleanup)

    def panel_is_up(self, name):
        found = self.server.run("xdotool", "search", "--class", name, check=False)
        return found.returncode == 0 and found.stdout.strip()

    def picker_geometry(self):
        program = harness.RunningProgram([harness.program(), "--demo"], self.server.env())
        self.addCleanup(program.kill)
        status = program.read_status()
        self.assertEqual(status, {"status": "showing"})
        window = wait_for(lambda: self.server.run("xdotool", "search", "--onlyvisible", "--name",
                                                  WINDOW_TITLE, check=False).stdout.split())
        self.assertTrue(window, "the picker was never mapped")
        shown = {}

        def settled():
            # The window manager may move the window once more after mapping it.
            described = self.server.run("xdotool", "getwindowgeometry", "--shell", window[0],
                                        check=False).stdout
            values = dict(line.split("=", 1) for line in described.split() if "=" in line)
            geometry = tuple(int(values.get(k, -1)) for k in ("X", "Y", "WIDTH", "HEIGHT"))
            shown["geometry"] = geometry
            return geometry == (0, 0, WIDTH, HEIGHT)

        wait_for(settled, timeout=10)
        state = self.server.run("xprop", "-id", window[0], "_NET_WM_STATE").stdout
        if os.environ.get("VV_SCREENSHOT_DIR"):
            self.server.screenshot(os.path.join(os.environ["VV_SCREENSHOT_DIR"],
                                                self.id().split(".")[-1] + ".png"))
        return shown["geometry"], state

    def test_a_tiling_window_manager_with_a_bar_gives_the_picker_the_whole_monitor(self):
        harness.need_tools("i3", "i3bar")
        config = os.path.join(self.home.name, "i3.conf")
        with open(config, "w") as f:
            f.write(I3_CONFIG)
        self.start(["i3", "-c", config])
        self.assertTrue(wait_for(lambda: self.panel_is_up("i3bar")), "i3bar did not start")
        geometry, state = self.picker_geometry()
        self.assertEqual(geometry, (0, 0, WIDTH, HEIGHT))
        self.assertIn("_NET_WM_STATE_FULLSCREEN", state)

    def test_a_stacking_window_manager_with_a_panel_gives_the_picker_the_whole_monitor(self):
        harness.need_tools("openbox", "tint2")
        self.start(["openbox", "--sm-disable"], ["tint2"])
        self.assertTrue(wait_for(lambda: self.panel_is_up("tint2")), "tint2 did not start")
        geometry, state = self.picker_geometry()
        self.assertEqual(geometry, (0, 0, WIDTH, HEIGHT))
        self.assertIn("_NET_WM_STATE_FULLSCREEN", state)
        self.assertIn("_NET_WM_STATE_ABOVE", state)


if __name__ == "__main__":
    unittest.main()
