#!/usr/bin/env python3
"""Exits 0 when the last report in a log file holds the text byte for byte.

usage: report_contains.py LOG TEXT
TEXT is UTF-8; it is looked for as the report writes it: GBK, with each LF
as CR LF.
"""
import re
import sys


def main():
    log, text = sys.argv[1], sys.argv[2]
    data = open(log, "rb").read()
    starts = [m.start() for m in re.finditer(rb"StartTime:", data)]
    if not starts:
        return 1
    wanted = text.encode("gbk").replace(b"\n", b"\r\n")
    return 0 if wanted in data[starts[-1]:] else 1


if __name__ == "__main__":
    sys.exit(main())
