"""Hover tracking with the real pointer: xdotool moves it on the Xvfb
display, the probe reads which selected controls are visible, the X server
tells which cursor is on the screen, and the debug log and the debugger
output show how each hover ended."""

import ctypes
import os
import time

import harness
from harness import ID_BUTTON_NORMAL as NORMAL, ID_BUTTON_SELECTED as SELECTED, ID_CANCEL, ID_CANCEL_SELECTED, screen

OPENED = "Debugging Started!"
CLOSED = "Debugging Closed!"
LEAVE_LINE = "VaskTrackMouseTimerProc: SendMessage: %x "
# The timer polls every 100 ms; the rest is slack for the probe and a busy machine.
HOVER_END_LIMIT = 0.4

# The launcher's two cursors as the X server shows them: size, hot spot,
# the columns and rows their opaque pixels occupy, and the opaque columns
# of the first row that has any (the arrow's tip, the hand's fingertip).
ARROW = {"size": (32, 32), "hot": (1, 1), "columns": (1, 11), "rows": (1, 18), "tip": (1,)}
HAND = {"size": (32, 32), "hot": (1, 1), "columns": (0, 16), "rows": (1, 22), "tip": (5, 6)}


class _CursorImage(ctypes.Structure):
    _fields_ = [("x", ctypes.c_short), ("y", ctypes.c_short),
                ("width", ctypes.c_ushort), ("height", ctypes.c_ushort),
                ("xhot", ctypes.c_ushort), ("yhot", ctypes.c_ushort),
                ("cursor_serial", ctypes.c_ulong), ("pixels", ctypes.POINTER(ctypes.c_ulong)),
                ("atom", ctypes.c_ulong), ("name", ctypes.c_char_p)]


class XCursor:
    """The cursor the X server shows, through XFixesGetCursorImage."""

    def __init__(self, display):
        self.x11 = ctypes.CDLL("libX11.so.6")
        self.xfixes = ctypes.CDLL("libXfixes.so.3")
        self.x11.XOpenDisplay.restype = ctypes.c_void_p
        self.x11.XOpenDisplay.argtypes = [ctypes.c_char_p]
        self.x11.XCloseDisplay.argtypes = [ctypes.c_void_p]
        self.x11.XFree.argtypes = [ctypes.c_void_p]
        self.xfixes.XFixesGetCursorImage.restype = ctypes.POINTER(_CursorImage)
        self.xfixes.XFixesGetCursorImage.argtypes = [ctypes.c_void_p]
        self.display = self.x11.XOpenDisplay(display.encode())
        if not self.display:
            raise RuntimeError("cannot open display " + display)

    def close(self):
        if self.display:
            self.x11.XCloseDisplay(self.display)
            self.display = None

    def shape(self):
        """The current cursor, described as ARROW and HAND are."""
        image = self.xfixes.XFixesGetCursorImage(self.display)
        if not image:
            raise AssertionError("no cursor image from XFixes")
        try:
            c = image.contents
            width, height = c.width, c.height
            opaque = [(x, y) for y in range(height) for x in range(width) if c.pixels[y * width + x] >> 24 & 0xFF]
            shape = {"size": (width, height), "hot": (c.xhot, c.yhot)}
        finally:
            self.x11.XFree(image)
        if opaque:
            xs, ys = [x for x, _ in opaque], [y for _, y in opaque]
            shape["columns"] = (min(xs), max(xs))
            shape["rows"] = (min(ys), max(ys))
            shape["tip"] = tuple(x for x, y in opaque if y == min(ys))
        return shape


def wait_until(predicate, timeout=2.0, step=0.01):
    """Seconds until predicate() held, or None after the timeout."""
    start = time.monotonic()
    while True:
        if predicate():
            return time.monotonic() - start
        if time.monotonic() - start > timeout:
            return None
        time.sleep(step)


def inside(point, rect):
    x, y = point
    return rect[0] <= x < rect[2] and rect[1] <= y < rect[3]


def centre(rect):
    return (rect[0] + rect[2]) // 2, (rect[1] + rect[3]) // 2


PICTURES = {
    "sel1.bmp": (30, 12, (0, 255, 0)),
    "sel3.bmp": (50, 20, (0, 0, 255)),
    "csel.bmp": (16, 8, (255, 0, 0)),
}
INI = {
    "Version": {"Release": "1"},
    "Main": {"Title": "Hover", "Debug": "On", "Bgcolor": "0,0,128"},
    # Selected control in its default place, over the normal control.
    "Button1": {"Text": "One", "ImageSel": "sel1.bmp", "Bgcolor": "255,255,160"},
    # No selected picture.
    "Button2": {"Text": "Two", "Bgcolor": "255,255,160"},
    # Selected control placed elsewhere, on the dialog's own background.
    "Button3": {"Text": "Three", "ImageSel": "sel3.bmp", "PositionSel": "300,150", "Bgcolor": "255,255,160"},
    "Cancel": {"ImageSel": "csel.bmp"},
}
# A point of the dialog's client area that no control covers, shown or not.
AWAY = (480, 20)


