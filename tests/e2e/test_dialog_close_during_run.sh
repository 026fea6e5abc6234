#!/usr/bin/env bash
# Closing the main dialog while a module is busy: the window goes at once, the
# process lets the run reach its next safe point before it ends, and that
# run's report is not written.
set -u
. "$(dirname "$0")/lib.sh"
. "$(dirname "$0")/dialog_lib.sh"
dialog_begin "$1"

outcome="$VEXLO_PREFIX_ROOT/outcome"
dialog_launch "$outcome" "\"$DIALOG_SLOW_PROGRAM\""
e2e_check "the main dialog is shown" dialog_visible "$DIALOG_MAIN" 60000
dialog_key "$DIALOG_MAIN" Return
e2e_check "Enter starts a run" dialog_within 10 dialog_text_is "$DIALOG_MAIN" 1008 "停止修复"
closed=$(date +%s)
probe close "$DIALOG_MAIN" 0
e2e_check "the window goes at once" dialog_within 5 eval '! dialog_visible "$DIALOG_MAIN"'
e2e_check "the process has not cut the busy step off" test "$(dialog_outcome "$outcome" 2)" = "still running"
result=$(dialog_outcome "$outcome" 40)
ended=$(date +%s)
e2e_check "then it ends with Cancel's result" test "$result" = "exit 2"
e2e_check "well within the wait bound ($((ended - closed)) s)" test $((ended - closed)) -lt 25
e2e_check "no report was written" dialog_reports_are 0
e2e_end
