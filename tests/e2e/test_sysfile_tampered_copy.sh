#!/usr/bin/env bash
# System-file replacement when the server's copy does not match its digest:
# a deleted library whose served copy has other content stays missing, the
# copy is used nowhere and left nowhere, and no repair is reported; once the
# server holds the right copy, the next run puts exactly that in place.
# Runs the test build VexloRepairWineIndex.exe next to the program.
set -u
. "$(dirname "$0")/lib.sh"
here=$(cd "$(dirname "$0")" && pwd)
e2e_begin "$(dirname "$1")/VexloRepairWineIndex.exe"
program=$(e2e_install_program)
sys32="$WINEPREFIX/drive_c/windows/system32"
. "$here/sysfile/sysfile_lib.sh"

store="$VEXLO_PREFIX_ROOT/store/0501.0300.2052"
mkdir -p "$store"
cp "$sys32/d3d9.dll" "$VEXLO_PREFIX_ROOT/d3d9.dll.clean"
hex=$(md5sum < "$sys32/d3d9.dll" | cut -c1-32)
{ head -c 4096 "$sys32/d3d9.dll"; printf 'tampered'; } > "$store/$hex"
sysfile_start_server
# The program's current directory, where downloads land.
mkdir -p "$VEXLO_PREFIX_ROOT/cwd"
cd "$VEXLO_PREFIX_ROOT/cwd" || exit 1

rm "$sys32/d3d9.dll"
e2e_check "tampered copy: run exits 0" e2e_run "$program" second_proc
body=$(sysfile_report)
e2e_check "tampered copy: asked for under its digest" \
    grep -qx "/sysfiles2/files/0501.0300.2052/$hex" "$VEXLO_PREFIX_ROOT/requests"
e2e_check "tampered copy: the library stays missing" test ! -e "$sys32/d3d9.dll"
e2e_check "tampered copy: no repair reported" test "${body/修复文件/}" = "$body"
e2e_check "tampered copy: left neither in the current directory nor in the prefix" \
    test -z "$(find "$VEXLO_PREFIX_ROOT/cwd" "$WINEPREFIX/drive_c" -name "$hex" 2>/dev/null)"

cp "$VEXLO_PREFIX_ROOT/d3d9.dll.clean" "$store/$hex"
e2e_check "right copy: run exits 0" e2e_run "$program" second_proc
e2e_check "right copy: its report line, byte for byte" \
    python3 "$here/sysfile/report_contains.py" "$(vexlo_log_file)" $'修复文件\tC:\\windows\\system32\\d3d9.dll\n'
e2e_check "right copy: in place byte for byte" cmp -s "$sys32/d3d9.dll" "$VEXLO_PREFIX_ROOT/d3d9.dll.clean"
e2e_check "right copy: nothing left under its digest" \
    test -z "$(find "$VEXLO_PREFIX_ROOT/cwd" "$WINEPREFIX/drive_c" -name "$hex" 2>/dev/null)"
e2e_end
