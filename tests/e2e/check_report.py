#!/usr/bin/env python3
"""Checks a log file that holds a given prefix followed by N nothing-found reports.

usage: check_report.py LOG PREFIX_BYTES REPORTS [EARLIEST_EPOCH LATEST_EPOCH]
Each report must be exactly: the start line without leading zeros, CR LF CR LF,
"未发现异常" in GBK, CR LF, 69 '=', CR LF CR LF; with the epoch bounds, its time
must lie between them (local time of this machine, as Wine reports it).
"""
import re
import sys
import time

NUMBER = rb"(0|[1-9][0-9]*)"
REPORT = re.compile(
    rb"StartTime:" + NUMBER + rb"-" + NUMBER + rb"-" + NUMBER + rb" " + NUMBER + rb":" + NUMBER + rb":" + NUMBER
    + rb"\r\n\r\n" + "未发现异常".encode("gbk") + rb"\r\n" + b"=" * 69 + rb"\r\n\r\n")


def main():
    log, prefix_bytes, reports = sys.argv[1], int(sys.argv[2]), int(sys.argv[3])
    bounds = (float(sys.argv[4]), float(sys.argv[5])) if len(sys.argv) > 5 else None
    data = open(log, "rb").read()
    pos = prefix_bytes
    for i in range(reports):
        m = REPORT.match(data, pos)
        if not m:
            print(f"report {i + 1} malformed at byte {pos}: {data[pos:pos + 120]!r}")
            return 1
        if bounds:
            fields = [int(g) for g in m.groups()]
            stamp = time.mktime((fields[0], fields[1], fields[2], fields[3], fields[4], fields[5], 0, 0, -1))
            if not bounds[0] - 1 <= stamp <= bounds[1] + 1:
                print(f"report {i + 1} time {fields} outside the run")
                return 1
        pos = m.end()
    if pos != len(data):
        print(f"{len(data) - pos} unexpected bytes after the reports")
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
