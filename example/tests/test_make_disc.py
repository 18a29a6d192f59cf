"""scripts/make-disc.sh: both trees of the image, read back with xorriso, hold
the folder byte for byte (long names and blanks under Joliet); an autorun.inf
is added when the folder has none; labels follow ISO 9660; options go before
or after the folder names; --sign signs in the image only; a folder the
launcher would refuse, or whose autorun.inf it would refuse, gives no image."""

import os
import pathlib
import shutil
import subprocess
import sys
import tempfile
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from media_tools import make_certificate, verify_signature  # noqa: E402

SOURCE = os.environ["SETUPMENU_SOURCE"]
MEDIA = os.environ["SETUPMENU_EXAMPLE_MEDIA"]
CHECKER = os.environ["SETUPMENU_CHECKER64"]
LAUNCHER64 = os.environ["SETUPMENU_LAUNCHER64"]
# A disc takes the shipped 32-bit launcher.
LAUNCHER32 = os.environ["SETUPMENU_LAUNCHER32"]


def make_disc(media, iso, *options, after=()):
    """Runs make-disc.sh with options before the folder names, and `after` them."""
    return subprocess.run([os.path.join(SOURCE, "scripts", "make-disc.sh"), "--checker", CHECKER, *options,
                           media, iso, *after], stdin=subprocess.DEVNULL, capture_output=True, text=True, timeout=300)


def folder_files(folder):
    files = {}
    for directory, _, names in os.walk(folder):
        for name in names:
            with open(os.path.join(directory, name), "rb") as f:
                files[os.path.relpath(os.path.join(directory, name), folder)] = f.read()
    return files


def extract(iso, tree, folder):
    """The files of one tree: "norock" is Joliet, "any" Rock Ridge, "ecma119" plain ISO 9660."""
    subprocess.run(["xorriso", "-no_rc", "-report_about", "FAILURE", "-read_fs", tree, "-osirrox", "on",
                    "-indev", iso, "-extract", "/", folder], check=True, capture_output=True)
    return folder_files(folder)


def volume_ids(iso):
    """The volume ids of the primary and of the Joliet volume descriptor."""
    with open(iso, "rb") as f:
        data = f.read(20 * 2048)
    primary, joliet = data[16 * 2048:17 * 2048], data[17 * 2048:18 * 2048]
    assert primary[0] == 1 and joliet[0] == 2 and joliet[88:91] == b"%/E"
    return primary[40:72].decode("ascii").rstrip(), joliet[40:72].decode("utf-16-be").rstrip()


with open(os.path.join(MEDIA, "SetupMenu.ini")) as f:
    EXAMPLE_DEBUG = f.read()


