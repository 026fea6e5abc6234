#!/usr/bin/env python3
"""Checks data/reference_versions.tsv, the reference version table of the
system-file module: its shape, its grouping and the rows that differ from
their group's usual version text."""

import pathlib
import re
import unittest

ROOT = pathlib.Path(__file__).resolve().parents[2]
TABLE = ROOT / "data" / "reference_versions.tsv"

# The platform keys in the order their groups appear in the table.
GROUP_ORDER = [
    "0501.0000.1033", "0501.0000.2052", "0501.0100.1033", "0501.0100.2052",
    "0501.0200.1033", "0501.0200.2052", "0501.0300.1033", "0501.0300.2052",
    "0502.0000.1033", "0502.0000.2052", "0502.0100.1033", "0502.0100.2052",
    "0502.0200.1033", "0502.0200.2052", "0600.0000.0000", "0600.0100.0000",
    "0600.0200.0000", "0601.0000.0000",
]

# Names that may have a row, in the order rows follow inside a group.
VERSIONED_NAMES = [
    "dsound.dll", "ddraw.dll", "d3d8.dll", "rpcss.dll", "olepro32.dll",
    "d3d8thk.dll", "wsock32.dll", "comdlg32.dll", "d3d9.dll", "lpk.dll",
    "kernel32.dll", "ksuser.dll", "urlmon.dll", "npptools.dll",
    "rundll32.exe", "ntsd.exe", "shdocvw.dll", "comres.dll", "imm32.dll",
    "midimap.dll", "dinput8.dll", "userenv.dll", "usp10.dll", "ctfmon.exe",
    "msvcrt.dll", "dbghelp.dll", "iphlpapi.dll", "iertutil.dll", "conime.exe",
]

XP_RTM_GAPS = {"d3d9.dll", "iertutil.dll"}
XP_GAPS = {"iertutil.dll"}
VISTA_GAPS = {"npptools.dll", "ntsd.exe"}
MISSING = {
    "0501.0000.1033": XP_RTM_GAPS, "0501.0000.2052": XP_RTM_GAPS,
    "0501.0100.1033": XP_GAPS, "0501.0100.2052": XP_RTM_GAPS,
    "0501.0200.1033": XP_GAPS, "0501.0200.2052": XP_GAPS,
    "0501.0300.1033": XP_GAPS, "0501.0300.2052": XP_GAPS,
    "0502.0000.1033": XP_GAPS, "0502.0000.2052": XP_GAPS,
    "0502.0100.1033": XP_GAPS, "0502.0100.2052": XP_GAPS,
    "0502.0200.1033": XP_GAPS, "0502.0200.2052": XP_GAPS,
    "0600.0000.0000": VISTA_GAPS, "0600.0100.0000": VISTA_GAPS,
    "0600.0200.0000": VISTA_GAPS,
    "0601.0000.0000": VISTA_GAPS | {"conime.exe"},
}

# The text most rows of a group carry.
MAIN_TEXT = {
    "0501.0000.1033": "5.1.2600.0 (xpclient.010817-1148)",
    "0501.0100.1033": "5.1.2600.5512 (xpsp.080413-2105)",
    "0501.0100.2052": "5.1.2600.1106 (xpsp1.020828-1920)",
    "0501.0200.2052": "5.1.2600.2180 (xpsp_sp2_rtm.040803-2158)",
    "0501.0300.2052": "5.1.2600.5512 (xpsp.080413-2105)",
    "0502.0100.1033": "5.2.3790.1830 (srv03_sp1_rtm.050324-1447)",
    "0502.0200.1033": "5.2.3790.3959 (srv03_sp2_rtm.070216-1710)",
    "0600.0000.0000": "6.0.6000.16386 (vista_rtm.061101-2205)",
    "0600.0100.0000": "6.0.6001.18000 (longhorn_rtm.080118-1840)",
    "0600.0200.0000": "6.0.6002.18005 (lh_sp2rtm.090410-1830)",
    "0601.0000.0000": "6.1.7600.16385 (win7_rtm.090713-1255)",
}