class HoverCase(harness.E2ETestCase):
    """One launcher run for the whole class; each test starts and ends with
    no hover in progress."""

    debugger_output = False

    @classmethod
    def setUpClass(cls):
        cls.media_folder = harness.Media("SETUP")
        try:
            for name, (width, height, colour) in PICTURES.items():
                cls.media_folder.write_bmp(name, width, height, colour)
            cls.media_folder.write_ini(INI)
            screen.park_pointer()
            saved = os.environ.get("WINEDEBUG")
            if cls.debugger_output:
                # The wine64 wrapper passes WINEDEBUG on; debugstr shows OutputDebugStringA.
                os.environ["WINEDEBUG"] = "warn+debugstr"
            try:
                cls.launch = cls.media_folder.start()
            finally:
                if saved is None:
                    os.environ.pop("WINEDEBUG", None)
                else:
                    os.environ["WINEDEBUG"] = saved
            _, cls.menu = cls.launch.wait_menu()
            cls.cursor = XCursor(harness.environment().display)
        except BaseException:
            cls.media_folder.cleanup()
            raise

    @classmethod
    def tearDownClass(cls):
        cls.cursor.close()
        cls.media_folder.cleanup()

    def setUp(self):
        super().setUp()
        self.assertTrue(self.launch.running, "the launcher has ended")
        # Whatever hover the parking ended has been logged before the test starts.
        self.assertIsNotNone(wait_until(lambda: not self.any_selected_visible()), "a hover is still in progress")
        time.sleep(0.2)
        self.lines_before = self.hover_lines()

    # --- what the test sees ---

    def control(self, control_id, menu=None):
        return (menu or self.menu).child(control_id)

    def area(self, control_id):
        """The control's client area in screen coordinates."""
        return tuple(self.control(control_id)["client_screen"])

    def screen_point(self, client_point):
        left, top = self.menu["client_screen"][:2]
        return left + client_point[0], top + client_point[1]

    def handle(self, control_id):
        return self.control(control_id).hwnd

    def visible_selected(self):
        menu = self.launch.menu()
        return {i for i in (SELECTED[1], SELECTED[2], SELECTED[3], ID_CANCEL_SELECTED) if menu.child(i).visible}

    def any_selected_visible(self):
        return bool(self.visible_selected())

    def hover_lines(self):
        lines = self.media_folder.read("SETUP.log").decode("latin-1").split("\r\n")
        self.assertEqual(lines[0], OPENED)
        return [line for line in lines[1:] if line and line != CLOSED]

    def new_hover_lines(self):
        return self.hover_lines()[len(self.lines_before):]

    def leave_line(self, control_id):
        return LEAVE_LINE % self.handle(control_id)

    # --- moving the pointer ---

    def enter(self, point, selected=None):
        """Moves the pointer to point and waits until the hover has started:
        the selected control is shown, or (without one) the hand is on screen."""
        screen.move(*point)
        if selected:
            waited = wait_until(lambda: selected in self.visible_selected())
            self.assertIsNotNone(waited, "selected control %d not shown at %s" % (selected, point))
        else:
            waited = wait_until(lambda: self.cursor.shape() == HAND)
            self.assertIsNotNone(waited, "no hand cursor at %s" % (point,))

    def leave(self, point, ended_lines):
        """Moves the pointer to point and returns the seconds until the log
        holds ended_lines more lines than before the move."""
        count = len(self.hover_lines())
        screen.move(*point)
        waited = wait_until(lambda: len(self.hover_lines()) >= count + ended_lines)
        self.assertIsNotNone(waited, "the hover did not end after the move to %s" % (point,))
        return waited

    def assertCursor(self, expected, timeout=2.0):
        """The X server shows the expected cursor, now or within the timeout:
        Wine hands a cursor to X only after it has seen the pointer move, and
        until then X shows its own."""
        shapes = []
        wait_until(lambda: shapes.append(self.cursor.shape()) or shapes[-1] == expected, timeout)
        self.assertEqual(shapes[-1], expected)


