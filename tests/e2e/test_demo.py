"""The demo road end to end: the real program shows its picker under a private X server."""

import os
import unittest

import harness

# The green of the highlight frames' borders, as 8-bit RGB.
HIGHLIGHT_GREEN = bytes((0x34, 0xC7, 0x59))
FIRST_NUMBER = "+1 (415) 555-0142"
SECOND_NUMBER = "+44 20 7946 0958"
WINDOW_TITLE = "Call from screen"


def read_ppm(path):
    """(width, height, RGB bytes) of a binary PPM with 8-bit samples."""
    with open(path, "rb") as f:
        data = f.read()
    fields, position = [], 0
    while len(fields) < 4:
        while data[position:position + 1].isspace():
            position += 1
        if data[position:position + 1] == b"#":
            position = data.index(b"\n", position)
            continue
        end = position
        while not data[end:end + 1].isspace():
            end += 1
        fields.append(data[position:end])
        position = end
    if fields[0] != b"P6" or fields[3] != b"255":
        raise ValueError("not an 8-bit binary PPM")
    width, height = int(fields[1]), int(fields[2])
    return width, height, data[position + 1:position + 1 + width * height * 3]


def topmost_green_frame(width, pixels):
    """Centre (x, y) of the highlight frame nearest the top of the screen, or None."""
    greens = set()
    start = pixels.find(HIGHLIGHT_GREEN)
    while start != -1:
        if start % 3 == 0:
            y, x = divmod(start // 3, width)
            greens.add((x, y))
        start = pixels.find(HIGHLIGHT_GREEN, start + 1)
    if not greens:
        return None
    # The frame's green pixels, grown from its topmost one; antialiased corners are not pure
    # green, so pixels up to 3 apart count as joined.
    seed = min(greens, key=lambda p: (p[1], p[0]))
    frame, todo = {seed}, [seed]
    while todo:
        x, y = todo.pop()
        for dx in range(-3, 4):
            for dy in range(-3, 4):
                near = (x + dx, y + dy)
                if near in greens and near not in frame:
                    frame.add(near)
                    todo.append(near)
    xs = [x for x, _ in frame]
    ys = [y for _, y in frame]
    return (min(xs) + max(xs)) // 2, (min(ys) + max(ys)) // 2


class Demo(unittest.TestCase):
    def setUp(self):
        harness.need_tools("Xvfb", "xdotool", "import")
        self.x = harness.XServer(1920, 1080).__enter__()
        self.addCleanup(self.x.__exit__, None, None, None)

    def start(self):
        self.program = harness.RunningProgram([harness.program(), "--demo"], self.x.env())
        self.addCleanup(self.program.kill)
        self.assertEqual(self.program.read_status(60), {"status": "showing"})
        # "showing" comes before the window is mapped; wait until it is.
        found = self.x.run("xdotool", "search", "--sync", "--onlyvisible", "--name", WINDOW_TITLE)
        return found.stdout.split()[0]

    def assert_ends_with(self, status):
        self.assertEqual(self.program.read_status(20), status)
        code, rest, err = self.program.finish()
        self.assertEqual(rest, b"")
        self.assertEqual(err, b"")
        self.assertEqual(code, 0)

    def highlight_centre(self):
        with harness.temp_dir() as scratch:
            shot = os.path.join(scratch, "screen.ppm")
            for _ in range(20):
                self.x.run("import", "-window", "root", "-depth", "8", shot)
                width, _, pixels = read_ppm(shot)
                centre = topmost_green_frame(width, pixels)
                if centre:
                    return centre
        self.fail("no highlight frame on the screen")

    def test_clicking_a_highlight_selects_its_number(self):
        self.start()
        x, y = self.highlight_centre()
        self.x.xdotool("mousemove", x, y, "click", "1")
        self.assert_ends_with({"status": "selected", "number": FIRST_NUMBER})

    def test_clicking_a_row_button_selects_its_number(self):
        self.start()
        # On 1920 x 1080 the list is 340 wide at x 1560, y 62 (from the top), 960 high; the
        # first row's button is 308 x 34 at (8, 128) in it.
        self.x.xdotool("mousemove", 1560 + 8 + 154, 62 + 128 + 17, "click", "1")
        self.assert_ends_with({"status": "selected", "number": FIRST_NUMBER})

    def test_a_digit_key_picks_the_number_it_is_shown_beside(self):
        self.start()
        self.x.xdotool("key", "2")
        self.assert_ends_with({"status": "selected", "number": SECOND_NUMBER})

    def test_a_digit_beyond_the_numbers_picks_nothing(self):
        self.start()
        self.x.xdotool("key", "9")
        self.x.xdotool("key", "Escape")
        self.assert_ends_with({"status": "cancelled"})

    def test_tab_and_arrows_move_to_a_number_and_return_picks_it(self):
        self.start()
        self.x.xdotool("key", "Tab", "Down")
        self.x.xdotool("key", "Return")
        self.assert_ends_with({"status": "selected", "number": SECOND_NUMBER})

    def test_return_at_start_cancels(self):
        self.start()
        self.x.xdotool("key", "Return")
        self.assert_ends_with({"status": "cancelled"})

    def test_escape_cancels(self):
        self.start()
        self.x.xdotool("key", "Escape")
        self.assert_ends_with({"status": "cancelled"})

    def test_cancel_button_cancels_and_has_the_keyboard_focus(self):
        self.start()
        self.x.xdotool("key", "a")
        self.x.xdotool("key", "space")
        self.assert_ends_with({"status": "cancelled"})

    def test_window_covers_the_screen_above_everything_on_every_desktop(self):
        harness.need_tools("xprop", "xwininfo")
        window = self.start()
        info = self.x.run("xwininfo", "-id", window).stdout
        self.assertIn("-geometry 1920x1080+0+0", info)
        properties = self.x.run("xprop", "-id", window).stdout
        self.assertIn("_NET_WM_DESKTOP(CARDINAL) = 4294967295", properties)
        for state in ("ABOVE", "SKIP_TASKBAR", "SKIP_PAGER"):
            self.assertIn("_NET_WM_STATE_" + state, properties)
        self.assertIn('WM_NAME(STRING) = "Call from screen"', properties)
        self.assertIn("Client accepts input or input focus: True", properties)
        self.x.xdotool("key", "Escape")
        self.assert_ends_with({"status": "cancelled"})

    def test_another_program_taking_the_focus_cancels(self):
        harness.need_tools("xmessage")
        self.start()
        other = harness.RunningProgram(["xmessage", "elsewhere"], self.x.env())
        self.addCleanup(other.kill)
        found = self.x.run("xdotool", "search", "--sync", "--onlyvisible", "--name", "xmessage")
        self.x.xdotool("windowfocus", found.stdout.split()[0])
        self.assert_ends_with({"status": "cancelled"})

    def test_picker_goes_on_the_monitor_under_the_pointer_and_a_monitor_change_cancels(self):
        harness.need_tools("xrandr")
        self.x.run("xrandr", "--setmonitor", "LEFT", "960/254x1080/286+0+0", "screen")
        self.x.run("xrandr", "--setmonitor", "RIGHT", "960/254x1080/286+960+0", "none")
        self.x.xdotool("mousemove", 1500, 300)
        window = self.start()
        geometry = self.x.run("xdotool", "getwindowgeometry", window).stdout
        self.assertIn("Position: 960,0", geometry)
        self.assertIn("Geometry: 960x1080", geometry)
        self.x.run("xrandr", "--delmonitor", "LEFT")
        self.assert_ends_with({"status": "cancelled"})


if __name__ == "__main__":
    unittest.main()
