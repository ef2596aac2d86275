"""The installed program, its desktop files, the dial helper and the Debian package."""

import json
import os
import re
import shutil
import stat
import subprocess
import unittest
import xml.etree.ElementTree as ElementTree

import harness

BUILD_DIR = os.environ.get("VV_BUILD_DIR", "")
SOURCE_DIR = os.environ.get("VV_SOURCE_DIR", "")

CANCELLED = b'{"status":"cancelled"}\n'
SELF_TEST_PASSED = b'{"status":"self-test-passed"}\n'
DESKTOP_ENTRY = "share/applications/vizovi-vevo.desktop"
SCREEN_CAPTURE_ENTRY = "share/applications/vizovi-vevo-screen-capture.desktop"
ICON = "share/icons/hicolor/scalable/apps/vizovi-vevo.svg"
INFO_PLIST = "share/vizovi-vevo/Info.plist"
PROGRAMS = ("bin/vizovi-vevo", "bin/phone-scan", "bin/vizovi-vevo-dial")
MAN_PAGES = ("share/man/man1/vizovi-vevo.1", "share/man/man1/phone-scan.1",
             "share/man/man1/vizovi-vevo-dial.1")


def project_version():
    with open(os.path.join(BUILD_DIR, "CMakeCache.txt"), encoding="utf-8") as cache:
        for line in cache:
            if line.startswith("CMAKE_PROJECT_VERSION:"):
                return line.split("=", 1)[1].strip()
    raise AssertionError("no project version in the build's cache")


def install_into(prefix):
    subprocess.run(["cmake", "--install", BUILD_DIR, "--prefix", prefix], check=True,
                   capture_output=True, timeout=120)


def offscreen():
    return harness.clean_env(QT_QPA_PLATFORM="offscreen")


class InstalledTree(unittest.TestCase):
    """One installation into a temporary prefix, shared by the tests of the installed files."""

    @classmethod
    def setUpClass(cls):
        cls._dir = harness.temp_dir()
        cls.prefix = cls._dir.name
        install_into(cls.prefix)

    @classmethod
    def tearDownClass(cls):
        cls._dir.cleanup()

    def path(self, relative):
        return os.path.join(self.prefix, relative)

    def test_everything_lands_in_its_place(self):
        for relative in PROGRAMS:
            with self.subTest(relative=relative):
                mode = os.stat(self.path(relative)).st_mode
                self.assertTrue(mode & stat.S_IXOTH, relative + " is not executable for all")
        for relative in (INFO_PLIST, DESKTOP_ENTRY, SCREEN_CAPTURE_ENTRY, ICON) + MAN_PAGES:
            with self.subTest(relative=relative):
                self.assertTrue(os.path.isfile(self.path(relative)), relative)
        # The plist beside the executable belongs to the build tree only.
        self.assertFalse(os.path.exists(self.path("bin/Info.plist")))

    def test_the_installed_program_runs_on_its_own(self):
        program = self.path("bin/vizovi-vevo")
        self.assertEqual(harness.run_to_end([program, "--watch"], harness.clean_env()),
                         (0, CANCELLED, b""))
        self.assertEqual(harness.run_to_end([program, "--self-test"], offscreen()),
                         (0, SELF_TEST_PASSED, b""))
        status, out, _ = harness.run_to_end([self.path("bin/phone-scan"), "--version"],
                                            harness.clean_env())
        self.assertEqual((status, out.decode()), (0, f"phone-scan {project_version()}\n"))

    def test_the_desktop_entry_starts_the_dial_helper_with_the_installed_icon(self):
        entry = self.path(DESKTOP_ENTRY)
        if shutil.which("desktop-file-validate"):
            done = subprocess.run(["desktop-file-validate", entry], capture_output=True,
                                  text=True, timeout=60)
            self.assertEqual((done.returncode, done.stdout + done.stderr), (0, ""))
        with open(entry, encoding="utf-8") as f:
            fields = dict(line.rstrip("\n").split("=", 1) for line in f if "=" in line)
        self.assertEqual(fields["Type"], "Application")
        self.assertEqual(fields["Exec"], "vizovi-vevo-dial")
        self.assertTrue(os.access(self.path("bin/" + fields["Exec"]), os.X_OK))
        self.assertEqual(self.path(ICON), self.path(
            f"share/icons/hicolor/scalable/apps/{fields['Icon']}.svg"))
        self.assertIn("Utility;", fields["Categories"])
        self.assertNotIn("NoDisplay", fields)
        self.assertNotEqual(fields.get("Terminal"), "true")
        root = ElementTree.parse(self.path(ICON)).getroot()
        self.assertEqual(root.tag, "{http://www.w3.org/2000/svg}svg")

    def test_the_screen_capture_entry_lets_kwin_authorise_the_installed_program(self):
        fields = screen_capture_fields(self.path(SCREEN_CAPTURE_ENTRY))
        self.assertEqual(fields["Exec"], [self.path("bin/vizovi-vevo")])

    def render(self, relative):
        return subprocess.run(["groff", "-t", "-man", "-Tascii", "-P", "-cbou",
                               self.path(relative)], capture_output=True, text=True,
                              check=True, timeout=60).stdout

    def test_the_manual_pages_render_cleanly_and_name_the_version(self):
        harness.need_tools("groff")
        version = project_version()
        for relative in MAN_PAGES:
            with self.subTest(page=relative):
                done = subprocess.run(
                    ["groff", "-t", "-man", "-Tutf8", "-ww", "-z", self.path(relative)],
                    capture_output=True, env=harness.clean_env(LC_ALL="C.UTF-8"), timeout=60)
                self.assertEqual((done.returncode, done.stderr), (0, b""))
                self.assertIn(f"vizovi-vevo {version}", self.render(relative))
        text = self.render(MAN_PAGES[0])
        for word in ("--demo", "--self-test", "--watch", "ready", "empty", "showing",
                     "selected", "cancelled", "failed", "permission", "self-test-passed",
                     "EXIT STATUS", "DISPLAY", "QT_QPA_PLATFORM", "TESSDATA_PREFIX",
                     "OMP_THREAD_LIMIT", "LC_ALL", "LANG"):
            self.assertIn(word, text)


