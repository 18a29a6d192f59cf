#!/usr/bin/env python3
"""Turns the text art in resources/art into the cursor and icon resources.

The resource compiler numbers the images of CURSOR and ICON statements on its
own, but the launcher's images carry fixed ids (resource_ids.h). So this step
writes each image and each group directory whole, in the layout the resource
loader reads, and setupmenu.rc includes them as raw resources of the image and
group types.

Art file format (one per picture):
    ; comment
    size W H
    hotspot X Y           (cursors only)
    colour C RRGGBB       (icons only: pixel character C has that colour)
    H rows of W characters, top row first; '.' is transparent.
Cursors use '#' for black and 'o' for white.

Usage: make_art.py IDS_HEADER ART_DIR OUT_DIR
Writes cursor_normal.img/.grp, cursor_hover.img/.grp, icon16.img, icon32.img
and icon.grp into OUT_DIR.
"""

import os
import re
import struct
import sys

TRANSPARENT = "."
CURSOR_COLOURS = {"#": 0, "o": 1}  # palette index: black, white


class ArtError(Exception):
    pass


def read_ids(path):
    ids = {}
    with open(path, encoding="ascii") as f:
        for line in f:
            m = re.match(r"\s*#define\s+(\w+)\s+(\d+)\s*$", line)
            if m:
                ids[m.group(1)] = int(m.group(2))
    return ids


def read_art(path):
    """Returns (width, height, hotspot or None, palette dict, rows)."""
    size = None
    hotspot = None
    palette = {}
    rows = []
    with open(path, encoding="ascii") as f:
        for number, raw in enumerate(f, 1):
            line = raw.rstrip("\n")
            where = "%s:%d" % (path, number)
            if not line or line.startswith(";"):
                continue
            words = line.split()
            if words[0] == "size" and len(words) == 3:
                size = (int(words[1]), int(words[2]))
            elif words[0] == "hotspot" and len(words) == 3:
                hotspot = (int(words[1]), int(words[2]))
            elif words[0] == "colour" and len(words) == 3:
                if len(words[1]) != 1 or words[1] == TRANSPARENT:
                    raise ArtError("%s: bad colour character %r" % (where, words[1]))
                if not re.fullmatch(r"[0-9a-fA-F]{6}", words[2]):
                    raise ArtError("%s: colour must be RRGGBB in hex" % where)
                value = int(words[2], 16)
                palette[words[1]] = ((value >> 16) & 255, (value >> 8) & 255, value & 255)
            elif " " in line:
                raise ArtError("%s: unknown line %r" % (where, line))
            else:
                if size is None:
                    raise ArtError("%s: pixel row before the size line" % where)
                if len(line) != size[0]:
                    raise ArtError("%s: row is %d pixels wide, not %d" % (where, len(line), size[0]))
                rows.append(line)
    if size is None:
        raise ArtError("%s: no size line" % path)
    if len(rows) != size[1]:
        raise ArtError("%s: %d rows, not %d" % (path, len(rows), size[1]))
    return size[0], size[1], hotspot, palette, rows


