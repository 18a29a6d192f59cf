"""scripts/release.sh: the zip holds the 32-bit launcher, the example media with
32-bit installers, the README and the docs, in sorted entries with the last
commit's time; the example media runs from the unpacked folder; with --sign
the launcher and the checker are signed and nothing else changes."""

import json
import os
import re
import struct
import subprocess
import sys
import tempfile
import time
import unittest
import zipfile

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)
import media_tools  # noqa: E402
from media_tools import WineSession, given, make_certificate, read_profile, verify_signature  # noqa: E402

SOURCE = os.environ.get("SETUPMENU_SOURCE", os.path.dirname(os.path.dirname(HERE)))
WIN32_BUILD = os.environ.get("SETUPMENU_WIN32_BUILD", "")
LAUNCHER64 = os.environ.get("SETUPMENU_LAUNCHER64", "")

IMAGE_FILE_MACHINE_I386 = 0x14C
PE32_MAGIC = 0x10B
SUBSYSTEM_WINDOWS_GUI = 2


def pe_facts(path):
    """Machine, optional-header magic, subsystem and symbol count of a PE file."""
    with open(path, "rb") as f:
        data = f.read()
    if data[:2] != b"MZ":
        return None
    pe, = struct.unpack_from("<I", data, 0x3C)
    if data[pe:pe + 4] != b"PE\0\0":
        return None
    machine, _, _, _, symbols = struct.unpack_from("<HHIII", data, pe + 4)
    magic, = struct.unpack_from("<H", data, pe + 24)
    subsystem, = struct.unpack_from("<H", data, pe + 24 + 68)
    return {"machine": machine, "magic": magic, "subsystem": subsystem, "symbols": symbols}


def certificate_table_size(path):
    """The size the PE header gives the certificate table (0: not signed)."""
    with open(path, "rb") as f:
        data = f.read()
    pe, = struct.unpack_from("<I", data, 0x3C)
    magic, = struct.unpack_from("<H", data, pe + 24)
    directories = pe + 24 + (96 if magic == PE32_MAGIC else 112)
    return struct.unpack_from("<I", data, directories + 4 * 8 + 4)[0]


def release(out, *options):
    """Runs release.sh into `out`; the run and the zip's path."""
    run = subprocess.run(
        [os.path.join(SOURCE, "scripts", "release.sh"), "--out", out, "--win32-build", WIN32_BUILD, *options],
        stdin=subprocess.DEVNULL, capture_output=True, text=True, timeout=600)
    return run, os.path.join(out, f"SetupMenu-{project_version()}.zip")


def project_version():
    with open(os.path.join(SOURCE, "CMakeLists.txt")) as f:
        return re.search(r"project\(SetupMenu VERSION ([0-9.]+)", f.read()).group(1)


def version_string(path):
    """The FileVersion text of a program's version block ("1, 0, 2, 0")."""
    with open(path, "rb") as f:
        data = f.read()
    key = "FileVersion".encode("utf-16-le") + b"\0\0"
    at = data.find(key)
    if at < 0:
        return None
    at += len(key)
    at += (-at) % 4  # the value starts on a 32-bit boundary
    end = data.find(b"\0\0", at)
    while (end - at) % 2:
        end = data.find(b"\0\0", end + 1)
    return data[at:end].decode("utf-16-le")


