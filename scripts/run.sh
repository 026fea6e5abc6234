#!/usr/bin/env bash
# Builds the program and runs its main job under Wine in a scratch prefix that
# answers as Simplified-Chinese Windows XP. Without a display it performs the
# silent continuation run and prints the report from the log as UTF-8.
# This machine kind runs the 64-bit build of the program under 64-bit Wine
# (it cannot execute 32-bit code); build/win32/VexloRepair.exe is the shipped one.
set -u
cd "$(dirname "$0")/.."
bash scripts/setup.sh || exit 1
cmake --preset win32 >/dev/null && cmake --build --preset win32 --target VexloRepair || exit 1
cmake --preset win64 >/dev/null && cmake --build --preset win64 --target VexloRepair || exit 1

. scripts/wine-prefix.sh
vexlo_prefix_new || exit 1
trap vexlo_prefix_remove EXIT
dir="$WINEPREFIX/drive_c/Program Files/Vexlo"
mkdir -p "$dir"
cp build/win64/VexloRepair.exe "$dir/"
if [ -n "${DISPLAY:-}" ]; then
  vexlo_wine 'C:\Program Files\Vexlo\VexloRepair.exe'
else
  vexlo_wine 'C:\Program Files\Vexlo\VexloRepair.exe' second_proc
fi
code=$?
log=$(vexlo_log_file)
if [ -n "$log" ]; then
  echo "---- $(basename "$log") (converted from GBK) ----"
  iconv -f GBK -t UTF-8 "$log" | tr -d '\r'
else
  echo "no log was written"
fi
exit "$code"
