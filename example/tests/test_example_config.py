"""The example configuration, the configuration reference and the loaders
agree: every key the launcher reads is documented and used by the example,
every file the example names is in the built media, and the example's
controls lie inside the menu dialog."""

import glob
import os
import re
import sys
import unittest

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)
sys.path.insert(0, os.path.dirname(HERE))
import make_bitmaps  # noqa: E402
from media_tools import given, position, read_bmp, read_profile  # noqa: E402

SOURCE = os.environ.get("SETUPMENU_SOURCE", os.path.dirname(os.path.dirname(HERE)))
MEDIA = os.environ.get("SETUPMENU_EXAMPLE_MEDIA", "")
EXAMPLE = os.path.join(SOURCE, "example", "SetupMenu.ini")
REFERENCE = os.path.join(SOURCE, "docs", "configuration.md")
BUTTONS = ("button1", "button2", "button3")


def keys_read_by_the_launcher():
    """{section or None: {key}} from every ReadSetting call in the sources;
    None collects the keys read with a section computed at run time (the
    buttons and Cancel)."""
    found = {}
    for path in glob.glob(os.path.join(SOURCE, "*", "*.cpp")):
        with open(path) as f:
            text = f.read()
        for section, key in re.findall(r'ReadSetting\(\s*("?\w+"?)\s*,\s*"(\w+)"\s*\)', text):
            name = section.strip('"').lower() if section.startswith('"') else None
            found.setdefault(name, set()).add(key.lower())
    return found


def documented_keys():
    """{section: {key}} from the key tables of the reference; the button
    sections share one table."""
    tables = {}
    current = []
    with open(REFERENCE) as f:
        for line in f:
            heading = re.match(r"^###\s+(.*)$", line)
            if heading:
                current = [s.lower() for s in re.findall(r"`\[(\w+)\]`", heading.group(1))]
                for section in current:
                    tables.setdefault(section, set())
                continue
            row = re.match(r"^\|\s*`(\w+)`\s*\|", line)
            if row and current:
                for section in current:
                    tables[section].add(row.group(1).lower())
    return tables


class ExampleConfiguration(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.code = keys_read_by_the_launcher()
        cls.docs = documented_keys()
        cls.example = read_profile(EXAMPLE)

    def test_the_reference_documents_exactly_the_keys_the_launcher_reads(self):
        self.assertIn(None, self.code, "no key read with a computed section was found")
        for section, keys in self.code.items():
            if section is None:
                documented = set().union(*(self.docs.get(s, set()) for s in BUTTONS + ("cancel",)))
            else:
                documented = self.docs.get(section, set())
            with self.subTest(section=section or "buttons and Cancel"):
                self.assertEqual(keys - documented, set())
        read = set().union(*self.code.values())
        for section, keys in self.docs.items():
            with self.subTest(documented=section):
                self.assertEqual(keys - read, set())

    def test_the_example_uses_every_documented_key(self):
        # The buttons and Cancel share most keys: each needs to appear in one of them.
        # A button picture would hide the text whose alignment the buttons show.
        self.assertEqual(set(self.docs), {"version", "main", "splash", "cancel"} | set(BUTTONS))
        for section, keys in self.docs.items():
            where = BUTTONS + ("cancel",) if section in BUTTONS + ("cancel",) else (section,)
            used = set().union(*(
                {k for k, v in self.example.get(s, {}).items() if given(v)} for s in where))
            with self.subTest(section=section):
                self.assertEqual(keys - used - {"imagetext"}, set())

    def test_cancel_has_a_picture_and_a_hover_picture(self):
        for key in ("image", "imagesel"):
            with self.subTest(key=key):
                self.assertIn(self.example["cancel"].get(key), make_bitmaps.PICTURES)

    def test_the_example_shows_every_alignment_and_switches_both_switches_on(self):
        aligns = {self.example[b]["aligntext"].lower() for b in BUTTONS}
        self.assertEqual(aligns, {"left", "center", "right"})
        for button in BUTTONS:
            with self.subTest(button=button):
                # A normal picture takes the place of the text and its alignment.
                self.assertTrue(given(self.example[button].get("text")))
                self.assertFalse(any(given(self.example[button].get(k)) for k in ("imagetext", "image")))
        self.assertEqual(self.example["main"]["exit"].lower(), "on")
        self.assertEqual(self.example["main"]["debug"].lower(), "on")

    def test_the_autorun_entry_starts_the_launcher_with_its_icon_and_the_title(self):
        autorun = read_profile(os.path.join(SOURCE, "example", "autorun.inf"))["autorun"]
        self.assertEqual(autorun["open"], "SetupMenu.exe")
        self.assertEqual(autorun["icon"], "SetupMenu.exe,0")
        self.assertEqual(autorun["label"], self.example["main"]["title"])
        self.assertTrue(os.path.isfile(os.path.join(MEDIA, "autorun.inf")))

    def test_every_file_the_example_names_is_in_the_built_media(self):
        named = [(s, k, v) for s, keys in self.example.items() for k, v in keys.items()
                 if k in ("image", "imagetext", "imagesel", "command", "open") and given(v)]
        self.assertGreaterEqual(len(named), 10)
        for section, key, value in named:
            with self.subTest(section=section, key=key):
                self.assertNotIn("/", value, "file names take backslashes")
                self.assertFalse(re.match(r"^([A-Za-z]:|\\)", value), "absolute paths never work")
                if key not in ("command", "open"):
                    self.assertIn(value, make_bitmaps.PICTURES)
                self.assertTrue(os.path.isfile(os.path.join(MEDIA, *value.split("\\"))), value)

    def test_every_positioned_picture_lies_inside_the_menu(self):
        width, height = make_bitmaps.CLIENT_SIZE
        for section in BUTTONS + ("cancel",):
            keys = self.example[section]
            for pos_key, picture_keys in (("position", ("imagetext", "image")), ("positionsel", ("imagesel",))):
                place = position(keys.get(pos_key))
                if place is None:
                    continue
                picture = next((keys[k] for k in picture_keys if given(keys.get(k))), None)
                if picture is None:
                    continue
                with self.subTest(section=section, key=pos_key):
                    size = read_bmp(os.path.join(MEDIA, picture)).size()
                    x, y = place
                    self.assertTrue(0 < x and x + size[0] <= width and 0 < y and y + size[1] <= height,
                                    f"{picture} at {place} does not fit in {width}x{height}")
            with self.subTest(section=section, key="position given"):
                self.assertIsNotNone(position(keys.get("position")))

    def test_documented_defaults_are_the_loaders_defaults(self):
        with open(os.path.join(SOURCE, "config", "load_main.cpp")) as f:
            value = int(re.search(r"kDefaultMainBackground\s*=\s*(0x[0-9A-Fa-f]+)", f.read()).group(1), 16)
        colour = f"{value & 0xFF},{(value >> 8) & 0xFF},{(value >> 16) & 0xFF}"
        with open(REFERENCE) as f:
            reference = f.read()
        main_bgcolor = re.search(r"^\| `Bgcolor` \| colour \| `([0-9,]+)`", reference, re.M)
        self.assertEqual(main_bgcolor.group(1), colour)
        with open(os.path.join(SOURCE, "config", "load_buttons.cpp")) as f:
            label = re.search(r'memcpy\(cancel\.pszLabel,\s*"([^"]*)"', f.read()).group(1)
        self.assertRegex(reference, r"\| `Label` \| text \| `%s` \|" % re.escape(label))


if __name__ == "__main__":
    unittest.main()
