"""vizovi-vevo-dial: the picked number handed to whatever dials tel: links, or to the clipboard."""

import os
import select
import subprocess
import time
import unittest

import harness

SELECTED = '{"status":"ready","count":1}\n{"status":"showing"}\n{"status":"selected","number":"%s"}\n'


def write_script(directory, name, body):
    path = os.path.join(directory, name)
    with open(path, "w", encoding="utf-8") as f:
        f.write("#!/bin/sh\n" + body)
    os.chmod(path, 0o755)
    return path


def read_lines(path):
    if not os.path.exists(path):
        return []
    with open(path, encoding="utf-8") as f:
        return f.read().splitlines()


class WithStandIns(unittest.TestCase):
    """A stand-in picker, and openers, clipboards and notifiers that record what they got."""

    def setUp(self):
        self._dir = harness.temp_dir()
        self.stubs = self._dir.name
        self.record = {name: os.path.join(self.stubs, name + ".log")
                       for name in ("opened", "arguments", "clipboard", "notified")}
        write_script(self.stubs, "xdg-open", f'printf "%s\\n" "$@" >> "{self.record["opened"]}"\n'
                                             'echo "xdg-open: no method for $1" >&2\n'
                                             'exit "${XDG_STATUS:-0}"\n')
        write_script(self.stubs, "xclip", f'cat >> "{self.record["clipboard"]}"\n')
        write_script(self.stubs, "notify-send",
                     f'printf "%s|" "$@" >> "{self.record["notified"]}"\necho >> '
                     f'"{self.record["notified"]}"\n')
        self.program = write_script(
            self.stubs, "stand-in",
            f'printf "%s\\n" "$@" > "{self.record["arguments"]}"\nprintf "%s" "$FAKE_LINES"\n')

    def tearDown(self):
        self._dir.cleanup()

    def dial(self, lines, *args, program=None, **env):
        """Runs the helper; returns (exit status, stdout, stderr)."""
        for path in self.record.values():
            if os.path.exists(path):
                os.remove(path)
        settings = {"LC_ALL": "C.UTF-8", **env}
        environment = harness.clean_env(
            PATH=self.stubs + os.pathsep + os.environ["PATH"], FAKE_LINES=lines,
            VIZOVI_VEVO=program or self.program, **settings)
        done = subprocess.run([harness.program("vizovi-vevo-dial"), *args], env=environment,
                              capture_output=True, timeout=60)
        return done.returncode, done.stdout, done.stderr

    def test_a_selection_opens_one_global_tel_uri_and_prints_nothing(self):
        self.assertEqual(self.dial(SELECTED % "+1 (415) 555-0142", "--demo", "x y"),
                         (0, b"", b""))
        self.assertEqual(read_lines(self.record["opened"]), ["tel:+14155550142"])
        self.assertEqual(read_lines(self.record["arguments"]), ["--demo", "x y"])
        self.assertEqual(read_lines(self.record["clipboard"]), [])

    def test_national_numbers_are_read_in_the_users_region(self):
        for locale, uri in (("en_GB.UTF-8", "tel:+442079460958"),
                            ("en_US.UTF-8", "tel:020%207946%200958")):
            with self.subTest(locale=locale):
                self.dial(SELECTED % "020 7946 0958", LC_ALL=locale)
                self.assertEqual(read_lines(self.record["opened"]), [uri])

    def test_print_writes_the_uri_instead_of_opening_it(self):
        self.assertEqual(self.dial(SELECTED % "+1 415 555 0142 ext. 12", "--print"),
                         (0, b"tel:+14155550142;ext=12\n", b""))
        self.assertEqual(read_lines(self.record["opened"]), [])
        self.assertNotIn("--print", read_lines(self.record["arguments"]))

    def test_every_other_outcome_opens_nothing(self):
        for lines in ('{"status":"cancelled"}\n', '{"status":"failed"}\n', "",
                      '{"status":"selected","number":"+1 415 555 0142"}',
                      '{"status":"selected","number":"+1 415 555 0142"\n'):
            with self.subTest(lines=lines):
                self.assertEqual(self.dial(lines), (0, b"", b""))
                self.assertEqual(read_lines(self.record["opened"]), [])

    def test_without_a_tel_handler_the_number_goes_to_the_clipboard_with_one_notice(self):
        status, out, err = self.dial(SELECTED % "+1 (415) 555-0142", XDG_STATUS="3")
        # The opener's complaint names the number: it must not reach standard error.
        self.assertEqual((status, out, err), (3, b"", b""))
        self.assertEqual(read_lines(self.record["clipboard"]), ["+1 (415) 555-0142"])
        notices = read_lines(self.record["notified"])
        self.assertEqual(len(notices), 1)
        self.assertIn("No app handles phone links", notices[0])
        self.assertNotIn("555", notices[0])

    def test_a_picker_that_cannot_run_is_not_success(self):
        status, _, _ = self.dial("", program=os.path.join(self.stubs, "missing"))
        self.assertEqual(status, 127)


