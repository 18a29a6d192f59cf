"""Launching: a click on a button starts its command (a recording child
program), with a confirmation box when the button has a label, error boxes
when it has no command or the start fails, and the end of the run after a
successful start when Main/Exit is on. Arguments and a start-in folder reach
the started program; a button without a command opens its Open file or
address through the shell, with a file type and schemes registered in the
test prefix for a recording viewer. The keyboard and a screen reader's
default action press a button as a click does."""

import glob
import os
import re

import harness
from harness import ID_BUTTON_NORMAL, IDCANCEL

MB_ICONERROR_CAPTION = "Setup Error!"
NO_COMMAND = "No installation command to execute!"
CANNOT_START = "Unable to execute installation command!"
CONFIRM = "Install Application?"


def launch_ini(buttons, exit_value=None):
    """A valid file with the given button sections {n: {key: value}}."""
    ini = {"Version": {"Release": "1"}, "Main": {"Title": "Launch test"}}
    if exit_value is not None:
        ini["Main"]["Exit"] = exit_value
    for n, keys in buttons.items():
        ini["Button%d" % n] = dict({"Text": "Button %d" % n}, **keys)
    return ini


def reg(*args):
    """reg.exe in the test prefix, on the registry view of the launcher under
    test (a 32-bit program reads classes of its own); (code, output)."""
    env = harness.environment()
    view = ["/reg:32"] if env.bits == 32 else []
    code, out, _ = harness.run_quietly([env.wrapper, "reg"] + list(args) + view, 120)
    return code, out


def set_default(key, value):
    """Sets the default value of a key in the test prefix; None deletes the key."""
    code, out = reg("delete", key, "/f") if value is None else reg("add", key, "/ve", "/d", value, "/f")
    if value is not None and code != 0:
        raise AssertionError("reg add %s failed: %s" % (key, out))


# Names no other test registers: a document type, and a scheme that is
# registered but not opened by the launcher. The prefix's own https handler
# is pointed at the viewer for these tests and put back after them.
DOC = ".smopentest"
OTHER_SCHEME = "setupmenu-open-test"
HTTPS = r"HKCR\https\shell\open\command"


# Text in every script, one row per encoding of the same configuration: (row, bytes of
# the text, the launcher's locale, the title, the folder the command is in, [Messages]
# Confirm). ANSI rows hold only what their code page holds. Code page 932 breaks file
# names outside ASCII under Wine: those rows keep an ASCII folder.
EVERY_SCRIPT = "Espa\u00f1ol \u00b7 \u0395\u03bb\u03bb\u03b7\u03bd\u03b9\u03ba\u03ac \u00b7 \u65e5\u672c\u8a9e"
GREEK_CONFIRM = "\u0395\u03b3\u03ba\u03b1\u03c4\u03ac\u03c3\u03c4\u03b1\u03c3\u03b7;"
ENCODINGS = [
    ("UTF-8", lambda t: t.encode("utf-8"), "C.UTF-8", EVERY_SCRIPT, "Caf\u00e9 \u0395\u03bb\u03bb\u03ac\u03b4\u03b1",
     GREEK_CONFIRM),
    ("UTF-8 with a mark", lambda t: t.encode("utf-8-sig"), "C.UTF-8", EVERY_SCRIPT, "Caf\u00e9", GREEK_CONFIRM),
    ("UTF-16LE", lambda t: b"\xff\xfe" + t.encode("utf-16-le"), "C.UTF-8", EVERY_SCRIPT,
     "\u65e5\u672c\u8a9e", GREEK_CONFIRM),
    ("cp1252", lambda t: t.encode("cp1252"), "C.UTF-8", "Espa\u00f1ol \u00b7 \u00dcber \u20ac", "Caf\u00e9", None),
    ("Shift-JIS under 932", lambda t: t.encode("cp932"), "ja_JP.UTF-8", "\u65e5\u672c\u8a9e\u306e\u30e1\u30cb\u30e5\u30fc",
     "setup", None),
    ("UTF-8 under 932", lambda t: t.encode("utf-8"), "ja_JP.UTF-8", EVERY_SCRIPT, "setup", GREEK_CONFIRM),
]


