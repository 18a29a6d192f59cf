#!/usr/bin/env python3
"""Reads the resources and the PE basics out of built SetupMenu.exe files.

Usage: check_resources.py [--bits 32|64] [--checker] FILE.exe [more.exe ...]

For every launcher file it checks:
  - PE32 for an i386 file, PE32+ for an AMD64 file (and the machine that
    --bits asks for), the GUI subsystem, and imports only from KERNEL32,
    USER32, GDI32 and msvcrt, exactly the functions of the IMPORTS table;
  - the exact set of resources, every one under language 0x0409;
  - the application manifest: well-formed XML, run as the invoker without
    UI access, the supported systems Vista to 10/11, and nothing else (no
    DPI awareness, no dependency such as common controls version 6);
  - the two dialog templates, byte for byte against templates encoded here
    from the tables below;
  - the two cursors (size, 1 bit per pixel, hot spot, drawn extent, black
    outline around a white fill) and the two icon images (size, 24 bits with
    a 1-bit mask);
  - the version block (fixed part, strings and translation).

With --checker the files are builds of the configuration checker
(SetupMenuCheck): PE basics with the console subsystem, its imports as
above, the launcher's resources but the version block (its live preview
shows the launcher's dialog and pointers), and the manifest as above.

Prints one line per failure and exits 1 when anything is wrong.
Python 3 standard library only.
"""

import struct
import sys
import xml.etree.ElementTree as ElementTree

RT_CURSOR, RT_ICON, RT_DIALOG, RT_VERSION, RT_MANIFEST = 1, 3, 5, 16, 24
RT_GROUP_CURSOR, RT_GROUP_ICON = 12, 14
TYPE_NAMES = {1: "CURSOR", 2: "BITMAP", 3: "ICON", 4: "MENU", 5: "DIALOG", 6: "STRING",
              9: "ACCELERATOR", 10: "RCDATA", 12: "GROUP_CURSOR", 14: "GROUP_ICON",
              16: "VERSION", 24: "MANIFEST"}
LANG_EN_US = 0x0409

# (type, id): every resource the program carries, and nothing else.
EXPECTED_RESOURCES = {
    (RT_DIALOG, 101), (RT_DIALOG, 105),
    (RT_GROUP_CURSOR, 104), (RT_GROUP_CURSOR, 118), (RT_CURSOR, 3), (RT_CURSOR, 4),
    (RT_GROUP_ICON, 106), (RT_ICON, 1), (RT_ICON, 2),
    (RT_VERSION, 1),
    (RT_MANIFEST, 1),
}
# The checker carries the launcher's dialogs, pointers and icon, which its live
# preview shows, and the manifest; no version.
CHECKER_RESOURCES = EXPECTED_RESOURCES - {(RT_VERSION, 1)}

ALLOWED_DLLS = {"kernel32.dll", "user32.dll", "gdi32.dll", "msvcrt.dll"}

# Every function the two programs import. Both must start on every Windows from
# Vista on, and a program that imports a function its system lacks does not
# start at all: a function missing here fails the test until it is added on
# purpose, with the oldest Windows that has it. A function no longer imported
# fails too, so that the table stays the truth. To add one, put it in the row
# of its DLL, its importers and its oldest Windows, or start such a row.
# Imported by: L the launcher, C the checker, in both builds; L32, L64, C32,
# C64 in that build only (their C runtime start-up code differs).
IMPORTS = [
    # DLL       imported by  oldest Windows  functions
    ("KERNEL32", "L C",      "NT 3.1", "CloseHandle CreateFileA ExpandEnvironmentStringsA GetACP GetFileAttributesA "
                                       "GetLastError GetLocaleInfoA GetModuleFileNameW GetModuleHandleA "
                                       "GetPrivateProfileStringA GetProcAddress GetSystemDirectoryA GetSystemInfo "
                                       "IsDBCSLeadByte MultiByteToWideChar ReadFile SetCurrentDirectoryA "
                                       "WideCharToMultiByte"),
    ("KERNEL32", "L C",      "NT 4.0", "GetShortPathNameW"),
    ("KERNEL32", "L C",      "2000",   "GetFileSizeEx GetUserDefaultUILanguage"),
    ("KERNEL32", "L C",      "NT 3.1", "LoadLibraryA"),
    ("KERNEL32", "L",        "NT 3.1", "GetCommandLineA"),
    ("KERNEL32", "L C",      "NT 3.1", "CreateFileW CreateMutexA CreateProcessA DeleteFileW GetCurrentDirectoryA "
                                       "GetFileSize GetPrivateProfileStringW GetTempFileNameW GetTempPathW "
                                       "OutputDebugStringA SetFilePointer WriteFile"),
    # Only a 32-bit program can run under WoW64, where exists: reads ProgramW6432.
    ("KERNEL32", "L32 C32",  "NT 3.1", "GetEnvironmentVariableA"),
    ("KERNEL32", "C",        "NT 3.1", "GetConsoleMode GetStdHandle WriteConsoleW"),
    ("KERNEL32", "C",        "NT 3.1", "CreateSemaphoreW DeleteCriticalSection EnterCriticalSection FindClose "
                                       "FindFirstFileA FindNextFileA GetCurrentThreadId "
                                       "GetFileAttributesW GetFullPathNameW GetModuleHandleW GetPrivateProfileSectionA "
                                       "GetStartupInfoW InitializeCriticalSection LeaveCriticalSection LoadLibraryW "
                                       "ReleaseSemaphore SetLastError SetUnhandledExceptionFilter "
                                       "Sleep TlsAlloc TlsFree TlsGetValue TlsSetValue VirtualProtect VirtualQuery "
                                       "WaitForSingleObject"),
    ("KERNEL32", "C",        "NT 3.5", "GetPrivateProfileSectionNamesA"),
    ("KERNEL32", "C",        "NT 4.0", "GetFileAttributesExA"),
    ("KERNEL32", "C",        "2000",   "IsDBCSLeadByteEx"),
    ("KERNEL32", "C32",      "NT 3.1", "FreeLibrary"),
    ("KERNEL32", "C64",      "NT 3.1", "RaiseException"),
    ("KERNEL32", "C64",      "XP x64", "__C_specific_handler RtlCaptureContext RtlLookupFunctionEntry RtlUnwindEx "
                                       "RtlVirtualUnwind"),
    ("USER32",   "L C",      "NT 3.1", "GetDesktopWindow GetWindowRect MessageBoxA"),
    ("USER32",   "L C",      "NT 4.0", "CopyImage LoadImageA"),
    ("USER32",   "L C",      "NT 3.1", "BeginPaint CallWindowProcW DialogBoxParamW DrawFocusRect EndDialog EndPaint "
                                       "EnumWindows GetPropA SetPropA "
                                       "GetClientRect GetCursorPos GetDlgItem GetFocus GetKeyState GetSystemMetrics "
                                       "GetWindowLongA InvalidateRect IsWindow KillTimer LoadCursorA MapWindowPoints "
                                       "MessageBoxW PostMessageA PtInRect SendDlgItemMessageA SetCursor SetFocus "
                                       "SetForegroundWindow SetTimer SetWindowLongA SetWindowPos SetWindowTextA "
                                       "SetWindowTextW ShowWindow SystemParametersInfoA WindowFromPoint"),
    ("USER32",   "L32 C32",  "NT 3.1", "SetWindowLongW"),
    ("USER32",   "L C",      "2000",   "NotifyWinEvent"),
    ("USER32",   "L64 C64",  "XP x64", "GetWindowLongPtrA SetWindowLongPtrA SetWindowLongPtrW"),
    ("USER32",   "C",        "NT 3.1", "GetParent GetWindowTextA ScreenToClient"),
    ("GDI32",    "L C",      "NT 3.1", "CreateSolidBrush DeleteObject GetObjectA"),
    ("GDI32",    "L C",      "NT 3.1", "SetBkColor SetBkMode SetTextColor"),
    ("MSVCRT",   "L C",      "2000",   "abort exit free malloc memchr strchr strlen strrchr _vsnprintf"),
    ("MSVCRT",   "C",        "2000",   "_amsg_exit calloc _cexit _close _errno fflush fprintf fputc fputs fwrite "
                                       "_initterm localeconv _lock memcmp memcpy memmove memset _onexit _read realloc "
                                       "__set_app_type __setusermatherr signal strcmp strerror _stricmp strncat "
                                       "strncmp _unlock vfprintf wcscmp wcslen wcsncmp __wgetmainargs __winitenv"),
    ("MSVCRT",   "C32",      "2000",   "atoi _iob __mb_cur_max __p__commode __p__fmode __p__wcmdln setlocale"),
    ("MSVCRT",   "C64",      "2000",   "_commode _fmode _wcmdln"),
    ("MSVCRT",   "C64",      "XP x64", "__iob_func ___lc_codepage_func ___mb_cur_max_func"),
]
# Functions that some supported Windows lack, which must therefore never be
# imported, whatever the table says: the programs look them up at run time.
NEVER_IMPORTED = {
    "SetDefaultDllDirectories": "Windows Vista and 7 have it only with an update",
}


