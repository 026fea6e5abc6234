#!/usr/bin/env bash
# Enter starts a run; the result dialog follows (after the restart offer is
# declined, when the repairs found ask for one) with the completed wording and
# the outcome that matches the report in the log; Escape closes it and the
# main dialog is idle again.
set -u
. "$(dirname "$0")/lib.sh"
. "$(dirname "$0")/dialog_lib.sh"
dialog_begin "$1"

outcome="$VEXLO_PREFIX_ROOT/outcome"
dialog_launch "$outcome" "\"$DIALOG_PROGRAM\""
e2e_check "the main dialog is shown" dialog_visible "$DIALOG_MAIN" 60000
dialog_key "$DIALOG_MAIN" Return
e2e_check "the result dialog follows" dialog_wait_result 90
sentence=$(dialog_text "$DIALOG_RESULT" 1019)
e2e_check "it says the scan completed" dialog_text_starts "$DIALOG_RESULT" 1019 "扫描完成，"
e2e_check "the question" dialog_text_is "$DIALOG_RESULT" 1022 "访问Vexlo免费杀毒官方？"
e2e_check "the log holds exactly one report" dialog_reports_are 1
log=$(vexlo_log_file)
if grep -a -q "$(printf '\xCE\xB4\xB7\xA2\xCF\xD6\xD2\xEC\xB3\xA3')" "$log"; then
    expected="扫描完成，未发现异常。客服QQ:"
else
    expected="扫描完成，已修复，详情查看扫描日志。客服QQ:"
fi
e2e_check "the outcome matches the report" test "${sentence#"$expected"}" != "$sentence"

dialog_key "$DIALOG_RESULT" Escape
e2e_check "Escape closes the result dialog" dialog_within 10 eval '! dialog_visible "$DIALOG_RESULT"'
e2e_check "the button is idle again" dialog_within 10 dialog_text_is "$DIALOG_MAIN" 1008 "开始修复"
e2e_check "the status line is idle again" dialog_text_is "$DIALOG_MAIN" 1017 "请点击“开始修复”，立即检测缺少的文件，修复系统"
e2e_check "the button can start again" dialog_enabled "$DIALOG_MAIN" 1008
probe close "$DIALOG_MAIN" 0
e2e_check "the program ends" test "$(dialog_outcome "$outcome" 30)" = "exit 2"
e2e_end
