"""Whatever the environment does, a run ends with one terminal line and exit status 0, writes
nothing on standard error, creates no file and leaves no process behind: closed standard streams,
a display that goes away, stop signals, no session bus, no runtime directory."""

import os
import re
import signal
import subprocess
import time
import unittest
import uuid

import harness

TERMINAL = {"selected", "cancelled", "empty", "failed", "permission", "self-test-passed"}
WINDOW_TITLE = "Call from screen"


def marked_env(env):
    """The environment with a variable of its own, which every process started from it inherits
    (a session bus daemon included): finds what a run left behind."""
    marker = uuid.uuid4().hex
    return dict(env, VV_TEST_RUN=marker), marker


def processes_marked(marker):
    needle = ("VV_TEST_RUN=" + marker).encode()
    found = []
    for pid in filter(str.isdigit, os.listdir("/proc")):
        try:
            with open(f"/proc/{pid}/environ", "rb") as f:
                if needle in f.read().split(b"\0"):
                    found.append(int(pid))
        except OSError:
            continue
    return found


def kill_marked(marker):
    for pid in processes_marked(marker):
        try:
            os.kill(pid, signal.SIGKILL)
        except OSError:
            pass


def catches(pid, signum):
    """Whether the process has a handler for the signal (its SigCgt mask)."""
    try:
        with open(f"/proc/{pid}/status", encoding="ascii") as f:
            for line in f:
                if line.startswith("SigCgt:"):
                    return bool(int(line.split()[1], 16) >> (signum - 1) & 1)
    except OSError:
        pass
    return False


def files_under(directory):
    return sorted(os.path.relpath(os.path.join(root, name), directory)
                  for root, dirs, files in os.walk(directory) for name in dirs + files)


class Run:
    """The program under a private X server, its output collected."""

    def __init__(self, test, x, *args, env=None):
        self.env, self.marker = marked_env(env or x.env())
        test.addCleanup(kill_marked, self.marker)
        self.program = harness.RunningProgram([harness.program(), *args], self.env)
        test.addCleanup(self.program.kill)

    def statuses(self, timeout=60):
        """Every status up to the end of the output."""
        words = []
        while True:
            status = self.program.read_status(timeout)
            if status is None:
                return words
            words.append(status["status"])

    def end(self):
        code, rest, err = self.program.finish(timeout=60)
        return code, rest, err


def wait_for_picker(x):
    x.run("xdotool", "search", "--sync", "--onlyvisible", "--name", WINDOW_TITLE)


class ClosedStandardStreams(unittest.TestCase):
    def setUp(self):
        harness.need_tools("Xvfb", "xdotool", "xsetroot")

    def run_closed(self, x, shell_redirections, *args):
        command = 'exec "$0" "$@" ' + shell_redirections
        return subprocess.Popen(["sh", "-c", command, harness.program(), *args], env=x.env(),
                                stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                                stderr=subprocess.PIPE)

    def test_demo_with_standard_output_closed_runs_and_ends_when_dismissed(self):
        with harness.XServer() as x:
            process = self.run_closed(x, ">&-", "--demo")
            self.addCleanup(process.kill)
            wait_for_picker(x)
            x.xdotool("key", "Escape")
            _, err = process.communicate(timeout=20)
            self.assertEqual((process.returncode, err), (0, b""))

    def test_every_road_with_all_three_streams_closed_ends_normally(self):
        with harness.XServer() as x:
            x.run("xsetroot", "-solid", "#2b4a6f")
            for args in (["--self-test"], ["--watch"], []):
                with self.subTest(args=args):
                    process = self.run_closed(x, "<&- >&- 2>&-", *args)
                    self.addCleanup(process.kill)
                    process.communicate(timeout=90)
                    self.assertEqual(process.returncode, 0)


