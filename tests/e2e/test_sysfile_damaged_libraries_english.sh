#!/usr/bin/env bash
# The same repair on an English XP SP3 prefix: platform key 0501.0300.1033,
# ANSI code page 1252.
export VEXLO_LANG=en_US.UTF-8 E2E_PLATFORM_KEY=0501.0300.1033
exec bash "$(dirname "$0")/test_sysfile_damaged_libraries.sh" "$@"
