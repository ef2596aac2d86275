"""Helpers for end-to-end tests: a private X server, the real programs, their status lines."""

import json
import os
import select
import shutil
import subprocess
import tempfile
import time
import unittest

BIN_DIR = os.environ.get("VV_BIN_DIR", "")
CORPUS_DIR = os.environ.get("VV_CORPUS_DIR", "")


def program(name="vizovi-vevo"):
    return os.path.join(BIN_DIR, name)


def clean_env(**extra):
    """An environment without any display, Qt platform or OpenMP setting; extra entries added."""
    env = {k: v for k, v in os.environ.items()
           if k not in ("DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM", "OMP_THREAD_LIMIT",
                        "XAUTHORITY")}
    env.update(extra)
    return env


class XServer:
    """Xvfb on a free display number, with -noreset so short-lived clients keep their effects."""

    def __init__(self, width=1920, height=1080, depth=24):
        self.width, self.height, self.depth = width, height, depth
        self.process = None
        self.display = None

    def __enter__(self):
        read_fd, write_fd = os.pipe()
        self.process = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write_fd), "-screen", "0",
             f"{self.width}x{self.height}x{self.depth}", "+extension", "RANDR", "-noreset",
             "-nolisten", "tcp"],
            pass_fds=(write_fd,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(write_fd)
        number = b""
        deadline = time.monotonic() + 20
        while not number.endswith(b"\n") and time.monotonic() < deadline:
            ready, _, _ = select.select([read_fd], [], [], 1.0)
            if ready:
                chunk = os.read(read_fd, 64)
                if not chunk:
                    break
                number += chunk
        os.close(read_fd)
        if not number.strip():
            self.process.kill()
            raise RuntimeError("Xvfb did not start")
        self.display = ":" + number.decode().strip()
        return self

    def __exit__(self, *exc):
        self.process.terminate()
        try:
            self.process.wait(timeout=10)
        except subprocess.TimeoutExpired:
            self.process.kill()

    def env(self, **extra):
        return clean_env(DISPLAY=self.display, **extra)

    def run(self, *args, check=True):
        return subprocess.run(list(args), env=self.env(), check=check, capture_output=True,
                              text=True, timeout=60)

    def xdotool(self, *args):
        return self.run("xdotool", *[str(a) for a in args])

    def screenshot(self, path):
        self.run("import", "-window", "root", path)


class RunningProgram:
    """A program started with its standard output and error captured; reads status lines."""

    def __init__(self, args, env):
        self.process = subprocess.Popen(args, env=env, stdout=subprocess.PIPE,
                                        stderr=subprocess.PIPE)
        self._buffer = b""
        self.lines = []

    def read_line(self, timeout=60.0):
        """The next status line as raw text (without its line feed), or None at end or timeout."""
        deadline = time.monotonic() + timeout
        while b"\n" not in self._buffer:
            remaining = deadline - time.monotonic()
            if remaining <= 0:
                return None
            ready, _, _ = select.select([self.process.stdout], [], [], remaining)
            if not ready:
                return None
            chunk = os.read(self.process.stdout.fileno(), 4096)
            if not chunk:
                return None
            self._buffer += chunk
        line, self._buffer = self._buffer.split(b"\n", 1)
        text = line.decode("utf-8")
        self.lines.append(text)
        return text

    def read_status(self, timeout=60.0):
        line = self.read_line(timeout)
        return None if line is None else json.loads(line)

    def finish(self, timeout=30.0):
        """Waits for the exit; returns (exit status, remaining stdout, stderr)."""
        out, err = self.process.communicate(timeout=timeout)
        return self.process.returncode, self._buffer + out, err

    def kill(self):
        if self.process.poll() is None:
            self.process.kill()
            self.process.communicate()


def run_to_end(args, env, timeout=120):
    """Runs a program to its end; returns (exit status, stdout bytes, stderr bytes)."""
    done = subprocess.run(args, env=env, capture_output=True, timeout=timeout)
    return done.returncode, done.stdout, done.stderr


def stop(process, timeout=10):
    """Ends a process started by a test: politely, then for good."""
    if process is None or process.poll() is not None:
        return
    process.terminate()
    try:
        process.wait(timeout=timeout)
    except subprocess.TimeoutExpired:
        process.kill()
        process.wait(timeout=timeout)


def need_tools(*names):
    missing = [n for n in names if shutil.which(n) is None]
    if missing:
        raise unittest.SkipTest("missing tools: " + ", ".join(missing))


def temp_dir():
    return tempfile.TemporaryDirectory(prefix="vv-e2e-")
