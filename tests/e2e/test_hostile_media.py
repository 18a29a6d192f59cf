"""Hostile media: whatever files people put beside the launcher, it never
crashes (no Wine crash dialog, no unexpected exit code) and never hangs.

Configuration files that are binary garbage, UTF-16, 1 MB large, full of
5000-character values or of repeated sections and keys; bitmap files that
are cut short, empty, folders, of absurd sizes, of every depth and
compression or not bitmaps at all; command tails that are long, quoted or
hold double-byte characters; commands naming a folder, a file that is not a
program, a path past the length limit or a program followed by arguments.

Several bitmap cases share one launcher run: one file in each of the ten
places a configuration names a bitmap."""

import os
import random
import shutil
import struct
import time

import harness
from harness import ID_BUTTON_NORMAL, ID_BUTTON_SELECTED, ID_CANCEL, ID_CANCEL_SELECTED, ID_MAIN_IMAGE, \
    ID_SPLASH_IMAGE, IDCANCEL, SS_BITMAP, SS_TYPEMASK, probe, screen

CANNOT_START = "Unable to execute installation command!"
VALUE_LIMIT = 4094  # the most characters the profile reader delivers
PATH_LIMIT = 515    # the most characters of a program-relative path


class HostileTestCase(harness.E2ETestCase):
    """Runs the launcher and fails at once on a Wine crash dialog."""

    def setUp(self):
        super().setUp()
        # Registered first, so it runs after the media folders' cleanups:
        # a crash dialog left behind fails the test that caused it.
        self.addCleanup(self.assertNoCrash)

    def assertNoCrash(self):
        dialogs = harness.crash_dialogs()
        if dialogs:
            probe.kill(exe="winedbg.exe")
            self.fail("Wine crash dialog: %s" % dialogs)

    def outcome(self, launch, timeout=harness.WAIT_TIMEOUT):
        """Waits for the launcher's first sign: ("box", box) for a message
        box, ("menu", windows) for the visible menu. Fails on a crash
        dialog, an early exit or a run that shows nothing in time."""
        deadline = time.monotonic() + timeout
        while True:
            windows = probe.dump()
            crashes = [w for w in windows if w.visible and w.get("exe", "").lower() == "winedbg.exe"]
            if crashes:
                probe.kill(exe="winedbg.exe")
                self.fail("Wine crash dialog: %s" % [w["text"] for w in crashes])
            own = [w for w in windows if w["pid"] == launch.pid]
            if any(w.visible and w.is_message_box for w in own):
                box = launch.msgbox(timeout=2)
                if box is not None:
                    return "box", box
            menu = harness.find_menu(own)
            if menu is not None and menu.visible:
                return "menu", own
            if not launch.running:
                self.fail("the launcher ended without a window, exit code %s" % launch.process.poll())
            if time.monotonic() > deadline:
                self.fail("neither the menu nor a message box within %ss" % timeout)
            time.sleep(0.1)

    def run_to_menu(self, media, **kwargs):
        """Starts the launcher and waits for its menu: (launch, backdrop, menu)."""
        launch = media.start(**kwargs)
        kind, result = self.outcome(launch)
        self.assertEqual(kind, "menu", "expected the menu, got the box %s" % (result,))
        return launch, harness.find_backdrop(result), harness.find_menu(result)

    def end_with_escape(self, launch):
        code = super().end_with_escape(launch)
        self.assertNoCrash()
        self.assertEqual(code, 0)

    def assertRefused(self, launch, ini_path_text):
        """The refusal box naming the configuration path, then exit code 1."""
        kind, box = self.outcome(launch)
        self.assertEqual(kind, "box", "the file was accepted")
        self.assertEqual(box["caption"], "%s SETUP ERROR!" % launch.media.base)
        self.assertEqual(box["text"], "INVALID INI FILE: '%s' " % ini_path_text)
        self.assertIsNotNone(launch.msgbox(press="ok"))
        self.assertEqual(launch.wait_exit(), 1)
        self.assertNoCrash()


