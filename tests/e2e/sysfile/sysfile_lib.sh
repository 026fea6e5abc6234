# Helpers of the system-file cases; source after lib.sh and e2e_begin.

sysfile_here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)

# The body of the last report in the log, as UTF-8 with LF line ends (the
# last line end is lost to a command substitution).
sysfile_report() { python3 "$sysfile_here/last_report.py" "$(vexlo_log_file)"; }
holds() { [[ $1 == *"$2"* ]]; }
lacks() { [[ $1 != *"$2"* ]]; }

# Makes the module's other examinations pass: the input-method host runs (a
# program of that name waiting on its input until the case ends), the
# language bar is shown, Winlogon names userinit.exe and explorer.exe.
sysfile_make_startup_healthy() {
    mkdir -p "$WINEPREFIX/drive_c/tools"
    cp "$WINEPREFIX/drive_c/windows/system32/cmd.exe" "$WINEPREFIX/drive_c/tools/ctfmon.exe"
    mkfifo "$VEXLO_PREFIX_ROOT/ctfmon.in"
    "$(vexlo_wine_bin)" 'C:\tools\ctfmon.exe' < "$VEXLO_PREFIX_ROOT/ctfmon.in" >/dev/null 2>&1 &
    exec 3> "$VEXLO_PREFIX_ROOT/ctfmon.in"
    vexlo_wine reg add 'HKCU\Software\Microsoft\CTF\MSUTB' /v ShowDeskBand /t REG_DWORD /d 1 /f >/dev/null 2>&1
    vexlo_wine reg add 'HKCU\Software\Microsoft\CTF\LangBar' /v ShowStatus /t REG_DWORD /d 4 /f >/dev/null 2>&1
    vexlo_wine reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\Winlogon' /v Userinit \
        /d 'C:\windows\system32\userinit.exe,' /f >/dev/null 2>&1
}

# Starts the stand-in system-file server over the folder $VEXLO_PREFIX_ROOT/store
# (<platform key>/<content digest> files) as the HTTP proxy of every later
# Wine program; the paths asked for go to $VEXLO_PREFIX_ROOT/requests.
sysfile_start_server() {
    mkdir -p "$VEXLO_PREFIX_ROOT/store"
    : > "$VEXLO_PREFIX_ROOT/requests"
    python3 "$sysfile_here/sysfile_server.py" "$VEXLO_PREFIX_ROOT/store" "$VEXLO_PREFIX_ROOT/port" \
        "$VEXLO_PREFIX_ROOT/requests" &
    SYSFILE_SERVER=$!
    trap 'kill $SYSFILE_SERVER 2>/dev/null; e2e_stop_display; vexlo_prefix_remove' EXIT
    for _ in $(seq 50); do [ -s "$VEXLO_PREFIX_ROOT/port" ] && break; sleep 0.1; done
    export http_proxy="http://127.0.0.1:$(cat "$VEXLO_PREFIX_ROOT/port")"
}

# The paths asked of the server so far, sorted, one line each.
sysfile_requests() { sort -u "$VEXLO_PREFIX_ROOT/requests"; }
