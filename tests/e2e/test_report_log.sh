#!/usr/bin/env bash
# A silent run writes its report to the log in the common application-data
# folder; a second run appends; a log above 1 MiB is replaced, one of exactly
# 1 MiB is appended to.
set -u
. "$(dirname "$0")/lib.sh"
# The program with the do-nothing module in every slot (next to the program),
# so that every report is the nothing-found one.
e2e_begin "$(dirname "$1")/VexloRepairPlaceholders.exe"
program=$(e2e_install_program)
check="python3 $(dirname "$0")/check_report.py"

start=$(date +%s)
e2e_check "continuation run exits 0" e2e_run "$program" second_proc
end=$(date +%s)
log=$(vexlo_log_file)
e2e_check "log file written under vexloTools" test -n "$log"
[ -n "$log" ] || e2e_end
e2e_check "one exact report" $check "$log" 0 1 "$start" "$end"

e2e_run "$program" second_proc
e2e_check "second report directly after the first" $check "$log" 0 2

head -c 1048576 /dev/zero | tr '\0' 'x' > "$log"
e2e_run "$program" second_proc
e2e_check "log of exactly 1 MiB is appended to" $check "$log" 1048576 1

head -c 1048577 /dev/zero | tr '\0' 'x' > "$log"
e2e_run "$program" second_proc
e2e_check "log above 1 MiB is replaced by the new report" $check "$log" 0 1
e2e_end
