"""No surprise processes: a button starts exactly the file that the program
folder and its Command value name together, or nothing. No search path, no
default extension, no arguments split off.

Copies of the recording child program lie in wait: in a folder on the
launcher's search path (WINEPATH puts it first in the PATH of the Wine
process, and the launcher also starts with it as current folder), under the
names the commands would reach through the search path, an added extension
or a cut at a blank. Each copy records its starts beside itself; a record
beside a decoy means the launcher started something it should not have. A
shell started the same way finds the decoys, so the folder really is on
the search path."""

import os
import shutil
import time

import harness
from harness import ID_BUTTON_NORMAL, probe, winpath

CANNOT_START = "Unable to execute installation command!"


def records(folder, name):
    """The starts recorded by the child copied into folder as name."""
    path = os.path.join(folder, os.path.splitext(name)[0] + ".record")
    if not os.path.exists(path):
        return []
    with open(path, "rb") as f:
        lines = f.read().decode("latin-1").split("\r\n")
    return [dict(field.split("=", 1) for field in line.split("|")) for line in lines if line]


class SearchPathTests(harness.E2ETestCase):

    # Decoys on the search path.
    ON_PATH = ["decoy.exe", "decoy.com", "local.exe"]

    def setUp(self):
        super().setUp()
        self.addCleanup(self.assertNoCrash)
        # The media folder and the search-path folder side by side.
        self.m = self.media("SETUP", ini=None, dirname="media")
        self.on_path = os.path.join(self.m.root, "onpath")
        os.makedirs(self.on_path)
        for name in self.ON_PATH:
            shutil.copyfile(harness.environment().child, os.path.join(self.on_path, name))
            self.m.programs.append(name)  # ended by the media cleanup if one ever runs
        self.env = {"WINEPATH": winpath(self.on_path)}

    def assertNoCrash(self):
        dialogs = harness.crash_dialogs()
        if dialogs:
            probe.kill(exe="winedbg.exe")
            self.fail("Wine crash dialog: %s" % dialogs)

    def add_to_media(self, *names):
        for name in names:
            shutil.copyfile(harness.environment().child, self.m.path(name))
            self.m.programs.append(name)

    def assertNoDecoyStarted(self):
        for name in self.ON_PATH:
            self.assertEqual(records(self.on_path, name), [], "%s on the search path was started" % name)

    def run_buttons(self, commands, fails):
        """A menu with one button per command, each clicked once. fails:
        whether the clicks end in the error box (else they start without
        one). The menu stays open all along and ends with Escape."""
        ini = {"Version": {"Release": "1"}}
        for n, command in enumerate(commands, 1):
            ini["Button%d" % n] = {"Text": "Button %d" % n, "Command": command}
        self.m.write_ini(ini)
        launch = self.m.start(env=self.env, cwd=winpath(self.on_path))
        _, menu = launch.wait_menu()
        for n, command in enumerate(commands, 1):
            with self.subTest(command=command):
                launch.click_control(ID_BUTTON_NORMAL[n], menu)
                if fails:
                    box = launch.msgbox(press="ok")
                    self.assertIsNotNone(box, "no error box")
                    self.assertEqual((box["caption"], box["text"]), ("Setup Error!", CANNOT_START))
                else:
                    self.assertNoMessageBox(launch)
                self.assertTrue(launch.running)
        return launch

    def end(self, launch):
        self.assertEqual(self.end_with_escape(launch), 0)
        self.assertNoCrash()

    def test_the_decoys_are_on_the_search_path(self):
        # A shell in the same environment finds them by bare name, the
        # second through its default extension: what a launcher that used
        # the search path or added extensions would start.
        env = harness.environment()
        for command, decoy in (("decoy.exe", "decoy.exe"), ("decoy", "decoy.exe"), ("local", "local.exe")):
            with self.subTest(command=command):
                before = len(records(self.on_path, decoy))
                code, _, _ = harness.run_quietly(
                    [env.wrapper, env.probe, "run", "--cwd", winpath(env.work), r"C:\windows\system32\cmd.exe",
                     ("cmd /c " + command).encode("latin-1").hex()], 60, dict(os.environ, **self.env))
                self.assertEqual(code, 0)
                # The shell does not wait for a GUI program.
                deadline = time.monotonic() + harness.WAIT_TIMEOUT
                while len(records(self.on_path, decoy)) == before and time.monotonic() < deadline:
                    time.sleep(0.1)
                self.assertEqual(len(records(self.on_path, decoy)), before + 1)

    def test_no_search_path_and_no_default_extension(self):
        # The media folder holds local.exe and local.com; nothing named
        # exactly as a command.
        self.add_to_media("local.exe", "local.com")
        launch = self.run_buttons(["decoy.exe", "decoy", "local"], fails=True)
        time.sleep(1.0)
        self.assertNoDecoyStarted()
        self.assertEqual(self.m.records("local.exe"), [], "local.exe or local.com in the media folder was started")
        self.end(launch)

    def test_no_arguments_split_off(self):
        self.add_to_media("local.exe", "decoy.exe")
        launch = self.run_buttons(["local.exe /S", 'local.exe "decoy.exe"', "decoy.exe local.exe"], fails=True)
        time.sleep(1.0)
        self.assertNoDecoyStarted()
        self.assertEqual(self.m.records("local.exe"), [])
        self.assertEqual(self.m.records("decoy.exe"), [])
        self.end(launch)

    def test_exactly_the_named_file_starts(self):
        # The same names as the decoys, and a file whose name holds a blank:
        # each button starts the media folder's file, the whole value being
        # its name.
        self.add_to_media("decoy.exe", "local.exe", "local.exe x")
        launch = self.run_buttons(["decoy.exe", "local.exe x", "local.exe"], fails=False)
        decoy = self.m.wait_records("decoy.exe", 1)
        local = self.m.wait_records("local.exe", 2)  # local.exe and "local.exe x" share a record
        time.sleep(0.5)
        self.assertEqual([r["cmdline"] for r in decoy], ['"%s"' % self.m.winpath("decoy.exe")])
        self.assertEqual(sorted(r["cmdline"] for r in local),
                         sorted('"%s"' % self.m.winpath(name) for name in ("local.exe x", "local.exe")))
        self.assertNoDecoyStarted()
        self.end(launch)


if __name__ == "__main__":
    harness.main()