# --- configuration files -----------------------------------------------------------------------

VALID = "[Version]\r\nRelease=1\r\n[Main]\r\nTitle=Read\r\n"


def garbage(size, seed):
    """Random bytes that hold no section header and no key of the file."""
    data = bytes(random.Random(seed).randrange(256) for _ in range(size))
    assert b"[Version]" not in data and b"Release" not in data
    return data


def megabyte_ini():
    """About 1 MB of sections and keys, the real ones last."""
    lines = []
    size = 0
    n = 0
    while size < 1024 * 1024:
        line = "[Filler%d]\r\nKey%d=%s\r\nOther=%s\r\n" % (n, n, "v" * 200, "w" * 300)
        lines.append(line)
        size += len(line)
        n += 1
    return ("".join(lines) + VALID).encode("latin-1")


class IniFileTests(HostileTestCase):

    # (name, file contents): files without a readable version mark.
    REFUSED = [
        ("binary garbage", garbage(4096, 1)),
        ("zero bytes throughout", b"\0" * 1000),
        ("UTF-16 without byte-order mark", VALID.encode("utf-16-le")),
        ("big-endian UTF-16 without byte-order mark", VALID.encode("utf-16-be")),
        ("first of two Release keys is empty", b"[Version]\r\nRelease=\r\nRelease=1\r\n"),
        ("Release only in the second Version section", b"[Version]\r\nBuild=1\r\n[Version]\r\nRelease=1\r\n"),
        ("megabyte of garbage", garbage(1024 * 1024, 2)),
    ]

    def test_files_without_readable_version_mark_are_refused(self):
        for name, data in self.REFUSED:
            with self.subTest(name):
                media = self.media("SETUP", ini=None)
                media.write("SETUP.INI", data)
                self.assertRefused(media.start(), media.winpath("SETUP.INI"))

    # (name, file contents, the menu's caption): files that run.
    ACCEPTED = [
        ("UTF-16 with byte-order mark", b"\xff\xfe" + VALID.encode("utf-16-le"), "Read"),
        ("big-endian UTF-16 with byte-order mark", b"\xfe\xff" + VALID.encode("utf-16-be"), "Read"),
        ("UTF-8 with byte-order mark", b"\xef\xbb\xbf" + VALID.encode("latin-1"), "Read"),
        ("garbage before the sections", garbage(4096, 3) + b"\r\n" + VALID.encode("latin-1"), "Read"),
        ("1 MB large", megabyte_ini(), "Read"),
        ("repeated key: the first wins", b"[Version]\r\nRelease=1\r\n[Main]\r\nTitle=First\r\nTitle=Second\r\n",
         "First"),
        ("repeated section: the first wins",
         b"[Version]\r\nRelease=1\r\n[Main]\r\nTitle=First\r\n[Main]\r\nTitle=Second\r\n", "First"),
        ("repeated section: the second is never read",
         b"[Version]\r\nRelease=1\r\n[Main]\r\nFgcolor=1\r\n[Main]\r\nTitle=Second\r\n", "Main_Title"),
    ]

    def test_readable_files_run(self):
        for name, data, caption in self.ACCEPTED:
            with self.subTest(name):
                media = self.media("SETUP", ini=None)
                media.write("SETUP.INI", data)
                launch, _, menu = self.run_to_menu(media)
                self.assertEqual(menu["text"], caption)
                self.end_with_escape(launch)

    def test_every_value_5000_characters_long(self):
        def long(tag):
            return (tag + "-" + "0123456789" * 500)[:5000]

        def digits(tag):
            return (tag + "1" * 5000)[:5000]

        ini = {
            "Version": {"Release": long("R")},
            "Main": {"Debug": long("On"), "Exit": long("ON"), "Title": long("Title"), "Image": long("main.bmp"),
                     "Bgcolor": digits("1"), "Fgcolor": digits("2")},
            "Splash": {"Image": long("splash.bmp"), "Bgcolor": digits("3")},
            "Cancel": {"Label": long("Cancel"), "Image": long("c.bmp"), "ImageSel": long("cs.bmp"),
                       "Bgcolor": digits("4"), "Fgcolor": digits("5"), "Position": digits("6"),
                       "PositionSel": digits("7")},
        }
        for n in (1, 2, 3):
            ini["Button%d" % n] = {
                "Label": long("Label%d" % n), "Command": long("inst.exe"), "Text": long("Text%d" % n),
                "ImageText": long("t%d.bmp" % n), "Image": long("i%d.bmp" % n), "ImageSel": long("s%d.bmp" % n),
                "AlignText": long("center"), "Bgcolor": digits("8"), "Fgcolor": digits("9"),
                "Position": digits("1"), "PositionSel": digits("2"),
            }
        media = self.media("SETUP", ini=ini)
        media.add_child("inst.exe")
        # Every bitmap value begins with the name of a good file.
        for name in ["main.bmp", "splash.bmp", "c.bmp", "cs.bmp"] + \
                ["%s%d.bmp" % (k, n) for k in "tis" for n in (1, 2, 3)]:
            media.write_bmp(name, 20, 10, (255, 0, 0))
        launch, backdrop, menu = self.run_to_menu(media)

        self.assertEqual(menu["text"], long("Title")[:VALUE_LIMIT], "the title is cut by the reader")
        self.assertFalse(media.exists("SETUP.log"), "Debug is not On")
        # Paths past the limit are refused: no picture anywhere.
        self.assertFalse(backdrop.child(ID_SPLASH_IMAGE).visible)
        self.assertEqual(menu.child(ID_MAIN_IMAGE)["image"], "0x0")
        self.assertEqual(menu.child(ID_MAIN_IMAGE)["text"], "Main_Image")
        self.assertEqual(menu.child(ID_CANCEL)["text"], long("Cancel")[:VALUE_LIMIT])
        for control in [ID_CANCEL, ID_CANCEL_SELECTED] + list(ID_BUTTON_NORMAL.values()) + \
                list(ID_BUTTON_SELECTED.values()):
            self.assertEqual(menu.child(control)["image"], "0x0", "control %d" % control)
        for n in (1, 2, 3):
            normal = menu.child(ID_BUTTON_NORMAL[n])
            self.assertTrue(normal.visible)
            self.assertEqual(normal["text"], long("Text%d" % n)[:VALUE_LIMIT])
            self.assertEqual(normal["style"] & SS_TYPEMASK, 0, "AlignText is no known word: left")
            self.assertEqual(normal["userdata"], "0x0")

        # The label asks, the command (kept whole, past the limit) fails to start.
        launch.command(ID_BUTTON_NORMAL[2])
        box = launch.msgbox(press="ok")
        self.assertIsNotNone(box)
        self.assertEqual(box["caption"], long("Label2")[:VALUE_LIMIT])
        box = launch.msgbox(press="ok")
        self.assertIsNotNone(box)
        self.assertEqual((box["caption"], box["text"]), ("Setup Error!", CANNOT_START))
        self.assertEqual(media.records("inst.exe"), [])
        self.assertTrue(launch.running, "a failed start does not end the run, whatever Exit says")
        self.assertNoCrash()
        self.end_with_escape(launch)