class OnADesktop(unittest.TestCase):
    """The real xdg-open, xclip and a notification service on a private session bus."""

    @classmethod
    def setUpClass(cls):
        harness.need_tools("xdg-open", "xdg-mime", "xclip", "notify-send", "dbus-daemon",
                           "gdbus", "Xvfb")

    def setUp(self):
        self._dir = harness.temp_dir()
        self.home = self._dir.name
        self.x = harness.XServer(640, 480).__enter__()
        self.addCleanup(self.x.__exit__, None, None, None)
        self.bus_address = self.start_bus()
        self.env = self.x.env(
            HOME=self.home, XDG_DATA_HOME=os.path.join(self.home, "data"),
            XDG_CONFIG_HOME=os.path.join(self.home, "config"), XDG_DATA_DIRS="/usr/share",
            DBUS_SESSION_BUS_ADDRESS=self.bus_address, LC_ALL="C.UTF-8",
            VIZOVI_VEVO=write_script(self.home, "stand-in",
                                     'printf "%s" "$FAKE_LINES"\n'))
        self.start_notification_service()

    def tearDown(self):
        self._dir.cleanup()

    def start_bus(self):
        bus = subprocess.Popen(["dbus-daemon", "--session", "--nofork", "--print-address=1"],
                               stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
        self.addCleanup(harness.stop, bus)
        ready, _, _ = select.select([bus.stdout], [], [], 20)
        self.assertTrue(ready, "the session bus did not start")
        return bus.stdout.readline().decode().strip()

    def start_notification_service(self):
        service = subprocess.Popen(["/usr/bin/python3", "-m", "dbusmock", "--template",
                                    "notification_daemon"], env=self.env,
                                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        self.addCleanup(harness.stop, service)
        deadline = time.monotonic() + 20
        while time.monotonic() < deadline and not self.notification_calls(check=False):
            time.sleep(0.1)

    def notification_calls(self, check=True):
        done = subprocess.run(
            ["gdbus", "call", "--session", "--dest", "org.freedesktop.Notifications",
             "--object-path", "/org/freedesktop/Notifications", "--method",
             "org.freedesktop.DBus.Mock.GetCalls"], env=self.env, capture_output=True, text=True,
            timeout=20, check=check)
        return done.stdout if done.returncode == 0 else None

    def dial(self, number):
        env = dict(self.env, FAKE_LINES=SELECTED % number)
        done = subprocess.run([harness.program("vizovi-vevo-dial")], env=env,
                              capture_output=True, timeout=60)
        return done.returncode, done.stdout, done.stderr

    def test_the_registered_tel_handler_receives_exactly_the_uri(self):
        received = os.path.join(self.home, "received")
        handler = write_script(self.home, "dialer", f'printf "%s\\n" "$@" >> "{received}"\n')
        applications = os.path.join(self.home, "data", "applications")
        os.makedirs(applications)
        with open(os.path.join(applications, "fake-dialer.desktop"), "w") as f:
            f.write("[Desktop Entry]\nType=Application\nName=Fake dialer\n"
                    f"Exec={handler} %u\nMimeType=x-scheme-handler/tel;\n")
        subprocess.run(["xdg-mime", "default", "fake-dialer.desktop", "x-scheme-handler/tel"],
                       env=self.env, check=True, timeout=20)
        self.assertEqual(self.dial("+44 20 7946 0958"), (0, b"", b""))
        deadline = time.monotonic() + 10
        while time.monotonic() < deadline and not read_lines(received):
            time.sleep(0.1)
        self.assertEqual(read_lines(received), ["tel:+442079460958"])
        self.assertNotIn("Notify", self.notification_calls())

    def test_with_no_tel_handler_the_clipboard_holds_the_number_and_one_notice_is_sent(self):
        status, out, err = self.dial("+1 (415) 555-0142")
        self.assertNotEqual(status, 0)
        self.assertEqual((out, err), (b"", b""))
        pasted = subprocess.run(["xclip", "-o", "-selection", "clipboard"], env=self.env,
                                capture_output=True, text=True, timeout=20)
        self.assertEqual(pasted.stdout, "+1 (415) 555-0142")
        self.assertEqual(self.notification_calls().count("'Notify'"), 1)


if __name__ == "__main__":
    unittest.main()