class LostDisplay(unittest.TestCase):
    def setUp(self):
        harness.need_tools("Xvfb", "xdotool", "convert", "display")

    def assert_failed_once(self, run):
        words = run.statuses(timeout=60)
        self.assertTrue(words, "no line at all")
        self.assertEqual(words[-1], "failed", words)
        self.assertEqual([w for w in words if w in TERMINAL], ["failed"])
        code, rest, err = run.end()
        self.assertEqual((code, rest, err), (0, b"", b""))

    def test_the_server_going_away_under_the_picker_fails_the_run(self):
        x = harness.XServer().__enter__()
        self.addCleanup(x.__exit__, None, None, None)
        run = Run(self, x, "--demo")
        self.assertEqual(run.program.read_status(60), {"status": "showing"})
        wait_for_picker(x)
        x.__exit__(None, None, None)
        self.assert_failed_once(run)

    def test_the_server_going_away_during_capture_or_recognition_fails_the_run(self):
        # While the toolkit connects, while the snapshot is taken and while it is recognised.
        for delay in (0.05, 0.2, 0.3, 0.4, 1.2):
            with self.subTest(delay=delay), harness.temp_dir() as scratch:
                x = harness.XServer().__enter__()
                self.addCleanup(x.__exit__, None, None, None)
                page = os.path.join(scratch, "page.png")
                x.run("convert", "-size", "1920x1080", "xc:white", "-font", "DejaVu-Sans",
                      "-pointsize", "30", "-annotate", "+200+300", "Call +1 (415) 555-0142",
                      page)
                x.run("display", "-window", "root", page, check=False)
                run = Run(self, x)
                time.sleep(delay)
                x.__exit__(None, None, None)
                self.assert_failed_once(run)


class StopSignals(unittest.TestCase):
    def setUp(self):
        harness.need_tools("Xvfb", "xdotool")

    def expect_cancelled(self, run):
        words = run.statuses(timeout=30)
        self.assertEqual([w for w in words if w in TERMINAL], ["cancelled"])
        code, rest, err = run.end()
        self.assertEqual((code, rest, err), (0, b"", b""))

    def test_a_stop_signal_dismisses_the_picker(self):
        for signum in (signal.SIGTERM, signal.SIGINT, signal.SIGHUP):
            with self.subTest(signal=signum.name), harness.XServer() as x:
                run = Run(self, x, "--demo")
                self.assertEqual(run.program.read_status(60), {"status": "showing"})
                wait_for_picker(x)
                run.program.process.send_signal(signum)
                self.expect_cancelled(run)

    def test_a_stop_signal_before_the_picker_cancels_the_run(self):
        for args in (["--demo"], []):
            for signum in (signal.SIGTERM, signal.SIGINT, signal.SIGHUP):
                with self.subTest(args=args, signal=signum.name), harness.XServer() as x:
                    run = Run(self, x, *args)
                    pid = run.program.process.pid
                    deadline = time.monotonic() + 10
                    while not catches(pid, signum) and time.monotonic() < deadline:
                        time.sleep(0.001)
                    run.program.process.send_signal(signum)
                    self.expect_cancelled(run)
                    self.assertNotIn("showing", run.program.lines[0])


class NothingLeftBehind(unittest.TestCase):
    def setUp(self):
        harness.need_tools("Xvfb")

    def test_without_a_session_bus_none_is_started_and_home_stays_empty(self):
        with harness.XServer() as x, harness.temp_dir() as home:
            env = {k: v for k, v in x.env(HOME=home).items() if k != "DBUS_SESSION_BUS_ADDRESS"}
            env, marker = marked_env(env)
            self.addCleanup(kill_marked, marker)
            code, out, err = harness.run_to_end([harness.program(), "--self-test"], env)
            self.assertEqual((code, out, err), (0, b'{"status":"self-test-passed"}\n', b""))
            time.sleep(0.5)  # a daemon started on the way out would show up by now
            self.assertEqual(processes_marked(marker), [])
            self.assertEqual(files_under(home), [])

    def test_without_a_runtime_directory_the_temporary_directory_stays_empty(self):
        with harness.XServer() as x, harness.temp_dir() as scratch:
            env = {k: v for k, v in x.env(TMPDIR=scratch).items() if k != "XDG_RUNTIME_DIR"}
            code, out, err = harness.run_to_end([harness.program(), "--self-test"], env)
            self.assertEqual((code, out, err), (0, b'{"status":"self-test-passed"}\n', b""))
            self.assertEqual(files_under(scratch), [])