# --- bitmap files ------------------------------------------------------------------------------

RED_VIOLET = (200, 40, 120)


def _bmp(info, table, pixels, offset=None):
    offset = 14 + len(info) + len(table) if offset is None else offset
    return struct.pack("<2sIHHI", b"BM", 14 + len(info) + len(table) + len(pixels), 0, 0, offset) + \
        info + table + pixels


def _info(width, height, bits, compression=0, image_size=0, colours=0, size=40):
    return struct.pack("<IiiHHIIiiII", size, width, height, 1, bits, compression, image_size, 2835, 2835,
                       colours, 0)


def _rows(width, height, bits, row):
    stride = (width * bits + 31) // 32 * 4
    return (row + b"\0" * stride)[:stride] * height


def _table(colour, index, count):
    r, g, b = colour
    return b"\0\0\0\0" * index + bytes((b, g, r, 0)) + b"\0\0\0\0" * (count - index - 1)


def indexed_bmp(width, height, bits, colour, index=1):
    """Every pixel is entry `index` of the colour table, which holds `colour`."""
    per_byte = 8 // bits
    byte = 0
    for _ in range(per_byte):
        byte = (byte << bits) | index
    row = bytes([byte]) * ((width + per_byte - 1) // per_byte)
    return _bmp(_info(width, height, bits), _table(colour, index, 1 << bits), _rows(width, height, bits, row))


def rgb_bmp(width, height, bits, colour, top_down=False):
    r, g, b = colour
    pixel = {24: bytes((b, g, r)), 32: bytes((b, g, r, 0)),
             16: struct.pack("<H", (r >> 3) << 10 | (g >> 3) << 5 | b >> 3)}[bits]
    return _bmp(_info(width, -height if top_down else height, bits), b"",
                _rows(width, height, bits, pixel * width))


def bitfields565_bmp(width, height, colour):
    r, g, b = colour
    pixel = struct.pack("<H", (r >> 3) << 11 | (g >> 2) << 5 | b >> 3)
    return _bmp(_info(width, height, 16, compression=3), struct.pack("<III", 0xF800, 0x07E0, 0x001F),
                _rows(width, height, 16, pixel * width))


def core_bmp(width, height, colour):
    r, g, b = colour
    return _bmp(struct.pack("<IHHHH", 12, width, height, 1, 24), b"",
                _rows(width, height, 24, bytes((b, g, r)) * width))


def v5_bmp(width, height, colour):
    r, g, b = colour
    info = struct.pack("<IiiHHIIiiII", 124, width, height, 1, 32, 3, 0, 2835, 2835, 0, 0)
    info += struct.pack("<IIII", 0xFF0000, 0xFF00, 0xFF, 0xFF000000) + b"sRGB" + b"\0" * 48 + \
        struct.pack("<IIII", 4, 0, 0, 0)
    return _bmp(info, b"", _rows(width, height, 32, bytes((b, g, r, 255)) * width))


def rle_bmp(width, height, bits, colour, index=3, runs_per_row=None):
    """Run-length compressed, 8 or 4 bits: every row one run of `index`."""
    per_run = 255 if bits == 8 else 254
    value = index if bits == 8 else index << 4 | index
    data = b""
    for _ in range(height):
        left = width
        while left:
            n = min(left, per_run)
            data += bytes((n, value))
            left -= n
        data += b"\0\0"
    data = data[:-2] + b"\0\1"
    return _bmp(_info(width, height, bits, compression=1 if bits == 8 else 2, image_size=len(data)),
                _table(colour, index, 1 << bits), data)


def patched(data, offset, fmt, value):
    out = bytearray(data)
    struct.pack_into(fmt, out, offset, value)
    return bytes(out)


def claims(width, height, bits, compression=0, image_size=0, extra=64):
    """A header claiming width x height, followed by a few bytes only."""
    table = _table((255, 255, 255), 0, 1 << bits) if bits <= 8 else b""
    return _bmp(_info(width, height, bits, compression, image_size), table, b"\xAA" * extra)


# The ten places a configuration names a bitmap: (section, key, control id
# of the menu or None for the backdrop's picture, the normal control a
# selected picture belongs to or None).
SLOTS = [
    ("Splash", "Image", None, None),
    ("Main", "Image", ID_MAIN_IMAGE, None),
    ("Button1", "Image", ID_BUTTON_NORMAL[1], None),
    ("Button1", "ImageSel", ID_BUTTON_SELECTED[1], ID_BUTTON_NORMAL[1]),
    ("Button2", "Image", ID_BUTTON_NORMAL[2], None),
    ("Button2", "ImageSel", ID_BUTTON_SELECTED[2], ID_BUTTON_NORMAL[2]),
    ("Button3", "Image", ID_BUTTON_NORMAL[3], None),
    ("Button3", "ImageSel", ID_BUTTON_SELECTED[3], ID_BUTTON_NORMAL[3]),
    ("Cancel", "Image", ID_CANCEL, None),
    ("Cancel", "ImageSel", ID_CANCEL_SELECTED, ID_CANCEL),
]
PLACEHOLDERS = {ID_MAIN_IMAGE: "Main_Image", ID_CANCEL: "Cancel"}

GOOD_SIZE = (40, 20)
W, H = GOOD_SIZE

# (file name, contents, colour on the screen or None when not checked).
GOOD = [
    ("depth1.bmp", indexed_bmp(W, H, 1, RED_VIOLET), RED_VIOLET),
    ("depth4.bmp", indexed_bmp(W, H, 4, RED_VIOLET, 5), RED_VIOLET),
    ("depth8.bmp", indexed_bmp(W, H, 8, RED_VIOLET, 200), RED_VIOLET),
    ("depth16.bmp", rgb_bmp(W, H, 16, RED_VIOLET), RED_VIOLET),
    ("depth16-565.bmp", bitfields565_bmp(W, H, RED_VIOLET), RED_VIOLET),
    ("depth24.bmp", rgb_bmp(W, H, 24, RED_VIOLET), RED_VIOLET),
    ("depth32.bmp", rgb_bmp(W, H, 32, RED_VIOLET), RED_VIOLET),
    ("rle8.bmp", rle_bmp(W, H, 8, RED_VIOLET), RED_VIOLET),
    ("rle4.bmp", rle_bmp(W, H, 4, RED_VIOLET), RED_VIOLET),
    ("core-header.bmp", core_bmp(W, H, RED_VIOLET), RED_VIOLET),
    ("v5-header.bmp", v5_bmp(W, H, RED_VIOLET), RED_VIOLET),
    # Wine loads rows stored top down at the right size but black.
    ("top-down.bmp", rgb_bmp(W, H, 24, RED_VIOLET, top_down=True), None),
]

_G = rgb_bmp(64, 64, 24, RED_VIOLET)
_R = rle_bmp(W, H, 8, RED_VIOLET)

# (file name, contents or "folder", whether a picture results). Files whose
# headers promise more than the file holds, or absurd sizes, give none; a
# few odd but complete files are pictures all the same.
HOSTILE = [
    ("zero-bytes.bmp", b"", False),
    ("folder.bmp", "folder", False),
    ("text.bmp", b"this is not a picture\r\n" * 10, False),
    ("png.bmp", b"\x89PNG\r\n\x1a\n" + b"\0" * 100, False),
    ("ini.bmp", VALID.encode("latin-1"), False),
    ("cut-in-file-header.bmp", _G[:10], False),
    ("cut-in-info-header.bmp", _G[:30], False),
    ("cut-after-headers.bmp", _G[:54], False),
    ("cut-in-half.bmp", _G[:len(_G) // 2], False),
    ("one-byte-short.bmp", _G[:-1], False),
    ("cut-at-4096.bmp", rgb_bmp(200, 200, 24, RED_VIOLET)[:4096], False),
    ("cut-at-8192.bmp", rgb_bmp(200, 200, 24, RED_VIOLET)[:8192], False),
    ("rle8-cut.bmp", _R[:len(_R) - 30], False),
    ("pixels-offset-past-end.bmp", patched(_G, 10, "<I", 10 ** 6), False),
    ("pixels-offset-in-header.bmp", patched(_G, 10, "<I", 4), False),
    ("7-bits.bmp", patched(_G, 28, "<H", 7), False),
    ("56-byte-header.bmp", patched(_G, 14, "<I", 56), False),
    ("header-size-max.bmp", patched(_G, 14, "<I", 0xFFFFFFFF), False),
    ("negative-width.bmp", patched(_G, 18, "<i", -64), False),
    ("zero-height.bmp", patched(_G, 22, "<i", 0), False),
    ("bitfields-on-24.bmp", patched(_G, 30, "<I", 3), False),
    ("jpeg-inside.bmp", patched(_G, 30, "<I", 4), False),
    ("rle-on-24.bmp", patched(_G, 30, "<I", 1), False),
    ("rle8-size-past-end.bmp", patched(_R, 34, "<I", 10 ** 6), False),
    ("rle8-without-size.bmp", patched(_R, 34, "<I", 0), False),
    # Odd but complete: a colour count past 256 counts 256, runs past the
    # row end are dropped, the plane count is not looked at.
    ("colour-count-max.bmp", patched(indexed_bmp(W, H, 8, RED_VIOLET, 200), 46, "<I", 0xFFFFFFFF), True),
    ("rle8-overlong-runs.bmp", _R[:-2] + bytes((255, 3)) * 20 + b"\0\1", True),
    ("zero-planes.bmp", patched(rgb_bmp(W, H, 24, RED_VIOLET), 26, "<H", 0), True),
]

# Headers claiming huge pictures: none may crash the launcher or keep it
# busy. Before the header check, "16000 x 16000, 1 bit" and "4000 x 4000,
# 32 bits" made Wine's loader fault and "20000 x 20000, run-length" kept the
# launcher busy for more than 20 s.
HUGE = [
    # The largest picture the launcher takes, stretched over the screen.
    ("4096x4096-rle8.bmp", _bmp(_info(4096, 4096, 8, 1, 2), _table(RED_VIOLET, 0, 256), b"\0\1"), True),
    ("100000x100000-24.bmp", claims(100000, 100000, 24), False),
    ("100000x100000-1.bmp", claims(100000, 100000, 1), False),
    ("100000x100000-8.bmp", claims(100000, 100000, 8), False),
    ("16000x16000-1.bmp", claims(16000, 16000, 1), False),
    ("4000x4000-32.bmp", claims(4000, 4000, 32), False),
    ("20000x20000-rle8.bmp", claims(20000, 20000, 8, compression=1, image_size=4, extra=4), False),
    ("2147483647-wide.bmp", claims(0x7FFFFFFF, 1, 1), False),
    ("2147483647-high.bmp", claims(1, 0x7FFFFFFF, 1), False),
    ("most-negative-height.bmp", claims(10, -0x80000000, 24), False),
]


class BitmapTests(HostileTestCase):

    def run_bitmaps(self, cases):
        """Puts up to ten files in the ten places and runs the launcher:
        (launch, backdrop, menu, screenshot). Button sections get no Text,
        so a button shows only through its picture."""
        self.assertLessEqual(len(cases), len(SLOTS))
        media = self.media("SETUP", ini=None)
        ini = {"Version": {"Release": "1"}}
        for (section, key, _, _), (name, data, _) in zip(SLOTS, cases):
            if data == "folder":
                os.makedirs(media.path(name))
            else:
                media.write(name, data)
            ini.setdefault(section, {})[key] = name
        media.write_ini(ini)
        launch, backdrop, menu = self.run_to_menu(media)
        return launch, backdrop, menu, screen.screenshot()

    def check_slot(self, slot, backdrop, menu, shot, picture, colour=None):
        section, key, control_id, owner_id = slot
        if control_id is None:
            control = backdrop.child(ID_SPLASH_IMAGE)
        else:
            control = menu.child(control_id)
        has_image = control["image"] != "0x0"
        self.assertEqual(has_image, picture, "picture in %s/%s" % (section, key))
        self.assertEqual(control["style"] & SS_TYPEMASK == SS_BITMAP, picture, "SS_BITMAP")
        if owner_id is not None:
            # A selected picture is linked from its normal control, and only then.
            self.assertEqual(menu.child(owner_id)["userdata"], control["hwnd"] if picture else "0x0")
            self.assertFalse(control.visible, "a selected control stays hidden")
            return
        if control_id is None:
            self.assertEqual(control.visible, picture)
            if picture:
                self.assertEqual(control.rect, (0, 0) + harness.SCREEN_SIZE, "stretched over the screen")
                if colour:
                    self.assertTrue(harness.colour_close(shot.pixel(4, 4), colour, 8), shot.pixel(4, 4))
            return
        if control_id in PLACEHOLDERS:
            self.assertTrue(control.visible)
            if not picture:
                self.assertEqual(control["text"], PLACEHOLDERS[control_id])
        else:
            self.assertEqual(control.visible, picture, "a button shows only with a picture or text")
        if picture and control_id != ID_CANCEL:
            left, top, right, bottom = control["client"]
            self.assertEqual((right - left, bottom - top), GOOD_SIZE, "the client area takes the picture's size")
        if picture and colour:
            pixel = shot.pixel(*control.centre())
            self.assertTrue(harness.colour_close(pixel, colour, 8), "%s at the centre" % (pixel,))

    def check_run(self, cases):
        launch, backdrop, menu, shot = self.run_bitmaps(cases)
        for slot, (name, _, expected) in zip(SLOTS, cases):
            picture, colour = (True, expected) if not isinstance(expected, bool) else (expected, None)
            with self.subTest(file=name, place="%s/%s" % slot[:2]):
                self.check_slot(slot, backdrop, menu, shot, picture, colour)
        self.assertNoCrash()
        self.end_with_escape(launch)

    def test_good_bitmaps_of_every_depth_load(self):
        # Two runs; each kind is once in a place that shows it (backdrop,
        # background, a button, Cancel) and once in a selected place.
        good = [(name, data, colour or True) for name, data, colour in GOOD]
        shown_places = [i for i, slot in enumerate(SLOTS) if slot[3] is None]
        selected_places = [i for i, slot in enumerate(SLOTS) if slot[3] is not None]
        for shown, selected in ((good[0:6], good[6:10]), (good[6:12], good[0:4])):
            cases = [None] * len(SLOTS)
            for place, case in zip(shown_places, shown):
                cases[place] = case
            for place, case in zip(selected_places, selected):
                cases[place] = case
            self.check_run(cases)

    def test_hostile_bitmaps_give_no_picture(self):
        for start in range(0, len(HOSTILE), len(SLOTS)):
            with self.subTest(files=start):
                self.check_run(HOSTILE[start:start + len(SLOTS)])

    def test_huge_headers_neither_hang_nor_crash(self):
        # The menu must come within the usual time; run_to_menu fails otherwise.
        started = time.monotonic()
        self.check_run(HUGE)
        self.assertLess(time.monotonic() - started, harness.WAIT_TIMEOUT)


# --- command tails -----------------------------------------------------------------------------

class TailTests(HostileTestCase):

    # (name, tail, what follows the program folder in the refused path)
    REFUSED = [
        ("600 characters", "m" * 600, "m" * 600),
        ("600 characters in quotes", '"' + "q" * 598 + '"', '"' + "q" * 598 + '"'),
        ("600 characters of quotes", '"' * 600, '"' * 600),
        ("quotes and blanks", '"menu" "other.ini"', '"menu" "other.ini"'),
        ("double-byte characters", "\x83\x5c\x82\xa0menu", "\x83\x5c\x82\xa0menu.INI"),
        ("a lead byte at the end", "menu\x81", "menu\x81.INI"),
        ("a lead byte before a quote", "\x81\"menu", "\x81\"menu.INI"),
    ]

    def test_hostile_tails_are_refused_naming_the_path(self):
        for name, tail, shown in self.REFUSED:
            with self.subTest(name):
                media = self.media("SETUP")
                self.assertRefused(media.start(tail=tail), media.winpath() + shown)

    def test_double_byte_tail_finds_its_file(self):
        # 0x83 0x5C is one double-byte character in some code pages, but the
        # launcher's is single-byte: the 0x5C is a backslash and separates a
        # folder, the one that this code page calls U+0192.
        media = self.media("SETUP")
        os.makedirs(media.path("\u0192"))
        media.write_ini({"Version": {"Release": "1"}, "Main": {"Title": "double-byte"}}, name="\u0192/menu.INI")
        launch, _, menu = self.run_to_menu(media, tail="\x83\x5cmenu", env={"LC_ALL": "C.UTF-8"})
        self.assertEqual(menu["text"], "double-byte")
        self.end_with_escape(launch)


# --- commands ----------------------------------------------------------------------------------

def nested_path(media, total, leaf):
    """A program-relative value of folders and `leaf` whose full path has
    exactly `total` characters; the folders are made."""
    need = total - len(media.winpath()) - len(leaf)
    parts = []
    while need > 0:
        # Folder names of at most 200 characters; the last one at least 3.
        n = need - 1 if need <= 201 else (200 if need - 201 >= 4 else 150)
        parts.append(("f%d" % len(parts)).ljust(n, "x"))
        need -= n + 1
    os.makedirs(media.path("/".join(parts)), exist_ok=True)
    value = "\\".join(parts + [leaf])
    assert len(media.winpath() + value) == total
    return value


class CommandTests(HostileTestCase):

    def check_commands(self, media, commands, programs):
        """Buttons 1 to 3 with the given commands: each click shows the
        error box, starts nothing, and the menu stays."""
        ini = {"Version": {"Release": "1"}, "Main": {"Exit": "ON"}}
        for n, command in enumerate(commands, 1):
            ini["Button%d" % n] = {"Text": "Button %d" % n, "Command": command}
        media.write_ini(ini)
        launch, _, menu = self.run_to_menu(media)
        for n, command in enumerate(commands, 1):
            with self.subTest(command=command[:60]):
                launch.click_control(ID_BUTTON_NORMAL[n], menu)
                box = launch.msgbox(press="ok")
                self.assertIsNotNone(box, "no error box")
                self.assertEqual((box["caption"], box["text"]), ("Setup Error!", CANNOT_START))
                self.assertEqual(box["owner"], menu["hwnd"])
                self.assertNoCrash()
                self.assertTrue(launch.running, "the menu stays after a failed start")
        time.sleep(0.5)
        for program in programs:
            self.assertEqual(media.records(program), [], "%s was started" % program)
        self.end_with_escape(launch)

    def test_commands_that_are_no_program(self):
        media = self.media("SETUP", ini=None)
        os.makedirs(media.path("folder.exe"))
        media.write("readme.txt", "Read me first.\r\n")
        media.write("notes.exe", "not a program, whatever its name says\r\n" * 20)
        self.check_commands(media, ["folder.exe", "readme.txt", "notes.exe"], [])

    def test_commands_that_name_a_program_only_in_part(self):
        # inst.exe is there each time; none of these values names it whole.
        media = self.media("SETUP", ini=None)
        media.add_child("inst.exe")
        too_long = nested_path(media, PATH_LIMIT, "inst.exe")
        shutil.copyfile(harness.environment().child, media.path(too_long.replace("\\", "/")))
        self.check_commands(media, ["inst.exe /S", "inst", too_long + "x" * 3000],
                            ["inst.exe", too_long.replace("\\", "/")])


if __name__ == "__main__":
    harness.main()
