"""scripts/sign.sh with a throwaway self-signed certificate: osslsigncode
verify accepts the signed programs, the signature covers the program, the
password is on no command line, a failed signing leaves the program as it was.
The signed programs stay in SETUPMENU_SIGNED for the start-up tests."""

import os
import shutil
import struct
import subprocess
import sys
import tempfile
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from media_tools import make_certificate, verify_signature  # noqa: E402

SIGN = os.path.join(os.environ["SETUPMENU_SOURCE"], "scripts", "sign.sh")
WIN32_BIN = os.path.join(os.environ["SETUPMENU_WIN32_BUILD"], "bin")
LAUNCHER64 = os.environ["SETUPMENU_LAUNCHER64"]
SIGNED = os.environ["SETUPMENU_SIGNED"]
PASSWORD = "not on any command line"
# Signed copy, built program.
PROGRAMS = [("win32/SetupMenu.exe", os.path.join(WIN32_BIN, "SetupMenu.exe")),
            ("win32/SetupMenuCheck.exe", os.path.join(WIN32_BIN, "SetupMenuCheck.exe")),
            ("win64/SetupMenu.exe", LAUNCHER64)]


def read(path):
    with open(path, "rb") as f:
        return f.read()


class Signing(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.work = tempfile.mkdtemp(prefix="sign-", dir=os.environ.get("SETUPMENU_TEST_WORK"))
        cls.pfx, cls.pem, cls.secret = make_certificate(cls.work, PASSWORD)
        # osslsigncode, behind a stand-in that logs its command lines.
        cls.log = os.path.join(cls.work, "commands.log")
        os.makedirs(os.path.join(cls.work, "bin"))
        with open(os.path.join(cls.work, "bin", "osslsigncode"), "w") as f:
            f.write(f'#!/bin/sh\necho "$*" >>{cls.log}\nexec {shutil.which("osslsigncode")} "$@"\n')
        os.chmod(os.path.join(cls.work, "bin", "osslsigncode"), 0o755)
        cls.env = dict(os.environ, PATH=os.path.join(cls.work, "bin") + os.pathsep + os.environ["PATH"])
        shutil.rmtree(SIGNED, ignore_errors=True)
        cls.signed = [os.path.join(SIGNED, name) for name, _ in PROGRAMS]
        for (_, built), target in zip(PROGRAMS, cls.signed):
            os.makedirs(os.path.dirname(target), exist_ok=True)
            shutil.copyfile(built, target)
        cls.result = cls.sign("--password-file", cls.secret, *cls.signed)

    @classmethod
    def sign(cls, *args):
        return subprocess.run([SIGN, "--sign", cls.pfx, *args], env=cls.env, stdin=subprocess.DEVNULL,
                              capture_output=True, text=True, timeout=120)

    def setUp(self):
        self.assertEqual(self.result.returncode, 0, self.result.stderr)

    def test_osslsigncode_verify_accepts_every_signed_program(self):
        for path in self.signed:
            with self.subTest(program=path):
                verdict = verify_signature(path, self.pem)
                self.assertEqual(verdict.returncode, 0, verdict.stdout + verdict.stderr)
                self.assertIn("Message digest algorithm  : SHA256", verdict.stdout)

    def test_a_byte_changed_after_signing_fails_verification(self):
        signed = read(self.signed[0])
        pe, = struct.unpack_from("<I", signed, 0x3C)
        code = struct.unpack_from("<I", signed, pe + 24 + struct.unpack_from("<H", signed, pe + 20)[0] + 20)[0]
        for where, offset in (("DOS stub", 0x4E), ("first section", code + 16)):
            with self.subTest(changed=where):
                changed = os.path.join(self.work, "changed.exe")
                with open(changed, "wb") as f:
                    f.write(signed[:offset] + bytes([signed[offset] ^ 0xFF]) + signed[offset + 1:])
                verdict = verify_signature(changed, self.pem)
                self.assertNotEqual(verdict.returncode, 0)
                self.assertIn("MISMATCH", verdict.stdout)

    def test_the_password_is_on_no_command_line(self):
        commands = read(self.log).decode().splitlines()[:len(PROGRAMS)]
        self.assertEqual(len(commands), len(PROGRAMS))
        for command in commands:
            self.assertIn(f"-readpass {self.secret}", command)
            self.assertNotIn(PASSWORD, command)

    def test_a_failed_signing_leaves_the_program_as_it_was(self):
        program = os.path.join(self.work, "unsigned.exe")
        shutil.copyfile(LAUNCHER64, program)
        # A time-stamping server that does not answer.
        run = self.sign("--password-file", self.secret, "--timestamp", "http://127.0.0.1:1/tsa", program)
        self.assertNotEqual(run.returncode, 0)
        self.assertIn("could not sign", run.stderr)
        self.assertEqual(read(program), read(LAUNCHER64))
        self.assertNotIn("unsigned.exe.signing", os.listdir(self.work))
        self.assertIn("-ts http://127.0.0.1:1/tsa", read(self.log).decode())


if __name__ == "__main__":
    unittest.main()
