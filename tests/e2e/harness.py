"""End-to-end harness: runs the real launcher under Wine on the test run's
Xvfb display and looks at it from outside: the shipped 32-bit launcher in
the WoW64 environment (Debian 13's Wine 10), or the 64-bit build of the same
sources under Debian 12's wine64 (tests/wine/).

Pieces:
  Media      a temporary media folder: the launcher copied in under a chosen
             base name, its INI file, BMP files, copies of the child program.
  Launch     one running launcher, started in the background; its windows
             (through the probe), message boxes, exit code.
  Probe      the Win32 probe program (probe.cpp) run in the same prefix.
  Screen     the X display: keys and clicks with xdotool, screenshots.
  E2ETestCase  unittest base class that cleans up whatever a test started.

Everything is found through the environment that CTest sets (see
e2e_tests.cmake): SETUPMENU_E2E_BITS (32 or 64) and SETUPMENU_E2E_LAUNCHER,
the build under test, with SETUPMENU_E2E_CHECKER, its checker; SETUPMENU_E2E_PROBE, SETUPMENU_E2E_CHILD,
SETUPMENU_E2E_PLANTED_DLL (a uxtheme.dll that marks the processes that load
it), SETUPMENU_E2E_UNLOCKED_LAUNCHER (the launcher without its lock on the
DLL search), SETUPMENU_WINE_RUN (the environment's wrapper),
SETUPMENU_WINE_STATE (prefix, display) and SETUPMENU_E2E_WORK (where media
folders go). Set SETUPMENU_E2E_KEEP=1 to keep the media folders.

No process that this module starts writes to a pipe that Python waits on:
Wine's helper processes outlive the programs they serve, so every output
goes through a temporary file.
"""

import atexit
import json
import os
import shutil
import signal
import struct
import subprocess
import sys
import tempfile
import time
import unittest

# Control ids of the launcher's dialogs.
ID_MAIN_IMAGE = 1006
ID_BUTTON_NORMAL = {1: 1007, 2: 1008, 3: 1009}
ID_BUTTON_SELECTED = {1: 1011, 2: 1012, 3: 1010}
ID_CANCEL = 1014
ID_CANCEL_SELECTED = 1013
ID_BACKDROP_OK = 1
ID_SPLASH_IMAGE = 1009
IDOK = 1
IDCANCEL = 2

# Static control styles.
WS_VISIBLE = 0x10000000
SS_TYPEMASK = 0x1F
SS_BITMAP = 0x0E

HTCLOSE = 20
SCREEN_SIZE = (1024, 768)

WAIT_TIMEOUT = 20.0


class Environment:
    """Paths of the programs under test and of the Wine environment."""

    def __init__(self):
        env = os.environ
        missing = [name for name in ("SETUPMENU_E2E_LAUNCHER", "SETUPMENU_E2E_PROBE", "SETUPMENU_WINE_RUN",
                                     "SETUPMENU_WINE_STATE") if not env.get(name)]
        if missing:
            raise RuntimeError("missing environment: " + ", ".join(missing) + " (run the tests through ctest)")
        self.launcher = env["SETUPMENU_E2E_LAUNCHER"]
        self.checker = env.get("SETUPMENU_E2E_CHECKER", "")
        self.bits = int(env.get("SETUPMENU_E2E_BITS", "64"))
        self.probe = env["SETUPMENU_E2E_PROBE"]
        self.child = env.get("SETUPMENU_E2E_CHILD", "")
        self.planted_dll = env.get("SETUPMENU_E2E_PLANTED_DLL", "")
        self.unlocked_launcher = env.get("SETUPMENU_E2E_UNLOCKED_LAUNCHER", "")
        self.wrapper = env["SETUPMENU_WINE_RUN"]
        self.state = env["SETUPMENU_WINE_STATE"]
        self.work = env.get("SETUPMENU_E2E_WORK") or tempfile.gettempdir()
        self.keep = env.get("SETUPMENU_E2E_KEEP") == "1"
        with open(os.path.join(self.state, "display")) as f:
            self.display = f.read().strip()


_environment = None


def environment():
    global _environment
    if _environment is None:
        _environment = Environment()
    return _environment


def winpath(path):
    """The Windows name of a Linux path: drive Z: is the root."""
    return "Z:" + os.path.abspath(path).replace("/", "\\")


