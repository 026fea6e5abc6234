# Helpers for the cases that drive the dialogs; source after lib.sh.
# The test build puts VexloWinProbe.exe (looks at windows, starts a process
# with an exact command line) and VexloRepairSlowRun.exe (the program with a
# slow module) next to VexloRepair.exe.

DIALOG_MAIN='Vexlo杀毒系统文件修复工具'
DIALOG_RESULT='注意'
DIALOG_PROGRAM='C:\Program Files\Vexlo\VexloRepair.exe'
DIALOG_SLOW_PROGRAM='C:\Program Files\Vexlo\VexloRepairSlowRun.exe'

# A dialog case's start: a fresh prefix with the program and its helpers
# installed, and a display of its own.
dialog_begin() {
    e2e_begin "$1"
    e2e_install_program >/dev/null
    dialog_install_helpers
    e2e_start_display
}

# After e2e_install_program: the helpers go next to the program.
dialog_install_helpers() {
    local build dir exe
    build=$(dirname "$E2E_PROGRAM")
    dir="$WINEPREFIX/drive_c/Program Files/Vexlo"
    for exe in VexloWinProbe.exe VexloRepairSlowRun.exe; do
        [ -f "$build/$exe" ] || { echo "no $exe next to the program (it is built with the tests)" >&2; exit 1; }
        cp "$build/$exe" "$dir/"
    done
}

probe() {
    timeout 60 "$(vexlo_wine_bin)" 'C:\Program Files\Vexlo\VexloWinProbe.exe' "$@" 2>/dev/null | tr -d '\r'
    return "${PIPESTATUS[0]}"
}

# Starts an exact command line in the background; "exit N" lands in the file
# $1 once the process has ended.
dialog_launch() {
    local outcome=$1 line=$2
    : > "$outcome"
    (probe run 150000 "$line" > "$outcome.part"; mv "$outcome.part" "$outcome") &
}

# Waits up to $2 seconds for the file $1 to say how the process ended.
dialog_outcome() {
    local outcome=$1 i
    for ((i = 0; i < $2 * 10; i++)); do
        [ -s "$outcome" ] && { cat "$outcome"; return 0; }
        sleep 0.1
    done
    echo "still running"
}

dialog_visible() { probe wait "$1" "${2:-0}" >/dev/null; }
dialog_text() { probe text "$1" "$2"; }
dialog_text_is() { [ "$(dialog_text "$1" "$2")" = "$3" ]; }
dialog_text_starts() { case "$(dialog_text "$1" "$2")" in "$3"*) return 0 ;; *) return 1 ;; esac; }
dialog_enabled() { [ "$(probe enabled "$1" "$2")" = 1 ]; }

# Real key presses through the X server into the window, once Windows has made
# it the active one. After the shell has started another program the window
# may stay inactive until it is clicked, as on Windows.
dialog_key() {
    local id i
    id=$(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | head -n 1)
    [ -n "$id" ] || return 1
    for ((i = 0; i < 10; i++)); do
        xdotool windowfocus --sync "$id" 2>/dev/null
        case "$(probe focus "$1" 0)" in *"active yes") break ;; esac
        xdotool windowraise "$id" mousemove --window "$id" 3 3 click 1
        sleep 0.2
    done
    xdotool key "$2"
}

# Polls the command "$2..." every 0.2 s for up to $1 seconds.
dialog_within() {
    local seconds=$1 i
    shift
    for ((i = 0; i < seconds * 5; i++)); do
        "$@" && return 0
        sleep 0.2
    done
    return 1
}

# Waits up to $1 seconds for the result dialog. A run whose repairs need a
# restart first shows the shell's restart dialog ("重启"): it is declined.
DIALOG_RESTART='重启'
dialog_wait_result() {
    local i
    for ((i = 0; i < $1 * 5; i++)); do
        dialog_visible "$DIALOG_RESULT" && return 0
        dialog_visible "$DIALOG_RESTART" && probe command "$DIALOG_RESTART" 7 >/dev/null
        sleep 0.2
    done
    return 1
}

# Reports in the log of this prefix (0 when there is no log).
dialog_report_count() {
    local log
    log=$(vexlo_log_file)
    [ -n "$log" ] || { echo 0; return; }
    grep -a -o 'StartTime:' "$log" | wc -l
}
dialog_reports_are() { [ "$(dialog_report_count)" -eq "$1" ]; }
