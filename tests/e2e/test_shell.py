"""The program's roads that end without a picker, run as a real process."""

import os
import subprocess
import unittest

import harness


class WithoutDisplay(unittest.TestCase):
    def run_program(self, *args):
        return harness.run_to_end([harness.program(), *args], harness.clean_env())

    def test_watch_prints_exactly_one_line_and_exits_zero(self):
        status, out, err = self.run_program("--watch", "--demo")
        self.assertEqual(out, b'{"status":"cancelled"}\n')
        self.assertEqual(err, b"")
        self.assertEqual(status, 0)

    def test_every_other_road_fails_cleanly_without_a_screen(self):
        for args in ([], ["--demo"], ["--self-test"], ["--WATCH"]):
            with self.subTest(args=args):
                status, out, err = self.run_program(*args)
                self.assertEqual(out, b'{"status":"failed"}\n')
                self.assertEqual(err, b"")
                self.assertEqual(status, 0)

    def test_an_unreachable_x_server_is_no_screen(self):
        env = harness.clean_env(DISPLAY=":987")
        status, out, err = harness.run_to_end([harness.program(), "--self-test"], env)
        self.assertEqual((status, out, err), (0, b'{"status":"failed"}\n', b""))

    def test_a_closed_reader_is_not_a_crash(self):
        read_end, write_end = os.pipe()
        os.close(read_end)
        done = subprocess.run([harness.program(), "--watch"], env=harness.clean_env(),
                              stdout=write_end, stderr=subprocess.PIPE, timeout=60)
        os.close(write_end)
        self.assertEqual((done.returncode, done.stderr), (0, b""))


class OnADisplay(unittest.TestCase):
    def test_watch_wins_over_every_other_switch(self):
        with harness.XServer() as x:
            status, out, err = harness.run_to_end(
                [harness.program(), "--self-test", "--watch", "--demo"], x.env())
        self.assertEqual((status, out, err), (0, b'{"status":"cancelled"}\n', b""))

    def test_self_test_passes_on_x_and_offscreen_without_stderr(self):
        with harness.XServer() as x:
            status, out, err = harness.run_to_end([harness.program(), "--self-test"], x.env())
        self.assertEqual((status, out, err), (0, b'{"status":"self-test-passed"}\n', b""))
        status, out, err = harness.run_to_end(
            [harness.program(), "--self-test"], harness.clean_env(QT_QPA_PLATFORM="offscreen"))
        self.assertEqual((status, out, err), (0, b'{"status":"self-test-passed"}\n', b""))

    def test_missing_recogniser_data_fails_the_self_test(self):
        with harness.temp_dir() as empty:
            env = harness.clean_env(QT_QPA_PLATFORM="offscreen", TESSDATA_PREFIX=empty)
            status, out, err = harness.run_to_end([harness.program(), "--self-test"], env)
        self.assertEqual((status, out, err), (0, b'{"status":"failed"}\n', b""))

    def test_missing_recogniser_data_fails_a_capture_once_it_is_needed(self):
        # The model loads beside the toolkit and the capture; its failure surfaces only when
        # recognition waits for it, as the run's one terminal line.
        with harness.temp_dir() as empty, harness.XServer() as x:
            status, out, err = harness.run_to_end([harness.program()],
                                                  x.env(TESSDATA_PREFIX=empty))
        self.assertEqual((status, out, err), (0, b'{"status":"failed"}\n', b""))


if __name__ == "__main__":
    unittest.main()
