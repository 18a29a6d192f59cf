"""Helpers of the example tests: pictures as RGB arrays, the configuration as
the profile reader delivers it, and the Wine environment of the test run."""

import os
import re
import struct
import subprocess
import sys
import tempfile
import unittest


class Picture:
    """An RGB picture: width, height and 3 bytes per pixel, top row first."""

    def __init__(self, width, height, rgb):
        self.width = width
        self.height = height
        self.rgb = bytes(rgb)

    def size(self):
        return (self.width, self.height)

    def pixel(self, x, y):
        i = (y * self.width + x) * 3
        return self.rgb[i:i + 3]

    def crop(self, x, y, w, h):
        rows = bytearray()
        for row in range(y, y + h):
            start = (row * self.width + x) * 3
            rows += self.rgb[start:start + w * 3]
        return Picture(w, h, rows)


def read_png(path):
    """Any picture ImageMagick reads, as 8-bit RGB."""
    size = subprocess.run(["identify", "-format", "%w %h", path], check=True,
                          capture_output=True, text=True).stdout.split()
    width, height = int(size[0]), int(size[1])
    rgb = subprocess.run(["convert", path, "-depth", "8", "rgb:-"], check=True,
                         capture_output=True).stdout
    if len(rgb) != width * height * 3:
        raise ValueError(f"{path}: {len(rgb)} bytes for {width}x{height}")
    return Picture(width, height, rgb)


def read_bmp(path):
    """A bottom-up 24-bit BMP file, as the example's pictures are written."""
    with open(path, "rb") as f:
        data = f.read()
    offset, = struct.unpack_from("<I", data, 10)
    header, width, height, _, bits = struct.unpack_from("<IiiHH", data, 14)
    if bits != 24 or height <= 0:
        raise ValueError(f"{path}: not a bottom-up 24-bit BMP")
    row_size = (width * 3 + 3) & ~3
    rgb = bytearray()
    for row in range(height - 1, -1, -1):
        start = offset + row * row_size
        for x in range(width):
            b, g, r = data[start + 3 * x:start + 3 * x + 3]
            rgb += bytes((r, g, b))
    return Picture(width, height, rgb)


def difference_box(a, b):
    """The smallest rectangle (x, y, w, h) holding every pixel in which two
    pictures of the same size differ, or None when they are equal."""
    if a.size() != b.size():
        raise ValueError("pictures of different sizes")
    left, top, right, bottom = a.width, a.height, -1, -1
    row_bytes = a.width * 3
    for y in range(a.height):
        ra = a.rgb[y * row_bytes:(y + 1) * row_bytes]
        rb = b.rgb[y * row_bytes:(y + 1) * row_bytes]
        if ra == rb:
            continue
        top = min(top, y)
        bottom = y
        for x in range(a.width):
            if ra[3 * x:3 * x + 3] != rb[3 * x:3 * x + 3]:
                left = min(left, x)
                right = max(right, x)
    if bottom < 0:
        return None
    return (left, top, right - left + 1, bottom - top + 1)


def read_profile(path):
    """{section: {key: value}} with section and key names in lower case, read
    the way the platform's profile reader does: blanks around names and values
    trimmed, one pair of enclosing quotes removed, the first of repeated keys
    and the first block of a repeated section winning."""
    sections = {}
    current = None
    seen = set()
    with open(path, "rb") as f:
        text = f.read().decode("latin-1")
    for line in text.splitlines():
        line = line.strip()
        m = re.match(r"^\[(.*)\]", line)
        if m:
            name = m.group(1).strip().lower()
            current = None if name in seen else sections.setdefault(name, {})
            seen.add(name)
            continue
        if current is None or "=" not in line:
            continue
        key, value = (part.strip() for part in line.split("=", 1))
        if len(value) >= 2 and value[0] == value[-1] and value[0] in "\"'":
            value = value[1:-1]
        current.setdefault(key.lower(), value)
    return sections


def given(value):
    """Whether a configuration value counts as given (not empty, not *NOT*)."""
    return value is not None and value != "" and value.lower() != "*not*"


