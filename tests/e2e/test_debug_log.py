"""The debug log, seen from outside: its name, its exact bytes after a run
without hover, when it is created or left alone, and what happens when it
cannot be created."""

import os

import harness
from harness import IDCANCEL

OPENED = b"Debugging Started!\r\n"
COMPLETE = b"Debugging Started!\r\nDebugging Closed!\r\n"
EARLIER = b"an earlier run's log\r\n"


def debug_ini(value):
    """A valid file whose Main/Debug is value (None: no such key)."""
    main = {"Title": "log test"}
    if value is not None:
        main["Debug"] = value
    return {"Version": {"Release": "1"}, "Main": main}


class DebugLogTests(harness.E2ETestCase):

    def test_log_of_a_run_without_hover(self):
        # (base name, Debug value); the log is <base name>.log in the program's folder.
        cases = [("SETUP", "On"), ("Setup", "on"), ("inst", "ON"), ("SETUP", "  On  ")]
        for base, value in cases:
            with self.subTest(base=base, value=value):
                media = self.media(base, ini=debug_ini(value))
                media.write(base + ".log", EARLIER * 3)
                launch, _, _ = self.start_menu(media)
                self.assertEqual(media.read(base + ".log"), OPENED, "the log is emptied and opened at start")
                self.assertEqual(self.end_with_escape(launch), 0)
                logs = [name for name in os.listdir(media.dir) if name.lower().endswith(".log")]
                self.assertEqual(logs, [base + ".log"])
                self.assertEqual(media.read(base + ".log"), COMPLETE)
                self.assertEqual(len(COMPLETE), 39)

    def test_other_values_leave_an_earlier_log_alone(self):
        # (Debug value or None for no key, whether an earlier log exists)
        cases = [(None, True), ("", True), ("Yes", True), ("1", True), ("Off", True), ("*NOT*", True),
                 ("Onn", True), (None, False)]
        for value, earlier in cases:
            with self.subTest(value=value, earlier=earlier):
                media = self.media("SETUP", ini=debug_ini(value))
                if earlier:
                    media.write("SETUP.log", EARLIER)
                    os.utime(media.path("SETUP.log"), (1000000000, 1000000000))
                launch, _, _ = self.start_menu(media)
                self.assertEqual(self.end_with_escape(launch), 0)
                if earlier:
                    self.assertEqual(media.read("SETUP.log"), EARLIER)
                    self.assertEqual(os.stat(media.path("SETUP.log")).st_mtime, 1000000000)
                else:
                    self.assertFalse(media.exists("SETUP.log"))

    def test_log_that_cannot_be_created(self):
        # A folder in the log's place: creation fails, one box, the run goes on.
        media = self.media("SETUP", ini=debug_ini("On"))
        os.mkdir(media.path("SETUP.log"))
        launch = media.start()
        box = launch.msgbox(press="ok")
        self.assertIsNotNone(box, "no box about the log")
        self.assertEqual((box["caption"], box["text"]), ("Setup Error!", "Unable to start debugging!"))
        self.assertTrue(box["icon"])
        self.assertEqual(box["owner"], "0x0")
        launch.wait_menu()
        self.assertNoMessageBox(launch)
        self.assertEqual(self.end_with_escape(launch), 0)
        self.assertEqual(os.listdir(media.path("SETUP.log")), [])

    def test_second_launcher_while_the_first_holds_the_log(self):
        media = self.media("SETUP", ini=debug_ini("On"))
        first, _, first_menu = self.start_menu(media)
        self.assertEqual(media.read("SETUP.log"), OPENED)

        # A sub-menu's configuration: the same file would only bring the first menu forward.
        media.write_ini(debug_ini("On"), name="other.INI")
        second = media.start(tail="other")
        box = second.msgbox(press="ok")
        self.assertIsNotNone(box, "the second launcher did not report the log")
        self.assertEqual((box["caption"], box["text"]), ("Setup Error!", "Unable to start debugging!"))
        self.assertTrue(box["icon"])
        second.wait_menu()
        self.assertNoMessageBox(second)
        self.assertIsNone(first.msgbox(timeout=0.2), "the first launcher must not show a box")

        second.command(IDCANCEL)
        self.assertEqual(second.wait_exit(), 0)
        self.assertEqual(media.read("SETUP.log"), OPENED, "the second run must not touch the first one's log")
        self.assertTrue(first.running)

        first.command(IDCANCEL)
        self.assertEqual(first.wait_exit(), 0)
        self.assertEqual(media.read("SETUP.log"), COMPLETE)


if __name__ == "__main__":
    harness.main()
