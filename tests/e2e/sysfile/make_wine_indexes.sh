#!/usr/bin/env bash
# Makes the digest indexes of a test build from a pristine Wine prefix:
# tools/mkindex over the prefix's Windows folder, restricted to the files of
# wine_index_files.txt, written once for every platform key so that the
# program finds it whatever release the prefix reports.
# Usage: make_wine_indexes.sh OUTPUT_DIR
set -eu
out=${1:?output folder}
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../../.." && pwd)
# shellcheck source=scripts/wine-prefix.sh
. "$root/scripts/wine-prefix.sh"
vexlo_prefix_new
trap 'set +e; vexlo_prefix_remove' EXIT
mkdir -p "$out"
python3 "$root/tools/mkindex" -o "$out/wine.idx" --include-from "$here/wine_index_files.txt" \
    "$WINEPREFIX/drive_c/windows"
for key in 0501.0300.2052 0501.0000.1033 0501.0000.2052 0501.0100.1033 0501.0100.2052 0501.0200.1033 \
           0501.0200.2052 0501.0300.1033 0601.0000.0000 0502.0000.1033 0502.0000.2052 0502.0100.1033 \
           0502.0100.2052 0502.0200.1033 0502.0200.2052 0600.0000.0000 0600.0100.0000 0600.0200.0000; do
    cp "$out/wine.idx" "$out/$key.idx"
done
