#!/usr/bin/env python3
"""Prints the body of the last report in a log file as UTF-8 text.

usage: last_report.py LOG
The body is what stands between the start line (with its empty line) and the
separator; the report's GBK text is decoded and its CR LF line ends become LF.
"""
import re
import sys

SEPARATOR = b"\r\n" + b"=" * 69 + b"\r\n\r\n"


def main():
    data = open(sys.argv[1], "rb").read()
    starts = [m.end() for m in re.finditer(rb"StartTime:[0-9: -]+\r\n\r\n", data)]
    if not starts or not data.endswith(SEPARATOR):
        print("no complete report in the log", file=sys.stderr)
        return 1
    body = data[starts[-1]:len(data) - len(SEPARATOR)]
    sys.stdout.write(body.decode("gbk").replace("\r\n", "\n"))
    return 0


if __name__ == "__main__":
    sys.exit(main())