def expected_imports(program, bits):
    """{(DLL, function)} that the table gives a program ("L" or "C") of a build (32 or 64)."""
    wanted = {program, "%s%d" % (program, bits)}
    return {(dll, name) for dll, importers, _, names in IMPORTS if wanted & set(importers.split())
            for name in names.split()}
MACHINES = {0x014C: ("i386", 32, 0x10B, "PE32"), 0x8664: ("AMD64", 64, 0x20B, "PE32+")}
SUBSYSTEM_WINDOWS_GUI, SUBSYSTEM_WINDOWS_CUI = 2, 3

CLASS_BUTTON, CLASS_STATIC = 0x0080, 0x0082
DS_SETFONT = 0x40

# Dialog 101, the menu dialog: an extended template.
MENU_DIALOG = dict(
    id=101, extended=True, help_id=0, exstyle=0, style=0x80C800C0,
    x=0, y=0, cx=340, cy=234, menu=0, window_class=0, caption="Main_Title",
    point_size=8, weight=0, italic=0, charset=1, face="MS Sans Serif")
MENU_CONTROLS = [
    # id,   class,        text,               style,      exstyle, x,   y,   cx,  cy
    (1006, CLASS_STATIC, "Main_Image",       0x50021000, 0x00,    0,   0,   114, 56),
    (1007, CLASS_STATIC, "Button1_Text",     0x40020100, 0x20,    35,  76,  67,  28),
    (1009, CLASS_STATIC, "Button3_Text",     0x40020100, 0x20,    31,  177, 67,  28),
    (1008, CLASS_STATIC, "Button2_Text",     0x40020100, 0x20,    35,  123, 67,  28),
    (1010, CLASS_STATIC, "Button3_Text_Sel", 0x40020000, 0x20,    111, 178, 67,  13),
    (1011, CLASS_STATIC, "Button1_Text_Sel", 0x40020000, 0x20,    112, 77,  67,  12),
    (1013, CLASS_STATIC, "Cancel_Text_Sel",  0x40020301, 0x20,    253, 162, 57,  16),
    (1012, CLASS_STATIC, "Button2_Text_Sel", 0x40020000, 0x20,    111, 123, 67,  13),
    (1014, CLASS_STATIC, "Cancel_Text",      0x50020301, 0x20,    251, 186, 52,  16),
]

# Dialog 105, the backdrop: a classic template.
BACKDROP_DIALOG = dict(
    id=105, extended=False, exstyle=0, style=0x80000040,
    x=0, y=0, cx=186, cy=94, menu=0, window_class=0, caption="",
    point_size=8, face="MS Sans Serif")
BACKDROP_CONTROLS = [
    # id,   class,        text,         style,      exstyle, x,   y, cx, cy
    (1,    CLASS_BUTTON, "OK NOTUSED", 0x40010001, 0,       134, 0, 50, 14),
    (1009, CLASS_STATIC, "Image",      0x40020000, 0,       0,   0, 24, 8),
]

