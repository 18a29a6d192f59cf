#!/usr/bin/env python3
"""Runs the benchmarks of the launcher and prints one table.

    bench.py --build BUILD_DIR [--runs N] [--leaves N] [--cost-runs N]

BUILD_DIR is where scripts/bench.sh built the two trees of bench/ (w32: the
product as shipped and its floor; w64: the same sources for wine64, with the
floor, the timing build and the measuring helper) and started two Wine
environments: Debian 12's wine64 (BUILD_DIR/wine) and Debian 13's Wine 10 in
WoW64 mode (BUILD_DIR/wine-wow64), which runs the 32-bit programs. Every
figure stands next to a floor measured in the same run on the same machine:

  1. size of the 32-bit product, stripped, against the floor program built by
     the same toolchain with the same flags;
  2. start-up, from just before CreateProcess to the menu dialog visible,
     minimal configuration and example media, runs of product and floor
     interleaved, 64-bit under wine64 and 32-bit under WoW64; the timing
     build shows where the launcher's own time goes;
  3. hover leave: from the pointer leaving a button to its selected control
     hidden;
  4. cost of a run: peak working set, windows and GDI objects;
  5. profile reads before the menu shows, minimal configuration, counted in
     Wine's relay trace of one run.

The table goes to standard output and, with the raw figures, to
BUILD_DIR/results.md and BUILD_DIR/results.json.
"""

import argparse
import configparser
import ctypes
import datetime
import json
import os
import platform
import random
import re
import shutil
import statistics
import struct
import subprocess
import sys
import time

WINE = "/usr/lib/wine/wine64"
WINE_RUN = os.path.join(os.path.dirname(os.path.dirname(os.path.abspath(__file__))), "tests", "wine", "wine-run.sh")
KIB = 1024
SIZE_GOAL = 30 * KIB  # room to grow; 32 KiB is the limit never to pass
SIZE_LIMIT = 32 * KIB
PROFILE_READS_MINIMAL = 53  # December 2026: a change that adds reads shows against it
RATIO_GOAL_MINIMAL = 1.05
RATIO_GOAL_EXAMPLE = 1.10
HOVER_POLL_MS = 100
HOVER_GOAL_MS = HOVER_POLL_MS + 10
FLOOR_CAPTION = "Main_Title"  # the menu template's own caption
HOVER_NORMAL_ID, HOVER_SELECTED_ID = 1008, 1012  # button 2: its hover picture lies over it


# ---------------------------------------------------------------- utilities

def die(message):
    print(f"bench: {message}", file=sys.stderr)
    sys.exit(1)


def windows_path(path):
    """A Linux path as Wine sees it through drive Z:."""
    return "Z:" + os.path.abspath(path).replace("/", "\\")


def wine_env(build, name):
    """How to run a Windows program in the Wine environment BUILD_DIR/NAME:
    wine64 directly, the WoW64 one through wine-run.sh, which enters its
    tree. Only "unavailable" is set when that machine cannot run it."""
    state = os.path.join(build, name)
    try:
        with open(os.path.join(state, "unavailable")) as f:
            return {"unavailable": f.read().strip() or "no reason given"}
    except OSError:
        pass
    env = dict(os.environ)
    env["WINEDEBUG"] = "-all"
    with open(os.path.join(state, "display")) as f:
        env["DISPLAY"] = f.read().strip()
    with open(os.path.join(state, "kind")) as f:
        kind = f.read().strip()
    if kind == "wine64":
        env.update(WINEPREFIX=os.path.join(state, "prefix"), WINEDLLOVERRIDES="mscoree,mshtml=")
        return {"argv": [WINE], "env": env}
    return {"argv": [WINE_RUN, state], "env": env}


def run_to_file(argv, env, out_path):
    """Runs a Wine program with its output in a file: Wine's helper processes
    outlive it and would hold a pipe open."""
    with open(out_path, "w") as out:
        status = subprocess.run(argv, env=env, stdin=subprocess.DEVNULL, stdout=out, stderr=subprocess.DEVNULL).returncode
    with open(out_path) as f:
        return status, f.read()


def quantile(values, q):
    """Linear interpolation between closest ranks (q in 0..1)."""
    data = sorted(values)
    if not data:
        return float("nan")
    pos = (len(data) - 1) * q
    low = int(pos)
    high = min(low + 1, len(data) - 1)
    return data[low] + (data[high] - data[low]) * (pos - low)


def summary(values):
    return {
        "n": len(values),
        "median": statistics.median(values) if values else float("nan"),
        "p25": quantile(values, 0.25),
        "p75": quantile(values, 0.75),
        "p95": quantile(values, 0.95),
        "min": min(values) if values else float("nan"),
        "max": max(values) if values else float("nan"),
    }


def fmt_ms(value, digits=1):
    return f"{value:.{digits}f} ms"


def fmt_bytes(n):
    return f"{n:,} B ({n / KIB:.1f} KiB)"


