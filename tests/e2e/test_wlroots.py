"""The wlroots back end on a headless sway: each output captured in its colour at the asked size,
the output under the pointer found without anything showing, no file touched; and a compositor
without screencopy (weston) ending a run with "failed"."""

import os
import re
import subprocess
import tempfile
import time
import unittest

import harness
import sway_harness
from sway_harness import OUTPUTS, OUTPUT_SIZE


def check(sway, *args, timeout=30):
    """Runs the back end's check tool under the sway; returns its stdout lines and stderr."""
    done = subprocess.run([sway_harness.tool("wlroots_check"), *args], env=sway.env(),
                          capture_output=True, text=True, timeout=timeout)
    return done.stdout.splitlines(), done.stderr


class WlrootsBackEnd(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        sway_harness.need_sway()
        cls.sway = sway_harness.Sway()
        cls.sway.__enter__()

    @classmethod
    def tearDownClass(cls):
        cls.sway.__exit__(None, None, None)

    def test_the_back_end_is_offered_and_lists_the_outputs_by_name(self):
        self.assertEqual(check(self.sway, "probe"), (["wlroots"], ""))
        lines, err = check(self.sway, "outputs")
        self.assertEqual(err, "")
        listed = {fields[1]: tuple(map(int, fields[2:])) for fields in map(str.split, lines)}
        self.assertEqual(listed, {name: (x, 0) + OUTPUT_SIZE for name, (x, _) in OUTPUTS.items()})

    def test_each_output_is_captured_in_its_colour_at_exactly_the_asked_size(self):
        for name, (_, colour) in OUTPUTS.items():
            for size in (OUTPUT_SIZE, (1280, 720), (333, 201)):
                with self.subTest(output=name, size=size):
                    lines, err = check(self.sway, "capture", name, str(size[0]), str(size[1]))
                    self.assertEqual(err, "")
                    self.assertEqual(lines, [f"{size[0]} {size[1]} {colour} {colour} {colour}"])

    def test_an_output_that_is_not_there_fails_without_a_word_on_stderr(self):
        self.assertEqual(check(self.sway, "capture", "HEADLESS-9", "100", "100"),
                         (["failed"], ""))

    def test_the_output_under_the_pointer_is_named(self):
        for name, (x, _) in list(OUTPUTS.items()) * 2:
            with self.subTest(output=name):
                self.sway.move_pointer(x + 700, 300)
                self.assertEqual(check(self.sway, "pointer"), ([name], ""))

    def test_the_pointer_probe_shows_nothing(self):
        # A capture taken while the probe's surfaces are mapped sees only the background.
        name, (x, colour) = next(iter(OUTPUTS.items()))
        self.sway.move_pointer(x + 50, 50)
        probes = [subprocess.Popen([sway_harness.tool("wlroots_check"), "pointer"],
                                   env=self.sway.env(), stdout=subprocess.DEVNULL,
                                   stderr=subprocess.DEVNULL) for _ in range(5)]
        try:
            for _ in range(5):
                self.assertEqual(self.sway.output_centre(name), colour)
        finally:
            for probe in probes:
                probe.wait(timeout=30)

    def test_a_capture_creates_and_writes_no_file(self):
        harness.need_tools("strace")
        done = subprocess.run(
            ["strace", "-f", "-qq", "-e", "trace=openat,creat,rename,renameat,renameat2,unlink,"
             "unlinkat,memfd_create,mkdir", "-o", "/dev/stderr",
             sway_harness.tool("wlroots_check"), "capture", "HEADLESS-2", "1920", "1080"],
            env=self.sway.env(), capture_output=True, text=True, timeout=60)
        self.assertEqual(done.stdout.split()[:2], ["1920", "1080"])
        calls = done.stderr.splitlines()
        writes = [c for c in calls if re.search(r"O_WRONLY|O_RDWR|O_CREAT|O_TRUNC", c)
                  or re.search(r"\b(creat|rename\w*|unlink\w*|mkdir)\(", c)]
        self.assertEqual(writes, [])
        self.assertTrue(any("memfd_create" in c for c in calls))


class CompositorWithoutScreencopy(unittest.TestCase):
    """weston offers no screencopy: nothing is captured and the run says "failed"."""

    def setUp(self):
        harness.need_tools("weston")
        self.temp = tempfile.TemporaryDirectory(prefix="vv-weston-")
        self.addCleanup(self.temp.cleanup)
        os.chmod(self.temp.name, 0o700)
        self.socket = "vv-weston-%d" % os.getpid()
        self.weston = subprocess.Popen(
            ["weston", "--backend=headless-backend.so", "--use-pixman", "--socket=" + self.socket,
             "--width=1920", "--height=1080", "--idle-time=0"],
            env=harness.clean_env(XDG_RUNTIME_DIR=self.temp.name), stdout=subprocess.DEVNULL,
            stderr=subprocess.DEVNULL)
        self.addCleanup(self._stop)
        deadline = time.monotonic() + 20
        while not os.path.exists(os.path.join(self.temp.name, self.socket)):
            if time.monotonic() > deadline or self.weston.poll() is not None:
                self.fail("weston did not start")
            time.sleep(0.05)

    def _stop(self):
        if self.weston.poll() is None:
            self.weston.terminate()
            try:
                self.weston.wait(timeout=10)
            except subprocess.TimeoutExpired:
                self.weston.kill()
                self.weston.wait(timeout=10)

    def env(self):
        return harness.clean_env(XDG_RUNTIME_DIR=self.temp.name, WAYLAND_DISPLAY=self.socket)

    def test_the_back_end_is_unavailable(self):
        done = subprocess.run([sway_harness.tool("wlroots_check"), "probe"], env=self.env(),
                              capture_output=True, text=True, timeout=30)
        self.assertEqual((done.stdout, done.stderr), ("unavailable\n", ""))


if __name__ == "__main__":
    unittest.main()
