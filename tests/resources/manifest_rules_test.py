#!/usr/bin/env python3
"""The manifest rules of check_resources.py against the shipped manifest and
against variants of it that each break one rule, so the read-back of the
built programs cannot pass while missing what it is there to catch.

Usage: manifest_rules_test.py resources/setupmenu.manifest
"""

import sys
import unittest

import check_resources

REQUESTED = b'<requestedExecutionLevel level="asInvoker" uiAccess="false"/>'
WIN10 = b'<supportedOS Id="{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}"/>'
DPI = (b'<application xmlns="urn:schemas-microsoft-com:asm.v3"><windowsSettings>'
       b'<dpiAware xmlns="http://schemas.microsoft.com/SMI/2005/WindowsSettings">true</dpiAware>'
       b'</windowsSettings></application>')
CONTROLS = (b'<dependency><dependentAssembly><assemblyIdentity type="win32" '
            b'name="Microsoft.Windows.Common-Controls" version="6.0.0.0" processorArchitecture="*" '
            b'publicKeyToken="6595b64144ccf1df" language="*"/></dependentAssembly></dependency>')
END = b"</assembly>"

# (what is changed, text replaced, replacement, words of the expected failure)
BROKEN = [
    ("requires administrator", REQUESTED, REQUESTED.replace(b"asInvoker", b"requireAdministrator"), "level="),
    ("highest available", REQUESTED, REQUESTED.replace(b"asInvoker", b"highestAvailable"), "level="),
    ("UI access", REQUESTED, REQUESTED.replace(b'"false"', b'"true"'), "uiAccess="),
    ("no execution level", REQUESTED, b"", "requestedExecutionLevel appears 0 times"),
    ("two execution levels", REQUESTED, REQUESTED * 2, "requestedExecutionLevel appears 2 times"),
    ("Windows 10 missing", WIN10, b"", "supported systems"),
    ("Windows 10 twice", WIN10, WIN10 * 2, "supported systems"),
    ("unknown system", WIN10, WIN10.replace(b"8e0f7a12", b"8e0f7a13"), "supported systems"),
    ("DPI awareness", END, DPI + END, "dpiAware"),
    ("common controls 6", END, CONTROLS + END, "Common-Controls"),
    ("other dependency", END, CONTROLS.replace(b"Microsoft.Windows.Common-Controls", b"Other") + END,
     "dependency"),
    ("not well-formed", END, b"</assemblyy>", "not well-formed"),
    ("no declaration", b'<?xml version="1.0" encoding="UTF-8" standalone="yes"?>', b"", "XML declaration"),
]


class ManifestRules(unittest.TestCase):
    manifest = b""

    def test_shipped_manifest_passes(self):
        self.assertEqual(check_resources.check_manifest(self.manifest), [])

    def test_each_broken_rule_is_reported(self):
        for what, old, new, expected in BROKEN:
            with self.subTest(what):
                self.assertEqual(self.manifest.count(old), 1, "the variant's anchor is not in the manifest")
                failures = check_resources.check_manifest(self.manifest.replace(old, new))
                self.assertTrue(any(expected in f for f in failures), failures)


if __name__ == "__main__":
    with open(sys.argv.pop(1), "rb") as f:
        ManifestRules.manifest = f.read()
    unittest.main(verbosity=2)