def verdict(ok):
    return "met" if ok else "**missed**"


# --------------------------------------------------------------------- size

def pe_layout(path):
    """Header size and (name, raw size, virtual size) of every section, and
    whether a COFF symbol table is left in the file."""
    with open(path, "rb") as f:
        data = f.read()
    pe = struct.unpack_from("<I", data, 0x3C)[0]
    if data[pe:pe + 4] != b"PE\0\0":
        die(f"{path} is not a PE file")
    symbols, = struct.unpack_from("<I", data, pe + 12)
    count, = struct.unpack_from("<H", data, pe + 6)
    optional_size, = struct.unpack_from("<H", data, pe + 20)
    optional = pe + 24
    magic, = struct.unpack_from("<H", data, optional)
    headers, = struct.unpack_from("<I", data, optional + 60)
    table = optional + optional_size
    sections = []
    for i in range(count):
        raw = data[table + 40 * i: table + 40 * i + 40]
        name = raw[:8].rstrip(b"\0").decode("ascii", "replace")
        virtual_size, _, raw_size = struct.unpack_from("<III", raw, 8)
        sections.append((name, raw_size, virtual_size))
    return {"file": len(data), "headers": headers, "sections": sections, "stripped": symbols == 0,
            "pe32plus": magic == 0x20B}


MAP_INPUT = re.compile(r"^ (\.[\w.$~-]+)?\s+0x([0-9a-f]+)\s+0x([0-9a-f]+)\s+(\S.*)$")


def map_contributions(path):
    """(output section, input file, bytes) of every input section in a GNU ld
    map, fill excluded."""
    out = []
    section = None
    pending = None
    started = False
    with open(path, errors="replace") as f:
        for line in f:
            line = line.rstrip("\n")
            if line.startswith("Linker script and memory map"):
                started = True
                continue
            if not started:
                continue
            if re.match(r"^\.[\w.$]+", line):
                section = line.split()[0]
                pending = None
                continue
            if re.match(r"^ \.[\w.$~-]+\s*$", line):
                pending = line.strip()
                continue
            m = MAP_INPUT.match(line)
            if m and (m.group(1) or pending):
                size = int(m.group(3), 16)
                source = m.group(4).strip()
                if size and section and not source.startswith("0x"):
                    out.append((section, source, size))
            pending = None
    return out


IMPORT_LIB = re.compile(r"lib(kernel32|user32|gdi32|msvcrt|advapi32|shell32|comdlg32|ole32|oleaut32|winspool|psapi)"
                        r"\.a\((lib\w+?_def|lib\w+?[hst]\d*|lib\w+?s\d+)\.o\)")


def origin_of(source):
    name = os.path.basename(source)
    if "libsetupmenu_" in source or "SetupMenu.dir" in source or "SetupMenuFloor.dir" in source:
        return "program", name
    if IMPORT_LIB.search(source) or re.search(r"lib(kernel32|user32|gdi32)\.a\(", source):
        return "imports", name
    if re.search(r"libmsvcrt\.a\(libmsvcrt_def", source):
        return "imports", name
    return "runtime", name


def size_breakdown(map_path):
    origins = {}
    runtime_objects = {}
    for section, source, size in map_contributions(map_path):
        if section in (".bss",) or section.startswith(".debug") or section.startswith(".stab"):
            continue
        origin, name = origin_of(source)
        if section == ".rsrc":
            origin = "resources"
        elif section == ".reloc":
            origin = "relocations"
        elif section == ".idata":
            origin = "imports"
        origins[origin] = origins.get(origin, 0) + size
        if origin == "runtime" and section not in (".reloc", ".rsrc", ".idata"):
            runtime_objects[name] = runtime_objects.get(name, 0) + size
    return origins, runtime_objects


def measure_size(build):
    product = os.path.join(build, "w32", "product", "bin", "SetupMenu.exe")
    floor = os.path.join(build, "w32", "bin", "SetupMenuFloor.exe")
    result = {}
    for key, path, map_name in (("product", product, "SetupMenu.map"), ("floor", floor, "SetupMenuFloor.map")):
        if not os.path.exists(path):
            die(f"missing {path}: build the 32-bit tree first")
        layout = pe_layout(path)
        if layout["pe32plus"]:
            die(f"{path} is not a 32-bit program")
        origins, runtime = size_breakdown(os.path.join(build, "w32", map_name))
        result[key] = {"path": path, "layout": layout, "origins": origins, "runtime_objects": runtime}
    return result


# ------------------------------------------------------------------ running

def read_title(ini_path):
    parser = configparser.ConfigParser(interpolation=None, strict=False, comment_prefixes=(";", "#"),
                                       inline_comment_prefixes=None)
    parser.optionxform = str
    with open(ini_path, encoding="latin-1") as f:
        parser.read_file(f)
    for section in parser.sections():
        if section.lower() == "main":
            for key, value in parser.items(section):
                if key.lower() == "title" and value.strip() and value.strip().upper() != "*NOT*":
                    return value.strip().strip('"')
    return FLOOR_CAPTION


