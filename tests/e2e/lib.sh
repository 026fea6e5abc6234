# Helpers for end-to-end cases: source this file from tests/e2e/test_*.sh.
#
# NOTE: the machines we build and test on (developers' and CI's) cannot run
# 32-bit x86 code at all: their kernel refuses i386 binaries, so 32-bit Wine
# cannot start. The shipped program is the 32-bit build (preset win32, built
# but not run here); every case here runs the 64-bit build of the same
# sources (preset win64, build/win64/VexloRepair.exe) under 64-bit Wine.
# The win64 ctest passes that program's path as $1.
#
# Each case calls e2e_begin, which makes a fresh prefix answering as Windows
# XP with a Simplified-Chinese locale and arranges its removal on exit.

e2e_here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
# shellcheck source=scripts/wine-prefix.sh
. "$e2e_here/../../scripts/wine-prefix.sh"

E2E_FAILURES=0

e2e_begin() {
    E2E_PROGRAM=${1:?path of VexloRepair.exe}
    [ -f "$E2E_PROGRAM" ] || { echo "no program at $E2E_PROGRAM" >&2; exit 1; }
    vexlo_prefix_new || { echo "cannot make a Wine prefix" >&2; exit 1; }
    trap 'e2e_stop_display; vexlo_prefix_remove' EXIT
}

# Copies the program into the prefix (as an installed program would be) and
# prints its Windows path.
e2e_install_program() {
    local dir="$WINEPREFIX/drive_c/Program Files/Vexlo"
    mkdir -p "$dir"
    cp "$E2E_PROGRAM" "$dir/VexloRepair.exe"
    E2E_INSTALLED="$dir/VexloRepair.exe"
    echo 'C:\Program Files\Vexlo\VexloRepair.exe'
}

# Runs a program in the prefix with a time limit; prints nothing, returns its exit code.
e2e_run() {
    timeout "${E2E_TIMEOUT:-120}" "$(vexlo_wine_bin)" "$@" >/dev/null 2>&1
}

e2e_log_bytes() {
    local log
    log=$(vexlo_log_file)
    [ -n "$log" ] && cat "$log"
}

e2e_start_display() {
    export DISPLAY=:${E2E_DISPLAY_NUMBER:-$((90 + RANDOM % 400))}
    Xvfb "$DISPLAY" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
    E2E_XVFB_PID=$!
    sleep 1
}

e2e_stop_display() {
    [ -n "${E2E_XVFB_PID:-}" ] && kill "$E2E_XVFB_PID" 2>/dev/null
    E2E_XVFB_PID=
    return 0
}

e2e_check() {
    local what=$1
    shift
    if "$@"; then
        echo "ok   - $what"
    else
        echo "FAIL - $what"
        E2E_FAILURES=$((E2E_FAILURES + 1))
    fi
}

e2e_end() {
    if [ "$E2E_FAILURES" -ne 0 ]; then
        echo "$E2E_FAILURES check(s) failed"
        exit 1
    fi
    exit 0
}
