#!/usr/bin/env bash
# Started with the continuation switch (in capital letters, with its leading
# blank) the program runs the repair without ever showing a window, exits 0,
# and the log gains exactly one report.
set -u
. "$(dirname "$0")/lib.sh"
. "$(dirname "$0")/dialog_lib.sh"
dialog_begin "$1"

outcome="$VEXLO_PREFIX_ROOT/outcome"
dialog_launch "$outcome" "\"$DIALOG_PROGRAM\" SECOND_PROC"
shown=0
for ((i = 0; i < 600; i++)); do
    [ -s "$outcome" ] && break
    xdotool search --onlyvisible --name 'Vexlo' >/dev/null 2>&1 && shown=1
    sleep 0.1
done
e2e_check "continuation run exits 0" test "$(dialog_outcome "$outcome" 30)" = "exit 0"
e2e_check "no window was shown" test "$shown" -eq 0
e2e_check "the log holds exactly one report" dialog_reports_are 1
log=$(vexlo_log_file)
e2e_check "the report is complete" python3 -c '
import sys
data = open(sys.argv[1], "rb").read()
sys.exit(0 if data.startswith(b"StartTime:") and data.endswith(b"\r\n" + b"=" * 69 + b"\r\n\r\n") else 1)' "$log"
e2e_end
