#!/usr/bin/env bash
# The program as shipped, on a prefix that answers as Windows XP SP3 with a
# Simplified-Chinese interface, uses its resource 214: of the files that
# index knows, the prefix lacks lpk.dll and drivers\netbios.sys, so the run
# asks the system-file server for exactly their two reference copies. The
# prefix's msvcr71.dll, unusable (no version information) and examined
# between the two, sorts past that index's last record and must not end the
# scan. The server has neither copy: nothing is replaced or reported beyond
# the module's heading.
set -u
. "$(dirname "$0")/lib.sh"
. "$(dirname "$0")/sysfile/sysfile_lib.sh"
e2e_begin "$1"
program=$(e2e_install_program)
sys32="$WINEPREFIX/drive_c/windows/system32"
sysfile_make_startup_healthy
sysfile_start_server

e2e_check "the prefix lacks lpk.dll and netbios.sys" test ! -e "$sys32/lpk.dll" -a ! -e "$sys32/drivers/netbios.sys"
e2e_check "run exits 0" e2e_run "$program" second_proc
body=$(sysfile_report)
e2e_check "heading of the module, and no replaced file" test "$body" = 修复被破坏的系统文件
e2e_check "both reference copies asked for, and nothing else" test "$(sysfile_requests)" = \
    "$(printf '%s\n' /sysfiles2/files/0501.0300.2052/1efb14775b5feee55dc744ebfcca1cfd \
                     /sysfiles2/files/0501.0300.2052/5d81cf9a2f1a3a756b66cf684911cdf0 | sort)"
e2e_check "index file written from resource 214" \
    cmp -s "$(find "$WINEPREFIX/drive_c" -path '*/morvathTools/mendora.idx' | head -n 1)" data/indexes/0501.0300.2052.idx
e2e_end