def run_quietly(argv, timeout, env=None):
    """Runs a program with its output in temporary files; (code, out, err)."""
    with tempfile.TemporaryFile() as out, tempfile.TemporaryFile() as err:
        try:
            code = subprocess.run(argv, stdin=subprocess.DEVNULL, stdout=out, stderr=err, timeout=timeout,
                                  env=env).returncode
        except subprocess.TimeoutExpired:
            code = None
        out.seek(0)
        err.seek(0)
        return code, out.read().decode("latin-1"), err.read().decode("latin-1")


def wine_reg(*args):
    """Runs Wine's reg.exe in the test prefix (reg add KEY /v NAME ...);
    its 64-bit build, so keys land in the 64-bit view unless /reg:32."""
    env = environment()
    code, out, err = run_quietly([env.wrapper, "reg"] + list(args), 60)
    if code != 0:
        raise AssertionError("reg %s failed (%s): %s%s" % (" ".join(args), code, out, err))


# --- the probe ---------------------------------------------------------------------------------

def _filter_args(pid=None, exe=None, title=None, cls=None, hwnd=None, child=None):
    args = []
    if pid is not None:
        args += ["--pid", str(pid)]
    if exe is not None:
        args += ["--exe", exe]
    if title is not None:
        args += ["--title", title]
    if cls is not None:
        args += ["--class", cls]
    if hwnd is not None:
        args += ["--hwnd", hwnd if isinstance(hwnd, str) else hex(hwnd)]
    if child is not None:
        args += ["--child", str(child)]
    return args


