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
from test_capture import CORPUS_IMAGE, digits, frame_centre, truth


TRACED_CALLS = "openat,creat,rename,renameat,renameat2,unlink,unlinkat,memfd_create,mkdir"


def writes(calls):
    """The traced calls that may create, change or remove a file. The toolkit checks that its
    runtime directory exists by trying to make it: a mkdir that found it there changed nothing,
    and /dev/null is no file."""
    found = []
    for call in calls:
        if "/dev/null" in call or re.match(r"\d+\s+mkdir\(.*EEXIST", call):
            continue
        if (re.search(r"O_WRONLY|O_RDWR|O_CREAT|O_TRUNC", call)
                or re.search(r"\b(creat|rename\w*|unlink\w*|mkdir)\(", call)):
            found.append(call)
    return found


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
            ["strace", "-f", "-qq", "-e", "trace=" + TRACED_CALLS, "-o", "/dev/stderr",
             sway_harness.tool("wlroots_check"), "capture", "HEADLESS-2", "1920", "1080"],
            # A sanitizer build's leak check cannot run under a tracer; the tool exits normally.
            env=self.sway.env(ASAN_OPTIONS="detect_leaks=0"), capture_output=True, text=True,
            timeout=60)
        self.assertEqual(done.stdout.split()[:2], ["1920", "1080"])
        calls = done.stderr.splitlines()
        self.assertEqual(writes(calls), [])
        self.assertTrue(any("memfd_create" in c for c in calls))


def containing_output(tree, predicate):
    """The output name and the node of the first window in sway's tree that `predicate` accepts."""
    def walk(node, output):
        if node.get("type") == "output":
            output = node.get("name")
        if predicate(node):
            return output, node
        for child in node.get("nodes", []) + node.get("floating_nodes", []):
            found = walk(child, output)
            if found:
                return found
        return None
    return walk(tree, None) or (None, None)


