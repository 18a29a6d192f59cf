"""The menu dialog's layout, read from the running launcher: where each
control stands, its type, visibility, place in the z-order and link to its
selected control, the caption and the centring, what the screen shows, and
what a screen reader and the keyboard find.

Each configuration below runs the launcher once (in setUpClass); the tests
then compare what the probe and a screenshot saw with the expectations of
the table, aspect by aspect."""

import time

import harness
from harness import (ID_BUTTON_NORMAL as NORMAL, ID_BUTTON_SELECTED as SELECTED, ID_CANCEL, ID_CANCEL_SELECTED,
                     ID_MAIN_IMAGE, SCREEN_SIZE, SS_TYPEMASK, WS_VISIBLE, screen)

SS_LEFT, SS_CENTER, SS_RIGHT, SS_BITMAP = 0x00, 0x01, 0x02, 0x0E

# Dialog base units of 8 point MS Sans Serif, and the window's size beyond
# the client area (two dialog frames and a caption): read from the running
# system in setUpClass, since each Wine version brings its own fonts and theme.
BASE_UNITS = None
FRAME_X, FRAME_Y, CAPTION = None, None, None

# The menu dialog's template: client size, and for each control its style
# and x, y, width, height, all in dialog units; template order is z-order.
TEMPLATE_SIZE = (340, 234)
TEMPLATE = {
    ID_MAIN_IMAGE: (0x50021000, 0, 0, 114, 56),
    1007: (0x40020100, 35, 76, 67, 28),
    1009: (0x40020100, 31, 177, 67, 28),
    1008: (0x40020100, 35, 123, 67, 28),
    1010: (0x40020000, 111, 178, 67, 13),
    1011: (0x40020000, 112, 77, 67, 12),
    ID_CANCEL_SELECTED: (0x40020301, 253, 162, 57, 16),
    1012: (0x40020000, 111, 123, 67, 13),
    ID_CANCEL: (0x50020301, 251, 186, 52, 16),
}
TEMPLATE_TEXT = {ID_MAIN_IMAGE: "Main_Image", 1007: "Button1_Text", 1009: "Button3_Text", 1008: "Button2_Text",
                 1010: "Button3_Text_Sel", 1011: "Button1_Text_Sel", ID_CANCEL_SELECTED: "Cancel_Text_Sel",
                 1012: "Button2_Text_Sel", ID_CANCEL: "Cancel_Text"}


def mul_div(value, multiplier, divisor):
    """value * multiplier / divisor, rounded half away from zero."""
    product = value * multiplier
    return (2 * product + divisor) // (2 * divisor) if product >= 0 else -((-2 * product + divisor) // (2 * divisor))


def to_pixels(x, y):
    return mul_div(x, BASE_UNITS[0], 4), mul_div(y, BASE_UNITS[1], 8)


def tpl(control_id):
    """A control's template rectangle in pixels of the dialog's client area."""
    _, x, y, cx, cy = TEMPLATE[control_id]
    left, top = to_pixels(x, y)
    width, height = to_pixels(cx, cy)
    return left, top, left + width, top + height


def size(control_id):
    left, top, right, bottom = tpl(control_id)
    return right - left, bottom - top


def at(x, y, extent):
    """The rectangle of that extent (width, height) at x, y."""
    return x, y, x + extent[0], y + extent[1]


def sized(rect, extent):
    """rect's top left corner with another extent."""
    return at(rect[0], rect[1], extent)


# Pictures the configurations use: file name -> (width, height, colour).
PICTURES = {
    "main.bmp": (120, 70, (200, 40, 40)),
    "wide.bmp": (200, 100, (40, 160, 40)),
    "sel1.bmp": (30, 12, (0, 255, 0)),
    "img1.bmp": (40, 20, (255, 0, 0)),
    "img2.bmp": (48, 24, (255, 0, 255)),
    "sel2.bmp": (60, 30, (0, 255, 255)),
    "csel.bmp": (16, 8, (255, 64, 0)),
}
# The Cancel picture: yellow with a blue top left pixel, so that the area
# the control fills around a centred picture (with that pixel's colour)
# shows apart from the picture.
CANCEL_PICTURE = (20, 10, (255, 255, 0), (0, 0, 255))

