#!/bin/bash
# The test suite and the demo walk on a busy machine: every core is kept
# busy by a plain loop (one per core, each ended by `timeout` after
# STRESS_SECONDS, default 1800, and by this script when it is done), then the
# suite runs as scripts/test.sh runs it and the walk as `demo --check`.
# Prints the load, both results, and exits 0 only when both passed.
# Arguments go to ctest, as with scripts/test.sh.
set -uo pipefail
ROOT="$(cd "$(dirname "$0")/.." && pwd)"
export ROOT
SECONDS_LEFT="${STRESS_SECONDS:-1800}"
LOG_DIR="${STRESS_LOG:-$ROOT/build/stress}"
mkdir -p "$LOG_DIR"

# Built before the load starts: the point is the verdicts, not the compiler.
bash "$ROOT/scripts/setup.sh" || exit 1
bash "$ROOT/scripts/build.sh" || exit 1

busy=()
stop_busy() {
  for pid in "${busy[@]}"; do kill "$pid" >/dev/null 2>&1 || true; done
  wait "${busy[@]}" 2>/dev/null
}
trap stop_busy EXIT
for _ in $(seq "$(nproc)"); do
  timeout "$SECONDS_LEFT" sh -c 'while :; do :; done' &
  busy+=($!)
done
echo "stress: $(nproc) busy loops for at most $SECONDS_LEFT s; load $(cut -d' ' -f1-3 /proc/loadavg)"

bash "$ROOT/scripts/test.sh" "$@" >"$LOG_DIR/suite.log" 2>&1
suite=$?
suite_line="$(grep -a -E '[0-9]+% tests passed' "$LOG_DIR/suite.log" | tail -1)"
failed_tests="$(grep -a -E '^\s+[0-9]+ - ' "$LOG_DIR/suite.log")"

(
  source "$ROOT/scripts/wine-env.sh"
  start_display
  start_wine
  start_http_server
  timeout 600 "$WINE" "$BUILD_ROOT/x86_64/demo/demo.exe" --check
) >"$LOG_DIR/walk.log" 2>&1
walk=$?
walk_line="$(grep -a -E 'of [0-9]+ steps ok' "$LOG_DIR/walk.log" | tail -1)"

echo "stress: load at the end $(cut -d' ' -f1-3 /proc/loadavg)"
echo "suite: ${suite_line:-no ctest summary (exit $suite)}"
[ -n "$failed_tests" ] && echo "$failed_tests"
echo "walk:  ${walk_line:-no summary (exit $walk)}"
grep -a 'FAILED\]' "$LOG_DIR/walk.log"
echo "stress: logs in $LOG_DIR"
[ "$suite" -eq 0 ] && [ "$walk" -eq 0 ]