class Probe:
    """The probe program, run in the test prefix. Window filters are keyword
    arguments: pid, exe, title, cls, hwnd, child (see probe.cpp).

    One probe runs as a server for the whole test process (a Wine start
    costs about half a second); commands reach it through files. Set
    SETUPMENU_E2E_PROBE_SERVER=0 to start a probe for every command."""

    def __init__(self):
        self.server = None
        self.dir = None
        self.sequence = 0

    def call(self, command, args=(), timeout=30.0):
        argv = [command] + [str(a) for a in args]
        if os.environ.get("SETUPMENU_E2E_PROBE_SERVER") == "0":
            env = environment()
            code, out, _ = run_quietly([env.wrapper, env.probe] + argv, timeout)
        else:
            code, out = self._ask(argv, timeout)
        if code is None:
            raise AssertionError("probe %s did not answer within %ss" % (" ".join(argv), timeout))
        return code, out

    def _start_server(self):
        env = environment()
        if self.dir is None:
            os.makedirs(env.work, exist_ok=True)
            self.dir = tempfile.mkdtemp(prefix="probe-", dir=env.work)
            atexit.register(self.stop_server)
        self.log = tempfile.TemporaryFile()
        self.server = subprocess.Popen([env.wrapper, env.probe, "serve", winpath(self.dir)],
                                       stdin=subprocess.DEVNULL, stdout=self.log, stderr=self.log,
                                       start_new_session=True)

    def _ask(self, argv, timeout):
        if self.server is None or self.server.poll() is not None:
            self._start_server()
        self.sequence += 1
        response = os.path.join(self.dir, "response-%d" % self.sequence)
        partial = os.path.join(self.dir, "request.tmp")
        with open(partial, "wb") as f:
            f.write(("\n".join([str(self.sequence)] + argv) + "\n").encode("latin-1"))
        os.rename(partial, os.path.join(self.dir, "request"))
        deadline = time.monotonic() + timeout + 10  # the first answer includes Wine's start
        while not os.path.exists(response):
            if time.monotonic() > deadline or self.server.poll() is not None:
                self.stop_server()
                return None, ""
            time.sleep(0.005)
        with open(response, "rb") as f:
            text = f.read().decode("latin-1")
        os.unlink(response)
        code, _, out = text.partition("\n")
        return int(code), out

    def stop_server(self):
        if self.server is None:
            return
        if self.server.poll() is None:
            try:
                with open(os.path.join(self.dir, "request.tmp"), "wb") as f:
                    f.write(b"0\nquit\n")
                os.rename(os.path.join(self.dir, "request.tmp"), os.path.join(self.dir, "request"))
                self.server.wait(5)
            except (OSError, subprocess.TimeoutExpired):
                try:
                    os.killpg(self.server.pid, signal.SIGKILL)
                except ProcessLookupError:
                    pass
                self.server.wait(5)
        self.log.close()
        self.server = None
        shutil.rmtree(self.dir, ignore_errors=True)
        self.dir = None

    def dump(self, **flt):
        code, out = self.call("dump", _filter_args(**flt))
        if code != 0:
            raise AssertionError("probe dump failed (%s): %s" % (code, out))
        return [Window(w) for w in json.loads(out)["windows"]]

    def wait(self, timeout=WAIT_TIMEOUT, visible=True, **flt):
        """Waits for a matching top-level window; returns all top-level
        windows of its process, or None after the timeout."""
        args = _filter_args(**flt) + ["--timeout", str(int(timeout * 1000))]
        if visible:
            args.append("--visible")
        code, out = self.call("wait", args, timeout + 20)
        if code == 1:
            return None
        if code != 0:
            raise AssertionError("probe wait failed (%s): %s" % (code, out))
        return [Window(w) for w in json.loads(out)["windows"]]

    def gone(self, timeout=WAIT_TIMEOUT, **flt):
        """Waits until no matching top-level window is visible; True if so."""
        code, _ = self.call("gone", _filter_args(**flt) + ["--timeout", str(int(timeout * 1000))], timeout + 20)
        return code == 0

    def msgbox(self, press=None, caption=None, timeout=WAIT_TIMEOUT, **flt):
        """Waits for a visible message box; returns {caption, text, buttons,
        owner, pid, icon, hwnd} or None. press: "ok", "cancel" or "close"."""
        args = _filter_args(**flt) + ["--timeout", str(int(timeout * 1000))]
        if caption is not None:
            args += ["--caption", caption]
        if press:
            args += ["--press", press]
        code, out = self.call("msgbox", args, timeout + 20)
        if code == 1 and not out.strip():
            return None
        if code != 0:
            raise AssertionError("probe msgbox failed (%s): %s" % (code, out))
        return json.loads(out)

    def command(self, control_id, **flt):
        code, _ = self.call("command", _filter_args(**flt) + [str(control_id)])
        return code == 0

    def syscommand_close(self, **flt):
        code, _ = self.call("syscommand", _filter_args(**flt) + ["close"])
        return code == 0

    def hittest(self, hwnd, x, y):
        code, out = self.call("hittest", _filter_args(hwnd=hwnd) + [str(x), str(y)])
        if code != 0:
            raise AssertionError("probe hittest failed (%s)" % code)
        return int(out.strip())

    def metrics(self):
        """The running system's layout figures: base_units (of the dialogs'
        font), dlgframe, caption, screen."""
        code, out = self.call("metrics")
        if code != 0:
            raise AssertionError("probe metrics failed (%s)" % code)
        return json.loads(out)

    def procs(self, **flt):
        code, out = self.call("procs", _filter_args(**flt))
        if code != 0:
            raise AssertionError("probe procs failed (%s)" % code)
        return json.loads(out)["processes"]

    def manifest(self, exe_win):
        """The manifest of a program file (Windows path) as the system reads
        it: {run_level, ui_access, os: [guid...]}; AssertionError without one."""
        code, out = self.call("manifest", [exe_win])
        if code != 0:
            raise AssertionError("probe manifest failed (%s): %s" % (code, out))
        return json.loads(out)

    def usage(self, pid):
        """What a process holds: {gdi: {total, stock, dc, region, bitmap, font,
        brush, pen, palette, other} or None, windows: {top, child, message},
        private, working_set} (bytes)."""
        code, out = self.call("usage", ["--pid", pid])
        if code != 0:
            raise AssertionError("probe usage failed (%s): %s" % (code, out))
        return json.loads(out)

    def accessible(self, hwnd, press=False, window=False, wide=False):
        """{name, role, state, action} of a window's accessible object, as a
        screen reader reads it; press runs its default action; window: the
        window's own object rather than its client object. None: no object.
        wide: the name as the W calls give it, in any script (else as the code page holds it)."""
        _, out = self.call("acc", _filter_args(hwnd=hwnd) + (["--press", "default"] if press else []) +
                           (["window"] if window else []))
        if not out.strip():
            return None
        reading = json.loads(out)
        wide_name = reading.pop("wide_name", None)
        if wide:
            reading["name"] = wide_name
        return reading

    def focus_events(self):
        """Handles of the windows of the focus events since the last call."""
        return [int(h, 16) for h in json.loads(self.call("focus-events")[1])["events"]]

    def keyboard_cues(self, shown=None):
        """Whether keyboard cues show at all times (before setting it to shown)."""
        return self.call("keyboard-cues", [] if shown is None else [int(shown)])[1].strip() == "1"

    def kill(self, **flt):
        if not flt.get("pid") and not flt.get("exe"):
            raise ValueError("kill needs a pid or an exe name")
        code, out = self.call("kill", _filter_args(**flt))
        return json.loads(out)["processes"] if code == 0 else []


