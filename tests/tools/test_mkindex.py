#!/usr/bin/env python3
"""Runs tools/mkindex on small folders and checks the index it writes."""

import hashlib
import os
import pathlib
import subprocess
import sys
import tempfile
import unittest

ROOT = pathlib.Path(__file__).resolve().parents[2]
MKINDEX = ROOT / "tools" / "mkindex"

# Key digests of paths every shipped index knows; they depend on the path only.
KNOWN_KEYS = {
    "System32/LPK.DLL": "6435d74bb98354a6e4476d690d3ec29d",
    "explorer.exe": "8a82d323106118d62dcac36e13d7ee8d",
    "System32/drivers/netbios.sys": "4a620940b2ab8fb3c26e0ecad2abd42a",
}

# Files of the small installation, their content, and the text their key
# must be the digest of.
FILES = [
    ("System32/LPK.DLL", b"MZ lpk", "\\systemroot\\system32\\lpk.dll"),
    ("explorer.exe", b"MZ explorer", "\\systemroot\\explorer.exe"),
    ("System32/drivers/netbios.sys", b"", "\\systemroot\\system32\\drivers\\netbios.sys"),
    # Only A to Z fold; other letters, and characters outside the basic
    # plane (two UTF-16 code units), are hashed as they are.
    ("Fonts/Straße/ÄÖ.TTF", b"font", "\\systemroot\\fonts\\straße\\ÄÖ.ttf"),
    ("Help/\U0001D538x.CHM", b"help", "\\systemroot\\help\\\U0001D538x.chm"),
]


def md5(data):
    return hashlib.md5(data).digest()


def key_of(text):
    return md5(text.encode("utf-16-le"))


def run(*args):
    return subprocess.run([sys.executable, str(MKINDEX), *map(str, args)],
                          capture_output=True, text=True)


def records(path):
    data = pathlib.Path(path).read_bytes()
    if len(data) % 32:
        raise AssertionError("index size %d is not a multiple of 32" % len(data))
    return [(data[i:i + 16], data[i + 16:i + 32]) for i in range(0, len(data), 32)]


def make_tree(base, files):
    for rel, content, *_ in files:
        path = pathlib.Path(base, rel)
        path.parent.mkdir(parents=True, exist_ok=True)
        path.write_bytes(content)


class MkIndexTest(unittest.TestCase):
    def setUp(self):
        self.temp = tempfile.TemporaryDirectory()
        self.base = pathlib.Path(self.temp.name)
        self.windows = self.base / "WINDOWS"
        self.windows.mkdir()
        self.out = self.base / "out.idx"

    def tearDown(self):
        self.temp.cleanup()

    def build(self, *args):
        result = run("-o", self.out, *args, self.windows)
        self.assertEqual(result.returncode, 0, result.stderr)
        return records(self.out)

    def test_whole_folder(self):
        make_tree(self.windows, FILES)
        got = self.build()
        self.assertEqual(len(got), len(FILES))
        keys = [k for k, _ in got]
        self.assertEqual(keys, sorted(set(keys)), "strictly ascending keys")
        by_key = dict(got)
        for rel, content, key_text in FILES:
            with self.subTest(path=rel):
                self.assertEqual(by_key.get(key_of(key_text)), md5(content))
        for rel, hex_key in KNOWN_KEYS.items():
            with self.subTest(known=rel):
                self.assertIn(bytes.fromhex(hex_key), by_key)

    def test_listed_files_only(self):
        make_tree(self.windows, FILES)
        listing = self.base / "files.txt"
        listing.write_text("# system files the tool examines\n\nsystem32\\drivers\\NETBIOS.SYS\n",
                           encoding="utf-8")
        got = self.build("--include", "system32\\lpk.dll", "--include", "EXPLORER.EXE",
                         "--include-from", listing)
        expected = sorted((bytes.fromhex(KNOWN_KEYS[rel]), md5(content))
                          for rel, content, _ in FILES if rel in KNOWN_KEYS)
        self.assertEqual(got, expected)

    def test_same_file_twice_gives_one_record(self):
        make_tree(self.windows, FILES[:1])
        got = self.build("--include", "System32/LPK.DLL", "--include", "system32\\lpk.dll")
        self.assertEqual(got, [(bytes.fromhex(KNOWN_KEYS["System32/LPK.DLL"]), md5(b"MZ lpk"))])

    def test_empty_folder_gives_empty_index(self):
        self.out.write_bytes(b"x" * 64)
        self.assertEqual(self.build(), [])
        self.assertEqual(self.out.stat().st_size, 0)

    def test_list_shows_key_text(self):
        make_tree(self.windows, FILES[:2])
        result = run("-o", self.out, "--list", self.windows)
        self.assertEqual(result.returncode, 0, result.stderr)
        self.assertIn("%s %s \\systemroot\\system32\\lpk.dll"
                      % (KNOWN_KEYS["System32/LPK.DLL"], md5(b"MZ lpk").hex()),
                      result.stdout.splitlines())

    def test_errors_write_nothing(self):
        cases = [
            ("listed file missing", [("explorer.exe", b"e")], ["--include", "regedit.exe"]),
            ("listed path is a folder", [("System32/lpk.dll", b"l")], ["--include", "system32"]),
            ("path leaves the folder", [("explorer.exe", b"e")], ["--include", "..\\WINDOWS\\explorer.exe"]),
            ("absolute path", [("explorer.exe", b"e")], ["--include", "\\explorer.exe"]),
            ("case twins with different content",
             [("system32/lpk.dll", b"one"), ("SYSTEM32/lpk.dll", b"two")], []),
        ]
        for name, files, args in cases:
            with self.subTest(case=name), tempfile.TemporaryDirectory() as temp:
                windows = pathlib.Path(temp, "WINDOWS")
                windows.mkdir()
                make_tree(windows, files)
                out = pathlib.Path(temp, "out.idx")
                out.write_bytes(b"previous")
                result = run("-o", out, *args, windows)
                self.assertEqual(result.returncode, 1, result.stderr)
                self.assertIn("mkindex:", result.stderr)
                self.assertEqual(out.read_bytes(), b"previous")

    @unittest.skipUnless(sys.platform.startswith("linux"), "needs byte file names")
    def test_name_that_is_not_utf8_is_an_error(self):
        (self.windows / "ok.dll").write_bytes(b"ok")
        with open(os.fsencode(self.windows) + b"/\xb2\xe2.dll", "wb") as f:
            f.write(b"gbk name")
        result = run("-o", self.out, self.windows)
        self.assertEqual(result.returncode, 1)
        self.assertFalse(self.out.exists())

    def test_help(self):
        result = run("--help")
        self.assertEqual(result.returncode, 0)
        self.assertIn("WINDOWS_COPY", result.stdout)
        self.assertIn("\\systemroot\\", result.stdout)


if __name__ == "__main__":
    unittest.main()
