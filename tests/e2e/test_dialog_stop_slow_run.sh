#!/usr/bin/env bash
# Stopping a run whose module is busy in a step of several seconds: the result
# dialog opens at once with the stopped wording, no report is written, and no
# second run can start until the stopped run has reached its safe point. Then
# a run that completes reports what the slow module found.
set -u
. "$(dirname "$0")/lib.sh"
. "$(dirname "$0")/dialog_lib.sh"
dialog_begin "$1"

outcome="$VEXLO_PREFIX_ROOT/outcome"
dialog_launch "$outcome" "\"$DIALOG_SLOW_PROGRAM\""
e2e_check "the main dialog is shown" dialog_visible "$DIALOG_MAIN" 60000
dialog_key "$DIALOG_MAIN" Return
e2e_check "Enter starts a run" dialog_within 10 dialog_text_is "$DIALOG_MAIN" 1008 "停止修复"
e2e_check "the status says it is scanning" dialog_text_is "$DIALOG_MAIN" 1017 "正在扫描中。。。 "

stop=$(date +%s%N)
dialog_key "$DIALOG_MAIN" Return
e2e_check "the result dialog follows the stop" dialog_visible "$DIALOG_RESULT" 20000
shown=$(date +%s%N)
# The slow step lasts 8 s; a dialog that waited for it would take that long.
e2e_check "the dialog did not wait for the busy step ($(((shown - stop) / 1000000)) ms)" \
    test $(((shown - stop) / 1000000)) -lt 4000
e2e_check "it says the user stopped the run" dialog_text_starts "$DIALOG_RESULT" 1019 "用户终止，未发现异常。客服QQ:"
dialog_key "$DIALOG_RESULT" Escape
e2e_check "the result dialog closes" dialog_within 10 eval '! dialog_visible "$DIALOG_RESULT"'
e2e_check "the button shows the idle text" dialog_text_is "$DIALOG_MAIN" 1008 "开始修复"
e2e_check "but cannot start while the stopped run finishes its step" eval '! dialog_enabled "$DIALOG_MAIN" 1008'
e2e_check "the status says so" dialog_text_is "$DIALOG_MAIN" 1017 "正在停止上一次修复，请稍候。。。"
dialog_key "$DIALOG_MAIN" Return
sleep 1
e2e_check "Enter meanwhile starts nothing" dialog_text_is "$DIALOG_MAIN" 1008 "开始修复"

e2e_check "the button comes back once the step is over" dialog_within 20 dialog_enabled "$DIALOG_MAIN" 1008
e2e_check "the idle status is back" dialog_text_is "$DIALOG_MAIN" 1017 "请点击“开始修复”，立即检测缺少的文件，修复系统"
e2e_check "the stopped run wrote no report" dialog_reports_are 0

dialog_key "$DIALOG_MAIN" Return
e2e_check "a new run starts" dialog_within 10 dialog_text_is "$DIALOG_MAIN" 1008 "停止修复"
e2e_check "and completes" dialog_wait_result 60
e2e_check "with what it found" dialog_text_starts "$DIALOG_RESULT" 1019 "扫描完成，已修复，详情查看扫描日志。客服QQ:"
e2e_check "the log holds that one report" dialog_reports_are 1
e2e_check "with the slow module's heading" grep -a -q "slow test module" "$(vexlo_log_file)"
dialog_key "$DIALOG_RESULT" Escape
dialog_within 10 eval '! dialog_visible "$DIALOG_RESULT"'
probe close "$DIALOG_MAIN" 0
e2e_check "the program ends" test "$(dialog_outcome "$outcome" 30)" = "exit 2"
e2e_end
