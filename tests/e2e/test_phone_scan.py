"""phone-scan from the outside: its lines, its exit status and its silence on stderr."""

import json
import os
import subprocess
import tempfile
import unittest

import harness

CORPUS_IMAGE = os.path.join(harness.CORPUS_DIR, "dev_03_search.png")


def run(*args, **env):
    return subprocess.run([harness.program("phone-scan"), *args], capture_output=True,
                          env=harness.clean_env(**env), timeout=240)


class PhoneScanTest(unittest.TestCase):
    def test_help_and_version(self):
        shown = run("--help")
        self.assertEqual(shown.returncode, 0)
        self.assertIn(b"Usage: phone-scan IMAGE...", shown.stdout)
        version = run("--version")
        self.assertEqual(version.returncode, 0)
        self.assertRegex(version.stdout.decode(), r"^phone-scan \d+\.\d+\.\d+\n$")

    def test_no_image_is_a_usage_error(self):
        self.assertEqual(run().returncode, 2)

    @unittest.skipUnless(os.path.exists(CORPUS_IMAGE), "no corpus")
    def test_an_unreadable_file_does_not_stop_the_others(self):
        with tempfile.NamedTemporaryFile(suffix=".png") as garbage:
            garbage.write(b"not an image")
            garbage.flush()
            result = run(garbage.name, "/nonexistent/x.png", CORPUS_IMAGE)
        self.assertEqual(result.returncode, 1)
        self.assertEqual(result.stderr, b"")
        lines = [json.loads(line) for line in result.stdout.decode().splitlines()]
        self.assertEqual([line["image"] for line in lines],
                         [garbage.name, "/nonexistent/x.png", CORPUS_IMAGE])
        self.assertIn("error", lines[0])
        self.assertIn("error", lines[1])
        scanned = lines[2]
        self.assertNotIn("error", scanned)
        self.assertGreater(scanned["ms"], 0)
        self.assertTrue(scanned["matches"])
        for match in scanned["matches"]:
            self.assertEqual(set(match), {"number", "context", "kind", "box"})
            self.assertEqual(len(match["box"]), 4)
            self.assertTrue(all(0 <= v <= 1 for v in match["box"]))

    def test_a_missing_model_fails_every_image_quietly(self):
        with tempfile.TemporaryDirectory() as empty:
            result = run("/nonexistent/x.png", TESSDATA_PREFIX=empty)
        self.assertEqual(result.returncode, 1)
        self.assertEqual(result.stderr, b"")
        self.assertIn("error", json.loads(result.stdout))


if __name__ == "__main__":
    unittest.main()
