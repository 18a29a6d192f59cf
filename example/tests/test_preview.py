"""scripts/preview.sh on the example media: the shots exist, have the menu's
size, and each hovered shot differs from the plain one exactly where the
hovered control's selected picture is shown, which there shows the ImageSel
picture pixel for pixel. And the checker's step before the shots: its
warnings are shown, a configuration the launcher would refuse gives none."""

import configparser
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
import media_tools  # noqa: E402
from media_tools import (WineSession, difference_box, position, read_bmp, read_png,  # noqa: E402
                         read_profile)

SOURCE = os.environ.get("SETUPMENU_SOURCE", os.path.dirname(os.path.dirname(HERE)))
MEDIA = os.environ.get("SETUPMENU_EXAMPLE_MEDIA", "")
LAUNCHER = os.environ.get("SETUPMENU_LAUNCHER32", "")
PROBE = os.environ.get("SETUPMENU_PROBE", "")
LAUNCHER64 = os.environ.get("SETUPMENU_LAUNCHER64", "")
CHECKER64 = os.environ.get("SETUPMENU_CHECKER64", "")
WINE64_STATE = os.environ.get("SETUPMENU_WINE64_STATE", "")

# Shot name, configuration section, normal control id.
HOVERS = [
    ("button1", "button1", 1007),
    ("button2", "button2", 1008),
    ("button3", "button3", 1009),
    ("cancel", "cancel", 1014),
]


def preview(media, out, *options, env=None):
    """Runs preview.sh with its options after the folder names, as people type them."""
    return subprocess.run([os.path.join(SOURCE, "scripts", "preview.sh"), media, out, *options], env=env,
                          stdin=subprocess.DEVNULL, capture_output=True, text=True, timeout=240)


class PreviewOfExampleMedia(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        if WineSession.unavailable():
            raise unittest.SkipTest("the 32-bit launcher cannot run here: " + WineSession.unavailable())
        cls.out = tempfile.mkdtemp(prefix="preview-", dir=os.environ.get("SETUPMENU_TEST_WORK"))
        run = preview(MEDIA, cls.out, "--launcher", LAUNCHER, "--probe", PROBE, "--checker", CHECKER64)
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
        # (section, where the picture's top left pixel shows, rows compared): the
        # background picture lies inside its control's 1-pixel sunken edge, its
        # rows above the buttons are compared, and the client area cuts its last column.
        for section, place, rows in (("cancel", None, None), ("main", (1, 1), 90)):
            with self.subTest(section=section):
                picture = read_bmp(os.path.join(MEDIA, self.config[section]["image"]))
                x, y = place or position(self.config[section]["position"])
                width = min(picture.width, make_bitmaps.CLIENT_SIZE[0] - x)
                height = rows or picture.height
                shown = plain.crop(ox + x, oy + y, width, height)
                self.assertEqual(shown.rgb, picture.crop(0, 0, width, height).rgb)

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


class CheckerFirst(unittest.TestCase):
    """The checker's step, with the 64-bit build under wine64: it is the same
    for both builds, and runs where the 32-bit launcher cannot."""

    # (case, media folder, options, exit status, fragments of the error output)
    CASES = [
        # The source folder, whose pictures only the build draws.
        ("pictures missing", os.path.join(SOURCE, "example"), [], 0,
         ["preview: the checker warns:", "warning: [Main] Image", "warning: [Button1] ImageSel"]),
        ("refused", "refused", ["--config", "menu.ini"], 1,
         ["refused: [Version] Release is \"*NOT*\", which means no value",
          "the launcher would refuse this configuration", "preview: no shots"]),
        # The language's file that is shown is checked too, and named in controls.json.
        ("language", "language", ["--language", "de-DE"], 0, ["warning: [Button1] Position"]),
        # The example's German menu.
        ("German example", os.path.join(SOURCE, "example"), ["--language", "de-DE"], 0, ["warning: [Main] Image"]),
    ]
    # The configuration that controls.json names as shown, and the menu's caption.
    SHOWN = {"language": ("SETUP.de.INI", "Main_Title"),
             "German example": ("SetupMenu.de.INI", "Einrichtung der Beispielmedien")}

    def test_the_greek_menu_shows_its_own_script(self):
        # A Western code page (1252) holds no Greek letter: only the UTF-8 file makes it show.
        out = tempfile.mkdtemp(prefix="preview-el-", dir=os.environ.get("SETUPMENU_TEST_WORK"))
        run = preview(MEDIA, out, "--language", "el-GR", "--launcher", LAUNCHER, "--probe", PROBE,
                      "--checker", CHECKER64)
        self.assertEqual(run.returncode, 0, run.stdout + run.stderr)
        with open(os.path.join(out, "controls.json")) as f:
            menu = json.load(f)["menu"]
        greek = configparser.ConfigParser(interpolation=None, strict=False)
        greek.read(os.path.join(MEDIA, "SetupMenu.el.INI"), encoding="utf-8")
        self.assertEqual(menu["wide_text"], greek["Main"]["Title"])
        button1 = next(c for c in menu["children"] if c["id"] == 1007)
        self.assertEqual(button1["wide_text"], greek["Button1"]["Text"].strip('"').replace("\\n", "\r\n"))

    def test_the_checker_runs_first(self):
        work = tempfile.mkdtemp(prefix="preview-checks-", dir=os.environ.get("SETUPMENU_TEST_WORK"))
        refused = os.path.join(work, "refused")
        os.makedirs(refused)
        with open(os.path.join(refused, "menu.ini"), "w") as f:
            f.write("[Version]\nRelease=*NOT*\n")
        language = os.path.join(work, "language")
        os.makedirs(language)
        for name, text in (("SETUP.ini", "[Version]\nRelease=1\n[Main]\nLanguages=de\n[Button1]\nText=x\n"),
                           ("SETUP.de.INI", "[Version]\nRelease=1\n[Button1]\nText=x\nPosition=0,10\n")):
            with open(os.path.join(language, name), "w") as f:
                f.write(text)
        env = dict(os.environ, SETUPMENU_WINE_STATE=WINE64_STATE)
        for name, media, options, status, said in self.CASES:
            with self.subTest(name):
                out = os.path.join(work, name.replace(" ", "-"))
                run = preview(os.path.join(work, media), out, "--launcher", LAUNCHER64, "--probe", PROBE,
                              "--checker", CHECKER64, *options, env=env)
                self.assertEqual(run.returncode, status, run.stderr)
                for fragment in said:
                    self.assertIn(fragment, run.stderr)
                self.assertEqual(os.path.exists(os.path.join(out, "menu.png")), status == 0)
                if name in self.SHOWN:
                    with open(os.path.join(out, "controls.json")) as f:
                        layout = json.load(f)
                    self.assertEqual((layout["configuration"], layout["menu"]["text"]), self.SHOWN[name])


if __name__ == "__main__":
    media_tools.main()