class MakeDisc(unittest.TestCase):
    def setUp(self):
        self.work = tempfile.mkdtemp(prefix="disc-", dir=os.environ.get("SETUPMENU_TEST_WORK"))
        self.iso = os.path.join(self.work, "disc.iso")

    def small_media(self, name, ini, more=None):
        """A folder with the 32-bit launcher, its SETUP.INI and more files
        {name: text, or bytes, or None for none}."""
        media = os.path.join(self.work, name)
        os.makedirs(media)
        shutil.copyfile(LAUNCHER32, os.path.join(media, "SETUP.EXE"))
        for file, text in dict({"SETUP.INI": ini}, **(more or {})).items():
            if text is None:
                os.remove(os.path.join(media, file))
                continue
            with open(os.path.join(media, file), "wb" if isinstance(text, bytes) else "w",
                      **({} if isinstance(text, bytes) else {"newline": "\r\n"})) as f:
                f.write(text)
        return media

    def example_media(self, ignore=()):
        """A copy of the example media with the 32-bit launcher."""
        media = os.path.join(self.work, "example-media")
        shutil.copytree(MEDIA, media, ignore=shutil.ignore_patterns(*ignore))
        shutil.copyfile(LAUNCHER32, os.path.join(media, "SetupMenu.exe"))
        return media

    def assertMade(self, run):
        self.assertEqual((run.returncode, run.stdout.strip()), (0, self.iso), run.stderr)

    def test_the_example_media_with_its_autorun_entry(self):
        # Shipped with Debug=On, for trying them in a writable folder: only when asked for.
        media = self.example_media()
        self.assertMade(make_disc(media, self.iso, "--allow-debug"))
        folder = folder_files(media)
        self.assertIn("autorun.inf", folder)
        for tree in ("norock", "any"):
            with self.subTest(tree=tree):
                self.assertEqual(extract(self.iso, tree, os.path.join(self.work, tree)), folder)
        self.assertEqual(volume_ids(self.iso), ("EXAMPLE_MEDIA", "EXAMPLE_MEDIA"))

    def test_long_names_and_a_written_autorun_entry(self):
        media = self.example_media(ignore=["autorun.inf"])
        ini = os.path.join(media, "SetupMenu.ini")
        with open(ini) as f:
            text = f.read().replace("Title=Example Media Setup", "Title=Example Media Setup, Second Edition")
        text = text.replace("Debug=On", "Debug=Off").replace("Languages=de", "")
        long_names = {"A long file name with blanks.txt": b"1", "sub folder/Name, with comma.dat": b"2"}
        for name, data in [(ini, text.encode())] + [(os.path.join(media, n), d) for n, d in long_names.items()]:
            os.makedirs(os.path.dirname(name), exist_ok=True)
            with open(name, "wb") as f:
                f.write(data)
        before = folder_files(media)
        self.assertMade(make_disc(media, self.iso))
        files = extract(self.iso, "norock", os.path.join(self.work, "joliet"))
        # The title cut to the 32 characters Windows shows.
        self.assertEqual(files.pop("autorun.inf"), b"[autorun]\r\nopen=SetupMenu.exe\r\nicon=SetupMenu.exe,0\r\n"
                                                   b"label=Example Media Setup, Second Edit\r\n")
        self.assertEqual(files, before)
        self.assertFalse(set(long_names) & set(extract(self.iso, "ecma119", os.path.join(self.work, "plain"))))
        self.assertEqual(folder_files(media), before)

    def test_labels_follow_iso_9660_and_warnings_do_not_stop_the_image(self):
        # (options before the folder names, options after them, folder name, volume id)
        for options, after, name, volume_id in [([], [], "my-media", "MY_MEDIA"),
                                                (["--label", "Example media 1.0"], [], "a", "EXAMPLE_MEDIA_1_0"),
                                                (["--label", "Disc " * 8], [], "b", ("DISC_" * 7)[:32]),
                                                ([], ["--label", "typed last"], "c", "TYPED_LAST")]:
            with self.subTest(options=options, after=after, folder=name):
                media = self.small_media(name, "[Version]\nRelease=1\n[Main]\nImage=gone.bmp\n")
                run = make_disc(media, self.iso, *options, after=after)
                self.assertMade(run)
                self.assertIn("warning: [Main] Image", run.stderr)
                self.assertEqual(volume_ids(self.iso), (volume_id, volume_id[:16]))

    def test_a_folder_the_launcher_would_refuse_gives_no_image(self):
        autorun = "[autorun]\nopen=SETUP.EXE menu\n"
        # (configuration, more files, what the error output says)
        for ini, more, said in [
                ("[Main]\nTitle=No version mark\n", {}, "refused: the file has no [Version] section"),
                ("[Version]\nRelease=1\n", {"autorun.inf": autorun}, "which does not exist: the launcher refuses it"),
                ("[Version]\nRelease=1\n", {"autorun.inf": autorun, "menu.INI": "[Main]\n"},
                 "has no [Version] Release value: the launcher refuses it"),
                # On a disc the log cannot be created: every user would see an error box.
                ("[Version]\nRelease=1\n[Main]\nDebug=on\n", {}, "SETUP.INI: on a disc the log file cannot"),
                ("[Version]\nRelease=1\n[Main]\nLanguages=de\n",
                 {"SETUP.de.INI": "[Version]\nRelease=1\n[Main]\nDebug=On\n"},
                 "SETUP.de.INI: on a disc the log file cannot"),
                (EXAMPLE_DEBUG, {}, "--allow-debug"),
                # Only the 32-bit launcher, which the autorun.inf starts, makes a disc that starts everywhere.
                ("[Version]\nRelease=1\n", {"SETUP.EXE": None}, "no launcher program in the folder"),
                ("[Version]\nRelease=1\n", {"SETUP.EXE": pathlib.Path(LAUNCHER64).read_bytes()}, "is a 64-bit build"),
                ("[Version]\nRelease=1\n", {"autorun.inf": "[autorun]\nopen=gone.exe\n"},
                 "which is not a file in the media folder"),
                # Each language's file is checked as its users' configuration.
                ("[Version]\nRelease=1\n[Main]\nLanguages=de\n", {"SETUP.de.INI": "[Main]\nTitle=x\n"},
                 "the launcher would refuse this configuration")]:
            with self.subTest(more=more):
                shutil.rmtree(self.work)
                os.makedirs(self.work)
                run = make_disc(self.small_media("media", ini, more), self.iso)
                self.assertEqual(run.returncode, 1)
                self.assertIn(said, run.stderr)
                self.assertTrue(run.stderr.rstrip().endswith("no image"), run.stderr)
                self.assertEqual(os.listdir(self.work), ["media"])

    def test_check_script_ends_with_the_checkers_status(self):
        # (configuration, the checker's exit status)
        for ini, status in [("[Version]\nRelease=1\n", 0), ("[Version]\nRelease=1\n[Main]\nImage=gone.bmp\n", 1),
                            ("[Main]\nTitle=No version mark\n", 2), (None, 3)]:
            with self.subTest(ini=ini):
                media = self.small_media("media%d" % status, ini) if ini else os.path.join(self.work, "none")
                run = subprocess.run([os.path.join(SOURCE, "scripts", "check.sh"), "--checker", CHECKER, media],
                                     stdin=subprocess.DEVNULL, capture_output=True, text=True, timeout=120)
                self.assertEqual(run.returncode, status, run.stdout + run.stderr)
                if ini:
                    self.assertIn("result: ", run.stdout)

    def test_sign_signs_the_launcher_and_the_checker_in_the_image_only(self):
        pfx, pem, secret = make_certificate(self.work)
        media = self.small_media("media", "[Version]\nRelease=1\n")
        shutil.copyfile(CHECKER, os.path.join(media, "SetupMenuCheck.exe"))
        before = folder_files(media)
        self.assertMade(make_disc(media, self.iso, "--sign", pfx, "--password-file", secret))
        self.assertEqual(folder_files(media), before)
        files = extract(self.iso, "norock", os.path.join(self.work, "joliet"))
        for program in ("SETUP.EXE", "SetupMenuCheck.exe"):
            with self.subTest(program=program):
                verdict = verify_signature(os.path.join(self.work, "joliet", program), pem)
                self.assertEqual(verdict.returncode, 0, verdict.stdout)
                self.assertNotEqual(files.pop(program), before.pop(program))
        files.pop("autorun.inf")
        self.assertEqual(files, before)


if __name__ == "__main__":
    unittest.main()
