"""KDE Plasma: capture through KWin's screenshot interface, under KWin's virtual back end with
two outputs, software rendering and a session bus of its own."""

import json
import os
import re
import shutil
import subprocess
import unittest

import harness
import kwin_harness

CLIENT = harness.program("vv-kwin-test-client")
CORPUS_IMAGE = "dev_05_settings"  # 1920x1080, light text on navy, four numbers
RED, BLUE = "#ffc81e1e", "#ff1e64c8"
WIDTH, HEIGHT = 1920, 1080


class KWinBackEnd(unittest.TestCase):
    """One KWin for all cases; the test client and the program are authorised at their build
    paths."""

    @classmethod
    def setUpClass(cls):
        harness.need_tools("kwin_wayland")
        cls.session = kwin_harness.KWinSession(WIDTH, HEIGHT, outputs=2,
                                               authorised=[CLIENT, harness.program()])
        cls.session.__enter__()

    @classmethod
    def tearDownClass(cls):
        cls.session.__exit__(None, None, None)

    def backdrop(self, screen, content):
        return kwin_harness.Backdrop(self.session, CLIENT, screen, content)

    def start(self, program=None, wrapper=()):
        running = harness.RunningProgram([*wrapper, program or harness.program()],
                                         self.session.env())
        self.addCleanup(running.kill)
        return running

    def capture(self, client=CLIENT):
        """The client's lines: the probe's answer, then one per captured screen by name."""
        done = subprocess.run([client, "capture"], env=self.session.env(QT_QPA_PLATFORM="wayland"),
                              capture_output=True, timeout=60)
        lines = [json.loads(line) for line in done.stdout.decode().splitlines()]
        self.assertEqual(done.returncode, 0, lines)
        self.assertTrue(lines, done.stderr)
        return lines[0], {line["screen"]: line for line in lines[1:]}

    def test_an_authorised_client_captures_each_output_with_what_it_shows(self):
        with self.backdrop("Virtual-0", RED), self.backdrop("Virtual-1", BLUE):
            probe, screens = self.capture()
        self.assertEqual((probe["probe"], probe["preflight"]), ("granted", True))
        self.assertEqual(sorted(screens), ["Virtual-0", "Virtual-1"])
        for name, colour in (("Virtual-0", RED), ("Virtual-1", BLUE)):
            with self.subTest(screen=name):
                shot = screens[name]
                self.assertNotIn("failed", shot)
                self.assertEqual((shot["width"], shot["height"]), (WIDTH, HEIGHT))
                self.assertEqual(shot["centre"], colour)
                self.assertEqual("#ff" + shot["mean"][1:], colour)

    def test_the_pointers_screen_is_kwins_active_output(self):
        with self.backdrop("Virtual-0", RED):
            with self.backdrop("Virtual-1", BLUE):
                self.assertEqual(self.session.active_output(), "Virtual-1")
                self.assertEqual(self.capture()[0]["pointer"], "Virtual-1")
            with self.backdrop("Virtual-0", BLUE):
                self.assertEqual(self.session.active_output(), "Virtual-0")
                self.assertEqual(self.capture()[0]["pointer"], "Virtual-0")

    def test_a_copy_at_a_path_no_desktop_file_names_is_refused(self):
        with harness.temp_dir() as elsewhere:
            client = shutil.copy(CLIENT, os.path.join(elsewhere, "vv-kwin-test-client"))
            probe, screens = self.capture(client)
        self.assertEqual((probe, screens), ({"probe": "refused"}, {}))

    def test_an_unauthorised_copy_of_the_program_ends_with_permission(self):
        # KWin is the only capture this session offers, and it refuses the copy.
        with harness.temp_dir() as elsewhere:
            copy = shutil.copy(harness.program(), os.path.join(elsewhere, "vizovi-vevo"))
            program = self.start(copy)
            self.assertEqual(program.read_status(timeout=60), {"status": "permission"})
            self.assertEqual(program.finish(), (0, b"", b""))

    def corpus_image(self):
        path = os.path.join(harness.CORPUS_DIR, CORPUS_IMAGE + ".png")
        if not os.path.isfile(path):
            self.skipTest("corpus not found")
        return path

    def test_the_picker_shows_what_the_active_output_showed_and_lands_there(self):
        corpus = self.corpus_image()
        with open(os.path.join(harness.CORPUS_DIR, CORPUS_IMAGE + ".json"),
                  encoding="utf-8") as f:
            numbers = json.load(f)["numbers"]
        with self.backdrop("Virtual-0", RED), self.backdrop("Virtual-1", corpus):
            _, before = self.capture()
            program = self.start()
            ready = program.read_status(timeout=90)
            self.assertEqual(ready["status"], "ready")
            self.assertGreaterEqual(ready["count"], len(numbers))
            self.assertEqual(program.read_status(timeout=30), {"status": "showing"})
            _, after = self.capture_once_drawn(before["Virtual-1"]["mean"])
            program.kill()
        self.assertEqual(after["Virtual-0"]["centre"], RED, "the other output is left alone")
        self.assertNotEqual(after["Virtual-1"]["mean"], before["Virtual-1"]["mean"])

    def capture_once_drawn(self, mean_before, attempts=20):
        """Captures until the active output no longer shows its backdrop alone: the picker may
        still be mapping its window when "showing" arrives."""
        for _ in range(attempts):
            probe, screens = self.capture()
            if screens["Virtual-1"]["mean"] != mean_before:
                break
        return probe, screens

    def test_nothing_is_written_to_disk(self):
        harness.need_tools("strace")
        corpus = self.corpus_image()
        with harness.temp_dir() as scratch, self.backdrop("Virtual-1", corpus):
            log = os.path.join(scratch, "trace")
            # Only calls that succeeded (-z); seccomp keeps the others at full speed.
            program = self.start(wrapper=("strace", "-f", "-qq", "-z", "--seccomp-bpf", "-o", log,
                                          "-e",
                                          "trace=open,openat,creat,rename,renameat,renameat2,"
                                          "unlink,unlinkat,mkdir,mkdirat,memfd_create"))
            self.assertEqual(program.read_status(timeout=90)["status"], "ready")
            self.assertEqual(program.read_status(timeout=30), {"status": "showing"})
            program.kill()
            with open(log, encoding="utf-8") as f:
                calls = f.read().splitlines()
        self.assertTrue(any("openat(" in call for call in calls), "strace saw nothing")
        written = [call for call in calls if writes_a_file(call)]
        self.assertEqual(written, [])


def writes_a_file(call):
    """Whether a traced call creates, changes or removes something on disk. Devices are not disk:
    the graphics stack opens them for writing."""
    if re.search(r"\b(creat|rename\w*|unlink\w*|mkdir\w*)\(", call):
        return True
    opened = re.search(r"\bopen(?:at)?\((?:[^,]*, )?\"([^\"]*)\", ([A-Z_|]+)", call)
    if not opened or opened.group(1).startswith("/dev/"):
        return False
    return bool(set(opened.group(2).split("|")) & {"O_WRONLY", "O_RDWR", "O_CREAT", "O_TRUNC"})


if __name__ == "__main__":
    unittest.main()