# Cursors: group, image, hot spot and the pixel under it, drawn extent (first
# and last column, first and last row), the drawn columns of the top drawn row.
CURSORS = [
    # group, image, hot spot, under it,      columns,  rows,     top row's columns
    (104,    3,     (1, 1),   "black",       (1, 11),  (1, 18),  {1}),     # arrow, tip at the hot spot
    (118,    4,     (1, 1),   "transparent", (0, 16),  (1, 22),  {5, 6}),  # hand, fingertip right of it
]
CURSOR_SIZE = 32

# Icon group 106: image id and size, in directory order.
ICON_GROUP = 106
ICON_IMAGES = [(1, 16), (2, 32)]
ICON_BITS = 24

# Version block.
VERSION_FIXED = [
    # field,             value
    ("dwSignature",      0xFEEF04BD),
    ("dwStrucVersion",   0x00010000),
    ("dwFileVersionMS",  0x00010000),   # 1.0
    ("dwFileVersionLS",  0x00020000),   # 2.0
    ("dwProductVersionMS", 0x00010000),
    ("dwProductVersionLS", 0x00020000),
    ("dwFileFlagsMask",  0x3F),
    ("dwFileFlags",      0),
    ("dwFileOS",         0x40004),
    ("dwFileType",       1),
    ("dwFileSubtype",    0),
    ("dwFileDateMS",     0),
    ("dwFileDateLS",     0),
]
VERSION_TABLE = "040904b0"
VERSION_STRINGS_EXACT = {
    "FileVersion": "1, 0, 2, 0",
    "ProductVersion": "1, 0, 2, 0",
    "Comments": "",
    "LegalTrademarks": "",
    "PrivateBuild": "",
    "SpecialBuild": "",
}
VERSION_STRINGS_IDENTITY = ["CompanyName", "FileDescription", "InternalName",
                            "LegalCopyright", "OriginalFilename", "ProductName"]
VERSION_TRANSLATION = struct.pack("<HH", 0x0409, 1200)


# The application manifest (resource 1 of RT_MANIFEST). Every element it may
# hold, by path from the root as (namespace, name) pairs; anything else, such
# as windowsSettings (DPI awareness) or a dependency (common controls version
# 6), would change how the program looks or runs.
ASM_V1 = "urn:schemas-microsoft-com:asm.v1"
ASM_V3 = "urn:schemas-microsoft-com:asm.v3"
COMPATIBILITY_V1 = "urn:schemas-microsoft-com:compatibility.v1"
_TRUST = ((ASM_V1, "assembly"), (ASM_V3, "trustInfo"), (ASM_V3, "security"), (ASM_V3, "requestedPrivileges"))
_COMPATIBILITY = ((ASM_V1, "assembly"), (COMPATIBILITY_V1, "compatibility"), (COMPATIBILITY_V1, "application"))
MANIFEST_ELEMENTS = {
    # path: the attributes it must carry, exactly (None: its value is checked elsewhere)
    _TRUST[:1]: {"manifestVersion": "1.0"},
    _TRUST[:2]: {}, _TRUST[:3]: {}, _TRUST: {},
    _TRUST + ((ASM_V3, "requestedExecutionLevel"),): {"level": "asInvoker", "uiAccess": "false"},
    _COMPATIBILITY[:2]: {}, _COMPATIBILITY: {},
    _COMPATIBILITY + ((COMPATIBILITY_V1, "supportedOS"),): {"Id": None},
}
SUPPORTED_OS = {
    "{e2011457-1546-43c5-a5fe-008deee3d3f0}": "Windows Vista",
    "{35138b9a-5d96-4fbd-8e2d-a2440225f93a}": "Windows 7",
    "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}": "Windows 8",
    "{1f676c76-80e1-4239-95bb-83d0f6d0da78}": "Windows 8.1",
    "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}": "Windows 10 and 11",
}
# Words that must not appear anywhere, even where the element check would not
# look (text, comments): each would change DPI scaling or the controls' look.
MANIFEST_FORBIDDEN = ("dpiAware", "dpiAwareness", "gdiScaling", "Microsoft.Windows.Common-Controls")


def check_manifest(data):
    """The failures of an application manifest's bytes, as messages."""
    failures = []
    if not data.startswith(b'<?xml version="1.0" encoding="UTF-8"'):
        failures.append("manifest: does not start with an XML declaration of UTF-8 (%r)" % data[:40])
    lowered = data.lower()
    for word in MANIFEST_FORBIDDEN:
        if word.lower().encode() in lowered:
            failures.append("manifest: mentions %s" % word)
    try:
        root = ElementTree.fromstring(data)
    except ElementTree.ParseError as e:
        return failures + ["manifest: not well-formed XML: %s" % e]

    def split(tag):
        namespace, _, name = tag[1:].partition("}") if tag.startswith("{") else ("", "", tag)
        return namespace, name

    found = {}
    os_ids = []

    def walk(element, parent_path):
        path = parent_path + (split(element.tag),)
        found[path] = found.get(path, 0) + 1
        where = "/".join(name for _, name in path)
        if path not in MANIFEST_ELEMENTS:
            failures.append("manifest: element %s (namespace %r) is not allowed" % (where, path[-1][0]))
            return
        wanted = MANIFEST_ELEMENTS[path]
        if set(element.attrib) != set(wanted):
            failures.append("manifest: %s has the attributes %s, expected %s"
                            % (where, sorted(element.attrib), sorted(wanted)))
        for name, value in wanted.items():
            if value is not None and element.attrib.get(name) != value:
                failures.append("manifest: %s has %s=%r, expected %r" % (where, name, element.attrib.get(name), value))
        if path[-1][1] == "supportedOS":
            os_ids.append(element.attrib.get("Id", ""))
        if (element.text or "").strip():
            failures.append("manifest: %s holds text %r" % (where, element.text.strip()))
        for child in element:
            if (child.tail or "").strip():
                failures.append("manifest: text %r after %s" % (child.tail.strip(), child.tag))
            walk(child, path)

    walk(root, ())
    for path in MANIFEST_ELEMENTS:
        count = found.get(path, 0)
        name = "/".join(n for _, n in path)
        if path[-1][1] == "supportedOS":
            continue
        if count != 1:
            failures.append("manifest: %s appears %d times, expected once" % (name, count))
    if sorted(os_ids) != sorted(SUPPORTED_OS) or len(os_ids) != len(SUPPORTED_OS):
        names = [SUPPORTED_OS.get(i, i) for i in os_ids]
        failures.append("manifest: supported systems are %s, expected %s"
                        % (names, list(SUPPORTED_OS.values())))
    return failures