class LaunchTests(harness.E2ETestCase):

    def click_button(self, launch, n):
        launch.click_control(ID_BUTTON_NORMAL[n])

    def assertStartedFromFolder(self, media, record, program):
        self.assertEqual(record["cwd"].rstrip("\\"), media.winpath().rstrip("\\"),
                         "the child runs in the program folder")
        self.assertEqual(record["cmdline"].strip().strip('"'), media.winpath(program),
                         "the child gets no arguments")
        self.assertEqual(record["show"], "1,1", "STARTF_USESHOWWINDOW with SW_SHOWNORMAL")

    def assertMenuStays(self, launch):
        self.assertTrue(launch.running)
        menu = launch.menu()
        self.assertIsNotNone(menu)
        self.assertTrue(menu.visible)

    def test_confirmation_box(self):
        # (how the confirmation is answered, whether the child starts, presses while the box is open)
        cases = [("ok", True, 0), ("cancel", False, 0), ("close", False, 0),
                 # A press while the box is open does nothing: one box, one start.
                 ("ok", True, 1)]
        for answer, starts, presses in cases:
            with self.subTest(answer=answer, presses=presses):
                media = self.media("SETUP", ini=launch_ini({1: {"Label": "Product One", "Command": "inst.exe"}}))
                media.add_child("inst.exe")
                launch, _, menu = self.start_menu(media)
                self.click_button(launch, 1)
                for _ in range(presses):
                    self.assertIsNotNone(launch.msgbox())
                    launch.command(ID_BUTTON_NORMAL[1])
                box = launch.msgbox(press=answer)
                self.assertIsNotNone(box, "no confirmation box")
                self.assertEqual((box["caption"], box["text"]), ("Product One", CONFIRM))
                self.assertEqual(sorted(b["id"] for b in box["buttons"]), [harness.IDOK, IDCANCEL])
                self.assertTrue(box["icon"])
                self.assertEqual(box["owner"], menu["hwnd"], "the box is owned by the menu")
                if starts:
                    records = media.wait_records("inst.exe", 1)
                    self.assertEqual(len(records), 1)
                    self.assertStartedFromFolder(media, records[0], "inst.exe")
                self.assertNoMessageBox(launch)
                self.assertMenuStays(launch)
                self.assertEqual(len(media.records("inst.exe")), 1 if starts else 0)
                launch.command(IDCANCEL)
                self.assertEqual(launch.wait_exit(), 0)

    def test_text_in_every_script_from_every_encoding(self):
        env = harness.environment()
        users = os.path.join(env.state, "prefix", "drive_c", "users", "*")
        copies = lambda: glob.glob(os.path.join(users, "Temp", "smu*.tmp")) + glob.glob(  # Wine 8, Wine 10
            os.path.join(users, "AppData", "Local", "Temp", "smu*.tmp"))
        for row, encode, locale, title, folder, confirm in ENCODINGS:
            with self.subTest(row=row):
                ini = launch_ini({1: {"Text": title + "\\n2", "Label": title, "Command": folder + "\\inst.exe"}})
                ini["Main"]["Title"] = title
                if confirm:
                    ini["Messages"] = {"Confirm": confirm}
                media = self.media("SETUP")
                media.write(media.ini_name, encode(harness.ini_text(ini)))
                os.makedirs(media.path(folder))
                media.add_child(folder + "/inst.exe")
                before = set(copies())  # left by runs that were killed, if any
                launch, _, menu = self.start_menu(media, env={"LC_ALL": locale})
                # A UTF-8 file is read through a UTF-16 copy of the launcher's own, while the menu is up.
                self.assertEqual(len(set(copies()) - before), 1 if row.startswith("UTF-8") else 0)
                button = menu.child(ID_BUTTON_NORMAL[1])
                self.assertEqual((menu["wide_text"], button["wide_text"]), (title, title + "\r\n2"))
                self.assertEqual(harness.probe.accessible(button.hwnd, wide=True)["name"], title + " 2")
                self.click_button(launch, 1)
                box = launch.msgbox(press="ok")
                self.assertEqual((box["wide_caption"], box["wide_text"]), (title, confirm or CONFIRM))
                self.assertEqual(len(media.wait_records(folder + "/inst.exe", 1)), 1)
                launch.command(IDCANCEL)
                self.assertEqual(launch.wait_exit(), 0)
                self.assertEqual(set(copies()) - before, set(), "the UTF-16 copy is removed at the end")

    def test_each_button_starts_its_own_command_without_asking(self):
        buttons = {n: {"Command": "prog%d.exe" % n} for n in (1, 2, 3)}
        for n in (1, 2, 3):
            with self.subTest(button=n):
                media = self.media("SETUP", ini=launch_ini(buttons))
                for m in (1, 2, 3):
                    media.add_child("prog%d.exe" % m)
                launch, _, _ = self.start_menu(media)
                self.click_button(launch, n)
                records = media.wait_records("prog%d.exe" % n, 1)
                self.assertEqual(len(records), 1)
                self.assertStartedFromFolder(media, records[0], "prog%d.exe" % n)
                self.assertNoMessageBox(launch)
                self.assertEqual([len(media.records("prog%d.exe" % m)) for m in (1, 2, 3)],
                                 [1 if m == n else 0 for m in (1, 2, 3)])
                self.assertMenuStays(launch)
                launch.command(IDCANCEL)
                self.assertEqual(launch.wait_exit(), 0)

    def test_exit_off_keeps_the_menu_for_another_start(self):
        # Main/Exit values that leave the menu open after a start.
        for exit_value in (None, "Yes"):
            with self.subTest(exit=exit_value):
                media = self.media("SETUP", ini=launch_ini({2: {"Command": "inst.exe"}}, exit_value))
                media.add_child("inst.exe")
                launch, _, _ = self.start_menu(media)
                self.click_button(launch, 2)
                self.assertEqual(len(media.wait_records("inst.exe", 1)), 1)
                self.assertMenuStays(launch)
                self.click_button(launch, 2)
                records = media.wait_records("inst.exe", 2)
                self.assertEqual(len(records), 2, "a second click starts a second instance")
                self.assertNotEqual(records[0]["pid"], records[1]["pid"])
                self.assertMenuStays(launch)
                launch.command(IDCANCEL)
                self.assertEqual(launch.wait_exit(), 0)

    def test_double_click_starts_twice(self):
        # The click and the double-click notification both carry the button's id.
        media = self.media("SETUP", ini=launch_ini({1: {"Command": "inst.exe"}}))
        media.add_child("inst.exe")
        launch, _, menu = self.start_menu(media)
        control = menu.child(ID_BUTTON_NORMAL[1])
        harness.screen.move(*control.centre())
        harness.screen.xdotool("click", "--repeat", "2", "--delay", "80", "1")
        records = media.wait_records("inst.exe", 2)
        self.assertEqual(len(records), 2)
        self.assertNotEqual(records[0]["pid"], records[1]["pid"])
        self.assertMenuStays(launch)
        launch.command(IDCANCEL)
        self.assertEqual(launch.wait_exit(), 0)

    def test_exit_on_ends_the_run_after_a_start(self):
        # (Main/Exit value, Label of the button or None)
        cases = [("ON", None), ("on", "Product")]
        for exit_value, label in cases:
            with self.subTest(exit=exit_value, label=label):
                keys = {"Command": "inst.exe"}
                if label:
                    keys["Label"] = label
                media = self.media("SETUP", ini=launch_ini({3: keys}, exit_value))
                media.add_child("inst.exe")
                launch, backdrop, menu = self.start_menu(media)
                self.click_button(launch, 3)
                if label:
                    self.assertIsNotNone(launch.msgbox(press="ok", caption=label))
                self.assertEqual(launch.wait_exit(), 0)
                records = media.wait_records("inst.exe", 1)
                self.assertEqual(len(records), 1)
                self.assertStartedFromFolder(media, records[0], "inst.exe")

    def test_button_without_command(self):
        # (Label or None, Main/Exit): never a confirmation, one error box, the menu stays.
        cases = [("Product", None), (None, "ON")]
        for label, exit_value in cases:
            with self.subTest(label=label, exit=exit_value):
                keys = {"Label": label} if label else {}
                media = self.media("SETUP", ini=launch_ini({1: keys}, exit_value))
                launch, _, menu = self.start_menu(media)
                self.click_button(launch, 1)
                box = launch.msgbox(press="ok")
                self.assertIsNotNone(box)
                self.assertEqual((box["caption"], box["text"]), (MB_ICONERROR_CAPTION, NO_COMMAND))
                self.assertTrue(box["icon"])
                self.assertEqual([b["id"] for b in box["buttons"]], [harness.IDOK])
                self.assertEqual(box["owner"], menu["hwnd"])
                self.assertNoMessageBox(launch)
                self.assertMenuStays(launch)
                launch.command(IDCANCEL)
                self.assertEqual(launch.wait_exit(), 0)

    def test_command_that_cannot_start(self):
        # (Command value, Label or None, Main/Exit): the error box, and the menu stays.
        cases = [
            ("missing.exe", None, "ON"),
            ("inst.exe /S", None, "ON"),
            ("inst", None, None),
            ("missing.exe", "Product", "ON"),
        ]
        for command, label, exit_value in cases:
            with self.subTest(command=command, label=label, exit=exit_value):
                keys = {"Command": command}
                if label:
                    keys["Label"] = label
                ini = launch_ini({2: keys}, exit_value)
                ini["Main"]["Debug"] = "On"
                media = self.media("SETUP", ini=ini)
                media.add_child("inst.exe")
                launch, _, menu = self.start_menu(media)
                self.click_button(launch, 2)
                if label:
                    self.assertIsNotNone(launch.msgbox(press="ok", caption=label))
                box = launch.msgbox(press="ok")
                self.assertIsNotNone(box)
                self.assertEqual((box["caption"], box["text"]), (MB_ICONERROR_CAPTION, CANNOT_START))
                self.assertTrue(box["icon"])
                self.assertEqual(box["owner"], menu["hwnd"])
                self.assertNoMessageBox(launch)
                self.assertMenuStays(launch)
                self.assertEqual(media.records("inst.exe"), [])
                launch.command(IDCANCEL)
                self.assertEqual(launch.wait_exit(), 0)
                # The log says what was tried and the system's error.
                self.assertRegex(media.read(media.log_name).decode("latin-1"),
                                 r'\r\nLaunchButtonCommand: failed with error [1-9][0-9]*: "%s"\r\n'
                                 % re.escape(media.winpath() + command))

    def test_keys_and_default_action_press_as_a_click(self):
        # (keys, or "press" for a screen reader's default action on button 2; the buttons; what follows).
        # The menu has the keyboard as it appears: no click first.
        picture = {"Text": "", "ImageText": "pic.bmp", "Label": "Product", "Command": "inst.exe"}
        cases = [
            (["Tab", "Return"], {1: {"Command": "inst.exe"}}, "starts"),
            (["Return"], {1: {"Command": "inst.exe"}}, "nothing"),
            (["Tab", "space"], {1: picture}, "asks Product"),
            (["shift+Tab", "Return"], {1: {"Command": "inst.exe"}}, "ends"),
            ("press", {2: {"Command": "inst.exe"}}, "starts"),
        ]
        for keys, buttons, outcome in cases:
            with self.subTest(keys=keys, outcome=outcome):
                media = self.media("SETUP", ini=launch_ini(buttons))
                media.add_child("inst.exe")
                media.write_bmp("pic.bmp", 40, 20, (255, 0, 0))
                launch, _, menu = self.start_menu(media)
                if keys == "press":
                    self.assertIsNotNone(harness.probe.accessible(menu.child(ID_BUTTON_NORMAL[2]).hwnd, press=True))
                else:
                    harness.screen.key(*keys)
                if outcome == "ends":
                    self.assertEqual(launch.wait_exit(), 0)
                    continue
                if outcome.startswith("asks"):
                    # A picture with a Label reads as the Label; the box has the keyboard, so the
                    # selected button reads as focusable but not focused.
                    self.assertIsNotNone(launch.msgbox())
                    reading = harness.probe.accessible(menu.child(ID_BUTTON_NORMAL[1]).hwnd)
                    self.assertEqual((reading["name"], reading["state"]), ("Product", 0x100000))
                    box = launch.msgbox(press="cancel")
                    self.assertEqual((box["caption"], box["text"]), (outcome[5:], CONFIRM))
                self.assertEqual(len(media.wait_records("inst.exe", 1, timeout=5 if outcome == "starts" else 1)),
                                 1 if outcome == "starts" else 0)
                self.assertNoMessageBox(launch)
                self.assertMenuStays(launch)
                launch.command(IDCANCEL)
                self.assertEqual(launch.wait_exit(), 0)

    def test_arguments_and_start_in_folder(self):
        # (keys of the button, the arguments the child gets or None, its folder in the media)
        cases = [
            ({}, None, ""),
            ({"Arguments": '/S /D="C:\\Program Files\\Example" -x'}, '/S /D="C:\\Program Files\\Example" -x', ""),
            ({"StartIn": "sub\\deeper", "Arguments": "a  b", "Open": "x" + DOC}, "a  b", "sub\\deeper"),
        ]
        for keys, arguments, folder in cases:
            with self.subTest(keys=keys):
                ini = launch_ini({1: dict({"Command": "bin\\inst.exe"}, **keys)})
                ini["Main"]["Debug"] = "On"
                media = self.media("SETUP", ini=ini)
                os.makedirs(media.path("sub/deeper"))
                os.makedirs(media.path("bin"))
                media.add_child("bin/inst.exe")
                launch, _, _ = self.start_menu(media)
                self.click_button(launch, 1)
                records = media.wait_records("bin/inst.exe", 1)
                self.assertEqual(len(records), 1)
                program = '"%s"' % media.winpath("bin\\inst.exe")
                expected = program + " " + arguments if arguments else program
                self.assertEqual(records[0]["cmdline"].strip(), expected)
                self.assertEqual(records[0]["cwd"].rstrip("\\"), media.winpath(folder).rstrip("\\"))
                self.assertNoMessageBox(launch)
                launch.command(IDCANCEL)
                self.assertEqual(launch.wait_exit(), 0)
                lines = media.read(media.log_name).decode("latin-1").split("\r\n")
                self.assertEqual([line for line in lines if line.startswith("LaunchButtonCommand")],
                                 ["LaunchButtonCommand: CreateProcessA: " + expected +
                                  (' in "%s"' % media.winpath(folder) if folder else "")])


