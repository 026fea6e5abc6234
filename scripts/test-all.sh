#!/usr/bin/env bash
# Builds the three presets and runs every test: natively (unit and contract
# tests on the in-memory machine, tool tests), and under 64-bit Wine
# (contract tests on the real Windows API, end-to-end cases with the program).
# The shipped 32-bit program is built with warnings as errors too.
set -u
cd "$(dirname "$0")/.."
bash scripts/setup.sh || exit 1

summary=$(mktemp)
trap 'rm -f "$summary"' EXIT
status=0
run_preset() {
  local preset=$1 test=$2
  cmake --preset "$preset" >/dev/null || { echo "configure $preset failed"; status=1; return; }
  cmake --build --preset "$preset" || { echo "build $preset failed"; status=1; return; }
  [ "$test" = yes ] || return 0
  ctest --preset "$preset" 2>&1 | tee -a "$summary"
  [ "${PIPESTATUS[0]}" -eq 0 ] || status=1
}
run_preset native yes
run_preset win32 yes
run_preset win64 yes

read -r passed failed < <(awk '/^[0-9]+% tests passed, [0-9]+ tests failed out of [0-9]+/ {
  f += $4; t += $NF } END { print t - f + 0, f + 0 }' "$summary")
[ "$status" -eq 0 ] || [ "$failed" -ne 0 ] || failed=1
echo "${passed} passed, ${failed} failed"
exit "$status"
