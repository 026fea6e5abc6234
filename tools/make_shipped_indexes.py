#!/usr/bin/env python3
"""Writes the digest indexes that ship in data/indexes.

We hold no reference installations, so the shipped indexes carry only the
records whose digests we know; every other platform gets an empty index,
which the tool treats as "no index" and so never touches a file there.
A vendor with reference installations replaces these files with full ones
built by tools/mkindex (see data/README.md).

Run from anywhere; --check compares instead of writing and exits 1 on any
difference, so a stale or hand-edited binary is noticed.
"""

import argparse
import hashlib
import pathlib
import sys

ROOT = pathlib.Path(__file__).resolve().parents[1]
DEFAULT_OUT = ROOT / "data" / "indexes"

# Every platform the tool has an index resource for.
PLATFORM_KEYS = [
    "0501.0300.2052", "0501.0000.1033", "0501.0000.2052", "0501.0100.1033",
    "0501.0100.2052", "0501.0200.1033", "0501.0200.2052", "0501.0300.1033",
    "0601.0000.0000", "0502.0000.1033", "0502.0000.2052", "0502.0100.1033",
    "0502.0100.2052", "0502.0200.1033", "0502.0200.2052", "0600.0000.0000",
    "0600.0100.0000", "0600.0200.0000",
]

# Known records: platform key -> [(path key text, key digest, content digest)].
# The key digest is kept beside its path so that a typo in either is caught.
KNOWN_RECORDS = {
    "0501.0300.2052": [
        ("\\systemroot\\system32\\lpk.dll",
         "6435d74bb98354a6e4476d690d3ec29d", "1efb14775b5feee55dc744ebfcca1cfd"),
        ("\\systemroot\\explorer.exe",
         "8a82d323106118d62dcac36e13d7ee8d", "9eb867933136ad37eaf7f2ecb97e3a4d"),
        ("\\systemroot\\system32\\drivers\\netbios.sys",
         "4a620940b2ab8fb3c26e0ecad2abd42a", "5d81cf9a2f1a3a756b66cf684911cdf0"),
    ],
    "0501.0300.1033": [
        ("\\systemroot\\system32\\lpk.dll",
         "6435d74bb98354a6e4476d690d3ec29d", "012df358cebaa23acb26d82077820817"),
    ],
}


def index_bytes(entries):
    records = []
    for path, key_hex, content_hex in entries:
        key = bytes.fromhex(key_hex)
        content = bytes.fromhex(content_hex)
        if hashlib.md5(path.encode("utf-16-le")).digest() != key or len(content) != 16:
            raise ValueError("record for %s does not match its path or is malformed" % path)
        records.append((key, content))
    records.sort()
    keys = [k for k, _ in records]
    if len(set(keys)) != len(keys):
        raise ValueError("duplicate key")
    return b"".join(k + c for k, c in records)


def wanted_files():
    unknown = set(KNOWN_RECORDS) - set(PLATFORM_KEYS)
    if unknown:
        raise ValueError("records for unknown platforms: %s" % ", ".join(sorted(unknown)))
    return {key + ".idx": index_bytes(KNOWN_RECORDS.get(key, [])) for key in PLATFORM_KEYS}


def main(argv):
    parser = argparse.ArgumentParser(description="Write (or with --check, verify) the shipped digest indexes.")
    parser.add_argument("--out", type=pathlib.Path, default=DEFAULT_OUT,
                        help="folder for the .idx files (default: data/indexes)")
    parser.add_argument("--check", action="store_true",
                        help="compare the folder's files with what would be written; exit 1 on a difference")
    args = parser.parse_args(argv)
    files = wanted_files()
    if args.check:
        bad = []
        for name, data in files.items():
            path = args.out / name
            if not path.is_file() or path.read_bytes() != data:
                bad.append(name)
        extra = sorted(p.name for p in args.out.glob("*.idx") if p.name not in files)
        for name in bad:
            print("differs or missing: %s" % (args.out / name), file=sys.stderr)
        for name in extra:
            print("not a platform index: %s" % (args.out / name), file=sys.stderr)
        return 1 if bad or extra else 0
    args.out.mkdir(parents=True, exist_ok=True)
    for name, data in files.items():
        (args.out / name).write_bytes(data)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
