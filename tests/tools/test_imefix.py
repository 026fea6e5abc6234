#!/usr/bin/env python3
"""Checks data/IMEFIX.REG, the registry file the input-method repair imports
silently with regedit: encoding, line ends, size and the values it sets."""

import pathlib
import re
import unittest

ROOT = pathlib.Path(__file__).resolve().parents[2]
REG_FILE = ROOT / "data" / "IMEFIX.REG"

LANGBAR = "HKEY_CURRENT_USER\\Software\\Microsoft\\CTF\\LangBar"
MSUTB = "HKEY_CURRENT_USER\\Software\\Microsoft\\CTF\\MSUTB"
EXPECTED_VALUES = [
    (LANGBAR, "ShowStatus", 4),
    (LANGBAR, "ExtraIconsOnMinimized", 0),
    (LANGBAR, "Transparency", 255),
    (LANGBAR, "Label", 0),
    (MSUTB, "ShowDeskBand", 1),
    (MSUTB, "Left", 1024),
    (MSUTB, "Top", 864),
    (MSUTB, "Vertical", 0),
]

KEY_LINE = re.compile(r"\A\[([^\[\]]+)\]\Z")
DWORD_LINE = re.compile(r'\A"([^"\\]+)"=dword:([0-9a-f]{8})\Z')


def parse(lines):
    """Reads a registry file body the way regedit does for the forms this
    file may use; anything else is an error rather than silently skipped."""
    values = []
    key = None
    for number, line in enumerate(lines, 1):
        if line == "":
            continue
        match = KEY_LINE.match(line)
        if match:
            key = match.group(1)
            continue
        match = DWORD_LINE.match(line)
        if not match or key is None:
            raise ValueError("line %d not understood: %r" % (number, line))
        values.append((key, match.group(1), int(match.group(2), 16)))
    return values


class ImeFixTest(unittest.TestCase):
    def setUp(self):
        self.raw = REG_FILE.read_bytes()

    def test_encoding_and_line_ends(self):
        self.assertEqual(len(self.raw), 744)
        self.assertEqual(self.raw[:2], b"\xff\xfe")
        text = self.raw[2:].decode("utf-16-le")
        self.assertNotIn("\ufeff", text)
        self.assertTrue(text.endswith("\r\n"))
        # Every CR belongs to a CR LF pair and every LF to one as well.
        self.assertEqual(text.count("\r"), text.count("\r\n"))
        self.assertEqual(text.count("\n"), text.count("\r\n"))

    def test_layout(self):
        lines = self.raw[2:].decode("utf-16-le").split("\r\n")[:-1]
        self.assertEqual(lines[0], "Windows Registry Editor Version 5.00")
        self.assertEqual(lines[1], "")
        self.assertEqual(lines[2], "[" + LANGBAR + "]")
        blank = [i for i, line in enumerate(lines) if line == ""]
        self.assertEqual(blank, [1, 7], "one blank line after the header and one between the sections")
        self.assertEqual(lines[8], "[" + MSUTB + "]")

    def test_values(self):
        lines = self.raw[2:].decode("utf-16-le").split("\r\n")[:-1]
        self.assertEqual(parse(lines[1:]), EXPECTED_VALUES)


if __name__ == "__main__":
    unittest.main()
