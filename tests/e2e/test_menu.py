"""The backdrop and the menu dialog while the launcher runs: the two
windows, the ways of ending the run, and the colours on the screen; and the
same menu in the checker's live preview (SetupMenuCheck --watch)."""

import os
import subprocess
import tempfile
import time

import harness
from harness import IDCANCEL, ID_CANCEL, ID_MAIN_IMAGE, ID_BUTTON_NORMAL, ID_SPLASH_IMAGE, screen

WS_POPUP = 0x80000000
WS_CAPTION = 0x00C00000
WS_SYSMENU = 0x00080000

DEFAULT_MAIN_BACKGROUND = (0, 128, 128)

# Points of the backdrop that the centred menu dialog never covers.
BACKDROP_POINTS = [(2, 2), (1021, 2), (2, 765), (1021, 765), (100, 384), (924, 384), (512, 40), (512, 740)]


def inside(point, rect):
    x, y = point
    left, top, right, bottom = rect
    return left <= x < right and top <= y < bottom


def free_client_points(menu, step=7):
    """Points of the menu's client area (screen coordinates) that no visible
    control covers."""
    left, top, right, bottom = menu["client_screen"]
    covered = [c["rect"] for c in menu.children if c.visible]
    return [(x, y) for y in range(top + 2, bottom - 2, step) for x in range(left + 2, right - 2, step)
            if not any(inside((x, y), r) for r in covered)]


def client_box(control):
    """The inside of a control's client area in screen coordinates, one pixel in."""
    left, top, right, bottom = control["client_screen"]
    return left + 1, top + 1, right - 1, bottom - 1


def close_box_point(menu):
    """A screen point on the menu's close box, as the dialog's own hit test says."""
    left, top, right, _ = menu.rect
    for y in (top + 10, top + 12, top + 8):
        for x in range(right - 6, right - 60, -2):
            if harness.probe.hittest(menu["hwnd"], x, y) == harness.HTCLOSE:
                return x, y
    raise AssertionError("no close box found on the menu's caption")


class WindowTests(harness.E2ETestCase):

    def test_backdrop_and_menu_while_running(self):
        # (Main/Title in the file or None for no key, caption of the menu)
        cases = [(None, "Main_Title"), ("", "Main_Title"), ("*NOT*", "Main_Title"),
                 ("Product Setup", "Product Setup")]
        for title, caption in cases:
            with self.subTest(title=title):
                ini = {"Version": {"Release": "1"}, "Main": {} if title is None else {"Title": title}}
                media = self.media("SETUP", ini=ini)
                launch = media.start()
                backdrop, menu = launch.wait_menu()
                self.assertIsNotNone(backdrop, "no backdrop")
                self.assertTrue(backdrop.visible)
                self.assertTrue(backdrop["zoomed"], "the backdrop is shown maximised")
                self.assertEqual(backdrop.rect, (0, 0) + harness.SCREEN_SIZE)
                self.assertEqual(backdrop["owner"], "0x0")
                self.assertEqual(backdrop["style"] & (WS_POPUP | WS_CAPTION), WS_POPUP)
                self.assertFalse(backdrop["enabled"], "the owner of the modal menu is disabled")
                self.assertFalse(backdrop.child(ID_SPLASH_IMAGE).visible)
                self.assertFalse(backdrop.child(harness.ID_BACKDROP_OK).visible)

                self.assertTrue(menu.visible)
                self.assertEqual(menu["owner"], backdrop["hwnd"], "the menu is owned by the backdrop")
                self.assertEqual(menu["text"], caption)
                self.assertEqual(menu["style"] & (WS_CAPTION | WS_SYSMENU), WS_CAPTION | WS_SYSMENU)
                windows = launch.windows()
                order = [w["hwnd"] for w in windows]
                self.assertLess(order.index(menu["hwnd"]), order.index(backdrop["hwnd"]),
                                "the menu lies above the backdrop")
                self.assertEqual(self.end_with_escape(launch), 0)

    def test_every_way_of_ending_gives_exit_code_0(self):
        def escape(launch, menu):
            screen.key("Escape")

        def close_box(launch, menu):
            screen.click(*close_box_point(menu))

        def close_command(launch, menu):
            self.assertTrue(harness.probe.syscommand_close(hwnd=menu["hwnd"]))

        def cancel_click(launch, menu):
            launch.click_control(ID_CANCEL, menu)

        def cancel_command(launch, menu):
            self.assertTrue(launch.command(IDCANCEL))

        def cancel_control_command(launch, menu):
            self.assertTrue(launch.command(ID_CANCEL))

        # (way, Cancel section)
        cases = [(escape, {}), (close_box, {}), (close_command, {}), (cancel_click, {}),
                 (cancel_click, {"Label": "Leave", "Position": "300,200"}), (cancel_command, {}),
                 (cancel_control_command, {})]
        for way, cancel in cases:
            with self.subTest(way=way.__name__, cancel=cancel):
                media = self.media("SETUP", ini={"Version": {"Release": "1"}, "Cancel": cancel})
                launch, backdrop, menu = self.start_menu(media)
                way(launch, menu)
                self.assertEqual(launch.wait_exit(), 0)


