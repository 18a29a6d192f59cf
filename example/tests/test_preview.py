"""scripts/preview.sh on the example media: the shots exist, have the menu's
size, and each hovered shot differs from the plain one exactly where the
hovered control's selected picture is shown, which there shows the ImageSel
picture pixel for pixel."""

import json
import os
import subprocess
import sys
import tempfile
import unittest

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)
sys.path.insert(0, os.path.dirname(HERE))
import make_bitmaps  # noqa: E402
from media_tools import (WineSession, difference_box, position, read_bmp, read_png,  # noqa: E402
                         read_profile)

SOURCE = os.environ.get("SETUPMENU_SOURCE", os.path.dirname(os.path.dirname(HERE)))
MEDIA = os.environ.get("SETUPMENU_EXAMPLE_MEDIA", "")
LAUNCHER = os.environ.get("SETUPMENU_LAUNCHER32", "")
PROBE = os.environ.get("SETUPMENU_PROBE", "")

# Shot name, configuration section, normal control id.
HOVERS = [
    ("button1", "button1", 1007),
    ("button2", "button2", 1008),
    ("button3", "button3", 1009),
    ("cancel", "cancel", 1014),
]


class PreviewOfExampleMedia(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.out = tempfile.mkdtemp(prefix="preview-", dir=os.environ.get("SETUPMENU_TEST_WORK"))
        run = subprocess.run(
            [os.path.join(SOURCE, "scripts", "preview.sh"), "--launcher", LAUNCHER, "--probe", PROBE,
             MEDIA, cls.out],
            stdin=subprocess.DEVNULL, capture_output=True, text=True, timeout=240)
        cls.run_result = run
        cls.layout = None
        if run.returncode == 0:
            with open(os.path.join(cls.out, "controls.json")) as f:
                cls.layout = json.load(f)
        cls.config = read_profile(os.path.join(MEDIA, "SetupMenu.ini"))

    def setUp(self):
        self.assertEqual(self.run_result.returncode, 0,
                         f"preview failed:\n{self.run_result.stdout}\n{self.run_result.stderr}")

    def menu(self):
        return self.layout["menu"]

    def control(self, cid):
        return next(c for c in self.menu()["children"] if c["id"] == cid)

    def client_origin(self):
        """Where the dialog's client area starts inside a menu shot."""
        menu = self.menu()
        return (menu["client_screen"][0] - menu["rect"][0], menu["client_screen"][1] - menu["rect"][1])

    def shot(self, name):
        return read_png(os.path.join(self.out, name))

    def test_menu_has_the_size_the_pictures_are_drawn_for(self):
        client = self.menu()["client"]
        self.assertEqual((client[2], client[3]), make_bitmaps.CLIENT_SIZE)
        # Button2's hover picture covers its text button only at this size.
        l, t, r, b = self.control(1008)["rect"]
        self.assertEqual((r - l, b - t), make_bitmaps.BUTTON_SIZE)

    def test_every_shot_exists_with_the_size_of_its_window(self):
        l, t, r, b = self.menu()["rect"]
        names = ["menu.png"] + [f"menu-{name}.png" for name, _, _ in HOVERS]
        self.assertEqual(sorted(h["file"] for h in self.layout["hovered"]), sorted(names[1:]))
        for name in names:
            with self.subTest(shot=name):
                self.assertEqual(self.shot(name).size(), (r - l, b - t))
        self.assertEqual(self.shot("screen.png").size(), tuple(self.layout["screen"]))

    def test_the_menu_shot_is_cut_from_the_screen_at_the_menu(self):
        l, t, r, b = self.menu()["rect"]
        screen = self.shot("screen.png")
        self.assertEqual(screen.crop(l, t, r - l, b - t).rgb, self.shot("menu.png").rgb)

    def test_the_plain_menu_shows_the_normal_pictures_at_their_positions(self):
        ox, oy = self.client_origin()
        plain = self.shot("menu.png")
        for section, key in (("cancel", "image"),):
            with self.subTest(section=section):
                picture = read_bmp(os.path.join(MEDIA, self.config[section][key]))
                x, y = position(self.config[section]["position"])
                shown = plain.crop(ox + x, oy + y, picture.width, picture.height)
                self.assertEqual(shown.rgb, picture.rgb)

    def test_each_hover_changes_exactly_the_selected_picture_area(self):
        ox, oy = self.client_origin()
        plain = self.shot("menu.png")
        for name, section, _ in HOVERS:
            with self.subTest(hovered=name):
                keys = self.config[section]
                picture = read_bmp(os.path.join(MEDIA, keys["imagesel"]))
                # The selected control sits at PositionSel, or over its normal
                # control when PositionSel gives no position.
                x, y = position(keys.get("positionsel")) or position(keys["position"])
                expected = (ox + x, oy + y, picture.width, picture.height)
                hovered = self.shot(f"menu-{name}.png")
                self.assertEqual(difference_box(plain, hovered), expected)
                self.assertEqual(hovered.crop(*expected).rgb, picture.rgb)


if __name__ == "__main__":
    if WineSession.unavailable():
        print("SKIPPED: the 32-bit launcher cannot run here: " + WineSession.unavailable())
        sys.exit(77)  # CTest's SKIP_RETURN_CODE
    unittest.main()