class HoverTests(HoverCase):

    @classmethod
    def setUpClass(cls):
        super().setUpClass()
        rects = [tuple(c["rect_in_parent"]) for c in cls.menu.children]
        assert not any(inside(AWAY, r) for r in rects), "AWAY lies on a control"

    def test_hover_shows_the_selected_control_and_the_hand(self):
        self.assertEqual(self.visible_selected(), set())
        x, y = centre(self.area(NORMAL[1]))
        self.enter((x, y), SELECTED[1])
        self.assertCursor(HAND)
        # Further moves inside keep the hand: nothing puts the class cursor back.
        screen.move(x + 3, y + 2)
        time.sleep(0.1)
        self.assertCursor(HAND)
        # Shown over its normal control, the selected picture does not end the hover.
        time.sleep(0.3)
        self.assertEqual(self.visible_selected(), {SELECTED[1]})
        width, height, colour = PICTURES["sel1.bmp"]
        image = screen.screenshot()
        selected = self.area(SELECTED[1])
        self.assertEqual(selected[:2], self.area(NORMAL[1])[:2])
        self.assertEqual(image.count(colour, selected), width * height)

        took = self.leave(self.screen_point(AWAY), 1)
        self.assertLess(took, HOVER_END_LIMIT)
        self.assertEqual(self.visible_selected(), set())
        self.assertCursor(ARROW)
        self.assertEqual(self.new_hover_lines(), [self.leave_line(NORMAL[1])])

    def test_button_without_selected_picture_changes_only_the_cursor(self):
        self.assertEqual(int(self.control(NORMAL[2])["userdata"], 16), 0)
        before = screen.screenshot()
        self.enter(centre(self.area(NORMAL[2])))
        time.sleep(0.3)
        self.assertCursor(HAND)
        self.assertEqual(self.visible_selected(), set())
        after = screen.screenshot()
        client = self.menu["client_screen"]
        self.assertEqual(after.region(*client), before.region(*client), "the dialog changed while hovered")

        took = self.leave(self.screen_point(AWAY), 1)
        self.assertLess(took, HOVER_END_LIMIT)
        self.assertCursor(ARROW)
        self.assertEqual(self.new_hover_lines(), [self.leave_line(NORMAL[2])])

    def test_selected_control_placed_elsewhere_ends_the_hover(self):
        self.enter(centre(self.area(NORMAL[3])), SELECTED[3])
        self.assertCursor(HAND)
        selected = self.area(SELECTED[3])
        self.assertEqual(selected[:2], self.screen_point((300, 150)))
        width, height, colour = PICTURES["sel3.bmp"]
        self.assertEqual(screen.screenshot().count(colour, selected), width * height)

        # Only the normal control's area counts: on its selected picture the hover ends.
        took = self.leave(centre(selected), 1)
        self.assertLess(took, HOVER_END_LIMIT)
        self.assertEqual(self.visible_selected(), set())
        self.assertCursor(ARROW)
        self.assertEqual(self.new_hover_lines(), [self.leave_line(NORMAL[3])])

    def test_edges_of_the_normal_control(self):
        left, top, right, bottom = self.area(NORMAL[1])
        # (point inside, point just outside): the last column and row are in,
        # one pixel further is out; likewise the first column and row.
        cases = [
            ((right - 1, bottom - 1), (right, bottom - 1)),
            ((right - 1, bottom - 1), (right - 1, bottom)),
            ((right - 1, top), (right, top)),
            ((left, bottom - 1), (left, bottom)),
            ((left, top), (left - 1, top)),
            ((left, top), (left, top - 1)),
        ]
        for point_in, point_out in cases:
            with self.subTest(inside=point_in, outside=point_out):
                screen.move(*self.screen_point(AWAY))
                self.enter(point_in, SELECTED[1])
                time.sleep(0.35)  # several polls with the pointer on the edge
                self.assertEqual(self.visible_selected(), {SELECTED[1]})
                self.assertCursor(HAND)
                took = self.leave(point_out, 1)
                self.assertLess(took, HOVER_END_LIMIT)
                self.assertEqual(self.visible_selected(), set())
        self.assertEqual(self.new_hover_lines(), [self.leave_line(NORMAL[1])] * len(cases))

    def test_move_over_another_control_during_a_hover_is_ignored(self):
        self.enter(centre(self.area(NORMAL[1])), SELECTED[1])
        target = centre(self.area(NORMAL[3]))
        # Straight onto button 3 while button 1's hover still runs.
        self.leave(target, 1)
        time.sleep(0.4)
        self.assertEqual(self.visible_selected(), set(), "the move onto button 3 started a hover")
        self.assertCursor(ARROW)
        # The next move over it starts its hover.
        self.enter((target[0] + 1, target[1]), SELECTED[3])
        self.assertCursor(HAND)
        self.leave(self.screen_point(AWAY), 1)
        self.assertEqual(self.new_hover_lines(), [self.leave_line(NORMAL[1]), self.leave_line(NORMAL[3])])

    def test_cancel_hover_shows_its_selected_picture(self):
        self.enter(centre(self.area(ID_CANCEL)), ID_CANCEL_SELECTED)
        self.assertCursor(HAND)
        time.sleep(0.3)
        self.assertEqual(self.visible_selected(), {ID_CANCEL_SELECTED})
        # Centred in the Cancel area and filled around with its top left colour.
        selected = self.area(ID_CANCEL_SELECTED)
        self.assertEqual(selected, self.area(ID_CANCEL))
        colour = PICTURES["csel.bmp"][2]
        area = (selected[2] - selected[0]) * (selected[3] - selected[1])
        self.assertEqual(screen.screenshot().count(colour, selected), area)

        took = self.leave(self.screen_point(AWAY), 1)
        self.assertLess(took, HOVER_END_LIMIT)
        self.assertEqual(self.visible_selected(), set())
        self.assertCursor(ARROW)
        self.assertEqual(self.new_hover_lines(), [self.leave_line(ID_CANCEL)])


