#!/usr/bin/env bash
# "second_proc" directly after the quoted program path is not the
# continuation switch: the normal dialog starts and no run is made.
set -u
. "$(dirname "$0")/lib.sh"
. "$(dirname "$0")/dialog_lib.sh"
dialog_begin "$1"

outcome="$VEXLO_PREFIX_ROOT/outcome"
dialog_launch "$outcome" "\"$DIALOG_PROGRAM\"second_proc"
e2e_check "the main dialog is shown" dialog_visible "$DIALOG_MAIN" 60000
e2e_check "it is idle" dialog_text_is "$DIALOG_MAIN" 1008 "开始修复"
e2e_check "no report was written" dialog_reports_are 0
probe close "$DIALOG_MAIN" 0
e2e_check "closing it ends the program with Cancel's result" test "$(dialog_outcome "$outcome" 30)" = "exit 2"
e2e_end
