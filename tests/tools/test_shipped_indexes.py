#!/usr/bin/env python3
"""Checks the digest indexes in data/indexes: one per platform, each a valid
index, and each exactly what tools/make_shipped_indexes.py writes."""

import hashlib
import pathlib
import subprocess
import sys
import tempfile
import unittest

ROOT = pathlib.Path(__file__).resolve().parents[2]
INDEXES = ROOT / "data" / "indexes"
MAKER = ROOT / "tools" / "make_shipped_indexes.py"

PLATFORM_KEYS = {
    "0501.0300.2052", "0501.0000.1033", "0501.0000.2052", "0501.0100.1033",
    "0501.0100.2052", "0501.0200.1033", "0501.0200.2052", "0501.0300.1033",
    "0601.0000.0000", "0502.0000.1033", "0502.0000.2052", "0502.0100.1033",
    "0502.0100.2052", "0502.0200.1033", "0502.0200.2052", "0600.0000.0000",
    "0600.0100.0000", "0600.0200.0000",
}

LPK = "\\systemroot\\system32\\lpk.dll"


def key_of(text):
    return hashlib.md5(text.encode("utf-16-le")).digest()


def load(path):
    data = path.read_bytes()
    return [(data[i:i + 16], data[i + 16:i + 32]) for i in range(0, len(data) - len(data) % 32, 32)], len(data)


class ShippedIndexesTest(unittest.TestCase):
    def test_one_valid_index_per_platform(self):
        self.assertEqual({p.stem for p in INDEXES.glob("*.idx")}, PLATFORM_KEYS)
        for key in sorted(PLATFORM_KEYS):
            with self.subTest(platform=key):
                records, size = load(INDEXES / (key + ".idx"))
                self.assertEqual(size % 32, 0)
                keys = [k for k, _ in records]
                self.assertEqual(keys, sorted(set(keys)), "strictly ascending keys")

    def test_known_records(self):
        cases = [
            ("0501.0300.2052", LPK, "1efb14775b5feee55dc744ebfcca1cfd"),
            ("0501.0300.2052", "\\systemroot\\explorer.exe", "9eb867933136ad37eaf7f2ecb97e3a4d"),
            ("0501.0300.2052", "\\systemroot\\system32\\drivers\\netbios.sys",
             "5d81cf9a2f1a3a756b66cf684911cdf0"),
            ("0501.0300.1033", LPK, "012df358cebaa23acb26d82077820817"),
        ]
        for platform, path, content_hex in cases:
            with self.subTest(platform=platform, path=path):
                records, _ = load(INDEXES / (platform + ".idx"))
                self.assertEqual(dict(records).get(key_of(path)), bytes.fromhex(content_hex))
        self.assertEqual(len(load(INDEXES / "0501.0300.2052.idx")[0]), 3)
        self.assertEqual(len(load(INDEXES / "0501.0300.1033.idx")[0]), 1)

    def test_binaries_are_reproducible(self):
        check = subprocess.run([sys.executable, str(MAKER), "--check"], capture_output=True, text=True)
        self.assertEqual(check.returncode, 0, check.stderr)
        with tempfile.TemporaryDirectory() as temp:
            out = pathlib.Path(temp)
            (out / "0501.0300.1033.idx").write_bytes(b"stale")
            stale = subprocess.run([sys.executable, str(MAKER), "--check", "--out", temp],
                                   capture_output=True, text=True)
            self.assertEqual(stale.returncode, 1)
            made = subprocess.run([sys.executable, str(MAKER), "--out", temp], capture_output=True, text=True)
            self.assertEqual(made.returncode, 0, made.stderr)
            for path in INDEXES.glob("*.idx"):
                self.assertEqual((out / path.name).read_bytes(), path.read_bytes(), path.name)


if __name__ == "__main__":
    unittest.main()
