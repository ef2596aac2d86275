"""phone-scan against the inputs scripts feed it: files that lie about their size, files that are
not files, broken files, names that look like options and tight crops. Every answer is a JSON line
on standard output; standard error stays empty."""

import json
import os
import struct
import subprocess
import time
import unittest
import zlib

import harness

CROP_NUMBER = "+1 (415) 555-0142"


def png_chunk(kind, data):
    return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))


def png_bytes(width, height, rows=None):
    """An 8-bit grey PNG; rows (bytes per row, without filter bytes) default to all white, and
    only a declared size is written when rows is empty."""
    header = struct.pack(">IIBBBBB", width, height, 8, 0, 0, 0, 0)
    if rows is None:
        rows = [b"\xff" * width] * height
    pixels = zlib.compress(b"".join(b"\0" + row for row in rows))
    return (b"\x89PNG\r\n\x1a\n" + png_chunk(b"IHDR", header) + png_chunk(b"IDAT", pixels)
            + png_chunk(b"IEND", b""))


def scan(*args, timeout=120):
    """(exit status, JSON lines, stderr, seconds)."""
    start = time.monotonic()
    done = subprocess.run([harness.program("phone-scan"), *args], env=harness.clean_env(),
                          capture_output=True, timeout=timeout)
    lines = [json.loads(line) for line in done.stdout.decode().splitlines()]
    return done.returncode, lines, done.stderr, time.monotonic() - start


class Inputs(unittest.TestCase):
    def setUp(self):
        self.scratch = harness.temp_dir()
        self.addCleanup(self.scratch.cleanup)
        self.dir = self.scratch.name

    def write(self, name, data):
        path = os.path.join(self.dir, name)
        with open(path, "wb") as f:
            f.write(data)
        return path

    def test_a_huge_declared_size_is_refused_from_the_header(self):
        for width, height in ((1_000_000, 1_000_000), (20_000, 20_000), (8001, 8000)):
            with self.subTest(size=(width, height)):
                path = self.write("huge.png", png_bytes(width, height, rows=[]))
                code, lines, err, seconds = scan(path)
                self.assertEqual(code, 1)
                self.assertEqual(err, b"")
                self.assertEqual(len(lines), 1)
                self.assertIn("too large", lines[0]["error"])
                self.assertLess(seconds, 20)

    def test_a_large_acceptable_image_is_scaled_down_and_scanned(self):
        # 8000 x 8000 is the limit itself: 64 million pixels.
        path = self.write("large.png", png_bytes(8000, 8000))
        code, lines, err, _ = scan(path)
        self.assertEqual((code, err), (0, b""))
        self.assertEqual(lines[0]["matches"], [])

    def test_what_is_not_a_regular_file_is_refused_and_the_rest_still_scanned(self):
        fifo = os.path.join(self.dir, "fifo")
        os.mkfifo(fifo)
        blank = self.write("blank.png", png_bytes(40, 30))
        code, lines, err, _ = scan(fifo, self.dir, blank, timeout=60)
        self.assertEqual((code, err), (1, b""))
        self.assertEqual([line["image"] for line in lines], [fifo, self.dir, blank])
        self.assertEqual(lines[0]["error"], "not a regular file")
        self.assertEqual(lines[1]["error"], "not a regular file")
        self.assertEqual(lines[2]["matches"], [])

    def test_broken_files_are_reported_in_the_line_only(self):
        whole = png_bytes(300, 200)
        cases = {"truncated.png": whole[:len(whole) // 2], "header-only.png": whole[:40],
                 "bad-crc.png": whole[:30] + b"\0\0\0\0" + whole[34:],
                 "truncated.jpg": b"\xff\xd8\xff\xe0\0\x10JFIF\0" + b"\0" * 20,
                 "empty.png": b""}
        paths = [self.write(name, data) for name, data in cases.items()]
        code, lines, err, _ = scan(*paths)
        self.assertEqual((code, err), (1, b""))
        self.assertEqual([line["image"] for line in lines], paths)
        for line in lines:
            self.assertEqual(line["error"], "cannot read the image", line["image"])

    def test_double_dash_ends_the_options(self):
        path = self.write("-v.png", png_bytes(40, 30))
        os.chdir(self.dir)
        self.addCleanup(os.chdir, os.path.dirname(os.path.abspath(__file__)))
        code, lines, err, _ = scan("--", "-v.png", "--help")
        self.assertEqual(err, b"")
        self.assertEqual([line["image"] for line in lines], ["-v.png", "--help"])
        self.assertEqual(lines[0]["matches"], [])
        self.assertEqual(lines[1]["error"], "cannot read the image")
        self.assertEqual(code, 1)
        self.assertTrue(os.path.isfile(path))

    def test_a_tight_crop_of_one_line_finds_its_number_boxed_on_the_crop(self):
        harness.need_tools("convert")
        path = os.path.join(self.dir, "crop.png")
        subprocess.run(["convert", "-size", "500x70", "xc:white", "-font", "DejaVu-Sans",
                        "-pointsize", "26", "-fill", "black", "-gravity", "center",
                        "-annotate", "+0+0", "Call " + CROP_NUMBER, path],
                       check=True, timeout=60)
        code, lines, err, _ = scan(path)
        self.assertEqual((code, err), (0, b""))
        self.assertEqual([m["number"] for m in lines[0]["matches"]], [CROP_NUMBER])
        x, y, w, h = lines[0]["matches"][0]["box"]
        # The number takes roughly the right two thirds of the text, centred in the crop.
        self.assertTrue(0.2 < x < 0.45 and 0.65 < x + w <= 1.0, (x, w))
        self.assertTrue(0.0 <= y < 0.4 and 0.6 < y + h <= 1.0, (y, h))


if __name__ == "__main__":
    unittest.main()
