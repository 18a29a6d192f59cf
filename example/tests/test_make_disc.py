"""scripts/make-disc.sh: the image's Joliet and Rock Ridge trees, read back
with xorriso, hold the media folder byte for byte, long names and names with
blanks included; an autorun.inf is added when the folder has none; the
volume label follows ISO 9660's rules; --sign signs the launcher and the
checker in the image only; a folder the launcher would refuse gives no image."""

import os
import shutil
import subprocess
import sys
import tempfile
import unittest

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)
from media_tools import make_certificate, read_profile, verify_signature  # noqa: E402

SOURCE = os.environ.get("SETUPMENU_SOURCE", os.path.dirname(os.path.dirname(HERE)))
MEDIA = os.environ.get("SETUPMENU_EXAMPLE_MEDIA", "")
CHECKER = os.environ.get("SETUPMENU_CHECKER64", "")
LAUNCHER64 = os.environ.get("SETUPMENU_LAUNCHER64", "")
WORK = os.environ.get("SETUPMENU_TEST_WORK")

SECTOR = 2048


def make_disc(media, iso, *options):
    return subprocess.run([os.path.join(SOURCE, "scripts", "make-disc.sh"), "--checker", CHECKER, *options,
                           media, iso], stdin=subprocess.DEVNULL, capture_output=True, text=True, timeout=300)


def folder_files(folder):
    """{path relative to the folder, with '/': bytes} of every file below it."""
    files = {}
    for directory, _, names in os.walk(folder):
        for name in names:
            path = os.path.join(directory, name)
            with open(path, "rb") as f:
                files[os.path.relpath(path, folder).replace(os.sep, "/")] = f.read()
    return files


def extract(iso, tree, folder):
    """The image's files as one of its trees gives them: "norock" reads the
    Joliet names, "any" the Rock Ridge ones, "ecma119" the ISO 9660 ones."""
    shutil.rmtree(folder, ignore_errors=True)
    subprocess.run(["xorriso", "-no_rc", "-report_about", "FAILURE", "-read_fs", tree, "-osirrox", "on",
                    "-indev", iso, "-extract", "/", folder], check=True, capture_output=True)
    return folder_files(folder)


def volume_ids(iso):
    """The primary volume descriptor's volume id and the Joliet one."""
    primary = joliet = None
    with open(iso, "rb") as f:
        for sector in range(16, 32):
            f.seek(sector * SECTOR)
            descriptor = f.read(SECTOR)
            if descriptor[0] == 1:
                primary = descriptor[40:72].decode("ascii").rstrip()
            elif descriptor[0] == 2 and descriptor[88:91] in (b"%/@", b"%/C", b"%/E"):
                joliet = descriptor[40:72].decode("utf-16-be").rstrip()
            elif descriptor[0] == 255:
                break
    return primary, joliet


def small_media(folder, ini):
    """A media folder: the launcher as SETUP.EXE and its SETUP.INI."""
    os.makedirs(folder)
    shutil.copyfile(LAUNCHER64, os.path.join(folder, "SETUP.EXE"))
    with open(os.path.join(folder, "SETUP.INI"), "wb") as f:
        f.write(ini.replace("\n", "\r\n").encode("ascii"))
    return folder


class DiscTestCase(unittest.TestCase):
    @classmethod
    def work(cls, name):
        return tempfile.mkdtemp(prefix=name + "-", dir=WORK)

    def assertMade(self, run, iso):
        self.assertEqual(run.returncode, 0, run.stderr)
        self.assertEqual(run.stdout.strip(), iso)


class ExampleDisc(DiscTestCase):
    """The example media as the build assembles it, with its own autorun.inf."""

    @classmethod
    def setUpClass(cls):
        cls.dir = cls.work("example-disc")
        cls.iso = os.path.join(cls.dir, "example.iso")
        cls.run_result = make_disc(MEDIA, cls.iso)

    def setUp(self):
        self.assertMade(self.run_result, self.iso)

    def test_both_trees_hold_the_folder_byte_for_byte(self):
        folder = folder_files(MEDIA)
        self.assertIn("autorun.inf", folder)
        for tree in ("norock", "any"):
            with self.subTest(tree=tree):
                files = extract(self.iso, tree, os.path.join(self.dir, tree))
                self.assertEqual(sorted(files), sorted(folder))
                for name in folder:
                    self.assertEqual(files[name], folder[name], name)

    def test_the_label_is_the_folders_name(self):
        self.assertEqual(volume_ids(self.iso), ("EXAMPLE_MEDIA", "EXAMPLE_MEDIA"))

    def test_the_checker_finds_the_disc_clean(self):
        extracted = os.path.join(self.dir, "checked")
        extract(self.iso, "norock", extracted)
        wine_run = os.path.join(os.environ["SETUPMENU_WINE_STATE"], "wine-run.sh")
        check = subprocess.run([wine_run, CHECKER, "Z:" + extracted.replace("/", "\\")], capture_output=True,
                               text=True, timeout=120)
        self.assertEqual(check.returncode, 0, check.stdout)
        self.assertIn("autorun: open starts the launcher with the configuration checked here", check.stdout)


