"""Start-up: which configuration file is used, when it is refused, and the
exit codes of the launcher's ways of ending."""

import os

import harness


def refusal_text(ini_path):
    return "INVALID INI FILE: '%s' " % ini_path


class RefusalTests(harness.E2ETestCase):
    """Files without the version mark are refused: one box, exit code 1."""

    # (name, what follows the Main section in the file, or None for no file).
    # Main/Debug is On, so a log would show that the run went too far.
    REFUSED = [
        ("no file", None),
        ("no Version section", "[Other]\r\nRelease=1\r\n"),
        ("Release key missing", "[Version]\r\nBuild=1\r\n"),
        ("Release without =", "[Version]\r\nRelease\r\n"),
        ("empty Release", "[Version]\r\nRelease=\r\n"),
        ("blank Release", "[Version]\r\nRelease=   \r\n"),
        ("Release is the sentinel", "[Version]\r\nRelease=*NOT*\r\n"),
        ("Release is the sentinel in lower case", "[Version]\r\nRelease=*not*\r\n"),
        ("Release is the sentinel in mixed case", "[Version]\r\nRelease=*NoT*\r\n"),
        ("Release is the quoted sentinel", "[Version]\r\nRelease=\"*NOT*\"\r\n"),
    ]

    def test_refused_files(self):
        for name, text in self.REFUSED:
            with self.subTest(name):
                media = self.media("SETUP", ini=None)
                if text is not None:
                    media.write_ini(text="[Main]\r\nDebug=On\r\n" + text)
                launch = media.start()
                box = launch.msgbox(press="ok")
                self.assertIsNotNone(box, "no refusal box")
                self.assertEqual(box["caption"], "SETUP SETUP ERROR!")
                self.assertEqual(box["text"], refusal_text(media.winpath("SETUP.INI")))
                self.assertEqual([b["id"] for b in box["buttons"]], [harness.IDOK])
                self.assertFalse(box["icon"], "the refusal box has no icon")
                self.assertEqual(box["owner"], "0x0")
                self.assertEqual(launch.wait_exit(), 1)
                self.assertFalse(media.exists("SETUP.log"), "a refused file must not start the log")

    def test_refusal_names_base_name_and_tail(self):
        # (base name, tail, file written, what follows the folder in the refused path)
        cases = [
            ("Setup", None, None, "Setup.INI"),
            ("install", "menu", "install.INI", "menu.INI"),
            ("SETUP", '"menu"', "menu.INI", '"menu".INI'),
            ("SETUP", '"menu.ini"', "menu.ini", '"menu.ini"'),
            ("SETUP", "cfg\\menu", "menu.INI", "cfg\\menu.INI"),
            ("SETUP", "my.dir/menu", "my.dir/menu.INI", "my.dir/menu"),
            ("SETUP", "menu.cfg", "menu.INI", "menu.cfg"),
        ]
        for base, tail, written, expected in cases:
            with self.subTest(base=base, tail=tail):
                media = self.media(base, ini=None)
                if written and "/" not in written:
                    media.write_ini(harness.VALID_INI, name=written)
                launch = media.start(tail=tail)
                box = launch.msgbox(press="ok")
                self.assertIsNotNone(box, "no refusal box")
                self.assertEqual(box["caption"], "%s SETUP ERROR!" % base)
                self.assertEqual(box["text"], refusal_text(media.winpath() + expected))
                self.assertEqual(launch.wait_exit(), 1)

    def test_full_path_tail_is_put_behind_the_folder(self):
        other = self.media("OTHER")
        media = self.media("SETUP")
        full = other.winpath("OTHER.INI")
        launch = media.start(tail=full)
        box = launch.msgbox(press="ok")
        self.assertIsNotNone(box)
        self.assertEqual(box["text"], refusal_text(media.winpath() + full))
        self.assertEqual(launch.wait_exit(), 1)

    def test_language_file_without_version_mark_is_refused(self):
        media = self.media("SETUP", ini={"Version": {"Release": "1"}, "Main": {"Languages": "de"}})
        media.write_ini({"Main": {"Title": "no mark"}}, name="SETUP.de.INI")
        launch = media.start(env={"LC_ALL": "de_DE.UTF-8"})
        box = launch.msgbox(press="ok")
        self.assertIsNotNone(box, "no refusal box")
        self.assertEqual(box["text"], refusal_text(media.winpath("SETUP.de.INI")))
        self.assertEqual(launch.wait_exit(), 1)

    def test_long_tail_is_refused_without_crash(self):
        media = self.media("SETUP")
        launch = media.start(tail="m" * 600)
        box = launch.msgbox(press="ok")
        self.assertIsNotNone(box, "no refusal box")
        self.assertEqual(box["caption"], "SETUP SETUP ERROR!")
        self.assertTrue(box["text"].startswith("INVALID INI FILE: '"), box["text"])
        self.assertEqual(launch.wait_exit(), 1)


