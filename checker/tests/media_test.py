#!/usr/bin/env python3
"""The configuration checker on real media folders under wine64.

Each case writes a media folder (a configuration file, pictures, programs),
runs SetupMenuCheck on it and compares its exit status and findings with what
the case expects: every expected finding must be reported, at its section and
key, and nothing else may be.

    media_test.py --list          the names of the cases
    media_test.py CASE            runs one case
    media_test.py --example DIR   the example media must come out clean

Environment: SETUPMENU_WINE_RUN (the Wine wrapper), SETUPMENU_CHECKER (the
checker's .exe) and SETUPMENU_CHECKER_WORK (where media folders are written).
"""

import os
import shutil
import struct
import subprocess
import sys
from dataclasses import dataclass, field


# ---- media files -----------------------------------------------------------

def bmp(width, height, header_size=40):
    """A bottom-up 24-bit BMP file; another header size makes it unreadable."""
    row = (width * 3 + 3) & ~3
    pixels = bytes([0x40, 0x80, 0xC0]) * width + b"\0" * (row - width * 3)
    data = pixels * height
    info = struct.pack("<IiiHHIIiiII", header_size, width, height, 1, 24, 0, len(data), 2835, 2835, 0, 0)
    info += b"\0" * max(0, header_size - len(info))
    offset = 14 + len(info)
    return struct.pack("<2sIHHI", b"BM", offset + len(data), 0, 0, offset) + info + data


GOOD_BMP = bmp(120, 40)
SEL_BMP = bmp(120, 40)
PNG_BYTES = b"\x89PNG\r\n\x1a\n" + b"\0" * 64
BAD_BMP = bmp(16, 16, header_size=99)
# Enough of a program for the checker, which looks at the first two bytes only.
PROGRAM = b"MZ" + b"\0" * 126

VERSION = "[Version]\nRelease=1.0\n"


@dataclass
class Case:
    ini: str = None                  # SETUP.INI, or None for none
    files: dict = field(default_factory=dict)   # more files: name -> bytes or str
    args: list = field(default_factory=list)    # after the media folder
    options: list = field(default_factory=list)  # before the media folder
    launcher: str = "SETUP.EXE"      # the launcher's file in the media folder, or None
    status: int = 1
    # (place, fragment): one finding each, whose text holds the fragment (or
    # every fragment of a tuple); no other finding may be reported.
    warnings: list = field(default_factory=list)
    lines: list = field(default_factory=list)     # fragments of other lines, each on a line of its own
    absent: list = field(default_factory=list)    # files the checker must not create
    stderr: str = None               # a fragment of the error output
    folder: str = None               # the media folder's name, when it matters
    env: dict = field(default_factory=dict)     # for the checker's Wine


# A media folder that uses every key correctly: the base of the cases below.
CLEAN_INI = VERSION + r"""
[Main]
Title=Clean media
Image=main.bmp
Bgcolor=0,64,128
Fgcolor=255,255,255
Exit=ON
Debug=Off
[Splash]
Image=splash.bmp
Bgcolor=10,20,30
[Button1]
Label=First
Command=setup1.exe
Text="Install the first\nprogram"
ImageSel=sel.bmp
AlignText=center
Bgcolor=1,2,3
Fgcolor=4,5,6
Position=20,30
PositionSel=200,30
[Button2]
Command=sub\setup2.exe
ImageText=button.bmp
Image=button.bmp
Text=Fallback text
AlignText=right
Position=20,90
[Button3]
Command=My Setup.exe
Image=button.bmp
Name=Install the third program
[Cancel]
Label=Quit
Image=button.bmp
ImageSel=sel.bmp
Position=300,200
PositionSel=300,200
"""
CLEAN_FILES = {
    "main.bmp": GOOD_BMP, "splash.bmp": bmp(64, 48), "sel.bmp": SEL_BMP, "button.bmp": GOOD_BMP,
    "setup1.exe": PROGRAM, "sub/setup2.exe": PROGRAM, "My Setup.exe": PROGRAM,
}


def with_clean(**kwargs):
    files = dict(CLEAN_FILES)
    files.update(kwargs.pop("files", {}))
    return Case(files=files, **kwargs)


def edit(ini, section, key, value):
    """CLEAN_INI with `key` of `section` set to `value` (None: removed)."""
    out, current, done = [], None, False
    for line in ini.splitlines():
        if line.startswith("["):
            if current == section and not done and value is not None:
                out.append(f"{key}={value}")
                done = True
            current = line.strip("[]")
        elif current == section and line.split("=", 1)[0].lower() == key.lower():
            if value is not None:
                out.append(f"{key}={value}")
            done = True
            continue
        out.append(line)
    if not done and value is not None:
        out.append(f"[{section}]" if current != section else "")
        out.append(f"{key}={value}")
    return "\n".join(out) + "\n"