def mask_rows(width, rows, bit_of):
    """1-bit rows, bottom row first, each padded to 4 bytes."""
    stride = ((width + 31) // 32) * 4
    out = bytearray()
    for row in reversed(rows):
        line = bytearray(stride)
        for x, ch in enumerate(row):
            if bit_of(ch):
                line[x // 8] |= 0x80 >> (x % 8)
        out += line
    return bytes(out)


def bitmap_header(width, height, bits, image_bytes, colours_used):
    # BITMAPINFOHEADER; the height counts the colour bitmap and the mask.
    return struct.pack("<IiiHHIIiiII", 40, width, 2 * height, 1, bits, 0,
                       image_bytes, 0, 0, colours_used, 0)


def cursor_image(path):
    width, height, hotspot, palette, rows = read_art(path)
    if hotspot is None:
        raise ArtError("%s: a cursor needs a hotspot line" % path)
    if palette:
        raise ArtError("%s: a cursor is black and white only" % path)
    if not (0 <= hotspot[0] < width and 0 <= hotspot[1] < height):
        raise ArtError("%s: hot spot outside the picture" % path)
    for row in rows:
        for ch in row:
            if ch != TRANSPARENT and ch not in CURSOR_COLOURS:
                raise ArtError("%s: cursor pixel %r is not '#', 'o' or '.'" % (path, ch))
    xor = mask_rows(width, rows, lambda ch: CURSOR_COLOURS.get(ch) == 1)
    and_ = mask_rows(width, rows, lambda ch: ch == TRANSPARENT)
    colours = struct.pack("<II", 0x000000, 0xFFFFFF)
    # The image resource starts with the hot spot, then the bitmap.
    data = (struct.pack("<HH", hotspot[0], hotspot[1])
            + bitmap_header(width, height, 1, len(xor) + len(and_), 2)
            + colours + xor + and_)
    return width, height, data


def cursor_group(width, height, image_id, image_size):
    # Directory header (type 2 = cursor, one entry), then one entry whose
    # height, as in every cursor directory, counts the colour bitmap and the mask.
    return (struct.pack("<HHH", 0, 2, 1)
            + struct.pack("<HHHHIH", width, 2 * height, 1, 1, image_size, image_id))


def icon_image(path):
    width, height, hotspot, palette, rows = read_art(path)
    if hotspot is not None:
        raise ArtError("%s: an icon has no hot spot" % path)
    if width > 255 or height > 255:
        raise ArtError("%s: too large for an icon directory entry" % path)
    for row in rows:
        for ch in row:
            if ch != TRANSPARENT and ch not in palette:
                raise ArtError("%s: pixel %r has no colour line" % (path, ch))
    stride = ((width * 3 + 3) // 4) * 4
    colour = bytearray()
    for row in reversed(rows):
        line = bytearray(stride)
        for x, ch in enumerate(row):
            # Transparent pixels are black in the colour bitmap, set in the mask.
            r, g, b = palette.get(ch, (0, 0, 0))
            line[3 * x:3 * x + 3] = bytes((b, g, r))
        colour += line
    and_ = mask_rows(width, rows, lambda ch: ch == TRANSPARENT)
    data = (bitmap_header(width, height, 24, len(colour) + len(and_), 0)
            + bytes(colour) + and_)
    return width, height, data


def icon_group(entries):
    # Directory header (type 1 = icon), then one entry per image.
    out = struct.pack("<HHH", 0, 1, len(entries))
    for width, height, image_id, image_size in entries:
        out += struct.pack("<BBBBHHIH", width, height, 0, 0, 1, 24, image_size, image_id)
    return out


def write(out_dir, name, data):
    path = os.path.join(out_dir, name)
    tmp = path + ".tmp"
    with open(tmp, "wb") as f:
        f.write(data)
    os.replace(tmp, path)


def main(argv):
    if len(argv) != 4:
        sys.stderr.write("usage: make_art.py IDS_HEADER ART_DIR OUT_DIR\n")
        return 2
    ids_path, art_dir, out_dir = argv[1:]
    try:
        ids = read_ids(ids_path)
        needed = ("IDC_CURSOR_NORMAL_IMAGE", "IDC_CURSOR_HOVER_IMAGE",
                  "IDI_SETUPMENU_IMAGE16", "IDI_SETUPMENU_IMAGE32")
        for name in needed:
            if name not in ids:
                raise ArtError("%s: no #define for %s" % (ids_path, name))
        os.makedirs(out_dir, exist_ok=True)

        for art, stem, id_name in (("arrow.txt", "cursor_normal", "IDC_CURSOR_NORMAL_IMAGE"),
                                   ("hand.txt", "cursor_hover", "IDC_CURSOR_HOVER_IMAGE")):
            width, height, data = cursor_image(os.path.join(art_dir, art))
            write(out_dir, stem + ".img", data)
            write(out_dir, stem + ".grp", cursor_group(width, height, ids[id_name], len(data)))

        entries = []
        for art, stem, id_name in (("icon16.txt", "icon16", "IDI_SETUPMENU_IMAGE16"),
                                   ("icon32.txt", "icon32", "IDI_SETUPMENU_IMAGE32")):
            width, height, data = icon_image(os.path.join(art_dir, art))
            write(out_dir, stem + ".img", data)
            entries.append((width, height, ids[id_name], len(data)))
        write(out_dir, "icon.grp", icon_group(entries))
    except (ArtError, OSError, ValueError) as e:
        sys.stderr.write("make_art.py: %s\n" % e)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
