"""The DLL search locked to the system folder: a uxtheme.dll left in the
media folder is never loaded into the launcher. Wine loads the theme library
into every program that uses windows, after the program has started, and is
told here to prefer a native one, which it looks for along the program's
DLL search path: the program's own folder first, unless the search is locked.

The same folder and overrides with the launcher as it runs on a system
without the lock function (SetupMenuUnlocked: the product's entry looking up
a name no system has) show that the launcher still starts and runs there,
and that the planted library is loaded when nothing stops it, so the test
cannot pass because the library was never looked for or the overrides never
reached the launcher."""

import os

import harness

PLANTED = "uxtheme.dll"
OVERRIDES = {"WINEDLLOVERRIDES": "uxtheme=n,b"}
MARKER = ".loaded"

# (file name in the media folder, build copied in, whether the planted library loads)
CASES = [
    ("SETUP.exe", "launcher", False),
    ("UNLOCKED.exe", "unlocked_launcher", True),
]


class DllSearchTests(harness.E2ETestCase):

    def test_planted_library_loads_only_without_the_lock(self):
        env = harness.environment()
        self.assertTrue(env.planted_dll and env.unlocked_launcher,
                        "SETUPMENU_E2E_PLANTED_DLL and SETUPMENU_E2E_UNLOCKED_LAUNCHER must be set")
        media = self.media("SETUP")
        media.add_copy(env.planted_dll, PLANTED)
        for name, build, _ in CASES:
            if name != media.exe_name:
                media.add_copy(getattr(env, build), name, program=True)
                media.write_ini(name=os.path.splitext(name)[0] + ".INI")

        for name, _, loads in CASES:
            with self.subTest(program=name):
                launch = media.start(exe=name, env=OVERRIDES)
                _, menu = launch.wait_menu()
                self.assertIsNotNone(menu)
                self.assertEqual(self.end_with_escape(launch), 0)
                marker = name + MARKER
                self.assertEqual(media.exists(marker), loads,
                                 "%s: the planted library was %sloaded" % (name, "not " if loads else ""))
                if loads:
                    self.assertEqual(media.read(marker).decode(), str(launch.pid), "loaded by another process")
        markers = sorted(f for f in os.listdir(media.dir) if f.endswith(MARKER))
        self.assertEqual(markers, [name + MARKER for name, _, loads in CASES if loads])


if __name__ == "__main__":
    harness.main()
