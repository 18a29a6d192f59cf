#!/usr/bin/env python3
"""Where the shipped launcher's bytes go: by PE section, by object file, by
function and by resource, from the program and its link map. Run through
scripts/size-report.sh, which builds what it reads.

    size_report.py --build BUILD_DIR [--functions N]

BUILD_DIR is the bench build directory (build/bench): the 32-bit tree's
product/bin/SetupMenu.exe and SetupMenu.map are read. Every later change to
the launcher can say what it cost by comparing two reports.
"""
import argparse
import collections
import os
import re
import struct
import subprocess

from bench import map_contributions, pe_layout

RESOURCE_TYPES = {1: "cursor image", 3: "icon image", 5: "dialog", 12: "cursor group", 14: "icon group",
                  16: "version", 24: "manifest"}
FILE_BLOCK = 512


def resources(path):
    """(type, id, bytes) of every resource, from the .rsrc directory."""
    with open(path, "rb") as f:
        data = f.read()
    pe = struct.unpack_from("<I", data, 0x3C)[0]
    count, = struct.unpack_from("<H", data, pe + 6)
    optional_size, = struct.unpack_from("<H", data, pe + 20)
    table = pe + 24 + optional_size
    for i in range(count):
        name, _, rva, _, raw = struct.unpack_from("<8sIIII", data, table + 40 * i)
        if name.rstrip(b"\0") == b".rsrc":
            break
    else:
        return []

    def entries(offset):
        named, numbered = struct.unpack_from("<HH", data, raw + offset + 12)
        for k in range(named + numbered):
            yield struct.unpack_from("<II", data, raw + offset + 16 + 8 * k)

    found = []
    for kind, types in entries(0):
        for ident, names in entries(types & 0x7FFFFFFF):
            for _, leaf in entries(names & 0x7FFFFFFF):
                found.append((RESOURCE_TYPES.get(kind, str(kind)), ident, struct.unpack_from("<I", data, raw + leaf + 4)[0]))
    return found


def functions(map_path):
    """(bytes, mangled name, object) of every function the map places in .text
    (each is an input section of its own: -ffunction-sections)."""
    found = []
    section, pending = None, None
    started = False
    with open(map_path, errors="replace") as f:
        for line in f:
            if line.startswith("Linker script and memory map"):
                started = True
            if not started:
                continue
            head = re.match(r"^(\.[\w.$]+)", line)
            if head:
                section = head.group(1)
                continue
            solo = re.match(r"^ (\.text\$\S+)\s*$", line)
            if solo:
                pending = solo.group(1)
                continue
            m = re.match(r"^ (\.text\$\S+)?\s+0x[0-9a-f]+\s+0x([0-9a-f]+)\s+(\S+)", line)
            if m and section == ".text" and (m.group(1) or pending):
                found.append((int(m.group(2), 16), (m.group(1) or pending)[len(".text$"):], os.path.basename(m.group(3))))
            pending = None
    return found


def demangle(names):
    try:
        out = subprocess.run(["i686-w64-mingw32-c++filt", "--no-strip-underscore"], input="\n".join(names), capture_output=True, text=True,
                             check=True).stdout.split("\n")
        return out[:len(names)]
    except (OSError, subprocess.CalledProcessError):
        return names


def table(title, header, rows):
    print(f"\n{title}\n")
    print("| " + " | ".join(header) + " |")
    print("|" + "|".join("---:" if h == "bytes" or h.startswith("in ") or h == "padding" else "---" for h in header) + "|")
    for row in rows:
        print("| " + " | ".join(f"{c:,}" if isinstance(c, int) else str(c) for c in row) + " |")


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--build", required=True)
    parser.add_argument("--functions", type=int, default=30, help="how many of the largest functions to list")
    args = parser.parse_args()
    tree = os.path.join(os.path.abspath(args.build), "w32")
    exe = os.path.join(tree, "product", "bin", "SetupMenu.exe")
    map_path = os.path.join(tree, "SetupMenu.map")
    layout = pe_layout(exe)

    print(f"{exe}: {layout['file']:,} B ({layout['file'] / 1024:.2f} KiB, "
          f"{layout['file'] // FILE_BLOCK} blocks of {FILE_BLOCK} B)")
    rows = [("headers", "", layout["headers"], "")]
    for name, raw, virtual in layout["sections"]:
        rows.append((name, virtual, raw, raw - virtual if 0 < virtual < raw else 0))
    table("By section (content is the virtual size; the file pads each section to a whole block):",
          ("section", "bytes", "in file", "padding"), rows)

    by_object = collections.Counter()
    for section, source, size in map_contributions(map_path):
        if section in (".text", ".idata", ".rsrc"):
            source = re.sub(r"^.*/", "", source)
            source = re.sub(r"^(lib\w+)\.a\(\w+?\d+\.o\)$", r"\1.a: one import each", source)
            by_object[(section, source)] += size
    table("By object file, from the map (.text holds the read-only data too):", ("section", "object", "bytes"),
          [(s, o, b) for (s, o), b in sorted(by_object.items(), key=lambda item: (item[0][0], -item[1]))])

    found = sorted(functions(map_path), reverse=True)[:args.functions]
    names = demangle([name for _, name, _ in found])
    table(f"The {len(found)} largest functions:", ("bytes", "function", "object"),
          [(size, name.replace("|", "\\|"), obj) for (size, _, obj), name in zip(found, names)])

    table("By resource (data only; the directory adds the rest of .rsrc):", ("type", "id", "bytes"),
          resources(exe))


if __name__ == "__main__":
    main()