class ProgramOnSway(unittest.TestCase):
    """The whole program on sway: a corpus image full screen on the second output, the pointer
    there; the picker covers that output and a click selects the number under it."""

    SECOND = "HEADLESS-2"

    @classmethod
    def setUpClass(cls):
        sway_harness.need_sway()
        harness.need_tools("swayimg")
        if not os.path.isfile(os.path.join(harness.CORPUS_DIR, CORPUS_IMAGE + ".png")):
            raise unittest.SkipTest("corpus not found")
        cls.truth = truth(CORPUS_IMAGE)

    def show_image_on_second_output(self, sway):
        x, background = OUTPUTS[self.SECOND]
        sway.move_pointer(x + OUTPUT_SIZE[0] // 2, OUTPUT_SIZE[1] // 2)
        sway.swaymsg("focus", "output", self.SECOND)
        viewer = subprocess.Popen(
            ["swayimg", "--fullscreen", "--scale=real",
             os.path.join(harness.CORPUS_DIR, CORPUS_IMAGE + ".png")],
            env=sway.env(), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        self.addCleanup(lambda: (viewer.kill(), viewer.wait(timeout=10)))
        deadline = time.monotonic() + 30
        while sway.output_centre(self.SECOND) in (None, background):
            self.assertLess(time.monotonic(), deadline, "the image did not show")
            time.sleep(0.1)
        # The viewer may draw in two steps; the picture must be whole before the capture.
        time.sleep(0.3)

    def click_until_a_line(self, sway, program, point):
        for _ in range(10):
            sway.move_pointer(*point)
            sway.click()
            status = program.read_status(timeout=1.0)
            if status is not None:
                return status
        return None

    def test_escape_on_the_picker_cancels(self):
        harness.need_tools("wtype")
        with sway_harness.Sway() as sway:
            self.show_image_on_second_output(sway)
            program = harness.RunningProgram([harness.program()], sway.env())
            self.addCleanup(program.kill)
            self.assertEqual(program.read_status(timeout=90)["status"], "ready")
            self.assertEqual(program.read_status(timeout=30), {"status": "showing"})
            status = None
            for _ in range(10):
                subprocess.run(["wtype", "-k", "Escape"], env=sway.env(), timeout=20,
                               capture_output=True)
                status = program.read_status(timeout=1.0)
                if status is not None:
                    break
            self.assertEqual(status, {"status": "cancelled"})
            self.assertEqual(program.finish(), (0, b"", b""))

    def test_the_compositor_going_away_under_the_picker_fails_the_run(self):
        with sway_harness.Sway() as sway:
            self.show_image_on_second_output(sway)
            program = harness.RunningProgram([harness.program()], sway.env())
            self.addCleanup(program.kill)
            self.assertEqual(program.read_status(timeout=90)["status"], "ready")
            self.assertEqual(program.read_status(timeout=30), {"status": "showing"})
            sway.process.kill()
            self.assertEqual(program.read_status(timeout=30), {"status": "failed"})
            self.assertEqual(program.finish(), (0, b"", b""))

    def test_a_whole_run_creates_and_writes_no_file(self):
        harness.need_tools("strace", "wtype")
        with sway_harness.Sway() as sway, tempfile.TemporaryDirectory(prefix="vv-trace-") as d:
            self.show_image_on_second_output(sway)
            trace = os.path.join(d, "trace")
            program = harness.RunningProgram(
                ["strace", "-f", "-qq", "-e", "trace=" + TRACED_CALLS, "-o", trace,
                 harness.program()], sway.env())
            self.addCleanup(program.kill)
            self.assertEqual(program.read_status(timeout=120)["status"], "ready")
            self.assertEqual(program.read_status(timeout=30), {"status": "showing"})
            for _ in range(10):
                subprocess.run(["wtype", "-k", "Escape"], env=sway.env(), timeout=20,
                               capture_output=True)
                if program.read_status(timeout=1.0) is not None:
                    break
            self.assertEqual(program.finish(), (0, b"", b""))
            with open(trace, encoding="utf-8", errors="replace") as f:
                calls = f.read().splitlines()
        self.assertEqual(writes(calls), [])
        self.assertTrue(any("memfd_create" in c for c in calls))

    def test_a_number_on_the_pointer_output_is_found_shown_full_screen_there_and_selected(self):
        expected = self.truth["numbers"][0]
        with sway_harness.Sway() as sway:
            self.show_image_on_second_output(sway)
            program = harness.RunningProgram([harness.program()], sway.env())
            self.addCleanup(program.kill)

            ready = program.read_status(timeout=90)
            self.assertEqual(ready["status"], "ready")
            self.assertGreaterEqual(ready["count"], len(self.truth["numbers"]))
            self.assertEqual(program.read_status(timeout=30), {"status": "showing"})

            def picker_on_output():
                output, node = containing_output(
                    sway.swaymsg("-t", "get_tree"), lambda n: n.get("pid") == program.process.pid)
                if node and node.get("fullscreen_mode") == 1 and node.get("visible"):
                    return output, node["rect"]
                return None
            deadline = time.monotonic() + 20
            placed = picker_on_output()
            while placed is None and time.monotonic() < deadline:
                time.sleep(0.1)
                placed = picker_on_output()
            self.assertIsNotNone(placed, "the picker is not full screen")
            output, rect = placed
            self.assertEqual(output, self.SECOND)
            x = OUTPUTS[self.SECOND][0]
            self.assertEqual((rect["x"], rect["y"], rect["width"], rect["height"]),
                             (x, 0) + OUTPUT_SIZE)

            point = frame_centre(expected["box"], (x, 0) + OUTPUT_SIZE, OUTPUT_SIZE)
            selected = self.click_until_a_line(sway, program, point)
            self.assertIsNotNone(selected)
            self.assertEqual(selected["status"], "selected")
            self.assertEqual(digits(selected["number"]), digits(expected["digits"]))
            status, rest, err = program.finish()
            self.assertEqual((status, rest, err), (0, b"", b""))


class CompositorAnsweringBadly(unittest.TestCase):
    """A capture against the test compositor's bad answers ends with one line, "failed" or, for
    a refusal, "permission", and nothing on stderr (libwayland's own messages included)."""

    def capture_line(self, mode):
        with tempfile.TemporaryDirectory(prefix="vv-fake-") as runtime:
            fake = subprocess.Popen([sway_harness.tool("fake_screencopy"), mode, "fake-0"],
                                    env=harness.clean_env(XDG_RUNTIME_DIR=runtime),
                                    stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True)
            try:
                self.assertEqual(fake.stdout.readline(), "ready\n")
                done = subprocess.run(
                    [sway_harness.tool("wlroots_check"), "capture", "FAKE-1", "120", "80"],
                    env=harness.clean_env(XDG_RUNTIME_DIR=runtime, WAYLAND_DISPLAY="fake-0"),
                    capture_output=True, text=True, timeout=30)
                return done.stdout, done.stderr
            finally:
                harness.stop(fake)
                fake.stdout.close()

    def test_each_bad_answer_ends_with_one_line_and_a_silent_stderr(self):
        if not os.path.isfile(sway_harness.tool("fake_screencopy")):
            self.skipTest("fake_screencopy not built")
        for mode, line in (("rgb565", "failed"), ("empty", "failed"), ("vanish", "failed"),
                           ("refuse", "permission")):
            with self.subTest(mode=mode):
                self.assertEqual(self.capture_line(mode), (line + "\n", ""))


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

    def test_a_run_ends_with_failed_and_nothing_else(self):
        program = harness.RunningProgram([harness.program()], self.env())
        self.addCleanup(program.kill)
        self.assertEqual(program.read_status(timeout=60), {"status": "failed"})
        status, rest, err = program.finish()
        self.assertEqual((status, rest, err), (0, b"", b""))


if __name__ == "__main__":
    unittest.main()
