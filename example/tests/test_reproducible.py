"""Two release builds of the same sources, from different source and build
folders, one after the other, in different time zones and under different
umasks, give the same 32-bit programs, the same release zip and the same
disc image of its example media, byte for byte; the programs carry no link
time and no build path."""

import os
import shutil
import struct
import subprocess
import sys
import tempfile
import unittest
import zipfile

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)

SOURCE = os.environ.get("SETUPMENU_SOURCE", os.path.dirname(os.path.dirname(HERE)))
CHECKER = os.environ.get("SETUPMENU_CHECKER64", "")

# Build name, what differs between the two builds: environment and umask.
# The second build's sources are a copy without the repository, so the
# commit's time reaches it as SOURCE_DATE_EPOCH.
BUILDS = [("a", {"TZ": "UTC0"}, 0o022), ("b", {"TZ": "JST-9"}, 0o027)]
PROGRAMS = ["bin/SetupMenu.exe", "bin/SetupMenuCheck.exe", "example-media/installers/example1.exe"]


def run(command, env, umask, **kwargs):
    return subprocess.run(command, env=env, preexec_fn=lambda: os.umask(umask), stdin=subprocess.DEVNULL,
                           capture_output=True, text=True, timeout=900, **kwargs)


def read(path):
    with open(path, "rb") as f:
        return f.read()


def link_time(data):
    pe, = struct.unpack_from("<I", data, 0x3C)
    return struct.unpack_from("<I", data, pe + 8)[0]


class TwoBuilds(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.work = tempfile.mkdtemp(prefix="reproducible-", dir=os.environ.get("SETUPMENU_TEST_WORK"))
        commit_time = subprocess.run(["git", "-C", SOURCE, "log", "-1", "--format=%ct"], check=True,
                                     capture_output=True, text=True).stdout.strip()
        tracked = subprocess.run(["git", "-C", SOURCE, "ls-files", "-z", "--cached", "--others", "--exclude-standard"],
                                 check=True, capture_output=True).stdout.decode().split("\0")
        copy = os.path.join(cls.work, "source-b")
        for name in filter(None, tracked):
            if os.path.isfile(os.path.join(SOURCE, name)):
                os.makedirs(os.path.dirname(os.path.join(copy, name)), exist_ok=True)
                shutil.copy2(os.path.join(SOURCE, name), os.path.join(copy, name))

        cls.out = {}
        cls.failures = []
        for name, changes, umask in BUILDS:
            source = SOURCE if name == "a" else copy
            env = dict(os.environ, CMAKE_BUILD_PARALLEL_LEVEL="2", **changes)
            env.pop("SOURCE_DATE_EPOCH", None)
            if source == copy:
                env["SOURCE_DATE_EPOCH"] = commit_time
            top = os.path.join(cls.work, name)
            release = run([os.path.join(source, "scripts", "release.sh"), "--out", os.path.join(top, "dist"),
                           "--win32-build", os.path.join(top, "win32")], env, umask)
            if release.returncode != 0:
                cls.failures.append(f"release {name}: {release.stderr}")
                continue
            zip_path = release.stdout.strip()
            with zipfile.ZipFile(zip_path) as z:
                z.extractall(os.path.join(top, "unpacked"))
                example = os.path.join(top, "unpacked", z.namelist()[0].split("/")[0], "example")
            iso = os.path.join(top, "example.iso")
            disc = run([os.path.join(source, "scripts", "make-disc.sh"), "--checker", CHECKER, example, iso],
                       env, umask)
            if disc.returncode != 0:
                cls.failures.append(f"make-disc {name}: {disc.stderr}")
            cls.out[name] = {"win32": os.path.join(top, "win32"), "zip": zip_path, "iso": iso}

    @classmethod
    def tearDownClass(cls):
        # The two build trees are kept only when the builds themselves failed.
        if not cls.failures:
            shutil.rmtree(cls.work, ignore_errors=True)

    def setUp(self):
        self.assertEqual(self.failures, [])

    def test_the_programs_are_the_same(self):
        for program in PROGRAMS:
            with self.subTest(program=program):
                a, b = (read(os.path.join(self.out[n]["win32"], program)) for n in ("a", "b"))
                self.assertEqual(a, b)

    def test_the_programs_carry_no_link_time_and_no_build_path(self):
        paths = [os.fsencode(p) for p in (SOURCE, self.work, os.path.basename(self.work))]
        for program in PROGRAMS:
            with self.subTest(program=program):
                data = read(os.path.join(self.out["a"]["win32"], program))
                self.assertEqual(link_time(data), 0)
                for path in paths:
                    self.assertNotIn(path, data)

    def test_the_release_zips_are_the_same(self):
        self.assertEqual(read(self.out["a"]["zip"]), read(self.out["b"]["zip"]))

    def test_the_disc_images_are_the_same(self):
        self.assertEqual(read(self.out["a"]["iso"]), read(self.out["b"]["iso"]))


if __name__ == "__main__":
    unittest.main()
