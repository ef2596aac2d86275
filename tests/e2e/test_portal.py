"""The portal road as a real process: on a Wayland desktop where only the desktop portal
captures, the portal's dialog decides the run, the picture travels over PipeWire and nothing is
written to disk. Each class brings up its own private bus, PipeWire, portal and weston."""

import json
import os
import re
import tempfile
import time
import unittest

import harness
import portal_harness

CORPUS_IMAGE = "dev_05_settings"  # 1920x1080, four numbers

WRITING_FLAGS = re.compile(r"O_WRONLY|O_RDWR|O_CREAT|O_TRUNC|O_APPEND")


def corpus_image():
    return os.path.join(harness.CORPUS_DIR, CORPUS_IMAGE + ".png")


class PortalTestCase(unittest.TestCase):
    portal = True

    @classmethod
    def setUpClass(cls):
        portal_harness.need_portal_tools()
        if not os.path.isfile(corpus_image()):
            raise unittest.SkipTest("corpus not found")
        cls.desktop = portal_harness.PortalDesktop(corpus_image(), portal=cls.portal)
        cls.desktop.__enter__()

    @classmethod
    def tearDownClass(cls):
        cls.desktop.__exit__(None, None, None)

    def run_program(self, *wrapper):
        program = harness.RunningProgram([*wrapper, harness.program()],
                                         self.desktop.program_env())
        self.addCleanup(program.kill)
        return program

    def expect_single_status(self, expected, timeout=30):
        program = self.run_program()
        self.assertEqual(program.read_status(timeout=timeout), {"status": expected})
        self.assertEqual(program.finish(), (0, b"", b""))


class PortalCapture(PortalTestCase):
    def test_the_picture_the_user_shares_is_recognised_and_shown(self):
        self.desktop.configure_fake("grant")
        self.desktop.rest_monitor()
        dialogs = self.desktop.dialogs()
        with open(os.path.join(harness.CORPUS_DIR, CORPUS_IMAGE + ".json"), encoding="utf-8") as f:
            numbers = json.load(f)["numbers"]
        program = self.run_program()
        ready = program.read_status(timeout=90)
        self.assertEqual(ready["status"], "ready")
        self.assertGreaterEqual(ready["count"], len(numbers))
        self.assertEqual(program.read_status(timeout=30), {"status": "showing"})
        self.assertEqual(self.desktop.dialogs(), dialogs + 1)
        # One monitor, cursor hidden, nothing persisted and no token to restore from.
        selected = self.desktop.selected_options()
        self.assertEqual(selected["options"],
                         {"types": 1, "multiple": 0, "cursor_mode": 1, "persist_mode": 0})
        self.assertNotIn("restore_token", selected["keys"])

    def test_a_cancelled_or_denied_dialog_ends_with_permission(self):
        for answer in ("cancel", "deny"):
            with self.subTest(answer=answer):
                self.desktop.configure_fake(answer)
                self.expect_single_status("permission")

    def test_a_session_without_a_usable_stream_fails(self):
        for answer in ("no-streams", "wrong-types"):
            with self.subTest(answer=answer):
                self.desktop.configure_fake(answer)
                self.expect_single_status("failed")

    def test_a_stream_that_offers_only_dma_buf_fails_within_the_frame_wait(self):
        node = self.desktop.start_source(
            [harness.program("vv-test-dmabuf-source"), "vv-dmabuf-screen", "1920", "1080"],
            "vv-dmabuf-screen")
        self.desktop.configure_fake("grant", node)
        self.addCleanup(self.desktop.configure_fake, "grant")
        began = time.monotonic()
        self.expect_single_status("failed", timeout=30)
        self.assertLess(time.monotonic() - began, 20)

    def test_nothing_is_written_to_disk(self):
        harness.need_tools("strace")
        self.desktop.configure_fake("grant")
        self.desktop.rest_monitor()
        with tempfile.TemporaryDirectory(prefix="vv-strace-") as tmp:
            trace = os.path.join(tmp, "trace")
            program = self.run_program("strace", "-f", "-qq", "-o", trace, "-e",
                                       "trace=openat,creat,rename,renameat,renameat2,unlink,"
                                       "unlinkat,memfd_create")
            self.assertEqual(program.read_status(timeout=120)["status"], "ready")
            self.assertEqual(program.read_status(timeout=30), {"status": "showing"})
            program.kill()
            with open(trace, encoding="utf-8", errors="replace") as f:
                calls = f.read().splitlines()
        writes = [c for c in calls
                  if re.search(r"\b(creat|rename\w*|unlink\w*)\(", c)
                  or (" openat(" in c and WRITING_FLAGS.search(c) and '"/dev/' not in c)]
        self.assertEqual(writes, [])
        self.assertTrue(any("openat(" in c for c in calls), "strace saw no calls")


class PortalLeaving(PortalTestCase):
    def test_a_portal_that_leaves_the_bus_during_the_dialog_fails(self):
        self.desktop.configure_fake("hang")
        program = self.run_program()
        self.desktop.wait_for_open_dialog()
        self.desktop.stop_portal()
        self.assertEqual(program.read_status(timeout=15), {"status": "failed"})
        self.assertEqual(program.finish(), (0, b"", b""))


class NoPortal(PortalTestCase):
    portal = False

    def test_a_desktop_without_the_portal_fails(self):
        self.expect_single_status("failed")


if __name__ == "__main__":
    unittest.main()