def screen_capture_fields(entry):
    """The screen-capture desktop file's fields, after desktop-file-validate passed it; Exec as
    its list of arguments."""
    harness.need_tools("desktop-file-validate")
    done = subprocess.run(["desktop-file-validate", entry], capture_output=True, text=True,
                          timeout=60)
    if (done.returncode, done.stdout + done.stderr) != (0, ""):
        raise AssertionError(done.stdout + done.stderr)
    with open(entry, encoding="utf-8") as f:
        fields = dict(line.rstrip("\n").split("=", 1) for line in f if "=" in line)
    if fields["Type"] != "Application" or fields["NoDisplay"] != "true":
        raise AssertionError(fields)
    if "org.kde.KWin.ScreenShot2" not in fields["X-KDE-DBUS-Restricted-Interfaces"].split(","):
        raise AssertionError(fields)
    fields["Exec"] = exec_arguments(fields["Exec"])
    return fields


def exec_arguments(value):
    """An Exec value's arguments: first the string escapes of desktop files, then the Exec
    key's quoting, where a backslash inside double quotes escapes " ` $ and itself."""
    text = value.replace("\\\\", "\\").replace("%%", "%")
    arguments, current, quoted, i = [], None, False, 0
    while i < len(text):
        char = text[i]
        if quoted and char == "\\" and i + 1 < len(text) and text[i + 1] in '"`$\\':
            current, i = (current or "") + text[i + 1], i + 2
            continue
        if char == '"':
            quoted, current = not quoted, current or ""
        elif char == " " and not quoted:
            if current is not None:
                arguments.append(current)
            current = None
        else:
            current = (current or "") + char
        i += 1
    if quoted:
        raise AssertionError("unbalanced quotes in Exec: " + value)
    return arguments + ([current] if current is not None else [])


class ScreenCaptureEntryAtAnUnusualPrefix(unittest.TestCase):
    def test_a_prefix_with_reserved_characters_is_quoted_in_exec(self):
        with harness.temp_dir() as root:
            # CMake itself cannot install under a path with a backslash.
            prefix = os.path.join(root, 'my "tools" $HOME `x` 100%')
            install_into(prefix)
            fields = screen_capture_fields(os.path.join(prefix, SCREEN_CAPTURE_ENTRY))
            self.assertEqual(fields["Exec"], [os.path.join(prefix, "bin/vizovi-vevo")])


class InstalledInfoPlist(unittest.TestCase):
    def test_the_installed_program_reads_the_installed_plist(self):
        with harness.temp_dir() as prefix:
            install_into(prefix)
            plist = os.path.join(prefix, INFO_PLIST)
            with open(plist, encoding="utf-8") as f:
                text = f.read()
            self.assertIn("<false/>", text)
            with open(plist, "w", encoding="utf-8") as f:
                f.write(text.replace("<false/>", "<true/>"))
            # Demo mode needs no capture, so a run without switches shows the picker.
            run = harness.RunningProgram([os.path.join(prefix, "bin/vizovi-vevo")], offscreen())
            try:
                first = run.read_status(timeout=60)
            finally:
                run.kill()
        self.assertEqual(first, {"status": "showing"})


