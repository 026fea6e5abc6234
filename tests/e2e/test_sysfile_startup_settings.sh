#!/usr/bin/env bash
# Shell start-up and input method: broken Winlogon "Userinit" and "Shell"
# values are found and written back as full paths; a hidden language bar is
# found and IMEFIX.REG is written to the temporary folder and imported with
# regedit. Runs the test build VexloRepairWineIndex.exe next to the program.
set -u
. "$(dirname "$0")/lib.sh"
here=$(cd "$(dirname "$0")" && pwd)
e2e_begin "$(dirname "$1")/VexloRepairWineIndex.exe"
program=$(e2e_install_program)
mkdir -p "$VEXLO_PREFIX_ROOT/cwd"
cd "$VEXLO_PREFIX_ROOT/cwd" || exit 1
winlogon='HKLM\Software\Microsoft\Windows NT\CurrentVersion\Winlogon'
# The value as "reg query" shows it: "NAME TYPE DATA" with blanks collapsed.
value() {
    vexlo_wine reg query "$1" /v "$2" 2>/dev/null | tr -d '\r' | awk -v n="$2" '$1 == n { $1 = $1; print }'
}

vexlo_wine reg add "$winlogon" /v Userinit /d 'C:\evil.exe' /f >/dev/null 2>&1
vexlo_wine reg add "$winlogon" /v Shell /d 'evil.exe' /f >/dev/null 2>&1
vexlo_wine reg add 'HKCU\Software\Microsoft\CTF\LangBar' /v ShowStatus /t REG_DWORD /d 3 /f >/dev/null 2>&1
vexlo_wine reg add 'HKCU\Software\Microsoft\CTF\MSUTB' /v Left /t REG_DWORD /d 7 /f >/dev/null 2>&1

e2e_check "run exits 0" e2e_run "$program" second_proc
# regedit runs on after the program; wait for it.
wineserver -w
log=$(vexlo_log_file)
e2e_check "both findings stand before the heading, byte for byte" python3 "$here/sysfile/report_contains.py" "$log" \
    $'输入法程序未执行\n按注册表项异常，导致桌面图标不见了\n修复被破坏的系统文件\n'
e2e_check "Userinit names the system folder's userinit.exe" \
    test "$(value "$winlogon" Userinit)" = 'Userinit REG_SZ C:\windows\system32\userinit.exe'
e2e_check "Shell names the Windows folder's explorer.exe" \
    test "$(value "$winlogon" Shell)" = 'Shell REG_SZ C:\windows\explorer.exe'
regfile=$(find "$WINEPREFIX/drive_c/users" -iname IMEFIX.REG 2>/dev/null | head -n 1)
e2e_check "IMEFIX.REG written to the temporary folder as built in" cmp -s "$regfile" "$here/../../data/IMEFIX.REG"
for v in 'LangBar ShowStatus 0x4' 'LangBar ExtraIconsOnMinimized 0x0' 'LangBar Transparency 0xff' \
         'LangBar Label 0x0' 'MSUTB ShowDeskBand 0x1' 'MSUTB Left 0x400' 'MSUTB Top 0x360' 'MSUTB Vertical 0x0'; do
    set -- $v
    e2e_check "imported: $2 = $3" test "$(value "HKCU\\Software\\Microsoft\\CTF\\$1" "$2")" = "$2 REG_DWORD $3"
done
e2e_end
