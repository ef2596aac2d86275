"""The capture road as a real process: a plain run snapshots the monitor under the pointer,
recognises it and opens the picker, whose frames select numbers."""

import json
import os
import re
import unittest

import harness

CORPUS_IMAGE = "dev_05_settings"  # 1920x1080, light text on navy, four numbers


def truth(name):
    with open(os.path.join(harness.CORPUS_DIR, name + ".json"), encoding="utf-8") as f:
        return json.load(f)


def digits(text):
    """The number's identity: its digits, a North American number with or without its leading 1
    counting as the same."""
    found = re.sub(r"\D", "", text)
    return found[1:] if len(found) == 11 and found.startswith("1") else found


def frame_centre(box, monitor, image_size):
    """Where on the X screen the picker draws the middle of a box of the snapshot.

    box: normalised (x, y, w, h), origin bottom-left; monitor: (x, y, w, h) in X pixels at scale
    1; image_size: the snapshot's (w, h). Follows the picker's layout: the list panel takes
    min(0.32 W, 340) on the right, the image is fitted into (24, 58, W - P - 64, H - 120) and
    centred there, with the origin of that layout at the monitor's bottom-left corner."""
    mx, my, width, height = monitor
    iw, ih = image_size
    panel = min(width * 0.32, 340)
    area = (24, 58, width - panel - 64, height - 120)
    scale = min(area[3] / ih, area[2] / iw)
    dw, dh = iw * scale, ih * scale
    rx = area[0] + area[2] / 2 - dw / 2
    ry = area[1] + area[3] / 2 - dh / 2
    x = rx + (box[0] + box[2] / 2) * dw
    y = ry + (box[1] + box[3] / 2) * dh
    return round(mx + x), round(my + height - y)


class CaptureRoad(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        harness.need_tools("Xvfb", "xdotool", "xrandr", "xsetroot", "display")
        if not os.path.isfile(os.path.join(harness.CORPUS_DIR, CORPUS_IMAGE + ".png")):
            raise unittest.SkipTest("corpus not found")
        cls.truth = truth(CORPUS_IMAGE)

    def show_corpus_image(self, x):
        # Sets the root window's background and exits; -noreset keeps it after the client left.
        x.run("display", "-window", "root",
              os.path.join(harness.CORPUS_DIR, CORPUS_IMAGE + ".png"), check=False)

    def start(self, x):
        program = harness.RunningProgram([harness.program()], x.env())
        self.addCleanup(program.kill)
        return program

    def expect_clean_exit(self, program):
        status, rest, err = program.finish()
        self.assertEqual((status, rest, err), (0, b"", b""))

    def click_until_a_line(self, x, program, point):
        """Clicks at the point until the program writes a line: the picker may still be mapping
        its window when "showing" arrives."""
        for _ in range(10):
            x.xdotool("mousemove", point[0], point[1], "click", "1")
            status = program.read_status(timeout=1.0)
            if status is not None:
                return status
        return None

    def test_a_frame_on_the_captured_screen_selects_its_number(self):
        numbers = self.truth["numbers"]
        for expected in numbers:
            with self.subTest(number=expected["text"]), harness.XServer() as x:
                self.show_corpus_image(x)
                x.xdotool("mousemove", 5, 5)
                program = self.start(x)

                ready = program.read_status(timeout=90)
                self.assertEqual(ready["status"], "ready")
                self.assertGreaterEqual(ready["count"], len(numbers))
                self.assertEqual(set(ready), {"status", "count"})
                self.assertEqual(program.read_status(timeout=30), {"status": "showing"})

                point = frame_centre(expected["box"], (0, 0, 1920, 1080), (1920, 1080))
                selected = self.click_until_a_line(x, program, point)
                self.assertIsNotNone(selected)
                self.assertEqual(selected["status"], "selected")
                self.assertEqual(digits(selected["number"]), digits(expected["digits"]))
                self.expect_clean_exit(program)

    def test_a_screen_without_numbers_is_ready_with_zero_then_empty(self):
        with harness.XServer() as x:
            x.run("xsetroot", "-solid", "#2b4a6f")
            program = self.start(x)
            self.assertEqual(program.read_status(timeout=90), {"status": "ready", "count": 0})
            self.assertEqual(program.read_status(timeout=10), {"status": "empty"})
            self.expect_clean_exit(program)

    def split_into_two_monitors(self, x):
        # Xvfb has a single output; only the monitor that holds it can be captured.
        x.run("xrandr", "--setmonitor", "LEFT", "960/254x1080/286+0+0", "none")
        x.run("xrandr", "--setmonitor", "RIGHT", "960/254x1080/286+960+0", "screen")

    def test_only_the_monitor_under_the_pointer_is_captured(self):
        # Numbers wholly on the right half, in the right half's own normalised coordinates.
        right = []
        for n in self.truth["numbers"]:
            bx, by, bw, bh = n["box"]
            if bx >= 0.5:
                right.append((n["digits"], (bx * 2 - 1, by, bw * 2, bh)))
        self.assertTrue(right)
        with harness.XServer() as x:
            self.show_corpus_image(x)
            self.split_into_two_monitors(x)
            x.xdotool("mousemove", 1500, 300)
            program = self.start(x)

            ready = program.read_status(timeout=90)
            self.assertEqual(ready, {"status": "ready", "count": len(right)})
            self.assertEqual(program.read_status(timeout=30), {"status": "showing"})
            expected_digits, box = right[0]
            point = frame_centre(box, (960, 0, 960, 1080), (960, 1080))
            selected = self.click_until_a_line(x, program, point)
            self.assertEqual(selected["status"], "selected")
            self.assertEqual(digits(selected["number"]), digits(expected_digits))
            self.expect_clean_exit(program)

    def test_a_monitor_without_an_output_matches_no_display(self):
        with harness.XServer() as x:
            self.show_corpus_image(x)
            self.split_into_two_monitors(x)
            x.xdotool("mousemove", 300, 300)
            program = self.start(x)
            self.assertEqual(program.read_status(timeout=60), {"status": "failed"})
            self.expect_clean_exit(program)


if __name__ == "__main__":
    unittest.main()