def prepare_media(build):
    """The folders the runs start from, by tree (w64, w32): the floor, and the
    product with the minimal configuration and with the example media, each
    in a folder of its own; for the 64-bit tree also the timing builds."""
    minimal_ini = os.path.join(os.path.dirname(os.path.abspath(__file__)), "media", "minimal.ini")
    root = os.path.join(build, "run")
    shutil.rmtree(root, ignore_errors=True)
    os.makedirs(os.path.join(root, "traces"))
    folders = {}
    for tree in ("w64", "w32"):
        t = os.path.join(build, tree)
        product = os.path.join(t, "product", "bin", "SetupMenu.exe")
        floor = os.path.join(t, "bin", "SetupMenuFloor.exe")
        example = os.path.join(t, "product", "example-media")
        programs = {"floor": (floor, None), "minimal": (product, minimal_ini), "example": (product, example)}
        if tree == "w64":
            timed = os.path.join(t, "bin", "SetupMenuTimed.exe")
            programs.update({"floor-timed": (os.path.join(t, "bin", "SetupMenuFloorTimed.exe"), None),
                             "minimal-timed": (timed, minimal_ini), "example-timed": (timed, example)})
        folders[tree] = {}
        for name, (exe, media) in programs.items():
            for path in (exe, media):
                if path and not os.path.exists(path):
                    die(f"missing {path}: build the {tree} tree first")
            folder = os.path.join(root, tree, name)
            if media and os.path.isdir(media):
                shutil.copytree(media, folder)
            else:
                os.makedirs(folder)
                if media:
                    shutil.copy(media, os.path.join(folder, "SetupMenu.ini"))
            if os.path.exists(os.path.join(folder, "SetupMenu.log")):
                os.remove(os.path.join(folder, "SetupMenu.log"))
            target = os.path.join(folder, "SetupMenuFloor.exe" if name.startswith("floor") else "SetupMenu.exe")
            shutil.copy(exe, target)
            folders[tree][name] = target
    return root, folders, read_title(os.path.join(build, "w64", "product", "example-media", "SetupMenu.ini"))


def meter_startup(build, wine, folders, example_title, cases, rounds, warmup, settle_ms, out_name):
    meter = os.path.join(build, "w64", "bin", "bench_meter.exe")
    traces = os.path.join(build, "run", "traces")
    captions = {"floor": FLOOR_CAPTION, "floor-timed": FLOOR_CAPTION, "minimal": FLOOR_CAPTION, "minimal-timed": FLOOR_CAPTION,
                "example": example_title, "example-timed": example_title}
    argv = wine["argv"] + [meter, "startup", "--rounds", str(rounds), "--warmup", str(warmup), "--settle", str(settle_ms)]
    for name in cases:
        trace = windows_path(os.path.join(traces, f"{name}-%d.txt")) if name.endswith("-timed") else ""
        argv += ["--case", f"{name}|{windows_path(folders[name])}|{captions[name]}|{trace}"]
    status, text = run_to_file(argv, wine["env"], os.path.join(build, "run", out_name))
    runs = []
    for line in text.splitlines():
        line = line.strip()
        if line.startswith("{"):
            runs.append(json.loads(line))
    if status != 0 or not runs:
        die(f"the measuring helper failed (status {status}); see {os.path.join(build, 'run', out_name)}")
    failed = [r for r in runs if "error" in r or r.get("ms", -1) < 0]
    if failed:
        die(f"{len(failed)} runs never showed their menu, first: {failed[0]}")
    crashed = [r for r in runs if r.get("exit") != 0]
    if crashed:
        die(f"{len(crashed)} runs did not end with exit code 0, first: {crashed[0]}")
    # A program Wine cannot run as built must not be measured as another kind.
    bits = {name: 64 if pe_layout(folders[name])["pe32plus"] else 32 for name in cases}
    wrong = [r for r in runs if r.get("bits") != bits[r["case"]]]
    if wrong:
        die(f"{len(wrong)} runs did not run as {bits[wrong[0]['case']]}-bit programs, first: {wrong[0]}")
    return [r for r in runs if not r["warmup"]]


