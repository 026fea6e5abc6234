#!/usr/bin/env bash
# Screenshots of the real program under Wine and Xvfb, for the README:
#   docs/main_dialog.png    the main dialog after start
#   docs/result_dialog.png  the result dialog over it after a run started with Enter
# usage: tools/ui_screenshots.sh [PROGRAM.exe [OUTPUT_DIR]]
# The default program is the 64-bit test build of the same sources
# (build/win64/VexloRepair.exe), since this machine kind cannot run 32-bit code.
set -eu
cd "$(dirname "$0")/.."
program=${1:-build/win64/VexloRepair.exe}
out=${2:-docs}
title='Vexlo杀毒系统文件修复工具'
[ -f "$program" ] || { echo "no program at $program" >&2; exit 1; }
mkdir -p "$out"

. scripts/wine-prefix.sh
vexlo_prefix_new
xvfb_pid=
cleanup() {
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
    vexlo_prefix_remove
}
trap cleanup EXIT

# No window manager runs here: let Wine draw the frames and captions itself,
# with the font its caption buttons need.
vexlo_wine reg add 'HKCU\Software\Wine\X11 Driver' /v Decorated /d N /f >/dev/null 2>&1
cp /usr/share/wine/fonts/marlett.ttf "$WINEPREFIX/drive_c/windows/Fonts/" 2>/dev/null || true

n=$((100 + RANDOM % 300))
while [ -e "/tmp/.X11-unix/X$n" ]; do n=$((n + 1)); done
export DISPLAY=:$n
Xvfb "$DISPLAY" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
xvfb_pid=$!
sleep 1

dir="$WINEPREFIX/drive_c/Program Files/Vexlo"
mkdir -p "$dir"
cp "$program" "$dir/VexloRepair.exe"
vexlo_wine 'C:\Program Files\Vexlo\VexloRepair.exe' >/dev/null 2>&1 &

window=$(timeout 60 xdotool search --sync --onlyvisible --name "^$title\$" | head -n 1)
# Wine makes a window active when it is clicked (here on its caption).
xdotool windowfocus --sync "$window" mousemove --window "$window" 250 60 click 1
sleep 1
eval "$(xdotool getwindowgeometry --shell "$window")"
region="${WIDTH}x${HEIGHT}+${X}+${Y}"
import -window root -crop "$region" +repage "$out/main_dialog.png"

xdotool key Return
# Repairs that need a restart first offer one ("重启"): decline it.
result=
for ((i = 0; i < 300; i++)); do
    restart=$(xdotool search --onlyvisible --name '^重启$' 2>/dev/null | head -n 1)
    if [ -n "$restart" ]; then
        xdotool windowfocus --sync "$restart" key n
        sleep 1
    fi
    result=$(xdotool search --onlyvisible --name '^注意$' 2>/dev/null | head -n 1)
    [ -n "$result" ] && break
    sleep 0.2
done
[ -n "$result" ] || { echo "no result dialog" >&2; exit 1; }
sleep 1
import -window root -crop "$region" +repage "$out/result_dialog.png"

xdotool windowfocus --sync "$result"
xdotool key Escape
sleep 1
xdotool windowfocus --sync "$window"
xdotool key Escape
wineserver -w
echo "wrote $out/main_dialog.png and $out/result_dialog.png"
