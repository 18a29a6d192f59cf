"""scripts/sign.sh with a throwaway self-signed certificate: osslsigncode
verify accepts the signed 32-bit launcher and checker and the 64-bit
launcher, the signature covers the program, the password never appears on a
command line, and a failed signing leaves the program as it was.

The signed programs stay in SETUPMENU_SIGNED (win32/, win64/) for the
start-up test of a signed launcher."""

import os
import shutil
import struct
import subprocess
import sys
import tempfile
import unittest

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)
from media_tools import make_certificate, verify_signature  # noqa: E402

SOURCE = os.environ.get("SETUPMENU_SOURCE", os.path.dirname(os.path.dirname(HERE)))
WIN32_BUILD = os.environ.get("SETUPMENU_WIN32_BUILD", "")
LAUNCHER64 = os.environ.get("SETUPMENU_LAUNCHER64", "")
SIGNED = os.environ.get("SETUPMENU_SIGNED", "")
SIGN = os.path.join(SOURCE, "scripts", "sign.sh")
PASSWORD = "not on any command line"

# Signed copy (under SIGNED), built program.
PROGRAMS = [
    ("win32/SetupMenu.exe", os.path.join(WIN32_BUILD, "bin", "SetupMenu.exe")),
    ("win32/SetupMenuCheck.exe", os.path.join(WIN32_BUILD, "bin", "SetupMenuCheck.exe")),
    ("win64/SetupMenu.exe", LAUNCHER64),
]

# A stand-in for osslsigncode that writes each command line to a log first.
RECORDER = """#!/bin/sh
printf '%s\\n' "$*" >>"{log}"
exec "{real}" "$@"
"""


def first_section_offset(data):
    """File offset of the first section's raw data."""
    pe, = struct.unpack_from("<I", data, 0x3C)
    optional_size, = struct.unpack_from("<H", data, pe + 20)
    section = pe + 24 + optional_size
    return struct.unpack_from("<I", data, section + 20)[0]


class SignedPrograms(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.work = tempfile.mkdtemp(prefix="sign-", dir=os.environ.get("SETUPMENU_TEST_WORK"))
        cls.pfx, cls.pem, cls.secret = make_certificate(cls.work, PASSWORD)
        tools = os.path.join(cls.work, "tools")
        os.makedirs(tools)
        cls.log = os.path.join(cls.work, "osslsigncode.log")
        with open(os.path.join(tools, "osslsigncode"), "w") as f:
            f.write(RECORDER.format(log=cls.log, real=shutil.which("osslsigncode")))
        os.chmod(os.path.join(tools, "osslsigncode"), 0o755)
        cls.env = dict(os.environ, PATH=tools + os.pathsep + os.environ["PATH"])

        shutil.rmtree(SIGNED, ignore_errors=True)
        cls.signed = []
        for name, built in PROGRAMS:
            target = os.path.join(SIGNED, name)
            os.makedirs(os.path.dirname(target), exist_ok=True)
            shutil.copyfile(built, target)
            cls.signed.append(target)
        cls.run_result = cls.sign("--sign", cls.pfx, "--password-file", cls.secret, *cls.signed)
        with open(cls.log) as f:
            cls.commands = f.read().splitlines()

    @classmethod
    def sign(cls, *args):
        return subprocess.run([SIGN, *args], env=cls.env, stdin=subprocess.DEVNULL, capture_output=True,
                              text=True, timeout=120)

    def setUp(self):
        self.assertEqual(self.run_result.returncode, 0, self.run_result.stderr)

    def test_osslsigncode_verify_accepts_every_signed_program(self):
        for path in self.signed:
            with self.subTest(program=path):
                verdict = verify_signature(path, self.pem)
                self.assertEqual(verdict.returncode, 0, verdict.stdout + verdict.stderr)
                self.assertIn("Signature verification: ok", verdict.stdout)
                self.assertIn("Message digest algorithm  : SHA256", verdict.stdout)
                self.assertIn("Subject: /CN=SetupMenu test signer", verdict.stdout)

    def test_the_signature_covers_the_program(self):
        with open(self.signed[0], "rb") as f:
            signed = f.read()
        # (where, offset): a byte of the headers and one of the code.
        for where, offset in (("DOS stub", 0x4E), ("first section", first_section_offset(signed) + 16)):
            with self.subTest(changed=where):
                changed = bytearray(signed)
                changed[offset] ^= 0xFF
                path = os.path.join(self.work, "changed.exe")
                with open(path, "wb") as f:
                    f.write(changed)
                verdict = verify_signature(path, self.pem)
                self.assertNotEqual(verdict.returncode, 0)
                self.assertIn("MISMATCH", verdict.stdout)

    def test_the_password_is_never_on_a_command_line(self):
        self.assertEqual(len(self.commands), len(PROGRAMS))
        for command in self.commands:
            self.assertIn(f"-readpass {self.secret}", command)
            self.assertNotIn(PASSWORD, command)

    def test_a_failed_signing_leaves_the_program_as_it_was(self):
        # (case, options): a wrong password; a time-stamping server that does not answer.
        wrong_secret = os.path.join(self.work, "wrong.pass")
        with open(wrong_secret, "w") as f:
            f.write("wrong password")
        cases = [
            ("wrong password", ["--password-file", wrong_secret]),
            ("no time stamp", ["--password-file", self.secret, "--timestamp", "http://127.0.0.1:1/tsa"]),
        ]
        for case, options in cases:
            with self.subTest(case=case):
                program = os.path.join(self.work, "unsigned.exe")
                shutil.copyfile(LAUNCHER64, program)
                run = self.sign("--sign", self.pfx, *options, program)
                self.assertNotEqual(run.returncode, 0)
                self.assertIn("could not sign", run.stderr)
                with open(program, "rb") as a, open(LAUNCHER64, "rb") as b:
                    self.assertEqual(a.read(), b.read())
                self.assertEqual(os.listdir(self.work).count("unsigned.exe.signing"), 0)
        with open(self.log) as f:
            self.assertIn("-ts http://127.0.0.1:1/tsa", f.read())


if __name__ == "__main__":
    unittest.main()