def count_profile_reads(build, wine, folders):
    """Profile reads of one run of the minimal configuration, from its start
    until the meter ends it once its menu shows, counted in Wine's relay
    trace (which goes to a file: a pipe nobody reads would fill and block)."""
    meter = os.path.join(build, "w64", "bin", "bench_meter.exe")
    trace = os.path.join(build, "run", "relay-minimal.txt")
    argv = wine["argv"] + [meter, "startup", "--rounds", "1", "--warmup", "0", "--settle", "0",
                           "--case", f"minimal|{windows_path(folders['minimal'])}|{FLOOR_CAPTION}|"]
    with open(trace, "w") as err:
        status = subprocess.run(argv, env=dict(wine["env"], WINEDEBUG="+relay"), stdin=subprocess.DEVNULL,
                                stdout=subprocess.DEVNULL, stderr=err).returncode
    with open(trace, errors="replace") as f:
        reads = sum("Call KERNEL32.GetPrivateProfileStringA" in line for line in f)
    os.remove(trace)
    if status != 0 or reads == 0:
        die(f"the relay-traced run failed (status {status}, {reads} profile reads)")
    return reads


def read_trace(path_windows):
    path = "/" + path_windows[3:].replace("\\", "/") if path_windows.startswith("Z:") else path_windows
    values = {}
    try:
        with open(path) as f:
            for line in f:
                fields = line.split()
                if len(fields) >= 2 and not fields[0].startswith("move."):
                    values[fields[0]] = int(fields[1])
    except OSError:
        return None
    return values


# The stages of a start-up, from the marks of the timing builds: (label,
# first mark, last mark); "start" and "visible" are the helper's own times.
SEGMENTS = [
    ("process start to the program's first code", "start", "crt_init"),
    ("display driver start-up (moved ahead of WinMain in the timing builds)", "crt_init", "display_ready"),
    ("then to the backdrop dialog (WinMain, loading), of which", "display_ready", "backdrop_call"),
    ("backdrop dialog created", "backdrop_call", "backdrop_init"),
    ("backdrop set-up (splash picture into its control)", "backdrop_init", "backdrop_show"),
    ("backdrop shown maximised", "backdrop_show", "backdrop_shown"),
    ("backdrop brought to the front", "backdrop_shown", "menu_call"),
    ("menu dialog created", "menu_call", "menu_init"),
    ("menu layout, of which", "menu_init", "menu_show"),
    ("menu shown, until the helper sees it visible", "menu_show", "visible"),
]
# Calls timed inside a stage: (label, sums); the rest of the stage is shown
# as its other code.
LOADING = [
    ("configuration reading", ("profile_first", "profile")),
    ("of which the first read", ("profile_first",)),
    ("bitmap loading", ("bitmap_load",)),
    ("splash stretch", ("stretch",)),
    ("cursors", ("cursors",)),
    ("debug log file", ("log_file",)),
    ("brushes", ("brushes",)),
]
LAYOUT = [
    ("moving controls (SetWindowPos)", ("layout_move",)),
    ("styles (SetWindowLongA)", ("layout_style",)),
    ("links and subclassing (SetWindowLongPtrA)", ("layout_long",)),
    ("texts and title", ("layout_text",)),
    ("pictures (STM_SETIMAGE)", ("layout_picture",)),
]
PARTS = {"backdrop_call": (LOADING, "other start-up code"), "menu_show": (LAYOUT, "other layout code")}


def trace_stages(run, trace):
    """Milliseconds of each stage of one run of a timing build, in the order
    of the table, and the number of calls behind each timed call group."""
    ns = 1e9 / trace["frequency"]
    marks = {k[5:]: v * ns for k, v in trace.items() if k.startswith("mark.")}
    marks["start"] = run["start_ns"]
    marks["visible"] = run["visible_ns"]
    stages, counts = {}, {}
    for label, first, last in SEGMENTS:
        stages[label] = (marks[last] - marks[first]) / 1e6 if marks.get(first) and marks.get(last) else 0.0
        if last not in PARTS:
            continue
        parts, rest = PARTS[last]
        timed = 0.0
        for part, keys in parts:
            stages["  " + part] = sum(trace.get(f"sum.{k}", 0) for k in keys) * ns / 1e6
            counts["  " + part] = sum(trace.get(f"count.{k}", 0) for k in keys)
            if not part.startswith("of which"):
                timed += stages["  " + part]
        stages["  " + rest] = stages[label] - timed
    return stages, counts


def startup_figures(runs):
    by_case = {}
    for r in runs:
        by_case.setdefault(r["case"], []).append(r)
    figures = {}
    for name, rs in by_case.items():
        figures[name] = {"ms": summary([r["ms"] for r in rs])}
        if name.endswith("-timed"):
            per_run = []
            counts = None
            for r in rs:
                trace = read_trace(r["trace"])
                if trace:
                    stages, counts = trace_stages(r, trace)
                    per_run.append(stages)
            if len(per_run) < len(rs):
                die(f"{len(rs) - len(per_run)} runs of {name} left no trace file")
            if per_run:
                labels = list(per_run[0])
                figures[name]["stages"] = {label: statistics.median(s[label] for s in per_run) for label in labels}
                figures[name]["counts"] = counts
                figures[name]["traces"] = len(per_run)
    # Paired by round: each round ran every case once, back to back.
    rounds = {}
    for r in runs:
        rounds.setdefault(r["round"], {})[r["case"]] = r["ms"]
    for name in figures:
        base = "floor-timed" if name.endswith("-timed") else "floor"
        if name == base:
            continue
        diffs = [v[name] - v[base] for v in rounds.values() if name in v and base in v]
        figures[name]["paired_own_ms"] = statistics.median(diffs) if diffs else float("nan")
    return figures


