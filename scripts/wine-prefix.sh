# Bash helpers for running the program under Wine; source this file.
# Every prefix is new, lives under a temporary folder, answers as Windows XP,
# and starts its wineserver with the Simplified-Chinese locale (code page 936)
# unless VEXLO_LANG says otherwise.
#
# The machines we build and test on cannot execute 32-bit x86 code at all
# (their kernel refuses i386 ELF binaries, so 32-bit Wine cannot start). The
# shipped program is the 32-bit build; the programs run here are the 64-bit
# build of the same sources (preset win64) under 64-bit Wine.

export WINEDEBUG=${WINEDEBUG:--all}
export WINEARCH=win64
vexlo_wine_bin() { if [ -x /usr/lib/wine/wine64 ]; then echo /usr/lib/wine/wine64; else command -v wine64 || command -v wine; fi; }

vexlo_prefix_new() {
    VEXLO_PREFIX_ROOT=$(mktemp -d "${TMPDIR:-/tmp}/vexlo-wine.XXXXXX") || return 1
    export WINEPREFIX="$VEXLO_PREFIX_ROOT/prefix"
    export LANG=${VEXLO_LANG:-zh_CN.UTF-8}
    export LC_ALL=$LANG
    WINEDLLOVERRIDES="mscoree,mshtml=" "$(vexlo_wine_bin)" wineboot -i >/dev/null 2>&1 || { echo "wineboot failed" >&2; return 1; }
    "$(vexlo_wine_bin)" reg add 'HKCU\Software\Wine' /v Version /d winxp /f >/dev/null 2>&1
    wineserver -w
}

vexlo_wine() {
    "$(vexlo_wine_bin)" "$@"
}

# The log file the program wrote in this prefix (empty when there is none).
vexlo_log_file() {
    find "$WINEPREFIX/drive_c" -path '*/vexloTools/Tools.log' 2>/dev/null | head -n 1
}

vexlo_prefix_remove() {
    if [ -n "${WINEPREFIX:-}" ]; then
        wineserver -k 2>/dev/null
        wineserver -w 2>/dev/null
    fi
    [ -n "${VEXLO_PREFIX_ROOT:-}" ] && rm -rf "$VEXLO_PREFIX_ROOT"
    return 0
}