class AcceptedFileTests(harness.E2ETestCase):
    """Files with the version mark run the menu; every normal end gives 0."""

    def test_tail_selects_configuration_file(self):
        # (tail, file that must be used)
        cases = [
            (None, "SETUP.INI"),
            ("menu", "menu.INI"),
            ("menu   ", "menu.INI"),
            ("menu.cfg", "menu.cfg"),
            ("cfg\\menu", "cfg/menu.INI"),
        ]
        for tail, used in cases:
            with self.subTest(tail=tail):
                media = self.media("SETUP", ini=None)
                # Only the file that should be used has the title in it.
                media.write_ini({"Version": {"Release": "1"}})
                os.makedirs(media.path("cfg"), exist_ok=True)
                media.write_ini({"Version": {"Release": "yes"}, "Main": {"Title": "picked " + used}}, name=used)
                launch = media.start(tail=tail)
                backdrop, menu = launch.wait_menu()
                self.assertEqual(menu["text"], "picked " + used)
                self.assertEqual(self.end_with_escape(launch), 0)

    def test_one_menu_per_configuration_file(self):
        # AutoPlay and a double click together: a second start of the same
        # file (its name as the file system compares it) brings the first
        # menu to the front and ends; another file, a sub-menu's, opens its own.
        media = self.media("SETUP")
        media.write_ini({"Version": {"Release": "1"}, "Main": {"Title": "sub-menu"}}, name="SUB.INI")
        first, _, menu = self.start_menu(media)
        sub, _, sub_menu = self.start_menu(media, tail="sub")
        self.assertTrue(harness.probe.dump(hwnd=sub_menu.hwnd)[0]["foreground"])
        again = media.start(tail="setup.ini")
        self.assertEqual(again.wait_exit(), 0)
        self.assertTrue(harness.probe.dump(hwnd=menu.hwnd)[0]["foreground"])
        for launch in (first, sub):
            self.assertTrue(launch.command(2))  # IDCANCEL
            self.assertEqual(launch.wait_exit(), 0)

    def test_language_file_for_the_users_language(self):
        # (LC_ALL of the launcher, Main/Languages of the file named as today,
        # language files on the media, command tail, the file the menu comes from)
        cases = [
            ("de_DE.UTF-8", "fr, de", ["SETUP.de.INI"], None, "SETUP.de.INI"),
            ("pt_BR.UTF-8", "pt, pt-BR", ["SETUP.pt.INI", "SETUP.pt-BR.INI"], None, "SETUP.pt-BR.INI"),
            ("pt_PT.UTF-8", "pt-BR pt", ["SETUP.pt.INI", "SETUP.pt-BR.INI"], None, "SETUP.pt.INI"),
            ("de_DE.UTF-8", "de", ["menu.de.INI"], "menu", "menu.de.INI"),
            ("de_DE.UTF-8", "de", [], None, "SETUP.INI"),  # no such file: the file named as today
            ("fr_FR.UTF-8", "de, pt-BR", ["SETUP.de.INI", "SETUP.pt-BR.INI"], None, "SETUP.INI"),
            ("de_DE.UTF-8", None, ["SETUP.de.INI"], None, "SETUP.INI"),
        ]
        for locale, languages, files, tail, used in cases:
            with self.subTest(locale=locale, languages=languages, files=files):
                main = {"Title": "picked " + (tail or "SETUP") + ".INI"}
                if languages is not None:
                    main["Languages"] = languages
                media = self.media("SETUP", ini={"Version": {"Release": "1"}, "Main": main})
                if tail:
                    media.write_ini({"Version": {"Release": "1"}, "Main": main}, name=tail + ".INI")
                for name in files:
                    # The debug log keeps the launcher's own name whichever file asks for it.
                    media.write_ini({"Version": {"Release": "1"}, "Main": {"Title": "picked " + name,
                                                                            "Debug": "On"}}, name=name)
                launch = media.start(tail=tail, env={"LC_ALL": locale})
                _, menu = launch.wait_menu()
                self.assertEqual(menu["text"], "picked " + used)
                self.assertEqual(self.end_with_escape(launch), 0)
                self.assertEqual(media.exists("SETUP.log"), used in files)

    def test_command_line_forms(self):
        # (raw command line, {P} standing for the program's full path; file that must be used)
        cases = [
            ('{P}', "SETUP.INI"),
            ('{P} menu', "menu.INI"),
            ('"{P}"menu', "menu.INI"),
            ('"{P}"\tmenu  ', "menu.INI"),
            ('{P}\t \tmenu.cfg', "menu.cfg"),
        ]
        for cmdline, used in cases:
            with self.subTest(cmdline=cmdline):
                media = self.media("SETUP", ini={"Version": {"Release": "1"}, "Main": {"Title": "default"}})
                media.write_ini({"Version": {"Release": "1"}, "Main": {"Title": "picked " + used}}, name=used)
                launch = media.start(cmdline=cmdline.replace("{P}", media.winpath(media.exe_name)))
                backdrop, menu = launch.wait_menu()
                self.assertEqual(menu["text"], "picked " + used)
                self.assertEqual(self.end_with_escape(launch), 0)

    def test_folder_with_blanks(self):
        # The quoted program path holds blanks; the folder is still found whole.
        media = self.media("My Setup", ini={"Version": {"Release": "1"},
                                            "Main": {"Title": "blanks", "Debug": "On"}}, dirname="media folder")
        launch, _, menu = self.start_menu(media)
        self.assertEqual(menu["text"], "blanks")
        self.assertEqual(self.end_with_escape(launch), 0)
        self.assertEqual(media.read("My Setup.log"), b"Debugging Started!\r\nDebugging Closed!\r\n")

    # Folder names for Wine's ANSI code page 1252: (folder, whether the launcher keeps its long path).
    # A folder the code page cannot hold is used through its short form, whose names Wine makes up.
    FOLDER_NAMES = [
        ("\u5b89\u88c5 \u0423\u0441\u0442\u0430\u043d\u043e\u0432\u043a\u0430", False),
        ("Caf\u00e9 \u00c5ngstr\u00f6m", True),
    ]

    def test_folder_names_inside_and_outside_the_code_page(self):
        for dirname, long_kept in self.FOLDER_NAMES:
            with self.subTest(folder=dirname):
                media = self.media("SetupMenu", ini={"Version": {"Release": "1"},
                                                     "Main": {"Debug": "On"}, "Splash": {"Image": "splash.bmp"},
                                                     "Button1": {"Text": "Go", "Command": "child.exe"}},
                                   dirname=dirname)
                media.write_bmp("splash.bmp", 8, 8, (255, 0, 0))
                media.add_child("child.exe")
                launch, backdrop, _ = self.start_menu(media)
                self.assertTrue(backdrop.child(harness.ID_SPLASH_IMAGE).visible, "the splash picture was not loaded")
                self.assertEqual(harness.screen.screenshot().pixel(5, 5), (255, 0, 0))
                launch.click_control(harness.ID_BUTTON_NORMAL[1])
                [record] = media.wait_records("child.exe", 1)
                folder = record["cwd"].rstrip("\\")
                if long_kept:
                    self.assertEqual(folder, media.winpath().rstrip("\\"))
                else:
                    self.assertTrue(folder.isascii() and folder.startswith("Z:\\"), folder)
                self.assertEqual(self.end_with_escape(launch), 0)
                # Named after the program's long name, in its own folder.
                log = media.read("SetupMenu.log")
                self.assertTrue(log.startswith(b"Debugging Started!\r\n") and log.endswith(b"Debugging Closed!\r\n"), log)

    def test_the_build_under_test_is_the_one_running(self):
        # Wine 8 given a 32-bit program fails and still exits 0: the menu must
        # come from a process of the build's own bitness.
        media = self.media("SETUP")
        launch, _, _ = self.start_menu(media)
        [process] = harness.probe.procs(pid=launch.pid)
        self.assertEqual(process["bits"], harness.environment().bits)
        self.assertEqual(self.end_with_escape(launch), 0)

    def test_release_values_accepted(self):
        for value in ["0", "*NOT*x", "\"*NOT*\"x"]:
            with self.subTest(value=value):
                media = self.media("SETUP", ini={"Version": {"Release": value}})
                launch = media.start()
                launch.wait_menu()
                self.assertEqual(self.end_with_escape(launch), 0)


if __name__ == "__main__":
    harness.main()