class Broken(Exception):
    """A structure is too damaged to check further."""


def align4(n):
    return (n + 3) & ~3


def utf16z(text):
    return text.encode("utf-16-le") + b"\0\0"


def read_utf16z(data, offset, where):
    end = offset
    while True:
        if end + 2 > len(data):
            raise Broken("%s: unterminated string" % where)
        if data[end:end + 2] == b"\0\0":
            return data[offset:end].decode("utf-16-le"), end + 2
        end += 2


# ---------------------------------------------------------------------------
# Dialog templates: an encoder for the expected bytes and a reader that
# names the fields, for readable differences.

def sz_or_ordinal(value):
    if isinstance(value, int):
        return b"\0\0" if value == 0 else struct.pack("<HH", 0xFFFF, value)
    return utf16z(value)


def encode_dialog(header, controls):
    out = bytearray()
    if header["extended"]:
        out += struct.pack("<HHIIIHhhhh", 1, 0xFFFF, header["help_id"], header["exstyle"],
                           header["style"], len(controls),
                           header["x"], header["y"], header["cx"], header["cy"])
    else:
        out += struct.pack("<IIHhhhh", header["style"], header["exstyle"], len(controls),
                           header["x"], header["y"], header["cx"], header["cy"])
    out += sz_or_ordinal(header["menu"])
    out += sz_or_ordinal(header["window_class"])
    out += utf16z(header["caption"])
    if header["style"] & DS_SETFONT:
        out += struct.pack("<H", header["point_size"])
        if header["extended"]:
            out += struct.pack("<HBB", header["weight"], header["italic"], header["charset"])
        out += utf16z(header["face"])
    for cid, cls, text, style, exstyle, x, y, cx, cy in controls:
        out += b"\0" * (align4(len(out)) - len(out))
        if header["extended"]:
            out += struct.pack("<IIIhhhhI", 0, exstyle, style, x, y, cx, cy, cid)
        else:
            out += struct.pack("<IIhhhhH", style, exstyle, x, y, cx, cy, cid)
        out += struct.pack("<HH", 0xFFFF, cls)
        out += utf16z(text)
        out += struct.pack("<H", 0)  # no creation data
    return bytes(out)


def read_sz_or_ordinal(data, offset, where):
    if data[offset:offset + 2] == b"\xff\xff":
        return "#%d" % struct.unpack_from("<H", data, offset + 2)[0], offset + 4
    text, offset = read_utf16z(data, offset, where)
    return repr(text), offset


def decode_dialog(data, extended):
    """Returns a list of (field name, value) read from a template."""
    fields = []
    try:
        if extended:
            names = ("dlgVer", "signature", "helpID", "exStyle", "style", "cDlgItems",
                     "x", "y", "cx", "cy")
            values = struct.unpack_from("<HHIIIHhhhh", data, 0)
            pos = 26
        else:
            names = ("style", "exStyle", "cdit", "x", "y", "cx", "cy")
            values = struct.unpack_from("<IIHhhhh", data, 0)
            pos = 18
        header = dict(zip(names, values))
        fields += [("header." + n, hex(v) if "tyle" in n else v) for n, v in header.items()]
        for name in ("menu", "class", "caption"):
            value, pos = read_sz_or_ordinal(data, pos, name)
            fields.append(("header." + name, value))
        if header["style"] & DS_SETFONT:
            fields.append(("header.pointsize", struct.unpack_from("<H", data, pos)[0]))
            pos += 2
            if extended:
                weight, italic, charset = struct.unpack_from("<HBB", data, pos)
                fields += [("header.weight", weight), ("header.italic", italic),
                           ("header.charset", charset)]
                pos += 4
            face, pos = read_utf16z(data, pos, "typeface")
            fields.append(("header.typeface", repr(face)))
        count = header["cDlgItems" if extended else "cdit"]
        for i in range(count):
            pos = align4(pos)
            if extended:
                names = ("helpID", "exStyle", "style", "x", "y", "cx", "cy", "id")
                values = struct.unpack_from("<IIIhhhhI", data, pos)
                pos += 24
            else:
                names = ("style", "exStyle", "x", "y", "cx", "cy", "id")
                values = struct.unpack_from("<IIhhhhH", data, pos)
                pos += 18
            prefix = "control %d." % (i + 1)
            fields += [(prefix + n, hex(v) if "tyle" in n else v) for n, v in zip(names, values)]
            cls, pos = read_sz_or_ordinal(data, pos, prefix + "class")
            text, pos = read_sz_or_ordinal(data, pos, prefix + "text")
            extra = struct.unpack_from("<H", data, pos)[0]
            pos += 2 + extra
            fields += [(prefix + "class", cls), (prefix + "text", text),
                       (prefix + "creation data bytes", extra)]
        fields.append(("template length", len(data)))
        if pos != len(data):
            fields.append(("bytes after the last control", len(data) - pos))
    except (struct.error, Broken) as e:
        fields.append(("unreadable", str(e)))
    return fields


# ---------------------------------------------------------------------------
# PE file reading.

