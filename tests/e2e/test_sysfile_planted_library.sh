#!/usr/bin/env bash
# Libraries planted beside programs the shell's MUI cache names: a system
# library's name in a program's folder is backed up as .qrest and removed,
# with its report line (the backup takes the lower-cased name the scan
# holds); one beside a program of the Windows folder, and a
# file under a name that is not probed, stay. Runs the test build
# VexloRepairWineIndex.exe next to the program (nothing to download there).
set -u
. "$(dirname "$0")/lib.sh"
here=$(cd "$(dirname "$0")" && pwd)
e2e_begin "$(dirname "$1")/VexloRepairWineIndex.exe"
program=$(e2e_install_program)
drive="$WINEPREFIX/drive_c"
mkdir -p "$VEXLO_PREFIX_ROOT/cwd"
cd "$VEXLO_PREFIX_ROOT/cwd" || exit 1

mkdir -p "$drive/Games/App"
cp "$drive/windows/system32/imm32.dll" "$drive/Games/App/LPK.dll"
printf 'not an image' > "$drive/Games/App/usp10.dll"
cp "$drive/windows/system32/imm32.dll" "$drive/Games/App/mylib.dll"
cp "$drive/windows/system32/imm32.dll" "$drive/windows/lpk.dll"
cache='HKCU\Software\Microsoft\Windows\ShellNoRoam\MUICache'
vexlo_wine reg add "$cache" /v 'C:\Games\App\app.exe' /d App /f >/dev/null 2>&1
vexlo_wine reg add "$cache" /v 'C:\windows\notepad.exe' /d Notepad /f >/dev/null 2>&1
vexlo_wine reg add "$cache" /v '@C:\windows\system32\shell32.dll,-22019' /d Shell /f >/dev/null 2>&1

e2e_check "run exits 0" e2e_run "$program" second_proc
log=$(vexlo_log_file)
e2e_check "the planted library is gone" test ! -e "$drive/Games/App/LPK.dll"
e2e_check "its backup holds it" cmp -s "$drive/Games/App/lpk.dll.qrest" "$drive/windows/system32/imm32.dll"
e2e_check "a file that is no image is taken whatever its age" test ! -e "$drive/Games/App/usp10.dll"
e2e_check "report names both, byte for byte" python3 "$here/sysfile/report_contains.py" "$log" \
    $'Search Path Inject\t\\\\?\\c:\\games\\app\\lpk.dll\n'
e2e_check "report names the second" python3 "$here/sysfile/report_contains.py" "$log" \
    $'Search Path Inject\t\\\\?\\c:\\games\\app\\usp10.dll\n'
e2e_check "a name that is not probed stays" test -e "$drive/Games/App/mylib.dll"
e2e_check "the Windows folder is not examined" test -e "$drive/windows/lpk.dll"
e2e_check "nothing else reported as planted" \
    test "$(python3 "$here/sysfile/last_report.py" "$log" | grep -c 'Search Path Inject')" = 2
e2e_end