def clean_edited(*changes, **kwargs):
    ini = CLEAN_INI
    for section, key, value in changes:
        ini = edit(ini, section, key, value)
    return with_clean(ini=ini, **kwargs)


def autorun(open_="SETUP.EXE", icon="SETUP.EXE,0", label="Clean media", files=None, **kwargs):
    """The clean media with an autorun.inf of these entries (None: left out)."""
    entries = [f"{key}={value}" for key, value in (("open", open_), ("icon", icon), ("label", label))
               if value is not None]
    return with_clean(ini=CLEAN_INI, files={"autorun.inf": "[autorun]\n" + "\n".join(entries) + "\n",
                                            **(files or {})}, **kwargs)


CASES = {
    # -- outcomes --
    "clean": with_clean(ini=CLEAN_INI, status=0, lines=["result: clean", "autorun: no autorun.inf"],
                        absent=["SETUP.log"]),
    "defaults": Case(ini=VERSION, status=0, lines=[
        "[Main] Exit = off (default)",
        "[Main] Debug = off (default)",
        "[Main] Title = none: the dialog keeps its template caption (default)",
        "[Main] Bgcolor = 0,128,128 (default)",
        "[Main] Fgcolor = 0,0,0 (default)",
        "[Splash] Bgcolor = none: the backdrop uses the Main colour (default)",
        "[Button1] = not shown",
        "[Button2] Command = none: a click reports that there is no command (default)",
        "[Button3] AlignText = left (default)",
        "[Button3] Bgcolor = 0,128,128 (default: the Main colour)",
        "[Cancel] Label = \"Cancel\" (default)",
        "[Cancel] Position = none: not moved (default)",
        "result: clean",
    ]),
    "effective_values": with_clean(ini=CLEAN_INI, status=0, lines=[
        "[Main] Exit = on: the menu ends after a successful start",
        "[Main] Title = \"Clean media\"",
        "[Main] Image = \"main.bmp\", 120x40",
        "[Main] Bgcolor = 0,64,128",
        "[Splash] Image = \"splash.bmp\", 1024x768 (stretched to the screen)",
        "[Button1] = shown",
        "[Button1] Text = \"Install the first\\r\\nprogram\"",
        "[Button1] AlignText = center",
        "[Button1] Position = 20,30",
        "[Button2] ImageText = \"button.bmp\", 120x40",
        "[Button2] Image = not read: ImageText takes its place",
        "[Button2] Bgcolor = 0,64,128 (default: the Main colour)",
        "[Button3] Command = \"{media}My Setup.exe\"",
        "[Button3] Name = \"Install the third program\"",
        "[Cancel] Label = \"Quit\"",
    ]),
    "refused_missing_file": Case(ini=None, status=2, lines=[
        "refused: the configuration file does not exist",
        "the launcher shows \"INVALID INI FILE: '{media}SETUP.INI' \" under the caption \"SETUP SETUP ERROR!\"",
        "result: refused",
    ]),
    "refused_no_version_section": Case(ini="[Verison]\nRelease=1\n[Main]\nTitle=x\n", status=2, lines=[
        "refused: the file has no [Version] section (it has [Verison])"]),
    "refused_no_release_key": Case(ini="[Version]\nRelase=1\n", status=2, lines=[
        "refused: [Version] has no Release key (it has Relase)"]),
    "refused_empty_release": Case(ini="[Version]\nRelease=\n", status=2, lines=["refused: [Version] Release is empty"]),
    "refused_sentinel_release": Case(ini="[Version]\nRelease=*not*\n", status=2, lines=[
        "refused: [Version] Release is \"*not*\", which means no value"]),
    "tail_without_extension": Case(ini=None, files={"menu.INI": VERSION}, args=["menu"], status=0, lines=[
        "command tail: \"menu\"", "configuration file: {media}menu.INI", "result: clean"]),
    "tail_with_extension": Case(ini=None, files={"menu.cfg": VERSION}, args=["menu.cfg"], status=0, lines=[
        "configuration file: {media}menu.cfg", "result: clean"]),
    "tail_full_path_refused": Case(ini=VERSION, args=["C:\\SETUP.INI"], status=2, lines=[
        "configuration file: {media}C:\\SETUP.INI", "refused: the configuration file does not exist"]),

    # -- names --
    "unknown_section": clean_edited(("Buton3", "Text", "x"), warnings=[
        ("[Buton3]", "unknown section: the launcher never reads it; nearest known section: [Button3]")]),
    "unknown_key": clean_edited(("Button1", "Comand", "setup1.exe"), warnings=[
        ("[Button1] Comand", "unknown key: the launcher never reads it; nearest known key: Command")]),
    "key_of_other_section": clean_edited(("Cancel", "Text", "Leave"), ("Main", "Release", "2"), warnings=[
        ("[Cancel] Text", "is not read in [Cancel]: only [Button1] to [Button3] read it"),
        ("[Main] Release", "is not read in [Main]: only [Version] read it")]),
    "repeated_key": with_clean(ini=CLEAN_INI.replace("Title=Clean media", "Title=Clean media\nTitle=Other"),
                               warnings=[("[Main] Title", "repeated key: the launcher reads only the first Title")],
                               lines=["[Main] Title = \"Clean media\""]),
    "repeated_section": with_clean(ini=CLEAN_INI + "[Main]\nExit=OFF\n", warnings=[
        ("[Main]", "repeated section: the launcher reads only the first [Main]")]),
    "line_without_equals": with_clean(ini=CLEAN_INI.replace("[Splash]\n", "[Splash]\nImage splash.bmp\n"), warnings=[
        ("[Splash] Image splash.bmp", "a line without '=' gives no value: the launcher ignores it")]),
    "comments_are_not_keys": with_clean(ini=CLEAN_INI.replace("[Splash]\n", "[Splash]\n; Image=old.bmp\n;x\n"),
                                        status=0),
    # -- encodings: the report of a UTF-8 or UTF-16 file is UTF-8 (read here as latin-1) --
    "utf8_byte_order_mark": with_clean(ini="\ufeff" + CLEAN_INI, status=0, lines=[
        "encoding: UTF-8 (the file begins with the byte-order mark EF BB BF)"]),
    "utf8_in_any_script": with_clean(ini=CLEAN_INI.replace("Title=Clean media", "Title=\u0395\u03bb\u03bb\u03ac\u03b4\u03b1")
                                     + "[Messages]\nConfirm=\u0395\u03b3\u03ba\u03b1\u03c4\u03ac\u03c3\u03c4\u03b1\u03c3\u03b7;\n",
                                     status=0, lines=[
        "encoding: UTF-8 without a byte-order mark (every byte above 0x7F",
        "[Main] Title = \"\u0395\u03bb\u03bb\u03ac\u03b4\u03b1\"".encode().decode("latin-1"),
        "[Messages] Confirm = \"\u0395\u03b3\u03ba\u03b1\u03c4\u03ac\u03c3\u03c4\u03b1\u03c3\u03b7;\"".encode().decode("latin-1"),
        "[Messages] NoCommand = none: No installation command to execute! (default)"]),
    "utf16_in_any_script": with_clean(ini=None, status=0, files={"SETUP.INI": b"\xff\xfe" + CLEAN_INI.replace(
        "Title=Clean media", "Title=\u65e5\u672c\u8a9e").replace("\n", "\r\n").encode("utf-16-le")}, lines=[
        "encoding: UTF-16LE (the file begins with the byte-order mark FF FE)",
        "[Main] Title = \"\u65e5\u672c\u8a9e\"".encode().decode("latin-1")]),
    "ansi_and_utf8_mixed": with_clean(ini=None, files={"SETUP.INI": CLEAN_INI.replace(
        "Title=Clean media", "Title=Espa\u00f1ol \u00dcber").replace("\n", "\r\n").encode("utf-8").replace(
        b"\xc3\x9cber", b"\xdcber")}, lines=["encoding: ANSI, code page 1252 (byte 0xDC on line "], warnings=[
        ("(file)", ("the file holds UTF-8 text, but byte 0xDC on line", "reads the whole file as ANSI"))]),
    "ansi_cp1252": with_clean(ini=None, status=0, files={"SETUP.INI": CLEAN_INI.replace(
        "Title=Clean media", "Title=Espa\u00f1ol").replace("\n", "\r\n").encode("cp1252")}, lines=[
        "encoding: ANSI, code page 1252", "[Main] Title = \"Espa\u00f1ol\""]),

    # -- pictures --
    "picture_button_without_name": clean_edited(("Button3", "Name", None), warnings=[
        ("[Button3] Name", "screen readers read it as \"Button 3\"")],
        lines=["[Button3] Name = none: read out as its Text, else its Label, else \"Button n\" (default)"]),
    "bitmap_missing": clean_edited(("Main", "Image", "nothere.bmp"), warnings=[
        ("[Main] Image", "names \"{media}nothere.bmp\", which does not exist: the launcher shows no picture")],
        lines=["[Main] Image = \"nothere.bmp\", which gives no picture"]),
    "bitmap_not_bmp": clean_edited(("Splash", "Image", "splash.png"), files={"splash.png": PNG_BYTES}, warnings=[
        ("[Splash] Image", "\"{media}splash.png\" is not a BMP file (the launcher loads bitmaps only): the "
                           "launcher shows no picture")]),
    "bitmap_unloadable": clean_edited(("Cancel", "ImageSel", "bad.bmp"), files={"bad.bmp": BAD_BMP}, warnings=[
        ("[Cancel] ImageSel", "is a BMP file that the system cannot load"),
        ("[Cancel] PositionSel", "has no effect: the selected control is shown only with a picture")]),
    "bitmap_folder": clean_edited(("Main", "Image", "sub"), warnings=[
        ("[Main] Image", "names \"{media}sub\", which is a folder")]),
    "bitmap_absolute_path": clean_edited(("Main", "Image", "C:\\pictures\\main.bmp"), warnings=[
        ("[Main] Image", "(the launcher puts the media folder in front of every file name)")]),
    "imagetext_missing_while_image_given": clean_edited(("Button2", "ImageText", "gone.bmp"), warnings=[
        ("[Button2] ImageText", "names \"{media}gone.bmp\", which does not exist: the button has no normal "
                                "picture, and Image is not read in its place")]),
    "imagetext_missing_alone": clean_edited(("Button2", "ImageText", "gone.bmp"), ("Button2", "Image", None), warnings=[
        ("[Button2] ImageText", "the button has no normal picture")]),

    # -- conditions and languages (the checker runs on x64) --
    "show_if_unreadable": clean_edited(
        ("Button3", "ShowIf", "arch=x64; arhc=x86; windows>=10; reg:HKEY_LOCAL_MACHINE\\x; reg:HKLM\\x@V >= 1"),
        warnings=[("[Button3] ShowIf", ("\"arhc=x86\" is not a condition", "the launcher shows the button")),
                  ("[Button3] ShowIf", ("\"windows>=10\"", "MAJOR.MINOR")),
                  ("[Button3] ShowIf", ("\"reg:HKEY_LOCAL_MACHINE\\x\"", "HKLM, HKCU or HKCR")),
                  ("[Button3] ShowIf", ("\"reg:HKLM\\x@V >= 1\"", "without blanks"))],
        lines=["[Button3] = shown", "[Button3] ShowIf = \"arch=x64\": holds on this machine (this machine is x64)",
               "[Button3] ShowIf = \"arhc=x86\": cannot be read, so the button is shown"]),
    "show_if_hidden_here": clean_edited(("Button1", "ShowIf", "!arch=x64; exists:setup1.exe"), status=0, lines=[
        "[Button1] = not shown on this machine (ShowIf)",
        "[Button1] ShowIf = \"!arch=x64\": does not hold on this machine (this machine is x64)",
        "[Button1] ShowIf = \"exists:setup1.exe\": holds on this machine (it exists)",
        "[Button1] ShowIf = not every condition holds: not shown on this machine",
        "[Button2] ShowIf = none: always shown (default)"]),
    # Hidden here, shown elsewhere: its keys are judged all the same.
    "show_if_hidden_still_judged": clean_edited(
        ("Button1", "ShowIf", "arch=x86"), ("Button1", "Command", None),
        warnings=[("[Button1] Command", ("is missing although the button is shown", "hidden here by its ShowIf"))]),
    "languages": clean_edited(("Main", "Languages", "de, fr, pt-BR, de_DE"),
                              files={"SETUP.de.INI": VERSION, "SETUP.fr.INI": "[Main]\nTitle=x\n"}, warnings=[
        ("[Main] Languages", "fr: {media}SETUP.fr.INI has no [Version] Release value: the launcher refuses it"),
        ("[Main] Languages", "pt-BR: {media}SETUP.pt-BR.INI does not exist: users of that language get this file"),
        ("[Main] Languages", "\"de_DE\" is not a language tag")],
        lines=["[Main] Languages = \"de, fr, pt-BR, de_DE\": this machine's language is "]),

    # -- positions --
    "position_with_zero": clean_edited(("Button1", "Position", "20,0"), ("Button1", "PositionSel", "0,30"),
                                       ("Cancel", "Position", "15"), warnings=[
        ("[Button1] Position", "y is 0: a position with a 0 in either number is ignored: the control stays"),
        ("[Button1] PositionSel", "x is 0: a position with a 0 in either number is ignored: the selected picture"),
        ("[Cancel] Position", "gives only x: y counts as 0")],
        lines=["[Button1] Position = 20,0, ignored (a 0 in either number): not moved"]),
    "positionsel_without_imagesel": clean_edited(("Button1", "ImageSel", None), warnings=[
        ("[Button1] PositionSel", "has no effect: the selected control is shown only with a picture")]),

    # -- commands --
    "command_missing": clean_edited(("Button1", "Command", "nothere.exe"), warnings=[
        ("[Button1] Command", "names \"{media}nothere.exe\", which does not exist: a click shows \"Unable to "
                              "execute installation command!\"")]),
    "command_without_extension": clean_edited(("Button1", "Command", "setup1"), warnings=[
        ("[Button1] Command", ("names \"{media}setup1\", which does not exist", "write Command=setup1.exe"))]),
    "command_with_arguments": clean_edited(("Button1", "Command", "setup1.exe /S"), warnings=[
        ("[Button1] Command", ("carries the arguments \"/S\": the launcher takes the whole value as the "
                               "program's file name; \"{media}setup1.exe /S\" does not exist",
                               "(\"setup1.exe\" alone does exist); give the program as Command and the rest as "
                               "Arguments"))]),
    "command_absolute_path": clean_edited(("Button1", "Command", "D:\\setup1.exe"), warnings=[
        ("[Button1] Command", "is an absolute path, but the launcher puts the media folder in front of every "
                              "Command: \"{media}D:\\setup1.exe\" does not exist")]),
    "command_not_a_program": clean_edited(("Button1", "Command", "readme.txt"), files={"readme.txt": "read me"},
                                          warnings=[("[Button1] Command", "is not a program file")]),
    "command_batch_file": clean_edited(("Button1", "Command", "install.cmd"), files={"install.cmd": "@echo off\r\n"},
                                       status=0),
    "command_folder": clean_edited(("Button1", "Command", "sub"), warnings=[
        ("[Button1] Command", "names \"{media}sub\", which is a folder")]),

    # -- arguments, start-in folders, documents and addresses --
    "open_arguments_start_in": clean_edited(
        ("Button3", "Command", None), ("Button3", "Open", "docs\\manual.pdf"), ("Button2", "StartIn", "sub"),
        ("Button2", "Arguments", '/quiet /log="my log.txt"'), ("Button1", "Open", "https://example.com/help"),
        files={"docs/manual.pdf": "%PDF-1.4"}, warnings=[
            ("[Button1] Open", "is not read: the button's Command is started in its place")],
        lines=["[Button3] Open = \"docs\\manual.pdf\"", "[Button3] Command = none: the Open value is opened instead",
               "[Button2] StartIn = \"sub\"",
               "[Button2] Arguments = \"/quiet /log=\"my log.txt\"\"", "[Button1] Open = not read",
               "[Button1] Arguments = none: no arguments (default)"]),
    "open_missing_or_refused": clean_edited(
        ("Button3", "Command", None), ("Button3", "Open", "manual.pdf"), ("Button2", "Command", None),
        ("Button2", "Open", "ms-settings:windowsupdate"), warnings=[
            ("[Button3] Open", "names \"{media}manual.pdf\", which does not exist: a click shows \"Unable to "
                               "execute installation command!\""),
            ("[Button2] Open", "\"ms-settings:windowsupdate\" is an address, but the launcher opens only http:, "
                               "https: and mailto: addresses")]),
    "start_in_missing_or_a_file": clean_edited(("Button1", "StartIn", "nowhere"), ("Button2", "StartIn", "setup1.exe"),
                                               warnings=[
        ("[Button1] StartIn", "names \"{media}nowhere\", which does not exist: a click shows"),
        ("[Button2] StartIn", "names \"{media}setup1.exe\", which is a file, not a folder")]),
    "arguments_without_anything_to_start": clean_edited(
        ("Button3", "Command", None), ("Button3", "Arguments", "/S"), ("Button3", "StartIn", "sub"), warnings=[
            ("[Button3] Command", "is missing although the button is shown"),
            ("[Button3] StartIn", "has no effect: the button has neither a Command nor an Open value"),
            ("[Button3] Arguments", "has no effect: the button has neither a Command nor an Open value")]),

    # -- buttons as a whole --
    "button_never_shown": clean_edited(("Button1", "Text", None), warnings=[
        ("[Button1] Label, Command, ImageSel",
         "the button is never shown: it has neither a Text nor a normal picture that loads (ImageText or Image), "
         "so each of these has no effect")]),
    "button_never_shown_label_only": Case(ini=VERSION + "[Button2]\nLabel=Only a label\n", warnings=[
            ("[Button2] Label", "the button is never shown: it has neither a Text nor a normal picture that loads "
                                "(ImageText or Image), so this key has no effect")]),
    "button_shown_without_command": clean_edited(("Button3", "Command", None), warnings=[
        ("[Button3] Command", "is missing although the button is shown: a click shows \"No installation command "
                              "to execute!\"")]),
    "aligntext_without_text": clean_edited(("Button3", "AlignText", "center"), warnings=[
        ("[Button3] AlignText", "has no effect: the button has no Text to align")]),

    # -- values --
    "text_escape_breaks_path": clean_edited(("Button1", "Text", "Install to C:\\new folder"), warnings=[
        ("[Button1] Text", "the path \"C:\\new\" holds a backslash followed by n, which the launcher turns into a "
                           "line break")]),
    "text_lone_quote_dropped": clean_edited(("Button1", "Text", 'Say "hello"'), warnings=[
        ("[Button1] Text", "ends with a double quote that does not open the text: the launcher drops it")],
        lines=["[Button1] Text = \"Say \"hello\""]),
    "switch_values": clean_edited(("Main", "Exit", "yes"), ("Main", "Debug", "1"), ("Button1", "AlignText", "centre"),
                                  warnings=[
        ("[Main] Debug", "\"1\" is neither On nor Off: the launcher reads it as off"),
        ("[Main] Exit", "\"yes\" is neither ON nor OFF: the launcher reads it as off"),
        ("[Button1] AlignText", "\"centre\" is not left, center or right: the launcher aligns the text left; "
                                "nearest recognised word: center")],
        lines=["[Main] Exit = off"]),
    "colour_out_of_range": clean_edited(("Main", "Fgcolor", "0,0,256"), ("Button1", "Bgcolor", "300,0,0"),
                                        ("Cancel", "Bgcolor", "8421376"), warnings=[
        ("[Main] Fgcolor", "blue 256 is outside 0 to 255: only its low 8 bits count (0)"),
        ("[Button1] Bgcolor", "red 300 is outside 0 to 255: the launcher adds the whole number, so it carries into "
                              "green and blue (the colour is 44,1,0)"),
        ("[Cancel] Bgcolor", "a lone number is the whole colour value 0x00BBGGRR: 8421376 gives red 0, green 128, "
                             "blue 128")],
        lines=["[Button1] Bgcolor = 44,1,0"]),
    "colour_incomplete_or_malformed": clean_edited(("Splash", "Bgcolor", "10,20"), ("Button2", "Fgcolor", "red"),
                                                   warnings=[
        ("[Splash] Bgcolor", "gives no blue number: blue counts as 0 (the colour is 10,20,0)"),
        ("[Button2] Fgcolor", "red \"red\" is not a plain decimal number: the launcher reads it as 0"),
        ("[Button2] Fgcolor", "gives only the red number")]),
    "comment_after_value": clean_edited(("Main", "Exit", "ON      ; close after a start"), warnings=[
        ("[Main] Exit", "the value goes on with \"; close after a start\": a comment after a value is part of the "
                        "value to the launcher"),
        ("[Main] Exit", "is neither ON nor OFF: the launcher reads it as off")],
        lines=["[Main] Exit = off"]),
    "value_cut_at_limit": clean_edited(("Main", "Title", "T" * 5000), warnings=[
        ("[Main] Title", "the value reaches the reader's limit of 4094 characters: anything longer is cut")]),
    "sentinel_value": clean_edited(("Button1", "Bgcolor", "*NOT*"), warnings=[
        ("[Button1] Bgcolor", "the value \"*NOT*\" means no value to the launcher: the Main colour applies")],
        lines=["[Button1] Bgcolor = 0,64,128 (default: the Main colour)"]),
    "debug_on_writes_no_log": clean_edited(("Main", "Debug", "On"), status=0, absent=["SETUP.log"],
                                           lines=["[Main] Debug = on: log file {media}SETUP.log"]),

    # -- the autorun entry --
    "autorun_clean": autorun(status=0, lines=[
        "autorun: {media}autorun.inf", "autorun: open starts the launcher with the configuration checked here"]),
    "autorun_without_open": autorun(open_=None, icon="sub\\disc.ico", files={"sub/disc.ico": "icon"}, status=0,
                                    lines=["autorun: no open entry: inserting the medium starts no program"]),
    "autorun_open_missing_file": autorun(open_="INSTALL.EXE", warnings=[
        ("[autorun] open", "names \"{media}INSTALL.EXE\", which is not a file in the media folder")]),
    "autorun_open_without_extension": autorun(open_="SETUP", status=0),
    "autorun_open_other_program": autorun(open_="setup1.exe", warnings=[
        ("[autorun] open", "starts \"{media}setup1.exe\", not the launcher SETUP.exe checked here")]),
    "autorun_open_launcher_in_subfolder": autorun(open_="sub\\setup2.exe", warnings=[
        ("[autorun] open", "not the launcher SETUP.exe checked here")]),
    # Inserting the medium would show the refusal: the checker refuses as for the file itself.
    "autorun_open_configuration_missing": autorun(open_="SETUP.EXE menu", status=2, warnings=[
        ("[autorun] open", "starts the launcher with \"menu\", so it reads \"{media}menu.INI\", which does not "
                           "exist: the launcher refuses it")]),
    "autorun_open_configuration_refused": autorun(open_="SETUP.EXE menu", files={"menu.INI": "[Main]\nTitle=x\n"},
                                                  status=2, warnings=[
        ("[autorun] open", "so it reads \"{media}menu.INI\", which has no [Version] Release value")]),
    "autorun_open_other_configuration": autorun(open_="SETUP.EXE menu", files={"menu.INI": VERSION}, status=0,
                                                lines=["autorun: open starts the launcher with \"{media}menu.INI\", "
                                                       "which it accepts"]),
    "autorun_open_checked_configuration": autorun(open_="SETUP.EXE menu", files={"menu.INI": VERSION},
                                                  args=["menu"], status=0, lines=[
        "autorun: open starts the launcher with the configuration checked here"]),
    "autorun_icon_missing": autorun(icon="disc.ico", warnings=[
        ("[autorun] icon", "names \"{media}disc.ico\", which is not a file in the media folder")]),
    "autorun_label_too_long": autorun(label="L" * 33, warnings=[
        ("[autorun] label", "is 33 characters long: Windows shows only the first 32")]),
    "autorun_label_at_limit": autorun(label="L" * 32, status=0),

    # -- the launcher's name and the checker's own errors --
    "name_from_program_with_config": Case(ini=None, launcher=None, files={
        "Install.exe": PROGRAM, "Install.INI": VERSION, "setup1.exe": PROGRAM, "other.exe": PROGRAM},
        status=0, lines=["launcher: Install (from Install.exe)", "configuration file: {media}Install.INI"]),
    "name_from_option": Case(ini=None, launcher=None, options=["--name", "Menu.exe"], files={"Menu.INI": VERSION},
                             status=0, lines=["launcher: Menu (given with --name)"]),
    "name_from_only_config": Case(ini=None, launcher=None, files={"Autorun.ini": VERSION}, status=0,
                                  lines=["launcher: Autorun (from Autorun.ini; no launcher program in the folder)"]),
    "name_ambiguous": Case(ini=None, launcher=None, files={"a.exe": PROGRAM, "a.INI": VERSION, "b.exe": PROGRAM,
                                                           "b.INI": VERSION},
                           status=3, stderr="give its name with --name"),
    "no_such_folder": Case(ini=None, launcher=None, status=3, stderr="is not a folder"),
    # Wine's ANSI code page is 1252: such a folder is read through its short form, such an argument cannot be.
    "folder_outside_code_page": with_clean(ini=CLEAN_INI, status=0, lines=["result: clean"],
                                           folder="\u5b89\u88c5 \u0423\u0441\u0442\u0430\u043d\u043e\u0432\u043a\u0430"),
    "configuration_name_outside_code_page": with_clean(ini=CLEAN_INI, args=["\u5b89\u88c5"], status=3,
                                                       stderr="holds characters that the ANSI code page 1252 cannot"),
    # Its first call, as the launcher's: Wine's relay trace shows it.
    "dll_search_locked": Case(ini=VERSION, status=0, env={"WINEDEBUG": "+relay"},
                              stderr="Call KERNEL32.SetDefaultDllDirectories(00000800)"),
    "no_arguments": Case(ini=None, status=3, lines=["usage: SetupMenuCheck"]),
    # The live preview's options, refused before any window opens.
    "watch_option_without_watch": with_clean(ini=CLEAN_INI, options=["--language", "de"], status=3,
                                             lines=["usage: SetupMenuCheck"]),
    "watch_language_no_tag": with_clean(ini=CLEAN_INI, options=["--watch", "--language", "de_DE"], status=3,
                                        stderr="--language de_DE: not a language tag"),
    "watch_assume_unreadable": with_clean(ini=CLEAN_INI, options=["--watch", "--assume", "arch=x86;arhc=x64"],
                                          status=3, stderr='--assume: "arhc=x64" does not describe a machine'),
}