probe = Probe()


class Window(dict):
    """One window of a probe dump (a dict) with a few helpers."""

    def __init__(self, data):
        super().__init__(data)
        self["children"] = [Window(c) for c in data.get("children", [])]

    @property
    def hwnd(self):
        return int(self["hwnd"], 16)

    @property
    def children(self):
        return self["children"]

    def child(self, control_id):
        """The direct child with that control id (the first in z-order)."""
        for c in self["children"]:
            if c["id"] == control_id:
                return c
        raise KeyError("no child with id %d in %s" % (control_id, self.get("text")))

    def has_child(self, control_id):
        return any(c["id"] == control_id for c in self["children"])

    @property
    def visible(self):
        return self["visible"]

    @property
    def rect(self):
        return tuple(self["rect"])

    def centre(self):
        left, top, right, bottom = self["rect"]
        return (left + right) // 2, (top + bottom) // 2

    @property
    def is_message_box(self):
        return self["class"] == "#32770" and any(c["id"] == 0xFFFF for c in self["children"])


def crash_dialogs():
    """Visible windows of Wine's crash handler (winedbg's "Program Error"
    box) anywhere in the prefix: [(exe, caption)]."""
    return [(w.get("exe", ""), w["text"]) for w in probe.dump()
            if w.visible and (w.get("exe", "").lower() == "winedbg.exe"
                              or (w["class"] == "#32770" and "Program Error" in w["text"]))]


def find_menu(windows):
    """The menu dialog among a process's top-level windows (it has the Cancel control)."""
    for w in windows or []:
        if w["class"] == "#32770" and w.has_child(ID_CANCEL) and not w.is_message_box:
            return w
    return None


def find_backdrop(windows):
    """The backdrop among a process's top-level windows (it has the hidden OK button)."""
    for w in windows or []:
        if w["class"] == "#32770" and w.has_child(ID_BACKDROP_OK) and w.has_child(ID_SPLASH_IMAGE) \
                and not w.has_child(ID_CANCEL):
            return w
    return None


# --- the X display -----------------------------------------------------------------------------

class Image:
    """An RGB screenshot."""

    def __init__(self, width, height, data):
        self.width, self.height, self.data = width, height, data

    def pixel(self, x, y):
        i = (y * self.width + x) * 3
        return tuple(self.data[i:i + 3])

    def region(self, left, top, right, bottom):
        """Pixels of a rectangle (right and bottom excluded), row by row."""
        return [self.pixel(x, y) for y in range(top, bottom) for x in range(left, right)]

    def count(self, colour, rect, tolerance=0):
        return sum(1 for p in self.region(*rect) if colour_close(p, colour, tolerance))


def colour_close(a, b, tolerance=0):
    return all(abs(x - y) <= tolerance for x, y in zip(a, b))


def parse_ppm(blob):
    """Parses a binary PPM (P6) with 8-bit samples."""
    fields = []
    pos = 0
    while len(fields) < 4:
        while blob[pos:pos + 1].isspace():
            pos += 1
        if blob[pos:pos + 1] == b"#":
            pos = blob.index(b"\n", pos) + 1
            continue
        end = pos
        while not blob[end:end + 1].isspace():
            end += 1
        fields.append(blob[pos:end])
        pos = end
    if fields[0] != b"P6" or int(fields[3]) != 255:
        raise ValueError("not an 8-bit P6 image")
    width, height = int(fields[1]), int(fields[2])
    pos += 1
    return Image(width, height, blob[pos:pos + width * height * 3])