def cost_figures(runs):
    by_case = {}
    for r in runs:
        by_case.setdefault(r["case"], []).append(r)
    out = {}
    for name, rs in by_case.items():
        entry = {"peak_ws": statistics.median(r.get("peak_ws", 0) for r in rs),
                 "windows": statistics.median(r.get("windows", 0) for r in rs),
                 "gui_user": statistics.median(r.get("gui_user", 0) for r in rs),
                 "gui_gdi": statistics.median(r.get("gui_gdi", 0) for r in rs)}
        gdi = [r["gdi"] for r in rs if "gdi" in r]
        if gdi:
            entry["gdi"] = {k: statistics.median(g[k] for g in gdi) for k in gdi[0]}
        out[name] = entry
    return out


# -------------------------------------------------------------------- hover

class Pointer:
    """Moves the X pointer with the XTEST extension (what xdotool uses) and
    says when: the time is taken just before the request, which the X server
    has carried out when XSync returns."""

    def __init__(self, display):
        self.x11 = ctypes.CDLL("libX11.so.6")
        self.xtst = ctypes.CDLL("libXtst.so.6")
        self.x11.XOpenDisplay.restype = ctypes.c_void_p
        self.x11.XOpenDisplay.argtypes = [ctypes.c_char_p]
        self.x11.XSync.argtypes = [ctypes.c_void_p, ctypes.c_int]
        self.x11.XCloseDisplay.argtypes = [ctypes.c_void_p]
        self.xtst.XTestFakeMotionEvent.argtypes = [ctypes.c_void_p, ctypes.c_int, ctypes.c_int, ctypes.c_int,
                                                   ctypes.c_ulong]
        self.display = self.x11.XOpenDisplay(display.encode())
        if not self.display:
            die(f"cannot open X display {display}")

    def move(self, x, y, clock):
        t = time.clock_gettime_ns(clock)
        self.xtst.XTestFakeMotionEvent(self.display, -1, int(x), int(y), 0)
        self.x11.XSync(self.display, 0)
        return t

    def close(self):
        self.x11.XCloseDisplay(self.display)