MAIN_BG = (0, 0, 128)
DEFAULT_BG = (0, 128, 128)
TEXT_BG = {1: (255, 255, 160), 3: (255, 128, 0)}


def rgb(colour):
    return "%d,%d,%d" % colour


# Each configuration: its INI sections; its controls as rows of
#   (id, rectangle in the client area, type, visible, link, text)
# where link is the id of the control whose handle the user data holds
# (None: 0); the expected z-order (top first) and caption; and what the
# screen must show: (kind, id, colour) with kind "picture" (the control's
# client area is all that colour), "text" (mostly that background colour),
# "hidden" (the colour appears nowhere in the dialog) or "empty" (the
# control's template area shows only the dialog's background).
def configurations():
    """The table, in pixels of the running system's base units."""
    return [
        {
            "name": "pictures, positions and alignments",
            "ini": {
                "Version": {"Release": "1"},
                "Main": {"Title": "Layout with pictures", "Image": "main.bmp", "Bgcolor": rgb(MAIN_BG)},
                # No position: the selected control takes its default place.
                "Button1": {"Text": "Left", "ImageSel": "sel1.bmp", "Bgcolor": rgb(TEXT_BG[1])},
                # Text first, then the picture; moved, and its selected control
                # with it (a zero in PositionSel means no position).
                "Button2": {"Text": "Two", "AlignText": "center", "ImageText": "img2.bmp", "ImageSel": "sel2.bmp",
                            "Position": "200,40", "PositionSel": "0,50", "Label": "Second", "Name": "Second product"},
                # A zero in Position: the template place; the selected control
                # is moved elsewhere and keeps its template size.
                "Button3": {"Text": "Right", "AlignText": "right", "Position": "0,120", "PositionSel": "300,200",
                            "Bgcolor": rgb(TEXT_BG[3])},
                "Cancel": {"Label": "Quit", "Image": "cancel.bmp", "ImageSel": "csel.bmp", "Position": "400,250"},
            },
            "controls": [
                # The picture's size and the sunken edge around it.
                (ID_MAIN_IMAGE, sized(tpl(ID_MAIN_IMAGE), (122, 72)), SS_BITMAP, True, None, "Main_Image"),
                (NORMAL[1], tpl(1007), SS_LEFT, True, SELECTED[1], "Left"),
                (SELECTED[1], sized(tpl(1007), (30, 12)), SS_BITMAP, False, None, "Button1_Text_Sel"),
                (NORMAL[2], at(200, 40, (48, 24)), SS_BITMAP, True, SELECTED[2], "Two"),
                (SELECTED[2], at(200, 40, (60, 30)), SS_BITMAP, False, None, "Button2_Text_Sel"),
                (NORMAL[3], tpl(1009), SS_RIGHT, True, None, "Right"),
                (SELECTED[3], at(300, 200, size(1010)), SS_LEFT, False, None, "Button3_Text_Sel"),
                (ID_CANCEL, at(400, 250, size(ID_CANCEL)), SS_BITMAP, True, ID_CANCEL_SELECTED, "Quit"),
                (ID_CANCEL_SELECTED, at(400, 250, size(ID_CANCEL)), SS_BITMAP, False, None, "Cancel_Text_Sel"),
            ],
            "z_order": [ID_MAIN_IMAGE, 1007, 1009, 1011, 1008, 1012, 1010, ID_CANCEL, ID_CANCEL_SELECTED],
            "caption": "Layout with pictures",
            "screen": [
                ("picture", ID_MAIN_IMAGE, PICTURES["main.bmp"][2]),
                ("text", NORMAL[1], TEXT_BG[1]),
                ("picture", NORMAL[2], PICTURES["img2.bmp"][2]),
                ("text", NORMAL[3], TEXT_BG[3]),
                ("hidden", SELECTED[1], PICTURES["sel1.bmp"][2]),
                ("hidden", SELECTED[2], PICTURES["sel2.bmp"][2]),
                ("hidden", ID_CANCEL_SELECTED, PICTURES["csel.bmp"][2]),
            ],
            "centred_picture": (ID_CANCEL, CANCEL_PICTURE),
            # What a screen reader reads out (None: not a push button), and the keyboard's round.
            "names": {NORMAL[1]: "Left", NORMAL[2]: "Second product", NORMAL[3]: "Right", ID_CANCEL: "Quit"},
            "round": [NORMAL[1], NORMAL[2], NORMAL[3], ID_CANCEL],
        },
        {
            "name": "defaults, negative and half positions",
            "ini": {
                "Version": {"Release": "1"},
                "Main": {},
                # Only a selected picture: hidden, but linked.
                "Button1": {"ImageSel": "sel1.bmp"},
                # Negative numbers are applied as they are.
                "Button2": {"Text": "Neg", "Position": "-10,-20", "ImageSel": "sel2.bmp"},
                # One number only: y is 0, so no move; a zero y in PositionSel
                # gives the default place with the normal control's size.
                # The Text names the button before its Label.
                "Button3": {"Text": "Mid", "AlignText": "Center", "Position": "15", "PositionSel": "120,0",
                            "Label": "Asked"},
                "Cancel": {},
            },
            "controls": [
                (ID_MAIN_IMAGE, tpl(ID_MAIN_IMAGE), SS_LEFT, True, None, "Main_Image"),
                (NORMAL[1], tpl(1007), SS_LEFT, False, SELECTED[1], "Button1_Text"),
                (SELECTED[1], sized(tpl(1007), (30, 12)), SS_BITMAP, False, None, "Button1_Text_Sel"),
                (NORMAL[2], at(-10, -20, size(1008)), SS_LEFT, True, SELECTED[2], "Neg"),
                (SELECTED[2], at(-10, -20, (60, 30)), SS_BITMAP, False, None, "Button2_Text_Sel"),
                (NORMAL[3], tpl(1009), SS_CENTER, True, None, "Mid"),
                (SELECTED[3], tpl(1009), SS_LEFT, False, None, "Button3_Text_Sel"),
                (ID_CANCEL, tpl(ID_CANCEL), SS_CENTER, True, None, "Cancel"),
                (ID_CANCEL_SELECTED, tpl(ID_CANCEL), SS_CENTER, False, None, "Cancel_Text_Sel"),
            ],
            "z_order": [ID_MAIN_IMAGE, 1007, 1009, ID_CANCEL, 1011, 1008, 1012, 1010, ID_CANCEL_SELECTED],
            "caption": "Main_Title",
            "screen": [
                ("text", ID_MAIN_IMAGE, DEFAULT_BG),
                ("text", NORMAL[3], DEFAULT_BG),
                ("text", ID_CANCEL, DEFAULT_BG),
                ("empty", NORMAL[1], DEFAULT_BG),
                ("hidden", SELECTED[1], PICTURES["sel1.bmp"][2]),
                ("hidden", SELECTED[2], PICTURES["sel2.bmp"][2]),
            ],
            "names": {NORMAL[1]: None, NORMAL[2]: "Neg", NORMAL[3]: "Mid", ID_CANCEL: "Cancel"},
            "round": [NORMAL[2], NORMAL[3], ID_CANCEL],
        },
        {
            "name": "selected controls placed elsewhere",
            "ini": {
                "Version": {"Release": "1"},
                "Main": {"Title": "Elsewhere", "Image": "wide.bmp", "Bgcolor": rgb(MAIN_BG)},
                "Button1": {"ImageText": "img1.bmp", "ImageSel": "sel1.bmp", "PositionSel": "250,100"},
                # Moved without a selected picture: the selected control follows
                # with the normal control's size.
                "Button2": {"Text": "Two\\nlines", "AlignText": "RIGHT", "Position": "300,40"},
                # Nothing to show: hidden, and its selected control still placed.
                "Button3": {"Label": "only a label"},
                "Cancel": {"Label": "Stop", "ImageSel": "csel.bmp", "PositionSel": "350,20", "Name": "Stop the setup"},
            },
            "controls": [
                (ID_MAIN_IMAGE, sized(tpl(ID_MAIN_IMAGE), (202, 102)), SS_BITMAP, True, None, "Main_Image"),
                (NORMAL[1], sized(tpl(1007), (40, 20)), SS_BITMAP, True, SELECTED[1], "Button1_Text"),
                (SELECTED[1], at(250, 100, (30, 12)), SS_BITMAP, False, None, "Button1_Text_Sel"),
                (NORMAL[2], at(300, 40, size(1008)), SS_RIGHT, True, None, "Two\r\nlines"),
                (SELECTED[2], at(300, 40, size(1008)), SS_LEFT, False, None, "Button2_Text_Sel"),
                (NORMAL[3], tpl(1009), SS_LEFT, False, None, "Button3_Text"),
                (SELECTED[3], tpl(1009), SS_LEFT, False, None, "Button3_Text_Sel"),
                (ID_CANCEL, tpl(ID_CANCEL), SS_CENTER, True, ID_CANCEL_SELECTED, "Stop"),
                (ID_CANCEL_SELECTED, at(350, 20, size(ID_CANCEL_SELECTED)), SS_BITMAP, False, None,
                 "Cancel_Text_Sel"),
            ],
            "z_order": [ID_MAIN_IMAGE, 1007, 1009, ID_CANCEL, 1011, 1008, 1012, 1010, ID_CANCEL_SELECTED],
            "caption": "Elsewhere",
            "screen": [
                ("picture", ID_MAIN_IMAGE, PICTURES["wide.bmp"][2]),
                ("picture", NORMAL[1], PICTURES["img1.bmp"][2]),
                ("text", NORMAL[2], MAIN_BG),
                ("empty", NORMAL[3], MAIN_BG),
                ("hidden", SELECTED[1], PICTURES["sel1.bmp"][2]),
                ("hidden", ID_CANCEL_SELECTED, PICTURES["csel.bmp"][2]),
            ],
            "names": {NORMAL[1]: "Button 1", NORMAL[2]: "Two lines", NORMAL[3]: None, ID_CANCEL: "Stop the setup"},
            "round": [NORMAL[1], NORMAL[2], ID_CANCEL],
        },
    ]