class OpenTests(harness.E2ETestCase):
    """Open: the shell starts the viewer (the recording child, in a folder
    of its own) registered for the document type and for https."""

    @classmethod
    def setUpClass(cls):
        cls.viewer = harness.Media("VIEWER")
        cls.viewer.add_child("viewer.exe")
        command = '"%s" "%%1"' % cls.viewer.winpath("viewer.exe")
        code, out = reg("query", HTTPS, "/ve")
        https_before = out.split("REG_SZ", 1)[1].strip() if code == 0 and "REG_SZ" in out else None
        cls.addClassCleanup(cls.viewer.cleanup)
        for key in ("HKCR\\" + DOC, r"HKCR\SetupMenuOpenTest", "HKCR\\" + OTHER_SCHEME):
            cls.addClassCleanup(set_default, key, None)
        cls.addClassCleanup(set_default, HTTPS, https_before)
        for key, value in [("HKCR\\" + DOC, "SetupMenuOpenTest"),
                           (r"HKCR\SetupMenuOpenTest\shell\open\command", command),
                           ("HKCR\\" + OTHER_SCHEME, "URL:SetupMenu open test"),
                           ("HKCR\\%s\\shell\\open\\command" % OTHER_SCHEME, command),
                           (HTTPS, command)]:
            set_default(key, value)
        reg("add", "HKCR\\" + OTHER_SCHEME, "/v", "URL Protocol", "/d", "", "/f")

    def click_open(self, keys, exit_value):
        """Starts a media folder whose button 2 has these keys and clicks it."""
        if self.viewer.exists("viewer.record"):
            os.unlink(self.viewer.path("viewer.record"))
        media = self.media("SETUP", ini=launch_ini({2: keys}, exit_value))
        os.makedirs(media.path("docs"))
        for name in ("manual" + DOC, "docs/manual" + DOC, "notes.smunregistered"):
            media.write(name, "a document\r\n")
        media.add_child("inst.exe")
        launch, _, menu = self.start_menu(media)
        launch.click_control(ID_BUTTON_NORMAL[2])
        return media, launch, menu

    def test_open_starts_the_registered_viewer(self):
        # (keys of the button, Main/Exit, the viewer's argument, the folder it runs in)
        address = "https://example.invalid/help?topic=setup&lang=en"
        cases = [
            ({"Open": "manual" + DOC}, "ON", "{media}manual" + DOC, ""),
            ({"Open": "docs\\manual" + DOC, "StartIn": "docs", "Label": "Manual"}, None, "{media}docs\\manual" + DOC,
             "docs"),
            ({"Open": address}, None, address, ""),
        ]
        for keys, exit_value, argument, folder in cases:
            with self.subTest(keys=keys, exit=exit_value):
                media, launch, _ = self.click_open(keys, exit_value)
                if "Label" in keys:
                    self.assertIsNotNone(launch.msgbox(press="ok", caption=keys["Label"]))
                if exit_value:
                    self.assertEqual(launch.wait_exit(), 0)
                records = self.viewer.wait_records("viewer.exe", 1)
                self.assertEqual(len(records), 1)
                self.assertEqual(records[0]["cmdline"], '"%s" "%s"' % (
                    self.viewer.winpath("viewer.exe"), argument.replace("{media}", media.winpath())))
                self.assertEqual(records[0]["cwd"].rstrip("\\"), media.winpath(folder).rstrip("\\"))
                if not exit_value:
                    self.assertNoMessageBox(launch)
                    launch.command(IDCANCEL)
                    self.assertEqual(launch.wait_exit(), 0)

    def test_what_cannot_be_opened_or_started(self):
        # Keys of the button: the error box, nothing started, the menu stays although Main/Exit is on.
        cases = [
            {"Open": "missing" + DOC},
            {"Open": "notes.smunregistered"},
            {"Open": OTHER_SCHEME + ":manual"},
            {"Open": "manual" + DOC, "StartIn": "nowhere"},
            {"Command": "inst.exe", "StartIn": "inst.exe"},
        ]
        for keys in cases:
            with self.subTest(keys=keys):
                media, launch, menu = self.click_open(keys, "ON")
                box = launch.msgbox(press="ok")
                self.assertIsNotNone(box)
                self.assertEqual((box["caption"], box["text"], box["owner"]),
                                 (MB_ICONERROR_CAPTION, CANNOT_START, menu["hwnd"]))
                self.assertNoMessageBox(launch)
                self.assertTrue(launch.running)
                self.assertEqual(self.viewer.records("viewer.exe") + media.records("inst.exe"), [])
                launch.command(IDCANCEL)
                self.assertEqual(launch.wait_exit(), 0)

if __name__ == "__main__":
    harness.main()