# Rows that differ from their group's main text, and a few that do not but
# sit next to ones that do; the letter case of the build tags is significant.
ROWS = [
    ("0501.0000.2052", "ntsd.exe", "5.1.2600.0 (XPClient.010817-1148)"),
    ("0501.0000.2052", "lpk.dll", "5.1.2600.0 (xpclient.010817-1148)"),
    ("0501.0000.1033", "olepro32.dll", "5.0.5014"),
    ("0501.0000.1033", "iphlpapi.dll", "5.1.2600.2 (xpclient.010817-1148)"),
    ("0501.0100.1033", "ksuser.dll", "5.1.2600.0 (xpclient.010817-1148)"),
    ("0501.0100.1033", "d3d9.dll", "5.03.2600.5512 (xpsp.080413-0845)"),
    ("0501.0100.2052", "rundll32.exe", "5.1.2600.0 (xpclient.010817-1148)"),
    ("0501.0100.2052", "comdlg32.dll", "6.00.2800.1106 (xpsp1.020828-1920)"),
    ("0501.0200.1033", "ksuser.dll", "5.3.2600.5512 (xpsp.080413-0845)"),
    ("0501.0200.2052", "shdocvw.dll", "6.00.2900.2853 (xpsp_sp2_gdr.060220-1746)"),
    ("0501.0300.1033", "ksuser.dll", "5.3.2600.5512 (xpsp.080413-0845)"),
    ("0501.0300.2052", "kernel32.dll", "5.1.2600.5512 (xpsp.080413-2111)"),
    ("0501.0300.2052", "comres.dll", "2001.12.4414.700"),
    ("0501.0300.2052", "conime.exe", "5.1.2600.5512 (xpsp.080413-2105)"),
    ("0502.0000.1033", "ntsd.exe", "5.2.3790.0 (srv03_rtm.030324-2048)"),
    ("0502.0100.2052", "urlmon.dll", "6.00.3790.2612 (srv03_sp1_gdr.060106-1531)"),
    ("0502.0200.1033", "ntsd.exe", "5.2.3790.3959 (srv03_sp2_rtm.070216-1710)"),
    ("0502.0200.2052", "comres.dll", "2001.12.4720.3959 (srv03_sp2_rtm.070216-1710)"),
    ("0600.0000.0000", "iertutil.dll", "7.00.6000.16386 (vista_rtm.061101-2205)"),
    ("0600.0100.0000", "ctfmon.exe", "6.0.6000.16386 (vista_rtm.061101-2205)"),
    ("0600.0200.0000", "dbghelp.dll", "6.0.6001.18000 (longhorn_rtm.080118-1840)"),
    ("0600.0200.0000", "olepro32.dll", "6.0.6002.18005"),
    ("0601.0000.0000", "usp10.dll", "1.0626.7600.16385 (win7_rtm.090713-1255)"),
]

KEY_FORM = re.compile(r"\A\d{4}\.\d{4}\.\d{4}\Z")


def read_rows():
    raw = TABLE.read_bytes()
    text = raw.decode("utf-8")
    if not text.endswith("\n"):
        raise AssertionError("last row has no line end")
    return [line.split("\t") for line in text[:-1].split("\n")], raw


class ReferenceVersionTableTest(unittest.TestCase):
    def setUp(self):
        self.rows, self.raw = read_rows()

    def test_shape(self):
        self.assertEqual(len(self.rows), 496)
        self.assertNotIn(b"\r", self.raw)
        self.assertFalse(self.raw.startswith(b"\xef\xbb\xbf"), "no byte-order mark")
        for number, row in enumerate(self.rows, 1):
            with self.subTest(line=number):
                self.assertEqual(len(row), 3, row)
                key, name, text = row
                self.assertRegex(key, KEY_FORM)
                self.assertIn(key, GROUP_ORDER)
                self.assertIn(name, VERSIONED_NAMES)
                # Version texts are compared after trailing blanks are cut
                # from the file's text, so a padded row could never match.
                self.assertTrue(text and text == text.strip(), repr(text))

    def test_groups_are_contiguous_in_order_with_names_in_order(self):
        keys_seen = []
        names_by_key = {}
        for key, name, _ in self.rows:
            if not keys_seen or keys_seen[-1] != key:
                self.assertNotIn(key, keys_seen, "group split: " + key)
                keys_seen.append(key)
            names_by_key.setdefault(key, []).append(name)
        self.assertEqual(keys_seen, GROUP_ORDER)
        for key in GROUP_ORDER:
            with self.subTest(key=key):
                expected = [n for n in VERSIONED_NAMES if n not in MISSING[key]]
                self.assertEqual(names_by_key[key], expected)

    def test_main_text_is_the_most_common_of_each_group(self):
        texts_by_key = {}
        for key, _, text in self.rows:
            texts_by_key.setdefault(key, []).append(text)
        for key, main in MAIN_TEXT.items():
            with self.subTest(key=key):
                texts = texts_by_key[key]
                counts = {t: texts.count(t) for t in set(texts)}
                self.assertEqual(max(counts, key=counts.get), main)
                others = [c for t, c in counts.items() if t != main]
                self.assertGreater(counts[main], max(others, default=0))

    def test_groups_sharing_their_data_are_identical(self):
        by_key = {}
        for key, name, text in self.rows:
            by_key.setdefault(key, []).append((name, text))
        for family in (["0501.0000.1033", "0501.0000.2052"],
                       ["0501.0200.1033", "0501.0200.2052"],
                       ["0501.0300.1033", "0501.0300.2052"],
                       ["0502.0000.1033", "0502.0000.2052",
                        "0502.0100.1033", "0502.0100.2052"],
                       ["0502.0200.1033", "0502.0200.2052"]):
            with self.subTest(family=family[0]):
                for key in family[1:]:
                    self.assertEqual(by_key[key], by_key[family[0]], key)

    def test_named_rows(self):
        lookup = {(k, n): t for k, n, t in self.rows}
        for key, name, text in ROWS:
            with self.subTest(key=key, name=name):
                self.assertEqual(lookup.get((key, name)), text)


if __name__ == "__main__":
    unittest.main()