class PeFile:
    def __init__(self, path):
        with open(path, "rb") as f:
            self.data = f.read()
        data = self.data
        if data[:2] != b"MZ":
            raise Broken("not an MZ executable")
        pe = struct.unpack_from("<I", data, 0x3C)[0]
        if data[pe:pe + 4] != b"PE\0\0":
            raise Broken("no PE signature")
        (self.machine, sections, _, _, _, opt_size, self.characteristics) = struct.unpack_from("<HHIIIHH", data,
                                                                                                pe + 4)
        opt = pe + 24
        self.magic = struct.unpack_from("<H", data, opt)[0]
        self.subsystem, self.dll_characteristics = struct.unpack_from("<HH", data, opt + 68)
        if self.magic == 0x10B:
            dir_count_at, dirs_at = opt + 92, opt + 96
        elif self.magic == 0x20B:
            dir_count_at, dirs_at = opt + 108, opt + 112
        else:
            raise Broken("unknown optional header magic 0x%X" % self.magic)
        count = struct.unpack_from("<I", data, dir_count_at)[0]
        self.directories = [struct.unpack_from("<II", data, dirs_at + 8 * i) for i in range(count)]
        self.sections = []
        for i in range(sections):
            at = opt + opt_size + 40 * i
            vsize, va, raw_size, raw_ptr = struct.unpack_from("<IIII", data, at + 8)
            self.sections.append((va, max(vsize, raw_size), raw_ptr, raw_size))

    def directory(self, index):
        return self.directories[index] if index < len(self.directories) else (0, 0)

    def offset(self, rva, size=1):
        for va, span, raw_ptr, raw_size in self.sections:
            if va <= rva and rva + size <= va + span:
                if rva - va + size > raw_size:
                    raise Broken("RVA 0x%X lies outside the section's file data" % rva)
                return raw_ptr + rva - va
        raise Broken("RVA 0x%X is in no section" % rva)

    def read(self, rva, size):
        at = self.offset(rva, size)
        return self.data[at:at + size]

    def c_string(self, rva):
        at = self.offset(rva)
        end = self.data.index(b"\0", at)
        return self.data[at:end].decode("latin-1")

    def imported_dlls(self):
        names = []
        rva, size = self.directory(1)
        if rva:
            at = rva
            while True:
                desc = struct.unpack("<IIIII", self.read(at, 20))
                if desc == (0, 0, 0, 0, 0):
                    break
                names.append(self.c_string(desc[3]))
                at += 20
        rva, size = self.directory(13)  # delay-load imports
        if rva:
            at = rva
            while True:
                desc = struct.unpack("<8I", self.read(at, 32))
                if desc == (0,) * 8:
                    break
                names.append(self.c_string(desc[1]))
                at += 32
        return names

    def imported_functions(self):
        """{(DLL without extension in upper case, function name or #ordinal)} of the import table."""
        found = set()
        rva, _ = self.directory(1)
        entry, ordinal_flag, unpack = (4, 1 << 31, "<I") if self.magic == 0x10B else (8, 1 << 63, "<Q")
        at = rva
        while rva:
            desc = struct.unpack("<IIIII", self.read(at, 20))
            if desc == (0, 0, 0, 0, 0):
                break
            dll = self.c_string(desc[3]).upper().rsplit(".", 1)[0]
            thunk = desc[0] or desc[4]
            while True:
                value = struct.unpack(unpack, self.read(thunk, entry))[0]
                if not value:
                    break
                found.add((dll, "#%d" % (value & 0xFFFF) if value & ordinal_flag else self.c_string(value + 2)))
                thunk += entry
            at += 20
        return found

    def resources(self):
        """{(type, name): {language: bytes}}; names are ints or strings."""
        root, size = self.directory(2)
        found = {}
        if not root:
            return found
        base = self.offset(root, size)

        def entries(offset):
            named, ids = struct.unpack_from("<HH", self.data, base + offset + 12)
            for i in range(named + ids):
                name, target = struct.unpack_from("<II", self.data, base + offset + 16 + 8 * i)
                if name & 0x80000000:
                    at = base + (name & 0x7FFFFFFF)
                    length = struct.unpack_from("<H", self.data, at)[0]
                    name = self.data[at + 2:at + 2 + 2 * length].decode("utf-16-le")
                yield name, target

        for rtype, t in entries(0):
            if not t & 0x80000000:
                raise Broken("resource type %r is not a directory" % (rtype,))
            for rname, n in entries(t & 0x7FFFFFFF):
                if not n & 0x80000000:
                    raise Broken("resource %r/%r is not a directory" % (rtype, rname))
                for lang, leaf in entries(n & 0x7FFFFFFF):
                    if leaf & 0x80000000:
                        raise Broken("resource %r/%r/%r nests too deep" % (rtype, rname, lang))
                    data_rva, data_size = struct.unpack_from("<II", self.data, base + leaf)
                    found.setdefault((rtype, rname), {})[lang] = self.read(data_rva, data_size)
        return found


# ---------------------------------------------------------------------------
# The checks.

def resource_name(key):
    rtype, rname = key
    return "%s %r" % (TYPE_NAMES.get(rtype, "type %r" % (rtype,)), rname)