class Screen:
    """The test run's X display: input through xdotool, screenshots through
    ImageMagick. Screen coordinates are those of the Windows virtual desktop,
    which fills the display from its top left corner."""

    def _run(self, argv, timeout=20):
        env = dict(os.environ, DISPLAY=environment().display)
        code, out, err = run_quietly(argv, timeout, env)
        if code != 0:
            raise AssertionError("%s failed (%s): %s" % (argv[0], code, err))
        return out

    def xdotool(self, *args):
        return self._run(["xdotool"] + [str(a) for a in args])

    def key(self, *names):
        self.xdotool("key", "--delay", "50", *names)

    def move(self, x, y):
        self.xdotool("mousemove", x, y)

    def click(self, x, y, button=1):
        # A small move first, so that the program sees real motion at the point.
        self.xdotool("mousemove", x + 1, y, "mousemove", x, y, "click", button)

    def park_pointer(self):
        """Moves the pointer to the bottom right corner, away from any control."""
        self.move(SCREEN_SIZE[0] - 1, SCREEN_SIZE[1] - 1)

    def screenshot(self, settle=True, timeout=5.0):
        """The whole screen. settle: wait until two shots in a row agree, so
        that windows just shown have been painted."""
        shot = self._shoot()
        deadline = time.monotonic() + timeout
        while settle and time.monotonic() < deadline:
            time.sleep(0.1)
            again = self._shoot()
            if again.data == shot.data:
                break
            shot = again
        return shot

    def _shoot(self):
        with tempfile.NamedTemporaryFile(suffix=".ppm") as f:
            self._run(["import", "-window", "root", "-depth", "8", "ppm:" + f.name], timeout=30)
            with open(f.name, "rb") as g:
                return parse_ppm(g.read())


screen = Screen()


# --- media folders -----------------------------------------------------------------------------

def bmp_bytes(width, height, colour):
    """A 24-bit bottom-up BMP. colour is an (r, g, b) tuple, or a function
    (x, y) -> (r, g, b) with y counted from the top of the picture."""
    pick = colour if callable(colour) else (lambda x, y: colour)
    stride = (width * 3 + 3) & ~3
    rows = []
    for y in range(height - 1, -1, -1):
        row = bytearray()
        for x in range(width):
            r, g, b = pick(x, y)
            row += bytes((b, g, r))
        row += b"\0" * (stride - len(row))
        rows.append(bytes(row))
    pixels = b"".join(rows)
    header = struct.pack("<2sIHHI", b"BM", 14 + 40 + len(pixels), 0, 0, 14 + 40)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, len(pixels), 2835, 2835, 0, 0)
    return header + info + pixels


def ini_text(sections):
    """INI text from {section: {key: value}} (insertion order kept), or from
    a list of (section, [(key, value)...]) pairs. A value of None writes the
    key without '='."""
    items = sections.items() if isinstance(sections, dict) else sections
    lines = []
    for section, keys in items:
        lines.append("[%s]" % section)
        pairs = keys.items() if isinstance(keys, dict) else keys
        for key, value in pairs:
            lines.append(key if value is None else "%s=%s" % (key, value))
        lines.append("")
    return "\r\n".join(lines)


VALID_INI = {"Version": {"Release": "1"}}


