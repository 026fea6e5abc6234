#!/usr/bin/env bash
# System-file repair against the digest index of a pristine prefix (the test
# build VexloRepairWineIndex.exe, next to the program): a pristine prefix
# shows nothing; a deleted library, an older build in a library's place and
# one with the reference version text but other content are found, fetched
# from a stand-in system-file server, checked and put back byte for byte, one
# report line each; the next run finds nothing.
set -u
. "$(dirname "$0")/lib.sh"
. "$(dirname "$0")/sysfile/sysfile_lib.sh"
build=$(dirname "$1")
e2e_begin "$build/VexloRepairWineIndex.exe"
program=$(e2e_install_program)
sys32="$WINEPREFIX/drive_c/windows/system32"

# The built-in index must be the one this prefix gives: same Wine, same files.
python3 "$sysfile_here/../../../tools/mkindex" -o "$VEXLO_PREFIX_ROOT/here.idx" \
    --include-from "$sysfile_here/wine_index_files.txt" "$WINEPREFIX/drive_c/windows" >/dev/null 2>&1
e2e_check "the test build's index matches this prefix" \
    cmp -s "$VEXLO_PREFIX_ROOT/here.idx" "$build/tests/e2e/sysfile/indexes/wine.idx"

sysfile_make_startup_healthy
# Wine answers version queries for its own libraries in the system folder
# from its built-in copies, whatever file lies there; the program is to see
# the files.
export WINEDLLOVERRIDES="d3d9,ddraw,d3d8=n"

sysfile_start_server
key=${E2E_PLATFORM_KEY:-0501.0300.2052}
store="$VEXLO_PREFIX_ROOT/store/$key"
mkdir -p "$store"
expected_requests=""
for name in d3d9.dll ddraw.dll d3d8.dll; do
    digest=$(md5sum < "$sys32/$name" | cut -c1-32)
    cp "$sys32/$name" "$VEXLO_PREFIX_ROOT/$name.clean"
    cp "$sys32/$name" "$store/$digest"
    expected_requests+="/sysfiles2/files/$key/$digest"$'\n'
done

e2e_check "pristine prefix: run exits 0" e2e_run "$program" second_proc
body=$(sysfile_report)
e2e_check "pristine prefix: no damaged system file" lacks "$body" 修复被破坏的系统文件
e2e_check "pristine prefix: input method passes" lacks "$body" 输入法程序未执行
e2e_check "pristine prefix: shell start-up passes" lacks "$body" 按注册表项异常
e2e_check "pristine prefix: nothing downloaded" test -z "$(sysfile_requests)"

rm "$sys32/d3d9.dll"
cp "$build/tests/e2e/sysfile/reference_version_library.dll" "$sys32/ddraw.dll"
cp "$build/tests/e2e/sysfile/old_version_library.dll" "$sys32/d3d8.dll"
e2e_check "damaged prefix: run exits 0" e2e_run "$program" second_proc
body=$(sysfile_report)
expected=$'修复被破坏的系统文件\n修复文件\tC:\\windows\\system32\\d3d9.dll\n'
expected+=$'修复文件\tC:\\windows\\system32\\ddraw.dll\n修复文件\tC:\\windows\\system32\\d3d8.dll'
e2e_check "damaged prefix: heading and one line per replaced file, in scan order" holds "$body" "$expected"
e2e_check "damaged prefix: the missing library is back, byte for byte" \
    cmp -s "$sys32/d3d9.dll" "$VEXLO_PREFIX_ROOT/d3d9.dll.clean"
e2e_check "damaged prefix: the library with the reference version but other content is replaced" \
    cmp -s "$sys32/ddraw.dll" "$VEXLO_PREFIX_ROOT/ddraw.dll.clean"
e2e_check "damaged prefix: the older library is replaced" \
    cmp -s "$sys32/d3d8.dll" "$VEXLO_PREFIX_ROOT/d3d8.dll.clean"
e2e_check "damaged prefix: copies asked for under the platform key and their digests" \
    test "$(sysfile_requests)" = "$(printf '%s' "$expected_requests" | sort -u)"

e2e_check "repaired prefix: run exits 0" e2e_run "$program" second_proc
body=$(sysfile_report)
e2e_check "repaired prefix: nothing found" lacks "$body" 修复被破坏的系统文件
e2e_end
