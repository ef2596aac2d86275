"""KDE Plasma: capture through KWin's screenshot interface, under KWin's virtual back end with
two outputs, software rendering and a session bus of its own."""

import json
import os
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


if __name__ == "__main__":
    unittest.main()