class Media:
    """A temporary media folder holding a copy of the launcher."""

    def __init__(self, base="SETUP", ext=".exe", dirname=None):
        env = environment()
        os.makedirs(env.work, exist_ok=True)
        self.root = tempfile.mkdtemp(prefix="media-", dir=env.work)
        self.dir = os.path.join(self.root, dirname) if dirname else self.root
        os.makedirs(self.dir, exist_ok=True)
        self.base = base
        self.exe_name = base + ext
        shutil.copyfile(env.launcher, self.path(self.exe_name))
        self.programs = [self.exe_name]
        self.launches = []

    def path(self, name=""):
        return os.path.join(self.dir, name)

    def winpath(self, name=""):
        """Windows path of a file in the folder; of the folder itself, with
        its trailing backslash, when name is empty."""
        return winpath(self.dir) + "\\" + name.replace("/", "\\")

    @property
    def ini_name(self):
        return self.base + ".INI"

    @property
    def log_name(self):
        return self.base + ".log"

    def write(self, name, data):
        if isinstance(data, str):
            data = data.encode("latin-1")
        with open(self.path(name), "wb") as f:
            f.write(data)

    def read(self, name):
        with open(self.path(name), "rb") as f:
            return f.read()

    def exists(self, name):
        return os.path.exists(self.path(name))

    def write_ini(self, sections=None, name=None, text=None):
        """Writes the configuration file (default: <base>.INI)."""
        if text is None:
            text = ini_text(VALID_INI if sections is None else sections)
        self.write(name or self.ini_name, text)

    def write_bmp(self, name, width, height, colour):
        self.write(name, bmp_bytes(width, height, colour))

    def add_child(self, name):
        """Copies the child program in as name; it records each start in
        <name without extension>.record."""
        shutil.copyfile(environment().child, self.path(name))
        self.programs.append(name)

    def add_copy(self, source, name, program=False):
        """Copies a file in as name; a program is ended at cleanup if it still runs."""
        shutil.copyfile(source, self.path(name))
        if program:
            self.programs.append(name)

    def records(self, name):
        """The starts the child program copied in as name has recorded:
        a list of dicts with pid, cwd, cmdline, show."""
        record = self.path(os.path.splitext(name)[0] + ".record")
        if not os.path.exists(record):
            return []
        with open(record, "rb") as f:
            lines = f.read().decode("latin-1").split("\r\n")
        result = []
        for line in lines:
            if line:
                result.append(dict(field.split("=", 1) for field in line.split("|")))
        return result

    def wait_records(self, name, count, timeout=WAIT_TIMEOUT):
        """Waits until the child has recorded at least count starts."""
        deadline = time.monotonic() + timeout
        while True:
            records = self.records(name)
            if len(records) >= count or time.monotonic() > deadline:
                return records
            time.sleep(0.1)

    def start(self, tail=None, cmdline=None, cwd=None, exe=None, park=True, env=None):
        """Starts the launcher in the background. tail: the command tail
        (after the quoted program path and a blank); cmdline: the whole raw
        command line instead. cwd: the current directory it starts in
        (default: the work folder, not the media folder). park: first move
        the pointer to the corner of the screen, away from the menu. env:
        extra environment variables for its Wine process (WINEPATH=dirs puts
        Windows folders in front of its search path; WINEDLLOVERRIDES is
        added to the wrapper's own overrides)."""
        if park:
            screen.park_pointer()
        exe_win = self.winpath(exe or self.exe_name)
        if cmdline is None:
            cmdline = '"%s"' % exe_win
            if tail is not None:
                cmdline += " " + tail
        launch = Launch(self, exe_win, cmdline, cwd or winpath(environment().work), env)
        self.launches.append(launch)
        return launch

    def cleanup(self):
        """Ends every program of this folder that still runs and removes it."""
        stray = any(launch.running for launch in self.launches) or len(self.programs) > 1
        for launch in self.launches:
            launch.stop()
        if stray:
            names = {name.lower() for name in self.programs}
            try:
                for process in probe.procs():
                    if process["exe"].lower() in names:
                        probe.kill(pid=process["pid"])
            except AssertionError:
                pass
        if not environment().keep:
            shutil.rmtree(self.root, ignore_errors=True)