class Check:
    def __init__(self, path, bits, checker=False):
        self.path = path
        self.bits = bits
        self.checker = checker
        self.failures = []
        self.checks = 0

    def expect(self, condition, message):
        self.checks += 1
        if not condition:
            self.failures.append(message)
        return condition

    def run(self):
        try:
            pe = PeFile(self.path)
        except (OSError, Broken, struct.error, ValueError) as e:
            self.expect(False, "cannot read the file: %s" % e)
            return
        parts = (self.pe_basics, self.resource_set, self.manifest)
        if not self.checker:
            parts += (self.dialogs, self.cursors, self.icons, self.version)
        for part in parts:
            try:
                part(pe)
            except (Broken, struct.error, ValueError, KeyError) as e:
                self.expect(False, "%s: cannot read further: %s" % (part.__name__, e))

    # PE header and imports.
    def pe_basics(self, pe):
        machine = MACHINES.get(pe.machine)
        if not self.expect(machine is not None, "unknown machine 0x%04X" % pe.machine):
            return
        name, bits, magic, kind = machine
        if self.bits:
            self.expect(bits == self.bits, "machine is %s (%d-bit), expected a %d-bit file"
                        % (name, bits, self.bits))
        self.expect(pe.magic == magic, "%s file has optional header magic 0x%X, expected %s (0x%X)"
                    % (name, pe.magic, kind, magic))
        if self.checker:
            self.expect(pe.subsystem == SUBSYSTEM_WINDOWS_CUI,
                        "subsystem is %d, expected %d (Windows console)" % (pe.subsystem, SUBSYSTEM_WINDOWS_CUI))
        else:
            self.expect(pe.subsystem == SUBSYSTEM_WINDOWS_GUI,
                        "subsystem is %d, expected %d (Windows GUI)" % (pe.subsystem, SUBSYSTEM_WINDOWS_GUI))
        # DEP and ASLR: both flags, and the relocations that let the loader move the image.
        for flag, name in ((0x100, "NXCOMPAT"), (0x40, "DYNAMICBASE")):
            self.expect(pe.dll_characteristics & flag, "DllCharacteristics 0x%04X lacks %s" % (pe.dll_characteristics, name))
        self.expect(not pe.characteristics & 0x1, "the relocations are stripped (IMAGE_FILE_RELOCS_STRIPPED)")
        relocations, size = pe.directory(5)
        self.expect(size >= 8 and len(pe.read(relocations, size)) == size, "no base relocation table")
        self.imports(pe, bits)

    def imports(self, pe, bits):
        dlls = pe.imported_dlls()
        self.expect(bool(dlls), "the file imports nothing")
        for dll in dlls:
            self.expect(dll.lower() in ALLOWED_DLLS, "imports from %s, which is not one of %s"
                        % (dll, ", ".join(sorted(ALLOWED_DLLS))))
        found = pe.imported_functions()
        expected = expected_imports("C" if self.checker else "L", bits)
        for dll, name in sorted(found):
            self.expect(name not in NEVER_IMPORTED, "imports %s directly, but %s: look it up at run time"
                        % (name, NEVER_IMPORTED.get(name)))
        for dll, name in sorted(found - expected):
            self.expect(False, "imports %s from %s, which the IMPORTS table does not list: add it on purpose, with "
                        "the oldest Windows that has it" % (name, dll))
        for dll, name in sorted(expected - found):
            self.expect(False, "no longer imports %s from %s: take it out of the IMPORTS table" % (name, dll))

    def resource_set(self, pe):
        found = pe.resources()
        expected = CHECKER_RESOURCES if self.checker else EXPECTED_RESOURCES
        for key in sorted(set(found) - expected, key=repr):
            self.expect(False, "unexpected resource %s" % resource_name(key))
        for key in sorted(expected - set(found)):
            self.expect(False, "missing resource %s" % resource_name(key))
        for key in sorted(set(found) & expected):
            langs = sorted(found[key])
            self.expect(langs == [LANG_EN_US], "resource %s has languages %s, expected only 0x0409"
                        % (resource_name(key), ", ".join("0x%04X" % l if isinstance(l, int) else repr(l)
                                                        for l in langs)))
        self.found = found

    def get(self, rtype, rid):
        langs = self.found.get((rtype, rid), {})
        if LANG_EN_US not in langs:
            raise Broken("no %s under 0x0409" % resource_name((rtype, rid)))
        return langs[LANG_EN_US]

    # Application manifest.
    def manifest(self, pe):
        for message in check_manifest(self.get(RT_MANIFEST, 1)) or [None]:
            self.expect(message is None, message)

    # Dialog templates.
    def dialogs(self, pe):
        for header, controls in ((MENU_DIALOG, MENU_CONTROLS), (BACKDROP_DIALOG, BACKDROP_CONTROLS)):
            actual = self.get(RT_DIALOG, header["id"])
            expected = encode_dialog(header, controls)
            if self.expect(actual == expected, "dialog %d differs from the expected template:"
                           % header["id"]):
                continue
            want = decode_dialog(expected, header["extended"])
            got = dict(decode_dialog(actual, header["extended"]))
            shown = 0
            for name, value in want:
                if got.get(name) != value:
                    self.failures.append("    %s is %s, expected %s"
                                         % (name, got.get(name, "absent"), value))
                    shown += 1
            for name in got:
                if name not in dict(want):
                    self.failures.append("    %s is %s, expected nothing" % (name, got[name]))
                    shown += 1
            if not shown:
                self.failures.append("    (fields agree; %d bytes against %d expected)"
                                     % (len(actual), len(expected)))

    # Cursors.
    def cursors(self, pe):
        for group_id, image_id, hotspot, under_hotspot, columns, rows, top_columns in CURSORS:
            what = "cursor %d" % group_id
            group = self.get(RT_GROUP_CURSOR, group_id)
            image = self.get(RT_CURSOR, image_id)
            reserved, kind, count = struct.unpack_from("<HHH", group, 0)
            self.expect((reserved, kind) == (0, 2), "%s: group header is (%d, %d), expected (0, 2)"
                        % (what, reserved, kind))
            if not self.expect(count == 1 and len(group) == 6 + 14,
                               "%s: group holds %d images in %d bytes, expected 1 in 20"
                               % (what, count, len(group))):
                continue
            width, height, planes, bits, size, nid = struct.unpack_from("<HHHHIH", group, 6)
            self.expect(nid == image_id, "%s: group names image %d, expected %d" % (what, nid, image_id))
            # A cursor directory entry counts the colour bitmap and the mask in its height.
            self.expect((width, height) == (CURSOR_SIZE, 2 * CURSOR_SIZE),
                        "%s: group entry is %d by %d, expected %d by %d"
                        % (what, width, height, CURSOR_SIZE, 2 * CURSOR_SIZE))
            self.expect((planes, bits) == (1, 1), "%s: group entry has %d planes and %d bits, expected 1 and 1"
                        % (what, planes, bits))
            self.expect(size == len(image), "%s: group entry gives %d bytes, image %d has %d"
                        % (what, size, image_id, len(image)))

            hot = struct.unpack_from("<HH", image, 0)
            self.expect(hot == hotspot, "%s: hot spot is %s, expected %s" % (what, hot, hotspot))
            pixels = self.read_mono_bitmap(what, image[4:])
            if pixels is None:
                continue
            self.check_drawing(what, pixels, columns, rows, top_columns)
            x, y = hotspot
            self.expect(pixels[y][x] == under_hotspot, "%s: the pixel at the hot spot is %s, expected %s"
                        % (what, pixels[y][x], under_hotspot))

    def read_mono_bitmap(self, what, bmp):
        (hsize, width, height, planes, bits, compression, _, _, _, used, _) = \
            struct.unpack_from("<IiiHHIIiiII", bmp, 0)
        ok = self.expect(hsize == 40, "%s: bitmap header is %d bytes, expected 40" % (what, hsize))
        ok &= self.expect((width, height) == (CURSOR_SIZE, 2 * CURSOR_SIZE),
                          "%s: bitmap is %d by %d (with mask), expected %d by %d"
                          % (what, width, height, CURSOR_SIZE, 2 * CURSOR_SIZE))
        ok &= self.expect((planes, bits, compression) == (1, 1, 0),
                          "%s: %d planes, %d bits per pixel, compression %d; expected 1, 1, 0"
                          % (what, planes, bits, compression))
        ok &= self.expect(used in (0, 2), "%s: %d palette colours, expected 2" % (what, used))
        if not ok:
            return None
        palette = struct.unpack_from("<II", bmp, 40)
        self.expect(palette == (0x000000, 0xFFFFFF),
                    "%s: palette is %06X, %06X; expected black, white" % (what, palette[0], palette[1]))
        stride = 4
        xor_at = 48
        and_at = xor_at + stride * CURSOR_SIZE
        if not self.expect(len(bmp) >= and_at + stride * CURSOR_SIZE,
                           "%s: image data is %d bytes, too short" % (what, len(bmp))):
            return None
        names = {0x000000: "black", 0xFFFFFF: "white"}
        colour = [names.get(palette[0], "other"), names.get(palette[1], "other")]
        pixels = []
        for y in range(CURSOR_SIZE):
            row = CURSOR_SIZE - 1 - y  # bottom-up
            line = []
            for x in range(CURSOR_SIZE):
                bit = 0x80 >> (x % 8)
                xor = bmp[xor_at + row * stride + x // 8] & bit
                and_ = bmp[and_at + row * stride + x // 8] & bit
                if and_:
                    line.append("inverted" if xor else "transparent")
                else:
                    line.append(colour[1 if xor else 0])
            pixels.append(line)
        return pixels

    def check_drawing(self, what, pixels, columns, rows, top_columns):
        drawn = [(x, y) for y in range(CURSOR_SIZE) for x in range(CURSOR_SIZE)
                 if pixels[y][x] != "transparent"]
        if not self.expect(drawn, "%s: nothing is drawn" % what):
            return
        kinds = {pixels[y][x] for x, y in drawn}
        self.expect(kinds == {"black", "white"}, "%s: drawn pixels are %s, expected black and white only"
                    % (what, ", ".join(sorted(kinds))))
        xs = [x for x, _ in drawn]
        ys = [y for _, y in drawn]
        self.expect((min(xs), max(xs)) == columns, "%s: drawn columns %d to %d, expected %d to %d"
                    % (what, min(xs), max(xs), columns[0], columns[1]))
        self.expect((min(ys), max(ys)) == rows, "%s: drawn rows %d to %d, expected %d to %d"
                    % (what, min(ys), max(ys), rows[0], rows[1]))
        top = {x for x, y in drawn if y == rows[0]}
        self.expect(top == top_columns, "%s: row %d is drawn at columns %s, expected %s"
                    % (what, rows[0], sorted(top), sorted(top_columns)))
        for x in top_columns:
            self.expect(pixels[rows[0]][x] == "black", "%s: the tip (%d, %d) is %s, expected black"
                        % (what, x, rows[0], pixels[rows[0]][x]))
        # A black outline: no white pixel touches a transparent one or the edge.
        leaks = []
        for x, y in drawn:
            if pixels[y][x] != "white":
                continue
            for nx, ny in ((x - 1, y), (x + 1, y), (x, y - 1), (x, y + 1)):
                if not (0 <= nx < CURSOR_SIZE and 0 <= ny < CURSOR_SIZE) \
                        or pixels[ny][nx] == "transparent":
                    leaks.append((x, y))
                    break
        self.expect(not leaks, "%s: white pixels outside the black outline at %s"
                    % (what, leaks[:8]))

    # Icon.
    def icons(self, pe):
        group = self.get(RT_GROUP_ICON, ICON_GROUP)
        reserved, kind, count = struct.unpack_from("<HHH", group, 0)
        self.expect((reserved, kind) == (0, 1), "icon %d: group header is (%d, %d), expected (0, 1)"
                    % (ICON_GROUP, reserved, kind))
        if not self.expect(count == len(ICON_IMAGES) and len(group) == 6 + 14 * count,
                           "icon %d: group holds %d images in %d bytes, expected %d in %d"
                           % (ICON_GROUP, count, len(group), len(ICON_IMAGES), 6 + 14 * len(ICON_IMAGES))):
            return
        for i, (image_id, side) in enumerate(ICON_IMAGES):
            what = "icon %d, image %d" % (ICON_GROUP, image_id)
            (width, height, colours, reserved, planes, bits, size, nid) = \
                struct.unpack_from("<BBBBHHIH", group, 6 + 14 * i)
            self.expect(nid == image_id, "icon %d: entry %d names image %d, expected %d"
                        % (ICON_GROUP, i + 1, nid, image_id))
            self.expect((width, height, colours, reserved, planes, bits) == (side, side, 0, 0, 1, ICON_BITS),
                        "%s: group entry is %dx%d, %d colours, reserved %d, %d planes, %d bits; "
                        "expected %dx%d, 0, 0, 1, %d" % (what, width, height, colours, reserved, planes,
                                                        bits, side, side, ICON_BITS))
            image = self.get(RT_ICON, image_id)
            self.expect(size == len(image), "%s: group entry gives %d bytes, image has %d"
                        % (what, size, len(image)))
            (hsize, bw, bh, planes, bits, compression, _, _, _, used, _) = \
                struct.unpack_from("<IiiHHIIiiII", image, 0)
            if not self.expect((hsize, bw, bh, planes, bits, compression, used)
                               == (40, side, 2 * side, 1, ICON_BITS, 0, 0),
                               "%s: bitmap header (size, width, height, planes, bits, compression, "
                               "colours) is %s, expected %s"
                               % (what, (hsize, bw, bh, planes, bits, compression, used),
                                  (40, side, 2 * side, 1, ICON_BITS, 0, 0))):
                continue
            stride = align4(side * 3)
            mask_stride = align4((side + 7) // 8)
            mask_at = 40 + stride * side
            if not self.expect(len(image) == mask_at + mask_stride * side,
                               "%s: %d bytes, expected %d (colour bitmap and 1-bit mask)"
                               % (what, len(image), mask_at + mask_stride * side)):
                continue
            opaque = clear = coloured_clear = 0
            for row in range(side):
                for x in range(side):
                    masked = image[mask_at + row * mask_stride + x // 8] & (0x80 >> (x % 8))
                    pixel = image[40 + row * stride + 3 * x:40 + row * stride + 3 * x + 3]
                    if masked:
                        clear += 1
                        coloured_clear += pixel != b"\0\0\0"
                    else:
                        opaque += 1
            self.expect(opaque > 0, "%s: the mask hides every pixel" % what)
            self.expect(clear > 0, "%s: the mask shows every pixel (no transparency)" % what)
            self.expect(coloured_clear == 0, "%s: %d transparent pixels are not black in the colour "
                        "bitmap, so they would tint the background" % (what, coloured_clear))

    # Version block.
    def version(self, pe):
        data = self.get(RT_VERSION, 1)
        root = self.read_version_node(data, 0, len(data), "root")
        key, wtype, value, children = root
        self.expect(key == "VS_VERSION_INFO", "version: root key is %r" % key)
        if self.expect(len(value) == 52, "version: fixed part is %d bytes, expected 52" % len(value)):
            fields = struct.unpack("<13I", value)
            for (name, want), got in zip(VERSION_FIXED, fields):
                self.expect(got == want, "version: %s is 0x%X, expected 0x%X" % (name, got, want))
        blocks = [c[0] for c in children]
        self.expect(sorted(blocks) == ["StringFileInfo", "VarFileInfo"],
                    "version: blocks are %s, expected StringFileInfo and VarFileInfo" % blocks)
        for key, wtype, value, children in (c for c in root[3]):
            if key == "StringFileInfo":
                tables = [c[0] for c in children]
                if not self.expect(tables == [VERSION_TABLE], "version: string tables %s, expected [%r]"
                                   % (tables, VERSION_TABLE)):
                    continue
                self.check_strings(children[0][3])
            elif key == "VarFileInfo":
                names = [c[0] for c in children]
                if not self.expect(names == ["Translation"], "version: VarFileInfo holds %s, expected "
                                   "['Translation']" % names):
                    continue
                got = children[0][2]
                self.expect(got == VERSION_TRANSLATION, "version: Translation is %s, expected 0409 04b0"
                            % got.hex())

    def check_strings(self, strings):
        values = {}
        for key, wtype, value, _ in strings:
            self.expect(key not in values, "version: string %s appears twice" % key)
            text = value.decode("utf-16-le", "replace")
            cut = text.find("\0")
            if cut >= 0:
                self.expect(text[cut:].strip("\0") == "", "version: %s has text after its end: %r"
                            % (key, text))
                text = text[:cut]
            values[key] = text
        for key, want in VERSION_STRINGS_EXACT.items():
            if self.expect(key in values, "version: string %s is missing" % key):
                self.expect(values[key] == want, "version: %s is %r, expected %r" % (key, values[key], want))
        for key in VERSION_STRINGS_IDENTITY:
            if self.expect(key in values, "version: string %s is missing" % key):
                self.expect(values[key] != "", "version: %s is empty" % key)
        extra = set(values) - set(VERSION_STRINGS_EXACT) - set(VERSION_STRINGS_IDENTITY)
        self.expect(not extra, "version: unexpected strings %s" % sorted(extra))

    # Node kinds, root to leaf: the root, its blocks (StringFileInfo and
    # VarFileInfo), string tables, and the strings or vars inside.
    CHILD_KIND = {"root": "block", "StringFileInfo": "table", "VarFileInfo": "var", "table": "string"}

    def read_version_node(self, data, offset, limit, kind):
        """(key, type, value bytes, children) of the node at offset."""
        length, value_length, wtype = struct.unpack_from("<HHH", data, offset)
        end = offset + length
        if length < 6 or end > limit:
            raise Broken("version: %s node of %d bytes runs past its parent" % (kind, length))
        key, pos = read_utf16z(data, offset + 6, "version key")
        pos = align4(pos)
        if kind == "string":
            # Compilers disagree on how a string's value length is counted:
            # take the rest of the node and let the caller cut at the NUL.
            return key, wtype, data[pos:end], []
        value_bytes = value_length * (2 if wtype == 1 else 1)
        value = data[pos:pos + value_bytes]
        pos = align4(pos + value_bytes)
        children = []
        child_kind = self.CHILD_KIND.get(key if kind == "block" else kind, "unknown")
        while pos < end:
            children.append(self.read_version_node(data, pos, end, child_kind))
            pos = align4(pos + struct.unpack_from("<H", data, pos)[0])
        return key, wtype, value, children


def main(argv):
    args = argv[1:]
    bits = None
    checker = False
    while args[:1] in (["--bits"], ["--checker"]):
        if args[0] == "--checker":
            checker = True
            args = args[1:]
            continue
        if len(args) < 2 or args[1] not in ("32", "64"):
            sys.stderr.write("check_resources.py: --bits takes 32 or 64\n")
            return 2
        bits = int(args[1])
        args = args[2:]
    if not args:
        sys.stderr.write("usage: check_resources.py [--bits 32|64] [--checker] FILE.exe [more.exe ...]\n")
        return 2
    status = 0
    for path in args:
        check = Check(path, bits, checker)
        check.run()
        if check.failures:
            status = 1
            for line in check.failures:
                print("FAIL %s: %s" % (path, line) if not line.startswith("    ") else line)
            print("%s: %d failure(s) in %d checks" % (path, sum(1 for l in check.failures
                                                              if not l.startswith("    ")), check.checks))
        else:
            print("%s: all %d checks passed" % (path, check.checks))
    return status


if __name__ == "__main__":
    sys.exit(main(sys.argv))