# ---- running ---------------------------------------------------------------

def windows_path(path):
    return "Z:" + os.path.abspath(path).replace("/", "\\")


def write_media(folder, case):
    if os.path.isdir(folder):
        shutil.rmtree(folder)
    os.makedirs(os.path.join(folder, "sub"))
    if case.launcher:
        with open(os.path.join(folder, case.launcher), "wb") as f:
            f.write(PROGRAM)
    files = dict(case.files)
    if case.ini is not None:
        files["SETUP.INI"] = case.ini
    for name, content in files.items():
        path = os.path.join(folder, *name.split("/"))
        os.makedirs(os.path.dirname(path), exist_ok=True)
        data = content.encode("utf-8").replace(b"\n", b"\r\n") if isinstance(content, str) else content
        with open(path, "wb") as f:
            f.write(data)


def run_checker(arguments, env=None):
    command = [os.environ["SETUPMENU_WINE_RUN"], os.environ["SETUPMENU_CHECKER"]] + arguments
    result = subprocess.run(command, capture_output=True, timeout=120, env=dict(os.environ, **(env or {})))
    return (result.returncode, result.stdout.decode("latin-1").replace("\r\n", "\n"),
            result.stderr.decode("latin-1"))


def parse_warnings(output):
    found = []
    for line in output.splitlines():
        if not line.startswith("warning: "):
            continue
        rest = line[len("warning: "):]
        if rest.startswith("(file): "):
            found.append(("(file)", rest[len("(file): "):]))
            continue
        close = rest.index("]")
        colon = rest.index(": ", close)
        found.append((rest[:colon], rest[colon + 2:]))
    return found


