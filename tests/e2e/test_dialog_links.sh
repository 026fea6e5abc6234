#!/usr/bin/env bash
# The link controls: blue text that turns red under the mouse and blue again
# when it leaves, a click opens the link's page; "查看扫描日志" opens the log
# with the shell and leaves the result dialog open; Enter there visits the
# home page and closes it.
set -u
. "$(dirname "$0")/lib.sh"
. "$(dirname "$0")/dialog_lib.sh"
dialog_begin "$1"

# Screen position of a control's centre: the X window of a dialog is its client area here.
control_centre() {
    local xid rect
    xid=$(xdotool search --onlyvisible --name "^$1\$" | head -n 1)
    eval "$(xdotool getwindowgeometry --shell "$xid")"
    read -r l t r b <<< "$(probe rect "$1" "$2")"
    echo "$((X + (l + r) / 2)) $((Y + (t + b) / 2))"
}
# Counts the pixels of a colour inside a control, from a screenshot of its dialog.
colour_pixels() {
    local xid shot
    xid=$(xdotool search --onlyvisible --name "^$1\$" | head -n 1)
    shot="$VEXLO_PREFIX_ROOT/link.ppm"
    import -window "$xid" -depth 8 "$shot" 2>/dev/null
    python3 - "$shot" "$(probe rect "$1" "$2")" "$3" <<'PY'
import sys
data = open(sys.argv[1], "rb").read()
header = data.split(b"\n", 3)
width = int(header[1].split()[0])
pixels = header[3]
l, t, r, b = (int(v) for v in sys.argv[2].split())
colour = bytes.fromhex(sys.argv[3])
print(sum(1 for y in range(t, b) for x in range(l, r) if pixels[(y * width + x) * 3:(y * width + x) * 3 + 3] == colour))
PY
}
has_colour() { [ "$(colour_pixels "$@")" -gt 10 ]; }

# As on Windows, a .log file opens in Notepad; web pages are written down
# instead of being opened in a browser.
e2e_run reg add 'HKCR\.log' /ve /d txtfile /f
e2e_run reg add 'HKCR\txtfile\shell\open\command' /ve /d 'notepad.exe "%1"' /f
e2e_run reg add 'HKCR\http\shell\open\command' /ve /d 'cmd.exe /c echo %1>>C:\visited.txt' /f
visited="$WINEPREFIX/drive_c/visited.txt"
visited_is() { [ -f "$visited" ] && [ "$(tr -d '\r' < "$visited")" = "$1" ]; }

outcome="$VEXLO_PREFIX_ROOT/outcome"
dialog_launch "$outcome" "\"$DIALOG_PROGRAM\""
e2e_check "the main dialog is shown" dialog_visible "$DIALOG_MAIN" 60000
xdotool mousemove 0 0
sleep 0.5
e2e_check "link text is blue" has_colour "$DIALOG_MAIN" 1009 3064a5
e2e_check "and not red" eval '! has_colour "$DIALOG_MAIN" 1009 ff0000'
read -r x y <<< "$(control_centre "$DIALOG_MAIN" 1009)"
xdotool mousemove "$x" "$y"
sleep 0.2
xdotool mousemove "$((x + 1))" "$y"
e2e_check "red under the mouse" dialog_within 5 has_colour "$DIALOG_MAIN" 1009 ff0000
xdotool mousemove 0 0
e2e_check "blue again when the mouse leaves" dialog_within 5 eval '! has_colour "$DIALOG_MAIN" 1009 ff0000'
xdotool mousemove "$x" "$y" click 1
e2e_check "a click opens the forum's board" dialog_within 30 visited_is "http://bbs.vexlo.example/forum-3-1.html"
rm -f "$visited"

dialog_key "$DIALOG_MAIN" Return
e2e_check "the result dialog follows a run" dialog_wait_result 90
read -r x y <<< "$(control_centre "$DIALOG_RESULT" 1005)"
xdotool mousemove "$x" "$y" click 1
e2e_check "the log opens in the shell's viewer" dialog_within 30 eval 'xdotool search --onlyvisible --name "^Tools.log" >/dev/null'
e2e_check "the result dialog stays open" dialog_visible "$DIALOG_RESULT"
dialog_key "$DIALOG_RESULT" Return
e2e_check "Enter there closes it" dialog_within 10 eval '! dialog_visible "$DIALOG_RESULT"'
e2e_check "after visiting the home page" dialog_within 30 visited_is "http://www.vexlo.example/?fr=mendora"
e2e_end