# The keys pressed in each run, and the steps they take along the round.
KEYS = ["Tab"] * 5 + ["shift+Tab", "Up", "Left", "Down", "Right"]
STEPS = [1] * 5 + [-1, -1, -1, 1, 1]
ROLE_PUSHBUTTON = 0x2B
STATE_FOCUSABLE = 0x100000


def cancel_picture(x, y):
    width, height, colour, corner = CANCEL_PICTURE
    return corner if (x, y) == (0, 0) else colour


def inset(rect, by=1):
    left, top, right, bottom = rect
    return left + by, top + by, right - by, bottom - by


class LayoutTests(harness.E2ETestCase):
    """One launcher run per configuration; each test checks one aspect of all runs."""

    runs = []

    @classmethod
    def setUpClass(cls):
        global BASE_UNITS, FRAME_X, FRAME_Y, CAPTION
        metrics = harness.probe.metrics()
        BASE_UNITS = tuple(metrics["base_units"])
        (FRAME_X, FRAME_Y), CAPTION = metrics["dlgframe"], metrics["caption"]
        cls.configurations = configurations()
        cls.runs = []
        cls.cleanups = []
        try:
            for config in cls.configurations:
                cls.runs.append(cls.run_configuration(config))
        except BaseException:
            cls.tearDownClass()
            raise

    @classmethod
    def tearDownClass(cls):
        for cleanup in reversed(cls.cleanups):
            cleanup()
        cls.cleanups = []

    @classmethod
    def run_configuration(cls, config):
        media = harness.Media("SETUP")
        cls.cleanups.append(media.cleanup)
        for name, (width, height, colour) in PICTURES.items():
            media.write_bmp(name, width, height, colour)
        media.write_bmp("cancel.bmp", CANCEL_PICTURE[0], CANCEL_PICTURE[1], cancel_picture)
        media.write_ini(config["ini"])
        screen.park_pointer()
        launch = media.start()
        _, menu = launch.wait_menu()
        image = screen.screenshot()
        readings = {i: harness.probe.accessible(menu.child(i).hwnd) for i in config["names"]}
        windows = {i: harness.probe.accessible(menu.child(i).hwnd, window=True) for i in config["names"]}
        harness.probe.focus_events()
        screen.key(*KEYS)
        ids = {c.hwnd: c["id"] for c in menu.children}
        focus, deadline = [], time.monotonic() + 10
        while len(focus) < len(KEYS) and time.monotonic() < deadline:
            focus += [ids.get(h) for h in harness.probe.focus_events()]
        screen.key("Escape")
        return {"config": config, "menu": menu, "image": image, "readings": readings, "windows": windows,
                "focus": focus,
                "exit": launch.wait_exit()}

    def each_run(self):
        """(name, configuration, menu dump, screenshot) of every run."""
        return [(run["config"]["name"], run["config"], run["menu"], run["image"]) for run in self.runs]

    def each_control(self):
        """(name of the run, the control's dump, its row of the table) of every control."""
        return [(name, menu.child(row[0]), row) for name, config, menu, _ in self.each_run()
                for row in config["controls"]]

    def test_runs_ended_normally(self):
        for run in self.runs:
            self.assertEqual(run["exit"], 0, run["config"]["name"])
        self.assertEqual(len(self.runs), len(self.configurations))

    def test_rectangles_in_the_client_area(self):
        for name, control, (control_id, rect, _, _, _, _) in self.each_control():
            with self.subTest(name, control=control_id):
                self.assertEqual(tuple(control["rect_in_parent"]), rect)

    def test_styles(self):
        # Only the type bits change; every other template bit stays.
        for name, control, (control_id, _, kind, visible, _, _) in self.each_control():
            with self.subTest(name, control=control_id):
                style = (TEMPLATE[control_id][0] & ~(SS_TYPEMASK | WS_VISIBLE)) | kind | (WS_VISIBLE if visible else 0)
                self.assertEqual(hex(control["style"]), hex(style))

    def test_visibility(self):
        for name, control, (control_id, _, _, visible, _, _) in self.each_control():
            with self.subTest(name, control=control_id):
                self.assertEqual(control.visible, visible)

    def test_z_order(self):
        for name, config, menu, _ in self.each_run():
            with self.subTest(name):
                self.assertEqual([c["id"] for c in menu.children], config["z_order"])

    def test_links_to_selected_controls(self):
        menus = {name: menu for name, _, menu, _ in self.each_run()}
        for name, control, (control_id, _, _, _, link, _) in self.each_control():
            with self.subTest(name, control=control_id):
                expected = menus[name].child(link).hwnd if link else 0
                self.assertEqual(int(control["userdata"], 16), expected)

    def test_texts_and_caption(self):
        for name, config, menu, _ in self.each_run():
            with self.subTest(name):
                self.assertEqual(menu["text"], config["caption"])
        for name, control, (control_id, _, _, _, _, text) in self.each_control():
            with self.subTest(name, control=control_id):
                self.assertEqual(control["text"], text)

    def test_dialog_is_centred_on_the_screen(self):
        client = to_pixels(*TEMPLATE_SIZE)
        for name, _, menu, _ in self.each_run():
            with self.subTest(name):
                left, top, right, bottom = menu.rect
                width, height = right - left, bottom - top
                self.assertEqual((width, height), (client[0] + 2 * FRAME_X, client[1] + 2 * FRAME_Y + CAPTION))
                self.assertEqual((left, top),
                                 (int((SCREEN_SIZE[0] - width) / 2), int((SCREEN_SIZE[1] - height) / 2)))
                self.assertEqual(tuple(menu["client_screen"][:2]), (left + FRAME_X, top + FRAME_Y + CAPTION))

    def test_what_the_screen_shows(self):
        for name, config, menu, image in self.each_run():
            offset = menu["client_screen"][:2]
            for kind, control_id, colour in config["screen"]:
                with self.subTest(name, kind=kind, control=control_id):
                    control = menu.child(control_id)
                    box = inset(control["client_screen"])
                    area = (box[2] - box[0]) * (box[3] - box[1])
                    if kind == "picture":
                        self.assertEqual(image.count(colour, box), area)
                    elif kind == "text":
                        self.assertGreater(image.count(colour, box), area // 2)
                    elif kind == "hidden":
                        self.assertEqual(image.count(colour, menu["client_screen"]), 0)
                    elif kind == "empty":
                        left, top, right, bottom = tpl(control_id)
                        empty = (left + offset[0], top + offset[1], right + offset[0], bottom + offset[1])
                        self.assertEqual(image.count(colour, empty), (right - left) * (bottom - top))
                    else:
                        self.fail("unknown kind " + kind)

    def test_cancel_picture_is_centred_in_its_control(self):
        checked = 0
        for name, config, menu, image in self.each_run():
            if "centred_picture" not in config:
                continue
            checked += 1
            control_id, (width, height, colour, corner) = config["centred_picture"]
            left, top, right, bottom = menu.child(control_id)["client_screen"]
            found = [(x, y) for y in range(top, bottom) for x in range(left, right)
                     if image.pixel(x, y) == colour]
            xs, ys = [x for x, _ in found], [y for _, y in found]
            self.assertEqual(len(found), width * height - 1)
            # Centred: equal margins, give or take the odd pixel.
            margins = (min(xs) - left, right - 1 - max(xs), min(ys) - top, bottom - 1 - max(ys))
            self.assertLessEqual(abs(margins[0] - margins[1]), 1, margins)
            self.assertLessEqual(abs(margins[2] - margins[3]), 1, margins)
            # Around the picture the control shows the colour of its top left pixel.
            for point in ((left, top), (right - 1, top), (left, bottom - 1), (right - 1, bottom - 1)):
                self.assertEqual(image.pixel(*point), corner, point)
        self.assertGreater(checked, 0)

    def test_screen_readers_read_each_shown_control_as_a_push_button(self):
        for name, config, _, _ in self.each_run():
            run = [run for run in self.runs if run["config"] is config][0]
            readings = run["readings"]
            for control_id, expected in config["names"].items():
                with self.subTest(name, control=control_id):
                    reading = readings[control_id]
                    # Only the client object is the launcher's: the window's stays the system's.
                    self.assertNotEqual(run["windows"][control_id]["role"], ROLE_PUSHBUTTON)
                    if expected is None:
                        self.assertNotEqual(reading["role"], ROLE_PUSHBUTTON)  # hidden: the system's own object
                    else:
                        # Nothing selected yet: focusable, not focused.
                        self.assertEqual(reading, {"name": expected, "role": ROLE_PUSHBUTTON,
                                                   "state": STATE_FOCUSABLE, "action": "Press"})

    def test_keys_move_the_selection_round_the_shown_controls(self):
        for run in self.runs:
            round_, position, expected = run["config"]["round"], None, []
            for step in STEPS:
                # From no selection: forward to the first, backward to the last.
                position = (0 if step > 0 else -1) if position is None else position + step
                expected.append(round_[position % len(round_)])
            with self.subTest(run["config"]["name"]):
                self.assertEqual(run["focus"], expected)


if __name__ == "__main__":
    harness.main()