class ColourTests(harness.E2ETestCase):

    def assertColourAt(self, image, point, colour, tolerance=0):
        self.assertTrue(harness.colour_close(image.pixel(*point), colour, tolerance),
                        "pixel %s is %s, expected %s" % (point, image.pixel(*point), colour))

    def test_backdrop_colour(self):
        # (Splash/Bgcolor, Main/Bgcolor, colour of the backdrop)
        cases = [
            ("255,0,0", "0,0,255", (255, 0, 0)),
            (None, "0,0,255", (0, 0, 255)),
            (None, None, DEFAULT_MAIN_BACKGROUND),
            ("*NOT*", "0,255,0", (0, 255, 0)),
            ("16711935", "0,0,0", (255, 0, 255)),
            ("", "10, 20, 30", (10, 20, 30)),
        ]
        for splash, main, colour in cases:
            with self.subTest(splash=splash, main=main):
                ini = {"Version": {"Release": "1"}, "Splash": {}, "Main": {}}
                if splash is not None:
                    ini["Splash"]["Bgcolor"] = splash
                if main is not None:
                    ini["Main"]["Bgcolor"] = main
                media = self.media("SETUP", ini=ini)
                launch, backdrop, menu = self.start_menu(media)
                image = screen.screenshot()
                for point in BACKDROP_POINTS:
                    self.assertFalse(inside(point, menu.rect))
                    self.assertColourAt(image, point, colour)
                self.assertEqual(self.end_with_escape(launch), 0)

    def test_splash_picture_covers_the_screen(self):
        quadrants = {(0, 0): (255, 0, 0), (1, 0): (0, 255, 0), (0, 1): (0, 0, 255), (1, 1): (255, 255, 0)}

        def splash(x, y):
            return quadrants[(x * 2 // 64, y * 2 // 48)]

        # (file named by Splash/Image, whether it loads)
        cases = [("splash.bmp", True), ("missing.bmp", False)]
        for name, loads in cases:
            with self.subTest(name=name):
                media = self.media("SETUP", ini={"Version": {"Release": "1"},
                                                 "Splash": {"Image": name, "Bgcolor": "255,255,255"},
                                                 "Main": {"Bgcolor": "0,0,0"}})
                media.write_bmp("splash.bmp", 64, 48, splash)
                launch, backdrop, menu = self.start_menu(media)
                image = screen.screenshot()
                control = backdrop.child(ID_SPLASH_IMAGE)
                self.assertEqual(control.visible, loads)
                if loads:
                    self.assertEqual(control.rect, (0, 0) + harness.SCREEN_SIZE)
                    self.assertEqual(control["style"] & harness.SS_TYPEMASK, harness.SS_BITMAP)
                    points = {(20, 20): (0, 0), (400, 30): (0, 0), (1000, 20): (1, 0), (700, 60): (1, 0),
                              (20, 740): (0, 1), (300, 700): (0, 1), (1000, 740): (1, 1), (800, 720): (1, 1)}
                    for point, quadrant in points.items():
                        self.assertFalse(inside(point, menu.rect))
                        self.assertColourAt(image, point, quadrants[quadrant], tolerance=8)
                else:
                    for point in BACKDROP_POINTS:
                        self.assertColourAt(image, point, (255, 255, 255))
                self.assertEqual(self.end_with_escape(launch), 0)

    def test_menu_and_control_colours(self):
        main_bg, main_fg = (200, 100, 50), (10, 20, 250)
        cancel_bg, cancel_fg = (50, 200, 100), (250, 250, 0)
        button1_bg, button1_fg = (120, 0, 120), (255, 255, 255)

        def rgb(colour):
            return "%d,%d,%d" % colour

        ini = {
            "Version": {"Release": "1"},
            "Main": {"Bgcolor": rgb(main_bg), "Fgcolor": rgb(main_fg)},
            "Button1": {"Text": "First button", "Bgcolor": rgb(button1_bg), "Fgcolor": rgb(button1_fg)},
            "Button2": {"Text": "Second button"},
            "Cancel": {"Bgcolor": rgb(cancel_bg), "Fgcolor": rgb(cancel_fg)},
        }
        media = self.media("SETUP", ini=ini)
        launch, backdrop, menu = self.start_menu(media)
        image = screen.screenshot()

        points = free_client_points(menu)
        self.assertGreater(len(points), 100)
        for point in points:
            self.assertColourAt(image, point, main_bg)

        # (control, background, text colour): the text colour must appear in the text.
        controls = [
            (ID_MAIN_IMAGE, main_bg, main_fg),
            (ID_BUTTON_NORMAL[1], button1_bg, button1_fg),
            (ID_BUTTON_NORMAL[2], main_bg, (0, 0, 0)),
            (ID_CANCEL, cancel_bg, cancel_fg),
        ]
        for control_id, background, text in controls:
            with self.subTest(control=control_id):
                control = menu.child(control_id)
                self.assertTrue(control.visible)
                box = client_box(control)
                area = (box[2] - box[0]) * (box[3] - box[1])
                self.assertGreater(image.count(background, box), area // 2,
                                   "control %d is not painted in %s" % (control_id, background))
                self.assertGreater(image.count(text, box), 10,
                                   "control %d has no text in %s" % (control_id, text))
        self.assertEqual(self.end_with_escape(launch), 0)


class ShowIfTests(harness.E2ETestCase):
    """Buttons whose conditions do not hold are hidden like buttons without
    content. The prefix's native machine is x64 under both Wines, whatever the
    launcher's own bitness; the registry keys live under a name no other test
    uses, and the Windows version is set for this test's program name only."""

    KEY = "HKLM\\Software\\SetupMenuE2E\\ShowIf"
    # Files of the prefix's 64-bit system, by their Linux paths.
    FILES = ["Program Files/SetupMenuE2E/native.txt", "Program Files/Common Files/SetupMenuE2E/native.txt",
             "windows/system32/setupmenu_e2e_native.txt", "Program Files (x86)/SetupMenuE2E/x86.txt"]
    APP = "HKCU\\Software\\Wine\\AppDefaults\\SHOWIF.exe"

    # (ShowIf, shown), three buttons to a run. Wine reports 6.1.7601 for "win7".
    CASES = [
        ("arch=x64", True), ("arch=x86", False), ("!arch=x86; ARCH=x64", True),
        ("windows>=6.1", True), ("windows>=6.1.7602", False), ("windows<6.2; windows>=6.1.7601", True),
        ("exists:data\\marker.txt", True), ("exists:data\\missing.txt", False), ("exists:data", True),
        ("exists:%SETUPMENU_SHOWIF%\\marker.txt", True), ("!exists:%SETUPMENU_SHOWIF%\\marker.txt", False),
        ("exists:%windir%\\system32", True),
        # What a 64-bit program sees, from either build: the native folders,
        # System32 itself; the 32-bit folder by its own name only.
        ("exists:%ProgramFiles%\\SetupMenuE2E\\native.txt", True),
        ("exists:%CommonProgramFiles%\\SetupMenuE2E\\native.txt", True),
        ("exists:%windir%\\System32\\setupmenu_e2e_native.txt", True),
        ("exists:%ProgramFiles%\\SetupMenuE2E\\x86.txt", False),
        ("exists:%ProgramFiles(x86)%\\SetupMenuE2E\\x86.txt", True),
        ("exists:%ProgramFiles(x86)%\\SetupMenuE2E\\native.txt", False),
        ("reg:" + KEY, True), ("reg:" + KEY + "\\Missing", False), ("reg:" + KEY + "@Name", True),
        ("reg:" + KEY + "@Missing", False), ("reg:" + KEY + "@Level>=5", True), ("reg:" + KEY + "@Level>=6", False),
        ("reg:" + KEY + "@Name>=0", False),  # not a DWORD
        ("reg:" + KEY + "32", False),  # only in the 32-bit view: installers register in the 64-bit one
        ("reg:HKCU\\Software\\Wine", True),
        # A typo never hides an installer.
        ("arch=x86; arhc=x64", True), ("windows>=6", True), ("reg:HKLM", True),
    ]

    @classmethod
    def setUpClass(cls):
        harness.wine_reg("add", cls.KEY, "/v", "Level", "/t", "REG_DWORD", "/d", "5", "/f")
        harness.wine_reg("add", cls.KEY, "/v", "Name", "/t", "REG_SZ", "/d", "x", "/f")
        harness.wine_reg("add", cls.KEY + "32", "/f", "/reg:32")
        harness.wine_reg("add", cls.APP, "/v", "Version", "/d", "win7", "/f")
        for name in cls.FILES:
            path = os.path.join(harness.environment().state, "prefix", "drive_c", name)
            os.makedirs(os.path.dirname(path), exist_ok=True)
            with open(path, "w") as f:
                f.write("x")

    @classmethod
    def tearDownClass(cls):
        harness.wine_reg("delete", "HKLM\\Software\\SetupMenuE2E", "/f")
        harness.wine_reg("delete", "HKLM\\Software\\SetupMenuE2E", "/f", "/reg:32")
        harness.wine_reg("delete", cls.APP, "/f")
        for name in cls.FILES:
            os.remove(os.path.join(harness.environment().state, "prefix", "drive_c", name))

    def test_buttons_follow_their_conditions(self):
        for first in range(0, len(self.CASES), 3):
            rows = self.CASES[first:first + 3]
            ini = {"Version": {"Release": "1"}}
            for n, (condition, _) in enumerate(rows, 1):
                ini["Button%d" % n] = {"Text": "Button %d" % n, "ShowIf": condition}
            with self.subTest(rows=rows):
                media = self.media("SHOWIF", ini=ini)
                os.makedirs(media.path("data"))
                media.write("data/marker.txt", "x")
                launch, _, menu = self.start_menu(media, env={"SETUPMENU_SHOWIF": media.winpath("data")})
                for n, (condition, shown) in enumerate(rows, 1):
                    self.assertEqual(menu.child(ID_BUTTON_NORMAL[n]).visible, shown, condition)
                self.assertEqual(self.end_with_escape(launch), 0)


class PreviewTests(harness.E2ETestCase):
    """The checker of the same build shows the launcher's menu and follows
    the saved files, while clicks start nothing."""

    def poll(self, what, check, timeout=15.0):
        """check() until it gives something true; fails after the deadline."""
        deadline = time.monotonic() + timeout
        while True:
            result = check()
            if result or time.monotonic() > deadline:
                self.assertTrue(result, "%s; the preview printed:\n%s" % (what, self.output()[-2000:]))
                return result
            time.sleep(0.1)

    def start_watch(self, media, *options):
        """Starts the preview; returns (process, its output so far as a function, its menu)."""
        env = harness.environment()
        out = tempfile.NamedTemporaryFile(dir=env.work, suffix=".txt")
        self.addCleanup(out.close)
        screen.park_pointer()
        watch = subprocess.Popen([env.wrapper, env.checker, "--watch"] + list(options) + [media.winpath()],
                                 stdin=subprocess.DEVNULL, stdout=out, stderr=subprocess.STDOUT,
                                 start_new_session=True)
        self.addCleanup(lambda: watch.poll() is None and harness.probe.kill(exe="SetupMenuCheck.exe"))

        def text():
            with open(out.name, "rb") as f:
                return f.read().decode("latin-1")
        self.output = text
        windows = harness.probe.wait(exe="SetupMenuCheck.exe", child=ID_CANCEL)
        self.assertIsNotNone(windows, "no preview window: " + text())
        return watch, text, harness.find_menu(windows)

    def close_watch(self, watch, text):
        self.assertTrue(harness.probe.syscommand_close(exe="SetupMenuCheck.exe"))
        self.assertEqual(watch.wait(harness.WAIT_TIMEOUT), 0, text())
        self.assertIn("preview: ended", text())

    def test_another_language_and_machine(self):
        shown = {"Text": "64-bit", "ShowIf": "arch=x64"}
        media = self.media("SETUP", ini={"Version": {"Release": "1"}, "Main": {"Title": "Setup", "Languages": "de"},
                                         "Button1": shown})
        media.write_ini({"Version": {"Release": "1"}, "Main": {"Title": "Einrichtung"}, "Button1": shown},
                        name="SETUP.de.INI")
        watch, text, menu = self.start_watch(media, "--language", "de", "--assume", "arch=x86")
        self.assertEqual(menu["text"], "Einrichtung")
        self.assertFalse(menu.child(ID_BUTTON_NORMAL[1]).visible)
        self.assertIn("preview: [Button1] on the machine assumed: not shown", text())
        self.close_watch(watch, text)

    def test_follows_saves_and_starts_nothing(self):
        ini = {"Version": {"Release": "1"}, "Main": {"Title": "First"},
               "Button1": {"Text": "Go", "Command": "child.exe", "Arguments": "/S"}}
        media = self.media("SETUP", ini=ini)
        media.add_child("child.exe")
        files = sorted(os.listdir(media.dir))
        watch, text, menu = self.start_watch(media)
        self.assertEqual(menu["text"], "First")
        self.assertFalse(harness.find_backdrop(harness.probe.dump(exe="SetupMenuCheck.exe")), "no backdrop")
        self.assertIn("result: clean", text())

        # A save rebuilds the menu: new caption, button moved.
        ini["Main"]["Title"] = "Second"
        ini["Button1"]["Position"] = "40,60"
        media.write_ini(ini)
        def rebuilt():
            menu = harness.find_menu(harness.probe.dump(exe="SetupMenuCheck.exe"))
            button = menu.child(ID_BUTTON_NORMAL[1]) if menu and menu.has_child(ID_CANCEL) else None
            return button and menu["text"] == "Second" and button["rect_in_parent"][:2] == [40, 60] and menu
        menu = self.poll("the menu follows the save", rebuilt)
        self.poll("the findings again", lambda: text().count("result: clean") == 2)

        # The pointer's place in the client area shows in the caption.
        left, top = menu["client_screen"][:2]
        screen.move(left + 7, top + 9)
        self.poll("the pointer's place", lambda: harness.find_menu(harness.probe.dump(exe="SetupMenuCheck.exe"))
                  ["text"] == "Second - pointer at 7,9")

        # A key press, then a click, says what would start, and starts nothing. (Without a window manager,
        # keys reach the window under the pointer: it stays over the menu, away from the button.)
        screen.key("Tab", "Return")  # the keyboard selects Button1 and presses it
        command = media.winpath("child.exe")
        line = 'click: [Button1]: the launcher starts %s with the command line "\"%s\" /S" in %s' % (
            command, command, media.winpath())
        self.poll("the key press is described", lambda: text().count(line) == 1)
        screen.click(*menu.child(ID_BUTTON_NORMAL[1]).centre())
        self.poll("the click is described", lambda: text().count(line) == 2)
        screen.park_pointer()
        self.assertIn("preview: nothing started", text())
        self.assertIsNone(harness.probe.msgbox(timeout=1.0, exe="SetupMenuCheck.exe"))
        self.assertEqual(media.records("child.exe"), [])

        # A refused file keeps the last menu and says why.
        media.write_ini({"Main": {"Title": "Third"}})
        self.poll("the refusal is reported", lambda: "the menu on screen stays as it was last built" in text())
        self.assertIn("refused: the file has no [Version] section", text())
        self.assertEqual(harness.find_menu(harness.probe.dump(exe="SetupMenuCheck.exe"))["hwnd"], menu["hwnd"])

        # Closing the window ends it; nothing was written to the media folder.
        self.close_watch(watch, text)
        self.assertEqual(sorted(os.listdir(media.dir)), files)


if __name__ == "__main__":
    harness.main()