def position(value):
    """x,y of a Position value, or None when a zero in either means 'not given'."""
    if not given(value):
        return None

    def number(text):
        m = re.match(r"\s*([+-]?)(\d*)", text)
        n = int(m.group(2) or "0")
        return -n if m.group(1) == "-" else n

    x = number(value)
    y = number(value.split(",", 1)[1]) if "," in value else 0
    return (x, y) if x and y else None


class WineSession:
    """The test run's Wine environment (started by a wine-env.sh fixture):
    the WoW64 one for the shipped 32-bit launcher."""

    def __init__(self):
        self.state = os.environ["SETUPMENU_WINE_STATE"]
        self.probe = os.environ["SETUPMENU_PROBE"]
        self.run = os.path.join(os.environ["SETUPMENU_SOURCE"], "tests", "wine", "wine-run.sh")
        with open(os.path.join(self.state, "display")) as f:
            self.display = f.read().strip()
        self.env = dict(os.environ, DISPLAY=self.display)

    @staticmethod
    def unavailable():
        """Why the environment cannot run here, or None."""
        path = os.path.join(os.environ.get("SETUPMENU_WINE_STATE", ""), "unavailable")
        if not os.path.exists(path):
            return None
        with open(path) as f:
            return f.read().strip()

    def start(self, exe, cwd, log_path):
        with open(log_path, "wb") as log:
            return subprocess.Popen([self.run, self.state, exe], cwd=cwd, env=self.env,
                                    stdin=subprocess.DEVNULL, stdout=log, stderr=subprocess.STDOUT)

    def probe_run(self, *args, timeout=60):
        """Runs the probe; its output goes through files, not pipes: Wine's
        helper processes that it may start inherit its standard streams and
        outlive it, and a pipe they hold open would never end."""
        with tempfile.TemporaryFile() as out, tempfile.TemporaryFile() as err:
            run = subprocess.run([self.run, self.state, self.probe, *args], env=self.env,
                                 stdin=subprocess.DEVNULL, stdout=out, stderr=err, timeout=timeout)
            out.seek(0)
            err.seek(0)
            return subprocess.CompletedProcess(run.args, run.returncode,
                                               out.read().decode("utf-8", "replace"),
                                               err.read().decode("utf-8", "replace"))

    def xdotool(self, *args):
        subprocess.run(["xdotool", *args], env=self.env, check=True)


SKIPPED = 77  # CTest's SKIP_RETURN_CODE for these tests


def main():
    """unittest's main, except that a run in which a test was skipped (the
    32-bit launcher cannot run here) and none failed ends with SKIPPED after
    naming each skip and its reason, so that CTest reports a skip, not a pass."""
    result = unittest.main(exit=False, verbosity=2).result
    if not result.wasSuccessful():
        sys.exit(1)
    for test, reason in result.skipped:
        print("SKIPPED: %s: %s" % (test.id(), reason))
    sys.exit(SKIPPED if result.skipped else 0)


def make_certificate(folder, password="throwaway password"):
    """A throwaway self-signed code-signing certificate made with openssl:
    the PKCS#12 file, the certificate alone (PEM, the trust anchor for
    verifying) and a file holding the PKCS#12 file's password."""
    key, pem, pfx, secret = (os.path.join(folder, name) for name in
                             ("signer.key", "signer.pem", "signer.pfx", "signer.pass"))
    with open(secret, "w") as f:
        f.write(password)
    subprocess.run(["openssl", "req", "-x509", "-newkey", "rsa:2048", "-nodes", "-keyout", key, "-out", pem,
                    "-days", "2", "-subj", "/CN=SetupMenu test signer", "-addext", "extendedKeyUsage=codeSigning"],
                   check=True, capture_output=True)
    subprocess.run(["openssl", "pkcs12", "-export", "-out", pfx, "-inkey", key, "-in", pem,
                    "-passout", "file:" + secret], check=True, capture_output=True)
    return pfx, pem, secret


def verify_signature(path, trusted_pem):
    """osslsigncode's verdict on a program's Authenticode signature."""
    return subprocess.run(["osslsigncode", "verify", "-CAfile", trusted_pem, "-in", path],
                          capture_output=True, text=True)