class InstalledDialHelper(unittest.TestCase):
    def setUp(self):
        self._dir = harness.temp_dir()
        self.stubs = self._dir.name
        self.opened = os.path.join(self.stubs, "opened")
        with open(os.path.join(self.stubs, "xdg-open"), "w", encoding="utf-8") as f:
            f.write(f'#!/bin/sh\nprintf "%s\\n" "$@" >> "{self.opened}"\n')
        os.chmod(os.path.join(self.stubs, "xdg-open"), 0o755)
        # A program on PATH that would pick a number, were it run instead of the installed one.
        with open(os.path.join(self.stubs, "vizovi-vevo"), "w", encoding="utf-8") as f:
            f.write('#!/bin/sh\necho \'{"status":"selected","number":"1"}\'\n')
        os.chmod(os.path.join(self.stubs, "vizovi-vevo"), 0o755)

    def tearDown(self):
        self._dir.cleanup()

    def test_the_installed_helper_runs_the_program_installed_beside_it(self):
        with harness.temp_dir() as prefix:
            install_into(prefix)
            environment = harness.clean_env(PATH=self.stubs + os.pathsep + os.environ["PATH"])
            done = subprocess.run([os.path.join(prefix, "bin/vizovi-vevo-dial"), "--watch"],
                                  env=environment, capture_output=True, timeout=60)
        self.assertEqual((done.returncode, done.stdout, done.stderr), (0, b"", b""))
        self.assertFalse(os.path.exists(self.opened))


class DebianPackage(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        harness.need_tools("cpack", "dpkg-deb", "dpkg-shlibdeps")
        cls._dir = harness.temp_dir()
        out = os.path.join(cls._dir.name, "out")
        subprocess.run(["cpack", "--config", os.path.join(BUILD_DIR, "CPackConfig.cmake"),
                        "-B", out], check=True, capture_output=True, timeout=240)
        debs = [name for name in os.listdir(out) if name.endswith(".deb")]
        if len(debs) != 1:
            raise AssertionError(f"expected one package, got {debs}")
        cls.deb = os.path.join(out, debs[0])

    @classmethod
    def tearDownClass(cls):
        cls._dir.cleanup()

    def dpkg_deb(self, *args):
        return subprocess.run(["dpkg-deb", *args], capture_output=True, text=True, check=True,
                              timeout=60).stdout

    def test_the_name_and_the_control_fields(self):
        version = project_version()
        self.assertRegex(os.path.basename(self.deb),
                         rf"^vizovi-vevo_{re.escape(version)}_\w+\.deb$")
        fields = {}
        for line in self.dpkg_deb("-f", self.deb).splitlines():
            if line.strip() and not line.startswith(" "):
                key, value = line.split(":", 1)
                fields[key] = value.strip()
        self.assertEqual(fields["Package"], "vizovi-vevo")
        self.assertEqual(fields["Version"], version)
        self.assertEqual(fields["Section"], "utils")
        self.assertRegex(fields["Maintainer"], r"^[^<>]+ <[^<>@]+@[^<>@]+>$")
        self.assertTrue(fields["Description"])
        depends = [d.strip().split(" ")[0] for d in fields["Depends"].split(",")]
        for wanted in ("libqt6widgets6", "libqt6gui6", "libqt6dbus6", "libtesseract5",
                       "libphonenumber8", "tesseract-ocr-eng"):
            self.assertTrue(any(d.startswith(wanted) for d in depends), (wanted, depends))

    def test_the_contents_sit_under_usr(self):
        listed = {line.split()[-1].lstrip(".") for line in
                  self.dpkg_deb("--contents", self.deb).splitlines()}
        entries = (INFO_PLIST, DESKTOP_ENTRY, SCREEN_CAPTURE_ENTRY, ICON)
        for relative in PROGRAMS + entries + MAN_PAGES:
            with self.subTest(relative=relative):
                self.assertIn("/usr/" + relative, listed)

    def test_the_unpacked_program_runs(self):
        with harness.temp_dir() as root:
            self.dpkg_deb("-x", self.deb, root)
            program = os.path.join(root, "usr/bin/vizovi-vevo")
            self.assertEqual(harness.run_to_end([program, "--watch"], harness.clean_env()),
                             (0, CANCELLED, b""))
            self.assertEqual(harness.run_to_end([program, "--self-test"], offscreen()),
                             (0, SELF_TEST_PASSED, b""))

    def test_the_screen_capture_entry_names_the_packaged_program(self):
        with harness.temp_dir() as root:
            self.dpkg_deb("-x", self.deb, root)
            fields = screen_capture_fields(os.path.join(root, "usr", SCREEN_CAPTURE_ENTRY))
        self.assertEqual(fields["Exec"], ["/usr/bin/vizovi-vevo"])


if __name__ == "__main__":
    unittest.main()
