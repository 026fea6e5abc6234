#!/usr/bin/env bash
# Runs one Windows program under 32-bit Wine in a scratch prefix of its own
# that answers as Windows XP SP3 with a Simplified-Chinese user interface,
# then ends the prefix's wineserver and removes the prefix.
# Usage: wine-run.sh PROGRAM.exe [ARGS...]   (exit code is the program's)
set -u
here=$(cd "$(dirname "$0")" && pwd)
# shellcheck source=scripts/wine-prefix.sh
. "$here/wine-prefix.sh"
vexlo_prefix_new || exit 99
trap vexlo_prefix_remove EXIT
vexlo_wine "$@"
