"""Launching: a click on a button starts its command (a recording child
program), with a confirmation box when the button has a label, error boxes
when it has no command or the start fails, and the end of the run after a
successful start when Main/Exit is on. The keyboard and a screen reader's
default action press a button as a click does."""

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
        # (how the confirmation is answered, whether the child starts)
        cases = [("ok", True), ("cancel", False), ("close", False)]
        for answer, starts in cases:
            with self.subTest(answer=answer):
                media = self.media("SETUP", ini=launch_ini({1: {"Label": "Product One", "Command": "inst.exe"}}))
                media.add_child("inst.exe")
                launch, _, menu = self.start_menu(media)
                self.click_button(launch, 1)
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
                media = self.media("SETUP", ini=launch_ini({2: keys}, exit_value))
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
                    # A picture with a Label reads as the Label; the selected button is focused.
                    reading = harness.probe.accessible(menu.child(ID_BUTTON_NORMAL[1]).hwnd)
                    self.assertEqual((reading["name"], reading["state"]), ("Product", 0x100004))
                    box = launch.msgbox(press="cancel")
                    self.assertEqual((box["caption"], box["text"]), (outcome[5:], CONFIRM))
                self.assertEqual(len(media.wait_records("inst.exe", 1, timeout=5 if outcome == "starts" else 1)),
                                 1 if outcome == "starts" else 0)
                self.assertNoMessageBox(launch)
                self.assertMenuStays(launch)
                launch.command(IDCANCEL)
                self.assertEqual(launch.wait_exit(), 0)


if __name__ == "__main__":
    harness.main()
