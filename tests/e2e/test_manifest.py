"""The launcher's application manifest: the program starts with it and shows
its menu, and Wine's own manifest reader finds in the program file what the
manifest is there for."""

import harness

ACTCTX_RUN_LEVEL_AS_INVOKER = 1
# Windows Vista, 7, 8, 8.1 and 10/11, in the manifest's order.
SUPPORTED_OS = [
    "{e2011457-1546-43c5-a5fe-008deee3d3f0}",
    "{35138b9a-5d96-4fbd-8e2d-a2440225f93a}",
    "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}",
    "{1f676c76-80e1-4239-95bb-83d0f6d0da78}",
    "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}",
]


class ManifestTests(harness.E2ETestCase):

    def test_launcher_starts_with_its_manifest(self):
        # A name with "setup" in it, as the installer detection sees it.
        media = self.media("SETUP")
        self.assertEqual(harness.probe.manifest(media.winpath(media.exe_name)),
                         {"run_level": ACTCTX_RUN_LEVEL_AS_INVOKER, "ui_access": 0, "os": SUPPORTED_OS})
        launch, _, menu = self.start_menu(media)
        self.assertTrue(menu.visible)
        self.assertNoMessageBox(launch)
        self.assertEqual(self.end_with_escape(launch), 0)


if __name__ == "__main__":
    harness.main()