class ReleaseBundle(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.work = tempfile.mkdtemp(prefix="release-", dir=os.environ.get("SETUPMENU_TEST_WORK"))
        run, cls.zip_path = release(os.path.join(cls.work, "dist"))
        cls.release = run
        cls.name = f"SetupMenu-{project_version()}"
        cls.top = os.path.join(cls.work, "unpacked", cls.name)
        if run.returncode == 0 and os.path.isfile(cls.zip_path):
            with zipfile.ZipFile(cls.zip_path) as z:
                z.extractall(os.path.join(cls.work, "unpacked"))
                cls.names = z.namelist()
            # zipfile keeps no permissions; the programs only need to be readable.

    def setUp(self):
        self.assertEqual(self.release.returncode, 0, f"release.sh failed:\n{self.release.stderr}")
        self.assertEqual(self.release.stdout.strip(), self.zip_path)

    def test_everything_lies_in_one_folder_named_after_the_version(self):
        self.assertTrue(self.names)
        for name in self.names:
            self.assertTrue(name.startswith(self.name + "/"), name)

    def test_programs_are_stripped_32_bit_gui_programs(self):
        programs = ["SetupMenu.exe", "example/SetupMenu.exe"] + [
            f"example/installers/example{n}.exe" for n in (1, 2)]
        # The checker may be a console program: only its bitness is checked.
        checker = ["SetupMenuCheck.exe"] if os.path.exists(os.path.join(self.top, "SetupMenuCheck.exe")) else []
        for program in programs + checker:
            with self.subTest(program=program):
                facts = pe_facts(os.path.join(self.top, program))
                self.assertIsNotNone(facts)
                self.assertEqual(facts["machine"], IMAGE_FILE_MACHINE_I386)
                self.assertEqual(facts["magic"], PE32_MAGIC)
                self.assertEqual(facts["symbols"], 0, "not stripped")
                if program not in checker:
                    self.assertEqual(facts["subsystem"], SUBSYSTEM_WINDOWS_GUI)

    def test_entries_are_sorted_with_the_commit_time_and_fixed_modes(self):
        commit = int(subprocess.run(["git", "-C", SOURCE, "log", "-1", "--format=%ct"], check=True,
                                    capture_output=True, text=True).stdout)
        when = time.gmtime(commit)
        when = (*when[:5], when[5] - when[5] % 2)  # DOS times count seconds in twos
        self.assertEqual(self.names, sorted(self.names))
        with zipfile.ZipFile(self.zip_path) as z:
            for info in z.infolist():
                with self.subTest(entry=info.filename):
                    self.assertFalse(info.is_dir())
                    self.assertEqual(info.date_time, when)
                    mode = 0o100755 if info.filename.endswith(".exe") else 0o100644
                    self.assertEqual(info.external_attr >> 16, mode)

    def test_programs_are_not_signed_without_sign(self):
        for program in ("SetupMenu.exe", "SetupMenuCheck.exe"):
            with self.subTest(program=program):
                self.assertEqual(certificate_table_size(os.path.join(self.top, program)), 0)

    def test_the_checker_comes_along_when_the_build_has_one(self):
        built = [os.path.join(d, f) for d, _, files in os.walk(WIN32_BUILD)
                 if "CMakeFiles" not in d for f in files if f.lower() == "setupmenucheck.exe"]
        self.assertEqual(os.path.exists(os.path.join(self.top, "SetupMenuCheck.exe")), bool(built))

    def test_the_launcher_is_the_example_medias_launcher(self):
        with open(os.path.join(self.top, "SetupMenu.exe"), "rb") as a, \
                open(os.path.join(self.top, "example", "SetupMenu.exe"), "rb") as b:
            self.assertEqual(a.read(), b.read())
        major, minor, patch = project_version().split(".")
        self.assertEqual(version_string(os.path.join(self.top, "SetupMenu.exe")), f"{major}, {minor}, {patch}, 0")

    def test_every_file_the_example_configuration_names_is_there(self):
        config = read_profile(os.path.join(self.top, "example", "SetupMenu.ini"))
        self.assertTrue(given(config["version"].get("release")))
        named = [value for keys in config.values() for key, value in keys.items()
                 if key in ("image", "imagetext", "imagesel", "command", "open") and given(value)]
        self.assertGreaterEqual(len(named), 10)
        for value in named:
            with self.subTest(file=value):
                self.assertTrue(os.path.isfile(os.path.join(self.top, "example", *value.split("\\"))))

    def test_readme_and_docs_are_there(self):
        for name in ("README.md", "docs/configuration.md"):
            with self.subTest(file=name):
                self.assertIn(f"{self.name}/{name}", self.names)
        images = [n for n in self.names if n.startswith(f"{self.name}/docs/images/") and n.endswith(".png")]
        self.assertTrue(images)

    def test_the_unpacked_example_runs_and_ends_with_escape(self):
        # The bundled 32-bit launcher itself, in the unpacked folder, under
        # Wine 10's WoW64 mode.
        reason = WineSession.unavailable()
        if reason:
            self.skipTest("the 32-bit launcher cannot run here: " + reason)
        media = os.path.join(self.top, "example")
        shipped = os.path.join(media, "SetupMenu.exe")
        self.assertEqual(version_string(LAUNCHER64), version_string(shipped))

        wine = WineSession()
        title = read_profile(os.path.join(media, "SetupMenu.ini"))["main"]["title"]
        launcher = wine.start(shipped, media, os.path.join(self.work, "launcher.out"))
        try:
            shown = wine.probe_run("wait", "--exe", "SetupMenu.exe", "--title", title, "--visible",
                                   "--timeout", "20000")
            self.assertEqual(shown.returncode, 0, f"no menu titled {title!r}: {shown.stdout}")
            # What a screen reader reads: every control a push button (0x2B) with its name and "Press".
            menu = next(w for w in json.loads(wine.probe_run("dump", "--exe", "SetupMenu.exe").stdout)["windows"]
                        if w["visible"] and any(c["id"] == 1014 for c in w["children"]))
            controls = {c["id"]: c["hwnd"] for c in menu["children"]}
            for control_id, name in ((1007, "Install Example One (asks first)"), (1008, "Install Example Two"),
                                     (1009, "Read the Manual"), (1014, "Quit without installing")):
                with self.subTest(control=control_id):
                    reading = json.loads(wine.probe_run("acc", "--hwnd", controls[control_id].removeprefix("0x"))
                                         .stdout)
                    self.assertEqual((reading["name"], reading["role"], reading["action"]), (name, 0x2B, "Press"))
            # Tab and Enter, the pointer never moved: the first button's question.
            wine.xdotool("key", "Tab", "Return")
            box = wine.probe_run("msgbox", "--exe", "SetupMenu.exe", "--press", "cancel", "--timeout", "20000")
            self.assertEqual(box.returncode, 0, box.stdout)
            self.assertEqual((json.loads(box.stdout)["caption"], json.loads(box.stdout)["text"]),
                             ("Example One", "Install Application?"))
            time.sleep(0.5)
            wine.xdotool("mousemove", "2", "2")
            wine.xdotool("key", "Escape")
            self.assertEqual(launcher.wait(timeout=20), 0)
        finally:
            if launcher.poll() is None:
                wine.probe_run("kill", "--exe", "SetupMenu.exe")
                launcher.kill()
                launcher.wait()
        # The example asks for a debug log: the run wrote one beside the launcher.
        with open(os.path.join(media, "SetupMenu.log"), "rb") as f:
            log = f.read().split(b"\r\n")
        self.assertEqual(log[0], b"Debugging Started!")
        self.assertEqual(log[-2:], [b"Debugging Closed!", b""])

        # "Read the Manual" (button 3, Open=manual.txt) opens it in Notepad, as on every Windows, and
        # with Exit=ON the menu then ends (after a failed start it would show an error box and stay).
        launcher = wine.start(shipped, media, os.path.join(self.work, "launcher2.out"))
        try:
            self.assertEqual(wine.probe_run("wait", "--exe", "SetupMenu.exe", "--child", "1014", "--visible",
                                            "--timeout", "20000").returncode, 0)
            pressed = wine.probe_run("command", "--exe", "SetupMenu.exe", "--child", "1014", "1009")
            self.assertEqual(pressed.returncode, 0, pressed.stdout)
            notepad = wine.probe_run("wait", "--exe", "notepad.exe", "--visible", "--timeout", "20000")
            self.assertEqual(notepad.returncode, 0, notepad.stdout)
            self.assertIn("manual", notepad.stdout.lower())
            self.assertEqual(launcher.wait(timeout=20), 0)
        finally:
            wine.probe_run("kill", "--exe", "notepad.exe")
            if launcher.poll() is None:
                wine.probe_run("kill", "--exe", "SetupMenu.exe")
                launcher.kill()
                launcher.wait()


class SignedRelease(unittest.TestCase):
    def test_sign_signs_the_launcher_and_the_checker_and_changes_nothing_else(self):
        work = tempfile.mkdtemp(prefix="release-signed-", dir=os.environ.get("SETUPMENU_TEST_WORK"))
        pfx, pem, secret = make_certificate(work)
        zips = {}
        for kind, options in (("signed", ["--sign", pfx, "--password-file", secret]), ("plain", [])):
            run, path = release(os.path.join(work, kind), *options)
            self.assertEqual(run.returncode, 0, run.stderr)
            with zipfile.ZipFile(path) as z:
                z.extractall(os.path.join(work, kind))
                zips[kind] = {name.split("/", 1)[1]: z.read(name) for name in z.namelist()}
        signed, plain = zips["signed"], zips["plain"]
        self.assertEqual(sorted(signed), sorted(plain))
        changed = sorted(name for name in plain if signed[name] != plain[name])
        self.assertEqual(changed, ["SetupMenu.exe", "SetupMenuCheck.exe", "example/SetupMenu.exe"])
        top = os.path.join(work, "signed", f"SetupMenu-{project_version()}")
        for program in changed:
            with self.subTest(program=program):
                verdict = verify_signature(os.path.join(top, program), pem)
                self.assertEqual(verdict.returncode, 0, verdict.stdout + verdict.stderr)
                # How a user compares a signed release with a build of their own.
                unsigned = os.path.join(work, program.replace("/", "-"))
                subprocess.run(["osslsigncode", "remove-signature", "-in", os.path.join(top, program),
                                "-out", unsigned], check=True, capture_output=True)
                with open(unsigned, "rb") as f:
                    self.assertEqual(f.read(), plain[program])


if __name__ == "__main__":
    media_tools.main()
