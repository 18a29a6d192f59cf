#!/usr/bin/env python3
"""Draws the pictures of the example media as 24-bit BMP files.

    make_bitmaps.py OUTPUT_DIR     writes every picture into OUTPUT_DIR
    make_bitmaps.py --list         prints the file names, one a line

Every picture is drawn here from code (rectangles, gradients, discs and the
5x7 text-art font of pixel_font.py), so the repository holds no binary
pictures. The sizes follow the menu dialog: its client area is 510 by 380
pixels and a button control is 101 by 46 pixels (MS Sans Serif 8, dialog
base units 6x13), so a hover picture of that size covers its button exactly.
"""

import os
import struct
import sys

sys.dont_write_bytecode = True  # the build runs this from the source tree
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import pixel_font  # noqa: E402

# Colours (red, green, blue). NAVY is also Main/Bgcolor in SetupMenu.ini, so
# text buttons without a Bgcolor of their own blend into the pictures.
NAVY_DARK = (10, 20, 40)
NAVY = (20, 40, 74)
NAVY_LIGHT = (42, 79, 122)
STEEL = (70, 110, 160)
GOLD = (240, 190, 60)
GOLD_LIGHT = (255, 222, 130)
CREAM = (250, 240, 200)
SILVER = (200, 208, 220)
WHITE = (255, 255, 255)

CLIENT_SIZE = (510, 380)
BUTTON_SIZE = (101, 46)
CANCEL_SIZE = (78, 26)
# The Cancel hover picture fills its control at the template size (57 by 16
# dialog units), which a PositionSel leaves unchanged: 4 pixels wider on each
# side than the Cancel box, over which it is centred.
CANCEL_SEL_SIZE = (86, 26)


