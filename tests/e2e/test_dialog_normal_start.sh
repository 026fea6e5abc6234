#!/usr/bin/env bash
# A normal start: caption and texts, the companion product's key, and the
# painting of bands, logo, icon and title and the links' backgrounds.
set -u
. "$(dirname "$0")/lib.sh"
. "$(dirname "$0")/dialog_lib.sh"
dialog_begin "$1"

outcome="$VEXLO_PREFIX_ROOT/outcome"
dialog_launch "$outcome" "\"$DIALOG_PROGRAM\""
e2e_check "the main dialog is shown" dialog_visible "$DIALOG_MAIN" 60000
e2e_check "caption" dialog_text_is "$DIALOG_MAIN" 0 "Vexlo杀毒系统文件修复工具"
e2e_check "start button" dialog_text_is "$DIALOG_MAIN" 1008 "开始修复"
e2e_check "status line" dialog_text_is "$DIALOG_MAIN" 1017 "请点击“开始修复”，立即检测缺少的文件，修复系统"
e2e_check "home link text" dialog_text_is "$DIALOG_MAIN" 1011 "Vexlo杀毒安全网"
e2e_check "forum links" dialog_text_is "$DIALOG_MAIN" 1009 "解决不了？快来留言吧。"
e2e_check "community link" dialog_text_is "$DIALOG_MAIN" 1012 "安全社区交流"
e2e_check "the key SOFTWARE\\Qrest exists" e2e_run reg query 'HKLM\SOFTWARE\Qrest'

sleep 1
xid=$(xdotool search --onlyvisible --name "^$DIALOG_MAIN\$" | head -n 1)
shot="$VEXLO_PREFIX_ROOT/main.ppm"
import -window "$xid" -depth 8 "$shot" 2>/dev/null
e2e_check "bands, lines, logo, icon, title and link backgrounds" python3 "$(dirname "$0")/check_main_paint.py" "$shot" \
    "$(dirname "$0")/../../src/ui/res/logo.bmp" "$(probe rect "$DIALOG_MAIN" 1011)" "$(probe rect "$DIALOG_MAIN" 1009)"

probe close "$DIALOG_MAIN" 0
e2e_check "closing it ends the program with Cancel's result" test "$(dialog_outcome "$outcome" 30)" = "exit 2"
e2e_check "no report was written" dialog_reports_are 0
e2e_end