class KeyboardAndPointerTests(HoverCase):
    """The keyboard and the pointer share one selection, with one selected
    picture at most. The user's setting hides keyboard cues until a key is
    used, as Windows does by default (Wine shows them at all times)."""

    @classmethod
    def setUpClass(cls):
        cls.cues_setting = harness.probe.keyboard_cues(False)
        cls.addClassCleanup(harness.probe.keyboard_cues, cls.cues_setting)
        super().setUpClass()

    def cue_pixels(self, control_id, background):
        """Pixels of the control's top row that the focus rectangle inverted."""
        left, top, right, _ = self.area(control_id)
        inverted = tuple(255 - c for c in background)
        return screen.screenshot().count(inverted, (left, top, right, top + 1))

    def wait_selected(self, expected):
        self.assertIsNotNone(wait_until(lambda: self.visible_selected() == expected), expected)

    def test_keys_and_pointer_share_one_selection(self):
        yellow = (255, 255, 160)
        width = self.area(NORMAL[2])[2] - self.area(NORMAL[2])[0]
        self.enter(centre(self.area(NORMAL[1])), SELECTED[1])
        self.assertEqual(self.cue_pixels(NORMAL[1], yellow), 0, "a focus rectangle before any key")
        # From the hovered button on: the keyboard takes its picture off.
        screen.key("Tab")
        self.wait_selected(set())
        self.assertGreater(self.cue_pixels(NORMAL[2], yellow), width // 3, "no focus rectangle after Tab")
        screen.key("Tab")
        self.wait_selected({SELECTED[3]})
        self.assertEqual(self.cue_pixels(NORMAL[2], yellow), 0)
        # The hover of button 1 ends; the keyboard's selection stays.
        self.leave(self.screen_point(AWAY), 1)
        time.sleep(0.3)
        self.assertEqual(self.visible_selected(), {SELECTED[3]})
        # The pointer moves it again, and hides the focus rectangle.
        self.enter(centre(self.area(NORMAL[2])))
        self.wait_selected(set())
        time.sleep(0.2)
        self.assertEqual(self.cue_pixels(NORMAL[2], yellow), 0, "a focus rectangle under the pointer")
        self.leave(self.screen_point(AWAY), 1)
        # Tab from no selection selects button 1 again, which kept the focus
        # after the pointer left it: a screen reader is still told.
        self.enter(centre(self.area(NORMAL[1])), SELECTED[1])
        self.leave(self.screen_point(AWAY), 1)
        harness.probe.focus_events()
        screen.key("Tab")
        self.assertIsNotNone(wait_until(lambda: self.handle(NORMAL[1]) in harness.probe.focus_events()),
                             "no focus event for the button selected again")
        self.assertEqual(self.new_hover_lines(), [self.leave_line(n) for n in (NORMAL[1], NORMAL[2], NORMAL[1])])


class LogAndDebuggerOutputTests(HoverCase):
    """A run with the debug log and Wine's debugstr channel: one hover of
    each control, then the whole log and the debugger output."""

    debugger_output = True

    def setUp(self):
        # The one test reads the whole log itself.
        harness.E2ETestCase.setUp(self)
        self.lines_before = []

    def test_each_hover_adds_one_log_line_and_one_debugger_text(self):
        order = [(NORMAL[1], SELECTED[1]), (NORMAL[2], None), (NORMAL[3], SELECTED[3]), (ID_CANCEL, ID_CANCEL_SELECTED),
                 (NORMAL[1], SELECTED[1])]
        for normal, selected in order:
            self.enter(centre(self.area(normal)), selected)
            self.leave(self.screen_point(AWAY), 1)
        screen.key("Escape")
        self.assertEqual(self.launch.wait_exit(), 0)

        expected = [OPENED] + [self.leave_line(normal) for normal, _ in order] + [CLOSED, ""]
        self.assertEqual(self.media_folder.read("SETUP.log").decode("latin-1").split("\r\n"), expected)

        output = [line for line in self.launch.output().splitlines() if ":debugstr:" in line]
        texts = [line.split(":debugstr:", 1)[1] for line in output]
        self.assertEqual(texts, ['OutputDebugStringA "TrackMouseEvent\\n"'] * len(order))


if __name__ == "__main__":
    harness.main()