class Canvas:
    def __init__(self, width, height, colour=(0, 0, 0)):
        self.width = width
        self.height = height
        self.pixels = [[colour] * width for _ in range(height)]

    def put(self, x, y, colour):
        if 0 <= x < self.width and 0 <= y < self.height:
            self.pixels[y][x] = colour

    def fill(self, x0, y0, x1, y1, colour):
        """Fills the rectangle from (x0, y0) up to, not including, (x1, y1)."""
        for y in range(max(y0, 0), min(y1, self.height)):
            row = self.pixels[y]
            for x in range(max(x0, 0), min(x1, self.width)):
                row[x] = colour

    def frame(self, x0, y0, x1, y1, colour, thickness=1):
        self.fill(x0, y0, x1, y0 + thickness, colour)
        self.fill(x0, y1 - thickness, x1, y1, colour)
        self.fill(x0, y0, x0 + thickness, y1, colour)
        self.fill(x1 - thickness, y0, x1, y1, colour)

    def vertical_gradient(self, x0, y0, x1, y1, top, bottom):
        span = max(y1 - y0 - 1, 1)
        for y in range(y0, y1):
            t = (y - y0) / span
            self.fill(x0, y, x1, y + 1, mix(top, bottom, t))

    def diagonal_gradient(self, first, last):
        span = max(self.width + self.height - 2, 1)
        for y in range(self.height):
            for x in range(self.width):
                self.pixels[y][x] = mix(first, last, (x + y) / span)

    def disc(self, cx, cy, radius, colour, hole=0):
        """A filled circle, optionally with a hole in the middle (a ring)."""
        for y in range(cy - radius, cy + radius + 1):
            for x in range(cx - radius, cx + radius + 1):
                d2 = (x - cx) ** 2 + (y - cy) ** 2
                if hole * hole <= d2 <= radius * radius:
                    self.put(x, y, colour)

    def text(self, x, y, text, colour, scale=1):
        for i, char in enumerate(text):
            gx = x + i * (pixel_font.GLYPH_WIDTH + 1) * scale
            for row, bits in enumerate(pixel_font.glyph(char)):
                for col, bit in enumerate(bits):
                    if bit == "#":
                        self.fill(gx + col * scale, y + row * scale,
                                  gx + (col + 1) * scale, y + (row + 1) * scale, colour)

    def centred_text(self, cx, y, text, colour, scale=1):
        self.text(cx - pixel_font.text_width(text, scale) // 2, y, text, colour, scale)

    def centred_lines(self, lines, colour, scale=1, gap=3, x0=0, x1=None):
        """Lines centred horizontally in [x0, x1) and vertically in the canvas."""
        x1 = self.width if x1 is None else x1
        line_height = pixel_font.text_height(scale) + gap
        y = (self.height - (len(lines) * line_height - gap)) // 2
        for line in lines:
            self.centred_text((x0 + x1) // 2, y, line, colour, scale)
            y += line_height

    def bmp(self):
        """The picture as a bottom-up 24-bit BMP file with a 40-byte header."""
        row_size = (self.width * 3 + 3) & ~3
        padding = b"\0" * (row_size - self.width * 3)
        image = bytearray()
        for row in reversed(self.pixels):
            for r, g, b in row:
                image += bytes((b, g, r))
            image += padding
        header = struct.pack("<2sIHHI", b"BM", 14 + 40 + len(image), 0, 0, 14 + 40)
        info = struct.pack("<IiiHHIIiiII", 40, self.width, self.height, 1, 24, 0,
                           len(image), 2835, 2835, 0, 0)
        return header + info + bytes(image)


def mix(a, b, t):
    return tuple(round(a[i] + (b[i] - a[i]) * t) for i in range(3))


# --- the pictures --------------------------------------------------------------

def splash():
    """Backdrop: stretched over the whole screen, so a small picture will do."""
    c = Canvas(320, 240)
    c.diagonal_gradient(NAVY_DARK, NAVY_LIGHT)
    for radius, colour in ((150, (18, 36, 66)), (110, (24, 48, 84)), (70, (30, 58, 98))):
        c.disc(250, 190, radius, colour, hole=radius - 14)
    c.text(16, 16, "EXAMPLE MEDIA", GOLD, scale=2)
    c.text(16, 36, "INSTALLATION LAUNCHER DEMO", SILVER)
    return c


def main_picture():
    """Menu background: header band, a panel where Button1's hover picture
    appears (PositionSel 200,96), and a footer."""
    w, h = CLIENT_SIZE
    c = Canvas(w, h)
    c.vertical_gradient(0, 0, w, h, (16, 32, 60), (36, 66, 104))
    c.fill(0, 0, w, 62, NAVY_DARK)
    c.fill(0, 62, w, 64, GOLD)
    c.text(20, 14, "EXAMPLE MEDIA", GOLD, scale=3)
    c.text(20, 44, "CHOOSE WHAT TO INSTALL", CREAM)
    c.frame(200, 96, 490, 246, STEEL)
    c.centred_lines(["POINT AT A BUTTON", "TO LEARN MORE"], STEEL, x0=200, x1=490)
    c.fill(20, 316, 380, 317, STEEL)
    c.text(20, 330, "EXAMPLE MEDIA FOR THE LAUNCHER", SILVER)
    c.text(20, 344, "ESCAPE OR QUIT LEAVES THE MENU", STEEL)
    return c


def info_one():
    """Button1's hover picture, shown in the panel at the right."""
    c = Canvas(290, 150, CREAM)
    c.frame(0, 0, c.width, c.height, NAVY, thickness=2)
    c.fill(2, 2, c.width - 2, 30, NAVY)
    c.text(12, 9, "EXAMPLE ONE", GOLD, scale=2)
    lines = [
        "INSTALLS THE FIRST EXAMPLE",
        "PROGRAM. THIS BUTTON HAS A",
        "LABEL, SO A CLICK ASKS",
        "'INSTALL APPLICATION?' FIRST.",
        "",
        "THIS PANEL IS THE BUTTON'S",
        "IMAGESEL, PLACED BY POSITIONSEL.",
    ]
    for i, line in enumerate(lines):
        c.text(12, 40 + i * 14, line, NAVY)
    return c


def button_two_selected():
    """Button2's hover picture: covers the text button exactly."""
    c = Canvas(*BUTTON_SIZE, GOLD)
    c.frame(0, 0, c.width, c.height, GOLD_LIGHT, thickness=2)
    c.centred_lines(["INSTALL", "EXAMPLE TWO"], NAVY_DARK, gap=5)
    return c


def button_three_selected():
    """Button3's hover picture: covers the text button exactly, its lines set
    to the right as the button's text is."""
    c = Canvas(*BUTTON_SIZE)
    c.vertical_gradient(0, 0, c.width, c.height, GOLD_LIGHT, GOLD)
    c.frame(0, 0, c.width, c.height, NAVY_DARK, thickness=2)
    for y, line in ((14, "READ THE"), (26, "MANUAL")):
        c.text(c.width - 8 - pixel_font.text_width(line), y, line, NAVY_DARK)
    return c


def cancel(selected):
    c = Canvas(*(CANCEL_SEL_SIZE if selected else CANCEL_SIZE), GOLD if selected else NAVY)
    c.frame(0, 0, c.width, c.height, GOLD_LIGHT if selected else STEEL, thickness=2)
    c.centred_lines(["QUIT"], NAVY_DARK if selected else CREAM, scale=2)
    return c


PICTURES = {
    "splash.bmp": splash,
    "main.bmp": main_picture,
    "info1.bmp": info_one,
    "button2_sel.bmp": button_two_selected,
    "button3_sel.bmp": button_three_selected,
    "cancel.bmp": lambda: cancel(False),
    "cancel_sel.bmp": lambda: cancel(True),
}


def main(argv):
    if len(argv) == 2 and argv[1] == "--list":
        print("\n".join(PICTURES))
        return 0
    if len(argv) != 2:
        print(__doc__.strip().splitlines()[2], file=sys.stderr)
        return 2
    out = argv[1]
    os.makedirs(out, exist_ok=True)
    for name, draw in PICTURES.items():
        data = draw().bmp()
        path = os.path.join(out, name)
        # Unchanged files keep their time stamps, so builds stay incremental.
        try:
            with open(path, "rb") as f:
                if f.read() == data:
                    continue
        except OSError:
            pass
        with open(path, "wb") as f:
            f.write(data)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