def measure_hover(build, wine, exe, caption, leaves):
    meter = os.path.join(build, "w64", "bin", "bench_meter.exe")
    pointer = Pointer(wine["env"]["DISPLAY"])
    pointer.move(4, 4, time.CLOCK_MONOTONIC_RAW)
    proc = subprocess.Popen(wine["argv"] + [meter, "hover", "--poll-us", "250", windows_path(exe), caption,
                             str(HOVER_NORMAL_ID), str(HOVER_SELECTED_ID)],
                            env=wine["env"], stdin=subprocess.PIPE, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL,
                            text=True, bufsize=1)

    def send(command):
        proc.stdin.write(command + "\n")
        proc.stdin.flush()

    def answer(expected):
        line = proc.stdout.readline().strip()
        if not line.startswith(expected):
            proc.kill()
            die(f"hover: expected {expected}, got {line!r}")
        return line

    try:
        ready = answer("READY")
        rects = {k: [int(v) for v in value.split(",")] for k, value in
                 (field.split("=") for field in ready.split()[1:])}
        # The helper's clock must be this one: check it against a few round trips.
        clock = None
        for candidate in (time.CLOCK_MONOTONIC_RAW, time.CLOCK_MONOTONIC):
            inside = 0
            for _ in range(5):
                before = time.clock_gettime_ns(candidate)
                send("PING")
                stamp = int(answer("PONG").split()[1])
                after = time.clock_gettime_ns(candidate)
                inside += before <= stamp <= after
            if inside == 5:
                clock = candidate
                break
        if clock is None:
            die("hover: the Windows performance counter follows no Linux monotonic clock here")

        normal, dialog = rects["normal"], rects["dialog"]
        inside_point = ((normal[0] + normal[2]) // 2, (normal[1] + normal[3]) // 2)
        outside_point = (max(dialog[0] - 40, 2), (dialog[1] + dialog[3]) // 2)  # on the backdrop
        # Dwell times spread over one polling period, in a fixed shuffled
        # order, so the leaves fall evenly on every phase of the timer.
        dwell = [150 + (HOVER_POLL_MS * k) / leaves for k in range(leaves)]
        random.Random(20240601).shuffle(dwell)
        latencies = []
        for ms in dwell:
            pointer.move(*inside_point, clock)
            send("WAITSHOW")
            answer("SHOWN")
            time.sleep(ms / 1000.0)
            send("WAITHIDE")
            answer("POLLING")
            left = pointer.move(*outside_point, clock)
            hidden = int(answer("HIDDEN").split()[1])
            latencies.append((hidden - left) / 1e6)
        send("QUIT")
        answer("BYE")
    finally:
        if proc.poll() is None:
            try:
                proc.stdin.close()
            except OSError:
                pass
            try:
                proc.wait(timeout=20)
            except subprocess.TimeoutExpired:
                proc.kill()
        pointer.close()
    return {"leaves": summary(latencies), "raw": latencies,
            "clock": "CLOCK_MONOTONIC_RAW" if clock == time.CLOCK_MONOTONIC_RAW else "CLOCK_MONOTONIC"}


# -------------------------------------------------------------------- table

def machine(wow64):
    model = "unknown CPU"
    try:
        with open("/proc/cpuinfo") as f:
            for line in f:
                if line.startswith("model name"):
                    model = line.split(":", 1)[1].strip()
                    break
    except OSError:
        pass
    memory = ""
    try:
        with open("/proc/meminfo") as f:
            kb = int(f.readline().split()[1])
            memory = f", {kb / 1024 / 1024:.0f} GiB RAM"
    except (OSError, ValueError, IndexError):
        pass
    debian = ""
    if os.path.exists("/etc/debian_version"):
        with open("/etc/debian_version") as f:
            debian = f"Debian {f.read().strip()}, "

    def version(argv):
        try:
            out = subprocess.run(argv, capture_output=True, text=True, stdin=subprocess.DEVNULL, timeout=30).stdout
            return out.splitlines()[0].strip() if out else "?"
        except (OSError, subprocess.TimeoutExpired):
            return "?"

    wine = version([WINE, "--version"])
    if "argv" in wow64:
        wine += f", WoW64: {version(wow64['argv'] + ['--version'])}"
    return (f"{model}, {os.cpu_count()} cores{memory}; {debian}Linux {platform.release()}; "
            f"{wine}; {version(['i686-w64-mingw32-g++', '--version'])}")


def startup_rows(add, startup, kind):
    """The start-up rows of one Wine environment, each against its floor."""
    if "unavailable" in startup:
        add(f"| Start-up to menu visible ({kind}) | not measured, the environment is unavailable here: "
            f"{startup['unavailable']} | — | — | — |")
        return
    floor = startup["floor"]["ms"]
    for name, label, goal in (("minimal", "minimal configuration", RATIO_GOAL_MINIMAL),
                              ("example", "example media", RATIO_GOAL_EXAMPLE)):
        s = startup[name]["ms"]
        ratio = s["median"] / floor["median"]
        own = s["median"] - floor["median"]
        add(f"| Start-up to menu visible, {label} ({kind}), median [IQR] | {fmt_ms(s['median'])} "
            f"[{s['p25']:.1f}–{s['p75']:.1f}] | {fmt_ms(floor['median'])} [{floor['p25']:.1f}–{floor['p75']:.1f}] "
            f"| ratio {ratio:.3f}; own work {own:+.1f} ms (paired by round {startup[name]['paired_own_ms']:+.1f} ms) "
            f"| ≤ {goal:.2f}: {verdict(ratio <= goal)} |")


def render(size, startup, startup_wow64, cost, hover, meta, reads):
    lines = []
    add = lines.append
    p, f = size["product"], size["floor"]
    size_ok = p["layout"]["file"] <= SIZE_GOAL
    add(f"Measured {meta['date']} on {meta['machine']}.")
    add(f"Load average {meta['load_before']:.1f} before, {meta['load_after']:.1f} after; measured at priority "
        f"'{meta['priority']}'; "
        f"{meta['runs']} start-up runs per case (after {meta['warmup']} warm-up round), product and floor "
        "interleaved round by round. The 64-bit rows, the stages, the hover and the cost figures are of the 64-bit "
        "build of the same sources under Debian 12's wine64; the 32-bit rows are of the shipped 32-bit product "
        "and a 32-bit floor under Debian 13's Wine 10 in WoW64 mode, in rounds of their own; the size is that "
        "of the 32-bit product.")
    add("")
    add("| Figure | Product | Floor | Result | Goal |")
    add("|---|---|---|---|---|")
    add(f"| Size, 32-bit, stripped | {fmt_bytes(p['layout']['file'])} | {fmt_bytes(f['layout']['file'])} "
        f"| +{p['layout']['file'] - f['layout']['file']:,} B over the floor "
        f"| ≤ 30 KiB: {verdict(size_ok)}; ≤ 32 KiB: {verdict(p['layout']['file'] <= SIZE_LIMIT)} |")
    startup_rows(add, startup, "64-bit")
    startup_rows(add, startup_wow64, "32-bit, WoW64")
    add(f"| Profile reads before the menu shows, minimal configuration (64-bit, Wine's relay trace) | {reads} | — "
        f"| {reads - PROFILE_READS_MINIMAL:+d} against {PROFILE_READS_MINIMAL} (December 2026) | — |")
    h = hover["leaves"]
    add(f"| Hover leave to selected control hidden, {h['n']} leaves | median {fmt_ms(h['median'])}, "
        f"p95 {fmt_ms(h['p95'])} (min {h['min']:.1f}, max {h['max']:.1f}) | — | {HOVER_POLL_MS} ms poll "
        f"| median ≤ {HOVER_GOAL_MS} ms: {verdict(h['median'] <= HOVER_GOAL_MS)} |")
    ce, cf, cm = cost["example"], cost["floor"], cost["minimal"]
    add(f"| Peak working set, example media (minimal configuration) | {ce['peak_ws'] / KIB / KIB:.1f} MiB "
        f"({cm['peak_ws'] / KIB / KIB:.1f} MiB) | {cf['peak_ws'] / KIB / KIB:.1f} MiB "
        f"| {(ce['peak_ws'] - cf['peak_ws']) / KIB:+,.0f} KiB ({(cm['peak_ws'] - cf['peak_ws']) / KIB:+,.0f} KiB) | — |")
    add(f"| USER objects, example media: windows (GetGuiResources is a stub in Wine 8; the launcher's two "
        f"cursors are not counted) | {ce['windows']:.0f} | {cf['windows']:.0f} "
        f"| {ce['windows'] - cf['windows']:+.0f} | — |")
    if "gdi" in ce and "gdi" in cf:
        ge, gf = ce["gdi"], cf["gdi"]
        kinds = ", ".join(f"{k} {ge[k] - gf[k]:+.0f}" for k in ("bitmap", "brush", "dc", "font", "region")
                          if ge[k] != gf[k])
        add(f"| GDI objects, example media (minimal configuration), counted in the process's GDI handle table | {ge['total']:.0f} ({cm['gdi']['total']:.0f}) "
            f"| {gf['total']:.0f} | {ge['total'] - gf['total']:+.0f} ({cm['gdi']['total'] - gf['total']:+.0f}); "
            f"{kinds or 'same kinds'} | — |")
    add("")

    add("Where the start-up time goes: the timing builds (the same sources with hooks around a few calls, "
        "see bench/trace) of the floor and of the launcher, run in the same rounds; medians of each stage in ms, "
        "own work = launcher − floor. Medians of stages do not add up exactly to the median of the whole.")
    add("")
    add("| Stage | Floor | Minimal configuration | own | Example media | own |")
    add("|---|---|---|---|---|---|")
    tf, tm, te = (startup.get(n, {}) for n in ("floor-timed", "minimal-timed", "example-timed"))
    labels = list(te.get("stages", {}))

    def stage_cell(t, label):
        if "stages" not in t or label not in t["stages"]:
            return "—"
        calls = t.get("counts", {}).get(label)
        return f"{t['stages'][label]:.2f}" + (f" ({calls} call{'s' if calls > 1 else ''})" if calls else "")

    def own_cell(t, label):
        if "stages" not in t or "stages" not in tf or label not in t["stages"] or label not in tf["stages"]:
            return "—"
        return f"{t['stages'][label] - tf['stages'][label]:+.2f}"
    for label in labels:
        name = label.replace("  ", "&nbsp;&nbsp;· ", 1) if label.startswith("  ") else label
        add(f"| {name} | {stage_cell(tf, label)} | {stage_cell(tm, label)} | {own_cell(tm, label)} "
            f"| {stage_cell(te, label)} | {own_cell(te, label)} |")
    row = []
    for t in (tf, tm, te):
        row.append(f"{t['ms']['median']:.1f}" if "ms" in t else "—")
    own_m = tm["ms"]["median"] - tf["ms"]["median"] if "ms" in tm and "ms" in tf else float("nan")
    own_e = te["ms"]["median"] - tf["ms"]["median"] if "ms" in te and "ms" in tf else float("nan")
    add(f"| **whole start-up of the timing build** | {row[0]} | {row[1]} | {own_m:+.1f} | {row[2]} | {own_e:+.1f} |")
    add("")

    add("Size of the 32-bit programs by section (bytes in the file; each section is padded to 512 bytes):")
    add("")
    names = []
    for n, _, _ in p["layout"]["sections"] + f["layout"]["sections"]:
        if n not in names:
            names.append(n)
    add("| Part | Product | Floor |")
    add("|---|---|---|")
    add(f"| headers | {p['layout']['headers']:,} | {f['layout']['headers']:,} |")
    for n in names:
        pr = next((s for s in p["layout"]["sections"] if s[0] == n), None)
        fr = next((s for s in f["layout"]["sections"] if s[0] == n), None)

        def cell(s):
            if not s:
                return "—"
            return f"{s[1]:,} ({s[2]:,} used)" if s[1] else f"0 ({s[2]:,} in memory)"
        add(f"| {n} | {cell(pr)} | {cell(fr)} |")
    rows = (("program", "code and data of the program's own objects"),
            ("runtime", "C runtime start-up (MinGW CRT) and libgcc, with their unwind tables"),
            ("imports", "import thunks and tables"),
            ("resources", "resources (dialogs; the product also cursors, icon, version block)"),
            ("relocations", "base relocations"))
    add("")
    add("The same bytes by origin (from the link maps, before padding):")
    add("")
    add("| Origin | Product | Floor |")
    add("|---|---|---|")
    for key, label in rows:
        add(f"| {label} | {p['origins'].get(key, 0):,} | {f['origins'].get(key, 0):,} |")
    extra = sorted(set(p["runtime_objects"]) - set(f["runtime_objects"]))
    cxx = sorted(n for n in p["runtime_objects"] if "stdc++" in n or "supc++" in n)
    add("")
    add("Runtime objects in the product but not in the floor: "
        + (", ".join(f"{n} ({p['runtime_objects'][n]} B)" for n in extra) if extra else "none")
        + ". C++ runtime (libstdc++) objects in the product: " + (", ".join(cxx) if cxx else "none") + ".")
    return "\n".join(lines)


# --------------------------------------------------------------------- main

def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--build", required=True, help="the bench build directory (build/bench)")
    parser.add_argument("--runs", type=int, default=25, help="start-up runs per case (at least 20)")
    parser.add_argument("--warmup", type=int, default=1, help="warm-up rounds, not counted")
    parser.add_argument("--cost-runs", type=int, default=5, help="runs per case for the cost figures")
    parser.add_argument("--settle", type=int, default=1000, help="ms between menu visible and the cost sample")
    parser.add_argument("--leaves", type=int, default=50, help="hover leaves (at least 50)")
    args = parser.parse_args()
    build = os.path.abspath(args.build)
    if args.runs < 20 or args.leaves < 50:
        print("bench: note: fewer runs than the benchmark asks for (20 start-ups, 50 leaves)", file=sys.stderr)

    wine64, wow64 = wine_env(build, "wine"), wine_env(build, "wine-wow64")
    if "unavailable" in wine64:
        die(f"the wine64 environment is unavailable: {wine64['unavailable']}")
    load_before = os.getloadavg()[0]
    print("bench: sizes", file=sys.stderr)
    size = measure_size(build)
    root, folders, example_title = prepare_media(build)

    print(f"bench: start-up, {args.runs} rounds of 6 cases", file=sys.stderr)
    runs = meter_startup(build, wine64, folders["w64"], example_title,
                         ["floor", "minimal", "example", "floor-timed", "minimal-timed", "example-timed"],
                         args.runs, args.warmup, 0, "startup.jsonl")
    startup = startup_figures(runs)

    runs_wow64 = []
    if "unavailable" in wow64:
        print(f"bench: no 32-bit start-up: {wow64['unavailable']}", file=sys.stderr)
        startup_wow64 = {"unavailable": wow64["unavailable"]}
    else:
        print(f"bench: 32-bit start-up under WoW64, {args.runs} rounds of 3 cases", file=sys.stderr)
        runs_wow64 = meter_startup(build, wow64, folders["w32"], example_title, ["floor", "minimal", "example"],
                                   args.runs, args.warmup, 0, "startup-wow64.jsonl")
        startup_wow64 = startup_figures(runs_wow64)

    print("bench: profile reads, one relay-traced run", file=sys.stderr)
    reads = count_profile_reads(build, wine64, folders["w64"])

    print(f"bench: cost, {args.cost_runs} rounds of 3 cases", file=sys.stderr)
    cost_runs = meter_startup(build, wine64, folders["w64"], example_title, ["floor", "minimal", "example"],
                              args.cost_runs, 0, args.settle, "cost.jsonl")
    cost = cost_figures(cost_runs)

    print(f"bench: hover, {args.leaves} leaves", file=sys.stderr)
    hover = measure_hover(build, wine64, folders["w64"]["example"], example_title, args.leaves)
    load_after = os.getloadavg()[0]

    meta = {"date": datetime.date.today().isoformat(), "machine": machine(wow64), "load_before": load_before,
            "load_after": load_after, "priority": os.environ.get("BENCH_PRIORITY_USED", "as started"),
            "runs": args.runs, "warmup": args.warmup}
    table = render(size, startup, startup_wow64, cost, hover, meta, reads)
    print(table)
    with open(os.path.join(build, "results.md"), "w") as f:
        f.write(table + "\n")
    with open(os.path.join(build, "results.json"), "w") as f:
        json.dump({"meta": meta, "size": size, "startup": startup, "startup_wow64": startup_wow64, "cost": cost,
                   "profile_reads": reads,
                   "hover": hover, "startup_runs": runs, "startup_wow64_runs": runs_wow64, "cost_runs": cost_runs},
                  f, indent=1, default=str)


if __name__ == "__main__":
    main()