def check(case, status, output, errors, media):
    problems = []
    fill = lambda text: text.replace("{media}", media)
    if status != case.status:
        problems.append(f"exit status {status}, expected {case.status}")
    reported = parse_warnings(output)
    unmatched = list(reported)
    for place, fragments in case.warnings:
        fragments = [fill(f) for f in (fragments if isinstance(fragments, tuple) else (fragments,))]
        hit = next((w for w in unmatched if w[0] == place and all(f in w[1] for f in fragments)), None)
        if hit is None:
            problems.append(f"missing finding: {place}: " + " ... ".join(fragments))
        else:
            unmatched.remove(hit)
    for place, message in unmatched:
        problems.append(f"unexpected finding: {place}: {message}")
    lines = output.splitlines()
    for fragment in case.lines:
        if not any(fill(fragment) in line for line in lines):
            problems.append(f"no line holds: {fill(fragment)}")
    if case.status == 1 and reported:
        count = len(reported)
        if f"result: {count} warning" not in output:
            problems.append(f"no result line for {count} warnings")
    if case.stderr is not None and case.stderr not in errors:
        problems.append(f"error output lacks: {case.stderr}")
    return problems


def run_case(name):
    case = CASES[name]
    work = os.environ["SETUPMENU_CHECKER_WORK"]
    folder = os.path.join(work, name, *([case.folder] if case.folder else []))
    write_media(folder, case)
    media = windows_path(folder) + "\\"
    if name == "no_arguments":
        arguments = []
    elif name == "no_such_folder":
        arguments = [windows_path(os.path.join(folder, "missing"))]
    else:
        arguments = case.options + [windows_path(folder)] + case.args
    status, output, errors = run_checker(arguments, case.env)
    problems = check(case, status, output, errors, media)
    for absent in case.absent:
        if os.path.exists(os.path.join(folder, absent)):
            problems.append(f"the checker created {absent}")
    return problems, output, errors


def run_example(folder):
    status, output, errors = run_checker([windows_path(folder)])
    problems = []
    if status != 0:
        problems.append(f"exit status {status}, expected 0")
    for place, message in parse_warnings(output):
        problems.append(f"finding: {place}: {message}")
    if "result: clean" not in output:
        problems.append("no \"result: clean\" line")
    return problems, output, errors


def main(argv):
    if len(argv) == 2 and argv[1] == "--list":
        print("\n".join(CASES))
        return 0
    if len(argv) == 3 and argv[1] == "--example":
        problems, output, errors = run_example(argv[2])
    elif len(argv) == 2 and argv[1] in CASES:
        problems, output, errors = run_case(argv[1])
    else:
        print(__doc__, file=sys.stderr)
        return 2
    sys.stdout.write(output)
    if errors.strip():
        sys.stdout.write("-- error output --\n" + errors)
    if problems:
        print("-- problems --")
        for problem in problems:
            print(problem)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