class Screens(unittest.TestCase):
    """Capture on the servers VNC and large monitors give: shallow pixels, very many pixels."""

    def setUp(self):
        harness.need_tools("Xvfb", "xdotool", "convert", "display")

    def show_number(self, x, scratch):
        page = os.path.join(scratch, "page.png")
        x.run("convert", "-size", f"{x.width}x{x.height}", "xc:white", "-font", "DejaVu-Sans",
              "-pointsize", str(x.height // 30), "-annotate", f"+{x.width // 8}+{x.height // 4}",
              "Call +1 (415) 555-0142", page)
        x.run("display", "-window", "root", page, check=False)

    def test_16_and_15_bit_servers_are_captured(self):
        for depth in (16, 15):
            with self.subTest(depth=depth), harness.XServer(depth=depth) as x, \
                    harness.temp_dir() as scratch:
                self.show_number(x, scratch)
                run = Run(self, x)
                self.assertEqual(run.program.read_status(90), {"status": "ready", "count": 1})
                self.assertEqual(run.program.read_status(30), {"status": "showing"})
                wait_for_picker(x)
                x.xdotool("key", "Escape")
                self.assertEqual(run.statuses(), ["cancelled"])
                self.assertEqual(run.end(), (0, b"", b""))

    def test_an_8k_screen_is_captured_and_shown(self):
        # Its peak memory is a target of bench/launch-latency, not of this test.
        with harness.XServer(7680, 4320) as x, harness.temp_dir() as scratch:
            self.show_number(x, scratch)
            env, marker = marked_env(x.env())
            self.addCleanup(kill_marked, marker)
            process = subprocess.Popen([harness.program()], env=env,
                                       stdout=subprocess.PIPE, stderr=subprocess.PIPE)
            self.addCleanup(process.kill)
            self.assertEqual(process.stdout.readline(), b'{"status":"ready","count":1}\n')
            self.assertEqual(process.stdout.readline(), b'{"status":"showing"}\n')
            wait_for_picker(x)
            time.sleep(1)  # the picker paints at full size
            x.xdotool("key", "Escape")
            out, err = process.communicate(timeout=60)
            self.assertEqual((out, err), (b'{"status":"cancelled"}\n', b""))


# System calls that change the file system when they succeed; opening for writing counts too,
# except for devices (/dev/null, the terminal).
CHANGES = re.compile(r"^\d+ +(creat|mkdir|mkdirat|unlink|unlinkat|rename|renameat2?|link|linkat|"
                     r"symlink|symlinkat|truncate|ftruncate)\(")
OPEN_FOR_WRITING = re.compile(r'^\d+ +open(at)?\((AT_FDCWD, )?"(?P<path>[^"]*)", '
                              r"(?P<flags>[A-Z_|]*)")
FILE_BIND = re.compile(r'^\d+ +bind\(.*sun_path="[^@]')


def trace_violations(trace):
    """The lines of an strace log that changed the file system or started another program."""
    found = []
    executions = 0
    for line in trace.splitlines():
        if re.search(r"= -1 ", line):
            continue
        if " execve(" in line:
            executions += 1
            if executions > 1:
                found.append(line)
        elif CHANGES.match(line) or FILE_BIND.match(line):
            found.append(line)
        else:
            opened = OPEN_FOR_WRITING.match(line)
            if opened and re.search(r"O_WRONLY|O_RDWR|O_CREAT|O_TRUNC", opened["flags"]) \
                    and not opened["path"].startswith("/dev/"):
                found.append(line)
    return found


class TracedRoads(unittest.TestCase):
    """Every road under strace -f: no file created or written, no other program started, no
    process left when the run has ended."""

    def setUp(self):
        harness.need_tools("Xvfb", "strace", "xdotool", "xsetroot")

    def traced(self, x, scratch, *args, during=None):
        log = os.path.join(scratch, "trace")
        env, marker = marked_env(x.env(HOME=os.path.join(scratch, "home")))
        os.mkdir(env["HOME"])
        self.addCleanup(kill_marked, marker)
        process = harness.RunningProgram(
            ["strace", "-f", "-qq", "-o", log, "-e",
             "trace=%file,%process,bind,ftruncate", harness.program(), *args], env)
        self.addCleanup(process.kill)
        if during:
            during()
        words = []
        while True:
            status = process.read_status(90)
            if status is None:
                break
            words.append(status["status"])
        code, _, err = process.finish(timeout=60)
        self.assertEqual((code, err), (0, b""))
        with open(log, encoding="utf-8", errors="replace") as f:
            self.assertEqual(trace_violations(f.read()), [])
        self.assertEqual(processes_marked(marker), [])
        self.assertEqual(files_under(env["HOME"]), [])
        return words

    def test_no_road_writes_a_file_or_leaves_a_process(self):
        with harness.XServer() as x:
            x.run("xsetroot", "-solid", "#2b4a6f")

            def dismiss():
                wait_for_picker(x)
                x.xdotool("key", "Escape")

            roads = ((["--self-test"], None, "self-test-passed"), (["--watch"], None, "cancelled"),
                     ([], None, "empty"), (["--demo"], dismiss, "cancelled"))
            for args, during, last in roads:
                with self.subTest(args=args), harness.temp_dir() as scratch:
                    self.assertEqual(self.traced(x, scratch, *args, during=during)[-1], last)


if __name__ == "__main__":
    unittest.main()
