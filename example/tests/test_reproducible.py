"""Two release builds of the same sources, from different source and build
folders, one after the other, in different time zones and under different
umasks, give the same 32-bit programs, release zip and disc image of its
example media; the programs carry no link time and no build path."""

import os
import shutil
import struct
import subprocess
import tempfile
import unittest

SOURCE = os.environ["SETUPMENU_SOURCE"]
CHECKER = os.environ["SETUPMENU_CHECKER64"]
PROGRAMS = ["bin/SetupMenu.exe", "bin/SetupMenuCheck.exe", "example-media/installers/example1.exe"]


def read(path):
    with open(path, "rb") as f:
        return f.read()


class TwoBuilds(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.work = tempfile.mkdtemp(prefix="reproducible-", dir=os.environ.get("SETUPMENU_TEST_WORK"))
        git = ["git", "-C", SOURCE]
        commit_time = subprocess.run(git + ["log", "-1", "--format=%ct"], check=True, capture_output=True,
                                     text=True).stdout.strip()
        # The second build's sources: a copy without the repository, which
        # gets the commit's time as SOURCE_DATE_EPOCH.
        copy = os.path.join(cls.work, "source")
        for name in subprocess.run(git + ["ls-files", "--cached", "--others", "--exclude-standard"], check=True,
                                   capture_output=True, text=True).stdout.splitlines():
            if os.path.isfile(os.path.join(SOURCE, name)):
                os.makedirs(os.path.dirname(os.path.join(copy, name)), exist_ok=True)
                shutil.copy2(os.path.join(SOURCE, name), os.path.join(copy, name))
        cls.failures = []
        # (build, sources, what else differs: environment, umask)
        for name, source, changes, umask in (("a", SOURCE, {"TZ": "UTC0"}, 0o022),
                                             ("b", copy, {"TZ": "JST-9", "SOURCE_DATE_EPOCH": commit_time}, 0o027)):
            env = {k: v for k, v in os.environ.items() if k != "SOURCE_DATE_EPOCH"}
            env.update(changes, CMAKE_BUILD_PARALLEL_LEVEL="2")
            top = os.path.join(cls.work, name)
            commands = [[os.path.join(source, "scripts", "release.sh"), "--out", top, "--win32-build",
                         os.path.join(top, "win32")],
                        ["unzip", "-q", os.path.join(top, "SetupMenu-*.zip"), "-d", os.path.join(top, "unpacked")]]
            for command in commands:
                run = subprocess.run(command, env=env, preexec_fn=lambda: os.umask(umask), capture_output=True,
                                     text=True, stdin=subprocess.DEVNULL, timeout=900)
                if run.returncode != 0:
                    cls.failures.append(f"{name}: {command[0]}: {run.stderr}")
                    return
            example = os.path.join(top, "unpacked", os.listdir(os.path.join(top, "unpacked"))[0], "example")
            # The example ships Debug=On, for trying it in a writable folder.
            run = subprocess.run([os.path.join(source, "scripts", "make-disc.sh"), "--checker", CHECKER,
                                  "--allow-debug", example,
                                  os.path.join(top, "example.iso")], env=env, preexec_fn=lambda: os.umask(umask),
                                 capture_output=True, text=True, stdin=subprocess.DEVNULL, timeout=300)
            if run.returncode != 0:
                cls.failures.append(f"{name}: make-disc: {run.stderr}")

    @classmethod
    def tearDownClass(cls):
        if not cls.failures:  # kept for a look when a build failed
            shutil.rmtree(cls.work, ignore_errors=True)

    def setUp(self):
        self.assertEqual(self.failures, [])

    def both(self, path):
        return [read(os.path.join(self.work, name, path)) for name in ("a", "b")]

    def test_the_programs_are_the_same_without_link_time_or_build_path(self):
        for program in PROGRAMS:
            with self.subTest(program=program):
                a, b = self.both(os.path.join("win32", program))
                self.assertEqual(a, b)
                pe, = struct.unpack_from("<I", a, 0x3C)
                self.assertEqual(struct.unpack_from("<I", a, pe + 8)[0], 0)
                for path in (SOURCE, self.work):
                    self.assertNotIn(os.fsencode(path), a)

    def test_the_release_zips_and_the_disc_images_are_the_same(self):
        zip_name = [n for n in os.listdir(os.path.join(self.work, "a")) if n.endswith(".zip")][0]
        for path in (zip_name, "example.iso"):
            with self.subTest(file=path):
                a, b = self.both(path)
                self.assertEqual(a, b)


if __name__ == "__main__":
    unittest.main()