class FolderWithoutAutorun(DiscTestCase):
    """Long names, names with blanks, a title too long for a label, no autorun.inf."""

    TITLE = "Example Media Setup, Second Edition 2027"
    EXTRA = {
        "A long file name with blanks.txt": b"blanks",
        "sub folder/Second long name, with a comma.dat": b"comma",
        "sub folder/deeper/README.first.txt": b"dots",
    }

    @classmethod
    def setUpClass(cls):
        cls.dir = cls.work("no-autorun")
        cls.media = os.path.join(cls.dir, "media")
        shutil.copytree(MEDIA, cls.media, ignore=shutil.ignore_patterns("autorun.inf"))
        ini = os.path.join(cls.media, "SetupMenu.ini")
        with open(ini) as f:
            text = f.read().replace("Title=Example Media Setup", "Title=" + cls.TITLE)
        with open(ini, "w") as f:
            f.write(text)
        for name, data in cls.EXTRA.items():
            os.makedirs(os.path.dirname(os.path.join(cls.media, name)), exist_ok=True)
            with open(os.path.join(cls.media, name), "wb") as f:
                f.write(data)
        cls.before = folder_files(cls.media)
        cls.iso = os.path.join(cls.dir, "disc.iso")
        cls.run_result = make_disc(cls.media, cls.iso)

    def setUp(self):
        self.assertMade(self.run_result, self.iso)

    def test_long_names_and_blanks_survive_under_joliet(self):
        files = extract(self.iso, "norock", os.path.join(self.dir, "joliet"))
        self.assertEqual(files.pop("autorun.inf")[:9], b"[autorun]")
        self.assertEqual(files, self.before)
        # ISO 9660 names alone are cut and changed: the long names come from Joliet.
        plain = extract(self.iso, "ecma119", os.path.join(self.dir, "iso9660"))
        self.assertFalse(set(self.EXTRA) & set(plain))

    def test_the_written_autorun_entry_starts_the_launcher_under_the_cut_title(self):
        files = extract(self.iso, "norock", os.path.join(self.dir, "autorun"))
        label = self.TITLE[:32].rstrip()
        self.assertEqual(files["autorun.inf"], b"[autorun]\r\nopen=SetupMenu.exe\r\nicon=SetupMenu.exe,0\r\n"
                                               b"label=" + label.encode() + b"\r\n")
        self.assertEqual(read_profile(os.path.join(self.dir, "autorun", "autorun.inf"))["autorun"]["label"],
                         "Example Media Setup, Second Edit")

    def test_the_folder_is_left_as_it_was(self):
        self.assertEqual(folder_files(self.media), self.before)


class Labels(DiscTestCase):
    # (options, folder name, volume id of ISO 9660)
    CASES = [
        ([], "my-media", "MY_MEDIA"),
        (["--label", "Example media 1.0"], "media", "EXAMPLE_MEDIA_1_0"),
        (["--label", "Disc " * 8], "media", ("DISC_" * 7)[:32]),
    ]

    def test_labels_follow_iso_9660_and_warnings_do_not_stop_the_image(self):
        for options, name, volume_id in self.CASES:
            with self.subTest(options=options, folder=name):
                work = self.work("label")
                # A picture that is missing: a warning, and an image all the same.
                media = small_media(os.path.join(work, name), "[Version]\nRelease=1\n[Main]\nImage=gone.bmp\n")
                iso = os.path.join(work, "disc.iso")
                run = make_disc(media, iso, *options)
                self.assertMade(run, iso)
                self.assertIn("warning: [Main] Image", run.stderr)
                self.assertEqual(volume_ids(iso), (volume_id, volume_id[:16]))


class RefusedFolder(DiscTestCase):
    def test_a_folder_the_launcher_would_refuse_gives_no_image(self):
        work = self.work("refused")
        media = small_media(os.path.join(work, "media"), "[Main]\nTitle=No version mark\n")
        iso = os.path.join(work, "disc.iso")
        run = make_disc(media, iso)
        self.assertEqual(run.returncode, 1)
        self.assertIn("refused: the file has no [Version] section", run.stderr)
        self.assertIn("the launcher would refuse this configuration: no image", run.stderr)
        self.assertEqual(os.listdir(work), ["media"])


class SignedDisc(DiscTestCase):
    def test_the_launcher_and_the_checker_are_signed_in_the_image_only(self):
        work = self.work("signed")
        pfx, pem, secret = make_certificate(work)
        media = small_media(os.path.join(work, "media"), "[Version]\nRelease=1\n")
        shutil.copyfile(CHECKER, os.path.join(media, "SetupMenuCheck.exe"))
        before = folder_files(media)
        iso = os.path.join(work, "disc.iso")
        run = make_disc(media, iso, "--sign", pfx, "--password-file", secret)
        self.assertMade(run, iso)
        extracted = os.path.join(work, "joliet")
        files = extract(iso, "norock", extracted)
        for program in ("SETUP.EXE", "SetupMenuCheck.exe"):
            with self.subTest(program=program):
                verdict = verify_signature(os.path.join(extracted, program), pem)
                self.assertEqual(verdict.returncode, 0, verdict.stdout + verdict.stderr)
                self.assertNotEqual(files[program], before[program])
        self.assertEqual(files["SETUP.INI"], before["SETUP.INI"])
        self.assertEqual(folder_files(media), before)


if __name__ == "__main__":
    unittest.main()