class Launch:
    """One launcher process, started through the probe's run command so
    that its command line arrives byte for byte."""

    def __init__(self, media, exe_win, cmdline, cwd, extra_env=None):
        env = environment()
        self.media = media
        self.cmdline = cmdline
        handle, self.pidfile = tempfile.mkstemp(prefix="pid-", dir=env.work)
        os.close(handle)
        os.unlink(self.pidfile)
        self.out = tempfile.TemporaryFile()
        argv = [env.wrapper, env.probe, "run", "--pidfile", winpath(self.pidfile), "--cwd", cwd]
        try:
            argv += [exe_win, cmdline.encode("latin-1").hex()]
        except UnicodeEncodeError:  # a name the ANSI code page cannot hold: a wide start
            argv += ["--utf8", exe_win.encode().hex(), cmdline.encode().hex()]
        self.process = subprocess.Popen(argv, stdin=subprocess.DEVNULL, stdout=self.out, stderr=self.out,
                                        start_new_session=True,
                                        env=dict(os.environ, **extra_env) if extra_env else None)
        self._pid = None
        self.exit_code = None

    @property
    def pid(self):
        """The Windows process id of the launcher."""
        if self._pid is None:
            deadline = time.monotonic() + WAIT_TIMEOUT
            while self._pid is None:
                try:
                    with open(self.pidfile) as f:
                        text = f.read().strip()
                    if text:
                        self._pid = int(text)
                        os.unlink(self.pidfile)
                        break
                except FileNotFoundError:
                    pass
                if self.process.poll() is not None:
                    raise AssertionError("the launcher did not start: " + self.output())
                if time.monotonic() > deadline:
                    raise AssertionError("no process id from the probe")
                time.sleep(0.05)
        return self._pid

    def output(self):
        self.out.seek(0)
        return self.out.read().decode("latin-1")

    @property
    def running(self):
        return self.process.poll() is None

    def windows(self):
        return probe.dump(pid=self.pid)

    def wait_menu(self, timeout=WAIT_TIMEOUT):
        """Waits until the menu dialog is visible; returns (backdrop, menu)."""
        windows = probe.wait(pid=self.pid, child=ID_CANCEL, timeout=timeout)
        if windows is None:
            raise AssertionError("the menu dialog did not appear; exit code %s" % self.process.poll())
        return find_backdrop(windows), find_menu(windows)

    def menu(self):
        return find_menu(self.windows())

    def msgbox(self, press=None, caption=None, timeout=WAIT_TIMEOUT):
        return probe.msgbox(press=press, caption=caption, timeout=timeout, pid=self.pid)

    def command(self, control_id):
        """Posts WM_COMMAND with control_id to the menu dialog."""
        return probe.command(control_id, pid=self.pid, child=ID_CANCEL)

    def click_control(self, control_id, menu=None):
        """Really clicks the centre of a control of the menu dialog."""
        menu = menu or self.menu()
        control = menu.child(control_id)
        if not control.visible:
            raise AssertionError("control %d is not visible" % control_id)
        screen.click(*control.centre())

    def wait_exit(self, timeout=WAIT_TIMEOUT):
        """Waits for the end; returns the exit code. A launcher that does not
        end in time is killed and the test fails."""
        try:
            self.exit_code = self.process.wait(timeout)
        except subprocess.TimeoutExpired:
            self.stop()
            raise AssertionError("the launcher did not end within %ss" % timeout)
        return self.exit_code

    def stop(self):
        """Ends the launcher if it still runs: through the probe first, then
        by killing the Linux processes of its runner (never the wineserver)."""
        if self.process.poll() is not None:
            self.out.close()
            return
        try:
            probe.kill(pid=self.pid)
        except AssertionError:
            pass
        try:
            self.process.wait(10)
        except subprocess.TimeoutExpired:
            try:
                os.killpg(self.process.pid, signal.SIGKILL)
            except ProcessLookupError:
                pass
            self.process.wait(10)
        self.out.close()


class E2ETestCase(unittest.TestCase):
    """Base class: media folders made with self.media() are cleaned up after
    the test, whatever it left running."""

    def media(self, base="SETUP", ini=VALID_INI, **kwargs):
        m = Media(base, **kwargs)
        if ini is not None:
            m.write_ini(ini)
        self.addCleanup(m.cleanup)
        return m

    def start_menu(self, media, **kwargs):
        """Starts the launcher and waits for its menu: (launch, backdrop, menu)."""
        launch = media.start(**kwargs)
        backdrop, menu = launch.wait_menu()
        return launch, backdrop, menu

    def assertNoMessageBox(self, launch, timeout=1.0):
        box = launch.msgbox(timeout=timeout)
        self.assertIsNone(box, "unexpected message box: %s" % box)

    def end_with_escape(self, launch):
        """Presses Escape and returns the exit code."""
        screen.key("Escape")
        return launch.wait_exit()


SKIPPED = 77  # CTest's SKIP_RETURN_CODE for these tests


def main():
    state = os.environ.get("SETUPMENU_WINE_STATE", "")
    reason = os.path.join(state, "unavailable")
    if state and os.path.exists(reason):
        with open(reason) as f:
            print("SKIPPED: the %s-bit launcher cannot run here: %s"
                  % (os.environ.get("SETUPMENU_E2E_BITS", "?"), f.read().strip()))
        sys.exit(SKIPPED)
    unittest.main(verbosity=2)
